// Damaged data files (made by make_corpus.py), each put in a program folder and run through the
// start-up and every command: it works, or it is refused with a clear French message naming it;
// nothing crashes, and no command changes a file that it must leave alone.
#include "allocation/ventil_store.h"
#include "allocation/ventilation.h"
#include "app/frmcompte.h"
#include "reconcile/pointage.h"
#include "register/line_list.h"
#include "register/register_view.h"
#include "statements/statement.h"
#include "support.h"
using namespace brelune;
using namespace brelune::test;

namespace {

// A .mdb file stands for PTcomptes.mdb beside sound.ini, any other for ptconte.ini beside
// sound.mdb (12.5 CB, agreeing).
struct Damaged {
    QString file;
    QString startup;       // a book's verdict or why it is refused; an ini's first name
    QString refusing = {}; // commands refused besides those of a refused book
};

const QString kForeign = "ce fichier n'a pas les tables d'une base BRELUNE (En_cour et Soldes)";
const QString kDamaged = "le fichier est endommagé";
const QString kVerdicts = "Bon|Pas d'enregistrement";
const QString kUnreadable = "ventiler, renommer, imprimer";
const QRegularExpression kEnglish(
    "\\b(the|is|not|no|such|database|disk|malformed|error|failed|unable|file|cannot|constraint|"
    "syntax|column|memory|unknown)\\b",
    QRegularExpression::CaseInsensitiveOption | QRegularExpression::UseUnicodePropertiesOption);

// The two files a corpus file stands for, the book's then ptconte.ini's.
std::pair<QByteArray, QByteArray> filesFor(const QString& file) {
    const bool book = file.endsWith(".mdb");
    QByteArray bytes = contents(CORPUS "/" + file);
    bytes = file.endsWith(".qz") ? qUncompress(bytes) : bytes; // a huge file, compressed
    const QByteArray sound = contents(CORPUS + QString(book ? "/sound.ini" : "/sound.mdb"));
    return book ? std::pair(bytes, sound) : std::pair(sound, bytes);
}

// The commands, each played on a fresh start: its name, whether it acts on ptconte.ini (else on
// the book) and may write there, the answers it needs when it works.
struct Command {
    const char* name;
    bool onIni, writes;
    QStringList script;
};
const Command kCommands[] = {
    {"entrée", false, true, {}},          {"suppression", false, true, {"12.5", "yes"}},
    {"solde réel", false, true, {"100"}}, {"solde bancaire", false, true, {"-3"}},
    {"pointage", false, true, {"yes"}},   {"impression", false, false, {}},
    {"ventiler", true, true, {"yes"}},    {"renommer", true, true, {"yes"}},
    {"imprimer", true, false, {}}};

// Plays command i of kCommands as a user does.
void play(Book& r, int i) {
    const QWidget* v = r.frame.registerView();
    if (i == 6 || i == 7 || i == 8)
        r.menu("mencomptventil");
    const QWidget* ventilation = r.frame.ventilation();
    if (i == 0) {
        child<QComboBox>(v, "Combo1")->setEditText("05/12/2003");
        child<QLineEdit>(v, "Text1")->setText("12.5");
        child<QComboBox>(v, "Combo2")->setEditText("CB");
        click(v, "Command1");
    } else if (i == 4) {
        r.menu("poin");
        Pointage* w = windows<Pointage>().value(0);
        child<QLineEdit>(w, "Text1")->setText("12.5");
        click(w, "Command1");
        pick(w, {0});
        w->close();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    } else if (i == 6 || i == 7) {
        child<QLineEdit>(ventilation, i == 6 ? "Text1" : "Text2")
            ->setText(i == 6 ? "12.5" : "Loisirs");
        click(ventilation, i == 6 ? "Command1" : "Command2");
    } else if (i == 8) {
        child<QAction>(ventilation, "menimprim")->trigger();
    } else if (i == 1) {
        r.menu("Suppress");
        pick(v, {0}); // the first line found
    } else {
        r.menu(i == 2 ? "Sréel" : i == 3 ? "Sbanc" : "inprim");
    }
}

} // namespace

