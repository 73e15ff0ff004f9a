#include "scripted_dialogs.h"

namespace brelune::test {

QString msg(const QString& caption, const QString& icon, const QString& buttons,
            const QString& text) {
    return QStringList{QStringLiteral("message"), caption, icon, buttons, text}.join(u'|');
}

std::optional<ScriptedDialogs::Step> ScriptedDialogs::next(Kind kind) {
    if (script_.empty() || script_.front().kind != kind) {
        unexpected_ = true;
        shown_ << QStringLiteral("(unexpected)");
        return std::nullopt;
    }
    std::optional<Step> step(std::move(script_.front()));
    script_.pop_front();
    return step;
}

Answer ScriptedDialogs::message(const QString& text, const QString& caption, Icon icon,
                                Buttons buttons) {
    static const char* const icons[] = {"none", "exclamation", "question", "critical"};
    shown_ << msg(caption, QString::fromLatin1(icons[int(icon)]),
                  buttons == Buttons::Ok ? QStringLiteral("OK") : QStringLiteral("YesNo"), text);
    if (onMessage)
        onMessage();
    if (buttons == Buttons::Ok)
        return Answer::Ok; // an OK box needs no scripted answer
    const auto step = next(Kind::Message);
    return step ? step->answer : Answer::No;
}

std::optional<QString> ScriptedDialogs::input(const QString& prompt, const QString& title,
                                              const QString& defaultText) {
    shown_ << QStringList{QStringLiteral("input"), title, prompt, defaultText}.join(u'|');
    const auto step = next(Kind::Input);
    if (!step || step->cancelled)
        return std::nullopt;
    return step->text;
}

QString ScriptedDialogs::file(const char* kind, const QStringList& fields) {
    shown_ << QString::fromLatin1(kind) + u'|' + fields.join(u'|');
    const auto step = next(Kind::File);
    return step ? step->text : QString();
}

QString ScriptedDialogs::openFile(const QString& title, const QString& filterName,
                                  const QString& pattern, const QString& initialDir) {
    return file("open", {title, filterName, pattern, initialDir});
}

QString ScriptedDialogs::saveFile(const QString& title, const QString& filterName,
                                  const QString& pattern, const QString& initialDir) {
    return file("save", {title, filterName, pattern, initialDir});
}

} // namespace brelune::test
