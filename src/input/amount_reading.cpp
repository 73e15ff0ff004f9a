#include "input/amount_reading.h"

#include <cstdlib>
#include <limits>

namespace brelune {

namespace {

constexpr int kExponentLimit = 100000;
constexpr int kSignificantDigits = 15;

bool isDigit(QChar c) {
    return c >= QLatin1Char('0') && c <= QLatin1Char('9');
}

// Removes leading zeros and moves trailing zeros into the exponent.
void normalise(TypedAmount& a) {
    qsizetype lead = 0;
    while (lead < a.digits.size() && a.digits[lead] == QLatin1Char('0'))
        ++lead;
    a.digits.remove(0, lead);
    while (a.digits.endsWith(QLatin1Char('0'))) {
        a.digits.chop(1);
        ++a.exponent;
    }
    if (a.digits.isEmpty()) {
        a.exponent = 0;
        a.negative = false;
    }
}

} // namespace

TypedAmount readAmount(const QString& input) {
    // Every kind of space is dropped: French texts group digits with no-break
    // and thin spaces ("1 234,56").
    QString text;
    text.reserve(input.size());
    for (const QChar c : input)
        if (!c.isSpace())
            text += c;

    TypedAmount a;
    qsizetype i = 0;
    if (i < text.size() && (text[i] == QLatin1Char('-') || text[i] == QLatin1Char('+')))
        a.negative = text[i++] == QLatin1Char('-');
    while (i < text.size() && isDigit(text[i]))
        a.digits += text[i++];
    // A French user types "12,50" as others type "12.50".
    if (i < text.size() && (text[i] == QLatin1Char('.') || text[i] == QLatin1Char(','))) {
        ++i;
        while (i < text.size() && isDigit(text[i])) {
            a.digits += text[i++];
            --a.exponent;
        }
    }
    if (a.digits.isEmpty())
        return {};
    if (i < text.size() && (text[i] == QLatin1Char('E') || text[i] == QLatin1Char('e'))) {
        qsizetype j = i + 1;
        bool negativeExponent = false;
        if (j < text.size() && (text[j] == QLatin1Char('-') || text[j] == QLatin1Char('+')))
            negativeExponent = text[j++] == QLatin1Char('-');
        int value = 0;
        bool any = false;
        while (j < text.size() && isDigit(text[j])) {
            value = std::min(kExponentLimit, value * 10 + (text[j++].unicode() - '0'));
            any = true;
        }
        if (any)
            a.exponent += negativeExponent ? -value : value;
    }
    normalise(a);
    return a;
}

std::optional<Money> TypedAmount::toMoney() const {
    if (isZero())
        return Money();
    constexpr int kMaxDigits = std::numeric_limits<qint64>::digits10 + 1; // 19
    const qsizetype shift = exponent + 4; // the value in ten-thousandths
    QString whole;
    bool roundUp = false;
    if (shift >= 0) {
        if (digits.size() + shift > kMaxDigits)
            return std::nullopt;
        whole = digits + QString(shift, QLatin1Char('0'));
    } else {
        const qsizetype keep = digits.size() + shift;
        if (keep >= 0) {
            whole = digits.left(keep);
            roundUp = digits[keep] >= QLatin1Char('5');
        }
        if (whole.size() > kMaxDigits)
            return std::nullopt;
    }
    unsigned __int128 units = 0;
    for (const QChar c : whole)
        units = units * 10 + (c.unicode() - '0');
    units += roundUp ? 1 : 0;
    const auto limit = static_cast<unsigned __int128>(std::numeric_limits<qint64>::max());
    if (units > limit + (negative ? 1 : 0))
        return std::nullopt;
    if (negative)
        return Money::fromUnits(qint64(-static_cast<__int128>(units)));
    return Money::fromUnits(qint64(units));
}

double TypedAmount::toDouble() const {
    if (isZero())
        return 0.0;
    const QByteArray text = (digits + u'e' + QString::number(exponent)).toLatin1();
    const double value = std::strtod(text.constData(), nullptr);
    return negative ? -value : value;
}

std::optional<Money> TypedAmount::searchedMoney() const {
    TypedAmount general = *this;
    if (general.digits.size() > kSignificantDigits) {
        const bool up = general.digits[kSignificantDigits] >= QLatin1Char('5');
        general.exponent += int(general.digits.size() - kSignificantDigits);
        general.digits.truncate(kSignificantDigits);
        for (qsizetype i = general.digits.size() - 1; up && i >= -1; --i) {
            if (i < 0) {
                general.digits.prepend(QLatin1Char('1'));
                break;
            }
            if (general.digits[i] != QLatin1Char('9')) {
                general.digits[i] = QChar(general.digits[i].unicode() + 1);
                break;
            }
            general.digits[i] = QLatin1Char('0');
        }
        normalise(general);
    }
    if (general.exponent < -4)
        return std::nullopt;
    return general.toMoney();
}

std::vector<Operation> operationsWithAmount(const AccountDb& db, const TypedAmount& amount) {
    const auto searched = amount.searchedMoney();
    return searched ? db.findByAmount(*searched) : std::vector<Operation>{};
}

} // namespace brelune
