// The reconciliation window: its frame and controls, the balances line, the
// search by amount, the marking of an operation, the failures reported, and
// the visit from the main window and back.
#include "app/frmcompte.h"
#include "platform/twips.h"
#include "reconcile/pointage.h"
#include "register/line_list.h"
#include "test_run.h"

#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>
#include <QScreen>
#include <QSignalSpy>
#include <QtTest>
#include <SQLiteCpp/Database.h>
#include <SQLiteCpp/Statement.h>

using namespace brelune;
using namespace brelune::test;

namespace {

const QString kQuestion = "Voulez vous pointer cet enregistrement ?\r\nMontant : ";
const QString kRefused = msg("BRELUNE", "exclamation", "OK", "Le montant en chiffre SVP");
const QString kNotFound = msg("BRELUNE", "none", "OK", "La recherche n'existe pas !");

QString question(const QString& amountAndPayment) {
    return msg("Opération de pointage", "question", "YesNo", kQuestion + amountAndPayment);
}

QString dbProblem(const TestRun& run, const QString& reason, bool wasWriting) {
    return msg("BRELUNE", "critical", "OK",
               "La base de données « " + run.dbPath() + " » ne peut pas être utilisée : " + reason +
                   (wasWriting ? ".\r\nRien n'a été enregistré." : "."));
}

qint64 units(const QString& amount) {
    return eur(amount.toUtf8().constData()).units();
}

// Soldes written as "reel;bancaire" ("" for an empty field), or "none" for
// a table without its row.
void setSoldes(const TestRun& run, const QString& text) {
    if (text == "none") {
        run.clearSoldes();
        return;
    }
    const QStringList f = text.split(';');
    const QByteArray reel = f[0].toUtf8(), bancaire = f[1].toUtf8();
    run.setSoldes(f[0].isEmpty() ? std::nullopt : std::optional<const char*>(reel.constData()),
                  f[1].isEmpty() ? std::nullopt : std::optional<const char*>(bancaire.constData()));
}

std::optional<StoredSoldes> storedSoldes(const QString& text) {
    if (text == "none")
        return std::nullopt;
    const QStringList f = text.split(';');
    auto field = [](const QString& s) {
        return s.isEmpty() ? std::nullopt : std::optional<qint64>(units(s));
    };
    return StoredSoldes{field(f[0]), field(f[1])};
}

// Rows written "YYYY-MM-DD amount payment"; their row ids in that order.
QList<qint64> addRows(const TestRun& run, const QStringList& rows) {
    QList<qint64> ids;
    for (const QString& row : rows) {
        const QStringList f = row.split(' ');
        ids << run.addRow(f[0], f[1].toUtf8().constData(), f[2]);
    }
    return ids;
}

QList<qint64> rowIds(const TestRun& run) {
    SQLite::Database db(QFile::encodeName(run.dbPath()).toStdString(), SQLite::OPEN_READONLY);
    SQLite::Statement q(db, "SELECT rowid FROM En_cour ORDER BY rowid");
    QList<qint64> ids;
    while (q.executeStep())
        ids << q.getColumn(0).getInt64();
    return ids;
}

void replaceDatabase(const TestRun& run, const QByteArray& content) {
    QFile::remove(run.dbPath());
    if (content.isEmpty())
        return;
    QFile f(run.dbPath());
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write(content);
}

Pointage* findPointage() {
    for (QWidget* w : QApplication::topLevelWidgets())
        if (w->objectName() == "Pointage" && w->isVisible())
            return qobject_cast<Pointage*>(w);
    return nullptr;
}

// Deletes every reconciliation window left at the end of a test, so that a
// failed check never leaves one behind for the next test.
struct NoWindowLeft {
    ~NoWindowLeft() {
        for (QWidget* w : QApplication::topLevelWidgets())
            if (w->objectName() == "Pointage")
                delete w;
    }
};

Pointage* openPointage(TestRun& run) {
    auto* window = new Pointage(run.ctx);
    window->Form_Load();
    return window;
}

LineList* list(const Pointage* w) {
    return child<LineList>(w, "List1");
}

QLineEdit* amountBox(const Pointage* w) {
    return child<QLineEdit>(w, "Text1");
}

QString balances(const Pointage* w) {
    return child<QLabel>(w, "Label2")->text();
}

// Selections reach the window from the event loop.
void deliver() {
    QCoreApplication::sendPostedEvents();
}

void runSearch(Pointage* w, const QString& text) {
    amountBox(w)->setText(text);
    QTest::mouseClick(child<QPushButton>(w, "Command1"), Qt::LeftButton);
}

enum class Pick { Mouse, Keyboard, Code };

void pickLine(Pointage* w, int row, Pick how = Pick::Mouse) {
    LineList* l = list(w);
    const QModelIndex index = l->model()->index(row, 0);
    switch (how) {
    case Pick::Mouse:
        QTest::mouseClick(l->viewport(), Qt::LeftButton, {}, l->visualRect(index).center());
        break;
    case Pick::Keyboard: // from the line above, or from no line at all for the first
        if (row > 0)
            l->selectionModel()->setCurrentIndex(l->model()->index(row - 1, 0),
                                                 QItemSelectionModel::NoUpdate);
        QTest::keyClick(l, Qt::Key_Down);
        break;
    case Pick::Code:
        l->selectionModel()->select(index, QItemSelectionModel::ClearAndSelect);
        break;
    }
    deliver();
}

// Records, each time the main window is shown, whether a reconciliation
// window was visible at that moment.
class ShowWatcher : public QObject {
public:
    explicit ShowWatcher(QWidget* watched) { watched->installEventFilter(this); }
    QList<bool> pointageVisibleAtShow;

protected:
    bool eventFilter(QObject*, QEvent* event) override {
        if (event->type() == QEvent::Show)
            pointageVisibleAtShow << (findPointage() != nullptr);
        return false;
    }
};

} // namespace

