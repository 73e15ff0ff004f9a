// The day's backups, made at the first start of a day, their rotation, and restoring one.
#include "backup/restore.h"
#include "support.h"

#include <filesystem>
using namespace brelune;
using namespace brelune::test;

namespace {

// "-K": a day's pair K days before 5 December 2003, then the names given; sorted.
QStringList names(QString list) {
    for (int k = 11; k >= 0; --k) // -11 before -1
        list.replace(QRegularExpression(QString("(^| )-%1\\b").arg(k)),
                     QString(" PTcomptes-%1.mdb ptconte-%1.ini")
                         .arg(QDate(2003, 12, 5).addDays(-k).toString(Qt::ISODate)));
    QStringList out = list.split(' ', Qt::SkipEmptyParts);
    out.sort();
    return out;
}

} // namespace

class TestBackup : public QObject {
    Q_OBJECT
private slots:
    // The backup folder's files before a start ("busy": no folder, and the book is being changed
    // by another program; "file": a file in the folder's place), and after it.
    void dailyBackup_data() {
        QTest::addColumn<QString>("before");
        QTest::addColumn<QString>("after");
        const auto row = [](const char* tag, const QString& before, const QString& after) {
            QTest::newRow(tag) << before << after;
        };
        const QString kept = "notes.txt PTcomptes-copie.mdb PTcomptes-2003-12-05-090000.mdb";
        row("eleven days, other names kept",
            "-11 -10 -9 -8 -7 -6 -5 -4 -3 -2 -1 PTcomptes-2003-12-04-101500.mdb " + kept,
            "-9 -8 -7 -6 -5 -4 -3 -2 -1 -0 " + kept);
        row("made already today", "PTcomptes-2003-12-05.mdb", "PTcomptes-2003-12-05.mdb");
        row("first, book being changed", "busy", "-0");
        row("folder is a file", "file", "");
    }
    void dailyBackup() {
        QFETCH(QString, before);
        QFETCH(QString, after);
        std::optional<SQLite::Database> held;
        Book b([&](TestRun& run) {
            run.createBook({"1 12.5 CB"}, "-12.5 0");
            run.ctx.filesLocated = false; // a start of the program, not a reload
            const QString folder = backupFolder(run.ctx);
            if (before == "file")
                writeFile(folder, "x");
            else if (before != "busy")
                QVERIFY(QDir().mkdir(folder));
            for (const QString& name : before.size() > 4 ? names(before) : QStringList())
                writeFile(folder + '/' + name, "x");
            if (before == "busy") { // another program's change, not yet committed
                held.emplace(run.db());
                held->exec("BEGIN IMMEDIATE; INSERT INTO En_cour VALUES ('2003-12-02', 1, 'CB')");
            }
        });
        QCOMPARE(b.shown().join(""), after.isEmpty()
                                         ? msg("BRELUNE", "exclamation", "OK",
                                               "La sauvegarde du jour n'a pas pu être faite : un "
                                               "élément du chemin n'est pas un dossier.")
                                         : "");
        const QString folder = backupFolder(b.ctx), copy = folder + "/PTcomptes-2003-12-05.mdb";
        QCOMPARE(QDir(folder).entryList(QDir::Files, QDir::Name), names(after));
        QCOMPARE(contents(copy).left(1), before.startsWith('P') ? "x" : after.isEmpty() ? "" : "S");
        if (before.startsWith('P') || after.isEmpty())
            return; // left as it was
        // A consistent copy of the book as committed, and of ptconte.ini, the user's alone.
        SQLite::Database db(copy.toStdString());
        QCOMPARE(db.execAndGet("SELECT Montant FROM En_cour").getInt64(), 125000);
        QCOMPARE(contents(folder + "/ptconte-2003-12-05.ini"), contents(b.iniPath()));
        for (const QString& path : {before == "busy" ? folder : copy, copy})
            QCOMPARE(int(std::filesystem::status(path.toStdString()).permissions()) & 077, 0);
    }

