// The seams and value types: money, locale, profile files, account database.
#include "platform/account_db.h"
#include "platform/locale.h"
#include "platform/money.h"
#include "platform/profile_file.h"
#include "test_run.h"

#include <QFile>
#include <QTemporaryDir>
#include <QtTest>
#include <SQLiteCpp/Database.h>
#include <limits>

using namespace brelune;
using namespace brelune::test;

namespace {

constexpr qint64 kMin = std::numeric_limits<qint64>::min();
constexpr qint64 kMax = std::numeric_limits<qint64>::max();

QStringList files(const QString& dir) {
    return QDir(dir).entryList(QDir::Files | QDir::Hidden);
}

} // namespace

class TestPlatform : public QObject {
    Q_OBJECT
private slots:
    void moneyFormats_data();
    void moneyFormats();
    void dates_data();
    void dates();
    void profileFiles();
    void storedDates();
    void creationLeavesNothingBehind();
    void foreignFilesRefused_data();
    void foreignFilesRefused();
    void failedCommandChangesNothing_data();
    void failedCommandChangesNothing();
    void balancesAtTheirLimits();
};

void TestPlatform::moneyFormats_data() {
    QTest::addColumn<qint64>("units");
    QTest::addColumn<QString>("texts"); // euros | tight | plain | francs
    QTest::newRow("12.5") << qint64(125000) << "12,50 €|12,50€|12,5|81,99 F";
    QTest::newRow("100") << qint64(1000000) << "100,00 €|100,00€|100|655,96 F";
    QTest::newRow("-12.5") << qint64(-125000) << "-12,50 €|-12,50€|-12,5|-81,99 F";
    QTest::newRow("half rounds up") << qint64(1005) << "0,10 €|0,10€|0,1005|0,66 F";
    QTest::newRow("tiny negative") << qint64(-1) << "0,00 €|0,00€|-0,0001|0,00 F";
    QTest::newRow("smallest") << kMin
                              << "-922337203685477,58 €|-922337203685477,58€|"
                                 "-922337203685477,5808|-6050135451179148,00 F";
}

void TestPlatform::moneyFormats() {
    QFETCH(qint64, units);
    QFETCH(QString, texts);
    const Money m = Money::fromUnits(units);
    QCOMPARE((QStringList{m.euros(u','), m.eurosTight(u','), m.plain(u','), francs(m, u',')}),
             texts.split('|'));
    QCOMPARE(m.plain(u'.'), m.plain(u',').replace(u',', u'.'));
    QCOMPARE(bool(m.negated()), units != kMin);
    QVERIFY(!Money::fromUnits(kMax).plus(Money::fromUnits(1)));
}

// Each row: the short date pattern, a date, its text, then texts that read
// back as that date ("=") or are refused ("x").
void TestPlatform::dates_data() {
    QTest::addColumn<QString>("pattern");
    QTest::addColumn<QDate>("date");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QStringList>("readings");
    const QDate d(2003, 12, 5);
    QTest::newRow("french") << "dd/MM/yyyy" << d << "05/12/2003"
                            << QStringList{"=5/12/2003",   "= 05/12/03 ", "x31/02/2003",
                                           "x05/12/203",   "x05-12-2003", "xdate",
                                           "x05/12/2003x", "x٠٥/١٢/٢٠٠٣"};
    QTest::newRow("english widened") << "M/d/yy" << d << "12/5/2003" << QStringList{"=12/5/03"};
    QTest::newRow("two-digit years")
        << "dd.MM.yy" << QDate(1930, 1, 9) << "09.01.1930" << QStringList{"=09.01.30"};
    QTest::newRow("quoted") << "d 'de' M yyyy" << d << "5 de 12 2003" << QStringList{};
    QTest::newRow("names") << "d MMM yyyy" << d << d.toString("d MMM yyyy") << QStringList{};
}

