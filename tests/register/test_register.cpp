// The register: its line formats, the balance check, the refresh of the
// main window's list and balance strip.
#include "register/amount_reading.h"
#include "register/balance_strip.h"
#include "register/line_list.h"
#include "register/register_line.h"
#include "register/register_view.h"
#include "test_run.h"

#include <QLabel>
#include <QtTest>

using namespace brelune;
using namespace brelune::test;

namespace {

QStringList listLines(const QWidget* view) {
    return child<LineList>(view, "List1")->lines();
}

QString caption(const QWidget* view, int i) {
    return child<QLabel>(view, QStringLiteral("Label1_%1").arg(i))->text();
}

QString tip(const QWidget* view, int i) {
    return child<QLabel>(view, QStringLiteral("Label1_%1").arg(i))->toolTip();
}

Operation op(const char* amount, const char* payement) {
    return Operation{0, QDate(2003, 12, 5), {}, eur(amount), payement};
}

} // namespace

class TestRegister : public QObject {
    Q_OBJECT
private slots:
    void lines_data();
    void lines();
    void verdict_data();
    void verdict();

    void refreshShowsRegisterAndStrip_data();
    void refreshShowsRegisterAndStrip();
    void faultyBooksAreReported();
    void stripWidths();
    void unreadableDatabase_data();
    void unreadableDatabase();
};

void TestRegister::lines_data() {
    QTest::addColumn<bool>("french");
    QTest::addColumn<QString>("amount");
    QTest::addColumn<QString>("payement");
    QTest::addColumn<QString>("line");
    QTest::addColumn<QString>("search");
    QTest::newRow("12.5 CB") << true << "12.5"
                             << "CB"
                             << "     05/12/2003_____12,50 €_____CB"
                             << "05/12/2003 ---> 12,5    ---> CB";
    QTest::newRow("1234.56 RENT") << true << "1234.56"
                                  << "RENT"
                                  << "     05/12/2003_____1234,56 €___RENT"
                                  << "05/12/2003 ---> 1234,56 ---> RENT";
    QTest::newRow("negative") << true << "-12.5"
                              << "CB"
                              << "     05/12/2003_____-12,50 €____CB"
                              << "05/12/2003 ---> -12,5   ---> CB";
    QTest::newRow("one million") << true << "1000000"
                                 << "CB"
                                 << "     05/12/2003_____1000000,00 €CB"
                                 << "05/12/2003 ---> 1000000 ---> CB";
    QTest::newRow("six-digit negative") << true << "-123456.7"
                                        << "TIP"
                                        << "     05/12/2003_____-123456,70 €TIP"
                                        << "05/12/2003 ---> -123456,7 ---> TIP";
    QTest::newRow("40 english") << false << "40"
                                << "CB"
                                << "     12/5/2003_____40.00 €_____CB"
                                << "12/5/2003 ---> 40      ---> CB";
    QTest::newRow("four decimals") << false << "0.0049"
                                   << "RET"
                                   << "     12/5/2003_____0.00 €______RET"
                                   << "12/5/2003 ---> 0.0049  ---> RET";
}

void TestRegister::lines() {
    QFETCH(bool, french);
    QFETCH(QString, amount);
    QFETCH(QString, payement);
    const Locale locale = french ? Locale::french() : Locale::english();
    const Operation o{0, QDate(2003, 12, 5), {}, eur(amount.toUtf8().constData()), payement};
    QTEST(registerLine(o, locale), "line");
    QTEST(searchLine(o, locale), "search");
    QCOMPARE(registerLineBody(o, locale), registerLine(o, locale).mid(5));
}