class TestDamaged : public QObject {
    Q_OBJECT
private slots:
    // Damaged statements, chosen in Utilitaire > Relevé bancaire...: the reason told, no window,
    // the files unchanged. Each file's bytes, or its size when it is made sparse; no file at all
    // when both are empty.
    void statements_data() {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<qint64>("size");
        QTest::addColumn<QString>("reason");
        const QByteArray ofx = contents(STATEMENT_FILES "/releve.ofx");
        const QByteArray qif = contents(STATEMENT_FILES "/releve.qif");
        const QByteArray csv = contents(STATEMENT_FILES "/releve-montant.csv"),
                         header = "Date;Libellé;Montant\n";
        const auto row = [](const char* tag, const QByteArray& bytes, const QString& reason) {
            QTest::newRow(tag) << bytes << qint64(0) << reason;
        };
        row("ofx cut", ofx.first(ofx.indexOf("<TRNAMT>2150")),
            "le fichier s'arrête avant la fin de l'élément <STMTTRN> n° 3");
        row("ofx amount missing", QByteArray(ofx).replace("<TRNAMT>2150.00\n", ""),
            "élément <STMTTRN> n° 3 : montant absent");
        row("ofx date missing", QByteArray(ofx).replace("<DTPOSTED>20240112\n", ""),
            "élément <STMTTRN> n° 2 : date absente");
        row("ofx amount", QByteArray(ofx).replace("<TRNAMT>2150.00", "<TRNAMT>1,234"),
            "élément <STMTTRN> n° 3 : montant illisible « 1,234 »");
        row("ofx date", QByteArray(ofx).replace("<DTPOSTED>20240112", "<DTPOSTED>12/01/2024"),
            "élément <STMTTRN> n° 2 : date illisible « 12/01/2024 »");
        row("ofx 2 without its end",
            contents(STATEMENT_FILES "/releve-v2.ofx").replace("</OFX>", ""),
            "le fichier s'arrête avant la fin de l'élément <OFX>");
        row("qif cut", qif.first(qif.indexOf("PVIR")),
            "ligne 14 : le fichier s'arrête avant la fin de l'opération (« ^ » absent)");
        row("qif investments", "!Type:Invst\nD05/01/2024\nT-1\n^\n",
            "ligne 1 : le type de compte « Invst » n'est pas lu, seuls Bank et Cash le sont");
        row("qif item without amount", "!Type:Bank\nD05/01/2024\nPX\n^\n",
            "ligne 2 : opération sans montant");
        row("csv cut", csv.first(csv.indexOf("-8,9")), "ligne 8 : montant absent");
        row("csv 31 February", header + "31/02/2024;X;1\n",
            "ligne 2 : date illisible « 31/02/2024 »");
        row("csv amount", header + "\n01/02/2024;X;12,3,4\n",
            "ligne 3 : montant illisible « 12,3,4 »");
        row("csv debit nor credit", "Date,Libellé,Débit,Crédit\n2024-01-02,X,,\n",
            "ligne 2 : ni débit ni crédit");
        row("csv decimal comma between commas", "Date,Libellé,Montant\n12/01/2024,CB,-12,50\n",
            "ligne 2 : 4 champs pour 3 colonnes");
        row("ofx nested too deep", "<OFX>" + QByteArray("<A>").repeated(64),
            "élément <A> : imbrication trop profonde");
        row("qif without its type", "!Account\nNA\n^\nD01/01/2024\nT-1\n^\n",
            "ligne 4 : aucune ligne « !Type:Bank » ne précède les opérations");
        row("qif of two accounts",
            "!Account\nNA\n^\n!Type:Bank\nD01/01/2024\nT-1\n^\n!Account\nNB\n^\n",
            "ligne 8 : le fichier contient les opérations de plusieurs comptes");
        QTest::newRow("named pipe") << QByteArray() << qint64(-1) // never waited on
                                    << "ce n'est pas un fichier ordinaire";
        row("csv without header", "Relevé\n01/02/2024;X;12\n",
            "aucune ligne d'en-tête ne nomme les colonnes Date, Libellé et Montant (ou Débit et "
            "Crédit)");
        row("csv 10 MB line", header + "01/02/2024;" + QByteArray(10'000'000, 'x') + ";1\n",
            "ligne 2 : ligne trop longue (plus de 10 000 caractères)");
        row("utf-16", "\xFF\xFE" + QByteArray::fromRawData("D\0a\0t\0e\0", 8),
            "ligne 1 : octet nul, le fichier n'est pas un texte en UTF-8 ni en Windows-1252");
        row("empty", " \r\n", "le fichier est vide");
        row("missing", "", "le fichier est introuvable");
        QTest::newRow("20 MB")
            << header << kStatementMaxBytes
            << "ligne 2 : octet nul, le fichier n'est pas un texte en UTF-8 ni en "
               "Windows-1252";
        QTest::newRow("over 20 MB") << QByteArray() << kStatementMaxBytes + 1
                                    << "le fichier dépasse 20 Mo, bien plus qu'un relevé";
    }
    void statements() {
        QFETCH(QByteArray, bytes);
        QFETCH(qint64, size);
        QFETCH(QString, reason);
        Book b({"1 12.5 CB"}, "-12.5 0");
        const QByteArray db = contents(b.dbPath()), ini = contents(b.iniPath());
        const QString path = b.dir.filePath("releve");
        QFile f(path);
        if (size < 0)
            QCOMPARE(::mkfifo(QFile::encodeName(path), 0600), 0);
        else if (!bytes.isEmpty() || size)
            QVERIFY(f.open(QIODevice::WriteOnly) && f.write(bytes) == bytes.size() &&
                    (!size || f.resize(size)));
        f.close();
        b.dialogs.script({path});
        b.menu("releve");
        QCOMPARE(b.shown().mid(1),
                 QStringList{msg("Relevé bancaire", "critical", "OK",
                                 "Le relevé « releve » ne peut pas être lu : " + reason + ".")});
        QVERIFY(b.frame.isVisible() && contents(b.dbPath()) == db && contents(b.iniPath()) == ini);
    }

