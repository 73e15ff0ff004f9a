#include "platform/account_db.h"

#include "platform/safe_file.h"

#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>
#include <QScopeGuard>
#include <SQLiteCpp/Backup.h>
#include <SQLiteCpp/Database.h>
#include <SQLiteCpp/Statement.h>
#include <SQLiteCpp/Transaction.h>
#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <fcntl.h>
#include <limits>
#include <memory>
#include <sqlite3.h>
#include <stdexcept>
#include <string>
#include <string_view>
#include <unistd.h>
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

AccountDbError damaged() {
    return AccountDbError(QStringLiteral("le fichier est endommagé"));
}

// An amount is stored as a whole number of ten-thousandths, or is empty: a
// text, a real or a blob there is damage, never a number to guess at.
bool amountType(int type) {
    return type == SQLITE_INTEGER || type == SQLITE_NULL;
}

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
        return damaged();
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

const char* const kCreateReleve =
    R"(CREATE TABLE IF NOT EXISTS Releve (Identite TEXT PRIMARY KEY, "Date" TEXT, Montant INTEGER,)"
    R"( Libelle TEXT, Pointe_le TEXT))";

bool hasTable(SQLite::Database& db, const char* table) {
    SQLite::Statement q(db, "SELECT 1 FROM sqlite_master WHERE type IN ('table', 'view') "
                            "AND name = ? COLLATE NOCASE");
    q.bind(1, table);
    return q.executeStep();
}

// Releve's columns, in their order, its identity the primary key: lines are
// written by position and found again by identity.
bool releveShaped(SQLite::Database& db) {
    static const char* const kColumns[] = {"Identite", "Date", "Montant", "Libelle", "Pointe_le"};
    SQLite::Statement q(db,
                        "SELECT name, pk FROM pragma_table_info('Releve', 'main') ORDER BY cid");
    std::size_t i = 0;
    for (; q.executeStep(); ++i)
        if (i == std::size(kColumns) || q.getColumn(0).getString() != kColumns[i] ||
            q.getColumn(1).getInt() != (i == 0))
            return false;
    return i == std::size(kColumns);
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
        // A trigger would change rows behind every command's back: BRELUNE makes none.
        if (db.execAndGet("SELECT count(*) FROM sqlite_master WHERE type = 'trigger'").getInt() > 0)
            throw damaged();
        SQLite::Statement operations(db, R"(SELECT "Date", Montant, Payement FROM En_cour)");
        SQLite::Statement soldes(db, R"(SELECT "Réel", Bancaire FROM Soldes)");
    } catch (const SQLite::Exception& e) {
        if ((e.getErrorCode() & 0xff) == SQLITE_ERROR)
            throw foreign;
        throw;
    }
    // The applied statement lines are optional; when there, they must be ours.
    if (hasTable(db, "Releve") && (!rowidTable(db, "Releve") || !releveShaped(db)))
        throw damaged();
}

std::optional<Money> money(const SQLite::Column& c) {
    if (!amountType(c.getType()))
        throw damaged();
    if (c.isNull())
        return std::nullopt;
    return Money::fromUnits(c.getInt64());
}

#define BRELUNE_OPERATIONS R"(SELECT rowid, "Date", Montant, Payement FROM En_cour )"
const char* const kSelectAll = BRELUNE_OPERATIONS "ORDER BY rowid";
// The same pass meets any amount that is no number, and the reader refuses it.
const char* const kSelectByAmount = BRELUNE_OPERATIONS
    "WHERE Montant = ? OR typeof(Montant) NOT IN ('integer', 'null') ORDER BY rowid";
const char* const kSelectById = BRELUNE_OPERATIONS "WHERE rowid = ?";
#undef BRELUNE_OPERATIONS

// The Julian day of "YYYY-MM-DD", a date from year 1 to 9999, or -1 for any
// other text. Read on every row of every refresh, so without QDate.
qint32 isoDay(const char* s, int length) {
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
        return -1;
    const int year = number(0, 4), month = number(5, 2), day = number(8, 2);
    if (year < 1 || month < 1 || month > 12 || day < 1)
        return -1;
    static constexpr int kDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    const bool leap = (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
    if (day > kDays[month - 1] + (month == 2 && leap))
        return -1;
    const int a = (14 - month) / 12, y = year + 4800 - a, m = month + 12 * a - 3;
    return day + (153 * m + 2) / 5 + 365 * y + y / 4 - y / 100 + y / 400 - 32045;
}

} // namespace