void TestRegister::verdict_data() {
    QTest::addColumn<std::vector<Operation>>("operations");
    QTest::addColumn<QString>("reel");
    QTest::addColumn<QString>("bancaire"); // "" is an empty field
    QTest::addColumn<bool>("good");
    const std::vector<Operation> rentAndCb{op("100", "RENT"), op("30", "CB")};
    QTest::newRow("agree") << rentAndCb << "70"
                           << "0" << true;
    QTest::newRow("bank off by 10") << rentAndCb << "70"
                                    << "10" << false;
    QTest::newRow("Rent not upper-cased goes out")
        << std::vector<Operation>{op("100", "Rent"), op("30", "CB")} << "70"
        << "0" << false;
    QTest::newRow("cents differ (10.99 vs 10.01)")
        << std::vector<Operation>{op("10.99", "RENT")} << "10.01"
        << "0" << false;
    QTest::newRow("0.98 off under the same euros")
        << std::vector<Operation>{op("5.99", "RENT")} << "5.01"
        << "0" << false;
    QTest::newRow("last decimal") << std::vector<Operation>{op("0.0001", "RENT")} << "0"
                                  << "0" << false;
    QTest::newRow("empty register") << std::vector<Operation>{} << "12.5"
                                    << "12.5" << true;
    QTest::newRow("empty balances count as 0") << std::vector<Operation>{op("10", "CB")} << ""
                                               << "10" << true;
    QTest::newRow("negative amount") << std::vector<Operation>{op("-5", "CB")} << "5"
                                     << "0" << true;
    QTest::newRow("beyond the money range")
        << std::vector<Operation>{Operation{0,
                                            {},
                                            {},
                                            Money::fromUnits(std::numeric_limits<qint64>::max()),
                                            "RENT"},
                                  Operation{0,
                                            {},
                                            {},
                                            Money::fromUnits(std::numeric_limits<qint64>::max()),
                                            "RENT"}}
        << "-2"
        << "0" << false;
}

void TestRegister::verdict() {
    QFETCH(std::vector<Operation>, operations);
    QFETCH(QString, reel);
    QFETCH(QString, bancaire);
    QFETCH(bool, good);
    auto field = [](const QString& text) {
        return text.isEmpty() ? std::nullopt : readAmount(text).toMoney();
    };
    const Soldes soldes{field(reel), field(bancaire)};
    QCOMPARE(balanceVerdict(operations, soldes) == Verdict::Bon, good);
}

void TestRegister::refreshShowsRegisterAndStrip_data() {
    QTest::addColumn<bool>("french");
    QTest::addColumn<QStringList>("lines");
    QTest::addColumn<QStringList>("strip");
    QTest::addColumn<QStringList>("tips");
    QTest::newRow("french") << true
                            << QStringList{"     01/12/2003_____30,00 €_____CB",
                                           "     05/12/2003_____100,00 €____RENT",
                                           "     05/12/2003_____12,50 €_____PRÉL"}
                            << QStringList{"Réel : ", "57,50€", "Bancaire : ", "0,00€", "Bon"}
                            << QStringList{"Solde REEL en francs : 377,18 F",
                                           "Solde BANCAIRE en francs : 0,00 F",
                                           "Les comptes sont bons"};
    QTest::newRow("english") << false
                             << QStringList{"     12/1/2003_____30.00 €_____CB",
                                            "     12/5/2003_____100.00 €____RENT",
                                            "     12/5/2003_____12.50 €_____PRÉL"}
                             << QStringList{"Réel : ", "57.50€", "Bancaire : ", "0.00€", "Bon"}
                             << QStringList{"Solde REEL en francs : 377.18 F",
                                            "Solde BANCAIRE en francs : 0.00 F",
                                            "Les comptes sont bons"};
}

void TestRegister::refreshShowsRegisterAndStrip() {
    QFETCH(bool, french);
    TestRun run(french ? Locale::french() : Locale::english());
    run.createFiles();
    RegisterView view(run.ctx);
    view.load_compte();
    QCOMPARE(listLines(&view), QStringList{"     Pas d'enregistrement !"});
    QCOMPARE(caption(&view, 4), "Bon");

    // Rows come by date; rows of one date keep the order they were stored in.
    run.addRow("2003-12-05", "100", "RENT");
    run.addRow("2003-12-01", "30", "CB");
    run.addRow("2003-12-05", "12.5", "PRÉL");
    run.setSoldes("57.5", "0");
    view.load_compte();
    view.load_compte(); // a second refresh neither doubles lines nor labels
    QTEST(listLines(&view), "lines");
    QStringList strip;
    for (int i = 0; i < 5; ++i)
        strip << caption(&view, i);
    QTEST(strip, "strip");
    QTEST((QStringList{tip(&view, 1), tip(&view, 3), tip(&view, 4)}), "tips");
    QCOMPARE(view.findChildren<QLabel*>(QRegularExpression("^Label1_")).size(), 5);
    QVERIFY(run.dialogs.shown().isEmpty());
}

