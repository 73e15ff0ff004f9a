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

class TestPlatform : public QObject {
    Q_OBJECT
private slots:
    void moneyFormats_data();
    void moneyFormats();

    void dates_data();
    void dates();
    void dateReading_data();
    void dateReading();

    void profileWriteKeepsOtherLines();
    void profileEncodings();

    void creationLeavesNothingBehind();
    void verifyRefusesForeignFiles_data();
    void verifyRefusesForeignFiles();
    void emptyOrMissingBalances();
    void failedCommandChangesNothing_data();
    void failedCommandChangesNothing();
    void overflowIsRefused();
};

void TestPlatform::moneyFormats_data() {
    QTest::addColumn<qint64>("units");
    QTest::addColumn<QString>("euros");
    QTest::addColumn<QString>("tight");
    QTest::addColumn<QString>("plain");
    QTest::addColumn<QString>("francs");
    QTest::newRow("12.5") << qint64(125000) << "12,50 €"
                          << "12,50€"
                          << "12,5"
                          << "81,99 F";
    QTest::newRow("100") << qint64(1000000) << "100,00 €"
                         << "100,00€"
                         << "100"
                         << "655,96 F";
    QTest::newRow("-12.5") << qint64(-125000) << "-12,50 €"
                           << "-12,50€"
                           << "-12,5"
                           << "-81,99 F";
    QTest::newRow("rounds half up") << qint64(1005) << "0,10 €"
                                    << "0,10€"
                                    << "0,1005"
                                    << "0,66 F";
    QTest::newRow("tiny negative") << qint64(-1) << "0,00 €"
                                   << "0,00€"
                                   << "-0,0001"
                                   << "0,00 F";
    QTest::newRow("smallest") << std::numeric_limits<qint64>::min() << "-922337203685477,58 €"
                              << "-922337203685477,58€"
                              << "-922337203685477,5808"
                              << "-6050209010034230,00 F";
}

void TestPlatform::moneyFormats() {
    QFETCH(qint64, units);
    const Money m = Money::fromUnits(units);
    QTEST(m.euros(u','), "euros");
    QTEST(m.eurosTight(u','), "tight");
    QTEST(m.plain(u','), "plain");
    if (units != std::numeric_limits<qint64>::min())
        QTEST(francs(m, u','), "francs");
    QCOMPARE(m.plain(u'.'), m.plain(u',').replace(u',', u'.'));
}

void TestPlatform::dates_data() {
    QTest::addColumn<QString>("pattern");
    QTest::addColumn<QDate>("date");
    QTest::addColumn<QString>("text");
    QTest::newRow("french") << "dd/MM/yyyy" << QDate(2003, 12, 5) << "05/12/2003";
    QTest::newRow("english widened") << "M/d/yy" << QDate(2003, 12, 5) << "12/5/2003";
    QTest::newRow("german") << "dd.MM.yy" << QDate(2026, 1, 9) << "09.01.2026";
    QTest::newRow("quoted") << "d 'de' M yyyy" << QDate(2003, 12, 5) << "5 de 12 2003";
    QTest::newRow("names fall back")
        << "d MMM yyyy" << QDate(2003, 12, 5) << QDate(2003, 12, 5).toString("d MMM yyyy");
}

void TestPlatform::dates() {
    QFETCH(QString, pattern);
    QFETCH(QDate, date);
    QFETCH(QString, text);
    const Locale locale(u',', pattern);
    QCOMPARE(locale.formatDate(date), text);
    QCOMPARE(locale.parseDate(text), std::optional<QDate>(date));
}

void TestPlatform::dateReading_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<QDate>("date"); // invalid: refused
    QTest::newRow("four digits") << "05/12/2003" << QDate(2003, 12, 5);
    QTest::newRow("single digits") << "5/1/2003" << QDate(2003, 1, 5);
    QTest::newRow("two digits 29") << "05/12/29" << QDate(2029, 12, 5);
    QTest::newRow("two digits 30") << "05/12/30" << QDate(1930, 12, 5);
    QTest::newRow("placeholder") << "date" << QDate();
    QTest::newRow("31 February") << "31/02/2003" << QDate();
    QTest::newRow("three-digit year") << "05/12/203" << QDate();
    QTest::newRow("trailing text") << "05/12/2003x" << QDate();
    QTest::newRow("wrong separator") << "05-12-2003" << QDate();
    QTest::newRow("arabic digits") << "٠٥/١٢/٢٠٠٣" << QDate();
}

void TestPlatform::dateReading() {
    QFETCH(QString, text);
    QFETCH(QDate, date);
    const auto read = Locale::french().parseDate(text);
    QCOMPARE(read.value_or(QDate()), date);
}

