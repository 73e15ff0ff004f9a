#include "platform/account_db.h"

#include "platform/file_errors.h"

#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>
#include <SQLiteCpp/Database.h>
#include <SQLiteCpp/Statement.h>
#include <SQLiteCpp/Transaction.h>
#include <algorithm>
#include <cstdint>
#include <memory>
#include <sqlite3.h>
#include <string>
#include <string_view>
#include <unordered_map>

namespace brelune {

namespace {

constexpr int kSchemaVersion = 1;

const char* const kSchema = R"sql(
CREATE TABLE En_cour ("Date" TEXT, Montant INTEGER, Payement TEXT
  CHECK (Payement IS NULL OR length(Payement) BETWEEN 1 AND 5));
CREATE TABLE Soldes ("Réel" INTEGER, Bancaire INTEGER);
INSERT INTO Soldes ("Réel", Bancaire) VALUES (0, 0);
PRAGMA user_version = 1;
)sql";

AccountDbError fromSqlite(const SQLite::Exception& e) {
    switch (e.getErrorCode() & 0xff) {
    case SQLITE_NOTADB:
        return AccountDbError(QStringLiteral("ce fichier n'est pas une base de données BRELUNE"));
    case SQLITE_CANTOPEN:
        return AccountDbError(
            QStringLiteral("le fichier est introuvable ou ne peut pas être ouvert"));
    case SQLITE_READONLY:
    case SQLITE_PERM:
    case SQLITE_AUTH:
        return AccountDbError(QStringLiteral("le fichier ou son dossier est protégé en écriture"));
    case SQLITE_FULL:
        return AccountDbError(QStringLiteral("le disque est plein"));
    case SQLITE_BUSY:
    case SQLITE_LOCKED:
        return AccountDbError(QStringLiteral("la base est occupée par un autre programme"));
    case SQLITE_CORRUPT:
        return AccountDbError(QStringLiteral("le fichier est endommagé"));
    case SQLITE_IOERR:
        return AccountDbError(QStringLiteral("erreur de lecture ou d'écriture sur le disque"));
    case SQLITE_CONSTRAINT:
        return AccountDbError(QStringLiteral("une valeur a été refusée par la base"));
    case SQLITE_NOMEM:
        return AccountDbError(QStringLiteral("la mémoire manque"));
    default:
        // The engine's own text is English: the user gets the code, to quote
        // in a bug report.
        return AccountDbError(QStringLiteral("erreur inattendue de la base de données (code %1)")
                                  .arg(e.getExtendedErrorCode()));
    }
}

std::string nativePath(const QString& path) {
    return QFile::encodeName(path).toStdString();
}

// One connection per command, used by one thread: SQLite's own locking of
// each call is not needed.
SQLite::Database open(const QString& path, int flags) {
    return SQLite::Database(nativePath(path), flags | SQLite::OPEN_NOMUTEX, 2000);
}

// True when the table is a plain one whose rows are reached by their row
// id: not a view, not a table without row ids, and with no column of its
// own named like the row id (a deletion by row id would then remove every
// row holding that column's value).
bool rowidTable(SQLite::Database& db, const char* table) {
    SQLite::Statement kind(db, "SELECT type = 'table' AND NOT wr FROM pragma_table_list "
                               "WHERE schema = 'main' AND name = ? COLLATE NOCASE");
    kind.bind(1, table);
    if (!kind.executeStep() || kind.getColumn(0).getInt() == 0)
        return false;
    SQLite::Statement shadow(db, "SELECT 1 FROM pragma_table_info(?, 'main') "
                                 "WHERE lower(name) IN ('rowid', 'oid', '_rowid_')");
    shadow.bind(1, table);
    return !shadow.executeStep();
}

// The file must hold the two tables with their fields, in a version this
// program knows.
void checkSchema(SQLite::Database& db) {
    const AccountDbError foreign(
        QStringLiteral("ce fichier n'a pas les tables d'une base BRELUNE (En_cour et Soldes)"));
    try {
        if (db.execAndGet("PRAGMA user_version").getInt() > kSchemaVersion)
            throw AccountDbError(
                QStringLiteral("ce fichier vient d'une version plus récente de BRELUNE"));
        if (!rowidTable(db, "En_cour") || !rowidTable(db, "Soldes"))
            throw foreign;
        SQLite::Statement operations(db, R"(SELECT "Date", Montant, Payement FROM En_cour)");
        SQLite::Statement soldes(db, R"(SELECT "Réel", Bancaire FROM Soldes)");
    } catch (const SQLite::Exception& e) {
        if ((e.getErrorCode() & 0xff) == SQLITE_ERROR)
            throw foreign;
        throw;
    }
}

std::optional<Money> money(const SQLite::Column& c) {
    if (c.isNull())
        return std::nullopt;
    return Money::fromUnits(c.getInt64());
}

#define BRELUNE_OPERATIONS R"(SELECT rowid, "Date", Montant, Payement FROM En_cour )"
const char* const kSelectAll = BRELUNE_OPERATIONS "ORDER BY rowid";
const char* const kSelectByAmount = BRELUNE_OPERATIONS "WHERE Montant = ? ORDER BY rowid";
const char* const kSelectById = BRELUNE_OPERATIONS "WHERE rowid = ?";
#undef BRELUNE_OPERATIONS

// Reads "YYYY-MM-DD"; an invalid date for any other text.
QDate isoDate(const char* s, int length) {
    auto number = [&](int from, int count) {
        int value = 0;
        for (int i = from; i < from + count; ++i) {
            if (s[i] < '0' || s[i] > '9')
                return -1;
            value = value * 10 + (s[i] - '0');
        }
        return value;
    };
    if (length != 10 || s[4] != '-' || s[7] != '-')
        return {};
    const int year = number(0, 4), month = number(5, 2), day = number(8, 2);
    if (year < 0 || month < 0 || day < 0)
        return {};
    return QDate(year, month, day);
}

// Runs a query on kOperationColumns with an optional bound integer. This
// is the hot path of every refresh, so it reads the columns straight from
// the engine; payment texts repeat (CB, RENT...) and each distinct one is
// converted once.
std::vector<Operation> selectOperations(SQLite::Database& db, const char* sql,
                                        std::optional<qint64> parameter = std::nullopt) {
    sqlite3_stmt* raw = nullptr;
    if (sqlite3_prepare_v2(db.getHandle(), sql, -1, &raw, nullptr) != SQLITE_OK)
        throw SQLite::Exception(db.getHandle(), sqlite3_errcode(db.getHandle()));
    const std::unique_ptr<sqlite3_stmt, int (*)(sqlite3_stmt*)> q(raw, sqlite3_finalize);
    if (parameter)
        sqlite3_bind_int64(raw, 1, *parameter);
    std::vector<Operation> out;
    std::unordered_map<std::string_view, QString> payements;
    std::vector<std::unique_ptr<std::string>> keys; // owns the texts the map's keys view
    int rc = 0;
    while ((rc = sqlite3_step(raw)) == SQLITE_ROW) {
        Operation& op = out.emplace_back();
        op.id = sqlite3_column_int64(raw, 0);
        const auto* date = reinterpret_cast<const char*>(sqlite3_column_text(raw, 1));
        const int dateBytes = sqlite3_column_bytes(raw, 1);
        if (date) {
            op.date = isoDate(date, dateBytes);
            if (!op.date.isValid())
                op.dateText = QString::fromUtf8(date, dateBytes);
        }
        op.montant = Money::fromUnits(sqlite3_column_int64(raw, 2));
        const auto* pay = reinterpret_cast<const char*>(sqlite3_column_text(raw, 3));
        if (pay) {
            const std::string_view text(pay, std::size_t(sqlite3_column_bytes(raw, 3)));
            auto found = payements.find(text);
            if (found == payements.end()) {
                keys.push_back(std::make_unique<std::string>(text));
                found =
                    payements.emplace(*keys.back(), QString::fromUtf8(pay, qsizetype(text.size())))
                        .first;
            }
            op.payement = found->second;
        }
    }
    if (rc != SQLITE_DONE)
        throw SQLite::Exception(db.getHandle(), rc);
    return out;
}

std::optional<Soldes> soldesIn(SQLite::Database& db) {
    SQLite::Statement q(db, R"(SELECT "Réel", Bancaire FROM Soldes ORDER BY rowid LIMIT 1)");
    if (!q.executeStep())
        return std::nullopt;
    return Soldes{money(q.getColumn(0)), money(q.getColumn(1))};
}

const char* columnOf(BalanceField field) {
    return field == BalanceField::Reel ? R"("Réel")" : "Bancaire";
}

// Moves one balance by delta; an empty balance counts as 0 and a missing
// row is created with the other field empty.
void moveBalance(SQLite::Database& db, BalanceField field, Money delta) {
    const std::string column = columnOf(field);
    SQLite::Statement q(db, "SELECT rowid, " + column + " FROM Soldes ORDER BY rowid LIMIT 1");
    if (!q.executeStep()) {
        SQLite::Statement insert(db, "INSERT INTO Soldes (" + column + ") VALUES (?)");
        insert.bind(1, std::int64_t{delta.units()});
        insert.exec();
        return;
    }
    if (delta.isZero())
        return;
    const qint64 row = q.getColumn(0).getInt64();
    const auto moved = money(q.getColumn(1)).value_or(Money()).plus(delta);
    if (!moved)
        throw AccountDbError(
            QStringLiteral("le solde dépasserait le plus grand montant que BRELUNE sait tenir"));
    q.reset();
    SQLite::Statement update(db, "UPDATE Soldes SET " + column + " = ? WHERE rowid = ?");
    update.bind(1, std::int64_t{moved->units()});
    update.bind(2, std::int64_t{row});
    update.exec();
}

Money signedAmount(const Operation& op, bool reverse) {
    const bool up = op.isIncome() != reverse;
    const auto value = up ? std::optional<Money>(op.montant) : op.montant.negated();
    if (!value)
        throw AccountDbError(
            QStringLiteral("le solde dépasserait le plus grand montant que BRELUNE sait tenir"));
    return *value;
}

template <typename Work> auto guarded(Work work) {
    try {
        return work();
    } catch (const SQLite::Exception& e) {
        throw fromSqlite(e);
    }
}

// The order of the stored date texts: ISO dates sort as dates, and a text
// that is not a date sorts as its text does among ISO texts.
bool storedDateBefore(const Operation& a, const Operation& b) {
    if (a.date.isValid() && b.date.isValid())
        return a.date < b.date;
    auto text = [](const Operation& op) {
        return op.date.isValid() ? op.date.toString(Qt::ISODate) : op.dateText;
    };
    return text(a) < text(b);
}

} // namespace

