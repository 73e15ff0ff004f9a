// The register commands: typing an amount, entering an operation, setting
// the balances, searching by amount and deleting.
#include "app/frmcompte.h"
#include "register/amount_reading.h"
#include "register/line_list.h"
#include "register/register_view.h"
#include "test_run.h"

#include <QAction>
#include <QClipboard>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QtTest>

using namespace brelune;
using namespace brelune::test;

namespace {

const QString kNoDate = msg("Et la date !", "critical", "OK", "votre date n'est pas correcte !");
const QString kNoAmount =
    msg("Et le montant alors !", "critical", "OK", "Vous n'avez pas entré de montant !");
const QString kTooLong =
    msg("Payement trop grand", "critical", "OK", "Texte de payement trop grand !");
const QString kNoPayment =
    msg("Et le payement !", "critical", "OK", "vous n'avez pas rentré de payement !");
const QString kOnlyDigits = msg("Montant", "exclamation", "OK", "Seul les chiffres sont permis !");
const QString kSearchInput = "input|Suppression définitive !|Entrer le montant recherché :|montant";
const QString kSearchZero =
    msg("un Montant SVP", "question", "YesNo",
        "vous n'avez pas entré de montant ! \r\nVoulez-vous en entrer un ?");
const QString kNotFound = msg("BRELUNE", "none", "OK", "Le montant recherché n'existe pas !");
const QString kFaux = msg("Attention", "critical", "OK", "Il y a une erreur dans les comptes");
const QString kSoldeZero = msg("Attention", "question", "YesNo",
                               "vous n'avez rien entré ! voulez-vous changer ce solde ?");

QString confirmDelete(const QString& amount) {
    return msg("Attention : Suppression définitive !", "question", "YesNo",
               "Voulez vous supprimer cet enregistrement ?\r\nMontant : " + amount);
}

// Types text into a widget key by key, letters outside ASCII included, with
// the keyboard focus in it as when the user types.
void typeInto(QWidget* widget, const QString& text) {
    QApplication::setActiveWindow(widget->window());
    widget->setFocus();
    for (const QChar c : text)
        QTest::sendKeyEvent(QTest::Click, widget, Qt::Key_unknown, QString(c), Qt::NoModifier);
}

// A run with both files and its main window loaded.
struct Window {
    explicit Window(TestRun& run) : run(run), frame(run.ctx) {
        frame.resize(640, 480);
        frame.show();
        if (!frame.Form_Load())
            qFatal("the main window did not load");
    }
    QComboBox* combo1() const { return child<QComboBox>(&frame, "Combo1"); }
    QLineEdit* text1() const { return child<QLineEdit>(&frame, "Text1"); }
    QComboBox* combo2() const { return child<QComboBox>(&frame, "Combo2"); }
    LineList* list() const { return child<LineList>(&frame, "List1"); }
    QString verdict() const { return child<QLabel>(&frame, "Label1_4")->text(); }
    RegisterView* view() const { return frame.registerView(); }

    // Types the line as a user does (the amount box's filter aside).
    void enter(const QString& date, const QString& amount, const QString& payment) {
        combo1()->clearEditText();
        typeInto(combo1(), date);
        text1()->setText(amount);
        combo2()->clearEditText();
        typeInto(combo2(), payment);
        QTest::mouseClick(child<QPushButton>(&frame, "Command1"), Qt::LeftButton);
    }
    void menu(const char* item) { child<QAction>(&frame, item)->trigger(); }
    // Selects lines of List1 as a click or a drag across them does, then
    // lets the event loop deliver the selection.
    void select(std::initializer_list<int> rows) {
        for (int row : rows)
            list()->selectionModel()->select(list()->model()->index(row, 0),
                                             QItemSelectionModel::ClearAndSelect);
        QCoreApplication::processEvents();
    }
    void select(int row) { select({row}); }

    TestRun& run;
    Frmcompte frame;
};

} // namespace

class TestCommands : public QObject {
    Q_OBJECT
private slots:
    void typingInTheAmountBox();
    void amountReading_data();
    void amountReading();
    void refusedEntries_data();
    void refusedEntries();
    void recordedEntries_data();
    void recordedEntries();
    void failedEntryStoresNothing();
    void setBalance_data();
    void setBalance();
    void setBalanceCreatesMissingRow();
    void searchAndDelete_data();
    void searchAndDelete();
    void unreadableDuringSearch();
    void answeringNoOrNothing();
    void entryThenDeletionLeavesReel();
};

