#include "scripted_dialogs.h"

namespace brelune::test {

QString msg(const QString& caption, const QString& icon, const QString& buttons,
            const QString& text) {
    return QStringList{QStringLiteral("message"), caption, icon, buttons, text}.join(u'|');
}

// The next step, if it is of the kind the dialog takes; "cancel" gives nothing.
std::optional<QString> ScriptedDialogs::next(const QString& shown, bool answer) {
    shown_ << shown;
    const QString step = script_.value(0);
    if (script_.isEmpty() || answer != (step == "yes" || step == "no")) {
        unexpected_ = true;
        shown_ << QStringLiteral("(unexpected)");
        return std::nullopt;
    }
    script_.removeFirst();
    return step == "cancel" ? std::nullopt : std::optional(step);
}

Answer ScriptedDialogs::message(const QString& text, const QString& caption, Icon icon,
                                Buttons buttons) {
    static const char* const icons[] = {"none", "exclamation", "question", "critical"};
    const QString line = msg(caption, QString::fromLatin1(icons[int(icon)]),
                             buttons == Buttons::Ok ? "OK" : "YesNo", text);
    if (buttons == Buttons::Ok) { // an OK box needs no scripted answer
        shown_ << line;
        if (onMessage)
            onMessage();
        return Answer::Ok;
    }
    return next(line, true) == "yes" ? Answer::Yes : Answer::No;
}

std::optional<QString> ScriptedDialogs::input(const QString& prompt, const QString& title,
                                              const QString& defaultText) {
    return next(QStringList{"input", title, prompt, defaultText}.join(u'|'), false);
}

QString ScriptedDialogs::openFile(const QString& title, const QString& filterName,
                                  const QString& pattern, const QString& initialDir) {
    return next(QStringList{"open", title, filterName, pattern, initialDir}.join(u'|'), false)
        .value_or(QString());
}

QString ScriptedDialogs::saveFile(const QString& title, const QString& filterName,
                                  const QString& pattern, const QString& initialDir) {
    return next(QStringList{"save", title, filterName, pattern, initialDir}.join(u'|'), false)
        .value_or(QString());
}

} // namespace brelune::test