QString dbProblemText(const QString& path, const AccountDbError& error, bool wasWriting) {
    QString text = QStringLiteral("La base de données « %1 » ne peut pas être utilisée : %2.")
                       .arg(path, error.reason());
    if (wasWriting)
        text += QStringLiteral("\r\nRien n'a été enregistré.");
    return text;
}

void AccountDb::create(const QString& path) {
    if (QFileInfo::exists(path))
        throw AccountDbError(QStringLiteral("un fichier de ce nom existe déjà"));
    const QString temp =
        QFileInfo(path).absolutePath() +
        QStringLiteral("/.PTcomptes-%1.tmp").arg(QRandomGenerator::global()->generate64(), 0, 16);
    auto cleanUp = [&] {
        QFile::remove(temp);
        QFile::remove(temp + QStringLiteral("-journal"));
    };
    try {
        guarded([&] {
            SQLite::Database db(nativePath(temp), SQLite::OPEN_READWRITE | SQLite::OPEN_CREATE);
            SQLite::Transaction tx(db);
            db.exec(kSchema);
            tx.commit();
        });
        QFile file(temp);
        if (!file.rename(path)) {
            throw AccountDbError(QFileInfo::exists(path)
                                     ? QStringLiteral("un fichier de ce nom existe déjà")
                                     : fileErrorText(file));
        }
    } catch (...) {
        cleanUp();
        throw;
    }
}