void TestCommands::typingInTheAmountBox() {
    TestRun run;
    run.createFiles();
    Window w(run);
    QTest::keyClicks(w.text1(), "12a.5");
    QCOMPARE(w.text1()->text(), "12.5");
    QTest::keyClick(w.text1(), Qt::Key_Return);
    QTest::keyClick(w.text1(), Qt::Key_Space);
    QTest::keyClicks(w.text1(), ",-");
    QTest::keyClick(w.text1(), Qt::Key_Backspace);
    QTest::keyClick(w.text1(), Qt::Key_Left);
    QTest::keyClick(w.text1(), Qt::Key_A, Qt::ControlModifier); // select all: no character
    QCOMPARE(w.text1()->text(), "12.5,");
    QCOMPARE(run.dialogs.takeShown(), QStringList(3, kOnlyDigits));
    QVERIFY(run.rows().empty()); // Enter records nothing
    // Pasted and AltGr text goes through the same filter.
    QGuiApplication::clipboard()->setText("12abc");
    QTest::keyClick(w.text1(), Qt::Key_V, Qt::ControlModifier);
    QTest::keyClick(w.text1(), Qt::Key_E, Qt::ControlModifier | Qt::AltModifier);
    QCOMPARE(run.dialogs.takeShown(), QStringList(2, kOnlyDigits));
    // So is the X11 selection pasted by a middle click, where there is one.
    if (QGuiApplication::clipboard()->supportsSelection()) {
        QGuiApplication::clipboard()->setText("9x", QClipboard::Selection);
        QTest::mouseClick(w.text1(), Qt::MiddleButton);
        QCOMPARE(run.dialogs.takeShown(), QStringList{kOnlyDigits});
    }
    QGuiApplication::clipboard()->setText("-3");
    QTest::keyClick(w.text1(), Qt::Key_End);
    QTest::keyClick(w.text1(), Qt::Key_V, Qt::ControlModifier);
    QCOMPARE(w.text1()->text(), "12.5,-3");
    QVERIFY(run.dialogs.takeShown().isEmpty());
}

// Each row: the typed text, then "zero?|stored|searched" where stored is
// "out" out of the money range and searched is "none" when nothing can match.
void TestCommands::amountReading_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("reading");
    QTest::newRow("12.50") << "12.50"
                           << "no|12,5|12,5";
    QTest::newRow("comma stops") << "12,50"
                                 << "no|12|12";
    QTest::newRow("blanks dropped") << " 1 2.5\t"
                                    << "no|12,5|12,5";
    QTest::newRow("no-break and thin spaces") << "1\u00A0234\u202F567.8\u2009"
                                              << "no|1234567,8|1234567,8";
    QTest::newRow("sign") << "-3"
                          << "no|-3|-3";
    QTest::newRow("minus stops") << "1-2"
                                 << "no|1|1";
    QTest::newRow("exponent") << "1.5E3"
                              << "no|1500|1500";
    QTest::newRow("bare E") << "12E"
                            << "no|12|12";
    QTest::newRow("empty") << ""
                           << "zero|0|0";
    QTest::newRow("word") << "montant"
                          << "zero|0|0";
    QTest::newRow("tiny rounds to 0") << "0.00001"
                                      << "no|0|none";
    QTest::newRow("rounds half away") << "0.00005"
                                      << "no|0,0001|none";
    QTest::newRow("sixteen digits") << "12.50000000000001"
                                    << "no|12,5|12,5";
    QTest::newRow("largest") << "922337203685477.5807"
                             << "no|922337203685477,5807|none";
    QTest::newRow("too large") << "922337203685477.5808"
                               << "no|out|out";
    QTest::newRow("huge exponent") << "1e99999999"
                                   << "no|out|out";
}

void TestCommands::amountReading() {
    QFETCH(QString, text);
    const TypedAmount a = readAmount(text);
    const auto stored = a.toMoney();
    const auto searched = a.searchedMoney();
    const QString reading =
        QStringList{a.isZero() ? "zero" : "no", stored ? stored->plain(u',') : "out",
                    searched ? searched->plain(u',')
                    : stored ? "none"
                             : "out"}
            .join('|');
    QTEST(reading, "reading");
}

