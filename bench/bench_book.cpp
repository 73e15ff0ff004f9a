// The cost of a book of 1,000 to 1,000,000 outstanding operations: start-up,
// refresh and the three commands, each also as a ratio to the raw scan of
// the same file (the figure that holds from one machine to another), the
// account report, and the peak memory. Goals at 100,000 and 1,000,000:
// refresh at most 2x the raw scan, a command at most 2.5x, start-up at a
// million under 0.5 s in under 150 MB, the day's backup adding at most 0.5 s
// to the first start of the day. The account report as a PDF: 100,000
// operations within 3 s, a million still under 150 MB at its peak, the
// progress window up and "Annuler" answered within 0.2 s. Built with the
// project, run by hand:
//   QT_QPA_PLATFORM=offscreen build/bench/bench_book [1000|10000|100000|1000000]
#include "app/frmcompte.h"
#include "bench_support.h"
#include "platform/report_printer.h"
#include "reconcile/pointage.h"
#include "register/register_view.h"
#include "reports/report_text.h"
#include "support.h"

#include <QApplication>
#include <QComboBox>
#include <QElapsedTimer>
#include <QLineEdit>
#include <QProgressDialog>
#include <QTimer>
#include <SQLiteCpp/Database.h>
#include <SQLiteCpp/Statement.h>
#include <SQLiteCpp/Transaction.h>
#include <algorithm>
#include <cstdio>
#include <memory>
#include <random>
#include <sqlite3.h>
#include <sys/resource.h>

using namespace brelune;
using namespace brelune::bench;