Q_DECLARE_METATYPE(Pick)

class TestReconcile : public QObject {
    Q_OBJECT
private slots:
    void frame();
    void balancesAtLoad_data();
    void balancesAtLoad();

    void search_data();
    void search();
    void searchKeys_data();
    void searchKeys();
    void searchFailure_data();
    void searchFailure();

    void marking_data();
    void marking();
    void clickWorksOnTheLastSearch();
    void refusedAmountKeepsAClickableList();
    void markingFailure_data();
    void markingFailure();

    void visit_data();
    void visit();
};

void TestReconcile::frame() {
    TestRun run;
    run.createFiles();
    NoWindowLeft cleanup;
    Pointage* w = openPointage(run);
    QCOMPARE(w->windowTitle(), "Pointage");
    QCOMPARE(w->windowModality(), Qt::NonModal);
    QCOMPARE(w->size(), QSize(twips(4680), twips(3210)));
    QCOMPARE(w->maximumSize(), w->minimumSize());
    const Qt::WindowFlags flags = w->windowFlags();
    QVERIFY(!(flags & Qt::WindowMinimizeButtonHint));
    QVERIFY(!(flags & Qt::WindowMaximizeButtonHint));
    QVERIFY(flags & Qt::WindowCloseButtonHint);
    QCOMPARE(w->geometry().center(),
             QGuiApplication::primaryScreen()->availableGeometry().center());

    QCOMPARE(w->focusWidget(), amountBox(w));
    QVERIFY(list(w)->lines().isEmpty());

    // Any character can be typed in the amount box.
    QTest::keyClicks(amountBox(w), "1a,-% ");
    QCOMPARE(amountBox(w)->text(), "1a,-% ");

    QVERIFY(run.dialogs.shown().isEmpty());
}

