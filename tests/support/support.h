// What every test program shares: a run of the program in a temporary program folder (TestRun),
// its dialogs recorded and answered from a script (ScriptedDialogs), the stored files.
#pragma once

#include "app/data_files.h"
#include "app/frmcompte.h"
#include "input/amount_reading.h"
#include "platform/account_db.h"
#include "platform/dialogs.h"
#include "platform/money.h"
#include "platform/run_context.h"

#include <QTemporaryDir>
#include <QtTest>
#include <QtWidgets>
#include <SQLiteCpp/Database.h>
#include <SQLiteCpp/Statement.h>
#include <csignal>
#include <functional>
#include <optional>
#include <stdexcept>
#include <sys/fsuid.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

namespace brelune::test {

// Shorthand for an expected message line.
inline QString msg(const QString& caption, const QString& icon, const QString& buttons,
                   const QString& text) {
    return QStringList{"message", caption, icon, buttons, text}.join(u'|');
}

// Records every dialog shown, one line each, and answers from a script. A dialog the script did
// not expect is recorded, answered No or cancelled, and makes scriptDone() false.
class ScriptedDialogs : public Dialogs {
public:
    // Answers, in the order the dialogs will be shown: "yes" or "no" for a Yes/No box (OK boxes
    // need none), "cancel" for an input box, a file dialog or a list, any other text to type or
    // choose (a list's item by its position).
    void script(const QStringList& steps) { script_ << steps; }
    // One line a dialog: "message|caption|icon|buttons|text", "input|title|prompt|default",
    // "open|title|filter|pattern|folder".
    QStringList takeShown() { return std::exchange(shown_, {}); }
    bool scriptDone() const { return script_.isEmpty() && !unexpected_; }
    // Called as each OK box is shown, to look at the windows behind it.
    std::function<void()> onMessage;

    Answer message(const QString& text, const QString& caption, Icon icon,
                   Buttons buttons) override {
        static const char* const icons[] = {"none", "exclamation", "question", "critical",
                                            "information"};
        const QStringList line{"message", caption, icons[int(icon)],
                               buttons == Buttons::Ok ? "OK" : "YesNo", text};
        if (buttons == Buttons::YesNo)
            return next(line, true) == "yes" ? Answer::Yes : Answer::No;
        shown_ << line.join(u'|'); // an OK box needs no scripted answer
        if (onMessage)
            onMessage();
        return Answer::Ok;
    }
    std::optional<QString> input(const QString& prompt, const QString& title,
                                 const QString& defaultText) override {
        return next({"input", title, prompt, defaultText}, false);
    }
    QString openFile(const QString& title, const QString& filter, const QString& pattern,
                     const QString& dir) override {
        return next({"open", title, filter, pattern, dir}, false).value_or("");
    }
    QString saveFile(const QString& title, const QString& filter, const QString& pattern,
                     const QString& dir) override {
        return next({"save", title, filter, pattern, dir}, false).value_or("");
    }
    // Shown "choose|title|prompt|item/item", a disabled item in brackets; the answer is the
    // item's position.
    std::optional<int> choose(const QString& prompt, const QString& title, const QStringList& items,
                              const QList<bool>& enabled) override {
        QStringList shown;
        for (qsizetype i = 0; i < items.size(); ++i)
            shown << (enabled.value(i) ? items[i] : '[' + items[i] + ']');
        const auto step = next({"choose", title, prompt, shown.join('/')}, false);
        return step ? std::optional(step->toInt()) : std::nullopt;
    }

private:
    // The next step, if it is of the kind the dialog takes; "cancel" gives nothing.
    std::optional<QString> next(const QStringList& shown, bool answer) {
        shown_ << shown.join(u'|');
        const QString step = script_.value(0);
        if (script_.isEmpty() || answer != (step == "yes" || step == "no")) {
            unexpected_ = true;
            shown_ << QStringLiteral("(unexpected)");
            return std::nullopt;
        }
        script_.removeFirst();
        return step == "cancel" ? std::nullopt : std::optional(step);
    }

