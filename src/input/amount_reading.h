// The one rule for reading an amount the user typed: blanks of every kind
// dropped, an optional sign, digits, an optional decimal separator (point or
// comma, whichever comes first) and digits, an optional exponent; the first
// other character (a second separator included) ends the number, and a text
// that does not begin with a number reads as 0. The number is kept exactly
// as typed, so that "is it zero" is asked before any rounding.
#pragma once

#include "platform/account_db.h"
#include "platform/money.h"

#include <QString>
#include <optional>
#include <vector>

namespace brelune {

struct TypedAmount {
    bool negative = false;
    QString digits;   // significant digits without leading or trailing zeros; empty for 0
    int exponent = 0; // the value is digits x 10^exponent

    bool isZero() const { return digits.isEmpty(); }
    // Rounded to four decimals; nothing when it lies outside the money range.
    std::optional<Money> toMoney() const;
    // The nearest double, for the allocation totals; infinite beyond the
    // doubles' range.
    double toDouble() const;
    // The amount a search looks for: the number as general text writes it
    // (15 significant digits). Nothing when it keeps more than four decimals
    // or lies outside the money range: no stored amount can equal it.
    std::optional<Money> searchedMoney() const;
};

TypedAmount readAmount(const QString& text);

// The outstanding operations stored with exactly the typed amount, in
// storage order; none when no stored amount can equal it. Throws
// AccountDbError when the database cannot be read.
std::vector<Operation> operationsWithAmount(const AccountDb& db, const TypedAmount& amount);

} // namespace brelune
