// The reconciliation window: searching, marking, failing, and opened from the main window.
#include "app/frmcompte.h"
#include "reconcile/pointage.h"
#include "register/line_list.h"
#include "support.h"
using namespace brelune;
using namespace brelune::test;

const QString kRefused = msg("BRELUNE", "exclamation", "OK", "Le montant en chiffre SVP");
const QString kNotFound = msg("BRELUNE", "none", "OK", "La recherche n'existe pas !");
const QString kAsk = "Voulez vous pointer cet enregistrement ?\r\nMontant : ";

// On Soldes 1520.35, -12, a search for 12; then, behind the window's back, new Soldes and the base
// "gone" or "junk" (not a database); then `typed` looked for, by the button or with `keys`.
struct Search {
    QString typed;
    QStringList lines = {}, dialogs = {};
    QString keys = {}, caption = "Réel : 1520,35€ - Bancaire : -12,00€"; // Label2 at the end
    QString soldes = "NULL -20", db = {};
};

// After a search for the first row's amount, a line picked (-1: the first, by the Down key).
struct Marking {
    QStringList rows = QStringList(3, "1 20 CB");
    QString before = "-60 0", asked = "20 : CB"; // Soldes; the question after "Montant : "
    int line = 1;
    QString after, twist = {}; // rowids | Soldes; "No" answered, "type X K": X typed, then key K,
                               // "fail T": table T refuses every row written, "gone": row 2 deleted
};

class TestReconcile : public QObject {
    Q_OBJECT
    static LineList* list(const QWidget* w) { return child<LineList>(w, "List1"); }
    static QLineEdit* box(const Pointage* w) { return child<QLineEdit>(w, "Text1"); }
    static QString balances(const Pointage* w) { return child<QLabel>(w, "Label2")->text(); }
    static void lookFor(Pointage* w, const QString& text, const QString& keys = "") {
        box(w)->setText(text);
        if (keys.isEmpty())
            return QTest::mouseClick(child<QPushButton>(w, "Command1"), Qt::LeftButton);
        QTest::keySequence(box(w), QKeySequence::fromString(keys, QKeySequence::PortableText));
    }
    static Pointage* open(TestRun& run) {
        auto* w = new Pointage(run.ctx);
        w->Form_Load();
        return w;
    }

private slots:
    void cleanup() { qDeleteAll(windows<Pointage>()); } // even after a failed check
    void search_data() {
        QTest::addColumn<Search>("s");
        const QStringList twelve{"01/12/2003_____12,00 €_____CB"};
        const QStringList both{"01/12/2003_____12,50 €_____CB", "01/12/2003_____12,50 €_____RENT"};
        const QStringList en{"12/1/2003_____12.50 €_____CB", "12/1/2003_____12.50 €_____RENT"};
        const QString read = "Réel :  - Bancaire : -20,00€"; // the new Soldes, read again
        row<Search>("12.50", {"12.50", both});
        row<Search>("decimal comma", {"12,50", both});
        row<Search>("-12.5", {"-12.5", {"01/12/2003_____-12,50 €____CB"}});
        row<Search>("1000000", {"1000000", {"01/12/2003_____1000000,00 €CB"}});
        row<Search>("en", {"12.5", en, {}, {}, "Réel : 1520.35€ - Bancaire : -12.00€"});
        for (QString row : {"99", "12.34561 Return", "1e30 Shift+Return", "99 Enter"})
            QTest::newRow(qPrintable(row))
                << Search{row.section(' ', 0, 0), {}, {kNotFound}, row.section(' ', 1), read};
        row<Search>("no Soldes row", {"99", {}, {kNotFound}, {}, "Pas d'enregistrement", "none"});
        row<Search>("Tab", {"99", twelve, {}, "Tab"});
        for (const char* refused : {"0", "-0.00", "a word", ""})
            QTest::addRow("refused \"%s\"", refused) << Search{refused, twelve, {kRefused}};
        for (auto [db, reason] : {std::pair("gone", kGone), {"junk", kJunk}})
            QTest::newRow(db) << Search{
                .typed = "12", .dialogs = QStringList(2, dbProblem(reason)), .db = db};
    }
    void search() {
        QFETCH(Search, s);
        TestRun run;
        run.createBook(
            {"1 12.5 CB", "1 12 CB", "1 -12.5 CB", "1 12.5 RENT", "1 1000000 CB", "1 12.3456 TIP"},
            "1520.35 -12");
        Pointage* w = open(run);
        lookFor(w, "12");
        run.setSoldes(s.soldes);
        QVERIFY(s.db.isEmpty() || QFile::remove(run.dbPath()));
        QVERIFY(s.db != "junk" || QFile::copy(run.iniPath(), run.dbPath())); // a text file
        lookFor(w, s.typed, s.keys);
        QCOMPARE(list(w)->lines(), s.lines);
        QCOMPARE(box(w)->text(), s.dialogs.contains(kRefused) ? QString() : s.typed);
        QCOMPARE(balances(w), s.caption); // read again only when nothing is found
        QCOMPARE(QFile::exists(run.dbPath()), s.db != "gone"); // nothing created
        if (s.dialogs.contains(kNotFound) || !s.db.isEmpty())  // what a window opened now shows
            QCOMPARE(balances(open(run)), s.db.isEmpty() ? s.caption : "Soldes illisibles");
        QCOMPARE(run.shown(), s.dialogs);
    }

