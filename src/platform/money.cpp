#include "platform/money.h"

#include <cmath>

namespace brelune {

std::optional<Money> Money::plus(Money other) const {
    qint64 sum = 0;
    if (__builtin_add_overflow(units_, other.units_, &sum))
        return std::nullopt;
    return Money(sum);
}

std::optional<Money> Money::minus(Money other) const {
    qint64 diff = 0;
    if (__builtin_sub_overflow(units_, other.units_, &diff))
        return std::nullopt;
    return Money(diff);
}

std::optional<Money> Money::negated() const {
    return Money().minus(*this);
}

namespace {

// Magnitude of a count of units, safe for the smallest qint64.
quint64 magnitude(qint64 units) {
    return units < 0 ? quint64(0) - quint64(units) : quint64(units);
}

QString withDecimals(bool negative, quint64 whole, quint64 fraction, int width, QChar decimal) {
    QString text;
    if (negative)
        text += QLatin1Char('-');
    text += QString::number(whole);
    if (width > 0) {
        text += decimal;
        text += QString::number(fraction).rightJustified(width, QLatin1Char('0'));
    }
    return text;
}

} // namespace

QString Money::fixed2(QChar decimal) const {
    QString text;
    appendFixed2(text, decimal);
    return text;
}

void Money::appendFixed2(QString& out, QChar decimal) const {
    const quint64 cents = (magnitude(units_) + 50) / 100;
    char digits[24];
    int n = 0;
    quint64 whole = cents / 100;
    do {
        digits[n++] = char('0' + whole % 10);
        whole /= 10;
    } while (whole != 0);
    if (units_ < 0 && cents != 0)
        out += QLatin1Char('-');
    while (n > 0)
        out += QLatin1Char(digits[--n]);
    out += decimal;
    out += QLatin1Char(char('0' + cents % 100 / 10));
    out += QLatin1Char(char('0' + cents % 10));
}

QString Money::plain(QChar decimal) const {
    const quint64 abs = magnitude(units_);
    quint64 fraction = abs % kScale;
    int width = 4;
    while (width > 0 && fraction % 10 == 0 && fraction != 0) {
        fraction /= 10;
        --width;
    }
    if (fraction == 0)
        width = 0;
    return withDecimals(units_ < 0, abs / kScale, fraction, width, decimal);
}

QString francs(Money euros, QChar decimal) {
    constexpr double kFrancsPerEuro = 6.55957;
    QString text = QString::number(euros.toDouble() * kFrancsPerEuro, 'f', 2);
    if (text == QLatin1String("-0.00"))
        text = QStringLiteral("0.00");
    text.replace(QLatin1Char('.'), decimal);
    return text + QStringLiteral(" F");
}

} // namespace brelune
