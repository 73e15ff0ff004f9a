// The register: its line formats, the balance check, the refresh of the
// main window's list and balance strip.
#include "register/amount_reading.h"
#include "register/line_list.h"
#include "register/register_line.h"
#include "register/register_view.h"
#include "test_run.h"

#include <QLabel>
#include <QtTest>

using namespace brelune;
using namespace brelune::test;

namespace {

QString caption(const QWidget* view, int i) {
    return child<QLabel>(view, QStringLiteral("Label1_%1").arg(i))->text();
}

QStringList strip(const QWidget* view) {
    QStringList texts;
    for (int i = 0; i < 5; ++i)
        texts << caption(view, i);
    for (int i : {1, 3, 4})
        texts << child<QLabel>(view, QStringLiteral("Label1_%1").arg(i))->toolTip();
    return texts;
}

// Operations written "amount payment, amount payment".
std::vector<Operation> operations(const QString& text) {
    std::vector<Operation> ops;
    for (const QString& item : text.split(',', Qt::SkipEmptyParts)) {
        const QStringList f = item.split(' ', Qt::SkipEmptyParts);
        ops.push_back({0, QDate(2003, 12, 5), {}, *readAmount(f[0]).toMoney(), f[1]});
    }
    return ops;
}

} // namespace

class TestRegister : public QObject {
    Q_OBJECT
private slots:
    void lines_data();
    void lines();
    void verdict_data();
    void verdict();
    void refresh_data();
    void refresh();
    void stripWidths();
    void unreadableDatabase_data();
    void unreadableDatabase();
};

void TestRegister::lines_data() {
    QTest::addColumn<bool>("french");
    QTest::addColumn<QString>("operation");
    QTest::addColumn<QString>("lines"); // register line | search line
    QTest::newRow("12.5 CB")
        << true << "12.5 CB"
        << "     05/12/2003_____12,50 €_____CB|05/12/2003 ---> 12,5    ---> CB";
    QTest::newRow("1234.56 RENT") << true << "1234.56 RENT"
                                  << "     05/12/2003_____1234,56 €___RENT|"
                                     "05/12/2003 ---> 1234,56 ---> RENT";
    QTest::newRow("negative")
        << true << "-12.5 CB"
        << "     05/12/2003_____-12,50 €____CB|05/12/2003 ---> -12,5   ---> CB";
    QTest::newRow("one million") << true << "1000000 CB"
                                 << "     05/12/2003_____1000000,00 €CB|"
                                    "05/12/2003 ---> 1000000 ---> CB";
    QTest::newRow("six-digit negative") << true << "-123456.7 TIP"
                                        << "     05/12/2003_____-123456,70 €TIP|"
                                           "05/12/2003 ---> -123456,7 ---> TIP";
    QTest::newRow("english")
        << false << "0.0049 RET"
        << "     12/5/2003_____0.00 €______RET|12/5/2003 ---> 0.0049  ---> RET";
}

void TestRegister::lines() {
    QFETCH(bool, french);
    QFETCH(QString, operation);
    const Locale locale = french ? Locale::french() : Locale::english();
    const Operation op = operations(operation).front();
    QTEST(registerLine(op, locale) + '|' + searchLine(op, locale), "lines");
    QCOMPARE(registerLineBody(op, locale), registerLine(op, locale).mid(5));
}

void TestRegister::verdict_data() {
    QTest::addColumn<QString>("operations");
    QTest::addColumn<QString>("soldes"); // "reel bancaire", "-" for an empty field
    QTest::addColumn<bool>("good");
    QTest::newRow("agree") << "100 RENT, 30 CB"
                           << "70 0" << true;
    QTest::newRow("bank off by 10") << "100 RENT, 30 CB"
                                    << "70 10" << false;
    QTest::newRow("Rent not upper-cased goes out") << "100 Rent, 30 CB"
                                                   << "70 0" << false;
    QTest::newRow("0.98 off, same euros") << "5.99 RENT"
                                          << "5.01 0" << false;
    QTest::newRow("last decimal") << "0.0001 RENT"
                                  << "0 0" << false;
    QTest::newRow("empty register") << ""
                                    << "12.5 12.5" << true;
    QTest::newRow("empty balance counts as 0") << "10 CB"
                                               << "- 10" << true;
    QTest::newRow("negative amount") << "-5 CB"
                                     << "5 0" << true;
    QTest::newRow("sum beyond the money range") << "922337203685477 RENT, 922337203685477 RENT"
                                                << "-1 -1" << false;
}

void TestRegister::verdict() {
    QFETCH(QString, operations);
    QFETCH(QString, soldes);
    const QStringList f = soldes.split(' ');
    auto field = [](const QString& t) { return t == "-" ? std::nullopt : readAmount(t).toMoney(); };
    QTEST(balanceVerdict(::operations(operations), Soldes{field(f[0]), field(f[1])}) ==
              Verdict::Bon,
          "good");
}

