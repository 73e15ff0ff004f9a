// The register's rules that need no window: the reading of a typed amount,
// the line formats and the balance check.
#include "register/amount_reading.h"
#include "register/register_line.h"

#include <QtTest>

using namespace brelune;

namespace {

// Operations written "amount payment, amount payment", dated 5 December 2003.
std::vector<Operation> operations(const QString& text) {
    std::vector<Operation> ops;
    for (const QString& item : text.split(", ", Qt::SkipEmptyParts)) {
        const QStringList f = item.split(' ');
        ops.push_back({0, QDate(2003, 12, 5), {}, *readAmount(f[0]).toMoney(), f[1]});
    }
    return ops;
}

struct Reading {
    QString text, reading; // "zero?|stored|searched", "out" out of range, "none" unmatchable
};
struct Lines { // "amount payment" (in English for a tag "en ..."), both lines after the date
    QString operation, line, search;
};
struct Check {
    QString operations, soldes; // "reel bancaire", "-" for an empty field
    bool good;
};

} // namespace

class TestRegister : public QObject {
    Q_OBJECT
private slots:
    void amountReading_data() {
        QTest::addColumn<Reading>("r");
        QTest::newRow("12.50") << Reading{"12.50", "no|12,5|12,5"};
        QTest::newRow("comma stops") << Reading{"12,50", "no|12|12"};
        QTest::newRow("blanks dropped") << Reading{" 1 2.5\t", "no|12,5|12,5"};
        QTest::newRow("no-break and thin spaces")
            << Reading{"1\u00A0234\u202F567.8\u2009", "no|1234567,8|1234567,8"};
        QTest::newRow("sign") << Reading{"-3", "no|-3|-3"};
        QTest::newRow("minus stops") << Reading{"1-2", "no|1|1"};
        QTest::newRow("exponent") << Reading{"1.5E3", "no|1500|1500"};
        QTest::newRow("minus exponent") << Reading{"25e-1", "no|2,5|2,5"};
        QTest::newRow("plus exponent") << Reading{"2E+1", "no|20|20"};
        QTest::newRow("bare E") << Reading{"12E", "no|12|12"};
        QTest::newRow("empty") << Reading{"", "zero|0|0"};
        QTest::newRow("word") << Reading{"montant", "zero|0|0"};
        QTest::newRow("tiny rounds to 0") << Reading{"0.00001", "no|0|none"};
        QTest::newRow("rounds half away") << Reading{"0.00005", "no|0,0001|none"};
        QTest::newRow("sixteen digits") << Reading{"12.50000000000001", "no|12,5|12,5"};
        QTest::newRow("largest") << Reading{"922337203685477.5807", "no|922337203685477,5807|none"};
        QTest::newRow("too large") << Reading{"922337203685477.5808", "no|out|out"};
        QTest::newRow("huge exponent") << Reading{"1e99999999", "no|out|out"};
    }
    void amountReading() {
        QFETCH(Reading, r);
        const TypedAmount a = readAmount(r.text);
        const auto stored = a.toMoney(), searched = a.searchedMoney();
        auto text = [](auto money, QString none) { return money ? money->plain(u',') : none; };
        QCOMPARE(QString(a.isZero() ? "zero|" : "no|") + text(stored, "out") + '|' +
                     text(searched, stored ? "none" : "out"),
                 r.reading);
    }

    void lines_data() {
        QTest::addColumn<Lines>("l");
        QTest::newRow("12.5") << Lines{"12.5 CB", "12,50 €_____CB", "12,5    ---> CB"};
        QTest::newRow("1234.56") << Lines{"1234.56 RENT", "1234,56 €___RENT", "1234,56 ---> RENT"};
        QTest::newRow("negative") << Lines{"-12.5 CB", "-12,50 €____CB", "-12,5   ---> CB"};
        QTest::newRow("one million") << Lines{"1000000 CB", "1000000,00 €CB", "1000000 ---> CB"};
        QTest::newRow("-123456.7")
            << Lines{"-123456.7 TIP", "-123456,70 €TIP", "-123456,7 ---> TIP"};
        QTest::newRow("en 0.0049") << Lines{"0.0049 RET", "0.00 €______RET", "0.0049  ---> RET"};
    }
    void lines() {
        QFETCH(Lines, l);
        const bool en = QByteArray(QTest::currentDataTag()).startsWith("en ");
        const Locale locale = en ? Locale::english() : Locale::french();
        const QString date = en ? "12/5/2003" : "05/12/2003";
        const Operation op = operations(l.operation).front();
        QCOMPARE(registerLineBody(op, locale), date + "_____" + l.line);
        QCOMPARE(registerLine(op, locale), "     " + date + "_____" + l.line);
        QCOMPARE(searchLine(op, locale), date + " ---> " + l.search);
    }

    void verdict_data() {
        QTest::addColumn<Check>("c");
        QTest::newRow("agree") << Check{"100 RENT, 30 CB", "70 0", true};
        QTest::newRow("bank off by 10") << Check{"100 RENT, 30 CB", "70 10", false};
        QTest::newRow("Rent not upper-cased goes out") << Check{"100 Rent, 30 CB", "70 0", false};
        QTest::newRow("0.98 off, same euros") << Check{"5.99 RENT", "5.01 0", false};
        QTest::newRow("last decimal") << Check{"0.0001 RENT", "0 0", false};
        QTest::newRow("empty register") << Check{"", "12.5 12.5", true};
        QTest::newRow("empty balance counts as 0") << Check{"10 CB", "- 10", true};
        QTest::newRow("negative amount") << Check{"-5 CB", "5 0", true};
        QTest::newRow("sum beyond the money range")
            << Check{"922337203685477 RENT, 922337203685477 RENT", "-1 -1", false};
    }
    void verdict() {
        QFETCH(Check, c);
        const QStringList f = c.soldes.split(' ');
        auto field = [](QString t) { return t == "-" ? std::nullopt : readAmount(t).toMoney(); };
        const Soldes soldes{field(f[0]), field(f[1])};
        QCOMPARE(balanceVerdict(operations(c.operations), soldes) == Verdict::Bon, c.good);
    }
};

int runRegisterTests(int argc, char* argv[]) {
    TestRegister tests;
    return QTest::qExec(&tests, argc, argv);
}

#include "test_register.moc"
