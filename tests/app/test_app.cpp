// Start-up: the search for the two data files, the default ini file, the main window; the day's
// backups, and restoring one.
#include "about/dialog.h"
#include "allocation/strips.h"
#include "allocation/ventilation.h"
#include "app/data_folder.h"
#include "backup/restore.h"
#include "platform/help_viewer.h"
#include "reconcile/banner.h"
#include "reconcile/pointage.h"
#include "register/line_list.h"
#include "statements/releve.h"
#include "support.h"

#include <filesystem>
#include <sys/wait.h>
#include <unistd.h>
using namespace brelune;
using namespace brelune::test;

// A start of the program on the run's files, the main window loaded.
bool start(TestRun& run) {
    run.ctx.filesLocated = false;
    return Frmcompte(run.ctx).Form_Load();
}

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
// The profile file made at the first start: the ten names, each dated DATE, each total 0.
const QByteArray kDefaultIni = [] {
    const QStringList names = QString("gas - oil|Conserves|Viande|Huile|fromage|dessert|vêtements|"
                                      "hygiene|Surgelés|Manu")
                                  .split('|');
    QString ini;
    for (QString part : {"venti]texo(%1)=%2", "date_de_debut]datdebu(%1)=DATE",
                         "montant_par_ventil]montant(%1)=0"}) {
        ini += '[' + part.section(']', 0, 0) + "]\r\n";
        for (int i = 0; i < 10; ++i)
            ini += part.section(']', 1).arg(i).replace("%2", names[i]) + "\r\n";
    }
    return ini.toLatin1();
}();
const QString kHeader = "Date" + QString(26, ' ') + "Montant" + QString(20, ' ') + "Payement";
const QStringList kControls{"Label5", "Combo1",   "Text1",    "Combo2",   "Command1", "Image3",
                            "List1",  "Label1_0", "Label1_1", "Label1_2", "Label1_3", "Label1_4"};

// A window's texts as a user reads them, one line each: its caption, then "name:text|tool-tip" for
// each control named (a combo box's items after its text, a list's lines; line breaks written
// "/", a text of over 200 characters cut at 70), then its menus, "name=text: item=text ..."
// (separators in brackets).
QStringList texts(const QWidget* window, const QStringList& names) {
    QStringList out{window->windowTitle()};
    for (const QString& name : names) {
        const QWidget* w = child<QWidget>(window, name);
        QString text = w->property("title").toString() + w->property("text").toString() +
                       w->property("currentText").toString();
        if (const auto* combo = qobject_cast<const QComboBox*>(w))
            for (int item = 0; item < combo->count(); ++item)
                text += ' ' + combo->itemText(item);
        if (const auto* list = qobject_cast<const LineList*>(w))
            text = list->lines().join('/');
        if (const auto* table = qobject_cast<const QTableWidget*>(w))
            for (int c = 0; c < table->columnCount(); ++c)
                text += (c ? "/" : "") + table->horizontalHeaderItem(c)->text();
        out << name + ':' + text.replace("\r\n", "/").left(text.size() > 200 ? 70 : -1) + '|' +
                   w->toolTip() + (w->accessibleName().isEmpty() ? "" : '|' + w->accessibleName());
    }
    if (const auto* main = qobject_cast<const QMainWindow*>(window))
        for (QAction* top : main->menuBar()->actions()) {
            out << top->menu()->objectName() + "=" + top->text() + ":";
            for (QAction* item : top->menu()->actions())
                out.last() += QString(item->isSeparator() ? " [%1=%2]" : " %1=%2")
                                  .arg(item->objectName(), item->text());
        }
    return out;
}

struct Search {        // paths from the program folder ($DIR in dialogs); autre: another folder
    QString setup;     // files made first: "path" a database, "path=word" a one-key ini file
    QString script;    // yes, no, cancel (a file dialog), or the path chosen in it
    QStringList shown; // the dialogs
    QString base;      // the database's path; none when the program ends
    QString folder;    // the files in the program folder afterwards
};

