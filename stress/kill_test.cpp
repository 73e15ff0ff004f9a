// A long seeded mix of commands on a book and its ptconte.ini, run by a child process that is
// killed at a random moment, again and again: after each kill the files must hold exactly the
// state after some whole number of commands.
#include "allocation/ventil_store.h"
#include "backup/restore.h"
#include "support.h"

#include <random>

using namespace brelune;
using namespace brelune::test;

namespace {

QString euros(qint64 units) {
    return Money::fromUnits(units).plain(u'.');
}

// The seeded mix of commands, each run on the files and followed on a model of the book: its rows
// "date amount payment" in the order stored, Réel and Bancaire.
class Mix {
public:
    QStringList rows;
    qint64 reel = 0, bancaire = 0;
    int statementLines = 0; // lines applied from statements, each one row of Releve
    QString book() const {
        return rows.join('|') + " / " + euros(reel) + ' ' + euros(bancaire) + " / applied " +
               QString::number(statementLines);
    }

    // Draws the next command and follows it on the model; runs it on the run's files if given.
    void next(TestRun* run) {
        const int kind = int(random_() % 8), category = int(random_() % 10);
        const qint64 value = qint64(random_() % 100000) * 100;
        if (kind < 3 && !rows.isEmpty() && kind > 0) { // a deletion or a marking
            const QString row = rows.takeAt(qsizetype(random_() % rows.size()));
            const QStringList f = row.split(' ');
            const qint64 units = eur(f[1]).units() * (f[2] == "RENT" ? 1 : -1);
            (kind == 1 ? reel : bancaire) += kind == 1 ? -units : units;
            if (run) {
                AccountDb db(run->dbPath());
                for (const Operation& op : db.findByAmount(eur(f[1])))
                    if (op.date.toString(Qt::ISODate) == f[0] && op.payement == f[2])
                        return kind == 1 ? db.deleteOperation(op) : db.markOperation(op);
                throw std::runtime_error("operation not found");
            }
        } else if (kind < 3) { // an entry
            const QDate date = QDate(2003, 1, 1).addDays(random_() % 365);
            const QString payement = random_() % 4 ? "CB" : "RENT";
            rows << date.toString(Qt::ISODate) + ' ' + euros(value + 1) + ' ' + payement;
            reel += payement == "RENT" ? value + 1 : -value - 1;
            if (run)
                AccountDb(run->dbPath()).addOperation(date, Money::fromUnits(value + 1), payement);
        } else if (kind < 5) {
            (kind == 3 ? reel : bancaire) = value;
            if (run)
                AccountDb(run->dbPath())
                    .setBalance(kind == 3 ? BalanceField::Reel : BalanceField::Bancaire,
                                Money::fromUnits(value));
        } else if (kind == 5) {
            if (run)
                add_ventil(run->ctx, category, Money::fromUnits(value).toDouble());
        } else if (kind == 6) {
            if (run)
                reset_ventil(run->ctx, category, "Poste " + QString::number(value));
        } else { // a statement: up to two operations marked and a line entered, at once
            QStringList marked;
            for (int i = 0; i < 2 && !rows.isEmpty(); ++i)
                marked << rows.takeAt(qsizetype(random_() % rows.size()));
            std::vector<StatementRecord> records{{QString::number(statementLines++),
                                                  QDate(2003, 6, 1), Money::fromUnits(-value), "X",
                                                  std::nullopt, "CB"}};
            reel -= value;
            bancaire -= value;
            AccountDb db(run ? run->dbPath() : QString());
            for (const QString& row : marked) {
                const QStringList f = row.split(' ');
                bancaire += eur(f[1]).units() * (f[2] == "RENT" ? 1 : -1);
                StatementRecord& r = records.emplace_back();
                r.identity = QString::number(statementLines++);
                for (const Operation& op :
                     run ? db.findByAmount(eur(f[1])) : std::vector<Operation>{})
                    if (op.date.toString(Qt::ISODate) == f[0] && op.payement == f[2] &&
                        std::none_of(records.begin(), records.end(), [&](const auto& other) {
                            return other.settles && other.settles->id == op.id;
                        })) {
                        r.settles = op;
                        break;
                    }
            }
            if (run)
                db.applyStatement(records, QDate(2003, 12, 5));
        }
    }

private:
    std::mt19937 random_{20031205};
};

// The child: runs the mix on the files of the folder from command `from` on, without end.
int child(const QString& folder, qsizetype from) {
    TestRun run;
    run.ctx.programDir = folder;
    Mix mix;
    for (qsizetype k = 0; k < from; ++k)
        mix.next(nullptr);
    std::puts("ready");
    std::fflush(stdout);
    try {
        for (;;)
            mix.next(&run);
    } catch (const AccountDbError& e) {
        std::fputs(qPrintable(e.reason()), stderr);
    } catch (const std::exception& e) {
        std::fputs(e.what(), stderr);
    }
    return 1;
}

// The child of a restore: restores the folder's two oldest backups in turn, without end.
int restoring(const QString& folder) {
    TestRun run;
    run.ctx.programDir = folder;
    run.ctx.chemin_base = folder + "/PTcomptes.mdb";
    const std::vector<BookBackup> backups = listBackups(folder + "/sauvegardes");
    std::puts("ready");
    std::fflush(stdout);
    for (std::size_t i = 0;; ++i)
        if (const auto problem = restoreFiles(run.ctx, backups[backups.size() - 1 - i % 2])) {
            std::fputs(qPrintable(*problem), stderr);
            return 1;
        }
}

// Runs a child of this program with these arguments and kills it that many µs after it is ready;
// false when it could not be killed so.
bool killed(const QStringList& args, unsigned after) {
    QProcess process;
    process.setProcessChannelMode(QProcess::ForwardedErrorChannel); // its reason, if it ends
    process.start(QCoreApplication::applicationFilePath(), args);
    if (!process.waitForReadyRead(10000))
        return false;
    QThread::usleep(after);
    process.kill();
    return process.waitForFinished(10000) && process.exitStatus() == QProcess::CrashExit;
}

} // namespace