// Each row: the input line "date|amount|payment", then the messages.
void TestCommands::refusedEntries_data() {
    QTest::addColumn<QString>("line");
    QTest::addColumn<QStringList>("messages");
    QTest::newRow("untouched") << "date||Payement"
                               << QStringList{kNoDate, kNoAmount, kTooLong, kNoPayment};
    QTest::newRow("zero amount") << "05/12/2003|0|CB" << QStringList{kNoAmount};
    QTest::newRow("lone point") << "05/12/2003|.|CB" << QStringList{kNoAmount};
    QTest::newRow("rounds to 0") << "05/12/2003|0.00001|CB" << QStringList{kNoAmount};
    QTest::newRow("blank payment") << "05/12/2003|1|   " << QStringList{kNoPayment};
    QTest::newRow("six characters") << "05/12/2003|1|ABCDEF" << QStringList{kTooLong};
    QTest::newRow("longer once upper-cased") << "05/12/2003|1|straß" << QStringList{kTooLong};
    QTest::newRow("empty payment") << "05/12/2003|1|" << QStringList{kNoPayment};
    QTest::newRow("not a date") << "31/02/2003|1|CB" << QStringList{kNoDate};
    QTest::newRow("amount too large")
        << "05/12/2003|1e30|CB"
        << QStringList{msg("Et le montant alors !", "critical", "OK",
                           "Ce montant est trop grand pour être enregistré !")};
}

void TestCommands::refusedEntries() {
    QFETCH(QString, line);
    TestRun run;
    run.createFiles();
    Window w(run);
    const QStringList f = line.split('|');
    w.enter(f[0], f[1], f[2]);
    QTEST(run.dialogs.takeShown(), "messages");
    QVERIFY(run.rows().empty());
    QCOMPARE(run.soldes(), std::optional<StoredSoldes>(StoredSoldes{0, 0}));
    // The line stays as typed, to be corrected.
    QCOMPARE(w.combo1()->currentText() + '|' + w.text1()->text() + '|' + w.combo2()->currentText(),
             line);
}

// Each row: the input line "date|amount|payment", the stored row, Réel
// afterwards (from 0) and the register line.
void TestCommands::recordedEntries_data() {
    QTest::addColumn<bool>("french");
    QTest::addColumn<QString>("line");
    QTest::addColumn<StoredRow>("row");
    QTest::addColumn<qint64>("reel");
    QTest::addColumn<QString>("shown");
    QTest::newRow("CB lowers Réel")
        << true << "05/12/2003|45.50|CB" << StoredRow{"2003-12-05", 455000, "CB"} << qint64(-455000)
        << "     05/12/2003_____45,50 €_____CB";
    QTest::newRow("rent raises Réel")
        << true << "01/12/2003|100|rEnT" << StoredRow{"2003-12-01", 1000000, "RENT"}
        << qint64(1000000) << "     01/12/2003_____100,00 €____RENT";
    QTest::newRow("upper-cased by the language")
        << true << "05/12/2003|3|Prél" << StoredRow{"2003-12-05", 30000, "PRÉL"} << qint64(-30000)
        << "     05/12/2003_____3,00 €______PRÉL";
    QTest::newRow("comma ends the amount")
        << true << "05/12/2003|12,50|CB" << StoredRow{"2003-12-05", 120000, "CB"} << qint64(-120000)
        << "     05/12/2003_____12,00 €_____CB";
    QTest::newRow("negative amount")
        << true << "05/12/2003|-5|CB" << StoredRow{"2003-12-05", -50000, "CB"} << qint64(50000)
        << "     05/12/2003_____-5,00 €_____CB";
    QTest::newRow("no completion from the list")
        << true << "05/12/2003|10|RE" << StoredRow{"2003-12-05", 100000, "RE"} << qint64(-100000)
        << "     05/12/2003_____10,00 €_____RE";
    QTest::newRow("blanks around the payment")
        << true << "05/12/2003|10| Rent " << StoredRow{"2003-12-05", 100000, "RENT"}
        << qint64(100000) << "     05/12/2003_____10,00 €_____RENT";
    QTest::newRow("english") << false << "12/1/2003|7.25|Ch" << StoredRow{"2003-12-01", 72500, "CH"}
                             << qint64(-72500) << "     12/1/2003_____7.25 €______CH";
}