void TestPlatform::dates() {
    QFETCH(QString, pattern);
    QFETCH(QDate, date);
    QFETCH(QString, text);
    QFETCH(QStringList, readings);
    const Locale locale(u',', pattern);
    QCOMPARE(locale.formatDate(date), text);
    QCOMPARE(locale.parseDate(text), std::optional<QDate>(date));
    for (const QString& r : readings)
        QCOMPARE(locale.parseDate(r.mid(1)).value_or(QDate()), r[0] == '=' ? date : QDate());
    QCOMPARE(Locale(u',', "dd/MM/yy").parseDate("05/12/29"), std::optional(QDate(2029, 12, 5)));
    // Letter case follows the user's language.
    QCOMPARE(Locale(u',', pattern, QLocale(QLocale::Turkish)).upper("rip"), "RİP");
    QCOMPARE(Locale(u',', pattern).upper("Prél"), "PRÉL");
}

void TestPlatform::profileFiles() {
    QTemporaryDir dir;
    const QString path = dir.filePath("p.ini");
    writeFile(path, "; keep me\r\n[a]\r\n  K1 =  un  \r\nk2=2\r\n\r\n[b]\r\nz=9\r\n");
    ProfileFile p(path);
    QCOMPARE(p.read("A", "k1"), std::optional<QString>("un"));
    QCOMPARE(p.read("b", "k1"), std::nullopt);
    QVERIFY(p.write({{"A", "k2", "vêtements €"}, {"a", "k3", "3"}, {"c", "n", "new"}}));
    QCOMPARE(contents(path), QByteArray("; keep me\r\n[a]\r\n  K1 =  un  \r\nk2=v\xEAtements "
                                        "\x80\r\nk3=3\r\n\r\n[b]\r\nz=9\r\n[c]\r\nn=new\r\n"));
    QCOMPARE(p.read("a", "K2"), std::optional<QString>("vêtements €"));

    // A file in UTF-8 stays so; a character the code page lacks moves the
    // file to UTF-8 rather than being lost.
    const QString utf = dir.filePath("utf.ini");
    writeFile(utf, "[venti]\ntexo(0)=Surgel\xC3\xA9s\n");
    QVERIFY(ProfileFile(utf).write("venti", "texo(1)", "Crème"));
    QCOMPARE(contents(utf), QByteArray("[venti]\ntexo(0)=Surgel\xC3\xA9s\ntexo(1)=Cr\xC3\xA8me\n"));
    QVERIFY(p.write("a", "k4", "Ωmega"));
    QCOMPARE(p.read("a", "k2"), std::optional<QString>("vêtements €"));
    QCOMPARE(p.read("a", "k4"), std::optional<QString>("Ωmega"));

    // A write keeps the file's encoding and every line it does not concern,
    // even when the only byte that told Windows-1252 was on the line replaced.
    const QString cp = dir.filePath("cp.ini");
    writeFile(cp, "[a]\r\nx=\xC3\xA9\r\nu=\x81\r\ny=\xE9\r\n");
    QVERIFY(ProfileFile(cp).write("a", "y", "Manu"));
    QVERIFY(contents(cp).endsWith("[a]\r\nx=\xC3\xA9\r\nu=\x81\r\ny=Manu\r\n"));
    QCOMPARE(ProfileFile(cp).read("a", "x"), std::optional<QString>("Ã©"));
    QVERIFY(ProfileFile(cp).write("a", "y", "Lé"));
    QCOMPARE(ProfileFile(cp).read("a", "x"), std::optional<QString>("Ã©"));
    QCOMPARE(ProfileFile(cp).read("a", "y"), std::optional<QString>("Lé"));

    QString error;
    QVERIFY(!ProfileFile(dir.filePath("no/folder/p.ini")).write("a", "b", "c", &error));
    QVERIFY(!error.isEmpty());
}

