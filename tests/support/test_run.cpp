#include "test_run.h"

#include "app/data_files.h"
#include "platform/account_db.h"
#include "register/amount_reading.h"

#include <QFile>
#include <SQLiteCpp/Database.h>
#include <SQLiteCpp/Statement.h>
#include <stdexcept>

namespace brelune::test {

namespace {

SQLite::Database openDb(const QString& path) {
    return SQLite::Database(QFile::encodeName(path).toStdString(), SQLite::OPEN_READWRITE);
}

std::int64_t unitsOf(const char* text) {
    return eur(text).units();
}

} // namespace

QByteArray contents(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

void writeFile(const QString& path, const QByteArray& bytes) {
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly) || f.write(bytes) != bytes.size())
        throw std::runtime_error("cannot write " + path.toStdString());
}

Money eur(const char* text) {
    const auto m = readAmount(QString::fromUtf8(text)).toMoney();
    if (!m)
        throw std::invalid_argument(text);
    return *m;
}

TestRun::TestRun(const Locale& locale)
    : ctx{dir.path(), locale, clock, dialogs, nullptr, nullptr, [this] { ++endCalls; }, {}, false} {}

void TestRun::createFiles() {
    AccountDb::create(dbPath());
    if (creationini(ctx))
        throw std::runtime_error("ini not written");
    ctx.chemin_base = dbPath();
    ctx.filesLocated = true;
}

void TestRun::exec(const QString& sql) const {
    openDb(dbPath()).exec(sql.toStdString());
}

qint64 TestRun::addRow(const QString& isoDate, const char* amount, const QString& payement) const {
    auto db = openDb(dbPath());
    SQLite::Statement q(db, R"(INSERT INTO En_cour ("Date", Montant, Payement) VALUES (?, ?, ?))");
    q.bind(1, isoDate.toStdString());
    q.bind(2, unitsOf(amount));
    q.bind(3, payement.toStdString());
    q.exec();
    return db.getLastInsertRowid();
}

void TestRun::clearSoldes() const {
    exec(QStringLiteral("DELETE FROM Soldes"));
}

void TestRun::setSoldes(std::optional<const char*> reel,
                        std::optional<const char*> bancaire) const {
    clearSoldes();
    auto db = openDb(dbPath());
    SQLite::Statement q(db, R"(INSERT INTO Soldes ("Réel", Bancaire) VALUES (?, ?))");
    if (reel)
        q.bind(1, unitsOf(*reel));
    if (bancaire)
        q.bind(2, unitsOf(*bancaire));
    q.exec();
}

std::vector<StoredRow> TestRun::rows() const {
    auto db = openDb(dbPath());
    SQLite::Statement q(db, R"(SELECT "Date", Montant, Payement FROM En_cour ORDER BY rowid)");
    std::vector<StoredRow> out;
    while (q.executeStep()) {
        StoredRow row{QString::fromUtf8(q.getColumn(0).getText()), {}, {}};
        if (!q.getColumn(1).isNull())
            row.montant = q.getColumn(1).getInt64();
        if (!q.getColumn(2).isNull())
            row.payement = QString::fromUtf8(q.getColumn(2).getText());
        out.push_back(row);
    }
    return out;
}

std::vector<qint64> TestRun::rowIds() const {
    auto db = openDb(dbPath());
    SQLite::Statement q(db, "SELECT rowid FROM En_cour ORDER BY rowid");
    std::vector<qint64> ids;
    while (q.executeStep())
        ids.push_back(q.getColumn(0).getInt64());
    return ids;
}

std::optional<StoredSoldes> TestRun::soldes() const {
    auto db = openDb(dbPath());
    SQLite::Statement q(db, R"(SELECT "Réel", Bancaire FROM Soldes ORDER BY rowid)");
    if (!q.executeStep())
        return std::nullopt;
    StoredSoldes s;
    if (!q.getColumn(0).isNull())
        s.reel = q.getColumn(0).getInt64();
    if (!q.getColumn(1).isNull())
        s.bancaire = q.getColumn(1).getInt64();
    return s;
}

void TestRun::failChangesOf(const QString& table) const {
    for (const char* event : {"INSERT", "UPDATE", "DELETE"})
        exec(QStringLiteral("CREATE TRIGGER fail_%1_%2 BEFORE %2 ON %1 "
                            "BEGIN SELECT RAISE(ABORT, 'refused'); END")
                 .arg(table, QString::fromLatin1(event)));
}

} // namespace brelune::test
