// Start-up: the search for the two data files, the main window's controls,
// menus and load sequence.
#include "app/data_files.h"
#include "app/frmcompte.h"
#include "platform/account_db.h"
#include "register/line_list.h"
#include "test_run.h"

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QtTest>

using namespace brelune;
using namespace brelune::test;

namespace {

const QString kDbOpen = "open|Recherche de la base de données|PTcomptes.mdb|PTcomptes.mdb|$DIR";
const QString kIniOpen = "open|Recherche du fichier ini|ptconte.ini|ptconte.ini|$DIR";
const QString kDbMissing = msg("Pas de Base de données !", "none", "YesNo",
                               "Vous avez choisi annuler :\r\nBrelune ne peut pas fonctionner "
                               "sans sa base de données\r\nVoulez vous indiquer où se trouve ce "
                               "fichier ?");
const QString kIniMissing = msg("Pas de fichier ini !", "none", "YesNo",
                                "Vous avez choisi annuler :\r\nBrelune ne peut pas fonctionner "
                                "sans son fichier ini\r\nVoulez vous indiquer où se trouve ce "
                                "fichier ?");
const QString kCreate =
    msg("Création ?", "question", "YesNo", "Le fichier est peut-etre perdu voulez vous le créer ?");
const QString kThanks = msg("BRELUNE", "none", "OK", "Merci d'utiliser BRELUNE");

const QByteArray kDefaultIni = "[venti]\r\ntexo(0)=gas - oil\r\ntexo(1)=Conserves\r\n"
                               "texo(2)=Viande\r\ntexo(3)=Huile\r\ntexo(4)=fromage\r\n"
                               "texo(5)=dessert\r\ntexo(6)=v\xEAtements\r\ntexo(7)=hygiene\r\n"
                               "texo(8)=Surgel\xE9s\r\ntexo(9)=Manu\r\n[date_de_debut]\r\n"
                               "datdebu(0)=DATE\r\ndatdebu(1)=DATE\r\ndatdebu(2)=DATE\r\n"
                               "datdebu(3)=DATE\r\ndatdebu(4)=DATE\r\ndatdebu(5)=DATE\r\n"
                               "datdebu(6)=DATE\r\ndatdebu(7)=DATE\r\ndatdebu(8)=DATE\r\n"
                               "datdebu(9)=DATE\r\n[montant_par_ventil]\r\nmontant(0)=0\r\n"
                               "montant(1)=0\r\nmontant(2)=0\r\nmontant(3)=0\r\nmontant(4)=0\r\n"
                               "montant(5)=0\r\nmontant(6)=0\r\nmontant(7)=0\r\nmontant(8)=0\r\n"
                               "montant(9)=0\r\n";

QStringList items(const QComboBox* combo) {
    QStringList out;
    for (int i = 0; i < combo->count(); ++i)
        out << combo->itemText(i);
    return out;
}

} // namespace

class TestApp : public QObject {
    Q_OBJECT
private slots:
    void startupSearch_data();
    void startupSearch();
    void unwritableFolder();
    void defaultIni_data();
    void defaultIni();
    void freshWindow();
    void menus();
    void quitEndsAtOnce();
};