void TestReconcile::balancesAtLoad_data() {
    QTest::addColumn<bool>("french");
    QTest::addColumn<QString>("soldes"); // "junk": the file is not a database
    QTest::addColumn<QString>("caption");
    QTest::addColumn<QStringList>("dialogs");
    QTest::newRow("french") << true << "1520.35;-12"
                            << "Réel : 1520,35€ - Bancaire : -12,00€" << QStringList{};
    QTest::newRow("empty Réel") << true << ";-20"
                                << "Réel :  - Bancaire : -20,00€" << QStringList{};
    QTest::newRow("no row") << true << "none"
                            << "Pas d'enregistrement" << QStringList{};
    QTest::newRow("unreadable")
        << true << "junk"
        << "Soldes illisibles"
        << QStringList{"La base de données « $DB » ne peut pas être utilisée : ce fichier n'est "
                       "pas une base de données BRELUNE."};
}

void TestReconcile::balancesAtLoad() {
    QFETCH(bool, french);
    QFETCH(QString, soldes);
    QFETCH(QStringList, dialogs);
    TestRun run(french ? Locale::french() : Locale::english());
    run.createFiles();
    if (soldes == "junk")
        replaceDatabase(run, QByteArray(4096, 'x'));
    else
        setSoldes(run, soldes);
    NoWindowLeft cleanup;
    Pointage* w = openPointage(run);
    QTEST(balances(w), "caption");
    QStringList expected;
    for (const QString& text : dialogs)
        expected << msg("BRELUNE", "critical", "OK", QString(text).replace("$DB", run.dbPath()));
    QCOMPARE(run.dialogs.shown(), expected);
}

// Every case starts from a list showing the search for 12 and balances
// changed behind the window's back, to tell what a search keeps and what
// it shows again.
void TestReconcile::search_data() {
    QTest::addColumn<bool>("french");
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QStringList>("lines");
    QTest::addColumn<QStringList>("dialogs");
    QTest::addColumn<QString>("textAfter");
    QTest::addColumn<bool>("balancesShownAgain");

    const QString twelve = "02/12/2003_____12,00 €_____CB";
    const QStringList twelveAndAHalf{"01/12/2003_____12,50 €_____CB",
                                     "04/12/2003_____12,50 €_____RENT"};
    QTest::newRow("12.50") << true << "12.50" << twelveAndAHalf << QStringList{} << "12.50"
                           << false;
    QTest::newRow("comma ends the number")
        << true << "12,50" << QStringList{twelve} << QStringList{} << "12,50" << false;
    QTest::newRow("blank among the digits")
        << true << "1 2.5" << twelveAndAHalf << QStringList{} << "1 2.5" << false;
    QTest::newRow("negative") << true << "-12.5" << QStringList{"03/12/2003_____-12,50 €____CB"}
                              << QStringList{} << "-12.5" << false;
    QTest::newRow("twelve characters")
        << true << "1000000" << QStringList{"05/12/2003_____1000000,00 €CB"} << QStringList{}
        << "1000000" << false;
    QTest::newRow("english") << false << "12.5"
                             << QStringList{"12/1/2003_____12.50 €_____CB",
                                            "12/4/2003_____12.50 €_____RENT"}
                             << QStringList{} << "12.5" << false;
    QTest::newRow("absent") << true << "99" << QStringList{} << QStringList{kNotFound} << "99"
                            << true;
    QTest::newRow("five decimals cannot be stored")
        << true << "12.34561" << QStringList{} << QStringList{kNotFound} << "12.34561" << true;
    QTest::newRow("beyond the money range")
        << true << "1e30" << QStringList{} << QStringList{kNotFound} << "1e30" << true;
    for (const char* zero : {"0", "0.00", "-0", "a word", ""})
        QTest::newRow(qPrintable(QStringLiteral("refused \"%1\"").arg(zero)))
            << true << zero << QStringList{twelve} << QStringList{kRefused} << "" << false;
}

