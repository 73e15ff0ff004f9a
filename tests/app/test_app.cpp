// Start-up: the search for the two data files, the default ini file, the main window.
#include "app/data_folder.h"
#include "app/frmcompte.h"
#include "register/line_list.h"
#include "support.h"

#include <filesystem>
#include <sys/wait.h>
#include <unistd.h>
using namespace brelune;
using namespace brelune::test;

const QString kDbOpen = "open|Recherche de la base de données|PTcomptes.mdb|PTcomptes.mdb|$DIR";
const QString kIniOpen = "open|Recherche du fichier ini|ptconte.ini|ptconte.ini|$DIR";
const QString kMissing = "Vous avez choisi annuler :\r\nBrelune ne peut pas fonctionner sans %1\r\n"
                         "Voulez vous indiquer où se trouve ce fichier ?";
const QString kDbMissing =
    msg("Pas de Base de données !", "none", "YesNo", kMissing.arg("sa base de données"));
const QString kIniMissing =
    msg("Pas de fichier ini !", "none", "YesNo", kMissing.arg("son fichier ini"));
const QString kCreate =
    msg("Création ?", "question", "YesNo", "Le fichier est peut-etre perdu voulez vous le créer ?");
const QString kThanks = msg("BRELUNE", "none", "OK", "Merci d'utiliser BRELUNE");
const QString kNotDb = msg("Recherche de la base de données", "critical", "OK",
                           "Le fichier « $DIR/autre/PTcomptes.mdb » ne peut pas servir : "
                           "ce fichier n'est pas une base de données BRELUNE.");
const QString kNotCreated = msg("Création ?", "critical", "OK", // REASON: the system's words
                                "Le fichier « $DIR/PTcomptes.mdb » n'a pas pu être créé : REASON");
const QByteArray kDefaultIni =
    "[venti]\r\ntexo(0)=gas - oil\r\ntexo(1)=Conserves\r\ntexo(2)=Viande\r\ntexo(3)=Huile\r\n"
    "texo(4)=fromage\r\ntexo(5)=dessert\r\ntexo(6)=v\xEAtements\r\ntexo(7)=hygiene\r\n"
    "texo(8)=Surgel\xE9s\r\ntexo(9)=Manu\r\n[date_de_debut]\r\ndatdebu(0)=DATE\r\n"
    "datdebu(1)=DATE\r\ndatdebu(2)=DATE\r\ndatdebu(3)=DATE\r\ndatdebu(4)=DATE\r\n"
    "datdebu(5)=DATE\r\ndatdebu(6)=DATE\r\ndatdebu(7)=DATE\r\ndatdebu(8)=DATE\r\n"
    "datdebu(9)=DATE\r\n[montant_par_ventil]\r\nmontant(0)=0\r\nmontant(1)=0\r\nmontant(2)=0\r\n"
    "montant(3)=0\r\nmontant(4)=0\r\nmontant(5)=0\r\nmontant(6)=0\r\nmontant(7)=0\r\n"
    "montant(8)=0\r\nmontant(9)=0\r\n";
const QStringList kControls{"Label5", "Combo1",   "Text1",    "Combo2",   "Command1", "Image3",
                            "List1",  "Label1_0", "Label1_1", "Label1_2", "Label1_3", "Label1_4"};
const QString kHeader = "Date" + QString(26, ' ') + "Montant" + QString(20, ' ') + "Payement";
// The main window once loaded, one line each: caption (%1), controls' texts top to bottom (a combo
// box's items first; Label5's is %2), the order of their tops, menus (separators in []).
const QString kWindow =
    "%1\n%2\n05/12/2003\n04/12/2003\n03/12/2003\n02/12/2003\n01/12/2003\n30/11/2003\n29/11/2003\n"
    "28/11/2003\n27/11/2003\n26/11/2003\n25/11/2003\n24/11/2003\n23/11/2003\n22/11/2003\n"
    "21/11/2003\n20/11/2003\ndate\n\nCB\nCh\nPrél\nTip\nRent\nRET\nPayement\n Enregistrer\n\n"
    "     Pas d'enregistrement !\nRéel : \n0,00€\nBancaire : \n0,00€\nBon\n"
    "Label5 < Combo1 = Text1 = Combo2 < Command1 < Image3 < List1 < Label1_0 = Label1_1 = "
    "Label1_2 = Label1_3 = Label1_4\n"
    "menu=Fichier: Sréel=Modif solde réel Sbanc=Modif solde bancaire [tr=-] inprim=Impression "
    "[trait=-] quit=Quitter\nutil=Utilitaire: poin=Pointage Suppress=Suppression [trait1=-] "
    "mencomptventil=Ventilation\nComment=?: helpp=aide cesqui=A propos";
