// Start-up and refresh of the register over a book of 100,000 outstanding
// operations. Goals: start-up under half a second, a refresh well under a
// tenth of a second. Built with the project, run by hand:
//   QT_QPA_PLATFORM=offscreen build/bench/bench_register
#include "app/frmcompte.h"
#include "platform/account_db.h"
#include "register/register_view.h"
#include "support.h"

#include <QApplication>
#include <QElapsedTimer>
#include <SQLiteCpp/Database.h>
#include <SQLiteCpp/Statement.h>
#include <SQLiteCpp/Transaction.h>
#include <cstdio>

using namespace brelune;

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    constexpr int kOperations = 100000;
    test::TestRun run;
    run.createBook();
    {
        SQLite::Database db(run.dbPath().toStdString(), SQLite::OPEN_READWRITE);
        SQLite::Transaction tx(db);
        SQLite::Statement q(db,
                            R"(INSERT INTO En_cour ("Date", Montant, Payement) VALUES (?, ?, ?))");
        for (int i = 0; i < kOperations; ++i) {
            q.bind(1, QDate(2000, 1, 1).addDays(i % 9000).toString(Qt::ISODate).toStdString());
            q.bind(2, std::int64_t{(i % 5000) * 100 + 5});
            q.bind(3, i % 7 ? "CB" : "RENT");
            q.exec();
            q.reset();
        }
        tx.commit();
    }
    run.ctx.filesLocated = false;

    QElapsedTimer timer;
    timer.start();
    Frmcompte window(run.ctx);
    window.Form_Load();
    window.show();
    QApplication::processEvents();
    const qint64 startMs = timer.elapsed();

    timer.restart();
    constexpr int kRefreshes = 10;
    for (int i = 0; i < kRefreshes; ++i)
        window.registerView()->load_compte();
    const double refreshMs = double(timer.elapsed()) / kRefreshes;

    std::printf("operations: %d\nstart-up: %lld ms (goal < 500)\nrefresh: %.1f ms (goal < 100)\n",
                kOperations, static_cast<long long>(startMs), refreshMs);
    return 0;
}
