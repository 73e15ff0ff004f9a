#include "input/payment.h"

namespace brelune {

qsizetype paymentCharacters(const QString& text) {
    return text.toUcs4().size();
}

QString keptPayment(const QString& typed, const Locale& locale) {
    const QList<uint> characters = locale.upper(typed.trimmed()).toUcs4();
    const auto kept = characters.first(std::min(characters.size(), kPaymentWidth));
    return QString::fromUcs4(reinterpret_cast<const char32_t*>(kept.data()), kept.size()).trimmed();
}

} // namespace brelune