void TestReconcile::search() {
    QFETCH(bool, french);
    QFETCH(QString, typed);
    QFETCH(bool, balancesShownAgain);
    TestRun run(french ? Locale::french() : Locale::english());
    run.createFiles();
    addRows(run, {"2003-12-01 12.5 CB", "2003-12-02 12 CB", "2003-12-03 -12.5 CB",
                  "2003-12-04 12.5 RENT", "2003-12-05 1000000 CB", "2003-12-05 12.3456 TIP"});
    NoWindowLeft cleanup;
    Pointage* w = openPointage(run);
    const QString before = balances(w);
    runSearch(w, "12");
    QCOMPARE(list(w)->count(), 1);
    run.setSoldes("1", "2");

    runSearch(w, typed);
    QTEST(list(w)->lines(), "lines");
    QTEST(run.dialogs.shown(), "dialogs");
    QTEST(amountBox(w)->text(), "textAfter");
    QCOMPARE(balances(w), balancesShownAgain ? QString("Réel : 1,00€ - Bancaire : 2,00€") : before);
    QCOMPARE(run.rows().size(), std::size_t(6));
}

void TestReconcile::searchKeys_data() {
    QTest::addColumn<int>("key"); // 0: the button
    QTest::addColumn<Qt::KeyboardModifiers>("modifiers");
    QTest::addColumn<bool>("searched");
    QTest::newRow("button") << 0 << Qt::KeyboardModifiers() << true;
    QTest::newRow("Return") << int(Qt::Key_Return) << Qt::KeyboardModifiers() << true;
    QTest::newRow("Shift+Return") << int(Qt::Key_Return) << Qt::KeyboardModifiers(Qt::ShiftModifier)
                                  << true;
    QTest::newRow("another key") << int(Qt::Key_Tab) << Qt::KeyboardModifiers() << false;
}

void TestReconcile::searchKeys() {
    QFETCH(int, key);
    QFETCH(Qt::KeyboardModifiers, modifiers);
    QFETCH(bool, searched);
    TestRun run;
    run.createFiles();
    addRows(run, {"2003-12-01 12.5 CB"});
    NoWindowLeft cleanup;
    Pointage* w = openPointage(run);
    QTest::keyClicks(amountBox(w), "12.5");
    if (key == 0)
        QTest::mouseClick(child<QPushButton>(w, "Command1"), Qt::LeftButton);
    else
        QTest::keyClick(amountBox(w), Qt::Key(key), modifiers);
    QCOMPARE(list(w)->lines(),
             searched ? QStringList{"01/12/2003_____12,50 €_____CB"} : QStringList{});
    QCOMPARE(amountBox(w)->text(), "12.5");
    QVERIFY(run.dialogs.shown().isEmpty());
}

void TestReconcile::searchFailure_data() {
    QTest::addColumn<QByteArray>("content"); // empty: the file is gone
    QTest::addColumn<QString>("reason");
    QTest::newRow("gone") << QByteArray()
                          << "le fichier est introuvable ou ne peut pas être ouvert";
    QTest::newRow("not a database")
        << QByteArray(4096, 'x') << "ce fichier n'est pas une base de données BRELUNE";
}

// Unread is not absent: the user is told the database failed, never that
// the amount is not in the book.
void TestReconcile::searchFailure() {
    QFETCH(QByteArray, content);
    QFETCH(QString, reason);
    TestRun run;
    run.createFiles();
    addRows(run, {"2003-12-01 12.5 CB"});
    NoWindowLeft cleanup;
    Pointage* w = openPointage(run);
    runSearch(w, "12.5");
    QCOMPARE(list(w)->count(), 1);
    replaceDatabase(run, content);
    runSearch(w, "12.5");
    QCOMPARE(run.dialogs.takeShown(), QStringList{dbProblem(run, reason, false)});
    QVERIFY(list(w)->lines().isEmpty());
    QCOMPARE(amountBox(w)->text(), "12.5");
    QCOMPARE(QFile::exists(run.dbPath()), !content.isEmpty()); // nothing created
}

