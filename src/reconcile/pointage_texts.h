// The texts of the reconciliation window that need no widget: the line of
// the two reference balances and the question asked before marking.
#pragma once

#include "platform/account_db.h"
#include "platform/locale.h"

#include <QString>
#include <optional>

namespace brelune {

// "Réel : 1520,35€ - Bancaire : -12,00€"; an empty field shows nothing after
// its label; "Pas d'enregistrement" when Soldes has no row.
QString soldesCaption(const std::optional<Soldes>& soldes, const Locale& locale);

// Asked before an operation is marked: its amount as plain number text and
// its payment, on the second line.
QString markingQuestion(const Operation& op, const Locale& locale);

} // namespace brelune