// A stored text is a date only when all of it is: any other is shown as it
// is stored.
void TestPlatform::storedDates() {
    TestRun run;
    run.createFiles();
    for (const char* text : {"2003-12-05", "2OO3-12-05", "abcd-07-14", "2003-02-30", "0000-01-01"})
        run.addRow(text, "1", "CB");
    QStringList shown;
    for (const Operation& op : AccountDb(run.dbPath()).readRegister().operations)
        shown << (op.date.isValid() ? op.date.toString(Qt::ISODate) : '"' + op.dateText + '"');
    QCOMPARE(shown.join(' '),
             "\"0000-01-01\" \"2003-02-30\" 2003-12-05 \"2OO3-12-05\" \"abcd-07-14\"");
}

void TestPlatform::creationLeavesNothingBehind() {
    TestRun run;
    AccountDb::create(run.dbPath());
    QCOMPARE(files(run.dir.path()), QStringList{"PTcomptes.mdb"}); // no temporary file left
    QCOMPARE(run.soldes(), std::optional<StoredSoldes>(StoredSoldes{0, 0}));
    QVERIFY(run.rows().empty());
    // A file of that name is never replaced.
    QVERIFY_THROWS_EXCEPTION(AccountDbError, AccountDb::create(run.dbPath()));
    QCOMPARE(run.soldes(), std::optional<StoredSoldes>(StoredSoldes{0, 0}));
    // A folder that cannot be written to (here: one below a plain file).
    QVERIFY_THROWS_EXCEPTION(AccountDbError, AccountDb::create(run.dbPath() + "/x/PTcomptes.mdb"));
    QCOMPARE(files(run.dir.path()), QStringList{"PTcomptes.mdb"});
}

void TestPlatform::foreignFilesRefused_data() {
    QTest::addColumn<QByteArray>("content"); // used when sql is empty
    QTest::addColumn<QString>("sql");        // run on a new SQLite file
    QTest::addColumn<QString>("reason");
    const QString noTables = "ce fichier n'a pas les tables d'une base BRELUNE (En_cour et Soldes)";
    QTest::newRow("text") << QByteArray(64, 't') << ""
                          << "ce fichier n'est pas une base de données BRELUNE";
    QTest::newRow("empty file") << QByteArray() << "" << noTables;
    QTest::newRow("missing field") << QByteArray()
                                   << "CREATE TABLE En_cour(\"Date\", Montant); "
                                      "CREATE TABLE Soldes(\"Réel\", Bancaire)"
                                   << noTables;
    const QString soldes = "; CREATE TABLE Soldes(\"Réel\", Bancaire)";
    QTest::newRow("own rowid column")
        << QByteArray() << "CREATE TABLE En_cour(\"Date\", Montant, Payement, RowId)" + soldes
        << noTables;
    QTest::newRow("own oid column")
        << QByteArray()
        << "CREATE TABLE En_cour(\"Date\", Montant, Payement); CREATE TABLE Soldes(\"Réel\", "
           "Bancaire, oid)"
        << noTables;
    QTest::newRow("without rowid")
        << QByteArray()
        << "CREATE TABLE En_cour(\"Date\" PRIMARY KEY, Montant, Payement) WITHOUT ROWID" + soldes
        << noTables;
    QTest::newRow("view") << QByteArray()
                          << "CREATE TABLE t(\"Date\", Montant, Payement); CREATE VIEW en_cour AS "
                             "SELECT * FROM t" +
                                 soldes
                          << noTables;
    QTest::newRow("newer") << QByteArray()
                           << "CREATE TABLE En_cour(\"Date\", Montant, Payement); CREATE TABLE "
                              "Soldes(\"Réel\", Bancaire); PRAGMA user_version = 2"
                           << "ce fichier vient d'une version plus récente de BRELUNE";
}

