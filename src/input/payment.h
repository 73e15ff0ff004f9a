// The payment text of an operation as the book keeps it: in upper case and
// five characters at most, as the database counts them.
#pragma once

#include "platform/locale.h"

#include <QString>

namespace brelune {

constexpr qsizetype kPaymentWidth = 5;

// Characters as the database counts them (a letter outside the basic plane
// is one character, not two).
qsizetype paymentCharacters(const QString& text);

// A payment typed where nothing is refused: without its surrounding blanks,
// in upper case, cut to five characters.
QString keptPayment(const QString& typed, const Locale& locale);

} // namespace brelune