    QStringList script_, shown_;
    bool unexpected_ = false;
};

// The message saying that the database in the program folder cannot be used, for one of the
// reasons below.
inline QString dbProblem(const QString& reason, bool wasWriting = false) {
    return msg("BRELUNE", "critical", "OK",
               "La base de données « $DIR/PTcomptes.mdb » ne peut pas être utilisée : " + reason +
                   (wasWriting ? ".\r\nRien n'a été enregistré." : "."));
}
inline const QString kFaux =
    msg("Attention", "critical", "OK", "Il y a une erreur dans les comptes");
inline const QString kOnlyDigits = "Seul les chiffres sont permis !";
inline const QString kGone = "le fichier est introuvable ou ne peut pas être ouvert";
inline const QString kJunk = "ce fichier n'est pas une base de données BRELUNE";
inline const QString kRefusedValue = "une valeur a été refusée par la base";

// Records each print job: the font family, then "points|text" for each block.
struct RecordingPrinter : ReportPrinter {
    QList<QStringList> jobs;
    void print(const QString& family, const std::vector<PrintBlock>& blocks) override {
        jobs << QStringList{family};
        for (const PrintBlock& b : blocks)
            jobs.last() << QString::number(b.pointSize) + '|' + b.text;
    }
    // A report given line by line must say beforehand how many lines it gives: the progress
    // window counts on it. A count that is wrong shows in the job.
    void printLines(const QString& family, ReportLines& lines) override {
        struct Counted : ReportLines {
            ReportLines& in;
            qsizetype given = 0;
            explicit Counted(ReportLines& l) : in(l) {}
            qsizetype count() const override { return in.count(); }
            bool next(QString& text, int& size) override { return in.next(text, size) && ++given; }
        } counted(lines);
        ReportPrinter::printLines(family, counted);
        if (counted.given != lines.count())
            jobs.last()
                << QStringLiteral("%1 lines, %2 said").arg(counted.given).arg(lines.count());
    }
};
// Records each help file asked for.
struct RecordingHelp : HelpViewer {
    QStringList shown;
    void showHelp(const QString& path) override { shown << path; }
};

struct FixedClock : Clock {
    QDate today() const override { return QDate(2003, 12, 5); }
    QTime now() const override { return QTime(10, 15); }
};

// An exact amount from its text, "12.5" or "-40".
inline Money eur(const QString& text) {
    const auto m = readAmount(text).toMoney();
    if (!m)
        throw std::invalid_argument(text.toStdString());
    return *m;
}

// One run of the program in a temporary program folder, on 5 December 2003, in English when the
// current data row's tag starts with "en", else in French.
class TestRun {
public:
    explicit TestRun(const Locale& locale = tagLocale())
        : ctx{dir.path(), dir.path() + "/brelune.hlp", locale, clock, dialogs, &printer,
              &help,      [this] { ++endCalls; },      {},     false} {}
    static Locale tagLocale() {
        const QByteArray tag = QTest::currentDataTag();
        return tag == "en" || tag.startsWith("en ") ? Locale::english() : Locale::french();
    }

    QTemporaryDir dir;
    FixedClock clock;
    ScriptedDialogs dialogs;
    RecordingPrinter printer;
    RecordingHelp help;
    RunContext ctx;
    int endCalls = 0;

    QString dbPath() const { return ctx.programDir + QStringLiteral("/PTcomptes.mdb"); }
    QString iniPath() const { return ctx.iniPath(); }
    // The dialogs shown since last asked, the program folder written $DIR.
    QStringList shown() { return dialogs.takeShown().replaceInStrings(ctx.programDir, "$DIR"); }

    // Both data files created as the program creates them and located for the run, so that the main
    // window loads without any search; then the book: operations "day amount payment" of December
    // 2003, Soldes as below.
    void createBook(const QStringList& rows = {}, const QString& soldes = "0 0") {
        AccountDb::create(dbPath());
        if (creationini(ctx))
            throw std::runtime_error("ini not written");
        ctx.chemin_base = dbPath();
        ctx.filesLocated = true;
        for (const QString& r : rows)
            addRow(QDate(2003, 12, r.section(' ', 0, 0).toInt()).toString(Qt::ISODate),
                   r.section(' ', 1, 1), r.section(' ', 2));
        setSoldes(soldes);
    }

