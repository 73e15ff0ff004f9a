// A long seeded mix of commands on a book and its ptconte.ini, run by a child process that is
// killed at a random moment, again and again: after each kill the files must hold exactly the
// state after some whole number of commands.
#include "allocation/ventil_store.h"
#include "support.h"

#include <random>

using namespace brelune;
using namespace brelune::test;

namespace {

struct Stored {
    QString date;
    qint64 units;
    QString payement;
    friend bool operator==(const Stored&, const Stored&) = default;
};

// The book as the commands leave it.
struct Book {
    QList<Stored> operations;
    qint64 reel = 0, bancaire = 0;
    friend bool operator==(const Book&, const Book&) = default;
};

qint64 signedUnits(const Stored& op) {
    return op.payement == "RENT" ? op.units : -op.units;
}

enum Kind { Entry, Deletion, Marking, SetReel, SetBancaire, Allotment, Renaming };

// The seeded mix, and what each command does to the book.
class Mix {
public:
    explicit Mix(unsigned seed) : random_(seed) {}

    struct Command {
        Kind kind;
        Stored op;
        qint64 value;
        int category;
    };

    Command next() {
        Command c{Kind(random_() % 7), {}, qint64(random_() % 100000) * 100, int(random_() % 10)};
        if ((c.kind == Deletion || c.kind == Marking) && book.operations.isEmpty())
            c.kind = Entry;
        if (c.kind == Entry)
            c.op = {QDate(2003, 1, 1).addDays(random_() % 365).toString(Qt::ISODate), c.value + 1,
                    random_() % 4 ? "CB" : "RENT"};
        else if (c.kind == Deletion || c.kind == Marking)
            c.op = book.operations[qsizetype(random_() % book.operations.size())];
        switch (c.kind) {
        case Entry:
            book.operations << c.op, book.reel += signedUnits(c.op);
            break;
        case Deletion:
            book.operations.removeOne(c.op), book.reel -= signedUnits(c.op);
            break;
        case Marking:
            book.operations.removeOne(c.op), book.bancaire += signedUnits(c.op);
            break;
        case SetReel:
            book.reel = c.value;
            break;
        case SetBancaire:
            book.bancaire = c.value;
            break;
        default:
            break;
        }
        return c;
    }
    Book book;

private:
    std::mt19937 random_;
};

// Runs the command through the program's own code on the run's files.
void perform(const Mix::Command& c, TestRun& run) {
    AccountDb db(run.dbPath());
    const Money value = Money::fromUnits(c.value);
    auto stored = [&] { // the operation of the book that holds the command's values
        for (const Operation& op : db.findByAmount(Money::fromUnits(c.op.units)))
            if (op.date.toString(Qt::ISODate) == c.op.date && op.payement == c.op.payement)
                return op;
        throw std::runtime_error("operation not found");
    };
    switch (c.kind) {
    case Entry:
        db.addOperation(QDate::fromString(c.op.date, Qt::ISODate), Money::fromUnits(c.op.units),
                        c.op.payement);
        break;
    case Deletion:
        db.deleteOperation(stored());
        break;
    case Marking:
        db.markOperation(stored());
        break;
    case SetReel:
        db.setBalance(BalanceField::Reel, value);
        break;
    case SetBancaire:
        db.setBalance(BalanceField::Bancaire, value);
        break;
    case Allotment:
        add_ventil(run.ctx, c.category, value.toDouble());
        break;
    case Renaming:
        reset_ventil(run.ctx, c.category, "Poste " + QString::number(c.value));
        break;
    }
}

Book stored(const TestRun& run) {
    Book book;
    auto db = run.db();
    SQLite::Statement q(db, R"(SELECT "Date", Montant, Payement FROM En_cour)");
    while (q.executeStep())
        book.operations << Stored{q.getColumn(0).getText(), q.getColumn(1).getInt64(),
                                  q.getColumn(2).getText()};
    SQLite::Statement s(db, R"(SELECT "Réel", Bancaire FROM Soldes)");
    s.executeStep();
    book.reel = s.getColumn(0).getInt64();
    book.bancaire = s.getColumn(1).getInt64();
    return book;
}

QByteArray bytes(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("(unreadable)");
}

constexpr unsigned kSeed = 20031205;

// The child: runs the mix on the files of the folder from command `from` on, without end.
int child(const QString& folder, qsizetype from) {
    TestRun run;
    run.ctx.programDir = folder;
    Mix mix(kSeed);
    for (qsizetype k = 0; k < from; ++k)
        mix.next();
    std::puts("ready");
    std::fflush(stdout);
    try {
        for (;;)
            perform(mix.next(), run);
    } catch (const AccountDbError& e) {
        std::fputs(qPrintable(e.reason()), stderr);
    } catch (const std::exception& e) {
        std::fputs(e.what(), stderr);
    }
    return 1;
}

} // namespace

class TestReliability : public QObject {
    Q_OBJECT
private slots:
    void killedAtAnyMoment() {
        TestRun run; // the files the child works on, from an empty book
        run.createBook();
        TestRun replay; // the same commands, one at a time, to know each state
        replay.createBook();
        Mix mix(kSeed);
        QList<Book> books{mix.book};
        QList<QByteArray> inis{bytes(replay.iniPath())};
        auto stateAfter = [&](qsizetype k) {
            while (books.size() <= k) {
                const Mix::Command c = mix.next();
                if (c.kind == Allotment || c.kind == Renaming)
                    perform(c, replay);
                books << mix.book;
                inis << bytes(replay.iniPath());
            }
            return std::pair(books[k], inis[k]);
        };

        std::mt19937 random(kSeed);
        qsizetype done = 0; // commands completed so far
        for (int round = 0; round < 200; ++round) {
            QProcess process;
            process.start(QCoreApplication::applicationFilePath(),
                          {"--child", run.dir.path(), QString::number(done)});
            QVERIFY(process.waitForReadyRead(10000));
            QThread::usleep(random() % 8000);
            process.kill();
            QVERIFY(process.waitForFinished(10000));
            QVERIFY2(process.exitStatus() == QProcess::CrashExit, process.readAllStandardError());

            const std::string check = run.db().execAndGet("PRAGMA integrity_check").getString();
            QCOMPARE(check, "ok");
            const std::pair state{stored(run), bytes(run.iniPath())};
            const qsizetype was = done;
            while (stateAfter(done) != state && done < was + 1000)
                ++done;
            QVERIFY2(stateAfter(done) == state, qPrintable(QString("round %1: no whole number of "
                                                                   "commands after %2 leaves "
                                                                   "these files")
                                                               .arg(round)
                                                               .arg(was)));
        }
        QVERIFY2(done > 200, "the child was killed before it could do anything");
    }
};

int main(int argc, char* argv[]) {
    if (argc == 4 && qstrcmp(argv[1], "--child") == 0)
        return child(QString::fromLocal8Bit(argv[2]), QByteArray(argv[3]).toLongLong());
    // A kill loses nothing the system already holds, so the files may sit in memory, where a
    // command takes a fraction of a millisecond and a round sees dozens of them.
    if (QFileInfo("/dev/shm").isWritable())
        qputenv("TMPDIR", "/dev/shm");
    QApplication app(argc, argv);
    TestReliability test;
    return QTest::qExec(&test, argc, argv);
}

#include "test_reliability.moc"
