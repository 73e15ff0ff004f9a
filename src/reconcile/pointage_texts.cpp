#include "reconcile/pointage_texts.h"

namespace brelune {

QString soldesCaption(const std::optional<Soldes>& soldes, const Locale& locale) {
    if (!soldes)
        return QStringLiteral("Pas d'enregistrement");
    auto field = [&](const std::optional<Money>& m) {
        return m ? m->eurosTight(locale.decimal()) : QString();
    };
    return QStringLiteral("Réel : ") + field(soldes->reel) + QStringLiteral(" - Bancaire : ") +
           field(soldes->bancaire);
}

QString markingQuestion(const Operation& op, const Locale& locale) {
    return QStringLiteral("Voulez vous pointer cet enregistrement ?\r\nMontant : ") +
           op.montant.plain(locale.decimal()) + QStringLiteral(" : ") + op.payement;
}

} // namespace brelune