    // The database as another program sees it. Amounts are written and read in euros ("12.5"), an
    // empty field as NULL.
    SQLite::Database db() const {
        return SQLite::Database(QFile::encodeName(dbPath()).toStdString(), SQLite::OPEN_READWRITE);
    }
    void exec(const QString& sql) const { db().exec(sql.toStdString()); }
    qint64 addRow(const QString& isoDate, const QString& amount, const QString& payement) const {
        auto d = db();
        SQLite::Statement q(d, R"(INSERT INTO En_cour ("Date", Montant, Payement) VALUES (?,?,?))");
        q.bind(1, isoDate.toStdString());
        q.bind(2, std::int64_t{eur(amount).units()});
        q.bind(3, payement.toStdString());
        q.exec();
        return d.getLastInsertRowid();
    }
    void setSoldes(const QString& soldes) const { // "réel bancaire"; "none": no row
        exec("DELETE FROM Soldes");
        if (soldes != "none")
            exec(QString("INSERT INTO Soldes VALUES (%1)")
                     .arg(QString(soldes).replace(' ', ", "))
                     .replace(QRegularExpression("(-?[0-9.]+)"),
                              "CAST(ROUND(\\1 * 10000) AS INTEGER)"));
    }
    QStringList select(const char* sql) const { // a row's fields joined by blanks
        auto d = db();
        SQLite::Statement q(d, sql);
        QStringList out;
        while (q.executeStep()) {
            QStringList fields;
            for (int i = 0; i < q.getColumnCount(); ++i) {
                const SQLite::Column c = q.getColumn(i);
                fields << (c.isNull() ? QString("NULL")
                           : c.isInteger() && c.getName() != std::string("rowid")
                               ? Money::fromUnits(c.getInt64()).plain(u'.')
                               : QString::fromUtf8(c.getText()));
            }
            out << fields.join(' ');
        }
        return out;
    }
    QString rows() const { // "date amount payment|..."
        return select(R"(SELECT "Date", Montant, Payement FROM En_cour ORDER BY rowid)").join('|');
    }
    QString ids() const { return select("SELECT rowid FROM En_cour ORDER BY rowid").join(' '); }
    QString soldes() const { return select(R"(SELECT * FROM Soldes)").value(0, "none"); }
    // Makes every row written into the named table fail, as the engine may refuse one: the table
    // is made again, rows and ids kept, with a check no row written passes; with "!" after the
    // name, on an engine error that has no French words of its own. Deletions still work.
    void failChangesOf(const QString& table) const {
        const bool engine = table.endsWith('!');
        const QString name = table.chopped(engine);
        const QString columns =
            name == "Soldes" ? R"("Réel", Bancaire)" : R"("Date", Montant, Payement)";
        exec(QStringLiteral("PRAGMA ignore_check_constraints = ON; BEGIN;"
                            "CREATE TABLE refusing (%1, CHECK (%2(coalesce(%1, 0)) IS NULL));"
                            "INSERT INTO refusing (rowid, %1) SELECT rowid, %1 FROM %3;"
                            "DROP TABLE %3; ALTER TABLE refusing RENAME TO %3; COMMIT;")
                 .arg(columns, engine ? "json" : "", name));
    }
};

// For as long as it lives, files are reached with an ordinary user's rights: root's accesses are
// checked as nobody's (its own folders must then be open to others).
class AsOrdinaryUser {
public:
    AsOrdinaryUser() {
        if (root_)
            ::setfsgid(65534), ::setfsuid(65534);
    }
    ~AsOrdinaryUser() {
        if (root_)
            ::setfsuid(0), ::setfsgid(0);
    }

private:
    const bool root_ = ::geteuid() == 0;
};

// For as long as it lives, no file may grow past this many bytes (0: no limit), so that a write
// fails as on a full disk.
class SmallFileLimit {
public:
    explicit SmallFileLimit(rlim_t bytes) : set_(bytes > 0) {
        ::getrlimit(RLIMIT_FSIZE, &old_);
        ::signal(SIGXFSZ, SIG_IGN); // the write fails instead of ending the process
        const rlimit small{bytes, old_.rlim_max};
        if (set_)
            ::setrlimit(RLIMIT_FSIZE, &small);
    }
    ~SmallFileLimit() {
        if (set_)
            ::setrlimit(RLIMIT_FSIZE, &old_);
    }

private:
    bool set_;
    rlimit old_;
};

// The book refuses every change as named: "Soldes" or "En_cour" refuses the values written there
// (see failChangesOf; for good), "busy" is held by another program and "full" cannot grow (writes
// past a size limit fail) for as long as this lives, "read-only" is the user's but
// write-protected, reached as an ordinary user while this lives.
class Refusing {
public:
    Refusing(const TestRun& run, const QString& how) {
        if (how == "busy") {
            holder_.emplace(run.db());
            holder_->exec("BEGIN IMMEDIATE");
        } else if (how == "read-only") {
            ::chmod(QFile::encodeName(run.dir.path()), 0777);
            ::chmod(QFile::encodeName(run.dbPath()), 0444);
            user_.emplace();
        } else if (how == "full") {
            disk_.emplace(1000);
        } else if (!how.isEmpty()) {
            run.failChangesOf(how);
        }
    }

private:
    std::optional<SQLite::Database> holder_;
    std::optional<AsOrdinaryUser> user_;
    std::optional<SmallFileLimit> disk_;
};

// A run with its main window shown and loaded, by default on a book made by createBook; the
// main window's controls, and its menu items triggered, by their names.
struct Book : TestRun {
    Frmcompte frame{ctx};
    bool loaded; // always, or the constructor throws