void TestRegister::faultyBooksAreReported() {
    TestRun run;
    run.createFiles();
    run.addRow("2003-12-05", "5.99", "RENT");
    run.setSoldes("5.01", "0"); // same euros, wrong by 0.98
    RegisterView view(run.ctx);
    view.load_compte();
    QCOMPARE(caption(&view, 4), "Faux");
    QCOMPARE(tip(&view, 4), "Les comptes sont faux, attention");
    QCOMPARE(run.dialogs.takeShown(),
             QStringList{msg("Attention", "critical", "OK", "Il y a une erreur dans les comptes")});
    QCOMPARE(run.rows().size(), std::size_t(1)); // nothing is corrected
}

void TestRegister::stripWidths() {
    TestRun run;
    run.createFiles();
    run.clearSoldes();
    RegisterView view(run.ctx);
    view.resize(800, 400);
    view.show();
    view.load_compte();
    QCOMPARE(caption(&view, 0), "Pas d'enregistrement");
    QCOMPARE(child<QLabel>(&view, "Label1_0")->width(), view.width());
    QVERIFY(!child<QLabel>(&view, "Label1_1")); // not created without balances

    run.setSoldes("0", "0");
    view.load_compte();
    QList<int> widths, lefts;
    for (int i = 0; i < 5; ++i) {
        const auto* label = child<QLabel>(&view, QStringLiteral("Label1_%1").arg(i));
        widths << label->width();
        lefts << label->x();
        QCOMPARE(label->alignment(), Qt::AlignCenter);
        QCOMPARE(label->y(), child<QLabel>(&view, "Label1_0")->y());
    }
    QCOMPARE(widths, (QList<int>{100, 200, 160, 200, 140}));
    QCOMPARE(lefts, (QList<int>{0, 100, 300, 460, 660}));
    QVERIFY(run.dialogs.shown().isEmpty());
}

void TestRegister::unreadableDatabase_data() {
    QTest::addColumn<QByteArray>("content"); // empty: the file is gone
    QTest::addColumn<QString>("reason");
    QTest::newRow("gone") << QByteArray()
                          << "le fichier est introuvable ou ne peut pas être ouvert";
    QTest::newRow("not a database")
        << QByteArray(4096, 'x') << "ce fichier n'est pas une base de données BRELUNE";
}

void TestRegister::unreadableDatabase() {
    QFETCH(QByteArray, content);
    QFETCH(QString, reason);
    TestRun run;
    run.createFiles();
    run.addRow("2003-12-05", "1", "CB");
    RegisterView view(run.ctx);
    view.load_compte();
    run.dialogs.takeShown();
    QFile::remove(run.dbPath());
    if (!content.isEmpty()) {
        QFile f(run.dbPath());
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write(content);
    }
    view.load_compte();
    QCOMPARE(run.dialogs.takeShown(),
             QStringList{msg("BRELUNE", "critical", "OK",
                             "La base de données « " + run.dbPath() +
                                 " » ne peut pas être utilisée : " + reason + ".")});
    QVERIFY(listLines(&view).isEmpty());
    QCOMPARE(caption(&view, 0), "Comptes illisibles"); // never a verdict on unread books
    QVERIFY(!child<QLabel>(&view, "Label1_4")->isVisible());
    QCOMPARE(QFile::exists(run.dbPath()), !content.isEmpty()); // nothing created
}

int runRegisterTests(int argc, char* argv[]) {
    TestRegister tests;
    return QTest::qExec(&tests, argc, argv);
}

#include "test_register.moc"
