// The printed reports, their printing for real as a PDF where there is no printer, and the help.
#include "app/frmcompte.h"
#include "reports/report_text.h"
#include "support.h"

#include <QPrinterInfo>
using namespace brelune;
using namespace brelune::test;

const QString kCredit = "6|            BRELUNE, décembre 02";

class TestReports : public QObject {
    Q_OBJECT
private slots:
    // Each row: operations "day amount payment", Soldes, then the report's lines after its
    // column names ('/' for a line break).
    void accountReport_data() {
        QTest::addColumn<QString>("r");
        row<QString>("nothing", "|none|Il n'y a pas d'enregistrement en cours~~~     les soldes "
                                "n'ont pas été entrés~");
        row<QString>("12.5 CB", "5 12.5 CB|-12.5 0|     05/12/2003 ---> 12,50€    ---> CB~~~     "
                                "Différence recettes/dépenses : -12,50€~~     Solde réel : "
                                "-12,50€~     Solde bancaire : 0,00€~~     Différence des soldes "
                                ": 12,50€~");
        row<QString>(
            "by date, 9 characters, RENT",
            "5 30 CB,1 12345.67 RENT,3 -1234567.5 Ch|500 480|     01/12/2003 ---> "
            "12345,67€ ---> RENT~     03/12/2003 ---> -1234567,50€ ---> Ch~     05/12/2003 "
            "---> 30,00€    ---> CB~~~     Différence recettes/dépenses : 1246883,17€~~     "
            "Solde réel : 500,00€~     Solde bancaire : 480,00€~~     Différence des "
            "soldes : -20,00€~");
        row<QString>("en empty Réel",
                     "5 100 RENT,4 30 CB|NULL 7|     12/4/2003 ---> 30.00€    "
                     "---> CB~     12/5/2003 ---> 100.00€   ---> RENT~~~     "
                     "Différence recettes/dépenses : 70.00€~~     Solde réel : "
                     "~     Solde bancaire : 7.00€~~     Différence des soldes : ~");
    }
    void accountReport() {
        QFETCH(QString, r);
        TestRun run;
        run.createBook(r.section('|', 0, 0).split(',', Qt::SkipEmptyParts), r.section('|', 1, 1));
        Frmcompte window(run.ctx);
        QVERIFY(window.Form_Load());
        child<QAction>(&window, "inprim")->trigger();
        const QString date = run.ctx.locale.formatDate(QDate(2003, 12, 5));
        const QStringList job{"courier New",
                              "10|\r\n\r\n\r\n     Données fournies par BRELUNE le " + date +
                                  "\r\n\r\n        Date     Montant      Payement\r\n" +
                                  r.section('|', 2).replace('~', "\r\n") + "\r\n",
                              kCredit};
        QCOMPARE(run.printer.jobs, QList<QStringList>{job});
        child<QAction>(&window, "helpp")->trigger(); // the help beside the program
        QCOMPARE(run.help.shown, QStringList{run.dir.path() + "/brelune.hlp"});
        // An unreadable book prints nothing.
        QVERIFY(QFile::remove(run.dbPath()));
        child<QAction>(&window, "inprim")->trigger();
        QCOMPARE(run.printer.jobs.size(), 1);
        QCOMPARE(run.shown().last(), dbProblem(kGone));
    }

    // With no printer, the user is offered a PDF; the PDF holds every line, on as many pages
    // as it takes.
    void pdfWithoutPrinter() {
        if (!QPrinterInfo::defaultPrinter().isNull())
            QSKIP("a printer is installed here: nothing is printed by the tests");
        TestRun run;
        QtReportPrinter printer(run.dialogs, run.clock);
        QStringList lines;
        for (int i = 1; i <= 160; ++i)
            lines << QString("     ligne %1 ").arg(i) + QString(i == 3 ? 150 : 0, 'x');
        const std::vector<PrintBlock> report{{lines.join("\r\n") + "\r\n", 10}, {"     fin", 6}};
        const QString pdf = run.dir.filePath("rapport.pdf");
        run.dialogs.script({"cancel", pdf, run.dir.filePath("no/such/folder.pdf")});
        for (int i = 0; i < 3; ++i)
            printer.print("courier New", report);
        const QString offer = msg("Impression", "exclamation", "OK",
                                  "Aucune imprimante n'est installée sur cet ordinateur.\r\nVous "
                                  "pouvez enregistrer le document au format PDF.");
        const QString save = "save|Enregistrer le document en PDF|Document PDF|*.pdf|DOCS/BRELUNE "
                             "2003-12-05.pdf"; // DOCS: the user's documents folder, or home
        QCOMPARE(run.dialogs.takeShown().replaceInStrings(QRegularExpression("\\|/.*/"), "|DOCS/"),
                 QStringList({offer, save, offer, save, offer, save,
                              msg("Impression", "critical", "OK",
                                  "Le fichier « " + run.dir.filePath("no/such/folder.pdf") +
                                      " » n'a pas pu être écrit : le dossier est introuvable ou "
                                      "protégé.")}));
        QProcess text;
        text.start("pdftotext", {"-layout", pdf, "-"});
        QVERIFY2(text.waitForFinished(), "pdftotext is needed");
        const QString out = QString::fromUtf8(text.readAllStandardOutput());
        QCOMPARE(out.count(QChar(12)), 3); // three pages
        QVERIFY(out.contains("ligne 1\n") && out.contains("ligne 160\n") && out.contains("fin"));
        QCOMPARE(out.count('x'), 150); // a line too long for the page, carried over whole
    }

    void helpWindow() {
        QTemporaryDir dir;
        const QString path = dir.filePath("brelune.hlp");
        QtHelpViewer help;
        help.showHelp(path); // missing: nothing, silently
        writeFile(path, "<h1>Aide de BRELUNE</h1>");
        help.showHelp(path);
        help.showHelp(path); // the same window again
        QStringList shown;
        for (const QTextBrowser* b : windows<QTextBrowser>())
            shown << b->toPlainText();
        QCOMPARE(shown, QStringList{"Aide de BRELUNE"});
    }
};

QTEST_MAIN(TestReports)
#include "test_reports.moc"
