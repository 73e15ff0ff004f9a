// What the benchmarks share: a timer and a book filled as one person fills it.
#pragma once

#include "support.h"

#include <QElapsedTimer>
#include <SQLiteCpp/Database.h>
#include <SQLiteCpp/Statement.h>
#include <SQLiteCpp/Transaction.h>
#include <algorithm>
#include <random>
#include <vector>

namespace brelune::bench {

// Milliseconds taken by work, the median of several runs.
template <typename Work> double median(int runs, Work work) {
    std::vector<double> ms;
    for (int i = 0; i < runs; ++i) {
        QElapsedTimer timer;
        timer.start();
        work();
        ms.push_back(double(timer.nsecsElapsed()) / 1e6);
    }
    std::sort(ms.begin(), ms.end());
    return ms[ms.size() / 2];
}

// A book as one person fills it over 25 years: mostly in date order, each
// operation dated up to 15 days back; one in seven is income. The balances
// agree with the operations.
inline void fillBook(test::TestRun& run, int count) {
    SQLite::Database db(run.dbPath().toStdString(), SQLite::OPEN_READWRITE);
    SQLite::Transaction tx(db);
    SQLite::Statement q(db, R"(INSERT INTO En_cour ("Date", Montant, Payement) VALUES (?, ?, ?))");
    const char* const payments[] = {"CB", "Ch", "PRÉL", "TIP", "RET", "CB"};
    std::mt19937 random(7);
    __int128 sum = 0;
    for (int i = 0; i < count; ++i) {
        const QDate date = QDate(2000, 1, 1).addDays(qint64(i) * 9000 / count - random() % 16);
        const qint64 units = qint64(random() % 5000000) + 100;
        const bool income = i % 7 == 0;
        q.bind(1, date.toString(Qt::ISODate).toStdString());
        q.bind(2, std::int64_t{units});
        q.bind(3, income ? "RENT" : payments[i % 6]);
        q.exec();
        q.reset();
        sum += income ? units : -units;
    }
    db.exec("UPDATE Soldes SET \"Réel\" = " + std::to_string(qint64(sum)) + ", Bancaire = 0");
    tx.commit();
}

} // namespace brelune::bench