void AccountDb::verify() const {
    guarded([&] {
        auto db = open(path_, SQLite::OPEN_READONLY);
        checkSchema(db);
    });
}

RegisterData AccountDb::readRegister() const {
    return guarded([&] {
        auto db = open(path_, SQLite::OPEN_READWRITE);
        SQLite::Transaction tx(db);
        checkSchema(db);
        RegisterData data;
        // Read in storage order and sorted here: cheaper than the engine's
        // sort of whole rows, and the same order as ORDER BY "Date", rowid.
        data.operations = selectOperations(db, kSelectAll);
        std::stable_sort(data.operations.begin(), data.operations.end(), storedDateBefore);
        data.soldes = soldesIn(db);
        tx.commit();
        return data;
    });
}

std::optional<Soldes> AccountDb::readSoldes() const {
    return guarded([&] {
        auto db = open(path_, SQLite::OPEN_READWRITE);
        checkSchema(db);
        return soldesIn(db);
    });
}

std::vector<Operation> AccountDb::findByAmount(Money amount) const {
    return guarded([&] {
        auto db = open(path_, SQLite::OPEN_READWRITE);
        SQLite::Transaction tx(db);
        checkSchema(db);
        auto found = selectOperations(db, kSelectByAmount, amount.units());
        tx.commit();
        return found;
    });
}