void TestPlatform::foreignFilesRefused() {
    QFETCH(QByteArray, content);
    QFETCH(QString, sql);
    QTemporaryDir dir;
    const QString path = dir.filePath("foreign.mdb");
    if (sql.isEmpty())
        writeFile(path, content);
    else
        SQLite::Database(path.toStdString(), SQLite::OPEN_READWRITE | SQLite::OPEN_CREATE)
            .exec(sql.toStdString());
    const QByteArray before = contents(path);
    try {
        AccountDb(path).verify();
        QFAIL("accepted");
    } catch (const AccountDbError& e) {
        QTEST(e.reason(), "reason");
    }
    QCOMPARE(contents(path), before);
}

void TestPlatform::failedCommandChangesNothing_data() {
    QTest::addColumn<QString>("table"); // empty: a trigger that names a missing table
    QTest::addColumn<int>("command");   // entry, deletion, marking, balance
    QTest::addColumn<QString>("reason");
    const QString refused = "une valeur a été refusée par la base";
    QTest::newRow("entry, Soldes refuses") << "Soldes" << 0 << refused;
    QTest::newRow("entry, En_cour refuses") << "En_cour" << 0 << refused;
    QTest::newRow("deletion, Soldes refuses") << "Soldes" << 1 << refused;
    QTest::newRow("marking, Soldes refuses") << "Soldes" << 2 << refused;
    QTest::newRow("balance, Soldes refuses") << "Soldes" << 3 << refused;
    QTest::newRow("entry, engine error in English")
        << "" << 0 << "erreur inattendue de la base de données (code 1)";
}

void TestPlatform::failedCommandChangesNothing() {
    QFETCH(QString, table);
    QFETCH(int, command);
    TestRun run;
    run.createFiles();
    run.addRow("2003-12-05", "12.5", "CB");
    run.setSoldes("7", "3");
    if (table.isEmpty())
        run.exec("CREATE TRIGGER broken BEFORE INSERT ON En_cour "
                 "BEGIN INSERT INTO nowhere VALUES (1); END");
    else
        run.failChangesOf(table);
    const auto rowsBefore = run.rows();
    AccountDb db(run.dbPath());
    const Operation op = db.readRegister().operations.at(0);
    try {
        if (command == 0)
            db.addOperation(QDate(2003, 12, 5), eur("1"), "CB");
        else if (command == 1)
            db.deleteOperation(op);
        else if (command == 2)
            db.markOperation(op);
        else
            db.setBalance(BalanceField::Reel, eur("1"));
        QFAIL("the command went through");
    } catch (const AccountDbError& e) {
        QTEST(e.reason(), "reason");
    }
    QCOMPARE(run.rows(), rowsBefore);
    QCOMPARE(run.soldes(), std::optional<StoredSoldes>(StoredSoldes{70000, 30000}));
}

void TestPlatform::balancesAtTheirLimits() {
    TestRun run;
    run.createFiles();
    AccountDb db(run.dbPath());
    // A deletion with no Soldes row creates it, the other field empty.
    run.clearSoldes();
    run.addRow("2003-12-05", "4", "CB");
    const Operation op = db.readRegister().operations.at(0);
    db.deleteOperation(op);
    QCOMPARE(run.soldes(), std::optional<StoredSoldes>(StoredSoldes{40000, {}}));
    // A row id given again to a newer operation is not taken for the old one.
    const qint64 reused = run.addRow("2003-12-05", "9", "CB");
    QCOMPARE(reused, op.id);
    QVERIFY_THROWS_EXCEPTION(AccountDbError, db.deleteOperation(op));
    QCOMPARE(run.rows().size(), std::size_t(1));
    run.exec("DELETE FROM En_cour");
    // A move beyond the money range is refused whole.
    db.setBalance(BalanceField::Reel, Money::fromUnits(kMax));
    QVERIFY_THROWS_EXCEPTION(AccountDbError, db.addOperation(QDate(2003, 12, 5), eur("1"), "RENT"));
    QVERIFY(run.rows().empty());
    QCOMPARE(run.soldes()->reel, kMax);
}

QTEST_MAIN(TestPlatform)
#include "test_platform.moc"