// Runs a query on the operations' four columns with an optional bound
// integer. This is the hot path of every refresh, so it reads the columns
// straight from the engine; payment texts repeat (CB, RENT...) and each
// distinct one is converted once.
class OperationReader {
public:
    static OperationTable read(SQLite::Database& db, const char* sql,
                               std::optional<qint64> parameter = std::nullopt,
                               std::optional<std::size_t> capacity = std::nullopt) {
        sqlite3_stmt* raw = nullptr;
        if (sqlite3_prepare_v2(db.getHandle(), sql, -1, &raw, nullptr) != SQLITE_OK)
            throw SQLite::Exception(db.getHandle(), sqlite3_errcode(db.getHandle()));
        const std::unique_ptr<sqlite3_stmt, int (*)(sqlite3_stmt*)> q(raw, sqlite3_finalize);
        if (parameter)
            sqlite3_bind_int64(raw, 1, *parameter);
        OperationTable table;
        if (capacity)
            table.rows_.reserve(*capacity);
        std::unordered_map<std::string_view, qint32> payements;
        std::vector<std::unique_ptr<std::string>> keys; // owns the texts the map's keys view
        int rc = 0;
        while ((rc = sqlite3_step(raw)) == SQLITE_ROW) {
            OperationTable::Row& row = table.rows_.emplace_back();
            row.id = sqlite3_column_int64(raw, 0);
            const auto* date = reinterpret_cast<const char*>(sqlite3_column_text(raw, 1));
            const int dateBytes = sqlite3_column_bytes(raw, 1);
            row.day = date ? isoDay(date, dateBytes) : -1;
            if (row.day < 0)
                row.day = table.textDay(date ? QString::fromUtf8(date, dateBytes) : QString());
            if (!amountType(sqlite3_column_type(raw, 2)))
                throw damaged();
            row.units = sqlite3_column_int64(raw, 2);
            const auto* pay = reinterpret_cast<const char*>(sqlite3_column_text(raw, 3));
            const std::string_view text(pay ? pay : "", std::size_t(sqlite3_column_bytes(raw, 3)));
            auto found = payements.find(text);
            if (found == payements.end()) {
                keys.push_back(std::make_unique<std::string>(text));
                const QString payement = QString::fromUtf8(text.data(), qsizetype(text.size()));
                found = payements.emplace(*keys.back(), table.payementIndex(payement)).first;
            }
            row.payement = found->second;
        }
        if (rc != SQLITE_DONE)
            throw SQLite::Exception(db.getHandle(), rc);
        return table;
    }

    static std::vector<Operation> list(SQLite::Database& db, const char* sql, qint64 parameter) {
        std::vector<Operation> out;
        for (const Operation& op : read(db, sql, parameter))
            out.push_back(op);
        return out;
    }
};

Operation OperationTable::at(std::size_t i) const {
    if (i >= size())
        throw std::out_of_range("OperationTable::at");
    const Row& row = this->row(i);
    Operation op;
    op.id = row.id;
    if (row.day >= 0)
        op.date = QDate::fromJulianDay(row.day);
    else
        op.dateText = dateTexts_[std::size_t(~row.day)];
    op.montant = Money::fromUnits(row.units);
    op.payement = payements_[std::size_t(row.payement)];
    return op;
}

qint32 OperationTable::payementIndex(const QString& payement) {
    const auto known = std::find(payements_.begin(), payements_.end(), payement);
    if (known != payements_.end())
        return qint32(known - payements_.begin());
    payements_.push_back(payement);
    income_.push_back(Operation{0, {}, {}, {}, payement}.isIncome());
    return qint32(payements_.size() - 1);
}

void OperationTable::append(const Operation& op) {
    Row& row = rows_.emplace_back();
    row.id = op.id;
    row.day = op.date.isValid() ? qint32(op.date.toJulianDay()) : textDay(op.dateText);
    row.units = op.montant.units();
    row.payement = payementIndex(op.payement);
}

qint32 OperationTable::textDay(const QString& text) {
    dateTexts_.push_back(text);
    return ~qint32(dateTexts_.size() - 1);
}

__int128 OperationTable::signedSum() const {
    __int128 total = 0;
    for (const Row& row : rows_)
        total += income_[std::size_t(row.payement)] ? row.units : -__int128(row.units);
    return total;
}

QString OperationTable::dateTextOf(const Row& row) const {
    return row.day >= 0 ? QDate::fromJulianDay(row.day).toString(Qt::ISODate)
                        : dateTexts_[std::size_t(~row.day)];
}

