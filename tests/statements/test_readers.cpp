// The statement readers: each kind of bank file read whole, and the amounts and dates the readers
// share. The files refused are rows of the damaged-file test.
#include "statements/statement.h"

#include <QtTest>

using namespace brelune;

namespace {

// "account", a "date|amount|label|fitid" line for each line, then "closing amount date".
QString shown(const Statement& s) {
    QStringList out{QStringLiteral("account ") + s.account};
    for (const StatementLine& l : s.lines)
        out << QStringList{l.date.toString(Qt::ISODate), l.amount.plain(u'.'), l.label, l.fitid}
                   .join(u'|');
    out << QStringLiteral("closing ") +
               (s.closing ? s.closing->plain(u'.') + u' ' + s.closingDate.toString(Qt::ISODate)
                          : QStringLiteral("none"));
    return out.join(u'\n');
}

} // namespace

class TestReaders : public QObject {
    Q_OBJECT
private slots:
    void files_data() {
        QTest::addColumn<QString>("expected");
        QTest::newRow("releve.ofx") << "account 30004 00825 00012345678\n"
                                       "2024-01-05|-125.4|CHEQUE 8123456|24005000001\n"
                                       "2024-01-12|-42.18|CB SUPERMARCHE DU PARC FACT 100124|"
                                       "24012000002\n"
                                       "2024-01-25|2150|VIR SALAIRE JANVIER|24025000003\n"
                                       "2024-01-31|-8.9|FRAIS TENUE DE COMPTE|24031000004\n"
                                       "closing 3512.37 2024-01-31";
        // The second line's day is the one written, not its UTC day (1 March).
        QTest::newRow("releve-v2.ofx") << "account 17515 90000 04419876543\n"
                                          "2024-02-02|-61.99|PRLV ENERGIE DU SUD ÉCHÉANCE "
                                          "02/2024|A7F3-0001\n"
                                          "2024-02-29|-100|RETRAIT DAB NEW YORK|A7F3-0002\n"
                                          "closing -38.01 2024-02-29";
        QTest::newRow("releve.qif") << "account \n2024-01-05|-125.4|8123456|\n"
                                       "2024-01-12|-1042.18|CB SUPERMARCHÉ DU PARC FACT 100124|\n"
                                       "2024-02-05|2150|VIR SALAIRE JANVIER|\n"
                                       "2024-01-31|-8.9|FRAIS TENUE DE COMPTE|\nclosing none";
        QTest::newRow("releve-montant.csv")
            << "account \n2024-01-05|-125.4|CHÈQUE N° 8123456|\n"
               "2024-01-12|-42.18|CB SUPERMARCHÉ DU PARC ; 10/01|\n"
               "2024-01-25|2150|VIR SALAIRE JANVIER|\n"
               "2024-01-31|-8.9|FRAIS TENUE DE COMPTE|\nclosing none";
        QTest::newRow("releve-debit-credit.csv")
            << "account \n2024-02-02|-61.99|PRLV ÉNERGIE DU SUD, ÉCHÉANCE 02/2024|\n"
               "2024-02-05|1250|VIR REÇU M. \"DUPONT\"|\n2024-02-10|-100|RETRAIT DAB|\n"
               "2024-02-15|0.5|REMBOURSEMENT|\nclosing none";
        // Crédit first, a quoted label after a blank, no line end after the last line.
        QTest::newRow("releve-credit.csv") << "account \n2024-01-05|-12.5|CB ; PARC|\n"
                                              "2024-01-25|1250|VIR SALAIRE|\nclosing none";
    }
    void files() {
        QTEST(shown(readStatement(QStringLiteral(STATEMENT_FILES "/") + QTest::currentDataTag())),
              "expected");
    }

    // Each row: texts and what they read as, "x" when refused.
    void values_data() {
        QTest::addColumn<QString>("amounts");
        QTest::addColumn<QString>("dates");
        QTest::newRow("read") << "1 234,56=1234.56|1\u202f234,56=1234.56|1,234.56=1234.56|"
                                 "1.234,56=1234.56|1.234.567=1234567|-8,9 €=-8.9|"
                                 "EUR -12=-12|+0,50=0.5|1,00000=1|"
                                 "-922337203685477.58=-922337203685477.58"
                              << "29/02/2024=2024-02-29|5/1'24=2024-01-05|31.12.29=2029-12-31|"
                                 "01/01/30=1930-01-01|2024-01-05=2024-01-05";
        QTest::newRow("refused")
            << "12,3,4|1 2,5|1,234 567|12.|.5|1,001|1,234|1.230|1.2345|--1|12 €€|"
               "١٢|922337203685477.59|1.234,567.8"
            << "31/02/2024|2024-1-05|05/12/203|١/١/٢٠٢٤|05/12/2003 10:00";
    }
    void values() {
        QFETCH(QString, amounts);
        QFETCH(QString, dates);
        for (const QString& a : amounts.split(u'|')) {
            const auto m = readStatementAmount(a.section(u'=', 0, 0));
            QCOMPARE(m ? m->plain(u'.') : "x",
                     a.section(u'=', 1).isEmpty() ? "x" : a.section(u'=', 1));
        }
        for (const QString& d : dates.split(u'|')) {
            const QDate date = readStatementDate(d.section(u'=', 0, 0));
            QCOMPARE(date.isValid() ? date.toString(Qt::ISODate) : "x",
                     d.section(u'=', 1).isEmpty() ? "x" : d.section(u'=', 1));
        }
    }
};

QTEST_GUILESS_MAIN(TestReaders)
#include "test_readers.moc"