// Setup words: db, ini (in the program folder), lower-db (ptcomptes.mdb),
// upper-ini (PTCONTE.INI), other-db, other-ini, junk-db (in another folder).
// Script words: yes, no, cancel (a file dialog), pick-db, pick-ini,
// pick-lower, pick-junk.
void TestApp::startupSearch_data() {
    QTest::addColumn<QStringList>("setup");
    QTest::addColumn<QStringList>("script");
    QTest::addColumn<QStringList>("expected");
    QTest::addColumn<bool>("started");
    QTest::addColumn<QString>("base");
    QTest::addColumn<QStringList>("folder"); // files in the program folder afterwards

    QTest::newRow("both present") << QStringList{"db", "ini"} << QStringList{} << QStringList{}
                                  << true << "$DIR/PTcomptes.mdb"
                                  << QStringList{"PTcomptes.mdb", "ptconte.ini"};
    QTest::newRow("create both") << QStringList{}
                                 << QStringList{"cancel", "no", "yes", "cancel", "no", "yes"}
                                 << QStringList{kDbOpen,  kDbMissing,  kCreate,
                                                kIniOpen, kIniMissing, kCreate}
                                 << true << "$DIR/PTcomptes.mdb"
                                 << QStringList{"PTcomptes.mdb", "ptconte.ini"};
    QTest::newRow("decline the database") << QStringList{"ini"} << QStringList{"cancel", "no", "no"}
                                          << QStringList{kDbOpen, kDbMissing, kCreate, kThanks}
                                          << false << "" << QStringList{"ptconte.ini"};
    QTest::newRow("database chosen elsewhere")
        << QStringList{"ini", "other-db"} << QStringList{"cancel", "yes", "pick-db"}
        << QStringList{kDbOpen, kDbMissing, kDbOpen} << true << "$OTHER/PTcomptes.mdb"
        << QStringList{"ptconte.ini"};
    QTest::newRow("letter case counts")
        << QStringList{"lower-db", "upper-ini", "other-ini"}
        << QStringList{"pick-lower", "pick-ini"} << QStringList{kDbOpen, kIniOpen} << true
        << "$DIR/ptcomptes.mdb" << QStringList{"PTCONTE.INI", "ptcomptes.mdb", "ptconte.ini"};
    QTest::newRow("not a database")
        << QStringList{"ini", "junk-db"} << QStringList{"pick-junk", "cancel", "no", "no"}
        << QStringList{kDbOpen,
                       msg("Recherche de la base de données", "critical", "OK",
                           "Le fichier « $OTHER/PTcomptes.mdb » ne peut pas servir : ce fichier "
                           "n'est pas une base de données BRELUNE."),
                       kDbOpen,
                       kDbMissing,
                       kCreate,
                       kThanks}
        << false << "" << QStringList{"ptconte.ini"};
}

void TestApp::startupSearch() {
    QFETCH(QStringList, setup);
    QFETCH(QStringList, script);
    QFETCH(QStringList, expected);
    QFETCH(QString, base);
    TestRun run;
    QTemporaryDir other;
    const QString dir = run.dir.path();
    auto expand = [&](QString s) { return s.replace("$DIR", dir).replace("$OTHER", other.path()); };
    for (const QString& word : setup) {
        if (word == "db")
            AccountDb::create(dir + "/PTcomptes.mdb");
        else if (word == "lower-db")
            AccountDb::create(dir + "/ptcomptes.mdb");
        else if (word == "other-db")
            AccountDb::create(other.filePath("PTcomptes.mdb"));
        else if (word == "junk-db")
            writeFile(other.filePath("PTcomptes.mdb"), QByteArray(2048, 'j'));
        else if (word == "ini")
            writeFile(dir + "/ptconte.ini", "[venti]\r\ntexo(0)=mine\r\n");
        else if (word == "upper-ini")
            writeFile(dir + "/PTCONTE.INI", "[venti]\r\ntexo(0)=upper\r\n");
        else if (word == "other-ini")
            writeFile(other.filePath("ptconte.ini"), "[venti]\r\ntexo(0)=chosen\r\n");
    }
    for (const QString& word : script) {
        if (word == "yes" || word == "no")
            run.dialogs.answer(word == "yes" ? Answer::Yes : Answer::No);
        else if (word == "cancel")
            run.dialogs.choose("");
        else if (word == "pick-db" || word == "pick-junk")
            run.dialogs.choose(other.filePath("PTcomptes.mdb"));
        else if (word == "pick-lower")
            run.dialogs.choose(dir + "/ptcomptes.mdb");
        else if (word == "pick-ini")
            run.dialogs.choose(other.filePath("ptconte.ini"));
    }
    const QByteArray junkBefore = contents(other.filePath("PTcomptes.mdb"));

    Frmcompte window(run.ctx);
    QTEST(window.Form_Load(), "started");
    QStringList shown = run.dialogs.shown();
    for (QString& line : expected)
        line = expand(line);
    QCOMPARE(shown, expected);
    QVERIFY(run.dialogs.scriptDone());
    QCOMPARE(run.ctx.chemin_base, expand(base));
    QStringList files = QDir(dir).entryList(QDir::Files);
    files.sort(Qt::CaseSensitive);
    QTEST(files, "folder");
    QCOMPARE(contents(other.filePath("PTcomptes.mdb")), junkBefore); // nothing written to it
    if (setup.contains("ini"))
        QCOMPARE(contents(dir + "/ptconte.ini"), QByteArray("[venti]\r\ntexo(0)=mine\r\n"));
    if (script.contains("pick-ini")) // copied in, so later accesses find it
        QCOMPARE(contents(dir + "/ptconte.ini"), QByteArray("[venti]\r\ntexo(0)=chosen\r\n"));
    if (QFile::exists(dir + "/PTcomptes.mdb") && !setup.contains("db")) {
        QCOMPARE(run.soldes(), std::optional<StoredSoldes>(StoredSoldes{0, 0}));
        QVERIFY(run.rows().empty());
    }
}

