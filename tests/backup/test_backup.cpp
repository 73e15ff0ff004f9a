// The day's backups, made at the first start of a day, and their rotation.
#include "backup/backups.h"
#include "backup/restore.h"
#include "support.h"

#include <filesystem>
using namespace brelune;
using namespace brelune::test;

class TestBackup : public QObject {
    Q_OBJECT
private slots:
    // Each row: the folder's files first ("-K" a day's pair K days before 5 December 2003, any
    // other text a file of that name; "none": no folder, "file": a file in its place), then the
    // names it holds after the start, and what the user is told.
    void dailyBackup_data() {
        QTest::addColumn<QString>("before");
        QTest::addColumn<QString>("after");
        QTest::addColumn<QString>("told");
        QString eleven, nine;
        for (int k = 11; k >= 1; --k)
            eleven += QString(" -%1").arg(k), nine += k <= 9 ? QString(" -%1").arg(k) : "";
        const QString timed = " PTcomptes-2003-12-04-101500.mdb PTcomptes-2003-12-05-090000.mdb";
        QTest::newRow("eleven days, other names kept")
            << eleven + timed + " PTcomptes-copie.mdb notes.txt"
            << "-0" + nine + " PTcomptes-2003-12-05-090000.mdb PTcomptes-copie.mdb notes.txt"
            << "";
        QTest::newRow("first backup") << "none"
                                      << "-0"
                                      << "";
        QTest::newRow("made already today") << "PTcomptes-2003-12-05.mdb"
                                            << "PTcomptes-2003-12-05.mdb"
                                            << "";
        QTest::newRow("book held by another program") << "busy"
                                                      << "-0"
                                                      << "";
        QTest::newRow("folder is a file")
            << "file"
            << "file"
            << msg("BRELUNE", "exclamation", "OK",
                   "La sauvegarde du jour n'a pas pu être faite : un élément du chemin n'est pas "
                   "un dossier.");
    }
    void dailyBackup() {
        QFETCH(QString, before);
        QFETCH(QString, after);
        QFETCH(QString, told);
        const auto names = [](QString list) {
            for (int k = 0; k <= 11; ++k) // longest first: -11 before -1
                list.replace(QRegularExpression(QString("(^| )-%1\\b").arg(11 - k)),
                             QString(" PTcomptes-%1.mdb ptconte-%1.ini")
                                 .arg(QDate(2003, 12, 5).addDays(k - 11).toString(Qt::ISODate)));
            QStringList out = list.split(' ', Qt::SkipEmptyParts);
            out.sort();
            return out;
        };
        const bool named = !QStringList{"none", "busy", "file"}.contains(before);
        std::optional<SQLite::Database> held;
        Book b([&](TestRun& run) {
            run.createBook({"1 12.5 CB"}, "-12.5 0");
            run.ctx.filesLocated = false; // a start of the program, not a reload
            const QString folder = backupFolder(run.ctx);
            if (before == "file")
                writeFile(folder, "x");
            else if (named)
                QVERIFY(QDir().mkdir(folder));
            for (const QString& name : named ? names(before) : QStringList())
                writeFile(folder + '/' + name, "x");
            if (before == "busy") { // another program's change, not yet committed
                held.emplace(run.db());
                held->exec("BEGIN IMMEDIATE; INSERT INTO En_cour VALUES ('2003-12-02', 1, 'CB')");
            }
        });
        QCOMPARE(b.shown(), told.isEmpty() ? QStringList() : QStringList{told});
        const QString folder = backupFolder(b.ctx);
        if (after == "file")
            return;
        QStringList left = QDir(folder).entryList(QDir::Files);
        left.sort();
        QCOMPARE(left, names(after));
        const QString copy = folder + "/PTcomptes-2003-12-05.mdb";
        if (before.contains("2003-12-05.mdb")) {
            QCOMPARE(contents(copy), "x");
            return;
        }
        // A consistent copy of the book as committed, and of ptconte.ini; both the user's alone,
        // and so is the folder when made for them.
        SQLite::Database db(QFile::encodeName(copy).toStdString());
        QCOMPARE(db.execAndGet("SELECT group_concat(Montant) FROM En_cour").getString(), "125000");
        QCOMPARE(contents(folder + "/ptconte-2003-12-05.ini"), contents(b.iniPath()));
        for (const QString& path :
             {named ? copy : folder, copy, folder + "/ptconte-2003-12-05.ini"})
            QCOMPARE(int(std::filesystem::status(path.toStdString()).permissions()) & 077, 0);
    }

