// The seams and value types: money, locale, profile files, account database, the real dialogs;
// the printed reports, printed for real as a PDF where there is no printer, and the help window.
#include "app/frmcompte.h"
#include "platform/account_db.h"
#include "platform/dialogs.h"
#include "platform/locale.h"
#include "platform/money.h"
#include "platform/profile_file.h"
#include "platform/safe_file.h"
#include "reports/report_text.h"
#include "support.h"

#include <QPrinter>
#include <QPrinterInfo>
#include <SQLiteCpp/Database.h>
#include <limits>
#include <sys/stat.h>

using namespace brelune;
using namespace brelune::test;

constexpr qint64 kMin = std::numeric_limits<qint64>::min();
constexpr qint64 kMax = std::numeric_limits<qint64>::max();

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

class TestPlatform : public QObject {
    Q_OBJECT
private slots:
    void moneyFormats_data() {
        QTest::addColumn<qint64>("units");
        QTest::addColumn<QString>("texts"); // euros | tight | plain | francs
        QTest::newRow("12.5") << qint64(125000) << "12,50 €|12,50€|12,5|81,99 F";
        QTest::newRow("-12.5") << qint64(-125000) << "-12,50 €|-12,50€|-12,5|-81,99 F";
        QTest::newRow("half rounds up") << qint64(1005) << "0,10 €|0,10€|0,1005|0,66 F";
        QTest::newRow("tiny negative") << qint64(-1) << "0,00 €|0,00€|-0,0001|0,00 F";
        QTest::newRow("just under half a cent") << qint64(49) << "0,00 €|0,00€|0,0049|0,03 F";
        QTest::newRow("smallest") << kMin
                                  << "-922337203685477,58 €|-922337203685477,58€|"
                                     "-922337203685477,5808|-6050135451179148,00 F";
    }
    void moneyFormats() {
        QFETCH(qint64, units);
        const Money m = Money::fromUnits(units);
        QTEST((QStringList{m.euros(u','), m.eurosTight(u','), m.plain(u','), francs(m, u',')})
                  .join('|'),
              "texts");
        QCOMPARE(m.plain(u'.'), m.plain(u',').replace(u',', u'.'));
        QCOMPARE(bool(m.negated()), units != kMin);
        QVERIFY(!Money::fromUnits(kMax).plus(Money::fromUnits(1)));
    }

    // Each row: the short date pattern, a date, its text, then texts that read back as that date
    // ("=") or are refused ("x").
    void dates_data() {
        QTest::addColumn<QString>("row");
        QTest::newRow("french") << "dd/MM/yyyy|2003-12-05|05/12/2003|=5/12/2003|= 05/12/03 |"
                                   "x31/02/2003|x05/12/203|x05-12-2003|xdate|x05/12/2003x|"
                                   "x٠٥/١٢/٢٠٠٣|x005/12/2003";
        QTest::newRow("english widened") << "M/d/yy|2003-12-05|12/5/2003|=12/5/03";
        QTest::newRow("two-digit years") << "dd.MM.yy|1930-10-10|10.10.1930|=10.10.30";
        QTest::newRow("quoted") << "d 'de' M yyyy|2003-12-05|5 de 12 2003";
        QTest::newRow("names") << "d MMM yyyy|2003-12-05|" +
                                      QDate(2003, 12, 5).toString("d MMM yyyy");
    }
    void dates() {
        QFETCH(QString, row);
        const QStringList f = row.split('|');
        const QDate date = QDate::fromString(f[1], Qt::ISODate);
        const Locale locale(u',', f[0]);
        QCOMPARE(locale.formatDate(date), f[2]);
        QCOMPARE(locale.parseDate(f[2]), std::optional<QDate>(date));
        for (const QString& r : f.mid(3))
            QCOMPARE(locale.parseDate(r.mid(1)).value_or(QDate()), r[0] == '=' ? date : QDate());
        QCOMPARE(Locale(u',', "dd/MM/yy").parseDate("05/12/29"), std::optional(QDate(2029, 12, 5)));
        QCOMPARE(Locale::french().formatDate(QDate(5, 12, 5)), "05/12/0005");
        // Letter case follows the user's language.
        QCOMPARE(Locale(u',', f[0], QLocale(QLocale::Turkish)).upper("rip"), "RİP");
        QCOMPARE(Locale(u',', f[0]).upper("Prél"), "PRÉL");
    }