class TestApp : public QObject {
    Q_OBJECT
    static void row(const char* tag, const Search& s) { QTest::newRow(tag) << s; }
private slots:
    void cleanup() { qDeleteAll(windows<Pointage>()); } // even after a failed check
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

    // The folders of a run from $R/bin, with $R/home as HOME and $R/xdg as XDG_DATA_HOME: data,
    // help file, message.
    void startFolders_data() {
        QTest::addColumn<QString>("files"); // made first, from $R; "link>target" a symbolic link,
                                            // "folder/" a folder no one may write in ($R
                                            // then open to all)
        QTest::addColumn<QString>("args");  // "NAME=value" sets a variable first (empty: unsets
                                            // it), "nobody" runs as an ordinary user
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
        // A copy in a folder it cannot write to keeps the book beside it, else makes its user's
        // folder.
        row("program folder read-only", beside + " $R/bin/", "nobody",
            "$R/xdg/BRELUNE|" + beside + "|");
        row("book beside, read-only", beside + " $R/bin/PTcomptes.mdb $R/bin/", "nobody",
            "$R/bin|" + beside + "|");
        row("XDG ending in /", shared, "XDG_DATA_HOME=$R/xdg/", "$R/xdg/BRELUNE|" + shared + "|");
        const QString home = "$R/home/.local/share/BRELUNE|" + shared + "|";
        row("XDG unset", shared, "XDG_DATA_HOME=", home);
        row("XDG relative", shared, "XDG_DATA_HOME=xdg", home);
        row("option", shared, "--dossier $R/cle", "$R/cle|" + shared + "|");
        row("option joined", "", "--dossier=$R/cle", "$R/cle|" + beside + "|");
        row("option relative", "", "--dossier x/../cle", "$R/cle|" + beside + "|");
        row("option, slashes doubled", "", "--dossier $R//cle/", "$R/cle|" + beside + "|");
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
        row("write-protected", "$R/cle/", "nobody --dossier $R/cle",
            refused("$R/cle", "n'accepte aucun fichier : accès refusé"));
        row("no home", shared, "HOME= XDG_DATA_HOME=",
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
        QVERIFY(QDir().mkpath(root + "/bin") && QDir().mkpath(root + "/home"));
        for (const QString& file : files.replace("$R", root).split(' ', Qt::SkipEmptyParts)) {
            QVERIFY(QDir().mkpath(QFileInfo(file).path()));
            if (file.contains('>'))
                QVERIFY(QFile::link(file.section('>', 1), file.section('>', 0, 0)));
            else if (file.endsWith('/'))
                QVERIFY(::chmod(QFile::encodeName(root), 0777) == 0 &&
                        ::chmod(QFile::encodeName(file), 0555) == 0);
            else
                writeFile(file, "x");
        }
        const auto writable = qScopeGuard([&] { // for the folder to go as an ordinary user
            for (const QString& file : files.split(' '))
                file.endsWith('/') && ::chmod(QFile::encodeName(file), 0755);
        });
        const QByteArray home = qgetenv("HOME");
        qputenv("HOME", QFile::encodeName(root + "/home"));
        qputenv("XDG_DATA_HOME", QFile::encodeName(root + "/xdg"));
        QStringList words = ("brelune " + args.replace("$R", root)).split(' ', Qt::SkipEmptyParts);
        for (const QString& word : words.filter(QRegularExpression("^[A-Z_]+=")))
            word.endsWith('=') ? qunsetenv(qPrintable(word.chopped(1)))
                               : qputenv(qPrintable(word.section('=', 0, 0)),
                                         QFile::encodeName(word.section('=', 1)));
        std::optional<AsOrdinaryUser> user;
        if (words.removeAll("nobody"))
            user.emplace();
        words.removeIf(
            [](const QString& w) { return w.contains(QRegularExpression("^[A-Z_]+=")); });
        const QString current = QDir::currentPath();
        QDir::setCurrent(root);
        const StartFolders got = brelune::startFolders(words, root + "/bin");
        QDir::setCurrent(current);
        user.reset();
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
        QCOMPARE(QFile::exists(root + "/xdg/BRELUNE"), got.dataDir == root + "/xdg/BRELUNE");
        if (got.problem.isEmpty())
            QCOMPARE(QDir(got.dataDir)
                         .entryList({".*"}, QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot),
                     QStringList());
    }

    // What the command line answers before any window: "out|status|first line", or nothing.
    void commandLine_data() {
        QTest::addColumn<QString>("args");
        QTest::addColumn<QString>("answer");
        const QString usage = "Usage : brelune [--dossier CHEMIN]";
        QTest::newRow("help") << "--dossier x --help"
                              << "out|0|" + usage;
        QTest::newRow("version") << "--version"
                                 << "out|0|BRELUNE 2.1.0";
        QTest::newRow("a folder named like an option") << "--dossier --help"
                                                       << "";
        QTest::newRow("unknown") << "--aide"
                                 << "err|2|Option inconnue : « --aide ».";
        QTest::newRow("the window system's") << "-platform offscreen --dossier=x"
                                             << "";
    }
    void commandLine() {
        QFETCH(QString, args);
        QFETCH(QString, answer);
        const auto got = commandLineAnswer(("brelune " + args).split(' '));
        QCOMPARE(
            got ? QString("%1|%2|").arg(got->toStandardOutput ? "out" : "err").arg(got->status) +
                      got->text.section('\n', 0, 0)
                : "",
            answer);
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

    // Each window opened on a new book (by a menu item of the main window), its texts as texts()
    // gives them.
    void windowTexts_data() {
        QTest::addColumn<QString>("window"); // menu item > the window's object name
        QTest::addColumn<QStringList>("expected");
        const QString tip = "Cliquez sur une des options que vous avez définie";
        auto row = [](const char* tag, const char* window, const QStringList& expected) {
            QTest::newRow(tag) << window << expected;
        };
        row("main", ">Frmcompte",
            {"BRELUNE" + QString(32, ' ') + "05/12/2003", "Label5:" + kHeader + '|',
             "Combo1:date 05/12/2003 04/12/2003 03/12/2003 02/12/2003 01/12/2003 30/11/2003 "
             "29/11/2003 28/11/2003 27/11/2003 26/11/2003 25/11/2003 24/11/2003 23/11/2003 "
             "22/11/2003 21/11/2003 20/11/2003|Champ de date : ne changer pas le format !|Date",
             "Text1:|Champ de montant : ne tapez que des chiffres. Séparateur décimal : le "
             "POINT|Montant",
             "Combo2:Payement CB Ch Prél Tip Rent RET|Champ payement : entrez ce que vous voulez "
             "sauf pour les rentrées d'argent utilisez : Rent|Payement",
             "Command1: Enregistrer|Cliquez pour enregistrer votre opération",
             "Image3:|Pierre qui roule n'ammasse pas mousse",
             "List1:     Pas d'enregistrement !|Champs de la base de données.|Opérations en cours",
             "Label1_0:Réel : |", "Label1_1:0,00€|Solde REEL en francs : 0,00 F",
             "Label1_2:Bancaire : |", "Label1_3:0,00€|Solde BANCAIRE en francs : 0,00 F",
             "Label1_4:Bon|Les comptes sont bons",
             "menu=&Fichier: Sréel=Modif solde réel Sbanc=Modif solde bancaire [tr=] "
             "inprim=Impression exporte=Exporter en CSV... restaure=Restaurer une sauvegarde... "
             "[trait=] quit=Quitter",
             "util=&Utilitaire: poin=Pointage releve=Relevé bancaire... Suppress=Suppression "
             "[trait1=] "
             "mencomptventil=Ventilation",
             "Comment=?: helpp=aide cesqui=A propos"});
        row("reconciliation", "poin>Pointage",
            {"Pointage", "Label1:Recherche :|",
             "Text1:|Tapez ici le montant à pointer. Si vous tapez 'retour' vous lancerez la "
             "recherche|Montant recherché",
             "Command1:Lancer la recherche|Pour lancer la recherche",
             "Image1:|TF1 c'est ça l'opium du peuple",
             "List1:|Cette liste contiendra les sommes à pointer après que vous ayez lancé une "
             "recherche|Opérations trouvées",
             "Label2:Réel : 0,00€ - Bancaire : 0,00€|Les deux soldes en temps réel",
             "Command2:Sortir du Pointage|Quitter cette fenetre"});
        row("allocation", "mencomptventil>ventilation",
            {"ventilation", "Frame1:Ventillation|" + tip, "Option1_9:Manu|" + tip,
             "Frame2:Montant|tout ce qui concerne les montants à ventiler",
             "Label1:  à ventiller :|",
             "Text1:|Entrez ici le montant à ventiller|Montant à ventiler",
             "Command1:C'est bon|Confirmation de l'opération",
             "Frame3:Changement de NOM de ventilation|Tout ce qui concerne la changement du texte "
             "d'une ventilation",
             "Label2:Sélectionner une ventilation/et entrer le nouveau texte, cliquer sur OK|",
             "Text2:|Entrez ici le nouveau nom d'une ventilation|Nouveau nom de la ventilation",
             "Command2:O.K.|Vous avez choisi une ventilation et tapez un nouveau nom alors "
             "confirmez-le avec ce bouton",
             "Label3:/     Montant des dépenses ventilées par poste ://     En 0,00 mois, d|Vous "
             "avez dans ce cadre une liste du montant et du temps écoulé pour chaque ventilation",
             "Image1_0:|Une idée ne peut etre fixe",
             "Image1_1:|Contrairement aux idées reçues : la vie vaut la peine d'etre vécue",
             "Image1_2:|De toute façon : Après la pluie vient le beau temps ! Mais pas pour tout "
             "le monde !!!",
             "mnfich=&Fichier: menu_aide=Aide [trait1=] menimprim=Imprimer [trait2=] "
             "mnquit=Quitter"});
        row("about", "cesqui>Dialog",
            {"A propos de BRELUNE", "Label1:BRELUNE|Version 2.10",
             "Label2:Version 2.10 --  Le petit logiciel/de Gestion bancaire|",
             "OKButton:OK|Quitter cette fenetre"});
        row("help", "helpp>aide", {"BRELUNE - Aide"});
        row("statement", "releve>Releve",
            {"Relevé bancaire", "Label1:Relevé « releve.csv » du 01/12/2003 au 01/12/2003|",
             "Table1:Pointer/Date/Libellé/Montant/Opération du livre/Payement||Lignes du relevé",
             "Label2:Lignes cochées : 0. Solde bancaire : 0,00 € ; après pointage : 0,00 €|",
             "Command1:Pointer la sélection|", "Command2:Sortir du relevé|"});
    }
    void windowTexts() {
        QFETCH(QString, window);
        QFETCH(QStringList, expected);
        QtHelpViewer help;
        Book b([&](TestRun& run) {
            run.createBook();
            run.ctx.help = &help;
            writeFile(run.ctx.helpFile, "<p>Aide</p>");
            writeFile(run.dir.filePath("releve.csv"),
                      "Date;Libellé;Montant\n01/12/2003;FRAIS;-1\n");
            run.dialogs.script({run.dir.filePath("releve.csv")}); // the statement chosen
        });
        if (window[0] != '>')
            b.menu(qPrintable(window.section('>', 0, 0)));
        const QWidget* shown = nullptr;
        for (const QWidget* w : windows<QWidget>())
            shown = w->objectName() == window.section('>', 1) ? w : shown;
        QVERIFY(shown);
        const auto closed = qScopeGuard([] { qDeleteAll(windows<Releve>()); });
        QStringList controls;
        for (const QString& line : expected.mid(1))
            if (!line.contains('='))
                controls << line.section(':', 0, 0);
        QCOMPARE(texts(shown, controls), expected);
        // A screen reader names every control that takes the focus or shows data; a picture
        // says nothing.
        QStringList unnamed;
        const std::function<void(QAccessibleInterface*)> walk = [&](QAccessibleInterface* a) {
            const QAccessible::Role role = a->role();
            const bool data = role == QAccessible::List || role == QAccessible::Table ||
                              role == QAccessible::EditableText || role == QAccessible::ComboBox;
            // A combo box's own name (on Linux the interface gives its current text in its
            // place, and a label tied to it says what it is).
            const auto* widget = qobject_cast<const QWidget*>(a->object());
            const QString name = role == QAccessible::ComboBox && widget
                                     ? widget->accessibleName()
                                     : a->text(QAccessible::Name);
            if (name.isEmpty() && !a->state().invisible && (a->state().focusable || data) &&
                role != QAccessible::Graphic && a->object() && !a->object()->objectName().isEmpty())
                unnamed << a->object()->objectName();
            for (int i = 0; i < a->childCount(); ++i)
                walk(a->child(i));
        };
        QAccessibleInterface* top =
            QAccessible::queryAccessibleInterface(const_cast<QWidget*>(shown));
        walk(top);
        QCOMPARE(unnamed.join(" "), "");
        if (auto* text = top->textInterface(); top->role() == QAccessible::Document) { // the help
            int start, end;
            QCOMPARE(text->textAtOffset(2, QAccessible::WordBoundary, &start, &end) +
                         text->text(0, 99),
                     "AideAide");
        }
        QCOMPARE(top->role() == QAccessible::Document, window.endsWith(">aide"));
        // Whatever a click can focus, Tab reaches too (an option, through its group's arrows).
        QStringList clickOnly;
        for (const QWidget* w : shown->findChildren<QWidget*>())
            if (w->isVisible() && (w->focusPolicy() & Qt::ClickFocus) &&
                !(w->focusPolicy() & Qt::TabFocus) && !qobject_cast<const QRadioButton*>(w))
                clickOnly << w->objectName() + '(' + w->metaObject()->className() + ')';
        QCOMPARE(clickOnly.join(" "), "");
    }

    // The decorative pictures as drawn, each at a few points: the allocation window's strips (a
    // sky, sparks, a hill, a drop, the sun), the reconciliation banner stretched to its box (the
    // sky's middle, the sunset at the box's right end) and the stones' grey band.
    void pictures() {
        const Book b;
        b.menu("poin");
        const std::pair<QImage, const char*> pictures[] = {
            {ventilationStrip(0), "0,0 12,16 60,25"},
            {ventilationStrip(1), "12,21"},
            {ventilationStrip(2), "0,0 863,0 12,8 444,16"},
            {pointageBanner(), "432,2"},
            {windows<Pointage>()[0]->findChild<QLabel*>("Image1")->grab().toImage(), "499,2"},
            {b.at<QLabel>("Image3")->pixmap().toImage(), "0,0 78,8"}};
        QStringList seen;
        for (const auto& [image, points] : pictures)
            for (const QString& p : QString(points).split(' '))
                seen << image.pixelColor(p.section(',', 0, 0).toInt(), p.section(',', 1).toInt())
                            .name();
        QCOMPARE(seen.join(' '), "#fae678 #fef7d7 #fdf6d6 #96d2f8 #5a6478 #fadc6e #c8dcff #fffac8 "
                                 "#5aaac8 #f9d26e #969696 #6f655b");
    }

    // The language a run takes from the system (LC_ALL here): its dates and decimal separator.
    void systemLocale() {
        for (const QString row :
             {"en_US.UTF-8|12/5/2003 .", "fr_FR.UTF-8|05/12/2003 ,", "C|05/12/2003 ,"}) {
            QProcess child;
            QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
            env.insert("LC_ALL", row.section('|', 0, 0));
            child.setProcessEnvironment(env);
            child.start(QCoreApplication::applicationFilePath(), {"--locale"});
            QVERIFY(child.waitForFinished());
            QCOMPARE(row.section('|', 0, 0) + '|' + child.readAllStandardOutput().trimmed(), row);
        }
    }

    void mainWindow() {
        Book b([](TestRun& run) {
            run.createBook();
            run.ctx.filesLocated = false;
        });
        auto state = [&] { // the texts, then the order of the controls' tops
            QStringList order;
            for (int i = 0, above = 0; i < kControls.size(); ++i) {
                const int y = b.at(kControls[i])->mapTo(&b.frame, QPoint()).y();
                const int down = y - std::exchange(above, y);
                order << (i == 0 ? "" : down > 0 ? "< " : down < 0 ? "> " : "= ") + kControls[i];
            }
            return texts(&b.frame, kControls) << order.join(' ');
        };
        const QStringList fresh = state();
        QCOMPARE(fresh.last(), "Label5 < Combo1 = Text1 = Combo2 < Command1 < Image3 < List1 < "
                               "Label1_0 = Label1_1 = Label1_2 = Label1_3 = Label1_4");
        // The header stands above the input controls, each under its column name.
        const auto* header = b.at<QLabel>("Label5");
        auto at = [&](const char* name) { return b.at(name)->geometry(); };
        auto under = [&](const char* column) {
            return header->fontMetrics().horizontalAdvance(kHeader.left(kHeader.indexOf(column)));
        };
        QCOMPARE(QList({at("Text1").x(), at("Combo2").x()}),
                 QList({under("Montant"), under("Payement")}));
        QVERIFY(header->geometry().bottom() < at("Combo1").top());
        // A second load skips the search, even with a file moved away, and leaves the same state.
        b.at<QLineEdit>("Text1")->setText("12");
        QVERIFY(QFile::remove(b.iniPath()));
        QVERIFY(b.frame.Form_Load());
        QCOMPARE(state(), fresh);
        // Quitter ends the run at once, even with the accounts found wrong.
        b.setSoldes("1 0");
        QVERIFY(b.frame.Form_Load());
        b.menu("quit");
        QCOMPARE(b.endCalls, 1);
        QCOMPARE(b.shown(), QStringList{kFaux});
    }

    // The about window, opened from the main window beside whatever holds its place.
    void aboutWindow() {
        Book b;
        for (const char* holder : {"", "mencomptventil"}) {
            if (*holder) // the main window gives its place: the about window stays
                b.menu(holder);
            b.menu("cesqui");
            QCOMPARE(windows<Dialog>().size(), 1);
        }
        Dialog* d = windows<Dialog>()[0];
        const auto* label1 = child<QLabel>(d, "Label1");
        QCOMPARE(label1->font().family() + ' ' + QString::number(label1->font().pointSizeF()),
                 "Arial 21.75");
        QVERIFY(label1->font().bold() && !(d->windowFlags() & Qt::WindowMinMaxButtonsHint));
        QCOMPARE(QList({d->palette().color(QPalette::Window),
                        label1->palette().color(QPalette::WindowText)}),
                 QList({QColor(255, 255, 192), QColor(0, 255, 0)}));
        QVERIFY(child<QLabel>(d, "Image1")->pixmap().toImage().isGrayscale());
        // Centred on the screen, the OK button alone taking the focus.
        QCOMPARE(d->frameGeometry().center(), d->screen()->availableGeometry().center());
        for (QWidget* w : d->findChildren<QWidget*>())
            QVERIFY(w->focusPolicy() == Qt::NoFocus || w->objectName() == "OKButton");
        // Closing it ends nothing, whichever window holds the main window's place.
        QTimer::singleShot(0, d, [d] { child<QPushButton>(d, "OKButton")->click(); });
        QTimer::singleShot(100, [] { QCoreApplication::exit(7); });
        QCOMPARE(QApplication::exec(), 7);
        QVERIFY(windows<Dialog>().isEmpty());
        b.menu("poin"); // the reconciliation window in its place now
        b.menu("cesqui");
        QCOMPARE(windows<Dialog>().size(), 1);
        // Enter or keypad Enter on OK presses it; Escape closes the window as its close box does.
        for (auto [key, modifier] : {std::pair(Qt::Key_Return, Qt::NoModifier),
                                     {Qt::Key_Enter, Qt::KeypadModifier},
                                     {Qt::Key_Escape, Qt::NoModifier}}) {
            b.menu("cesqui");
            QTest::keyClick(child<QPushButton>(windows<Dialog>().value(0), "OKButton"), key,
                            modifier);
            QVERIFY(windows<Dialog>().isEmpty());
        }
    }

    void dailyBackup() {
        TestRun run;
        run.createBook({"1 12.5 CB"}, "-12.5 0");
        const QString folder = backupFolder(run.ctx), copy = folder + "/PTcomptes-2003-12-05.mdb";
        // A file in the folder's place: told, and the program goes on.
        writeFile(folder, "x");
        QVERIFY(start(run));
        QCOMPARE(run.shown(), {msg("BRELUNE", "exclamation", "OK",
                                   "La sauvegarde du jour n'a pas pu être faite : un élément du "
                                   "chemin n'est pas un dossier.")});
        QFile::remove(folder);
        // While another program changes the book: the book as committed, and ptconte.ini, both
        // the user's alone.
        SQLite::Database held(run.db());
        held.exec("BEGIN IMMEDIATE; INSERT INTO En_cour VALUES ('2003-12-02', 1, 'CB')");
        QVERIFY(start(run) && run.shown().isEmpty());
        held.exec("COMMIT");
        QCOMPARE(AccountDb(copy).summary().first, 1);
        QCOMPARE(contents(folder + "/ptconte-2003-12-05.ini"), contents(run.iniPath()));
        for (const QString& path : {folder, copy})
            QCOMPARE(int(std::filesystem::status(path.toStdString()).permissions()) & 077, 0);
        QVERIFY(start(run) && AccountDb(copy).summary().first == 1); // once a day
        // Eleven days leave the ten most recent; the copies made before a restore stay until the
        // next day; files of other names stay.
        QFile::remove(copy);
        QStringList expected{"notes.txt", "PTcomptes-copie.mdb", "PTcomptes-2003-12-05-090000.mdb"};
        for (const QString& name : expected + QStringList{"PTcomptes-2003-12-04-101500.mdb"})
            writeFile(folder + '/' + name, "x");
        for (int k = 0; k <= 11; ++k)
            for (QString name : {"PTcomptes-%1.mdb", "ptconte-%1.ini"}) {
                name = name.arg(QDate(2003, 12, 5).addDays(-k).toString(Qt::ISODate));
                if (k > 0)
                    writeFile(folder + '/' + name, "x");
                if (k < 10)
                    expected << name;
            }
        expected.sort();
        QVERIFY(start(run));
        QCOMPARE(QDir(folder).entryList(QDir::Files, QDir::Name), expected);
    }

    // Fichier > Restaurer une sauvegarde..., with yesterday's backup (40 CB) and an unreadable one;
    // then a restore the next start finishes.
    void restoring() {
        Book b({"1 12.5 CB", "2 1 CB"}, "-13.5 0");
        const QString folder = backupFolder(b.ctx), caption = "Restaurer une sauvegarde";
        const QString book = b.rows() + b.at<QLabel>("Label1_1")->text() + contents(b.iniPath());
        const auto restore = [&](const QString& script) {
            b.dialogs.script(script.split(' ', Qt::SkipEmptyParts));
            b.menu("restaure");
            return b.shown();
        };
        QCOMPARE(restore(""),
                 {msg(caption, "information", "OK", "Aucune sauvegarde n'a encore été faite.")});
        TestRun yesterday;
        yesterday.createBook({"4 40 CB"}, "-40 0");
        QDir().mkdir(folder);
        AccountDb(yesterday.dbPath()).backupTo(folder + "/PTcomptes-2003-12-04.mdb");
        for (const char* name :
             {"PTcomptes-2003-12-03.mdb", "ptconte-2003-12-03.ini", "ptconte-2003-12-04.ini"})
            writeFile(folder + '/' + name, "[v]\r\n");
        QString list = "choose|" + caption +
                       "|Choisissez la sauvegarde à restaurer :|04/12/2003 — 1 opération — "
                       "Réel : -40,00€ — Bancaire : 0,00€/[03/12/2003 — illisible]";
        const QString question = msg(caption, "question", "YesNo",
                                     "Remplacer le livre et les ventilations par la sauvegarde du "
                                     "04/12/2003 ? Le livre actuel sera d'abord sauvegardé.");
        const auto failed = [&](const QString& why) {
            return msg(caption, "critical", "OK",
                       "La sauvegarde n'a pas pu être restaurée : " + why);
        };
        QCOMPARE(restore("cancel"), {list});
        {
            const SmallFileLimit disk(1000);
            QCOMPARE(restore("0 yes"),
                     QStringList({list, question,
                                  failed("erreur de lecture ou d'écriture sur le disque.")}));
        }
        QDir(folder).mkdir("restauration"); // the pairs staged and saved, then no note is written
        QCOMPARE(restore("0 yes"), QStringList({list, question, failed("c'est un dossier.")}));
        QDir(folder).rmdir("restauration");
        // The book replaced is kept, stamped with the time.
        QCOMPARE(b.rows() + b.at<QLabel>("Label1_1")->text() + contents(b.iniPath()), book);
        QCOMPARE(contents(folder + "/ptconte-2003-12-05-101500.ini"), contents(b.iniPath()));
        list.replace("restaurer :|", "restaurer :|05/12/2003 à 10:15:00 — 2 opérations — Réel : "
                                     "-13,50€ — Bancaire : 0,00€/");
        writeFile(b.dir.filePath(".PTcomptes.mdb.x1Yz2Q"), "x"); // a copy a crash cut short
        QCOMPARE(restore("1 yes"), QStringList({list, question}));
        QCOMPARE(b.rows() + " / " + b.at<QLabel>("Label1_1")->text() + contents(b.iniPath()),
                 "2003-12-04 40 CB / -40,00€[v]\r\n");
        QVERIFY(QFile::exists(folder + "/PTcomptes-2003-12-05-101501.mdb"));
        QCOMPARE(QDir(b.dir.path()).entryList(QDir::Files | QDir::Hidden).join(' '),
                 "PTcomptes.mdb ptconte.ini");
        // A restore a crash cut short after its note: with the book's folder gone (a key not
        // plugged in) the start is refused, nothing touched; else the restore is finished before
        // anything reads the book, a journal left by the book replaced removed, never played.
        const QString staged = b.dir.filePath(".PTcomptes.mdb.restauration");
        QVERIFY(QFile::copy(b.dbPath(), staged));
        b.addRow("2003-12-02", "2", "CB");
        writeFile(b.dbPath() + "-journal", "x");
        const auto note = [&](const QString& book) {
            writeFile(folder + "/restauration", (staged + '\n' + book).toUtf8());
        };
        note(b.dir.filePath("cle/PTcomptes.mdb"));
        QVERIFY(!start(b) && QFile::exists(staged));
        QCOMPARE(b.shown(), {msg("BRELUNE", "critical", "OK",
                                 "La restauration commencée n'a pas pu être terminée : un "
                                 "dossier du chemin est introuvable.\r\nBRELUNE ne peut pas "
                                 "démarrer.")});
        note(b.dbPath());
        QVERIFY(!finishRestore(b.ctx) && !QFile::exists(b.dbPath() + "-journal"));
        QCOMPARE(b.rows(), "2003-12-04 40 CB");
    }
};

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    if (argc > 1 && qstrcmp(argv[1], "--locale") == 0) { // as the program takes it
        const Locale locale = Locale::fromSystem();
        std::puts(qPrintable(locale.formatDate(QDate(2003, 12, 5)) + ' ' + locale.decimal()));
        return 0;
    }
    TestApp test;
    return QTest::qExec(&test, argc, argv);
}
#include "test_app.moc"