    void corpus_data() {
        QTest::addColumn<Damaged>("d");
        const Damaged rows[] = {
            {"sound.mdb", "Bon"},
            {"empty.mdb", kForeign},
            {"text.mdb", kJunk},
            {"truncated.mdb", kDamaged},
            {"corrupt-page.mdb", kDamaged},
            {"other-tables.mdb", kForeign},
            {"view.mdb", kForeign},
            {"without-rowid.mdb", kForeign},
            {"rowid-column.mdb", kForeign},
            {"missing-column.mdb", kForeign},
            {"newer-version.mdb", "ce fichier vient d'une version plus récente de BRELUNE"},
            {"montant-words.mdb", kDamaged},
            {"montant-real.mdb", kDamaged},
            {"montant-blob.mdb", kDamaged},
            {"soldes-words.mdb", kDamaged},
            {"soldes-empty.mdb", "Pas d'enregistrement"},
            {"soldes-several.mdb", "Bon"},
            {"extreme.mdb", "Bon"},
            {"reel-overflow.mdb", "Bon", "entrée"},
            {"dates.mdb", "Bon"},
            {"payments.mdb", "Bon"},
            {"nulls.mdb", "Bon"},
            {"wal.mdb", "Bon"},
            {"trigger.mdb", kDamaged},
            {"releve.mdb", "Bon"},
            {"releve-other.mdb", kDamaged},
            {"releve-reordered.mdb", kDamaged},
            {"sound.ini", "gas - oil"},
            {"empty.ini", "Default", "ventiler"},
            {"binary.ini", "Default", "ventiler"},
            {"nul-bytes.ini", "gas - oil"},
            {"no-equals.ini", "gas - oil"},
            {"unclosed-section.ini", "Default"},
            {"duplicates.ini", "Premier"},
            {"bad-utf8.ini", "gas - oil"},
            {"utf16.ini", "gas - oil"},
            {"utf8-bom.ini", "gas - oil"},
            {"totals-words.ini", "gas - oil", "ventiler"},
            {"totals-out-of-range.ini", "gas - oil", "ventiler"},
            {"total-at-the-limit.ini", "gas - oil", "ventiler"},
            {"dates-not-dates.ini", "gas - oil"},
            {"long-values.ini", QString(254, 'A')},
            {"cr-lines.ini", "gas - oil"},
            // Read as missing, and told: no change is offered on them.
            {"huge.ini.qz", "Default", kUnreadable},
            {"utf16-unmarked.ini", "Default", kUnreadable},
            {"utf16-odd.ini", "Default", kUnreadable},
            {"utf16-lone-surrogate.ini", "Default", kUnreadable},
        };
        QStringList files;
        for (const Damaged& d : rows) {
            QTest::newRow(qPrintable(d.file)) << d;
            files << d.file;
        }
        files.sort();
        QCOMPARE(files, QDir(CORPUS).entryList(QDir::Files, QDir::Name)); // every file has a row
    }
    void corpus() {
        QFETCH(Damaged, d);
        const bool book = d.file.endsWith(".mdb");
        const bool refusedBook = book && !kVerdicts.split('|').contains(d.startup);
        QStringList faults;
        auto check = [&](bool ok, const QString& what) {
            if (!ok && !faults.contains(what))
                faults << what;
        };
        for (int i = 0; i < int(std::size(kCommands)); ++i) {
            const Command& c = kCommands[i];
            const auto [db0, ini0] = filesFor(d.file);
            Book r([&](TestRun& run) {
                writeFile(run.dbPath(), db0);
                writeFile(run.iniPath(), ini0);
            });
            const bool started = contents(r.dbPath()) == db0 && contents(r.iniPath()) == ini0;
            // The start-up: the book's verdict, or why it is refused; the first category's name.
            const auto* verdict = child<QLabel>(&r.frame, "Label1_4");
            const QString startup =
                QStringList(r.shown()
                            << (verdict ? verdict : child<QLabel>(&r.frame, "Label1_0"))->text()
                            << read_ventil(r.ctx)[0].name)
                    .join(" / ");
            const QString expected = refusedBook ? dbProblem(d.startup) + " / Comptes illisibles"
                                     : book      ? d.startup
                                                 : "Bon";
            check(started && startup == expected + " / " + (book ? "gas - oil" : d.startup),
                  QString(started ? "start-up: " : "start-up ended or changed a file: ") + startup);

            const QByteArray db = contents(r.dbPath()), ini = contents(r.iniPath());
            r.dialogs.script(c.script);
            play(r, i);
            QStringList dialogs = r.shown();
            if (!refusedBook)
                dialogs.removeAll(kFaux); // the book's verdict, told at each refresh
            QStringList problems = dialogs.filter(
                QRegularExpression("^message\\|[^|]*\\|(critical|exclamation)\\|OK\\|"));
            const QString name = c.name;
            const bool refused = !problems.isEmpty();
            check(refused == ((refusedBook && !c.onIni) || d.refusing.split(", ").contains(name)),
                  name + (refused ? " is refused: " + problems.join(" / ") : " is not refused"));
            for (const QString& p : problems) {
                check(!p.contains(kEnglish), name + " speaks English: " + p);
                check(c.onIni || p.startsWith(refusedBook ? dbProblem(d.startup).chopped(1)
                                                          : dbProblem("").section(" » ", 0, 0)),
                      name + " says: " + p);
            }
            if (refusedBook && !c.onIni) // only why, never "n'existe pas"
                check(dialogs.filter(QRegularExpression("^message")) == problems,
                      name + " says: " + dialogs.join(" / "));
            // A command that works changes its own file, or prints; any other file stays.
            const bool wrote = c.writes && !refused;
            const bool bookChanged = contents(r.dbPath()) != db;
            const bool iniChanged = contents(r.iniPath()) != ini;
            check(bookChanged == (wrote && !c.onIni), name + " changed the book, or did not");
            check(iniChanged == (wrote && c.onIni), name + " changed ptconte.ini, or did not");
            check(refused || (r.dialogs.scriptDone() && (c.writes || r.printer.jobs.size() == 1)),
                  name + " did not do its work: " + dialogs.join(" / "));
            const QStringList left = QDir(r.dir.path()).entryList(QDir::Files | QDir::Hidden);
            check(left == QStringList({"PTcomptes.mdb", "ptconte.ini"}),
                  name + " left " + left.join(' '));
        }
        QCOMPARE(faults.join('\n'), QString());
    }
};

QTEST_MAIN(TestDamaged)
#include "test_damaged.moc"