void OperationTable::sortByDate() {
    // The rows stay where they are and an order is kept beside them. Dates
    // are sorted by counting: linear in the book and stable. The rare texts
    // that are no dates are sorted apart, each then put where its text falls
    // among the dates.
    order_.clear();
    const auto dated = [](const Row& row) { return row.day >= 0; };
    const auto byDay = [](const Row& a, const Row& b) { return a.day < b.day; };
    if (std::all_of(rows_.begin(), rows_.end(), dated) &&
        std::is_sorted(rows_.begin(), rows_.end(), byDay))
        return; // most books are in date order already
    std::vector<quint32> byDate, undated;
    qint32 first = std::numeric_limits<qint32>::max(), last = -1;
    for (const Row& row : rows_) {
        if (dated(row)) {
            first = std::min(first, row.day);
            last = std::max(last, row.day);
        }
    }
    if (last >= 0) {
        std::vector<quint32> start(std::size_t(last - first) + 2, 0);
        for (const Row& row : rows_)
            if (dated(row))
                ++start[std::size_t(row.day - first) + 1];
        for (std::size_t i = 1; i < start.size(); ++i)
            start[i] += start[i - 1];
        byDate.resize(start.back());
        for (std::size_t i = 0; i < rows_.size(); ++i)
            if (dated(rows_[i]))
                byDate[start[std::size_t(rows_[i].day - first)]++] = quint32(i);
    }
    for (std::size_t i = 0; i < rows_.size(); ++i)
        if (!dated(rows_[i]))
            undated.push_back(quint32(i));
    if (undated.empty()) {
        order_.swap(byDate);
        return;
    }
    const auto byText = [this](quint32 a, quint32 b) {
        return dateTextOf(rows_[a]) < dateTextOf(rows_[b]);
    };
    std::stable_sort(undated.begin(), undated.end(), byText);
    order_.reserve(rows_.size());
    auto from = byDate.begin();
    for (const quint32 i : undated) {
        const auto to = std::upper_bound(from, byDate.end(), i, byText);
        order_.insert(order_.end(), from, to);
        order_.push_back(i);
        from = to;
    }
    order_.insert(order_.end(), from, byDate.end());
}

namespace {

std::optional<Soldes> soldesIn(SQLite::Database& db) {
    SQLite::Statement q(db, R"(SELECT "Réel", Bancaire FROM Soldes ORDER BY rowid LIMIT 1)");
    if (!q.executeStep())
        return std::nullopt;
    return Soldes{money(q.getColumn(0)), money(q.getColumn(1))};
}

const char* columnOf(BalanceField field) {
    return field == BalanceField::Reel ? R"("Réel")" : "Bancaire";
}

// A balance that would leave the money range: the command is refused, the book is fine.
AccountDbError beyondMoneyRange() {
    return AccountDbError(
        QStringLiteral("le solde dépasserait le plus grand montant que BRELUNE sait tenir"), true);
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
        throw beyondMoneyRange();
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
        throw beyondMoneyRange();
    return *value;
}

// Removes the operation as it was read; refused when its row is gone or
// holds other values since (a row id can be given again to a newer one).
void removeOperation(SQLite::Database& db, const Operation& expected) {
    const auto rows = OperationReader::list(db, kSelectById, expected.id);
    if (rows.empty() || !rows.front().sameValues(expected))
        throw AccountDbError(QStringLiteral("cette opération n'est plus dans la base"), true);
    SQLite::Statement remove(db, "DELETE FROM En_cour WHERE rowid = ?");
    remove.bind(1, std::int64_t{expected.id});
    remove.exec();
}

template <typename Work> auto guarded(Work work) {
    try {
        return work();
    } catch (const SQLite::Exception& e) {
        throw fromSqlite(e);
    }
}

} // namespace

