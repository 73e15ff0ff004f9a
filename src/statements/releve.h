// Releve, the bank statement window: every line of a statement file beside
// the outstanding operation it settles, or "à saisir" when the book has
// none; the lines checked are applied in one transaction. Like Pointage it
// takes the main window's place while it is open and says when it leaves.
#pragma once

#include "platform/account_db.h"
#include "platform/run_context.h"
#include "statements/statement.h"

#include <QWidget>
#include <optional>
#include <vector>

class QLabel;
class QPushButton;
class QTableWidget;
class QTableWidgetItem;

namespace brelune {

class Releve : public QWidget {
    Q_OBJECT
public:
    // Asks for a statement file and reads it. Nothing when the user cancels
    // or the file cannot be read (the user is told why).
    static std::optional<std::pair<QString, Statement>> chooseStatement(RunContext& context);

    // A top-level window, deleted once closed.
    Releve(RunContext& context, const QString& path, Statement statement);

    // Reads the book, matches the statement to it and shows the window.
    // When the book cannot be read the user is told and the window leaves.
    void Form_Load();

public slots:
    void Command1_Click();
    void Command2_Click();

signals:
    // The window is going away; it is already hidden when this is sent. Sent once.
    void leaving();

protected:
    void closeEvent(QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    // One statement line and what the book says of it.
    struct Row {
        QString identity;
        std::optional<Operation> operation; // the outstanding operation it settles
        std::optional<QDate> appliedOn;     // applied by an earlier import
    };

    void fill();
    void showSummary();
    bool checked(std::size_t row) const;
    void paymentEdited(QTableWidgetItem* item);
    void compareWithClosing();
    Money checkedTotal() const;

    RunContext& ctx_;
    QString fileName_;
    Statement statement_;
    std::vector<Row> rows_;
    Money bancaire_;
    QLabel* label1_ = nullptr;
    QTableWidget* table1_ = nullptr;
    QLabel* label2_ = nullptr;
    QPushButton* command1_ = nullptr;
    QPushButton* command2_ = nullptr;
    bool leaving_ = false;
};

} // namespace brelune