    void marking_data() {
        QTest::addColumn<Marking>("m");
        row<Marking>("the second of three alike", {.after = "1 3 | -60 -20"});
        row<Marking>("by the keyboard", {.line = -1, .after = "2 3 | -60 -20"});
        row<Marking>("RENT raises", {{"1 10 RENT"}, "10 0", "10 : RENT", 0, " | 10 10"});
        row<Marking>("CB lowers", {{"1 12.5 CB"}, "0 0", "12,5 : CB", 0, " | 0 -12.5"});
        row<Marking>("Rent lowers", {{"1 10 Rent"}, "0 0", "10 : Rent", 0, " | 0 -10"});
        row<Marking>("no Soldes row", {{"1 20 CB"}, "none", "20 : CB", 0, " | NULL -20"});
        row<Marking>("No writes nothing", {.after = "1 2 3 | -60 0", .twist = "No"});
        row<Marking>("typed later", {.after = "1 3 | -60 -20", .twist = "type 45 Tab"});
        row<Marking>("refused", {.after = "1 3 | -60 -20", .twist = "type 0 Return"});
        // The row goes first: the balance refused, it must come back.
        row<Marking>("fail Soldes", {.after = "1 2 3 | -60 0", .twist = "fail Soldes"});
        row<Marking>("row gone", {.after = "1 3 | -60 0", .twist = "gone"});
    }
    void marking() { // stored whole or not at all
        QFETCH(Marking, m);
        TestRun run;
        run.createBook(m.rows, m.before);
        Pointage* w = open(run);
        lookFor(w, m.rows[0].section(' ', 1, 1));
        if (m.twist.startsWith("type"))
            lookFor(w, m.twist.section(' ', 1, 1), m.twist.section(' ', 2));
        if (m.twist.startsWith("fail"))
            run.failChangesOf(m.twist.section(' ', 1));
        if (m.twist == "gone")
            run.exec("DELETE FROM En_cour WHERE rowid = 2");
        run.dialogs.script({m.twist == "No" ? "no" : "yes"});
        pick(w, {m.line});
        QStringList dialogs{msg("Opération de pointage", "question", "YesNo", kAsk + m.asked)};
        if (m.twist.endsWith("Return"))
            dialogs.prepend(kRefused);
        if (m.twist.startsWith("fail"))
            dialogs << dbProblem(kRefusedValue, true);
        if (m.twist == "gone")
            dialogs << msg("BRELUNE", "critical", "OK",
                           "La base de données « $DIR/PTcomptes.mdb » n'a pas été modifiée : "
                           "cette opération n'est plus dans la base.");
        QCOMPARE(run.shown(), dialogs);
        QCOMPARE(run.ids() + " | " + run.soldes(), m.after);
        QVERIFY(list(w)->lines().isEmpty());
        QCOMPARE(box(w)->text(), "");
        QCOMPARE(w->focusWidget(), box(w));
        QCOMPARE(balances(w), balances(open(run))); // as a window opened now shows them
    }

    void visit() {          // from the main window, which gives way to the reconciliation one
        QList<bool> beside; // at each change of the main window, a reconciliation window shown
        Book run({"1 45.5 CB", "1 20 CB", "1 100 RENT"}, "34.5 0");
        Frmcompte& window = run.frame;
        connect(window.windowHandle(), &QWindow::visibleChanged, this,
                [&](bool shown) { beside << (shown && !windows<Pointage>().isEmpty()); });
        run.dialogs.script({"yes", "yes", "yes"});
        const QString left = "     01/12/2003_____20,00 €_____CB"; // in the register
        const QString none = "     Pas d'enregistrement !";
        // Left by a click on "Sortir du Pointage", the close box, Escape, or Enter on the button.
        for (auto [marked, leave, listed] : {std::tuple("45.50 100", "click", left),
                                             {"20", "close box", none},
                                             {"", "Escape", none},
                                             {"", "Enter", none}}) {
            child<QAction>(&window, "poin")->trigger();
            Pointage* w = windows<Pointage>().value(0);
            QVERIFY(w && !window.isVisible());
            QVERIFY(!(w->windowFlags() & Qt::WindowMinMaxButtonsHint));
            // Light yellow, with light cyan boxes.
            QCOMPARE(QList({w->palette().color(QPalette::Window),
                            box(w)->palette().color(QPalette::Base),
                            list(w)->palette().color(QPalette::Base)}),
                     QList({QColor(255, 255, 192), QColor(192, 255, 255), QColor(192, 255, 255)}));
            QCOMPARE(w->focusWidget(), box(w));
            QTest::keyClicks(box(w), "1a,-% $");
            QCOMPARE(box(w)->text(), "1a,-% $");
            for (const QString& amount : QString(marked).split(' ', Qt::SkipEmptyParts)) {
                lookFor(w, amount);
                pick(w, {0});
            }
            auto* sortir = child<QPushButton>(w, "Command2");
            if (leave == QString("click"))
                QTest::mouseClick(sortir, Qt::LeftButton);
            else if (leave == QString("close box"))
                QVERIFY(w->close());
            else if (leave == QString("Escape"))
                QTest::keyClick(box(w), Qt::Key_Escape);
            else {
                sortir->setFocus();
                QTest::keyClick(sortir, Qt::Key_Enter, Qt::KeypadModifier);
            }
            QVERIFY(!w->isVisible());
            QCOMPARE(list(&window)->lines(), QStringList{listed}); // the register loaded again
        }
        QCOMPARE(beside, QList<bool>(8, false)); // hidden, then shown alone, each time
        QCOMPARE(child<QLabel>(&window, "Label1_4")->text(), "Bon");
    }
};

QTEST_MAIN(TestReconcile)
#include "test_reconcile.moc"