    // Each row: the file, the entries written at once ("section/key=value;"), the file afterwards,
    // and values read back.
    void profileFiles_data() {
        QTest::addColumn<QByteArray>("before");
        QTest::addColumn<QString>("writes");
        QTest::addColumn<QByteArray>("after");
        QTest::addColumn<QString>("reads");
        QTest::newRow("in place, in Windows-1252")
            << QByteArray("; keep me\r\n[a]\r\n  K1 =  un  \r\nk2=2\r\n\r\n[b]\r\nz=9\r\n")
            << "A/k2=vêtements €…;a/k3=3;c/n=new"
            << QByteArray("; keep me\r\n[a]\r\n  K1 =  un  \r\nk2=v\xEAtements \x80\x85\r\nk3=3\r\n"
                          "\r\n[b]\r\nz=9\r\n[c]\r\nn=new\r\n")
            << "A/k1=un;b/k1=(none);a/K2=vêtements €…;x/y=(none)";
        QTest::newRow("UTF-8 stays")
            << QByteArray("\xEF\xBB\xBF[v]\nt=Surgel\xC3\xA9s\n") << "v/u=Crème"
            << QByteArray("\xEF\xBB\xBF[v]\nt=Surgel\xC3\xA9s\nu=Cr\xC3\xA8me\n") << "v/t=Surgelés";
        QTest::newRow("outside the code page")
            << QByteArray("[a]\r\nk=v\xEAt\r\n") << "a/j=Ωmega"
            << QByteArray("[a]\r\nk=v\xC3\xAAt\r\nj=\xCE\xA9mega\r\n") << "a/k=vêt;a/j=Ωmega";
        QTest::newRow("unassigned code kept")
            << QByteArray("[a]\r\nu=\x81\r\ny=1\r\n") << "a/y=é"
            << QByteArray("[a]\r\nu=\x81\r\ny=\xE9\r\n") << "a/y=é";
        QTest::newRow("the only Windows-1252 byte replaced")
            << QByteArray("[a]\r\nx=\xC3\xA9\r\ny=\xE9\r\n") << "a/y=Manu"
            << QByteArray("; Windows-1252 : \xE9\r\n[a]\r\nx=\xC3\xA9\r\ny=Manu\r\n")
            << "a/x=Ã©;a/y=Manu";
        QTest::newRow("UTF-16 stays")
            << QByteArray("\xFF\xFE[\0a\0]\0\r\0\n\0k\0=\0\x31\0\r\0\n\0", 22) << "a/k=é"
            << QByteArray("\xFF\xFE[\0a\0]\0\r\0\n\0k\0=\0\xE9\0\r\0\n\0", 22) << "a/k=é";
        QTest::newRow("empty but for a UTF-8 mark")
            << QByteArray("\xEF\xBB\xBF") << "v/u=Crème"
            << QByteArray("\xEF\xBB\xBF[v]\r\nu=Cr\xC3\xA8me\r\n") << "v/u=Crème";
        QTest::newRow("lines ended by a lone CR") << QByteArray("[a]\rk=1\r") << "a/k=2;a/j=3"
                                                  << QByteArray("[a]\rk=2\rj=3\r") << "a/k=2;a/j=3";
        QTest::newRow("last line without its end, quotes")
            << QByteArray("[a]\nk=\"q\"") << "a/j= 2 ;a/i=\"x\";a/h=\"\""
            << QByteArray("[a]\nk=\"q\"\nj=\" 2 \"\ni=\"\"x\"\"\nh=\"\"\"\"\n")
            << "a/k=q;a/j= 2 ;a/i=\"x\";a/h=\"\"";
    }
    void profileFiles() {
        QFETCH(QByteArray, before);
        QFETCH(QString, writes);
        QFETCH(QString, reads);
        QTemporaryDir dir;
        const QString path = dir.filePath("p.ini");
        writeFile(path, before);
        std::vector<ProfileFile::Entry> entries;
        for (const QString& w : writes.split(';'))
            entries.push_back(
                {w.section('/', 0, 0), w.section('/', 1).section('=', 0, 0), w.section('=', 1)});
        QVERIFY(ProfileFile(path).write(entries));
        QTEST(contents(path), "after");
        for (const QString& r : reads.split(';'))
            QCOMPARE(ProfileFile(path)
                         .read(r.section('/', 0, 0), r.section('/', 1).section('=', 0, 0))
                         .value_or("(none)"),
                     r.section('=', 1));
        QString error;
        // A line break would make lines of its own: refused, the file kept.
        QVERIFY(!ProfileFile(path).write("a", "k", "x\r\n[b]", &error));
        QCOMPARE(error, "une valeur contient un saut de ligne");
        QTEST(contents(path), "after");
        QVERIFY(!ProfileFile(dir.filePath("no/folder/p.ini")).write("a", "b", "c", &error));
        QCOMPARE(error, "un dossier du chemin est introuvable");
    }