struct Search {        // paths from the program folder ($DIR in dialogs); autre: another folder
    QString setup;     // files made first: "path" a database, "path=word" a one-key ini file
    QString script;    // yes, no, cancel (a file dialog), or the path chosen in it
    QStringList shown; // the dialogs
    QString base;      // the database's path; none when the program ends
    QString folder;    // the files in the program folder afterwards
};

// A run started from the folder of this program with the arguments after the dialogs' script (its
// steps between blanks); prints the data folder, the help file and the start's problem.
int startedRun(const QStringList& args) {
    const StartFolders start =
        startFolders(QStringList{"test_app"} + args.mid(1), QCoreApplication::applicationDirPath());
    std::puts(qPrintable(start.dataDir + '|' + start.helpFile + '|' + start.problem));
    if (!start.problem.isEmpty())
        return 2;
    TestRun run;
    run.ctx.programDir = start.dataDir;
    run.dialogs.script(args.value(0).split(' ', Qt::SkipEmptyParts));
    return Frmcompte(run.ctx).Form_Load() && run.dialogs.scriptDone() ? 0 : 1;
}

class TestApp : public QObject {
    Q_OBJECT
    static void row(const char* tag, const Search& s) { QTest::newRow(tag) << s; }
private slots:
    void startupSearch_data() {
        QTest::addColumn<Search>("s");
        const QString ini = "ptconte.ini=mine ", db = "PTcomptes.mdb", odb = "autre/PTcomptes.mdb";
        const QStringList asked{kDbOpen, kDbMissing, kCreate}; // cancelled, then "create it?"
        const QStringList declined = asked + QStringList{kThanks};
        row("both present", {ini + db, "", {}, db, "PTcomptes.mdb ptconte.ini"});
        for (const char* tag : {"create both", "en create both"})
            row(tag, {"", "cancel no yes cancel no yes",
                      asked + QStringList{kIniOpen, kIniMissing, kCreate}, db,
                      "PTcomptes.mdb ptconte.ini"});
        row("decline the database", {ini, "cancel no no", declined, "", "ptconte.ini"});
        row("database chosen elsewhere",
            {ini + odb, "cancel yes " + odb, QStringList{kDbOpen, kDbMissing, kDbOpen}, odb,
             "ptconte.ini"});
        row("letter case counts",
            {"ptcomptes.mdb PTCONTE.INI=upper autre/ptconte.ini=chosen",
             "ptcomptes.mdb autre/ptconte.ini", QStringList{kDbOpen, kIniOpen}, "ptcomptes.mdb",
             "PTCONTE.INI ptcomptes.mdb ptconte.ini"});
        row("not a database", {ini + odb + "=junk", odb + " cancel no no",
                               QStringList{kDbOpen, kNotDb} + declined, "", "ptconte.ini"});
        row("unwritable folder", {"file=x", "cancel no yes cancel no no",
                                  asked + QStringList{kNotCreated} + declined, "", "file"});
    }
    void startupSearch() {
        QFETCH(Search, s);
        TestRun run;
        const QString root = run.dir.path();
        QVERIFY(QDir(root).mkdir("autre")); // another folder
        QMap<QString, QByteArray> made;
        for (const QString& file : s.setup.split(' ', Qt::SkipEmptyParts)) {
            const QString path = root + "/" + file.section('=', 0, 0), word = file.section('=', 1);
            if (word.isEmpty())
                AccountDb::create(path);
            else
                writeFile(path, "[venti]\r\ntexo(0)=" + word.toLatin1() + "\r\n");
            made[path] = contents(path);
        }
        if (QFile::exists(root + "/file")) // a program folder where nothing can be written
            run.ctx.programDir = root + "/file/app";
        QStringList steps = s.script.split(' ', Qt::SkipEmptyParts);
        run.dialogs.script(steps.replaceInStrings(QRegularExpression("(.*\\..*)"), root + "/\\1"));
        QCOMPARE(Frmcompte(run.ctx).Form_Load(), !s.base.isEmpty());
        auto seen = run.shown();
        seen.replaceInStrings(QRegularExpression("(n'a pas pu être créé : ).+\\.$"), "\\1REASON");
        QCOMPARE(seen, s.shown);
        QVERIFY(run.dialogs.scriptDone());
        QCOMPARE(run.ctx.chemin_base, s.base.isEmpty() ? QString() : root + "/" + s.base);
        QCOMPARE(QDir(root).entryList(QDir::Files | QDir::Hidden, QDir::Name).join(' '), s.folder);
        for (auto [path, bytes] : made.asKeyValueRange()) // files made first are only read
            QCOMPARE(contents(path), bytes);
        if (s.script.contains("ptconte.ini")) // copied in, for later accesses to find it
            QCOMPARE(contents(run.iniPath()), made[root + "/autre/ptconte.ini"]);
        if (s.script.endsWith("no yes")) // a new ini file, dated in the user's language
            QCOMPARE(contents(run.iniPath()),
                     QByteArray(kDefaultIni)
                         .replace("DATE",
                                  QTest::currentDataTag()[0] == 'e' ? "12/5/2003" : "05/12/2003"));
        if (QFile::exists(run.dbPath())) // a new, empty book
            QCOMPARE(run.rows() + run.soldes(), "0 0");
    }