void TestApp::unwritableFolder() {
    TestRun run;
    // A program folder that cannot be written to: a path below a plain file.
    writeFile(run.dir.filePath("file"), "x");
    run.ctx.programDir = run.dir.filePath("file/app");
    run.dialogs.choose("").answer(Answer::No).answer(Answer::Yes);
    run.dialogs.choose("").answer(Answer::No).answer(Answer::No);
    QVERIFY(!cherche_base(run.ctx));
    const QStringList shown = run.dialogs.shown();
    QCOMPARE(shown.size(), 8);
    QVERIFY2(shown[3].startsWith(msg("Création ?", "critical", "OK",
                                     "Le fichier « " + run.ctx.programDir +
                                         "/PTcomptes.mdb » n'a pas pu être créé : ")),
             qPrintable(shown[3]));
    QCOMPARE(shown[7], kThanks);
    QCOMPARE(QDir(run.dir.path()).entryList(QDir::Files | QDir::Hidden), QStringList{"file"});
}

void TestApp::defaultIni_data() {
    QTest::addColumn<bool>("french");
    QTest::addColumn<QString>("date");
    QTest::newRow("french") << true << "05/12/2003";
    QTest::newRow("english") << false << "12/5/2003";
}

void TestApp::defaultIni() {
    QFETCH(bool, french);
    QFETCH(QString, date);
    TestRun run(french ? Locale::french() : Locale::english());
    QVERIFY(!creationini(run.ctx));
    QCOMPARE(contents(run.iniPath()), QByteArray(kDefaultIni).replace("DATE", date.toLatin1()));

    // Existing keys are replaced in place; other keys stay.
    writeFile(run.iniPath(), "[venti]\r\ntexo(0)=old\r\nautre=1\r\n");
    QVERIFY(!creationini(run.ctx));
    const QByteArray after = contents(run.iniPath());
    QVERIFY(after.startsWith("[venti]\r\ntexo(0)=gas - oil\r\nautre=1\r\ntexo(1)=Conserves\r\n"));
    QCOMPARE(after.count("texo(0)"), 1);
}