    // A file that cannot be read or replaced: the reason told, the file left byte for byte, no
    // temporary file beside it. Run as an ordinary user, as root reads and writes anywhere.
    void profileProblems_data() {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QString>("how"); // mode of the file, "dir" for a folder in its place,
                                          // "0555 folder" for the folder's, "full" for a full disk
        QTest::addColumn<QString>("problems"); // on reading | on writing
        const QByteArray ini = "[a]\r\nk=1\r\n";
        const QString denied = "accès refusé", utf16 = "son texte UTF-16 est endommagé";
        QTest::newRow("sound") << ini << "0640"
                               << "|";
        QTest::newRow("unreadable") << ini << "0000" << denied + '|' + denied;
        QTest::newRow("read-only") << ini << "0444" << '|' + denied;
        QTest::newRow("read-only folder") << ini << "0666 folder" << '|' + denied;
        QTest::newRow("full disk") << ini << "full"
                                   << "|le fichier dépasse la taille permise";
        QTest::newRow("a folder") << QByteArray() << "dir"
                                  << "c'est un dossier|c'est un dossier";
        const QString large = "il dépasse 1 Mio, bien plus qu'un fichier de ventilations";
        QTest::newRow("too large")
            << QByteArray(kProfileLimit + 1, ';') << "0600" << large + '|' + large;
        const QString unmarked = "il est écrit en UTF-16 sans marque d'ordre des octets";
        QTest::newRow("UTF-16 unmarked")
            << QByteArray("[\0a\0]\0", 6) << "0600" << unmarked + '|' + unmarked;
        QTest::newRow("UTF-16, odd") << QByteArray("\xFE\xFF&") << "0600" << utf16 + '|' + utf16;
        QTest::newRow("UTF-16, lone half")
            << QByteArray("\xFF\xFE\x00\xD8[\0", 6) << "0600" << utf16 + '|' + utf16;
    }
    void profileProblems() {
        QFETCH(QByteArray, bytes);
        QFETCH(QString, how);
        QTemporaryDir dir;
        const QString path = dir.filePath("p.ini");
        const QByteArray folder = QFile::encodeName(dir.path());
        QVERIFY(::chmod(folder, 0777) == 0);
        { // the user's own file
            const AsOrdinaryUser user;
            how == "dir" ? void(QDir().mkdir(path)) : writeFile(path, bytes);
            if (how[0] == '0')
                QVERIFY(::chmod(QFile::encodeName(path), mode_t(how.left(4).toUInt(nullptr, 8))) ==
                        0);
        }
        if (how.endsWith("folder"))
            QVERIFY(::chmod(folder, 0555) == 0);
        QString read, written;
        {
            const AsOrdinaryUser user;
            ProfileFile(path).read({{"a", "k"}}, &read);
            const SmallFileLimit disk(how == "full" ? 4 : 0);
            ProfileFile(path).write("a", "k", "2", &written);
        }
        QVERIFY(::chmod(folder, 0700) == 0);
        QTEST(read + '|' + written, "problems");
        QCOMPARE(QDir(dir.path()).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot),
                 QStringList{"p.ini"});
        if (how != "dir") // the file as it was; replaced, with its mode
            QCOMPARE(contents(path), written.isEmpty() ? QByteArray("[a]\r\nk=2\r\n") : bytes);
        struct stat st;
        QVERIFY(::stat(QFile::encodeName(path), &st) == 0);
        if (how == "0640")
            QCOMPARE(st.st_mode & 0777, 0640u);
    }

    // The reasons no test can bring about without mounting disks.
    void systemReasons_data() {
        QTest::addColumn<int>("error");
        QTest::addColumn<QString>("reason");
        QTest::newRow("full") << ENOSPC << "le disque est plein";
        QTest::newRow("quota") << EDQUOT << "le disque est plein";
        QTest::newRow("read-only") << EROFS << "le disque est en lecture seule";
        QTest::newRow("broken") << EIO << "erreur de lecture ou d'écriture sur le disque";
        QTest::newRow("other") << ELOOP << "erreur 40 du système";
    }
    void systemReasons() {
        QFETCH(int, error);
        QTEST(systemErrorText(error), "reason");
    }

    void databaseEdges() {
        TestRun run;
        ::umask(022); // as most users have it
        AccountDb::create(run.dbPath());
        // The book and the profile file the program makes are their user's alone.
        QVERIFY(ProfileFile(run.iniPath()).write("a", "k", "1"));
        for (const QString& made : {run.dbPath(), run.iniPath()}) {
            struct stat st;
            QVERIFY(::stat(QFile::encodeName(made), &st) == 0 && (st.st_mode & 0777) == 0600);
        }
        // Written through a link, the file it names changes and the link stays.
        const QString link = run.dir.filePath("lien.ini");
        QVERIFY(QFile::link(run.iniPath(), link) && ProfileFile(link).write("a", "k", "2"));
        QVERIFY(QFileInfo(link).isSymLink() && ProfileFile(run.iniPath()).read("a", "k") == "2");
        QFile::remove(link);
        QFile::remove(run.iniPath());
        // A file of that name is never replaced, nor made in a folder that cannot be written to
        // (here: one below a plain file).
        QVERIFY_THROWS_EXCEPTION(AccountDbError, AccountDb::create(run.dbPath()));
        QVERIFY_THROWS_EXCEPTION(AccountDbError,
                                 AccountDb::create(run.dbPath() + "/x/PTcomptes.mdb"));
        QCOMPARE(QDir(run.dir.path()).entryList(QDir::Files | QDir::Hidden), {"PTcomptes.mdb"});

        // A deletion with no Soldes row creates it, the other field empty.
        AccountDb db(run.dbPath());
        run.setSoldes("none");
        run.addRow("2003-12-05", "4", "CB");
        const Operation op = db.readRegister().operations.at(0);
        db.deleteOperation(op);
        QCOMPARE(run.soldes(), "4 NULL");
        // A row id given again to a newer operation is not taken for the old one.
        QCOMPARE(run.addRow("2003-12-05", "9", "CB"), op.id);
        QVERIFY_THROWS_EXCEPTION(AccountDbError, db.deleteOperation(op));
        // The book itself refuses a payment text of more than five characters.
        QVERIFY_THROWS_EXCEPTION(SQLite::Exception, run.addRow("2003-12-05", "1", "ABCDEF"));
        QCOMPARE(run.rows(), "2003-12-05 9 CB");
        run.exec("DELETE FROM En_cour");
        // A move beyond the money range is refused whole, and told as a refusal of a sound book.
        db.setBalance(BalanceField::Reel, Money::fromUnits(kMax));
        try {
            db.addOperation(QDate(2003, 12, 5), eur("1"), "RENT");
            QFAIL("an operation beyond the money range was stored");
        } catch (const AccountDbError& e) {
            QCOMPARE(dbProblemText("B", e, true),
                     "La base de données « B » n'a pas été modifiée : le solde dépasserait le plus "
                     "grand montant que BRELUNE sait tenir.");
        }
        QCOMPARE(run.rows() + run.soldes(), "922337203685477.5807 NULL");

        // A stored text is a date only when all of it is; any other is shown as it is stored.
        // Sorted by date, equal dates in the order stored, and such a text where it falls among
        // the dates' ISO texts.
        for (const char* text :
             {"2003-12-05", "2OO3-12-05", "abcd-07-14", "2003-02-30", "0000-01-01", "2100-01-01",
              "1999-01-01", "2003-12-05", "1900-02-29", "2000-02-29", "0001-01-01", "9999-12-31",
              "2004-02-29"})
            run.addRow(text, "1", "CB");
        QStringList shown;
        for (const Operation& o : db.readRegister().operations)
            shown << (o.date.isValid() ? o.date.toString(Qt::ISODate) : '"' + o.dateText + '"') +
                         QString::number(o.id);
        QCOMPARE(shown.join(' '), "\"0000-01-01\"5 0001-01-0111 \"1900-02-29\"9 1999-01-017 "
                                  "2000-02-2910 \"2003-02-30\"4 2003-12-051 "
                                  "2003-12-058 2004-02-2913 2100-01-016 \"2OO3-12-05\"2 "
                                  "9999-12-3112 \"abcd-07-14\"3");
        // The last day of each month of 2003 is a date; the day after it is not.
        run.exec("DELETE FROM En_cour");
        for (int month = 1; month <= 12; ++month)
            for (int day : {0, 1})
                run.addRow(QString("2003-%1-%2")
                               .arg(month, 2, 10, QChar('0'))
                               .arg(QDate(2003, month, 1).daysInMonth() + day),
                           "1", "CB");
        QStringList lastDays;
        for (const Operation& o : db.readRegister().operations)
            if (o.date.isValid())
                lastDays << QString::number(o.date.daysInMonth() - o.date.day());
        QCOMPARE(lastDays, QStringList(12, "0"));
    }

    // Each row: the call on the seam ("message|caption|icon|buttons|text" or "input|title|prompt|
    // default"), what the screen shows ("title|text|icon|buttons"), the text typed and the button
    // pressed ("text/button"), the answer returned.
    void realDialogs_data() {
        QTest::addColumn<QString>("row");
        QTest::newRow("critical") << "message|Attention|3|ok|a\r\nb>Attention|a\nb|3|OK>OK>ok";
        QTest::newRow("no caption, no")
            << "message||2|yesno|Sûr ?>BRELUNE|Sûr ?|4|&Non &Oui>&Non>no";
        QTest::newRow("exclamation, yes") << "message|M|1|yesno|x>M|x|2|&Non &Oui>&Oui>yes";
        QTest::newRow("no icon") << "message|M|0|ok|y>M|y|0|OK>OK>ok";
        QTest::newRow("input typed")
            << "input|SOLDE|entrez|Un Milliard>SOLDE|entrez|Un Milliard|Annuler OK>12.5/OK>12.5";
        QTest::newRow("input cancelled") << "input|T|p|d>T|p|d|Annuler OK>x/Annuler>(cancelled)";
    }
    void realDialogs() {
        QFETCH(QString, row);
        const QStringList r = row.split('>'), f = r[0].split('|');
        QVERIFY(installQtFrench());
        QString seen = "(no dialog)";
        QObject guard;                      // no answer left for a later test
        QTimer::singleShot(0, &guard, [&] { // once the box is on screen
            auto* box = qobject_cast<QDialog*>(QApplication::activeModalWidget());
            auto* m = qobject_cast<QMessageBox*>(box);
            auto* in = qobject_cast<QInputDialog*>(box);
            seen = box->windowTitle() + '|' +
                   (m ? m->text() + '|' + QString::number(m->icon())
                      : in->labelText() + '|' + in->textValue());
            if (in)
                in->setTextValue(r[2].section('/', 0, 0));
            QStringList buttons;
            for (auto* b : box->findChildren<QAbstractButton*>()) {
                if (b->isVisible())
                    buttons << b->text();
                if (b->isVisible() && b->text() == r[2].section('/', -1))
                    QTimer::singleShot(0, b, &QAbstractButton::click);
            }
            buttons.sort();
            seen += '|' + buttons.join(' ');
        });
        QtDialogs dialogs;
        QString answer;
        if (f[0] == "message") {
            const Answer a = dialogs.message(f[4], f[1], Icon(f[2].toInt()),
                                             f[3] == "ok" ? Buttons::Ok : Buttons::YesNo);
            answer = a == Answer::Ok ? "ok" : a == Answer::Yes ? "yes" : "no";
        } else {
            answer = dialogs.input(f[2], f[1], f[3]).value_or("(cancelled)");
        }
        QCOMPARE(seen + '>' + answer, r[1] + '>' + r[3]);
    }

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

QTEST_MAIN(TestPlatform)
#include "test_platform.moc"