void TestRegister::refresh_data() {
    QTest::addColumn<bool>("french");
    QTest::addColumn<QString>("reel");
    QTest::addColumn<QStringList>("lines");
    QTest::addColumn<QStringList>("strip");
    QTest::addColumn<QStringList>("dialogs");
    const QString faux = msg("Attention", "critical", "OK", "Il y a une erreur dans les comptes");
    QTest::newRow("french") << true << "57.5"
                            << QStringList{"     01/12/2003_____30,00 €_____CB",
                                           "     05/12/2003_____100,00 €____RENT",
                                           "     05/12/2003_____12,50 €_____PRÉL"}
                            << QStringList{"Réel : ",
                                           "57,50€",
                                           "Bancaire : ",
                                           "0,00€",
                                           "Bon",
                                           "Solde REEL en francs : 377,18 F",
                                           "Solde BANCAIRE en francs : 0,00 F",
                                           "Les comptes sont bons"}
                            << QStringList{};
    QTest::newRow("english, wrong by 0.98")
        << false << "58.48"
        << QStringList{"     12/1/2003_____30.00 €_____CB", "     12/5/2003_____100.00 €____RENT",
                       "     12/5/2003_____12.50 €_____PRÉL"}
        << QStringList{"Réel : ",
                       "58.48€",
                       "Bancaire : ",
                       "0.00€",
                       "Faux",
                       "Solde REEL en francs : 383.60 F",
                       "Solde BANCAIRE en francs : 0.00 F",
                       "Les comptes sont faux, attention"}
        << QStringList{faux};
}

void TestRegister::refresh() {
    QFETCH(bool, french);
    QFETCH(QString, reel);
    TestRun run(french ? Locale::french() : Locale::english());
    run.createFiles();
    RegisterView view(run.ctx);
    view.load_compte();
    QCOMPARE(child<LineList>(&view, "List1")->lines(), QStringList{"     Pas d'enregistrement !"});
    QCOMPARE(caption(&view, 4), "Bon");
    // By date; rows of one date keep the order they were stored in.
    run.addRow("2003-12-05", "100", "RENT");
    run.addRow("2003-12-01", "30", "CB");
    run.addRow("2003-12-05", "12.5", "PRÉL");
    run.setSoldes(reel.toUtf8().constData(), "0");
    view.load_compte();
    run.dialogs.takeShown();
    view.load_compte(); // a second refresh doubles neither lines nor labels
    QTEST(child<LineList>(&view, "List1")->lines(), "lines");
    QTEST(strip(&view), "strip");
    QTEST(run.dialogs.takeShown(), "dialogs");
    QCOMPARE(view.findChildren<QLabel*>(QRegularExpression("^Label1_")).size(), 5);
    QCOMPARE(run.rows().size(), std::size_t(3)); // nothing is corrected
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
    QList<int> geometry;
    for (int i = 0; i < 5; ++i) {
        const auto* label = child<QLabel>(&view, QStringLiteral("Label1_%1").arg(i));
        geometry << label->x() << label->width();
        QCOMPARE(label->alignment(), Qt::AlignCenter);
        QCOMPARE(label->y(), child<QLabel>(&view, "Label1_0")->y());
    }
    QCOMPARE(geometry, (QList<int>{0, 100, 100, 200, 300, 160, 460, 200, 660, 140}));
    QVERIFY(run.dialogs.shown().isEmpty());

    // The Soldes row gone: Label1(0) spans the strip, the others stay.
    run.clearSoldes();
    view.load_compte();
    QCOMPARE(child<QLabel>(&view, "Label1_0")->width(), view.width());
    QVERIFY(child<QLabel>(&view, "Label1_4")->isVisible());
    QCOMPARE(caption(&view, 4), "Bon");
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
    QFETCH(QString, reason);
    QCOMPARE(run.dialogs.takeShown(),
             QStringList{msg("BRELUNE", "critical", "OK",
                             "La base de données « " + run.dbPath() +
                                 " » ne peut pas être utilisée : " + reason + ".")});
    QVERIFY(child<LineList>(&view, "List1")->lines().isEmpty());
    QCOMPARE(caption(&view, 0), "Comptes illisibles"); // never a verdict on unread books
    QVERIFY(!child<QLabel>(&view, "Label1_4")->isVisible());
    QCOMPARE(QFile::exists(run.dbPath()), !content.isEmpty()); // nothing created
}

int runRegisterTests(int argc, char* argv[]) {
    TestRegister tests;
    return QTest::qExec(&tests, argc, argv);
}

#include "test_register.moc"
