// Pointage, the reconciliation window. The user types an amount from his
// bank statement, the window lists the outstanding operations of exactly
// that amount, and a confirmed click marks one: it leaves En_cour and its
// amount moves Bancaire. The window takes the main window's place while it
// is open and says when it leaves, so that the main window is loaded again.
#pragma once

#include "platform/account_db.h"
#include "platform/run_context.h"

#include <QWidget>
#include <vector>

class QLabel;
class QLineEdit;
class QPushButton;

namespace brelune {

class LineList;

class Pointage : public QWidget {
    Q_OBJECT
public:
    // A top-level window, deleted once closed.
    explicit Pointage(RunContext& context, QWidget* parent = nullptr);

    // Empties the list, shows the balances, shows the window centred on the
    // screen with the focus in Text1, and sets the tool-tips.
    void Form_Load();

public slots:
    void Command1_Click();
    void List1_Click(int row);
    void Command2_Click();

signals:
    // The window is going away ("Sortir du Pointage" or any close request);
    // it is already hidden when this is sent. Sent once.
    void leaving();

protected:
    void closeEvent(QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private slots:
    void Text1_KeyDown(int key);
    void affiche_soldes();

private:
    void buildControls();
    void setToolTips();
    void Form_QueryUnload();
    // Idle: the list and the amount box empty, the focus in the box.
    void backToIdle();

    RunContext& ctx_;
    QLabel* label1_ = nullptr;
    QLineEdit* text1_ = nullptr;
    QPushButton* command1_ = nullptr;
    QLabel* image1_ = nullptr;
    LineList* list1_ = nullptr;
    QLabel* label2_ = nullptr;
    QPushButton* command2_ = nullptr;

    // What the last search found, one operation per line of List1 and in
    // the same order: a click marks the row of its own line, whatever was
    // typed since. Empty while the window is Idle.
    std::vector<Operation> requete_recherche_;
    bool leaving_ = false;
};

} // namespace brelune
