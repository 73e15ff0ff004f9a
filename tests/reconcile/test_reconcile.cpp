// Reconciliation: the window Pointage (searching, marking, failing, opened from the main window);
// bank statements, each kind of file read whole and the amounts and dates the readers share (the
// files refused are rows of the damaged-file test), their lines matched against the book, the
// window Releve, applying a selection.
#include "app/frmcompte.h"
#include "reconcile/pointage.h"
#include "register/line_list.h"
#include "statements/matching.h"
#include "statements/releve.h"
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

namespace {

QDate day(int d) { // days of December 2003; 0 is 30 November
    return QDate(2003, 11, 30).addDays(d);
}

// "day amount label" lines, comma-separated.
std::vector<StatementLine> lines(const QString& text) {
    std::vector<StatementLine> out;
    for (const QString& l : text.split(", ", Qt::SkipEmptyParts))
        out.push_back(
            {day(l.section(' ', 0, 0).toInt()), eur(l.section(' ', 1, 1)), l.section(' ', 2), {}});
    return out;
}

// The window's rows: "checked|date|label|amount|book|payment", a greyed row "(greyed)".
QStringList tableRows(const QTableWidget* table) {
    QStringList out;
    for (int r = 0; r < table->rowCount(); ++r) {
        QStringList cells{table->item(r, 0)->checkState() == Qt::Checked ? "x" : ""};
        for (int c = 1; c < table->columnCount(); ++c)
            cells << table->item(r, c)->text();
        out << cells.join('|') +
                   (table->item(r, 1)->flags() & Qt::ItemIsEnabled ? "" : " (greyed)");
    }
    return out;
}

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
    void cleanup() { // even after a failed check
        qDeleteAll(windows<Pointage>());
        qDeleteAll(windows<Releve>());
    }
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

    void matching_data() {
        QTest::addColumn<QString>("statement"); // "day amount", comma-separated
        QTest::addColumn<QString>("book");      // "day amount payment", stored in reverse order
        QTest::addColumn<QString>("skip");      // lines applied already
        QTest::addColumn<QString>("expected");  // the operation each line settles, or -
        auto row = [](const char* tag, const char* s, const char* b, const char* skip,
                      const char* e) { QTest::newRow(tag) << s << b << skip << e; };
        row("same day, signs", "5 -12.5, 5 12.5, 6 100", "5 12.5 CB, 6 100 CB, 6 100 RENT", "",
            "0 - 2");
        row("window edges", "61 -1, 61 -2, 1 -3, 1 -4", "1 1 CB, 0 2 CB, 8 3 CB, 9 4 CB", "",
            "0 - 2 -");
        row("closest first", "10 -5, 12 -5", "12 5 CB", "", "- 0");
        row("same distance: earlier line", "10 -5, 12 -5", "11 5 CB", "", "0 -");
        row("same distance: stored first", "10 -5", "9 5 CB, 11 5 CB", "", "1");
        row("each once", "5 -1, 5 -1, 5 -1", "5 1 CB, 5 1 CB", "", "1 0 -");
        row("applied lines skipped", "5 -1, 5 -1", "5 1 CB", "0", "- 0");
        row("no date, no match", "5 -1", "x 1 CB", "", "-");
    }
    void matching() {
        QFETCH(QString, statement);
        QFETCH(QString, book);
        QFETCH(QString, skip);
        QFETCH(QString, expected);
        OperationTable ops;
        const QStringList given = book.split(", ");
        for (int i = 0; i < given.size(); ++i) {
            const QString d = given[i].section(' ', 0, 0);
            ops.append({qint64(given.size() - i), d == "x" ? QDate() : day(d.toInt()),
                        d == "x" ? d : QString(), eur(given[i].section(' ', 1, 1)),
                        given[i].section(' ', 2)});
        }
        const auto l = lines(statement);
        std::vector<bool> applied(l.size());
        for (const QString& s : skip.split(' ', Qt::SkipEmptyParts))
            applied[s.toUInt()] = true;
        QStringList got;
        for (const auto& m : matchStatement(l, applied, ops))
            got << (m ? QString::number(*m) : "-");
        QCOMPARE(got.join(' '), expected);
    }

