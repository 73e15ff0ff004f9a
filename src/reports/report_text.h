// The printed reports: their texts, built from the data alone (never from
// the screen), and the one way they go to the printer.
#pragma once

#include "platform/account_db.h"
#include "platform/locale.h"
#include "platform/run_context.h"

#include <QDate>
#include <QString>

namespace brelune {

// The account report's body: the operations in date order with their signed
// total, the two balances and their difference. Lines end with "\r\n".
QString accountReportText(const RegisterData& data, QDate today, const Locale& locale);

// The allocation report's body: a dated header, then the summary as the
// window last built it.
QString allocationReportText(const QString& summary, QDate today, const Locale& locale);

// Prints a report body in "courier New" 10 points, then the credit line
// (indented by creditIndent spaces) in 6 points, as one document.
void printReport(const RunContext& ctx, const QString& body, int creditIndent);

// Shows brelune.hlp; says nothing when it cannot.
void showHelpFile(const RunContext& ctx);

} // namespace brelune