    explicit Book(const QStringList& rows = {}, const QString& soldes = "0 0")
        : Book([&](TestRun& run) { run.createBook(rows, soldes); }) {}
    explicit Book(const std::function<void(TestRun&)>& makeFiles) {
        makeFiles(*this);
        frame.show();
        if (!(loaded = frame.Form_Load()))
            throw std::runtime_error("the main window did not load");
    }
    template <typename T = QWidget> T* at(const QString& name) const {
        return frame.findChild<T*>(name);
    }
    void menu(const char* item) const { at<QAction>(item)->trigger(); }
};

// Clicks a window's button; picks lines of its List1: one by a click (-1: the Down key), several
// as a drag does, the event loop delivering the selection.
inline void click(const QWidget* window, const char* button) {
    QTest::mouseClick(window->findChild<QPushButton*>(button), Qt::LeftButton);
}
inline void pick(const QWidget* window, std::initializer_list<int> rows) {
    auto* list = window->findChild<QAbstractItemView*>("List1");
    for (int row : rows)
        if (row < 0)
            QTest::keyClick(list, Qt::Key_Down);
        else if (rows.size() == 1)
            QTest::mouseClick(list->viewport(), Qt::LeftButton, {},
                              list->visualRect(list->model()->index(row, 0)).center());
        else
            list->setCurrentIndex(list->model()->index(row, 0));
    QCoreApplication::processEvents();
}

// A whole file's bytes (empty when it cannot be read), and a file written with exactly these bytes.
inline QByteArray contents(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}
inline void writeFile(const QString& path, const QByteArray& bytes) {
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly) || f.write(bytes) != bytes.size())
        throw std::runtime_error("cannot write " + path.toStdString());
}

// A data row of a test whose one column is a T.
template <typename T> void row(const char* tag, const T& value) {
    QTest::newRow(tag) << value;
}

// The windows of type T on screen.
template <typename T> QList<T*> windows() {
    QList<T*> found;
    for (QWidget* w : QApplication::topLevelWidgets())
        if (auto* t = qobject_cast<T*>(w); t && t->isVisible())
            found << t;
    return found;
}

// A widget found by its object name, or nullptr.
template <typename T> T* child(const QObject* parent, const QString& name) {
    return parent->findChild<T*>(name);
}

} // namespace brelune::test
