// Text forms of an operation in the lists, and the balance check that tells
// whether the operations agree with the two reference balances.
#pragma once

#include "platform/account_db.h"
#include "platform/locale.h"

#include <QString>

namespace brelune {

// The operation's date in the short date format, or its stored text when
// that is no date; appended to a line being built.
void appendOperationDate(QString& out, const Operation& op, const Locale& locale);
// Date, "_____", the amount as "###0.00 €" padded with underscores to 12
// characters, the payment. The reconciliation list shows it as it is.
QString registerLineBody(const Operation& op, const Locale& locale);
// The register's line: five spaces, then the body.
QString registerLine(const Operation& op, const Locale& locale);
// The register's only line when it holds no operation.
QString emptyRegisterLine();
// A line of a search by amount: date, " ---> ", the plain amount padded with
// spaces to 7 characters, " ---> ", the payment.
QString searchLine(const Operation& op, const Locale& locale);

enum class Verdict { Bon, Faux };

// Good when Réel minus Bancaire equals the signed sum of the operations,
// exactly, to the last of the four decimals. An empty balance counts as 0.
Verdict balanceVerdict(const OperationTable& operations, const Soldes& soldes);

} // namespace brelune
