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
    // Answers, in the order the dialogs will be shown.
    ScriptedDialogs& answer(Answer a);            // a Yes/No box (OK boxes need none)
    ScriptedDialogs& type(const QString& text);   // an input box, OK pressed
    ScriptedDialogs& cancelInput();               // an input box, cancelled
    ScriptedDialogs& choose(const QString& path); // a file dialog ("" cancels)

    // One line a dialog: "message|caption|icon|buttons|text",
    // "input|title|prompt|default", "open|title|filter|pattern|folder".
    const QStringList& shown() const { return shown_; }
    QStringList takeShown();
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
    std::optional<Step> next(Kind kind);

    std::deque<Step> script_;
    QStringList shown_;
    bool unexpected_ = false;
};

// Shorthand for an expected message line.
QString msg(const QString& caption, const QString& icon, const QString& buttons,
            const QString& text);

} // namespace brelune::test
