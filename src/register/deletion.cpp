// Searching operations by amount and deleting one of them: the search fills
// List1 with the operations found (delete mode), and the next click on one
// of its lines offers to delete that very operation.
#include "input/amount_reading.h"
#include "register/line_list.h"
#include "register/register_line.h"
#include "register/register_view.h"

namespace brelune {

namespace {

const QString kDeleteMode = QStringLiteral("supp");

} // namespace

void RegisterView::Suppress_Click() {
    if (!bookReadable())
        return;
    Dialogs& dialogs = ctx_.dialogs;
    for (;;) {
        const auto typed =
            dialogs.input(QStringLiteral("Entrer le montant recherché :"),
                          QStringLiteral("Suppression définitive !"), QStringLiteral("montant"));
        const TypedAmount amount = readAmount(typed.value_or(QString()));
        if (amount.isZero()) {
            if (dialogs.message(QStringLiteral("vous n'avez pas entré de montant ! \r\n"
                                               "Voulez-vous en entrer un ?"),
                                QStringLiteral("un Montant SVP"), Icon::Question,
                                Buttons::YesNo) == Answer::Yes)
                continue;
            leaveDeleteMode();
            return;
        }

        std::vector<Operation> found;
        try {
            found = operationsWithAmount(AccountDb(ctx_.chemin_base), amount);
        } catch (const AccountDbError& e) {
            ctx_.showDbProblem(e, false); // the window stays as it was
            return;
        }
        if (found.empty()) {
            list1_->setLines({}); // emptied before it is said
            dialogs.message(QStringLiteral("Le montant recherché n'existe pas !"),
                            QStringLiteral("BRELUNE"), Icon::None, Buttons::Ok);
            load_compte();
            return;
        }
        QStringList lines;
        for (const Operation& op : found)
            lines << searchLine(op, ctx_.locale);
        list1_->setLines(lines);
        found_ = std::move(found);
        mode_liste_ = kDeleteMode;
        return;
    }
}

void RegisterView::List1_Click(int row) {
    if (mode_liste_ != kDeleteMode || row < 0 || row >= int(found_.size())) {
        leaveDeleteMode();
        return;
    }
    const Operation op = found_[std::size_t(row)];
    leaveDeleteMode(); // one click, one question, whatever the answer
    if (ctx_.dialogs.message(QStringLiteral("Voulez vous supprimer cet enregistrement ?\r\n"
                                            "Montant : ") +
                                 op.montant.plain(ctx_.locale.decimal()),
                             QStringLiteral("Attention : Suppression définitive !"), Icon::Question,
                             Buttons::YesNo) == Answer::No) {
        load_compte();
        return;
    }
    try {
        AccountDb(ctx_.chemin_base).deleteOperation(op);
    } catch (const AccountDbError& e) {
        ctx_.showDbProblem(e, true);
        load_compte();
        return;
    }
    emit reloadRequested();
}

} // namespace brelune