void TestCommands::recordedEntries() {
    QFETCH(bool, french);
    QFETCH(QString, line);
    QFETCH(StoredRow, row);
    QFETCH(qint64, reel);
    TestRun run(french ? Locale::french() : Locale::english());
    run.createFiles();
    Window w(run);
    const QStringList f = line.split('|');
    w.enter(f[0], f[1], f[2]);
    QVERIFY(run.dialogs.takeShown().isEmpty());
    QCOMPARE(run.rows(), std::vector<StoredRow>{row});
    QCOMPARE(run.soldes(), std::optional<StoredSoldes>(StoredSoldes{reel, 0}));
    QFETCH(QString, shown);
    QCOMPARE(w.list()->lines(), QStringList{shown});
    QCOMPARE(w.verdict(), "Bon");
    QCOMPARE(w.combo1()->currentText() + '|' + w.text1()->text() + '|' + w.combo2()->currentText(),
             "date||Payement");
}

void TestCommands::failedEntryStoresNothing() {
    TestRun run;
    run.createFiles();
    Window w(run);
    run.failChangesOf("Soldes");
    w.enter("05/12/2003", "12", "CB");
    QCOMPARE(run.dialogs.takeShown(),
             QStringList{msg("BRELUNE", "critical", "OK",
                             "La base de données « " + run.dbPath() +
                                 " » ne peut pas être utilisée : une valeur a été refusée par la "
                                 "base.\r\nRien n'a été enregistré.")});
    QVERIFY(run.rows().empty());
    QCOMPARE(run.soldes(), std::optional<StoredSoldes>(StoredSoldes{0, 0}));
    QCOMPARE(w.text1()->text(), "12"); // kept, to try again
}

void TestCommands::setBalance_data() {
    QTest::addColumn<QString>("item");
    QTest::addColumn<QStringList>("script"); // typed texts, "(cancel)", "(yes)", "(no)"
    QTest::addColumn<QStringList>("dialogs");
    QTest::addColumn<StoredSoldes>("soldes");
    const QString reel = "input|Nouveau SOLDE|entrez le nouveau solde réel|Un Milliard";
    const QString banc = "input|Nouveau SOLDE|entrez le nouveau solde bancaire|Un Milliard";
    const QString faux = msg("Attention", "critical", "OK", "Il y a une erreur dans les comptes");
    QTest::newRow("negative") << "Sréel" << QStringList{"-150.25"} << QStringList{reel, faux}
                              << StoredSoldes{-1502500, 20000};
    QTest::newRow("comma ends") << "Sbanc" << QStringList{"1234,56"} << QStringList{banc, faux}
                                << StoredSoldes{30000, 12340000};
    QTest::newRow("default text, then No")
        << "Sréel" << QStringList{"Un Milliard", "(no)"} << QStringList{reel, kSoldeZero}
        << StoredSoldes{30000, 20000};
    QTest::newRow("cancelled, then No")
        << "Sbanc" << QStringList{"(cancel)", "(no)"} << QStringList{banc, kSoldeZero}
        << StoredSoldes{30000, 20000};
    QTest::newRow("0.00, Yes, then 1")
        << "Sréel" << QStringList{"0.00", "(yes)", "1"} << QStringList{reel, kSoldeZero, reel, faux}
        << StoredSoldes{10000, 20000};
    QTest::newRow("tiny value stored as 0")
        << "Sbanc" << QStringList{"0.00001"} << QStringList{banc, faux} << StoredSoldes{30000, 0};
    QTest::newRow("agreeing again")
        << "Sbanc" << QStringList{"2"} << QStringList{banc} << StoredSoldes{30000, 20000};
    QTest::newRow("too large, then 7")
        << "Sréel" << QStringList{"1e16", "7"}
        << QStringList{reel,
                       msg("Nouveau SOLDE", "exclamation", "OK",
                           "Ce solde est trop grand pour être enregistré !"),
                       reel, faux}
        << StoredSoldes{70000, 20000};
}