void TestReconcile::marking_data() {
    QTest::addColumn<bool>("french");
    QTest::addColumn<QStringList>("rows");
    QTest::addColumn<QString>("soldesBefore");
    QTest::addColumn<QString>("typed");
    QTest::addColumn<int>("line");
    QTest::addColumn<Pick>("how");
    QTest::addColumn<bool>("yes");
    QTest::addColumn<QString>("asked");   // the question's second line after "Montant : "
    QTest::addColumn<QList<int>>("left"); // indices into rows
    QTest::addColumn<QString>("soldesAfter");
    QTest::addColumn<QString>("caption");

    const QStringList twenties{"2003-12-01 20 CB", "2003-12-02 20 CB", "2003-12-03 20 CB"};
    QTest::newRow("three of 20, the second")
        << true << twenties << "-60;0"
        << "20" << 1 << Pick::Mouse << true << "20 : CB" << QList<int>{0, 2} << "-60;-20"
        << "Réel : -60,00€ - Bancaire : -20,00€";
    QTest::newRow("identical rows, the second")
        << true << QStringList{"2003-12-05 20 CB", "2003-12-05 20 CB", "2003-12-05 20 CB"}
        << "-60;0"
        << "20" << 1 << Pick::Code << true << "20 : CB" << QList<int>{0, 2} << "-60;-20"
        << "Réel : -60,00€ - Bancaire : -20,00€";
    QTest::newRow("by the keyboard, the third")
        << true << twenties << "-60;0"
        << "20" << 2 << Pick::Keyboard << true << "20 : CB" << QList<int>{0, 1} << "-60;-20"
        << "Réel : -60,00€ - Bancaire : -20,00€";
    QTest::newRow("RENT raises Bancaire")
        << true << QStringList{"2003-12-01 100 RENT"} << "100;0"
        << "100" << 0 << Pick::Mouse << true << "100 : RENT" << QList<int>{} << "100;100"
        << "Réel : 100,00€ - Bancaire : 100,00€";
    QTest::newRow("CB lowers Bancaire")
        << true << QStringList{"2003-12-01 100 CB"} << "-100;0"
        << "100" << 0 << Pick::Mouse << true << "100 : CB" << QList<int>{} << "-100;-100"
        << "Réel : -100,00€ - Bancaire : -100,00€";
    QTest::newRow("Rent not upper-cased goes out")
        << true << QStringList{"2003-12-01 100 Rent"} << "0;0"
        << "100" << 0 << Pick::Mouse << true << "100 : Rent" << QList<int>{} << "0;-100"
        << "Réel : 0,00€ - Bancaire : -100,00€";
    QTest::newRow("negative amount paid CB")
        << true << QStringList{"2003-12-01 -12.5 CB"} << "12.5;0"
        << "-12.5" << 0 << Pick::Mouse << true << "-12,5 : CB" << QList<int>{} << "12.5;12.5"
        << "Réel : 12,50€ - Bancaire : 12,50€";
    QTest::newRow("english") << false << QStringList{"2003-12-01 45.5 CB"} << "0;0"
                             << "45.50" << 0 << Pick::Mouse << true << "45.5 : CB" << QList<int>{}
                             << "0;-45.5"
                             << "Réel : 0.00€ - Bancaire : -45.50€";
    QTest::newRow("No writes nothing")
        << true << twenties << "-60;0"
        << "20" << 1 << Pick::Mouse << false << "20 : CB" << QList<int>{0, 1, 2} << "-60;0"
        << "Réel : -60,00€ - Bancaire : 0,00€";
    QTest::newRow("Soldes without its row")
        << true << QStringList{"2003-12-01 20 CB"} << "none"
        << "20" << 0 << Pick::Mouse << true << "20 : CB" << QList<int>{} << ";-20"
        << "Réel :  - Bancaire : -20,00€";
}

