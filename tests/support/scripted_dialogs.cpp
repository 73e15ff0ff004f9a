#include "scripted_dialogs.h"

namespace brelune::test {

namespace {

QString iconName(Icon icon) {
    switch (icon) {
    case Icon::None:
        return QStringLiteral("none");
    case Icon::Exclamation:
        return QStringLiteral("exclamation");
    case Icon::Question:
        return QStringLiteral("question");
    case Icon::Critical:
        return QStringLiteral("critical");
    }
    return {};
}

} // namespace

QString msg(const QString& caption, const QString& icon, const QString& buttons,
            const QString& text) {
    return QStringList{QStringLiteral("message"), caption, icon, buttons, text}.join(u'|');
}

ScriptedDialogs& ScriptedDialogs::answer(Answer a) {
    script_.push_back({Kind::Message, a, {}, false});
    return *this;
}

ScriptedDialogs& ScriptedDialogs::type(const QString& text) {
    script_.push_back({Kind::Input, Answer::Ok, text, false});
    return *this;
}

ScriptedDialogs& ScriptedDialogs::cancelInput() {
    script_.push_back({Kind::Input, Answer::Ok, {}, true});
    return *this;
}

ScriptedDialogs& ScriptedDialogs::choose(const QString& path) {
    script_.push_back({Kind::File, Answer::Ok, path, false});
    return *this;
}

QStringList ScriptedDialogs::takeShown() {
    QStringList lines;
    lines.swap(shown_);
    return lines;
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
    shown_ << msg(caption, iconName(icon),
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

QString ScriptedDialogs::openFile(const QString& title, const QString& filterName,
                                  const QString& pattern, const QString& initialDir) {
    shown_ << QStringList{QStringLiteral("open"), title, filterName, pattern, initialDir}.join(
        u'|');
    const auto step = next(Kind::File);
    return step ? step->text : QString();
}

QString ScriptedDialogs::saveFile(const QString& title, const QString& filterName,
                                  const QString& pattern, const QString& initialDir) {
    shown_ << QStringList{QStringLiteral("save"), title, filterName, pattern, initialDir}.join(
        u'|');
    const auto step = next(Kind::File);
    return step ? step->text : QString();
}

} // namespace brelune::test
