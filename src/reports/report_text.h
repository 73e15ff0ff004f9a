// The printed reports: their texts, built from the data alone (never from
// the screen), and the one way they go to the printer.
#pragma once

#include "platform/account_db.h"
#include "platform/locale.h"
#include "platform/report_printer.h"
#include "platform/run_context.h"

#include <QDate>
#include <QString>
#include <QStringList>

namespace brelune {

// The account report, line by line: the operations in date order with their
// signed total, the two balances and their difference, in 10 points, then
// the credit line in 6 points. Each line is made from the book's data when it
// is asked for: a book of a million operations never becomes one text.
class AccountReport : public ReportLines {
public:
    AccountReport(RegisterData data, QDate today, const Locale& locale);
    qsizetype count() const override { return count_; }
    bool next(QString& text, int& pointSize) override;

private:
    // The lines after the operations, which end with their total.
    QStringList tail(const std::optional<Money>& total) const;

    RegisterData data_;
    Locale locale_;
    QStringList head_;
    QStringList tail_; // made once the last operation is out
    qsizetype count_ = 0;
    qsizetype line_ = 0; // the next line's number
    std::optional<Money> total_ = Money();
};

// Prints the account report of the book's data.
void printAccountReport(const RunContext& ctx, RegisterData data);

// The allocation report's body: a dated header, then the summary as the
// window last built it.
QString allocationReportText(const QString& summary, QDate today, const Locale& locale);

// Prints a report body in "courier New" 10 points, then the credit line
// (indented by creditIndent spaces) in 6 points, as one document.
void printReport(const RunContext& ctx, const QString& body, int creditIndent);

// Shows brelune.hlp; says nothing when it cannot.
void showHelpFile(const RunContext& ctx);

} // namespace brelune
