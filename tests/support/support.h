// What every test program shares: a run of the program in a temporary program folder (TestRun), its
// dialogs recorded and answered from a script (ScriptedDialogs), the stored files.
#pragma once

#include "app/run_context.h"
#include "platform/dialogs.h"
#include "platform/money.h"

#include <QTemporaryDir>
#include <QtTest>
#include <QtWidgets>
#include <functional>

namespace brelune::test {

// Records every dialog shown, one line each, and answers from a script. A dialog the script did not
// expect is recorded, answered No or cancelled, and makes scriptDone() false.
class ScriptedDialogs : public Dialogs {
public:
    // Answers, in the order the dialogs will be shown: "yes" or "no" for a Yes/No box (OK boxes
    // need none), "cancel" for an input box or a file dialog, any other text to type or choose.
    void script(const QStringList& steps) { script_ << steps; }
    // One line a dialog: "message|caption|icon|buttons|text", "input|title|prompt|default",
    // "open|title|filter|pattern|folder".
    QStringList takeShown() { return std::exchange(shown_, {}); }
    bool scriptDone() const { return script_.isEmpty() && !unexpected_; }
    // Called as each OK box is shown, to look at the windows behind it.
    std::function<void()> onMessage;

    Answer message(const QString& text, const QString& caption, Icon icon,
                   Buttons buttons) override;
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

private:
    std::optional<QString> next(const QStringList& shown, bool answer);

    QStringList script_, shown_;
    bool unexpected_ = false;
};

// Shorthand for an expected message line; and the one saying that the database in the program
// folder cannot be used, for one of the reasons below.
inline QString msg(const QString& caption, const QString& icon, const QString& buttons,
                   const QString& text) {
    return QStringList{"message", caption, icon, buttons, text}.join(u'|');
}
QString dbProblem(const QString& reason, bool wasWriting = false);
inline const QString kGone = "le fichier est introuvable ou ne peut pas être ouvert";
inline const QString kJunk = "ce fichier n'est pas une base de données BRELUNE";
inline const QString kRefusedValue = "une valeur a été refusée par la base";

struct FixedClock : Clock {
    QDate today() const override { return QDate(2003, 12, 5); }
};

// An exact amount from its text, "12.5" or "-40".
Money eur(const QString& text);

// One run of the program in a temporary program folder, on 5 December 2003, in English when the
// current data row's tag starts with "en", else in French.
class TestRun {
public:
    explicit TestRun(const Locale& locale = tagLocale());
    static Locale tagLocale();

    QTemporaryDir dir;
    FixedClock clock;
    ScriptedDialogs dialogs;
    RunContext ctx;
    int endCalls = 0;

    QString dbPath() const { return ctx.programDir + QStringLiteral("/PTcomptes.mdb"); }
    QString iniPath() const { return ctx.iniPath(); }
    // The dialogs shown since last asked, the program folder written $DIR.
    QStringList shown() { return dialogs.takeShown().replaceInStrings(ctx.programDir, "$DIR"); }

    // Both data files created as the program creates them and located for the run, so that the main
    // window loads without any search; then the book: operations "day amount payment" of December
    // 2003, Soldes as below.
    void createBook(const QStringList& rows = {}, const QString& soldes = "0 0");

    // The database as another program sees it. Amounts are written and read in euros ("12.5"), an
    // empty field as NULL.
    void exec(const QString& sql) const;
    qint64 addRow(const QString& isoDate, const QString& amount, const QString& payement) const;
    void setSoldes(const QString& soldes) const; // "réel bancaire"; "none": no row
    QStringList select(const char* sql) const;   // a row's fields joined by blanks
    QString rows() const {                       // "date amount payment|..."
        return select(R"(SELECT "Date", Montant, Payement FROM En_cour ORDER BY rowid)").join('|');
    }
    QString ids() const { return select("SELECT rowid FROM En_cour ORDER BY rowid").join(' '); }
    QString soldes() const { return select(R"(SELECT * FROM Soldes)").value(0, "none"); }
    // Triggers that make every change of the named table fail; with "!" after the name, on an
    // engine error that has no French words of its own.
    void failChangesOf(const QString& table) const;
};

// A whole file's bytes (empty when it cannot be read), and a file written with exactly these bytes.
QByteArray contents(const QString& path);
void writeFile(const QString& path, const QByteArray& bytes);

// A data row of a test whose one column is a T.
template <typename T> void row(const char* tag, const T& value) {
    QTest::newRow(tag) << value;
}

// A widget found by its object name, or nullptr.
template <typename T> T* child(const QObject* parent, const QString& name) {
    return parent->findChild<T*>(name);
}

} // namespace brelune::test