namespace {

double rawScan(const QString& path) {
    SQLite::Database db(path.toStdString(), SQLite::OPEN_READONLY | SQLite::OPEN_NOMUTEX);
    return median(5, [&] {
        sqlite3_stmt* q = nullptr;
        sqlite3_prepare_v2(db.getHandle(),
                           R"(SELECT rowid, "Date", Montant, Payement FROM En_cour)", -1, &q,
                           nullptr);
        qint64 check = 0;
        while (sqlite3_step(q) == SQLITE_ROW) {
            check += sqlite3_column_int64(q, 0) + sqlite3_column_int64(q, 2);
            check += sqlite3_column_bytes(q, 1) + sqlite3_column_bytes(q, 3);
            check += sqlite3_column_text(q, 1)[0] + sqlite3_column_text(q, 3)[0];
        }
        sqlite3_finalize(q);
        if (check == 42)
            std::puts("");
    });
}

// An amount stored in the book, typed as the user would.
QString storedAmount(const test::TestRun& run, int rowid) {
    auto db = run.db();
    SQLite::Statement q(db, "SELECT Montant FROM En_cour WHERE rowid = ?");
    q.bind(1, rowid);
    q.executeStep();
    const auto units = q.getColumn(0).getInt64();
    return Money::fromUnits(units).plain(QLatin1Char('.'));
}

struct PrintTimes {
    double totalMs = -1;       // the command, from the click to the PDF in place
    double upMs = -1;          // from the click to the progress window on screen
    double longestWaitMs = -1; // between two turns of the event loop once it is up, or the end
};

// The account report printed as the user prints it where there is no printer, to a PDF; with
// cancelAfterMs, "Annuler" is pressed that long after the progress window is up, and totalMs is
// how long the press waits for its answer.
PrintTimes printToPdf(test::TestRun& run, Frmcompte& window, double cancelAfterMs) {
    QtReportPrinter printer(run.dialogs, run.clock);
    run.ctx.printer = &printer;
    run.dialogs.script({run.dir.filePath(QStringLiteral("report%1.pdf").arg(cancelAfterMs))});
    PrintTimes t;
    double last = 0, pressed = -1;
    QElapsedTimer clock;
    QTimer watch;
    watch.callOnTimeout([&] {
        const double now = double(clock.nsecsElapsed()) / 1e6;
        const auto progress = test::windows<QProgressDialog>();
        if (!progress.isEmpty() && t.upMs < 0)
            t.upMs = now;
        else if (!progress.isEmpty())
            t.longestWaitMs = std::max(t.longestWaitMs, now - last);
        if (!progress.isEmpty() && cancelAfterMs >= 0 && pressed < 0 &&
            now - t.upMs >= cancelAfterMs) {
            pressed = now;
            progress[0]->cancel();
        }
        last = now;
    });
    watch.start(0);
    clock.start();
    window.inprim_Click();
    t.totalMs = double(clock.nsecsElapsed()) / 1e6;
    run.ctx.printer = &run.printer;
    if (cancelAfterMs >= 0)
        t.totalMs = pressed >= 0 ? t.totalMs - pressed : -1;
    else if (t.upMs >= 0) // the last pages, the file's end and its sync
        t.longestWaitMs = std::max(t.longestWaitMs, t.totalMs - last);
    return t;
}

void measure(int count) {
    test::TestRun run(Locale::french());
    run.createBook();
    fillBook(run, count);
    const int runs = count >= 1000000 ? 5 : 9;

    // A start of the program, its main window loaded and shown: the window, and how long it took.
    const auto start = [&] {
        run.ctx.filesLocated = false;
        QElapsedTimer timer;
        timer.start();
        auto window = std::make_unique<Frmcompte>(run.ctx);
        window->Form_Load();
        window->show();
        QApplication::processEvents();
        return std::pair(std::move(window), double(timer.nsecsElapsed()) / 1e6);
    };
    const auto [first, startMs] = start();
    Frmcompte& window = *first;
    // A later start the same day finds the day's backup made.
    const double laterStartMs = start().second;

    const double scanMs = rawScan(run.dbPath());
    RegisterView& view = *window.registerView();
    const double refreshMs = median(runs, [&] { view.load_compte(); });

    const double entryMs = median(runs, [&] {
        view.findChild<QComboBox*>("Combo1")->setEditText(
            run.ctx.locale.formatDate(run.clock.today()));
        view.findChild<QLineEdit*>("Text1")->setText("12.5");
        view.findChild<QComboBox*>("Combo2")->setEditText("CB");
        view.Command1_Click();
    });

    Pointage pointage(run.ctx);
    pointage.Form_Load();
    const double markMs = median(runs, [&] {
        pointage.findChild<QLineEdit*>("Text1")->setText("12.5");
        pointage.Command1_Click();
        run.dialogs.script({"yes"});
        pointage.List1_Click(0);
    });
    pointage.hide();

    int rowid = 0;
    const double deleteMs = median(runs, [&] {
        run.dialogs.script({storedAmount(run, ++rowid), "yes"});
        view.Suppress_Click();
        view.List1_Click(0);
    });

    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    const double peakMb = double(usage.ru_maxrss) / 1024;

    const double reportMs = median(3, [&] {
        AccountReport report(AccountDb(run.dbPath()).readRegister(), run.clock.today(),
                             run.ctx.locale);
        QString line;
        int size = 0;
        while (report.next(line, size)) {
        }
    });
    const PrintTimes pdf = printToPdf(run, window, -1);
    const PrintTimes cancel = count >= 100000 ? printToPdf(run, window, 300) : PrintTimes{};
    getrusage(RUSAGE_SELF, &usage);

    const auto ms = [](double v) { return v >= 0 ? QByteArray::number(v, 'f', 0) : "-"; };
    std::printf(
        "%9d | %7.1f | %7.1f | %7.1f | %7.1f %5.2fx | %7.1f %5.2fx | %7.1f %5.2fx | %7.1f %5.2fx "
        "| %6.0f | %7.1f | %6s | %4s | %4s | %4s | %6.0f\n",
        count, startMs, laterStartMs, scanMs, refreshMs, refreshMs / scanMs, entryMs,
        entryMs / scanMs, markMs, markMs / scanMs, deleteMs, deleteMs / scanMs, peakMb, reportMs,
        ms(pdf.totalMs).constData(), ms(pdf.upMs).constData(), ms(pdf.longestWaitMs).constData(),
        ms(cancel.totalMs).constData(), double(usage.ru_maxrss) / 1024);
    std::fflush(stdout);
    if (!run.dialogs.scriptDone())
        std::printf("          (the commands did not go as planned: %s)\n",
                    qPrintable(run.shown().join(" / ")));
}

} // namespace

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    std::printf("All times in ms (medians); ratios to the raw scan of the same file.\n"
                "operations | first start-up of the day (with the backup) | later start-up "
                "| raw scan | refresh | entry | marking | deletion "
                "| peak MB | report lines | PDF | progress up | longest wait | Annuler answered "
                "| peak MB with the report\n");
    // One size may be given, to look at it alone (under a profiler, say).
    const QStringList sizes = app.arguments().mid(1);
    for (int count : {1000, 10000, 100000, 1000000})
        if (sizes.isEmpty() || sizes.contains(QString::number(count)))
            measure(count);
    return 0;
}