    void dataFolder_data() {
        QTest::addColumn<bool>("serves"); // the program folder takes files, not an installed copy
        QTest::addColumn<QString>("dossier");
        QTest::addColumn<QString>("xdg");
        QTest::addColumn<QString>("folder");
        QTest::newRow("program folder") << true << ""
                                        << "/x/data"
                                        << "/opt/app";
        QTest::newRow("XDG set") << false << ""
                                 << "/x/data/"
                                 << "/x/data/BRELUNE";
        QTest::newRow("XDG unset") << false << ""
                                   << ""
                                   << "/home/u/.local/share/BRELUNE";
        QTest::newRow("XDG relative") << false << ""
                                      << "data"
                                      << "/home/u/.local/share/BRELUNE";
        QTest::newRow("option") << true << "/media/CLE//comptes/"
                                << "/x"
                                << "/media/CLE/comptes";
    }
    void dataFolder() {
        QFETCH(bool, serves);
        QFETCH(QString, dossier);
        QFETCH(QString, xdg);
        QFETCH(QString, folder);
        QCOMPARE(chooseDataFolder({"/opt/app", serves, dossier, xdg, "/home/u"}), folder);
    }

    // The folders of a run from $R/bin, with $R/xdg as XDG_DATA_HOME: data, help file, message.
    void startFolders_data() {
        QTest::addColumn<QString>("files"); // made first, from $R; "link>target" a symbolic link
        QTest::addColumn<QString>("args");
        QTest::addColumn<QString>("start");
        const QString usage = "\nUsage : brelune [--dossier CHEMIN]";
        const QString beside = "$R/bin/brelune.hlp", shared = "$R/share/brelune/brelune.hlp";
        auto row = [](const char* tag, const QString& files, const QString& args,
                      const QString& start) { QTest::newRow(tag) << files << args << start; };
        auto refused = [&](const QString& folder, const QString& why) {
            return folder + '|' + beside + "|Le dossier des données de BRELUNE « " + folder +
                   " » " + why +
                   ".\nUn autre dossier peut être indiqué ainsi : brelune "
                   "--dossier CHEMIN";
        };
        const QString noPath = "||L'option --dossier demande le chemin d'un dossier." + usage;
        row("build folder", beside, "", "$R/bin|" + beside + "|");
        row("installed copy", shared, "", "$R/xdg/BRELUNE|" + shared + "|");
        row("help beside wins", beside + " " + shared, "", "$R/bin|" + beside + "|");
        row("option", shared, "--dossier $R/cle", "$R/cle|" + shared + "|");
        row("option joined", "", "--dossier=$R/cle", "$R/cle|" + beside + "|");
        row("option relative", "", "--dossier x/../cle", "$R/cle|" + beside + "|");
        row("option without path", "", "--dossier", noPath);
        row("option empty", "", "--dossier=", noPath);
        row("unknown option", "", "--dossier $R/cle -x", "||Option inconnue : « -x »." + usage);
        row("a file", "$R/cle", "--dossier $R/cle",
            refused("$R/cle", "est un fichier, pas un dossier"));
        row("under a file", "$R/cle", "--dossier $R/cle/comptes",
            refused("$R/cle/comptes",
                    "ne peut pas être créé : un élément du chemin n'est pas un dossier"));
        row("option, no folder above", "", "--dossier $R/cle/comptes",
            refused("$R/cle/comptes",
                    "ne peut pas être créé : le dossier « $R/cle » n'existe pas"));
        row("a link to nowhere", "$R/cle>$R/absent", "--dossier $R/cle",
            refused("$R/cle", "est un lien vers un dossier absent"));
        const QString deep = "$R/" + QString(250, 'd') + '/' + QString(200, 'e');
        row("path too long", deep + "/x", "--dossier " + deep,
            refused(deep, "a un chemin trop long pour la base de données (plus de 400 octets)"));
        row("no home", shared, "HOME=",
            "|" + shared +
                "|Aucun dossier personnel n'est connu (la variable HOME est vide ou relative) : "
                "BRELUNE ne sait pas où garder ses fichiers.\nUn dossier peut être indiqué ainsi : "
                "brelune --dossier CHEMIN");
        row("no file accepted", "", "--dossier /proc",
            refused("/proc", "n'accepte aucun fichier : un dossier du chemin est introuvable"));
    }
    void startFolders() {
        QFETCH(QString, files);
        QFETCH(QString, args);
        QFETCH(QString, start);
        QTemporaryDir tmp;
        const QString root = QDir(tmp.path()).canonicalPath(); // as the current folder gives it
        for (const QString& file : files.replace("$R", root).split(' ', Qt::SkipEmptyParts)) {
            QVERIFY(QDir().mkpath(QFileInfo(file).path()));
            if (file.contains('>'))
                QVERIFY(QFile::link(file.section('>', 1), file.section('>', 0, 0)));
            else
                writeFile(file, "x");
        }
        QVERIFY(QDir().mkpath(root + "/bin"));
        const QByteArray home = qgetenv("HOME");
        if (args == "HOME=") // nor XDG_DATA_HOME
            qunsetenv("HOME"), args.clear();
        else
            qputenv("XDG_DATA_HOME", (root + "/xdg").toLocal8Bit());
        const QString current = QDir::currentPath();
        QDir::setCurrent(root);
        const StartFolders got = brelune::startFolders(
            ("brelune " + args.replace("$R", root)).split(' ', Qt::SkipEmptyParts), root + "/bin");
        QDir::setCurrent(current);
        qunsetenv("XDG_DATA_HOME");
        qputenv("HOME", home);
        QCOMPARE(QStringList({got.dataDir, got.helpFile, got.problem}).join('|'),
                 start.replace("$R", root));
        // The run ends on a problem, once the user is told.
        ScriptedDialogs dialogs;
        QCOMPARE(startCanGoOn(got, dialogs), got.problem.isEmpty());
        QCOMPARE(dialogs.takeShown(), got.problem.isEmpty() ? QStringList()
                                                            : QStringList{msg("BRELUNE", "critical",
                                                                              "OK", got.problem)});
        // A folder made for the data is its user's alone, and the probe left nothing in it.
        if (got.problem.isEmpty() && got.dataDir != root + "/bin")
            QVERIFY(std::filesystem::status(got.dataDir.toStdString()).permissions() ==
                    std::filesystem::perms::owner_all);
        if (got.problem.isEmpty())
            QCOMPARE(QDir(got.dataDir)
                         .entryList({".*"}, QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot),
                     QStringList());
    }

