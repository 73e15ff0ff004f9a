// ScriptedDialogs: records every dialog a run shows, one line each, and
// answers from a script given in advance. A dialog the script did not expect
// is recorded, answered No / cancelled, and makes unexpected() true.
#pragma once

#include "platform/dialogs.h"

#include <QStringList>
#include <deque>
#include <functional>
#include <optional>

namespace brelune::test {

class ScriptedDialogs : public Dialogs {
public:
    // Answers, in the order the dialogs will be shown: a Yes/No box (OK
    // boxes need none), an input box, a file dialog ("" cancels).
    ScriptedDialogs& answer(Answer a) { return then({Kind::Message, a, {}, false}); }
    ScriptedDialogs& type(const QString& text) { return then({Kind::Input, {}, text, false}); }
    ScriptedDialogs& cancelInput() { return then({Kind::Input, {}, {}, true}); }
    ScriptedDialogs& choose(const QString& path) { return then({Kind::File, {}, path, false}); }

    // One line a dialog: "message|caption|icon|buttons|text",
    // "input|title|prompt|default", "open|title|filter|pattern|folder".
    const QStringList& shown() const { return shown_; }
    QStringList takeShown() { return std::exchange(shown_, {}); }
    bool unexpected() const { return unexpected_; }
    // Called as each message box is shown, to look at the windows behind it.
    std::function<void()> onMessage;
    bool scriptDone() const { return script_.empty(); }

    Answer message(const QString& text, const QString& caption, Icon icon,
                   Buttons buttons) override;
    std::optional<QString> input(const QString& prompt, const QString& title,
                                 const QString& defaultText) override;
    QString openFile(const QString& title, const QString& filterName, const QString& pattern,
                     const QString& initialDir) override;
    QString saveFile(const QString& title, const QString& filterName, const QString& pattern,
                     const QString& initialDir) override;

private:
    enum class Kind { Message, Input, File };
    struct Step {
        Kind kind;
        Answer answer = Answer::Ok;
        QString text;
        bool cancelled = false;
    };
    ScriptedDialogs& then(Step step) {
        script_.push_back(std::move(step));
        return *this;
    }
    std::optional<Step> next(Kind kind);
    QString file(const char* kind, const QStringList& fields);

    std::deque<Step> script_;
    QStringList shown_;
    bool unexpected_ = false;
};

// Shorthand for an expected message line.
QString msg(const QString& caption, const QString& icon, const QString& buttons,
            const QString& text);

} // namespace brelune::test
