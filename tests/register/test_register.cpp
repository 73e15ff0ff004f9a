// The register: the reading of a typed amount, the line formats, the balance check; then the main
// window's refresh and balance strip, typing an amount, entering an operation, setting the
// balances, searching by amount and deleting.
#include "app/frmcompte.h"
#include "input/amount_reading.h"
#include "register/line_list.h"
#include "register/register_line.h"
#include "register/register_view.h"
#include "support.h"
using namespace brelune;
using namespace brelune::test;

namespace {

struct Reading {
    QString text, reading; // "zero?|stored|searched", "out" out of range, "none" unmatchable
};

const QString kNoDate = msg("Et la date !", "critical", "OK", "votre date n'est pas correcte !");
const QString kNoAmount =
    msg("Et le montant alors !", "critical", "OK", "Vous n'avez pas entré de montant !");
const QString kTooLong =
    msg("Payement trop grand", "critical", "OK", "Texte de payement trop grand !");
const QString kNoPayment =
    msg("Et le payement !", "critical", "OK", "vous n'avez pas rentré de payement !");
const QString kDigitsOnly = msg("Montant", "exclamation", "OK", kOnlyDigits);
const QString kReel = "input|Nouveau SOLDE|entrez le nouveau solde réel|Un Milliard";
const QString kBanc = "input|Nouveau SOLDE|entrez le nouveau solde bancaire|Un Milliard";
const QString kSoldeZero = msg("Attention", "question", "YesNo",
                               "vous n'avez rien entré ! voulez-vous changer ce solde ?");
const QString kSearchInput = "input|Suppression définitive !|Entrer le montant recherché :|montant";
const QString kSearchZero =
    msg("un Montant SVP", "question", "YesNo",
        "vous n'avez pas entré de montant ! \r\nVoulez-vous en entrer un ?");
const QString kConfirm = msg("Attention : Suppression définitive !", "question", "YesNo",
                             "Voulez vous supprimer cet enregistrement ?\r\nMontant : ");
const QString kNotFound = msg("BRELUNE", "none", "OK", "Le montant recherché n'existe pas !");
const QString kAmountTooLarge = msg("Et le montant alors !", "critical", "OK",
                                    "Ce montant est trop grand pour être enregistré !");
const QString kSoldeTooLarge =
    msg("Nouveau SOLDE", "exclamation", "OK", "Ce solde est trop grand pour être enregistré !");
// The main window on a book, in English for a data row tagged "en ...": operations "day amount
// payment" of December 2003 (row ids 1, 2...) and Soldes "réel bancaire" ("none": no row).
struct Register : Book {
    using Book::Book;
    LineList* list() const { return at<LineList>("List1"); }
    QComboBox* combo(int i) const { return at<QComboBox>(QString("Combo%1").arg(i)); }
    QLineEdit* text1() const { return at<QLineEdit>("Text1"); }
    QLabel* label(int i) const { return at<QLabel>(QString("Label1_%1").arg(i)); }
    // Types "date|amount|payment" as a user does and clicks Enregistrer, or presses the key named
    // after a fourth "|" on it.
    void enter(const QString& line) {
        const QStringList f = line.split('|');
        text1()->setText(f[1]); // the amount box's filter aside
        for (int i : {1, 2}) {
            combo(i)->clearEditText();
            for (const QChar c : f[i == 1 ? 0 : 2]) // letters outside ASCII too
                QTest::sendKeyEvent(QTest::Click, combo(i), Qt::Key_unknown, c, Qt::NoModifier);
        }
        auto* button = at<QPushButton>("Command1");
        button->setFocus();
        if (f.value(3) == "Return" || f.value(3) == "Enter")
            QTest::keyClick(button, f[3] == "Return" ? Qt::Key_Return : Qt::Key_Enter,
                            f[3] == "Return" ? Qt::NoModifier : Qt::KeypadModifier);
        else
            QTest::mouseClick(button, Qt::LeftButton);
    }
};

struct Refresh {
    const char* reel;
    QString lines, strip; // strip: the five labels' captions and tool-tips
    QStringList dialogs;
    QByteArray junk; // written over the database at the end; none: the file is gone
};
struct Entry { // typed in an empty book; refused when nothing is stored
    QString line;
    QStringList dialogs = {};
    QString stored = {}, reel = "0"; // the row stored, the Réel balance after
    QString shown = {};              // the register line after its date and "_____"
    QString failing = {};            // how the book refuses every change
};
struct Prompt { // a command asking for an amount, in a book that agrees: RENT 1, Réel 3, Bancaire 2
    const char* item;
    QStringList script, dialogs;
    QString after, soldes = "3 2"; // Soldes after, before ("none": no row)
    QString failing = {};          // how the book refuses every change
};
const QStringList kSix{"5 12.5 CB", "5 12.5 CB", "5 12.5 CB", "1 40 RENT", "4 -7.25 CB", "2 0 CB"};
struct Deletion { // in kSix, Réel 9.75 (agreeing): the amount typed, then asked about; lines found
    QString typed, asked;
    QStringList lines;
    int clicked;           // dragged from the first line
    QString left, reel;    // the rows' ids left, Réel
    QString twist = "yes"; // "no" answered; "fail": Soldes refuses every change
};

} // namespace