void TestReconcile::marking() {
    QFETCH(bool, french);
    QFETCH(QStringList, rows);
    QFETCH(QString, soldesBefore);
    QFETCH(QString, typed);
    QFETCH(int, line);
    QFETCH(Pick, how);
    QFETCH(bool, yes);
    QFETCH(QString, asked);
    QFETCH(QList<int>, left);
    QFETCH(QString, soldesAfter);
    TestRun run(french ? Locale::french() : Locale::english());
    run.createFiles();
    const QList<qint64> ids = addRows(run, rows);
    setSoldes(run, soldesBefore);
    NoWindowLeft cleanup;
    Pointage* w = openPointage(run);
    runSearch(w, typed);
    QCOMPARE(list(w)->count(), rows.size());

    run.dialogs.answer(yes ? Answer::Yes : Answer::No);
    pickLine(w, line, how);
    QCOMPARE(run.dialogs.takeShown(), QStringList{question(asked)});
    QVERIFY(run.dialogs.scriptDone());
    QList<qint64> expectedIds;
    for (int i : left)
        expectedIds << ids[i];
    QCOMPARE(rowIds(run), expectedIds);
    QCOMPARE(run.soldes(), storedSoldes(soldesAfter));
    QVERIFY(list(w)->lines().isEmpty());
    QCOMPARE(amountBox(w)->text(), "");
    QCOMPARE(w->focusWidget(), amountBox(w));
    QTEST(balances(w), "caption");
}

void TestReconcile::clickWorksOnTheLastSearch() {
    TestRun run;
    run.createFiles();
    const QList<qint64> ids = addRows(run, {"2003-12-01 20 CB", "2003-12-02 45 CB"});
    NoWindowLeft cleanup;
    Pointage* w = openPointage(run);
    runSearch(w, "20");
    amountBox(w)->setText("45"); // typed, not searched
    run.dialogs.answer(Answer::Yes);
    pickLine(w, 0);
    QCOMPARE(run.dialogs.takeShown(), QStringList{question("20 : CB")});
    QCOMPARE(rowIds(run), QList<qint64>{ids[1]});
    QCOMPARE(run.soldes(), std::optional<StoredSoldes>(StoredSoldes{0, units("-20")}));
}

void TestReconcile::refusedAmountKeepsAClickableList() {
    TestRun run;
    run.createFiles();
    const QList<qint64> ids =
        addRows(run, {"2003-12-01 20 CB", "2003-12-02 20 CB", "2003-12-03 20 CB"});
    NoWindowLeft cleanup;
    Pointage* w = openPointage(run);
    runSearch(w, "20");
    const QStringList shown = list(w)->lines();
    amountBox(w)->clear();
    QTest::keyClicks(amountBox(w), "0");
    QTest::keyClick(amountBox(w), Qt::Key_Return);
    QCOMPARE(run.dialogs.takeShown(), QStringList{kRefused});
    QCOMPARE(amountBox(w)->text(), "");
    QCOMPARE(list(w)->lines(), shown);

    run.dialogs.answer(Answer::Yes);
    pickLine(w, 1);
    QCOMPARE(run.dialogs.takeShown(), QStringList{question("20 : CB")});
    QCOMPARE(rowIds(run), (QList<qint64>{ids[0], ids[2]}));
}

void TestReconcile::markingFailure_data() {
    QTest::addColumn<QString>("fault");
    QTest::addColumn<QString>("reason");
    QTest::newRow("Soldes refuses the change") << "Soldes"
                                               << "une valeur a été refusée par la base";
    QTest::newRow("En_cour refuses the deletion") << "En_cour"
                                                  << "une valeur a été refusée par la base";
    QTest::newRow("row gone since the search") << "gone"
                                               << "cette opération n'est plus dans la base";
}

