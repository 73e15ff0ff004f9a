// ScriptedDialogs: records every dialog a run shows, one line each, and
// answers from a script given in advance. A dialog the script did not expect
// is recorded, answered No / cancelled, and makes scriptDone() false.
#pragma once

#include "platform/dialogs.h"

#include <QStringList>
#include <functional>

namespace brelune::test {

class ScriptedDialogs : public Dialogs {
public:
    // Answers, in the order the dialogs will be shown: "yes" or "no" for a
    // Yes/No box (OK boxes need none), "cancel" for an input box or a file
    // dialog, any other text to type in it or choose in it.
    ScriptedDialogs& script(const QStringList& steps) {
        script_ << steps;
        return *this;
    }
    // One line a dialog: "message|caption|icon|buttons|text",
    // "input|title|prompt|default", "open|title|filter|pattern|folder".
    QStringList takeShown() { return std::exchange(shown_, {}); }
    bool scriptDone() const { return script_.isEmpty() && !unexpected_; }
    // Called as each OK box is shown, to look at the windows behind it.
    std::function<void()> onMessage;

    Answer message(const QString& text, const QString& caption, Icon icon,
                   Buttons buttons) override;
    std::optional<QString> input(const QString& prompt, const QString& title,
                                 const QString& defaultText) override;
    QString openFile(const QString& title, const QString& filterName, const QString& pattern,
                     const QString& initialDir) override;
    QString saveFile(const QString& title, const QString& filterName, const QString& pattern,
                     const QString& initialDir) override;

private:
    std::optional<QString> next(const QString& shown, bool answer);

    QStringList script_, shown_;
    bool unexpected_ = false;
};

// Shorthand for an expected message line.
QString msg(const QString& caption, const QString& icon, const QString& buttons,
            const QString& text);

} // namespace brelune::test