class TestRegister : public QObject {
    Q_OBJECT
private slots:
    void amountReading_data() {
        QTest::addColumn<Reading>("r");
        row<Reading>("12.50", {"12.50", "no|12,5|12,5"});
        row<Reading>("decimal comma", {"12,50", "no|12,5|12,5"});
        row<Reading>("second point stops", {"1.2.3", "no|1,2|1,2"});
        row<Reading>("second comma stops", {"1,2,3", "no|1,2|1,2"});
        row<Reading>("blanks dropped", {" 1 2.5\t", "no|12,5|12,5"});
        row<Reading>("no-break and thin spaces",
                     {"1\u00A0234\u202F567.8\u2009", "no|1234567,8|1234567,8"});
        row<Reading>("sign", {"-3", "no|-3|-3"});
        row<Reading>("minus stops", {"1-2", "no|1|1"});
        row<Reading>("exponent", {"1.5E3", "no|1500|1500"});
        row<Reading>("minus exponent", {"25e-1", "no|2,5|2,5"});
        row<Reading>("plus exponent", {"2E+1", "no|20|20"});
        row<Reading>("bare E", {"12E", "no|12|12"});
        row<Reading>("empty", {"", "zero|0|0"});
        row<Reading>("word", {"montant", "zero|0|0"});
        row<Reading>("tiny rounds to 0", {"0.00001", "no|0|none"});
        row<Reading>("rounds half away", {"0.00005", "no|0,0001|none"});
        row<Reading>("sixteen digits", {"12.50000000000001", "no|12,5|12,5"});
        row<Reading>("carried to a new digit", {"9999.99999999999999", "no|10000|10000"});
        row<Reading>("largest", {"922337203685477.58074", "no|922337203685477,5807|none"});
        row<Reading>("too large", {"922337203685477.5808", "no|out|out"});
        row<Reading>("huge exponent", {"1e99999999", "no|out|out"});
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

    // The verdict where the windows' rows do not tell it: the last decimal, an empty balance, a
    // negative amount, "Rent" not upper-cased, a sum beyond the money range.
    void verdict_data() {
        QTest::addColumn<QString>("c"); // operations "amount payment, ...", Soldes, verdict
        row<QString>("last decimal", "0.0001 RENT|0 0|Faux");
        row<QString>("empty balance counts as 0", "10 CB|- 10|Bon");
        row<QString>("negative amount", "-5 CB|5 0|Bon");
        row<QString>("Rent not upper-cased goes out", "100 Rent, 30 CB|70 0|Faux");
        row<QString>("sum beyond the money range",
                     "922337203685477 RENT, 922337203685477 RENT|-1 -1|Faux");
    }
    void verdict() {
        QFETCH(QString, c);
        OperationTable ops;
        for (const QString& item : c.section('|', 0, 0).split(", "))
            ops.append(
                {0, QDate(2003, 12, 5), {}, eur(item.section(' ', 0, 0)), item.section(' ', 1)});
        const QStringList f = c.section('|', 1, 1).split(' ');
        auto field = [](QString t) { return t == "-" ? std::nullopt : std::optional(eur(t)); };
        const Verdict v = balanceVerdict(ops, {field(f[0]), field(f[1])});
        QCOMPARE(v == Verdict::Bon ? "Bon" : "Faux", c.section('|', 2));
    }

    void refresh_data() {
        QTest::addColumn<Refresh>("r");
        row<Refresh>("fr agreeing",
                     {"57.5",
                      "     01/12/2003_____30,00 €_____CB|     05/12/2003_____100,00 €____RENT|"
                      "     05/12/2003_____12,50 €_____PRÉL",
                      "Réel : ||57,50€|Solde REEL en francs : 377,18 F|Bancaire : ||0,00€|"
                      "Solde BANCAIRE en francs : 0,00 F|Bon|Les comptes sont bons",
                      QStringList(), QByteArray()});
        row<Refresh>("en wrong by 0.98",
                     {"58.48",
                      "     12/1/2003_____30.00 €_____CB|     12/5/2003_____100.00 €____RENT|"
                      "     12/5/2003_____12.50 €_____PRÉL",
                      "Réel : ||58.48€|Solde REEL en francs : 383.60 F|Bancaire : ||0.00€|"
                      "Solde BANCAIRE en francs : 0.00 F|Faux|Les comptes sont faux, attention",
                      QStringList{kFaux}, QByteArray(4096, 'x')});
    }
    void refresh() {
        QFETCH(Refresh, r);
        // By date; rows of one date keep the order they were stored in.
        Register b({"5 100 RENT", "1 30 CB", "5 12.5 PRÉL"}, "none");
        QCOMPARE(b.label(0)->text(), "Pas d'enregistrement");
        QCOMPARE(b.label(0)->width(), b.frame.registerView()->width());
        QVERIFY(!b.label(1)); // not created without balances
        b.setSoldes(QString(r.reel) + " 0");
        b.frame.registerView()->load_compte();
        b.shown();
        b.frame.registerView()->load_compte(); // a second refresh doubles neither lines nor labels
        QCOMPARE(b.list()->lines().join('|'), r.lines);
        QStringList strip;
        QList<int> geometry;
        for (int i = 0; i < 5; ++i) {
            strip << b.label(i)->text() << b.label(i)->toolTip();
            geometry << b.label(i)->x() << b.label(i)->width();
        }
        QCOMPARE(strip.join('|'), r.strip);
        QCOMPARE(geometry, (QList<int>{0, 80, 80, 160, 240, 128, 368, 160, 528, 112}));
        QCOMPARE(b.shown(), r.dialogs);
        QCOMPARE(b.frame.findChildren<QLabel*>(QRegularExpression("^Label1_")).size(), 5);
        QCOMPARE(b.ids(), "1 2 3"); // nothing is corrected
        // The Soldes row gone: Label1(0) spans the strip, the others stay.
        b.setSoldes("none");
        b.frame.registerView()->load_compte();
        QCOMPARE(b.label(0)->width(), b.frame.registerView()->width());
        QVERIFY(b.label(4)->isVisible());
        QCOMPARE(b.label(4)->text(), r.strip.section('|', 8, 8));
        // An unreadable database: no stale line nor verdict, and no file created.
        QVERIFY(QFile::remove(b.dbPath()));
        if (!r.junk.isEmpty())
            writeFile(b.dbPath(), r.junk);
        b.frame.registerView()->load_compte();
        QCOMPARE(b.shown(), QStringList{dbProblem(r.junk.isEmpty() ? kGone : kJunk)});
        QVERIFY(b.list()->lines().isEmpty());
        QCOMPARE(b.label(0)->text(), "Comptes illisibles");
        QVERIFY(!b.label(4)->isVisible());
        QCOMPARE(QFile::exists(b.dbPath()), !r.junk.isEmpty());
    }

    void typingInTheAmountBox() {
        Register b;
        QLineEdit* box = b.text1();
        QTest::keyClicks(box, "12a.5,-");
        // Enter and Space are refused; Backspace, moving, Delete and Ctrl+A type no character.
        QTest::keySequence(box, QKeySequence("Return, Space, Backspace, Left"));
        QTest::keyClick(box, Qt::Key_A, Qt::ControlModifier);
        QCOMPARE(box->text() + '|' + box->selectedText(), "12.5,|12.5,");
        QCOMPARE(b.shown(), QStringList(3, kDigitsOnly));
        QVERIFY(b.rows().isEmpty()); // Enter records nothing
        // Pasted and AltGr text goes through the same filter.
        QGuiApplication::clipboard()->setText("12abc");
        QTest::keySequence(box, QKeySequence("Ctrl+V, Ctrl+Alt+E"));
        QCOMPARE(b.shown(), QStringList(2, kDigitsOnly));
        // So is the text of an input method.
        QInputMethodEvent composed;
        composed.setCommitString("1a");
        QCoreApplication::sendEvent(box, &composed);
        QCOMPARE(b.shown(), QStringList{kDigitsOnly});
        QGuiApplication::clipboard()->setText("-3");
        QTest::keyClick(box, Qt::Key_Home);
        QTest::sendKeyEvent(QTest::Click, box, Qt::Key_Delete, QChar(127), {}); // as X11 sends it
        QTest::keySequence(box, QKeySequence("End, Ctrl+V"));
        QCOMPARE(box->text(), "2.5,-3");
        QVERIFY(b.shown().isEmpty());
    }

    void entries_data() {
        QTest::addColumn<Entry>("e");
        row<Entry>("untouched", {"date||Payement", {kNoDate, kNoAmount, kTooLong, kNoPayment}});
        row<Entry>("zero amount", {"05/12/2003|0|CB", {kNoAmount}});
        row<Entry>("rounds to 0", {"05/12/2003|0.00001|CB", {kNoAmount}});
        row<Entry>("blank payment", {"05/12/2003|1|   ", {kNoPayment}});
        row<Entry>("six characters", {"05/12/2003|1|ABCDEF", {kTooLong}});
        row<Entry>("longer once upper-cased", {"05/12/2003|1|straß", {kTooLong}});
        row<Entry>("not a date", {"31/02/2003|1|CB", {kNoDate}});
        row<Entry>("amount too large", {"05/12/2003|1e30|CB", {kAmountTooLarge}});
        for (auto [how, reason] :
             {std::pair("Soldes", kRefusedValue),
              {"En_cour!", "erreur inattendue de la base de données (code 1)"},
              {"busy", "la base est occupée par un autre programme"},
              {"read-only", "le fichier ou son dossier est protégé en écriture"},
              {"full", "erreur de lecture ou d'écriture sur le disque"}})
            QTest::addRow("%s", how) << Entry{
                .line = "05/12/2003|12|CB", .dialogs = {dbProblem(reason, true)}, .failing = how};
        row<Entry>("five letters, decimal comma, Return on the button",
                   {"05/12/2003|12,50|Prélè|Return",
                    {},
                    "2003-12-05 12.5 PRÉLÈ",
                    "-12.5",
                    "12,50 €_____PRÉLÈ"});
        row<Entry>("negative, no completion",
                   {"05/12/2003|-5|RE", {}, "2003-12-05 -5 RE", "5", "-5,00 €_____RE"});
        row<Entry>(
            "RENT, blanks around, keypad Enter on the button",
            {"01/12/2003|20| rEnT |Enter", {}, "2003-12-01 20 RENT", "20", "20,00 €_____RENT"});
        row<Entry>("en 12/1/2003",
                   {"12/1/2003|7.25|Ch", {}, "2003-12-01 7.25 CH", "-7.25", "7.25 €______CH"});
    }
    void entries() {
        QFETCH(Entry, e);
        Register b;
        {
            const Refusing refusing(b, e.failing);
            b.enter(e.line);
        }
        QCOMPARE(b.shown(), e.dialogs);
        const bool recorded = !e.stored.isEmpty();
        QCOMPARE(b.rows() + '|' + b.soldes(), e.stored + '|' + e.reel + " 0");
        const QString date = e.line.section('|', 0, 0);
        QCOMPARE(b.list()->lines(), QStringList{recorded ? "     " + date + "_____" + e.shown
                                                         : "     Pas d'enregistrement !"});
        QCOMPARE(b.label(4)->text(), "Bon");
        // A refused line stays as typed, to be corrected.
        QCOMPARE(b.combo(1)->currentText() + '|' + b.text1()->text() + '|' +
                     b.combo(2)->currentText(),
                 recorded ? "date||Payement" : e.line);
    }

    void amountPrompts_data() {
        QTest::addColumn<Prompt>("s");
        const QStringList searchTwice{kSearchInput, kSearchZero, kSearchInput, kSearchZero};
        row<Prompt>("réel, decimal comma", {"Sréel", {"1520,35"}, {kReel, kFaux}, "1520.35 2"});
        row<Prompt>("bancaire, decimal comma", {"Sbanc", {"1520,35"}, {kBanc, kFaux}, "3 1520.35"});
        row<Prompt>("default text, then No",
                    {"Sréel", {"Un Milliard", "no"}, {kReel, kSoldeZero}, "3 2"});
        row<Prompt>("cancelled, then No", {"Sbanc", {"cancel", "no"}, {kBanc, kSoldeZero}, "3 2"});
        row<Prompt>("0.00, Yes, then 1",
                    {"Sréel", {"0.00", "yes", "1"}, {kReel, kSoldeZero, kReel, kFaux}, "1 2"});
        row<Prompt>("tiny value stored as 0", {"Sbanc", {"0.00001"}, {kBanc, kFaux}, "3 0"});
        row<Prompt>("agreeing again", {"Sbanc", {"2"}, {kBanc}, "3 2"});
        row<Prompt>("too large, then 7",
                    {"Sréel", {"1e16", "7"}, {kReel, kSoldeTooLarge, kReel, kFaux}, "7 2"});
        row<Prompt>("no Soldes row: created", {"Sbanc", {"15"}, {kBanc, kFaux}, "NULL 15", "none"});
        row<Prompt>(
            "Soldes refuses",
            {"Sréel", {"7"}, {kReel, dbProblem(kRefusedValue, true)}, "3 2", "3 2", "Soldes"});
        row<Prompt>("search: default text, Yes, nothing, No",
                    {"Suppress", {"montant", "yes", "", "no"}, searchTwice, "3 2"});
    }
    void amountPrompts() {
        QFETCH(Prompt, s);
        Register b({"5 1 RENT"}, s.soldes);
        const Refusing refusing(b, s.failing);
        const QStringList registerLines = b.list()->lines();
        b.text1()->setText("99"); // half-typed, lost by the reload
        b.dialogs.script(s.script);
        b.menu(s.item);
        QCOMPARE(b.shown(), s.dialogs);
        QCOMPARE(b.ids() + '|' + b.soldes(), "1|" + s.after);
        QCOMPARE(b.text1()->text(), s.script.endsWith("no") || !s.failing.isEmpty() ? "99" : "");
        QCOMPARE(b.list()->lines(), registerLines);
        if (s.soldes == "none") // the strip shows the row created, with an empty Réel
            QCOMPARE(b.label(1)->text() + '|' + b.label(3)->text(), "|15,00€");
    }

    void searchAndDelete_data() {
        QTest::addColumn<Deletion>("d");
        const QStringList three(3, "05/12/2003 ---> 12,5    ---> CB");
        row<Deletion>("second of three equal", {"12.5", "12,5", three, 1, "1 3 4 5 6", "22.25"});
        row<Deletion>("decimal comma", {"12,50", "12,5", three, 0, "2 3 4 5 6", "22.25"});
        row<Deletion>(
            "40, written on seven places",
            {"40", "40", {"01/12/2003 ---> 40      ---> RENT"}, 0, "1 2 3 5 6", "-30.25"});
        row<Deletion>(
            "negative",
            {"-7.25", "-7,25", {"04/12/2003 ---> -7,25   ---> CB"}, 0, "1 2 3 4 6", "2.5"});
        row<Deletion>("answered No", {"12.5", "12,5", three, 2, "1 2 3 4 5 6", "9.75", "no"});
        row<Deletion>("failing", {"12.5", "12,5", three, 2, "1 2 3 4 5 6", "9.75", "fail"});
    }
    void searchAndDelete() {
        QFETCH(Deletion, d);
        Register b(kSix, "9.75 0");
        QStringList registerLines = b.list()->lines();
        b.dialogs.script({d.typed, d.twist == "no" ? "no" : "yes"});
        b.menu("Suppress");
        QCOMPARE(b.list()->lines(), d.lines);
        if (d.twist == "fail")
            b.failChangesOf("Soldes");
        pick(&b.frame, {0, d.clicked}); // one question, for the line selected last
        const QString refused = kRefusedValue;
        QCOMPARE(b.shown(),
                 QStringList({kSearchInput, kConfirm + d.asked}) +
                     (d.twist == "fail" ? QStringList{dbProblem(refused, true)} : QStringList{}));
        QCOMPARE(b.ids() + '|' + b.soldes(), d.left + '|' + d.reel + " 0"); // the very row
                                                                            // clicked
        QCOMPARE(b.label(4)->text(), "Bon");
        // The register again, out of delete mode (a click asks nothing), less the line deleted.
        QCOMPARE(b.list()->count(), d.left.count(' ') + 1);
        for (const QString& line : b.list()->lines())
            QVERIFY(registerLines.removeOne(line));
        pick(&b.frame, {0});
        QVERIFY(b.shown().isEmpty());
    }

    void searchGivenUpOrEnded() {
        Register b(kSix, "9.75 0");
        const QStringList registerLines = b.list()->lines();
        // A search that finds nothing ("1e-9" is not 0) empties the list before it says so, and
        // ends delete mode.
        b.dialogs.script({"12.5", "1e-9"});
        b.menu("Suppress");
        QStringList behindMessage{"(none)"};
        b.dialogs.onMessage = [&] { behindMessage = b.list()->lines(); };
        b.menu("Suppress");
        QCOMPARE(b.shown(), (QStringList{kSearchInput, kSearchInput, kNotFound}));
        QCOMPARE(behindMessage, QStringList{});
        QCOMPARE(b.list()->lines(), registerLines);
        pick(&b.frame, {0});
        QVERIFY(b.shown().isEmpty());
        // So does an entry.
        b.dialogs.script({"12.5"});
        b.menu("Suppress");
        b.enter("05/12/2003|5|CB");
        pick(&b.frame, {0});
        QCOMPARE(b.shown(), QStringList{kSearchInput});
        QCOMPARE(b.ids(), "1 2 3 4 5 6 7");
        // A search in an unreadable book leaves the window as it was, never "n'existe pas".
        const QStringList registerNow = b.list()->lines();
        QVERIFY(QFile::rename(b.dbPath(), b.dbPath() + ".moved"));
        b.dialogs.script({"12.5"});
        b.menu("Suppress");
        QCOMPARE(b.shown(), (QStringList{kSearchInput, dbProblem(kGone)}));
        QCOMPARE(b.list()->lines(), registerNow);
        QVERIFY(!QFile::exists(b.dbPath()));
    }
};

QTEST_MAIN(TestRegister)
#include "test_register.moc"
