// Entering an operation: the key filter of the amount box, the checks of the
// input line and the recording of the operation with its effect on Réel.
#include "input/amount_reading.h"
#include "input/key_filter.h"
#include "input/payment.h"
#include "register/register_view.h"

#include <QComboBox>
#include <QLineEdit>

namespace brelune {

void RegisterView::Text1_KeyPress(int& key) {
    if (verif_Key(key))
        return;
    ctx_.dialogs.message(QStringLiteral("Seul les chiffres sont permis !"),
                         QStringLiteral("Montant"), Icon::Exclamation, Buttons::Ok);
    key = 0;
}

// The payment without its surrounding blanks: "Rent " is money coming in
// like "Rent", and a payment of blanks is no payment.
QString RegisterView::typedPayment() const {
    return combo2_->currentText().trimmed();
}

bool RegisterView::verif_Entry(const TypedAmount& amount) {
    bool failed = false;
    auto fault = [&](const char* text, const char* caption) {
        ctx_.dialogs.message(QString::fromUtf8(text), QString::fromUtf8(caption), Icon::Critical,
                             Buttons::Ok);
        failed = true;
    };
    const QString date = combo1_->currentText();
    if (date == kDatePlaceholder || !ctx_.locale.parseDate(date))
        fault("votre date n'est pas correcte !", "Et la date !");
    // An amount that rounds to 0 at the stored four decimals would make a
    // line that no search can ever find, so it is no amount either.
    const auto money = amount.toMoney();
    if (text1_->text().isEmpty() || amount.isZero() || (money && money->isZero()))
        fault("Vous n'avez pas entré de montant !", "Et le montant alors !");
    else if (!money)
        fault("Ce montant est trop grand pour être enregistré !", "Et le montant alors !");
    const QString payment = typedPayment();
    if (paymentCharacters(payment) > kPaymentWidth ||
        paymentCharacters(ctx_.locale.upper(payment)) > kPaymentWidth)
        fault("Texte de payement trop grand !", "Payement trop grand");
    if (payment == kPaymentPlaceholder || payment.isEmpty())
        fault("vous n'avez pas rentré de payement !", "Et le payement !");
    return failed;
}

void RegisterView::Command1_Click() {
    const TypedAmount amount = readAmount(text1_->text());
    if (verif_Entry(amount))
        return; // the line stays as typed, to be corrected
    const QDate date = *ctx_.locale.parseDate(combo1_->currentText());
    const QString payment = ctx_.locale.upper(typedPayment());
    if (!bookReadable())
        return;
    try {
        AccountDb(ctx_.chemin_base).addOperation(date, *amount.toMoney(), payment);
    } catch (const AccountDbError& e) {
        ctx_.showDbProblem(e, true);
        return;
    }
    resetInputLine();
    load_compte();
}

} // namespace brelune
