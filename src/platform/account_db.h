// AccountDb: the account database file (operations not yet reconciled and
// the two reference balances). Every call opens the file, works inside one
// transaction and closes it: a command is stored whole or not at all.
#pragma once

#include "platform/money.h"

#include <QDate>
#include <QHash>
#include <QString>
#include <exception>
#include <optional>
#include <vector>

namespace brelune {

// One row of En_cour. Income is marked by the payment text RENT; every other
// operation is money going out, whatever the sign of its amount.
struct Operation {
    qint64 id = 0;    // the row's identity, so that a listed line acts on its own row
    QDate date;       // invalid when the stored text is not an ISO date
    QString dateText; // the stored text, kept only when it is not a date
    Money montant;    // an empty amount reads as 0
    QString payement;

    bool isIncome() const { return payement == QLatin1String("RENT"); }
    bool sameValues(const Operation& other) const {
        return date == other.date && dateText == other.dateText && montant == other.montant &&
               payement == other.payement;
    }
};

// The row of Soldes; an empty field has no value.
struct Soldes {
    std::optional<Money> reel;
    std::optional<Money> bancaire;
};

// The operations of a book, kept compact (28 bytes each, whatever the book
// holds): an Operation is built only when one is asked for. Iterating gives
// Operation values.
class OperationTable {
public:
    std::size_t size() const { return rows_.size(); }
    bool empty() const { return rows_.empty(); }
    Operation at(std::size_t i) const;
    void append(const Operation& op);
    // What matching a statement needs of operation i, read without building
    // it: its row id, its signed effect (income up, anything else down) and
    // its Julian day, below 0 when its stored date is no date.
    struct Effect {
        qint64 id;
        __int128 units;
        qint64 day;
    };
    Effect effect(std::size_t i) const {
        const Row& r = row(i);
        return {r.id, income_[std::size_t(r.payement)] ? __int128(r.units) : -__int128(r.units),
                r.day};
    }
    // The operations' signed sum: income up, everything else down, in a
    // width that no book, however damaged, can overflow.
    __int128 signedSum() const;
    // Puts the operations by date, then in the order given; a stored text
    // that is no date sorts as its text does among the dates' ISO texts.
    void sortByDate();

    class Iterator {
    public:
        Iterator(const OperationTable* table, std::size_t i) : table_(table), i_(i) {}
        Operation operator*() const { return table_->at(i_); }
        Iterator& operator++() {
            ++i_;
            return *this;
        }
        bool operator!=(const Iterator& other) const { return i_ != other.i_; }

    private:
        const OperationTable* table_;
        std::size_t i_;
    };
    Iterator begin() const { return {this, 0}; }
    Iterator end() const { return {this, size()}; }

private:
    friend class OperationReader;
    struct Row {
        qint64 id;
        qint64 units;
        qint32 day;      // a Julian day; below 0, ~index into dateTexts_
        qint32 payement; // index into payements_
    };
    const Row& row(std::size_t i) const { return rows_[order_.empty() ? i : order_[i]]; }
    QString dateTextOf(const Row& row) const;
    // The day of a row whose stored date is this text, which is no date.
    qint32 textDay(const QString& text);
    qint32 payementIndex(const QString& payement);

    std::vector<Row> rows_;      // as read
    std::vector<quint32> order_; // the rows by date; empty when read in that order
    std::vector<QString> payements_;
    std::vector<bool> income_; // beside payements_: is it RENT
    std::vector<QString> dateTexts_;
};

struct RegisterData {
    OperationTable operations;    // by date
    std::optional<Soldes> soldes; // nothing when Soldes has no row
};

enum class BalanceField { Reel, Bancaire };

// A bank statement line applied to the book, kept in the table Releve so
// that the same line is never applied twice. The identity is the statement
// reader's. A line settles an outstanding operation, or is entered and
// marked at once with the payment given.
struct StatementRecord {
    QString identity;
    QDate date;
    Money amount; // signed: above 0 is money coming in
    QString label;
    std::optional<Operation> settles;
    QString payement; // of a line entered: RENT for money coming in
};

class AccountDbError : public std::exception {
public:
    // bookSound: the book itself is fine; only this command was refused.
    explicit AccountDbError(QString reason, bool bookSound = false)
        : reason_(std::move(reason)), bookSound_(bookSound) {}
    // Why the command failed, in French, for the user.
    const QString& reason() const { return reason_; }
    bool bookSound() const { return bookSound_; }
    const char* what() const noexcept override { return "account database error"; }

private:
    QString reason_;
    bool bookSound_;
};

// What the user is told when the database at path could not be used; after
// a failed write, also that nothing was stored. A command refused by a sound
// book is told as such.
QString dbProblemText(const QString& path, const AccountDbError& error, bool wasWriting);

class AccountDb {
public:
    explicit AccountDb(QString path) : path_(std::move(path)) {}
    const QString& path() const { return path_; }

    // Writes a new empty database (one Soldes row at 0, 0) at path. Nothing is
    // left behind when this fails, and an existing file is never replaced.
    static void create(const QString& path);

    // Reads without writing; throws when the file is not a BRELUNE database.
    void verify() const;

    RegisterData readRegister() const;
    std::optional<Soldes> readSoldes() const;
    std::vector<Operation> findByAmount(Money amount) const;

    // Stores the operation and moves Réel by its signed amount.
    void addOperation(QDate date, Money amount, const QString& payement);
    // Removes the operation, as it was read, and moves Réel back by its
    // signed amount. Refused when its row is gone or holds other values
    // since (a row id can be given again to a newer operation).
    void deleteOperation(const Operation& op);
    // Removes the operation, as it was read, and moves Bancaire by its
    // signed amount; refused likewise.
    void markOperation(const Operation& op);
    // Overwrites one balance; creates the row (other field empty) when missing.
    void setBalance(BalanceField field, Money value);

    // A consistent copy of the book at target, made by the engine's online
    // backup, never a byte copy of a file in use: written beside target and
    // renamed over it, its user's alone. Refused when the file is not a
    // BRELUNE book.
    void backupTo(const QString& target) const;
    // How many operations the book holds, and its balances; read only.
    std::pair<qint64, std::optional<Soldes>> summary() const;

    // The statement lines applied so far, by identity, with the day each was
    // applied; none when the book has no Releve table.
    QHash<QString, QDate> appliedStatementLines() const;
    // In one transaction: marks the operation each line settles (as
    // markOperation does), moves both balances by each line entered, and
    // records every line in Releve, created when missing. Refused whole when
    // an operation has gone or changed, a line was applied already, or an
    // entered line's payment says the other way (RENT for money going out).
    void applyStatement(const std::vector<StatementRecord>& records, QDate appliedOn);

private:
    void removeAndMove(const Operation& expected, BalanceField field, bool reverse);

    QString path_;
};

} // namespace brelune