class TestReliability : public QObject {
    Q_OBJECT
public:
    int rounds = 200;
private slots:
    void killedAtAnyMoment() {
        TestRun run;      // the files the child works on, from an empty book
        run.createBook(); // without Releve: the first statement makes it
        TestRun replay;   // the same commands, one at a time, to know each state of ptconte.ini
        replay.createBook();
        Mix mix;
        QStringList states{mix.book() + QString::fromLatin1(contents(replay.iniPath()))};
        auto stateAfter = [&](qsizetype k) {
            while (states.size() <= k) {
                mix.next(&replay);
                states << mix.book() + QString::fromLatin1(contents(replay.iniPath()));
            }
            return states[k];
        };

        std::mt19937 random(7);
        qsizetype done = 0;     // commands completed so far
        unsigned window = 8000; // µs, widened while rounds end before any command (slow builds)
        for (int round = 0; round < rounds; ++round) {
            QVERIFY(killed({"--child", run.dir.path(), QString::number(done)}, random() % window));
            QCOMPARE(run.db().execAndGet("PRAGMA integrity_check").getString(), "ok");
            const QString state =
                run.rows() + " / " + run.soldes() + " / " +
                (run.select("SELECT name FROM sqlite_master WHERE name = 'Releve'").isEmpty()
                     ? "applied 0"
                     : run.select("SELECT 'applied ' || count(*) FROM Releve").join("")) +
                QString::fromLatin1(contents(run.iniPath()));
            const qsizetype was = done;
            while (stateAfter(done) != state && done < was + 1000)
                ++done;
            QVERIFY2(stateAfter(done) == state,
                     qPrintable(QString("round %1: no whole number of commands after %2 leaves "
                                        "these files")
                                    .arg(round)
                                    .arg(was)));
            if (done == was)
                window += 1000;
        }
        QVERIFY2(done > rounds, "the child was killed before it could do anything");
    }

    // A restore killed at any moment, then the start that follows: the folder holds one day's
    // pair, never a book of one day beside the other's ptconte.ini.
    void restoreKilled() {
        TestRun run;
        QDir().mkpath(run.dir.filePath("sauvegardes"));
        for (const char* day : {"2003-12-01", "2003-12-02"}) { // a book and its ptconte.ini each
            TestRun pair;
            pair.createBook({QString("1 %1 CB").arg(day + 8)});
            AccountDb(pair.dbPath())
                .backupTo(run.dir.filePath("sauvegardes/PTcomptes-") + day + ".mdb");
            writeFile(run.dir.filePath("sauvegardes/ptconte-") + day + ".ini",
                      QByteArray("[v]\nday=") + day);
        }
        run.createBook();
        const QByteArray first = contents(run.iniPath());
        std::mt19937 random(11);
        for (int round = 0; round < rounds; ++round) {
            QVERIFY(killed({"--restoring", run.dir.path()}, random() % 20000));
            QVERIFY(!finishRestore(run.ctx));
            // Nothing left of the copies the kill cut short.
            for (const QString& folder : {run.dir.path(), run.dir.filePath("sauvegardes")})
                QCOMPARE(QDir(folder).entryList({".*"}, QDir::Files | QDir::Hidden).join(" "), "");
            QCOMPARE(run.db().execAndGet("PRAGMA integrity_check").getString(), "ok");
            const QString day = run.rows().section(' ', 1, 1); // the day its amount tells
            QCOMPARE(contents(run.iniPath()),
                     day.isEmpty() ? first : "[v]\nday=2003-12-0" + day.toLatin1());
        }
    }
};

int main(int argc, char* argv[]) {
    if (argc == 3 && qstrcmp(argv[1], "--restoring") == 0)
        return restoring(QString::fromLocal8Bit(argv[2]));
    if (argc == 4 && qstrcmp(argv[1], "--child") == 0)
        return child(QString::fromLocal8Bit(argv[2]), QByteArray(argv[3]).toLongLong());
    // A kill loses nothing the system already holds, so the files may sit in memory, where a
    // command takes a fraction of a millisecond and a round sees dozens of them.
    if (QFileInfo("/dev/shm").isWritable())
        qputenv("TMPDIR", "/dev/shm");
    QApplication app(argc, argv);
    TestReliability test;
    QStringList args = QApplication::arguments();
    if (const qsizetype at = args.indexOf("--rounds"); at > 0 && at + 1 < args.size())
        test.rounds = args.takeAt(at + 1).toInt(), args.removeAt(at);
    return QTest::qExec(&test, args);
}

#include "kill_test.moc"