void TestPlatform::profileWriteKeepsOtherLines() {
    QTemporaryDir dir;
    const QString path = dir.filePath("p.ini");
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write("; keep me\r\n[a]\r\nk1=1\r\nK2 = 2\r\n\r\n[b]\r\nz=9\r\n");
    f.close();
    ProfileFile p(path);
    QVERIFY(p.write({{"A", "k2", "deux"}, {"a", "k3", "3"}, {"c", "n", "new"}}));
    QVERIFY(f.open(QIODevice::ReadOnly));
    QCOMPARE(f.readAll(), QByteArray("; keep me\r\n[a]\r\nk1=1\r\nk2=deux\r\nk3=3\r\n\r\n[b]\r\n"
                                     "z=9\r\n[c]\r\nn=new\r\n"));
    f.close();

    QString error;
    ProfileFile unwritable(dir.filePath("no/such/folder/p.ini"));
    QVERIFY(!unwritable.write("a", "b", "c", &error));
    QVERIFY(!error.isEmpty());
}

void TestPlatform::profileEncodings() {
    QTemporaryDir dir;
    const QString latin = dir.filePath("latin.ini");
    ProfileFile p(latin);
    QVERIFY(p.write("venti", "texo(6)", "vêtements €"));
    QFile f(latin);
    QVERIFY(f.open(QIODevice::ReadOnly));
    QCOMPARE(f.readAll(), QByteArray("[venti]\r\ntexo(6)=v\xEAtements \x80\r\n"));
    f.close();
    QCOMPARE(p.read("venti", "texo(6)"), std::optional<QString>("vêtements €"));

    // A file already in UTF-8 stays in UTF-8; a character the code page
    // lacks moves the file to UTF-8 rather than losing it.
    const QString utf = dir.filePath("utf.ini");
    QFile u(utf);
    QVERIFY(u.open(QIODevice::WriteOnly));
    u.write("[venti]\ntexo(0)=Surgel\xC3\xA9s\n");
    u.close();
    ProfileFile pu(utf);
    QCOMPARE(pu.read("venti", "texo(0)"), std::optional<QString>("Surgelés"));
    QVERIFY(pu.write("venti", "texo(1)", "Crème"));
    QVERIFY(u.open(QIODevice::ReadOnly));
    QCOMPARE(u.readAll(), QByteArray("[venti]\ntexo(0)=Surgel\xC3\xA9s\ntexo(1)=Cr\xC3\xA8me\n"));
    u.close();
    QVERIFY(p.write("venti", "texo(7)", "Ωmega"));
    QCOMPARE(p.read("venti", "texo(6)"), std::optional<QString>("vêtements €"));
    QCOMPARE(p.read("venti", "texo(7)"), std::optional<QString>("Ωmega"));
}

void TestPlatform::creationLeavesNothingBehind() {
    TestRun run;
    AccountDb::create(run.dbPath() + "2");
    QCOMPARE(QDir(run.dir.path()).entryList(QDir::Files | QDir::Hidden),
             QStringList{"PTcomptes.mdb2"}); // no temporary file left
    QFile::remove(run.dbPath() + "2");
    // A file of that name is never replaced.
    QFile existing(run.dbPath());
    QVERIFY(existing.open(QIODevice::WriteOnly));
    existing.write("mine");
    existing.close();
    QVERIFY_THROWS_EXCEPTION(AccountDbError, AccountDb::create(run.dbPath()));
    QVERIFY(existing.open(QIODevice::ReadOnly));
    QCOMPARE(existing.readAll(), QByteArray("mine"));
    QCOMPARE(QDir(run.dir.path()).entryList(QDir::Files | QDir::Hidden).size(), 1);

    // A folder that cannot be written (here: one under a plain file).
    const QString blocked = run.dbPath() + "/sub/PTcomptes.mdb";
    try {
        AccountDb::create(blocked);
        QFAIL("created under a file");
    } catch (const AccountDbError& e) {
        QVERIFY(!e.reason().isEmpty());
    }
    QCOMPARE(QDir(run.dir.path()).entryList(QDir::Files | QDir::Hidden).size(), 1);
}