    // Utilitaire > Relevé bancaire...: the file asked for, read, then shown in the main window's
    // place until the window is left.
    void choosing_data() {
        QTest::addColumn<QByteArray>("file"); // none: the dialog is cancelled
        QTest::addColumn<QStringList>("told");
        QTest::newRow("cancelled") << QByteArray() << QStringList();
        QTest::newRow("unreadable")
            << QByteArray("Date;Montant\n01/12/2003;12\n")
            << QStringList{msg("Relevé bancaire", "critical", "OK",
                               "Le relevé « releve.csv » ne peut pas être lu : aucune ligne "
                               "d'en-tête ne nomme les colonnes Date, Libellé et Montant (ou "
                               "Débit et Crédit).")};
        QTest::newRow("read") << QByteArray("Date;Libellé;Montant\n01/12/2003;FRAIS;-1,5\n")
                              << QStringList{"|01/12/2003|FRAIS|-1,50 €|à saisir|FRAIS"};
    }
    void choosing() {
        QFETCH(QByteArray, file);
        QFETCH(QStringList, told);
        Book b;
        const QByteArray home = qgetenv("HOME");
        qputenv("HOME", QFile::encodeName(b.dir.path())); // no download folder there
        const QString path = b.dir.filePath("releve.csv");
        if (!file.isEmpty())
            writeFile(path, file);
        b.dialogs.script({file.isEmpty() ? "cancel" : path});
        b.menu("releve");
        qputenv("HOME", home);
        QStringList seen{"open|Choisir un relevé bancaire|Relevés bancaires (*.ofx *.qfx *.qif "
                         "*.csv *.txt);;Tous les fichiers (*)||$DIR"};
        const QPointer<Releve> w = windows<Releve>().value(0);
        const bool opened = w;
        QCOMPARE(b.frame.isVisible(), !opened);
        if (opened) { // its texts are in the application's table of windows
            seen << tableRows(child<QTableWidget>(w, "Table1"));
            QTest::keyClick(w, Qt::Key_Escape); // leaves, as the close box does, and lets go of it
            QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
            QVERIFY(b.frame.isVisible() && !w);
        }
        QCOMPARE(b.shown(), QStringList{seen[0]} + (opened ? QStringList() : told));
        QCOMPARE(seen.mid(1), opened ? told : QStringList());
    }

