// A statement of 10,000 lines against a book of 1,000,000 outstanding
// operations, in each format: from the chosen file to the filled window
// Releve, then applying every line it proposes. Goals: each within 1 s.
// Built with the project, run by hand:
//   QT_QPA_PLATFORM=offscreen build/bench/bench_statements [lines] [operations]
#include "bench_support.h"
#include "statements/releve.h"

#include <QApplication>
#include <QTableWidget>
#include <cstdio>

using namespace brelune;
using namespace brelune::bench;

namespace {

struct Line {
    QDate date;
    qint64 units;
    QString label;
};

// Every other line settles an operation of the book, dated a few days after it; the others are
// bank fees to enter. A bank gives cents: so do the book's amounts here.
std::vector<Line> statementLines(test::TestRun& run, int count) {
    auto db = run.db();
    db.exec("UPDATE En_cour SET Montant = Montant - Montant % 100");
    SQLite::Statement q(db, "SELECT \"Date\", Montant, Payement FROM En_cour WHERE rowid % 97 = 0 "
                            "LIMIT ?");
    q.bind(1, count / 2);
    std::vector<Line> lines;
    while (q.executeStep()) {
        const qint64 units = q.getColumn(1).getInt64();
        lines.push_back({QDate::fromString(q.getColumn(0).getText(), Qt::ISODate).addDays(3),
                         q.getColumn(2).getString() == "RENT" ? units : -units,
                         QStringLiteral("CB MAGASIN %1").arg(lines.size())});
        lines.push_back({lines.back().date, -12345 - qint64(lines.size()) * 100,
                         QStringLiteral("FRAIS %1").arg(lines.size())});
    }
    return lines;
}

QString text(const Line& l, QChar decimal) {
    return Money::fromUnits(l.units).fixed2(decimal);
}

QByteArray file(const std::vector<Line>& lines, const QString& format) {
    QString out;
    if (format == "ofx")
        out = "OFXHEADER:100\nDATA:OFXSGML\nVERSION:102\nSECURITY:NONE\nENCODING:USASCII\n"
              "CHARSET:1252\nCOMPRESSION:NONE\nOLDFILEUID:NONE\nNEWFILEUID:NONE\n\n<OFX>"
              "<SIGNONMSGSRSV1><SONRS><STATUS><CODE>0<SEVERITY>INFO</STATUS><DTSERVER>20260101"
              "<LANGUAGE>FRA</SONRS></SIGNONMSGSRSV1><BANKMSGSRSV1><STMTTRNRS><TRNUID>1<STATUS>"
              "<CODE>0<SEVERITY>INFO</STATUS><STMTRS><CURDEF>EUR<BANKACCTFROM><BANKID>30004"
              "<BRANCHID>00001<ACCTID>0001234567<ACCTTYPE>CHECKING</BANKACCTFROM><BANKTRANLIST>\n";
    else if (format == "qif")
        out = "!Type:Bank\n";
    else
        out = "Date;Libellé;Montant\n";
    int n = 0;
    for (const Line& l : lines) {
        if (format == "ofx")
            out +=
                QStringLiteral("<STMTTRN><TRNTYPE>OTHER<DTPOSTED>%1<TRNAMT>%2<FITID>%3<NAME>%4"
                               "</STMTTRN>\n")
                    .arg(l.date.toString("yyyyMMdd"), text(l, u'.'), QString::number(++n), l.label);
        else if (format == "qif")
            out += "D" + l.date.toString("dd/MM/yyyy") + "\nT" + text(l, u'.') + "\nP" + l.label +
                   "\n^\n";
        else
            out += l.date.toString("dd/MM/yyyy") + ';' + l.label + ';' + text(l, u',') + '\n';
    }
    if (format == "ofx")
        out += "</BANKTRANLIST><LEDGERBAL><BALAMT>0.00<DTASOF>20260101</LEDGERBAL></STMTRS>"
               "</STMTTRNRS></BANKMSGSRSV1></OFX>\n";
    return out.toUtf8();
}

} // namespace

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    const int lineCount = argc > 1 ? std::atoi(argv[1]) : 10000;
    const int bookSize = argc > 2 ? std::atoi(argv[2]) : 1000000;
    std::printf("statement of %d lines, book of %d operations\n", lineCount, bookSize);
    for (const QString format : {"ofx", "qif", "csv"}) {
        test::TestRun run(Locale::french());
        run.createBook();
        fillBook(run, bookSize);
        const QString path = run.dir.filePath("releve." + format);
        test::writeFile(path, file(statementLines(run, lineCount), format));
        run.dialogs.script({path, "yes"});
        QElapsedTimer timer;
        timer.start();
        auto chosen = Releve::chooseStatement(run.ctx);
        if (!chosen) {
            std::printf("%s: not read: %s\n", qPrintable(format),
                        qPrintable(run.shown().join(' ')));
            return 1;
        }
        const double readMs = double(timer.nsecsElapsed()) / 1e6;
        auto* window = new Releve(run.ctx, chosen->first, std::move(chosen->second));
        window->Form_Load();
        QCoreApplication::processEvents();
        const double shownMs = double(timer.nsecsElapsed()) / 1e6;
        int checked = 0;
        const auto* table = window->findChild<QTableWidget*>("Table1");
        for (int r = 0; r < table->rowCount(); ++r)
            checked += table->item(r, 0)->checkState() == Qt::Checked;
        timer.restart();
        window->Command1_Click();
        QCoreApplication::processEvents();
        const double applyMs = double(timer.nsecsElapsed()) / 1e6;
        std::printf("%s: read %.0f ms, window filled %.0f ms (%d of %d lines matched); "
                    "applied and shown again %.0f ms; %lld operations left\n",
                    qPrintable(format), readMs, shownMs, checked, table->rowCount(), applyMs,
                    (long long)run.db().execAndGet("SELECT count(*) FROM En_cour").getInt64());
        delete window;
    }
    return 0;
}