void TestApp::freshWindow() {
    TestRun run;
    run.createFiles();
    run.ctx.filesLocated = false;
    Frmcompte window(run.ctx);
    QVERIFY(window.Form_Load());
    QVERIFY(run.dialogs.shown().isEmpty());
    QCOMPARE(window.windowTitle(), "BRELUNE" + QString(32, ' ') + "05/12/2003");

    QCOMPARE(child<QLabel>(&window, "Label5")->text().size(), 65);
    const auto* dates = child<QComboBox>(&window, "Combo1");
    QCOMPARE(dates->count(), 16);
    QCOMPARE(dates->itemText(0), "05/12/2003");
    QCOMPARE(dates->itemText(15), "20/11/2003");
    QCOMPARE(dates->currentText(), "date");
    const auto* payments = child<QComboBox>(&window, "Combo2");
    QCOMPARE(items(payments), (QStringList{"CB", "Ch", "Prél", "Tip", "Rent", "RET"}));
    QCOMPARE(payments->currentText(), "Payement");
    QCOMPARE(child<QLineEdit>(&window, "Text1")->text(), "");
    QCOMPARE(child<LineList>(&window, "List1")->lines(),
             QStringList{"     Pas d'enregistrement !"});
    QCOMPARE(child<QLabel>(&window, "Label1_1")->text(), "0,00€");
    QCOMPARE(child<QLabel>(&window, "Label1_4")->text(), "Bon");

    // A later load skips the search, even with a file moved away, and
    // fills the lists and the caption once.
    child<QLineEdit>(&window, "Text1")->setText("12");
    QVERIFY(QFile::remove(run.iniPath()));
    QVERIFY(window.Form_Load());
    QVERIFY(run.dialogs.shown().isEmpty());
    QCOMPARE(window.windowTitle(), "BRELUNE" + QString(32, ' ') + "05/12/2003");
    QCOMPARE(dates->count(), 16);
    QCOMPARE(payments->count(), 6);
    QCOMPARE(child<LineList>(&window, "List1")->count(), 1);
    QCOMPARE(child<QLineEdit>(&window, "Text1")->text(), "");

    // Top to bottom: header, input line, button, picture, list, strip.
    window.show();
    auto top = [&](const char* name) {
        const auto* w = child<QWidget>(&window, name);
        return w->mapTo(&window, QPoint(0, 0)).y();
    };
    QVERIFY(top("Label5") < top("Combo1"));
    QCOMPARE(top("Combo1"), top("Text1"));
    QCOMPARE(top("Text1"), top("Combo2"));
    QVERIFY(top("Text1") < top("Command1"));
    QVERIFY(top("Command1") < top("Image3"));
    QVERIFY(top("Image3") < top("List1"));
    QVERIFY(top("List1") < top("Label1_0"));
}

void TestApp::menus() {
    TestRun run;
    Frmcompte window(run.ctx);
    QStringList seen;
    for (QAction* top : window.menuBar()->actions()) {
        seen << top->menu()->objectName() + "=" + top->text();
        for (QAction* item : top->menu()->actions())
            seen << "  " + item->objectName() + "=" + item->text() +
                        (item->isSeparator() ? " (separator)" : "");
    }
    QCOMPARE(seen, (QStringList{"menu=Fichier", "  Sréel=Modif solde réel",
                                "  Sbanc=Modif solde bancaire", "  tr=- (separator)",
                                "  inprim=Impression", "  trait=- (separator)", "  quit=Quitter",
                                "util=Utilitaire", "  poin=Pointage", "  Suppress=Suppression",
                                "  trait1=- (separator)", "  mencomptventil=Ventilation",
                                "Comment=?", "  helpp=aide", "  cesqui=A propos"}));
}

void TestApp::quitEndsAtOnce() {
    TestRun run;
    run.createFiles();
    run.setSoldes("1", "0"); // the verdict is Faux
    Frmcompte window(run.ctx);
    QVERIFY(window.Form_Load());
    run.dialogs.takeShown();
    child<QAction>(&window, "quit")->trigger();
    QCOMPARE(run.endCalls, 1);
    QVERIFY(run.dialogs.shown().isEmpty());
}

QTEST_MAIN(TestApp)
#include "test_app.moc"