    // One running BRELUNE a data folder: a second start is told and ends; the lock of a killed
    // run, or of a run in another folder, stands in no one's way. No file is made for it.
    void oneRunAFolder() {
        QTemporaryDir a, b;
        const pid_t killed = ::fork();
        if (killed == 0) { // holds the folder, then ends without a word
            ScriptedDialogs none;
            const auto held = lockDataFolder(a.path(), none);
            ::_exit(held && *held ? 0 : 1);
        }
        int status = 1;
        QVERIFY(::waitpid(killed, &status, 0) == killed && WIFEXITED(status) &&
                WEXITSTATUS(status) == 0);
        ScriptedDialogs dialogs;
        auto first = lockDataFolder(a.path(), dialogs);
        QVERIFY(first && *first && lockDataFolder(b.path(), dialogs));
        QVERIFY(!lockDataFolder(a.path(), dialogs));
        QCOMPARE(
            dialogs.takeShown(),
            QStringList{msg("BRELUNE", "exclamation", "OK",
                            "BRELUNE est déjà ouvert avec les fichiers du dossier « " + a.path() +
                                " ».\nRevenez à sa fenêtre, ou fermez-le avant d'ouvrir "
                                "BRELUNE à nouveau.")});
        first.reset(); // the first run ends
        QVERIFY(lockDataFolder(a.path(), dialogs));
        QVERIFY(dialogs.takeShown().isEmpty());
        QVERIFY(QDir(a.path()).isEmpty(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot));
    }

