// Matching a bank statement to the book: which outstanding operation each
// statement line settles. A pure function of the lines and the operations,
// so that the same file and book always give the same proposal.
#pragma once

#include "platform/account_db.h"
#include "statements/statement.h"

#include <optional>
#include <vector>

namespace brelune {

// How far an operation's date may lie from its statement line's: a cheque is
// cashed weeks after it is written, a card payment may be typed a day late.
constexpr int kDaysBefore = 60;
constexpr int kDaysAfter = 7;

// For each line, the index in operations of the operation it settles, or
// nothing. A line and an operation match when the operation's signed effect
// (+amount for RENT, -amount otherwise) equals the line's amount exactly (a
// bank gives cents: an operation typed with more decimals is never proposed)
// and its
// date lies within the window above; among all possible pairs the closest
// dates go first, then the earlier line, then the operation stored first.
// Lines marked in skip and operations without a date are never matched.
// Linear in lines plus operations.
std::vector<std::optional<std::size_t>> matchStatement(const std::vector<StatementLine>& lines,
                                                       const std::vector<bool>& skip,
                                                       const OperationTable& operations);

// Each line's identity in the book's record of applied lines: the bank's own
// (account and FITID) when the file gives one, else its date, amount and
// label; then its rank among the lines of the file with the same.
std::vector<QString> lineIdentities(const Statement& statement);

// The payment text proposed for a line entered from the statement: RENT for
// money coming in, else the label's first word (kept as keptPayment keeps it).
QString proposedPayment(const StatementLine& line);

} // namespace brelune