void AccountDb::addOperation(QDate date, Money amount, const QString& payement) {
    guarded([&] {
        auto db = open(path_, SQLite::OPEN_READWRITE);
        SQLite::Transaction tx(db, SQLite::TransactionBehavior::IMMEDIATE);
        checkSchema(db);
        SQLite::Statement insert(
            db, R"(INSERT INTO En_cour ("Date", Montant, Payement) VALUES (?, ?, ?))");
        insert.bind(1, date.toString(Qt::ISODate).toStdString());
        insert.bind(2, std::int64_t{amount.units()});
        insert.bind(3, payement.toStdString());
        insert.exec();
        const Operation op{0, date, {}, amount, payement};
        moveBalance(db, BalanceField::Reel, signedAmount(op, false));
        tx.commit();
    });
}

void AccountDb::removeAndMove(const Operation& expected, BalanceField field, bool reverse) {
    guarded([&] {
        auto db = open(path_, SQLite::OPEN_READWRITE);
        SQLite::Transaction tx(db, SQLite::TransactionBehavior::IMMEDIATE);
        checkSchema(db);
        const auto rows = selectOperations(db, kSelectById, expected.id);
        if (rows.empty() || !rows.front().sameValues(expected))
            throw AccountDbError(QStringLiteral("cette opération n'est plus dans la base"));
        SQLite::Statement remove(db, "DELETE FROM En_cour WHERE rowid = ?");
        remove.bind(1, std::int64_t{expected.id});
        remove.exec();
        moveBalance(db, field, signedAmount(expected, reverse));
        tx.commit();
    });
}

void AccountDb::deleteOperation(const Operation& op) {
    removeAndMove(op, BalanceField::Reel, true);
}

void AccountDb::markOperation(const Operation& op) {
    removeAndMove(op, BalanceField::Bancaire, false);
}

void AccountDb::setBalance(BalanceField field, Money value) {
    guarded([&] {
        auto db = open(path_, SQLite::OPEN_READWRITE);
        SQLite::Transaction tx(db, SQLite::TransactionBehavior::IMMEDIATE);
        checkSchema(db);
        const std::string column = columnOf(field);
        SQLite::Statement q(db, "SELECT rowid FROM Soldes ORDER BY rowid LIMIT 1");
        if (q.executeStep()) {
            const qint64 row = q.getColumn(0).getInt64();
            q.reset();
            SQLite::Statement update(db, "UPDATE Soldes SET " + column + " = ? WHERE rowid = ?");
            update.bind(1, std::int64_t{value.units()});
            update.bind(2, std::int64_t{row});
            update.exec();
        } else {
            SQLite::Statement insert(db, "INSERT INTO Soldes (" + column + ") VALUES (?)");
            insert.bind(1, std::int64_t{value.units()});
            insert.exec();
        }
        tx.commit();
    });
}

} // namespace brelune