void TestCommands::setBalance() {
    QFETCH(QString, item);
    QFETCH(QStringList, script);
    TestRun run;
    run.createFiles();
    run.addRow("2003-12-05", "1", "RENT");
    run.setSoldes("3", "2"); // the book agrees: R - B = 1
    Window w(run);
    QVERIFY(run.dialogs.takeShown().isEmpty());
    w.text1()->setText("99"); // half-typed, lost by the rebuild
    for (const QString& step : script) {
        if (step == "(cancel)")
            run.dialogs.cancelInput();
        else if (step == "(yes)" || step == "(no)")
            run.dialogs.answer(step == "(yes)" ? Answer::Yes : Answer::No);
        else
            run.dialogs.type(step);
    }
    w.menu(item.toUtf8().constData());
    QTEST(run.dialogs.takeShown(), "dialogs");
    QVERIFY(run.dialogs.scriptDone());
    QTEST(*run.soldes(), "soldes");
    QCOMPARE(w.text1()->text(), script.endsWith("(no)") ? "99" : "");
    QCOMPARE(run.rows().size(), std::size_t(1));
}

void TestCommands::setBalanceCreatesMissingRow() {
    TestRun run;
    run.createFiles();
    run.clearSoldes();
    Window w(run);
    run.dialogs.type("15");
    w.menu("Sbanc");
    QCOMPARE(run.soldes(), std::optional<StoredSoldes>(StoredSoldes{{}, 150000}));
    QCOMPARE(child<QLabel>(&w.frame, "Label1_1")->text(), "");
    QCOMPARE(child<QLabel>(&w.frame, "Label1_3")->text(), "15,00€");
}

void TestCommands::searchAndDelete_data() {
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QStringList>("lines");
    QTest::addColumn<int>("clicked");
    QTest::addColumn<QString>("confirmation");
    QTest::addColumn<QList<int>>("left"); // indexes of the stored rows left
    QTest::addColumn<qint64>("reel");     // from 100
    QTest::newRow("second of three equal")
        << "12.5" << QStringList(3, "05/12/2003 ---> 12,5    ---> CB") << 1 << "12,5"
        << QList<int>{0, 2, 3, 4, 5} << qint64(1125000);
    QTest::newRow("comma searches the whole part")
        << "40,75" << QStringList{"01/12/2003 ---> 40      ---> RENT"} << 0 << "40"
        << QList<int>{0, 1, 2, 4, 5} << qint64(600000);
    QTest::newRow("negative") << "-7.25" << QStringList{"04/12/2003 ---> -7,25   ---> CB"} << 0
                              << "-7,25" << QList<int>{0, 1, 2, 3, 5} << qint64(927500);
    QTest::newRow("zero amount") << "1e-9" << QStringList{} << -1 << ""
                                 << QList<int>{0, 1, 2, 3, 4, 5} << qint64(1000000);
}

void TestCommands::searchAndDelete() {
    QFETCH(QString, typed);
    QFETCH(QStringList, lines);
    QFETCH(int, clicked);
    QFETCH(QString, confirmation);
    QFETCH(QList<int>, left);
    TestRun run;
    run.createFiles();
    const std::vector<qint64> ids{
        run.addRow("2003-12-05", "12.5", "CB"),  run.addRow("2003-12-05", "12.5", "CB"),
        run.addRow("2003-12-05", "12.5", "CB"),  run.addRow("2003-12-01", "40", "RENT"),
        run.addRow("2003-12-04", "-7.25", "CB"), run.addRow("2003-12-02", "0", "CB")};
    run.setSoldes("100", "0");
    Window w(run);
    run.dialogs.takeShown();
    run.dialogs.type(typed);
    w.menu("Suppress");
    if (lines.isEmpty()) { // "1e-9" is not 0: it is searched, and nothing has it
        QCOMPARE(run.dialogs.takeShown(), (QStringList{kSearchInput, kNotFound, kFaux}));
        return;
    }
    QCOMPARE(w.list()->lines(), lines);
    run.dialogs.answer(Answer::Yes);
    w.select({0, clicked}); // dragged from the first line: one question, for the last
    QCOMPARE(run.dialogs.takeShown(),
             (QStringList{kSearchInput, confirmDelete(confirmation), kFaux}));
    std::vector<qint64> expected;
    for (int i : left)
        expected.push_back(ids[std::size_t(i)]);
    QCOMPARE(run.rowIds(), expected); // the very row clicked, among equal ones
    QTEST(*run.soldes()->reel, "reel");
    QCOMPARE(run.soldes()->bancaire, qint64(0));
    // The window is loaded again: the whole register, out of delete mode.
    QCOMPARE(w.list()->count(), int(expected.size()));
    QVERIFY(w.list()->lines().first().startsWith("     "));
    w.select(0);
    QCOMPARE(run.rowIds(), expected);
}