    // The program in a folder where nothing can be written, run as an ordinary user (root writes
    // anywhere): both files are created in the user's folder; with a book beside the program,
    // though, the book stays where it is.
    void readOnlyProgramFolder() {
        QTemporaryDir tmp;
        const QString root = tmp.path(), app = root + "/app", home = root + "/home";
        const QString data = home + "/.local/share/BRELUNE";
        QVERIFY(QDir().mkpath(app) && QDir().mkpath(home));
        QVERIFY(QFile::copy(QCoreApplication::applicationFilePath(), app + "/test_app"));
        using P = QFileDevice;
        const auto all =
            P::ReadOwner | P::ReadGroup | P::ReadOther | P::ExeOwner | P::ExeGroup | P::ExeOther;
        QVERIFY(QFile::setPermissions(root, all | P::WriteOwner));
        QVERIFY(QFile::setPermissions(home, all | P::WriteOwner | P::WriteGroup | P::WriteOther));
        const auto writable = qScopeGuard([&] { QFile::setPermissions(app, all | P::WriteOwner); });
        auto run = [&](const QString& script) {
            QVERIFY(QFile::setPermissions(app, all));
            QProcess process;
            QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
            env.remove("XDG_DATA_HOME");
            env.insert("HOME", home);
            process.setProcessEnvironment(env);
            const QStringList child{app + "/test_app", "--run", script};
            if (getuid() == 0)
                process.start("setpriv",
                              QStringList{"--reuid=65534", "--regid=65534", "--clear-groups"} +
                                  child);
            else
                process.start(child[0], child.mid(1));
            process.waitForFinished(60000);
            QFile::setPermissions(app, all | P::WriteOwner);
            const QByteArray errors = process.readAllStandardError();
            if (errors.startsWith("setpriv:") || process.error() == QProcess::FailedToStart)
                QSKIP("no program can be run as an ordinary user here: " + errors);
            const QByteArray out = process.readAllStandardOutput();
            QVERIFY2(process.exitCode() == 0, errors + out);
            QCOMPARE(out.trimmed(), (script.isEmpty() ? app : data) + '|' + app + "/brelune.hlp|");
        };
        run("cancel no yes cancel no yes"); // both created
        QCOMPARE(QDir(data).entryList(QDir::Files | QDir::Hidden),
                 QStringList({"PTcomptes.mdb", "ptconte.ini"}));
        QCOMPARE(QDir(app).entryList(QDir::Files | QDir::Hidden), QStringList{"test_app"});
        QCOMPARE(AccountDb(data + "/PTcomptes.mdb").readRegister().operations.size(), 0);
        for (const char* name : {"/PTcomptes.mdb", "/ptconte.ini"})
            QVERIFY(QFile::rename(data + name, app + name));
        QVERIFY(QDir(data).removeRecursively());
        run(""); // found beside the program
        QVERIFY(!QFile::exists(data));
    }

