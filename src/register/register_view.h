// The register view, the body of the main window: the column header, the
// input line for a new operation, the register list List1 and the balance
// strip, with the commands that act on them.
#pragma once

#include "platform/account_db.h"
#include "platform/run_context.h"

#include <QWidget>
#include <vector>

class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;

namespace brelune {

// The input line's texts that mean "nothing chosen yet".
inline const QString kDatePlaceholder = QStringLiteral("date");
inline const QString kPaymentPlaceholder = QStringLiteral("Payement");

class BalanceStrip;
class LineList;
struct TypedAmount;

class RegisterView : public QWidget {
    Q_OBJECT
public:
    explicit RegisterView(RunContext& context, QWidget* parent = nullptr);

    // The freshly loaded state: input line at its placeholders, the date and
    // payment lists filled once, out of delete mode, strip at design state.
    void resetInputs();
    // Brings List1 and the balance strip in line with the database and
    // checks the balances.
    void load_compte();

public slots:
    void Command1_Click();
    void List1_Click(int row);
    void Suppress_Click();
    void Sreel_Click();
    void Sbanc_Click();

signals:
    // The main window must be loaded again (after a balance change or a
    // deletion), which also refreshes this view.
    void reloadRequested();

private:
    void buildControls();
    void Text1_KeyPress(int& key);
    QString typedPayment() const;
    bool verif_Entry(const TypedAmount& amount);
    void changeSolde(BalanceField field, const QString& prompt);
    void resetInputLine();
    void leaveDeleteMode();
    bool bookReadable();

    RunContext& ctx_;
    QLabel* label5_ = nullptr;
    QComboBox* combo1_ = nullptr;
    QLineEdit* text1_ = nullptr;
    QComboBox* combo2_ = nullptr;
    QPushButton* command1_ = nullptr;
    QLabel* image3_ = nullptr;
    LineList* list1_ = nullptr;
    BalanceStrip* strip_ = nullptr;

    // False when the last load could not read the book.
    bool readable_ = false;
    // "supp" while List1 shows the result of a search by amount.
    QString mode_liste_;
    // In delete mode, the operation behind each line of List1.
    std::vector<Operation> found_;
};

} // namespace brelune