void TestPlatform::verifyRefusesForeignFiles_data() {
    QTest::addColumn<QByteArray>("content");
    QTest::addColumn<QString>("sql"); // run on a fresh SQLite file when content is empty
    QTest::addColumn<QString>("reason");
    QTest::newRow("text") << QByteArray("hello, this is no database at all, not at all....") << ""
                          << "ce fichier n'est pas une base de données BRELUNE";
    QTest::newRow("empty file") << QByteArray() << ""
                                << "ce fichier n'a pas les tables d'une base BRELUNE (En_cour et "
                                   "Soldes)";
    QTest::newRow("missing field")
        << QByteArray()
        << "CREATE TABLE En_cour(\"Date\", Montant); CREATE TABLE Soldes(\"Réel\", Bancaire)"
        << "ce fichier n'a pas les tables d'une base BRELUNE (En_cour et Soldes)";
    QTest::newRow("newer") << QByteArray()
                           << "CREATE TABLE En_cour(\"Date\", Montant, Payement); CREATE TABLE "
                              "Soldes(\"Réel\", Bancaire); PRAGMA user_version = 2"
                           << "ce fichier vient d'une version plus récente de BRELUNE";
}

void TestPlatform::verifyRefusesForeignFiles() {
    QFETCH(QByteArray, content);
    QFETCH(QString, sql);
    QFETCH(QString, reason);
    QTemporaryDir dir;
    const QString path = dir.filePath("foreign.mdb");
    if (sql.isEmpty()) {
        QFile f(path);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write(content);
    } else {
        SQLite::Database db(path.toStdString(), SQLite::OPEN_READWRITE | SQLite::OPEN_CREATE);
        db.exec(sql.toStdString());
    }
    QFile f(path);
    QVERIFY(f.open(QIODevice::ReadOnly));
    const QByteArray before = f.readAll();
    f.close();
    try {
        AccountDb(path).verify();
        QFAIL("accepted");
    } catch (const AccountDbError& e) {
        QCOMPARE(e.reason(), reason);
    }
    QVERIFY(f.open(QIODevice::ReadOnly));
    QCOMPARE(f.readAll(), before);
}

void TestPlatform::emptyOrMissingBalances() {
    TestRun run;
    run.createFiles();
    AccountDb db(run.dbPath());
    run.clearSoldes();
    db.setBalance(BalanceField::Bancaire, eur("10"));
    QCOMPARE(run.soldes(), std::optional<StoredSoldes>(StoredSoldes{{}, eur("10").units()}));
    db.addOperation(QDate(2003, 12, 5), eur("4"), "CB"); // an empty Réel counts as 0
    QCOMPARE(run.soldes(),
             std::optional<StoredSoldes>(StoredSoldes{eur("-4").units(), eur("10").units()}));
    run.clearSoldes();
    db.deleteOperation(db.readRegister().operations.at(0).id);
    QCOMPARE(run.soldes(), std::optional<StoredSoldes>(StoredSoldes{eur("4").units(), {}}));
}

void TestPlatform::failedCommandChangesNothing_data() {
    QTest::addColumn<QString>("table");
    QTest::addColumn<int>("command");
    QTest::newRow("entry, Soldes refuses") << "Soldes" << 0;
    QTest::newRow("deletion, Soldes refuses") << "Soldes" << 1;
    QTest::newRow("marking, Soldes refuses") << "Soldes" << 2;
    QTest::newRow("entry, En_cour refuses") << "En_cour" << 0;
    QTest::newRow("balance, Soldes refuses") << "Soldes" << 3;
}

void TestPlatform::failedCommandChangesNothing() {
    QFETCH(QString, table);
    QFETCH(int, command);
    TestRun run;
    run.createFiles();
    const qint64 id = run.addRow("2003-12-05", "12.5", "CB");
    run.setSoldes("7", "3");
    run.failChangesOf(table);
    const auto rowsBefore = run.rows();
    const auto soldesBefore = run.soldes();
    AccountDb db(run.dbPath());
    try {
        switch (command) {
        case 0:
            db.addOperation(QDate(2003, 12, 5), eur("1"), "CB");
            break;
        case 1:
            db.deleteOperation(id);
            break;
        case 2:
            db.markOperation(id);
            break;
        default:
            db.setBalance(BalanceField::Reel, eur("1"));
        }
        QFAIL("the command went through");
    } catch (const AccountDbError& e) {
        QCOMPARE(e.reason(), "une valeur a été refusée par la base");
    }
    QCOMPARE(run.rows(), rowsBefore);
    QCOMPARE(run.soldes(), soldesBefore);
}

void TestPlatform::overflowIsRefused() {
    TestRun run;
    run.createFiles();
    AccountDb db(run.dbPath());
    db.setBalance(BalanceField::Reel, Money::fromUnits(std::numeric_limits<qint64>::max()));
    QVERIFY_THROWS_EXCEPTION(AccountDbError, db.addOperation(QDate(2003, 12, 5), eur("1"), "RENT"));
    QVERIFY(run.rows().empty());
    QCOMPARE(run.soldes()->reel, std::numeric_limits<qint64>::max());
}

QTEST_MAIN(TestPlatform)
#include "test_platform.moc"