void TestCommands::unreadableDuringSearch() {
    TestRun run;
    run.createFiles();
    run.addRow("2003-12-05", "12", "RENT");
    run.setSoldes("12", "0");
    Window w(run);
    const QStringList registerLines = w.list()->lines();
    QVERIFY(QFile::rename(run.dbPath(), run.dbPath() + ".moved"));
    run.dialogs.type("12");
    w.menu("Suppress");
    QCOMPARE(run.dialogs.takeShown(),
             (QStringList{kSearchInput, msg("BRELUNE", "critical", "OK",
                                            "La base de données « " + run.dbPath() +
                                                " » ne peut pas être utilisée : le fichier est "
                                                "introuvable ou ne peut pas être ouvert.")}));
    QCOMPARE(w.list()->lines(), registerLines); // never "n'existe pas" on an unread book
    QVERIFY(!QFile::exists(run.dbPath()));
}

void TestCommands::answeringNoOrNothing() {
    TestRun run;
    run.createFiles();
    run.addRow("2003-12-05", "40", "CB");
    run.addRow("2003-12-05", "40", "CB");
    run.setSoldes("-80", "0");
    Window w(run);
    const QStringList registerLines = w.list()->lines();

    // The default text: asked again, then given up.
    run.dialogs.type("montant").answer(Answer::Yes).type("").answer(Answer::No);
    w.menu("Suppress");
    QCOMPARE(run.dialogs.takeShown(),
             (QStringList{kSearchInput, kSearchZero, kSearchInput, kSearchZero}));
    QCOMPARE(w.list()->lines(), registerLines);

    // No to the confirmation: nothing deleted, the register again, and a
    // later click deletes nothing.
    run.dialogs.type("40").answer(Answer::No);
    w.menu("Suppress");
    QCOMPARE(w.list()->lines(), QStringList(2, "05/12/2003 ---> 40      ---> CB"));
    w.select(1);
    QCOMPARE(run.dialogs.takeShown(), (QStringList{kSearchInput, confirmDelete("40")}));
    QCOMPARE(w.list()->lines(), registerLines);
    w.select(1);
    QVERIFY(run.dialogs.takeShown().isEmpty());

    // A search that finds nothing empties the list before it says so, and
    // ends delete mode.
    run.dialogs.type("40").type("41");
    w.menu("Suppress");
    QStringList behindMessage{"(none)"};
    run.dialogs.onMessage = [&] { behindMessage = w.list()->lines(); };
    w.menu("Suppress");
    run.dialogs.onMessage = nullptr;
    QCOMPARE(run.dialogs.takeShown(), (QStringList{kSearchInput, kSearchInput, kNotFound}));
    QCOMPARE(behindMessage, QStringList{});
    QCOMPARE(w.list()->lines(), registerLines);
    w.select(0);
    QVERIFY(run.dialogs.takeShown().isEmpty());

    // An entry refreshes the register and ends delete mode too.
    run.dialogs.type("40");
    w.menu("Suppress");
    w.enter("05/12/2003", "5", "CB");
    run.dialogs.takeShown();
    w.select(0);
    QVERIFY(run.dialogs.takeShown().isEmpty());
    QCOMPARE(run.rows().size(), std::size_t(3));
    QCOMPARE(w.verdict(), "Bon");
}

void TestCommands::entryThenDeletionLeavesReel() {
    TestRun run;
    run.createFiles();
    run.setSoldes("250.1", "3");
    run.addRow("2003-12-01", "247.1", "RENT");
    Window w(run);
    for (const char* payment : {"Rent", "CB"}) {
        w.enter("05/12/2003", "33.33", payment);
        run.dialogs.type("33.33").answer(Answer::Yes);
        w.menu("Suppress");
        w.select(0);
        QCOMPARE(run.soldes(), std::optional<StoredSoldes>(StoredSoldes{2501000, 30000}));
        QCOMPARE(w.verdict(), "Bon");
    }
    QCOMPARE(run.rows().size(), std::size_t(1));
}

int runCommandTests(int argc, char* argv[]) {
    TestCommands tests;
    return QTest::qExec(&tests, argc, argv);
}

#include "test_commands.moc"
