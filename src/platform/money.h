// Money: an exact signed amount of euros with four decimals, stored as a
// count of ten-thousandths. Sums never round; a sum that leaves the range is
// refused instead of wrapping.
#pragma once

#include <QChar>
#include <QString>
#include <QtGlobal>
#include <optional>

namespace brelune {

class Money {
public:
    static constexpr qint64 kScale = 10000;

    constexpr Money() = default;
    static constexpr Money fromUnits(qint64 units) { return Money(units); }
    constexpr qint64 units() const { return units_; }
    constexpr bool isZero() const { return units_ == 0; }
    double toDouble() const { return double(units_) / kScale; }

    std::optional<Money> plus(Money other) const;
    std::optional<Money> minus(Money other) const;
    std::optional<Money> negated() const;

    // "###0.00" with the given decimal separator: at least one integer digit,
    // no grouping, two decimals rounded half away from zero.
    QString fixed2(QChar decimal) const;
    void appendFixed2(QString& out, QChar decimal) const;
    // "###0.00 €", the register's amount column.
    QString euros(QChar decimal) const { return fixed2(decimal) + QStringLiteral(" €"); }
    // "##0.00€", the balance labels and the printed report.
    QString eurosTight(QChar decimal) const { return fixed2(decimal) + QStringLiteral("€"); }
    // General number text: every significant decimal, no trailing zeros.
    QString plain(QChar decimal) const;

    friend constexpr bool operator==(Money, Money) = default;
    friend constexpr auto operator<=>(Money, Money) = default;

private:
    constexpr explicit Money(qint64 units) : units_(units) {}
    qint64 units_ = 0;
};

// "0.00 F": a euro amount converted to French francs, two decimals.
QString francs(Money euros, QChar decimal);

} // namespace brelune