    void mainWindow() {
        TestRun run;
        run.createBook();
        run.ctx.filesLocated = false;
        Frmcompte window(run.ctx);
        window.show();
        auto state = [&] { // as kWindow shows it
            QStringList texts{window.windowTitle()}, order;
            for (int i = 0, above = 0; i < kControls.size(); ++i) {
                const QWidget* w = child<QWidget>(&window, kControls[i]);
                if (const auto* combo = qobject_cast<const QComboBox*>(w))
                    for (int item = 0; item < combo->count(); ++item)
                        texts << combo->itemText(item);
                if (const auto* list = qobject_cast<const LineList*>(w))
                    texts << list->lines();
                else // a combo box's text is its currentText
                    texts << w->property("text").toString() + w->property("currentText").toString();
                const int y = w->mapTo(&window, QPoint()).y(), down = y - std::exchange(above, y);
                order << (i == 0 ? "" : down > 0 ? "< " : down < 0 ? "> " : "= ") + kControls[i];
            }
            texts << order.join(' ');
            for (QAction* top : window.menuBar()->actions()) { // separators in brackets
                texts << top->menu()->objectName() + "=" + top->text() + ":";
                for (QAction* item : top->menu()->actions())
                    texts.last() += QString(item->isSeparator() ? " [%1=%2]" : " %1=%2")
                                        .arg(item->objectName(), item->text());
            }
            return texts;
        };
        QVERIFY(window.Form_Load());
        const QStringList fresh = state();
        QCOMPARE(fresh,
                 kWindow.arg("BRELUNE" + QString(32, ' ') + "05/12/2003", kHeader).split('\n'));
        QStringList tips;
        for (const char* name : {"Combo1", "Text1", "Combo2", "Command1", "List1", "Image3"})
            tips << child<QWidget>(&window, name)->toolTip();
        QCOMPARE(tips, QStringList({"Champ de date : ne changer pas le format !",
                                    "Champ de montant : ne tapez que des chiffres. Séparateur "
                                    "décimal : le POINT",
                                    "Champ payement : entrez ce que vous voulez sauf pour les "
                                    "rentrées d'argent utilisez : Rent",
                                    "Cliquez pour enregistrer votre opération",
                                    "Champs de la base de données.",
                                    "Pierre qui roule n'ammasse pas mousse"}));
        // The header stands above the input controls, each under its column name.
        const auto* header = child<QLabel>(&window, "Label5");
        auto at = [&](const char* name) { return child<QWidget>(&window, name)->geometry(); };
        auto under = [&](const char* column) {
            return header->fontMetrics().horizontalAdvance(kHeader.left(kHeader.indexOf(column)));
        };
        QCOMPARE(QList({at("Text1").x(), at("Combo2").x()}),
                 QList({under("Montant"), under("Payement")}));
        QVERIFY(header->geometry().bottom() < at("Combo1").top());
        // A second load skips the search, even with a file moved away, and leaves the same state.
        child<QLineEdit>(&window, "Text1")->setText("12");
        QVERIFY(QFile::remove(run.iniPath()));
        QVERIFY(window.Form_Load());
        QCOMPARE(state(), fresh);
        // Quitter ends the run at once, even with the accounts found wrong.
        run.setSoldes("1 0");
        QVERIFY(window.Form_Load());
        child<QAction>(&window, "quit")->trigger();
        QCOMPARE(run.endCalls, 1);
        QCOMPARE(run.dialogs.takeShown(), QStringList{msg("Attention", "critical", "OK",
                                                          "Il y a une erreur dans les comptes")});
    }
};

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    if (argc > 1 && qstrcmp(argv[1], "--run") == 0)
        return startedRun(QApplication::arguments().mid(2));
    TestApp test;
    return QTest::qExec(&test, argc, argv);
}
#include "test_app.moc"
