// Bank statements against the book: the matching, the window Releve, applying a selection.
#include "statements/matching.h"
#include "statements/releve.h"
#include "support.h"
using namespace brelune;
using namespace brelune::test;

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

} // namespace

class TestStatements : public QObject {
    Q_OBJECT
private slots:
    void cleanup() { qDeleteAll(windows<Releve>()); }

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

QTEST_MAIN(TestStatements)
#include "test_statements.moc"