    // Fichier > Restaurer une sauvegarde..., the answers given, with yesterday's backup (40 CB)
    // and an unreadable one ("none": no backup; "full": the disk full).
    void restoring_data() {
        QTest::addColumn<QString>("script");
        QTest::addColumn<QString>("told"); // after the list and the question
        const auto row = [](const char* tag, const char* script, const QString& told) {
            QTest::newRow(tag) << script << told;
        };
        const QString caption = "Restaurer une sauvegarde";
        row("restored", "0 yes", "");
        row("declined", "0 no", "");
        row("cancelled", "cancel", "");
        row("full", "0 yes",
            msg(caption, "critical", "OK",
                "La sauvegarde n'a pas pu être restaurée : erreur de lecture ou d'écriture sur le "
                "disque."));
        row("halfway", "0 yes", // the pairs staged and saved, then no note can be written
            msg(caption, "critical", "OK",
                "La sauvegarde n'a pas pu être restaurée : c'est un dossier."));
        row("none", "",
            msg(caption, "information", "OK", "Aucune sauvegarde n'a encore été faite."));
    }
    void restoring() {
        QFETCH(QString, script);
        QFETCH(QString, told);
        const QByteArray tag = QTest::currentDataTag();
        Book b({"1 12.5 CB"}, "-12.5 0");
        const QString folder = backupFolder(b.ctx);
        if (tag != "none") {
            TestRun yesterday;
            yesterday.createBook({"4 40 CB"}, "-40 0");
            QDir().mkdir(folder);
            AccountDb(yesterday.dbPath()).backupTo(folder + "/PTcomptes-2003-12-04.mdb");
            for (const char* name :
                 {"PTcomptes-2003-12-03.mdb", "ptconte-2003-12-03.ini", "ptconte-2003-12-04.ini"})
                writeFile(folder + '/' + name, "[v]\r\n");
        }
        if (tag == "halfway")
            QDir(folder).mkdir("restauration");
        const QByteArray ini = contents(b.iniPath());
        b.dialogs.script(script.split(' ', Qt::SkipEmptyParts));
        {
            const Refusing refusing(b, tag == "full" ? "full" : "");
            b.menu("restaure");
        }
        QStringList expected{"choose|Restaurer une sauvegarde|Choisissez la sauvegarde à "
                             "restaurer :|04/12/2003 — 1 opération — Réel : -40,00€ — "
                             "Bancaire : 0,00€/[03/12/2003 — illisible]",
                             msg("Restaurer une sauvegarde", "question", "YesNo",
                                 "Remplacer le livre et les ventilations par la sauvegarde du "
                                 "04/12/2003 ? Le livre actuel sera d'abord sauvegardé."),
                             told};
        QCOMPARE(b.shown(),
                 expected.mid(tag == "none" ? 2 : 0, script.count(' ') + 1 + !told.isEmpty()));
        // The book shown is the one in place, and the one replaced is kept, stamped with the time.
        const bool restored = tag == "restored";
        QCOMPARE(b.rows() + " / " + b.at<QLabel>("Label1_1")->text() + contents(b.iniPath()),
                 restored ? "2003-12-04 40 CB / -40,00€[v]\r\n"
                          : "2003-12-01 12.5 CB / -12,50€" + ini);
        QCOMPARE(contents(folder + "/ptconte-2003-12-05-101500.ini") == ini &&
                     QFile::exists(folder + "/PTcomptes-2003-12-05-101500.mdb"),
                 restored || tag == "halfway");
        QCOMPARE(QDir(b.dir.path()).entryList(QDir::Files | QDir::Hidden).join(' '),
                 "PTcomptes.mdb ptconte.ini");
    }

    // A restore a crash cut short after its note: the next start finishes it, a journal left by
    // the book replaced played on nothing; with the book's folder gone, the start is refused.
    void pending() {
        for (const bool folderGone : {false, true}) {
            TestRun run;
            run.createBook({"1 12.5 CB"}, "-12.5 0");
            run.ctx.filesLocated = false;
            const QByteArray ini = contents(run.iniPath());
            const QString book = folderGone ? run.dir.filePath("cle/PTcomptes.mdb") : run.dbPath();
            QDir().mkdir(backupFolder(run.ctx));
            writeFile(run.dir.filePath(".ptconte.ini.restauration"), "[v]\r\n");
            QVERIFY(QFile::copy(run.dbPath(), run.dir.filePath(".PTcomptes.mdb.restauration")));
            run.addRow("2003-12-02", "2", "CB"); // the book replaced differs from the restored
            writeFile(backupFolder(run.ctx) + "/restauration",
                      QStringList{run.dir.filePath(".PTcomptes.mdb.restauration"), book,
                                  run.dir.filePath(".ptconte.ini.restauration"), run.iniPath(), ""}
                          .join('\n')
                          .toUtf8());
            writeFile(run.dbPath() + "-journal", "x"); // left by a writer of the book replaced
            // Finished before anything reads the book: the journal is not the restored book's.
            if (!folderGone)
                QVERIFY(!finishRestore(run.ctx) && !QFile::exists(run.dbPath() + "-journal"));
            Frmcompte frame(run.ctx);
            QCOMPARE(frame.Form_Load(), !folderGone);
            QCOMPARE(run.shown().join(""),
                     folderGone ? msg("BRELUNE", "critical", "OK",
                                      "La restauration commencée n'a pas pu être terminée : un "
                                      "dossier du chemin est introuvable.\r\nBRELUNE ne peut pas "
                                      "démarrer.")
                                : "");
            if (!folderGone) // the book restored, whole, and its ini
                QCOMPARE(run.rows().toUtf8() + run.soldes().toUtf8() + contents(run.iniPath()),
                         "2003-12-01 12.5 CB-12.5 0[v]\r\n");
            else // nothing touched
                QVERIFY(contents(run.iniPath()) == ini &&
                        QFile::exists(run.dir.filePath(".PTcomptes.mdb.restauration")));
        }
    }
};

QTEST_MAIN(TestBackup)
#include "test_backup.moc"
