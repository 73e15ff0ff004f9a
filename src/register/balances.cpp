// Setting the real or the bank balance by hand: the typed value replaces the
// stored one, and the main window is loaded again.
#include "input/amount_reading.h"
#include "register/register_view.h"

namespace brelune {

void RegisterView::Sreel_Click() {
    changeSolde(BalanceField::Reel, QStringLiteral("entrez le nouveau solde réel"));
}

void RegisterView::Sbanc_Click() {
    changeSolde(BalanceField::Bancaire, QStringLiteral("entrez le nouveau solde bancaire"));
}

void RegisterView::changeSolde(BalanceField field, const QString& prompt) {
    if (!bookReadable())
        return;
    Dialogs& dialogs = ctx_.dialogs;
    for (;;) {
        const auto typed =
            dialogs.input(prompt, QStringLiteral("Nouveau SOLDE"), QStringLiteral("Un Milliard"));
        const TypedAmount amount = readAmount(typed.value_or(QString()));
        if (amount.isZero()) {
            if (dialogs.message(
                    QStringLiteral("vous n'avez rien entré ! voulez-vous changer ce solde ?"),
                    QStringLiteral("Attention"), Icon::Question, Buttons::YesNo) == Answer::Yes)
                continue;
            return;
        }
        const auto value = amount.toMoney();
        if (!value) {
            dialogs.message(QStringLiteral("Ce solde est trop grand pour être enregistré !"),
                            QStringLiteral("Nouveau SOLDE"), Icon::Exclamation, Buttons::Ok);
            continue;
        }
        try {
            AccountDb(ctx_.chemin_base).setBalance(field, *value);
        } catch (const AccountDbError& e) {
            ctx_.showDbProblem(e, true);
            return;
        }
        emit reloadRequested();
        return;
    }
}

} // namespace brelune