QString dbProblemText(const QString& path, const AccountDbError& error, bool wasWriting) {
    if (error.bookSound())
        return QStringLiteral("La base de données « %1 » n'a pas été modifiée : %2.")
            .arg(path, error.reason());
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
    // The book is its user's alone: the engine is given an empty file made 0600,
    // and its journal takes the same mode from it.
    const int fd = ::open(nativePath(temp).c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
    if (fd < 0)
        throw AccountDbError(systemErrorText(errno));
    ::close(fd);
    try {
        guarded([&] {
            SQLite::Database db(nativePath(temp), SQLite::OPEN_READWRITE);
            SQLite::Transaction tx(db);
            db.exec(kSchema);
            tx.commit();
        });
        // Never over a book that appeared meanwhile.
        if (::renameat2(AT_FDCWD, nativePath(temp).c_str(), AT_FDCWD, nativePath(path).c_str(),
                        RENAME_NOREPLACE) != 0)
            throw AccountDbError(errno == EEXIST
                                     ? QStringLiteral("un fichier de ce nom existe déjà")
                                     : systemErrorText(errno));
        syncFolderOf(path);
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
        // The last row id is near the count of rows in every book that has
        // not been tampered with; room for them all is made at once.
        const qint64 lastId = db.execAndGet("SELECT max(rowid) FROM En_cour").getInt64();
        data.operations = OperationReader::read(
            db, kSelectAll, std::nullopt, std::size_t(std::clamp<qint64>(lastId, 0, 1 << 22)));
        data.operations.sortByDate();
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
        soldesIn(db); // refused, like the register, when a balance is no number
        auto found = OperationReader::list(db, kSelectByAmount, amount.units());
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
        removeOperation(db, expected);
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

void AccountDb::backupTo(const QString& target) const {
    TempBeside copy(target);
    if (copy.problem())
        throw AccountDbError(*copy.problem());
    const auto dropJournal = qScopeGuard([&] { QFile::remove(copy.path() + "-journal"); });
    guarded([&] {
        auto source = open(path_, SQLite::OPEN_READWRITE);
        checkSchema(source);
        auto into = open(copy.path(), SQLite::OPEN_READWRITE);
        // A copy the engine could not finish (the book locked meanwhile) is no backup.
        if (SQLite::Backup(into, source).executeStep() != SQLITE_DONE)
            throw AccountDbError(QStringLiteral("la base est occupée par un autre programme"));
    });
    if (const auto problem = copy.commit(0600))
        throw AccountDbError(*problem);
}

std::pair<qint64, std::optional<Soldes>> AccountDb::summary() const {
    return guarded([&] {
        auto db = open(path_, SQLite::OPEN_READONLY);
        checkSchema(db);
        return std::pair(db.execAndGet("SELECT count(*) FROM En_cour").getInt64(), soldesIn(db));
    });
}

QHash<QString, QDate> AccountDb::appliedStatementLines() const {
    return guarded([&] {
        auto db = open(path_, SQLite::OPEN_READWRITE);
        SQLite::Transaction tx(db);
        checkSchema(db);
        QHash<QString, QDate> applied;
        if (hasTable(db, "Releve")) {
            SQLite::Statement q(db, "SELECT Identite, Pointe_le FROM Releve");
            while (q.executeStep())
                applied.insert(
                    QString::fromUtf8(q.getColumn(0).getText()),
                    QDate::fromString(QString::fromUtf8(q.getColumn(1).getText()), Qt::ISODate));
        }
        tx.commit();
        return applied;
    });
}

void AccountDb::applyStatement(const std::vector<StatementRecord>& records, QDate appliedOn) {
    guarded([&] {
        auto db = open(path_, SQLite::OPEN_READWRITE);
        SQLite::Transaction tx(db, SQLite::TransactionBehavior::IMMEDIATE);
        checkSchema(db);
        auto add = [](Money total, Money amount) {
            const auto sum = total.plus(amount);
            if (!sum)
                throw beyondMoneyRange();
            return *sum;
        };
        Money bank, entries;
        for (const StatementRecord& r : records) {
            if (r.settles) {
                removeOperation(db, *r.settles);
                bank = add(bank, signedAmount(*r.settles, false));
                continue;
            }
            // Entered as the main window enters an operation, its effect from its payment.
            const auto size = r.amount < Money() ? r.amount.negated() : r.amount;
            if (!size)
                throw beyondMoneyRange();
            const Money effect = signedAmount({0, r.date, {}, *size, r.payement}, false);
            if (effect != r.amount)
                throw AccountDbError(
                    QStringLiteral("le payement RENT est celui des rentrées d'argent"), true);
            entries = add(entries, effect);
        }
        moveBalance(db, BalanceField::Bancaire, add(bank, entries));
        moveBalance(db, BalanceField::Reel, entries);
        db.exec(kCreateReleve);
        SQLite::Statement known(db, "SELECT 1 FROM Releve WHERE Identite = ?");
        SQLite::Statement insert(
            db, R"(INSERT INTO Releve (Identite, "Date", Montant, Libelle, Pointe_le))"
                " VALUES (?, ?, ?, ?, ?)");
        const std::string on = appliedOn.toString(Qt::ISODate).toStdString();
        for (const StatementRecord& r : records) {
            const std::string identity = r.identity.toStdString();
            known.bind(1, identity);
            if (known.executeStep())
                throw AccountDbError(QStringLiteral("une ligne de ce relevé a déjà été pointée"),
                                     true);
            known.reset();
            insert.bind(1, identity);
            insert.bind(2, r.date.toString(Qt::ISODate).toStdString());
            insert.bind(3, std::int64_t{r.amount.units()});
            insert.bind(4, r.label.toStdString());
            insert.bind(5, on);
            insert.exec();
            insert.reset();
        }
        tx.commit();
    });
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