    // Fichier > Restaurer une sauvegarde..., with yesterday's backup (40 CB) and an unreadable one.
    void restoring_data() {
        QTest::addColumn<QStringList>("script");
        QTest::addColumn<QString>("how");  // "none": no backup; else how the book refuses changes
        QTest::addColumn<QString>("told"); // after the list and the question
        QTest::newRow("restored") << QStringList{"0", "yes"} << ""
                                  << "";
        QTest::newRow("declined") << QStringList{"0", "no"} << ""
                                  << "";
        QTest::newRow("cancelled") << QStringList{"cancel"} << ""
                                   << "";
        QTest::newRow("disk full")
            << QStringList{"0", "yes"} << "full"
            << msg("Restaurer une sauvegarde", "critical", "OK",
                   "La sauvegarde n'a pas pu être restaurée : erreur de lecture ou d'écriture sur "
                   "le disque.");
        QTest::newRow("no backup") << QStringList() << "none"
                                   << msg("Restaurer une sauvegarde", "information", "OK",
                                          "Aucune sauvegarde n'a encore été faite.");
    }
    void restoring() {
        QFETCH(QStringList, script);
        QFETCH(QString, how);
        QFETCH(QString, told);
        Book b({"1 12.5 CB"}, "-12.5 0");
        const QString folder = backupFolder(b.ctx);
        if (how != "none") {
            TestRun yesterday;
            yesterday.createBook({"4 40 CB"}, "-40 0");
            QDir().mkdir(folder);
            AccountDb(yesterday.dbPath()).backupTo(folder + "/PTcomptes-2003-12-04.mdb");
            writeFile(folder + "/ptconte-2003-12-04.ini", "[v]\r\n");
            writeFile(folder + "/PTcomptes-2003-12-03.mdb", "x");
            writeFile(folder + "/ptconte-2003-12-03.ini", "[v]\r\n");
        }
        const QByteArray ini = contents(b.iniPath());
        b.dialogs.script(script);
        {
            const Refusing refusing(b, how == "full" ? how : "");
            b.menu("restaure");
        }
        QStringList seen = b.shown();
        const bool restored = script.endsWith("yes") && told.isEmpty();
        QCOMPARE(seen.mid(how == "none" ? 0 : 1),
                 (QStringList{script.endsWith("yes") || script.endsWith("no")
                                  ? msg("Restaurer une sauvegarde", "question", "YesNo",
                                        "Remplacer le livre et les ventilations par la sauvegarde "
                                        "du 04/12/2003 ? Le livre actuel sera d'abord sauvegardé.")
                                  : "",
                              told})
                     .filter(QRegularExpression(".")));
        if (how != "none")
            QCOMPARE(seen[0], "choose|Restaurer une sauvegarde|Choisissez la sauvegarde à "
                              "restaurer :|04/12/2003 — 1 opérations — Réel : -40,00€ — Bancaire "
                              ": 0,00€/[03/12/2003 — illisible]");
        // The book shown is the one in place, and the one replaced is kept, stamped with the time.
        QCOMPARE(b.rows() + " / " + b.at<QLabel>("Label1_1")->text(),
                 restored ? "2003-12-04 40 CB / -40,00€" : "2003-12-01 12.5 CB / -12,50€");
        QCOMPARE(contents(b.iniPath()), restored ? "[v]\r\n" : ini);
        QCOMPARE(QFile::exists(folder + "/PTcomptes-2003-12-05-101500.mdb") &&
                     contents(folder + "/ptconte-2003-12-05-101500.ini") == ini,
                 restored);
        QCOMPARE(QDir(b.dir.path()).entryList(QDir::Files | QDir::Hidden).join(' '),
                 "PTcomptes.mdb ptconte.ini");
    }
};

QTEST_MAIN(TestBackup)
#include "test_backup.moc"