    // A statement applied, or refused whole; then shown again as the book now stands.
    void applying_data() {
        QTest::addColumn<QString>("how");  // the book's refusal, "gone" (a line's operation
                                           // deleted meanwhile), "twice" (a line applied
                                           // meanwhile), "no" (the question declined), or the
                                           // payment of the line entered: "unpaid", "rent"
        QTest::addColumn<QString>("told"); // after the question
        const auto row = [](const char* tag, const char* how, const QString& told) {
            QTest::newRow(tag) << QString(how) << told;
        };
        const QString modified =
            "La base de données « $DIR/PTcomptes.mdb » n'a pas été modifiée : ";
        const QString line = "Ligne du 05/12/2003, « PRLV SEPA EDF » : ";
        row("applied", "",
            msg("Solde du relevé", "information", "OK",
                "Le solde bancaire est celui du relevé du 05/12/2003 : 130,20 €."));
        row("applied, balance differs", "differs",
            msg("Solde du relevé", "exclamation", "OK",
                "Le solde bancaire (130,20 €) n'est pas celui du relevé du 05/12/2003 (100,00 "
                "€) : écart de 30,20 €."));
        row("declined", "no", "");
        row("busy", "busy", dbProblem("la base est occupée par un autre programme", true));
        row("gone", "gone",
            msg("BRELUNE", "critical", "OK",
                modified + "cette opération n'est plus dans la base."));
        row("twice", "twice",
            msg("BRELUNE", "critical", "OK",
                modified + "une ligne de ce relevé a déjà été pointée."));
        row("no payment", "unpaid",
            msg("Et le payement !", "critical", "OK",
                line + "vous n'avez pas rentré de payement !"));
        row("RENT going out", "rent",
            msg("Et le payement !", "critical", "OK",
                line + "le payement RENT est celui des rentrées d'argent !"));
    }
    void applying() {
        QFETCH(QString, how);
        QFETCH(QString, told);
        Book b({"1 12.5 CB", "3 40 Ch", "4 100 RENT"}, "97.5 50");
        Statement s{"",
                    lines("2 -12.5 CB CARREFOUR 01/12, 4 100 VIR SALAIRE, 5 -7.3 PRLV SEPA "
                          "EDF, 5 -7.3 PRLV SEPA EDF"),
                    eur(how == "differs" ? "100" : "130.2"), day(5)};
        auto* w = new Releve(b.ctx, "/tmp/novembre.csv", s);
        w->Form_Load();
        auto* table = child<QTableWidget>(w, "Table1");
        const QStringList fresh{
            "x|02/12/2003|CB CARREFOUR 01/12|-12,50 €|01/12/2003_____12,50 "
            "€_____CB|",
            "x|04/12/2003|VIR SALAIRE|100,00 €|04/12/2003_____100,00 €____RENT|",
            "|05/12/2003|PRLV SEPA EDF|-7,30 €|à saisir|PRLV",
            "|05/12/2003|PRLV SEPA EDF|-7,30 €|à saisir|PRLV"};
        QCOMPARE(tableRows(table), fresh);
        QCOMPARE(child<QLabel>(w, "Label1")->text(),
                 "Relevé « novembre.csv » du 02/12/2003 au 05/12/2003 ; solde au 05/12/2003 : " +
                     QString(how == "differs" ? "100,00 €" : "130,20 €"));
        // A payment kept as the main window keeps it; the line checked by the keyboard.
        const bool unpaid = how == "unpaid" || how == "rent";
        table->item(2, 5)->setText(how == "unpaid" ? " "
                                   : how == "rent" ? "rent"
                                                   : " prélèvement ");
        table->setCurrentCell(2, 2);
        QTest::keyClick(table, Qt::Key_Space);
        QCOMPARE(table->item(2, 5)->text() + child<QLabel>(w, "Label2")->text(),
                 QString(how == "unpaid" ? ""
                         : how == "rent" ? "RENT"
                                         : "PRÉLÈ") +
                     "Lignes cochées : 3. Solde bancaire : 50,00 € ; après pointage : 130,20 €");
        std::optional<Refusing> refusing;
        if (how == "gone")
            b.exec("DELETE FROM En_cour WHERE Payement = 'RENT'");
        else if (how == "busy")
            refusing.emplace(b, how);
        else if (how == "twice")
            b.exec(R"(CREATE TABLE Releve (Identite TEXT PRIMARY KEY, "Date" TEXT, Montant INTEGER,
                      Libelle TEXT, Pointe_le TEXT);
                      INSERT INTO Releve VALUES ('2003-12-05|-73000|PRLV SEPA EDF|0', '2003-12-05',
                                                 -73000, 'PRLV SEPA EDF', '2003-12-04'))");
        if (!unpaid)
            b.dialogs.script({how == "no" ? "no" : "yes"});
        click(w, "Command1");
        refusing.reset();
        QStringList expected{msg("Pointage du relevé", "question", "YesNo",
                                 "Pointer 2 opérations et saisir 1 lignes du relevé ?\r\nLe solde "
                                 "bancaire passera de 50,00 € à 130,20 €.")};
        if (unpaid)
            expected.clear();
        const bool applied = how.isEmpty() || how == "differs";
        if (!told.isEmpty())
            expected << told;
        QCOMPARE(b.shown(), expected);
        QVERIFY(b.dialogs.scriptDone());
        QCOMPARE(b.rows() + " / " + b.soldes(),
                 applied ? "2003-12-03 40 Ch / 90.2 130.2"
                 : how == "gone"
                     ? "2003-12-01 12.5 CB|2003-12-03 40 Ch / 97.5 50"
                     : "2003-12-01 12.5 CB|2003-12-03 40 Ch|2003-12-04 100 RENT / 97.5 50");
        QCOMPARE(b.select(applied ? "SELECT Identite, Montant, Pointe_le FROM Releve"
                                  : "SELECT name FROM sqlite_master WHERE name = 'Releve'")
                     .join('|'),
                 applied          ? "2003-12-02|-125000|CB CARREFOUR 01/12|0 -12.5 2003-12-05|"
                                    "2003-12-04|1000000|VIR SALAIRE|0 100 2003-12-05|"
                                    "2003-12-05|-73000|PRLV SEPA EDF|0 -7.3 2003-12-05"
                 : how == "twice" ? "Releve"
                                  : "");
        // Shown again, and imported again: the lines applied are greyed, nothing new is proposed.
        QStringList now = fresh;
        for (int i = 0; i < 3 && applied; ++i)
            now[i] = "|" + now[i].section('|', 1, 3) + "|déjà pointée le 05/12/2003| (greyed)";
        if (how == "gone")
            now[1] = "|04/12/2003|VIR SALAIRE|100,00 €|à saisir|RENT";
        if (how == "twice")
            now[2] = "|05/12/2003|PRLV SEPA EDF|-7,30 €|déjà pointée le 04/12/2003| (greyed)";
        Releve again(b.ctx, "/tmp/novembre.csv", s);
        again.Form_Load();
        const auto* table2 = child<QTableWidget>(&again, "Table1");
        QCOMPARE(tableRows(table2), now);
        // The keyboard starts on the first row left to apply.
        QCOMPARE(table2->currentRow(), now.indexOf(QRegularExpression("(?!.*greyed).*")));
        if (how != "no" && !unpaid) // else as the user left it
            QCOMPARE(tableRows(table), now);
    }
};

QTEST_MAIN(TestReconcile)
#include "test_reconcile.moc"
