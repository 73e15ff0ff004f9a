// The balance strip at the bottom of the main window: Label1(0) to Label1(4),
// side by side, with the two reference balances and the verdict. Label1(1)
// to Label1(4) are created by the first refresh that finds the balances.
#pragma once

#include "platform/account_db.h"
#include "platform/locale.h"
#include "register/register_line.h"

#include <QLabel>
#include <QWidget>
#include <vector>

namespace brelune {

class BalanceStrip : public QWidget {
    Q_OBJECT
public:
    explicit BalanceStrip(QWidget* parent = nullptr);

    // Back to the design state: Label1(0) alone, reading "Label1".
    void reset();
    void showBalances(const Soldes& soldes, Verdict verdict, const Locale& locale);
    // Label1(0) across the whole width with this caption; the other labels
    // are hidden, or left as they are.
    void showMessage(const QString& caption, bool hideOthers);

protected:
    void resizeEvent(QResizeEvent* event) override;

private:
    QLabel* makeLabel(int index);
    void place();

    std::vector<QLabel*> labels_; // Label1(0), then 1 to 4 once created
    bool spanning_ = false;
};

} // namespace brelune
