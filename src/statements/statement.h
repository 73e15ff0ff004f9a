// A bank statement as read from the bank's file, whatever its format: its
// lines in the file's order and, when the file gives one, its closing
// balance. readStatement() picks the reader by the file's contents.
#pragma once

#include "platform/money.h"

#include <QByteArray>
#include <QDate>
#include <QString>
#include <exception>
#include <optional>
#include <vector>

namespace brelune {

struct StatementLine {
    QDate date;
    Money amount; // signed: above 0 is money coming in
    QString label;
    QString fitid; // the bank's own identity of the line (OFX), else empty
};

struct Statement {
    QString account; // the bank's account id (OFX), else empty
    std::vector<StatementLine> lines;
    std::optional<Money> closing; // the ledger balance printed on the statement
    QDate closingDate;
};

// Why a file could not be read, in French, naming the line or element where
// reading failed: "ligne 12 : date illisible « 31/02/2024 »".
class StatementError : public std::exception {
public:
    explicit StatementError(QString reason) : reason_(std::move(reason)) {}
    const QString& reason() const { return reason_; }
    const char* what() const noexcept override { return "statement error"; }

private:
    QString reason_;
};

// Files larger than this are refused before being read.
constexpr qint64 kStatementMaxBytes = 20 * 1000 * 1000;

// Reads the statement file at path: OFX (1.x SGML or 2.x XML), QIF or CSV.
// Throws StatementError.
Statement readStatement(const QString& path);

// The readers, on the file's bytes. Each throws StatementError.
Statement readOfx(const QByteArray& bytes);
Statement readQif(const QByteArray& bytes);
Statement readCsv(const QByteArray& bytes);

// What the readers share.

// An amount as a bank's file writes it, read strictly: an optional sign and
// an optional "€" or "EUR" before or after; digits, grouped by threes with
// blanks, commas or points, or not grouped; then a decimal comma or point and
// cents (more decimals only when they are zeros). A separator met once and
// alone is the decimal one, but never before exactly three digits ("1,234"
// could be a thousand); one met twice or more groups ("1,234,567"); with both,
// the last one is the decimal separator ("1,234.56", "1.234,56"). Nothing for
// any other text ("12,3,4", "12,345") or an amount beyond the money range.
std::optional<Money> readStatementAmount(QString text);

// A date as a bank's file writes it: day first, "31/01/2024", "31/01/24",
// "31.1.2024", the "31/1'24" of QIF files, or "2024-01-31"; blanks anywhere
// are ignored. An invalid QDate unless it names a real day.
QDate readStatementDate(const QString& text);

// The text of a statement file: UTF-8 when its bytes are valid UTF-8 or begin
// with its mark (dropped), else Windows-1252. A NUL byte is refused.
QString statementText(const QByteArray& bytes);

// A line of a statement's label: the payee, then the memo when there is one
// that says more, each run of blanks made one space.
QString statementLabel(const QString& payee, const QString& memo);

// "« text »" for a reason, a text too long to be shown cut short.
QString quotedInReason(const QString& text);

// Text lines longer than this are refused: no bank writes one, and a file
// with one is no statement.
constexpr qsizetype kStatementMaxLine = 10000;
QString lineTooLong(qsizetype line);

} // namespace brelune
