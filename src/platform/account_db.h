// AccountDb: the account database file (operations not yet reconciled and
// the two reference balances). Every call opens the file, works inside one
// transaction and closes it: a command is stored whole or not at all.
#pragma once

#include "platform/money.h"

#include <QDate>
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

struct RegisterData {
    std::vector<Operation> operations; // by date
    std::optional<Soldes> soldes;      // nothing when Soldes has no row
};

enum class BalanceField { Reel, Bancaire };

class AccountDbError : public std::exception {
public:
    explicit AccountDbError(QString reason) : reason_(std::move(reason)) {}
    // Why the command failed, in French, for the user.
    const QString& reason() const { return reason_; }
    const char* what() const noexcept override { return "account database error"; }

private:
    QString reason_;
};

// What the user is told when the database at path could not be used; after
// a failed write, also that nothing was stored.
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

private:
    void removeAndMove(const Operation& expected, BalanceField field, bool reverse);

    QString path_;
};

} // namespace brelune