// A marking is stored whole or not at all.
void TestReconcile::markingFailure() {
    QFETCH(QString, fault);
    QFETCH(QString, reason);
    TestRun run;
    run.createFiles();
    const QList<qint64> ids = addRows(run, {"2003-12-01 20 CB", "2003-12-02 20 CB"});
    run.setSoldes("-40", "5");
    NoWindowLeft cleanup;
    Pointage* w = openPointage(run);
    runSearch(w, "20");
    if (fault == "gone")
        run.exec(QStringLiteral("DELETE FROM En_cour WHERE rowid = %1").arg(ids[1]));
    else
        run.failChangesOf(fault);
    const auto rowsBefore = run.rows();
    const QString captionBefore = balances(w);

    run.dialogs.answer(Answer::Yes);
    pickLine(w, 1);
    QCOMPARE(run.dialogs.takeShown(),
             (QStringList{question("20 : CB"), dbProblem(run, reason, true)}));
    QCOMPARE(run.rows(), rowsBefore);
    QCOMPARE(run.soldes(), storedSoldes("-40;5"));
    QVERIFY(list(w)->lines().isEmpty());
    QCOMPARE(amountBox(w)->text(), "");
    QCOMPARE(balances(w), captionBefore);
}

void TestReconcile::visit_data() {
    QTest::addColumn<bool>("byButton"); // otherwise by the close box
    QTest::newRow("Sortir du Pointage") << true;
    QTest::newRow("close box") << false;
}

// A new user's book of three operations; two of them are ticked off a
// statement; the main window comes back with one operation left.
void TestReconcile::visit() {
    QFETCH(bool, byButton);
    TestRun run;
    run.createFiles();
    run.addRow("2003-12-01", "45.5", "CB");
    run.addRow("2003-12-02", "20", "CB");
    run.addRow("2003-12-03", "100", "RENT");
    run.setSoldes("34.5", "0");
    NoWindowLeft cleanup;
    QWidget other; // a window already open beside the main window
    other.show();
    Frmcompte window(run.ctx);
    QVERIFY(window.Form_Load());
    window.show();
    QCOMPARE(child<QLabel>(&window, "Label1_4")->text(), "Bon");
    ShowWatcher watcher(&window);
    QSignalSpy lastClosed(qApp, &QGuiApplication::lastWindowClosed);

    for (int visit = 0; visit < 2; ++visit) {
        child<QAction>(&window, "poin")->trigger();
        QVERIFY(!window.isVisible());
        QPointer<Pointage> w = findPointage();
        QVERIFY(w);
        if (visit == 0) {
            run.dialogs.answer(Answer::Yes).answer(Answer::Yes);
            runSearch(w, "45.50");
            pickLine(w, 0);
            runSearch(w, "100");
            pickLine(w, 0);
            QCOMPARE(run.dialogs.takeShown(),
                     (QStringList{question("45,5 : CB"), question("100 : RENT")}));
            QCOMPARE(balances(w), "Réel : 34,50€ - Bancaire : 54,50€");
        }
        QVERIFY(!window.isVisible());
        if (byButton)
            QTest::mouseClick(child<QPushButton>(w, "Command2"), Qt::LeftButton);
        else
            QVERIFY(w->close());
        QVERIFY(window.isVisible());
        QVERIFY(!findPointage());
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QVERIFY(w.isNull());

        QCOMPARE(child<LineList>(&window, "List1")->lines(),
                 QStringList{"     02/12/2003_____20,00 €_____CB"});
        QCOMPARE(child<QLabel>(&window, "Label1_1")->text(), "34,50€");
        QCOMPARE(child<QLabel>(&window, "Label1_3")->text(), "54,50€");
        QCOMPARE(child<QLabel>(&window, "Label1_4")->text(), "Bon");
        QCOMPARE(window.windowTitle(), "BRELUNE" + QString(32, ' ') + "05/12/2003");
    }
    QCOMPARE(watcher.pointageVisibleAtShow, (QList<bool>{false, false}));
    QVERIFY(run.dialogs.shown().isEmpty());
    QCOMPARE(lastClosed.count(), 0);
    QVERIFY(other.isVisible());
}

QTEST_MAIN(TestReconcile)
#include "test_reconcile.moc"
