// The printed reports, their printing for real as a PDF where there is no printer, and the help.
#include "app/frmcompte.h"
#include "platform/profile_file.h"
#include "platform/safe_file.h"
#include "reports/report_text.h"
#include "support.h"

#include <QPrinter>
#include <QPrinterInfo>
#include <sys/stat.h>
using namespace brelune;
using namespace brelune::test;

const QString kCredit = "6|            BRELUNE, décembre 02";

// A page's lines that hold text, blanks squeezed, one a line.
QString squeezed(const QStringList& lines) {
    QString out;
    for (const QString& line : lines)
        out += line.simplified().isEmpty() ? "" : line.simplified() + '\n';
    return out;
}

// Each page's text as the text engine lays the blocks out in one document on the printer's page:
// the layout that the report printer keeps without making such a document.
QStringList documentPages(const std::vector<PrintBlock>& blocks) {
    QPrinter printer(QPrinter::HighResolution);
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setPageMargins(QMarginsF(15, 36, 36, 36), QPageLayout::Point);
    QTextDocument doc;
    doc.documentLayout()->setPaintDevice(&printer);
    doc.setDocumentMargin(0);
    QTextCursor cursor(&doc);
    bool first = true;
    for (const PrintBlock& b : blocks) {
        QTextCharFormat format;
        format.setFont(QFont("courier New", b.pointSize));
        format.setFontStyleHint(QFont::TypeWriter);
        for (const QString& line : b.text.chopped(b.text.endsWith("\r\n") ? 2 : 0).split("\r\n")) {
            if (!std::exchange(first, false))
                cursor.insertBlock();
            cursor.insertText(line, format);
        }
    }
    // Once the text is in: laid out as its text comes, a document breaks its pages elsewhere.
    doc.setPageSize(printer.pageRect(QPrinter::DevicePixel).size());
    QList<QStringList> pages(doc.pageCount());
    for (QTextBlock b = doc.begin(); b.isValid(); b = b.next())
        for (int i = 0; i < b.layout()->lineCount(); ++i) {
            const QTextLine line = b.layout()->lineAt(i);
            pages[int((b.layout()->position().y() + line.y()) / doc.pageSize().height())]
                << b.text().mid(line.textStart(), line.textLength());
        }
    QStringList texts;
    for (const QStringList& page : pages)
        texts << squeezed(page);
    return texts;
}

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
        Book run(r.section('|', 0, 0).split(',', Qt::SkipEmptyParts), r.section('|', 1, 1));
        run.menu("inprim");
        const QString date = run.ctx.locale.formatDate(QDate(2003, 12, 5));
        const QStringList job{"courier New",
                              "10|\r\n\r\n\r\n     Données fournies par BRELUNE le " + date +
                                  "\r\n\r\n        Date     Montant      Payement\r\n" +
                                  r.section('|', 2).replace('~', "\r\n") + "\r\n",
                              kCredit};
        QCOMPARE(run.printer.jobs, QList<QStringList>{job});
        run.menu("helpp"); // the help beside the program
        QCOMPARE(run.help.shown, QStringList{run.dir.path() + "/brelune.hlp"});
        // An unreadable book prints nothing.
        QVERIFY(QFile::remove(run.dbPath()));
        run.menu("inprim");
        QCOMPARE(run.printer.jobs.size(), 1);
        QCOMPARE(run.shown().last(), dbProblem(kGone));
    }

    // With no printer, the user is offered a PDF; each line of the PDF is on the page where a
    // document of all the lines would have it, wrapped where it wraps, and only there.
    void pdfWithoutPrinter() {
        if (!QPrinterInfo::defaultPrinter().isNull())
            QSKIP("a printer is installed here: nothing is printed by the tests");
        TestRun run;
        QtReportPrinter printer(run.dialogs, run.clock);
        QStringList big, small; // every 6th or 5th line empty; lines wrapped at spaces or anywhere
        for (int i = 1; i <= 300; ++i)
            big << (i % 6 ? QString("     ligne %1 ").arg(i) : QString()) +
                       (i % 7 ? QString(i % 11 ? 0 : 150, 'x') : QString("mot ").repeated(i % 40));
        for (int i = 1; i <= 200; ++i)
            small << (i % 5 ? QString("   é€ %1 ").arg(i).repeated(i % 13) : QString());
        const std::vector<PrintBlock> report{{"\r\n\r\n" + big.join("\r\n") + "\r\n", 10},
                                             {small.join("\r\n"), 6}};
        const QString pdf = run.dir.filePath("rapport.pdf");
        run.dialogs.script({"cancel", pdf});
        for (int i = 0; i < 2; ++i)
            printer.print("courier New", report);
        const QString offer = msg("Impression", "exclamation", "OK",
                                  "Aucune imprimante n'est installée sur cet ordinateur.\r\nVous "
                                  "pouvez enregistrer le document au format PDF.");
        const QString save = "save|Enregistrer le document en PDF|Document PDF|*.pdf|DOCS/BRELUNE "
                             "2003-12-05.pdf"; // DOCS: the user's documents folder, or home
        QCOMPARE(run.dialogs.takeShown().replaceInStrings(QRegularExpression("\\|/.*/"), "|DOCS/"),
                 QStringList({offer, save, offer, save}));
        QProcess text;
        text.start("pdftotext", {"-layout", pdf, "-"});
        QVERIFY2(text.waitForFinished(), "pdftotext is needed");
        QStringList pages = QString::fromUtf8(text.readAllStandardOutput()).split(QChar(12));
        pages.removeLast(); // after the last page's end
        for (QString& page : pages)
            page = squeezed(page.split('\n'));
        QCOMPARE(pages, documentPages(report));
        // In the report's type alone: the face the system finds for "courier New".
        QFont type("courier New");
        type.setStyleHint(QFont::TypeWriter);
        QProcess fonts;
        fonts.start("pdffonts", {pdf});
        QVERIFY2(fonts.waitForFinished(), "pdffonts is needed");
        const QStringList faces =
            QString::fromUtf8(fonts.readAllStandardOutput()).split('\n', Qt::SkipEmptyParts).mid(2);
        QVERIFY2(faces.size() == 1 && faces[0].startsWith(QFontInfo(type).family().remove(' ')),
                 qPrintable(faces.join('\n')));
    }

    // A report of more than ten pages shows its progress from its start, one of ten does not.
    void longReport_data() {
        QTest::addColumn<int>("more"); // lines past ten pages
        QTest::newRow("ten pages") << 0;
        QTest::newRow("a line more") << 1;
    }
    void longReport() {
        QFETCH(int, more);
        const int perPage =
            int(documentPages({{QStringList(200, "ligne").join("\r\n"), 10}})[0].count('\n'));
        const std::vector<PrintBlock> report{
            {QStringList(10 * perPage + more, "ligne").join("\r\n"), 10}};
        BlockLines lines(report);
        QTemporaryDir dir;
        QPrinter pdf(QPrinter::HighResolution);
        pdf.setOutputFormat(QPrinter::PdfFormat);
        pdf.setOutputFileName(dir.filePath("r.pdf"));
        bool shown = false;
        QTimer::singleShot(0, [&] { shown = !windows<QProgressDialog>().isEmpty(); });
        QCOMPARE(printReportLines(pdf, "courier New", lines), PrintResult::Printed);
        QCoreApplication::processEvents();
        QCOMPARE(shown, more > 0);
    }

    // earlier file | name chosen | answer to "replace it?" | "full" disk or "cancel" | told |
    // written
    void pdfFile_data() {
        QTest::addColumn<QString>("r");
        row<QString>("new", "|rapport.pdf||||yes");
        row<QString>("replaced", "yes|rapport.pdf|yes|||yes");
        row<QString>("kept", "yes|rapport.pdf|no|||");
        row<QString>("typed bare, replaced", "yes|rapport|yes|||yes");
        row<QString>("typed bare, new", "|rapport||||yes");
        row<QString>("disk full", "yes|rapport.pdf|yes|full|le fichier dépasse la taille permise|");
        row<QString>("cancelled", "yes|rapport.pdf|yes|cancel||");
        row<QString>("no folder", "|no/rapport.pdf|||un dossier du chemin est introuvable|");
    }
    void pdfFile() {
        QFETCH(QString, r);
        const QStringList f = r.split('|');
        const QString earlier = f[0], name = f[1], answer = f[2], event = f[3], told = f[4];
        if (!QPrinterInfo::defaultPrinter().isNull())
            QSKIP("a printer is installed here: nothing is printed by the tests");
        TestRun run;
        QtReportPrinter printer(run.dialogs, run.clock);
        const QString pdf = run.dir.filePath("rapport.pdf");
        if (!earlier.isEmpty()) {
            writeFile(pdf, "earlier");
            QFile::setPermissions(pdf, QFile::ReadOwner | QFile::WriteOwner | QFile::ReadGroup);
        }
        run.dialogs.script(
            QStringList{run.dir.filePath(name), answer}.mid(0, answer.isEmpty() ? 1 : 2));
        // What the first turn of the event loop finds while the report prints: its progress
        // window already up, and no line printed yet.
        QString seen;
        QTimer firstTurn;
        firstTurn.setSingleShot(true);
        firstTurn.callOnTimeout([&] {
            for (QProgressDialog* p : windows<QProgressDialog>()) {
                seen = p->windowTitle() + '|' + p->labelText() + '|' +
                       p->findChild<QPushButton*>()->text() + '|' + QString::number(p->value());
                if (event == "cancel")
                    p->cancel();
            }
        });
        firstTurn.start(0);
        {
            const SmallFileLimit disk(event == "full" ? 20000 : 0);
            printer.print("courier New", {{QString("     ligne\r\n").repeated(2000), 10}});
        }
        QStringList told1;
        if (!answer.isEmpty()) // asked about the file that would be written, whatever was typed
            told1 << msg("Impression", "question", "YesNo",
                         "Le fichier « $DIR/rapport.pdf » existe déjà.\r\nVoulez-vous le "
                         "remplacer ?");
        if (!told.isEmpty())
            told1 << msg("Impression", "critical", "OK",
                         "Le fichier « $DIR/" + name + " » n'a pas pu être écrit : " + told + ".");
        QCOMPARE(run.shown().mid(2), told1);
        QVERIFY(run.dialogs.scriptDone());
        QCOMPARE(seen, answer == "no" || name.contains('/')
                           ? ""
                           : "Impression|Impression en cours…|Annuler|0");
        const bool written = f[5] == "yes";
        QCOMPARE(QDir(run.dir.path()).entryList(QDir::Files | QDir::Hidden),
                 QStringList(written || !earlier.isEmpty() ? 1 : 0, "rapport.pdf"));
        const QByteArray bytes = contents(pdf);
        struct stat st {};
        QVERIFY(!written ? bytes == (earlier.isEmpty() ? "" : "earlier")
                         : bytes.startsWith("%PDF") && bytes.trimmed().endsWith("%%EOF") &&
                               ::stat(QFile::encodeName(pdf), &st) == 0 &&
                               (st.st_mode & 0777) == (earlier.isEmpty() ? umaskMode() : 0640));
    }

    // Operations "stored date/amount/payment" | Soldes | script | "full": the disk full | the rows
    // before the categories, "~" between them (none: nothing written)
    void csvExport_data() {
        QTest::addColumn<QString>("r");
        row<QString>("by date, quoted, RENT, no date",
                     "2003-12-03/-40/a;\"b,hier/3/=1+1,2003-12-01/12.5/RENT|102 52.5|file||"
                     "01/12/2003;12,50;RENT;crédit~03/12/2003;-40,00;\"a;\"\"b\";débit~"
                     "hier;3,00;'=1+1;débit~~Solde réel;102,00~Solde bancaire;52,50~Comptes;Bon");
        row<QString>("en empty Réel, Faux",
                     "2003-12-02/7/-CB|NULL 3|file||02/12/2003;7,00;"
                     "'-CB;débit~~Solde réel;~Solde bancaire;3,00~Comptes;Faux");
        row<QString>("empty", "|0 0|file||~Solde réel;0,00~Solde bancaire;0,00~Comptes;Bon");
        row<QString>("no Soldes row", "|none|file||~Solde réel;~Solde bancaire;~Comptes;");
        row<QString>("disk full", "|0 0|file|full|");
        row<QString>("cancelled", "|0 0|cancel||");
    }
    void csvExport() {
        QFETCH(QString, r);
        const QStringList f = r.split('|');
        Book run([&](TestRun& t) {
            t.createBook({}, f[1]);
            for (const QString& op : f[0].split(',', Qt::SkipEmptyParts))
                t.addRow(op.section('/', 0, 0), op.section('/', 1, 1), op.section('/', 2));
            ProfileFile(t.iniPath()).write("venti", "texo(0)", "@Loyer;x");
        });
        run.shown(); // the load's own messages
        const QString path = run.dir.filePath("livre.csv");
        run.dialogs.script({f[2] == "file" ? path : f[2]});
        const SmallFileLimit disk(f[3] == "full" ? 100 : 0);
        run.menu("exporte");
        // DOCS: the user's documents folder, or his home.
        QStringList shown{
            "save|Exporter le livre en CSV|Fichiers CSV|*.csv|DOCS/BRELUNE 2003-12-05.csv"};
        if (f[3] == "full")
            shown << msg("Exporter en CSV", "critical", "OK",
                         "Le fichier « $DIR/livre.csv » n'a pas pu être écrit : le fichier dépasse "
                         "la taille permise.");
        QCOMPARE(run.shown().replaceInStrings(QRegularExpression("/.*/BRE"), "DOCS/BRE"), shown);
        // Dates, amounts and separators whatever the user's locale; start dates as stored.
        const QString date = run.ctx.locale.formatDate(QDate(2003, 12, 5));
        QString text = "Date;Montant;Payement;Sens~" + f[4] + "~~Ventilation;Montant;Depuis le";
        for (QString name : {"\"'@Loyer;x\"", "Conserves", "Viande", "Huile", "fromage", "dessert",
                             "vêtements", "hygiene", "Surgelés", "Manu"})
            text += '~' + name + ";0,00;" + date;
        text.append('~').replace('~', "\r\n");
        QCOMPARE(contents(path), f[4].isEmpty() ? QByteArray() : "\xEF\xBB\xBF" + text.toUtf8());
    }

    // The real save dialog adds ".pdf" to a name typed without it, and leaves the question of
    // replacing a file to its caller, which knows the name written.
    void saveDialog() {
        QTemporaryDir dir;
        writeFile(dir.filePath("keep.pdf"), "earlier");
        bool asked = false;
        QString filter;
        QTimer user;
        user.callOnTimeout([&] {
            asked = asked || !windows<QMessageBox>().isEmpty();
            if (const auto files = windows<QFileDialog>(); !files.isEmpty()) {
                filter = files[0]->selectedNameFilter();
                files[0]->selectFile("keep");
                // As its Save button does.
                QMetaObject::invokeMethod(files[0], "accept", Qt::QueuedConnection);
            }
        });
        user.start(0);
        QCOMPARE(QtDialogs().saveFile("Enregistrer", "Document PDF", "*.pdf",
                                      dir.filePath("BRELUNE.pdf")),
                 dir.filePath("keep.pdf"));
        QVERIFY(!asked);
        QCOMPARE(filter, "Document PDF (*.pdf)");
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
        QTest::keyClick(windows<QTextBrowser>()[0], Qt::Key_Escape); // as its close box does,
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete); // and let go
        for (QWidget* w : QApplication::topLevelWidgets())
            QVERIFY(!qobject_cast<QTextBrowser*>(w));
    }
};

QTEST_MAIN(TestReports)
#include "test_reports.moc"
