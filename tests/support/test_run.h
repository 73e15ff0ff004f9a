// TestRun: one run of the program in a temporary program folder, with a
// fixed date (5 December 2003), a chosen locale and scripted dialogs; plus
// direct access to the stored files, to set up and check what a run did.
#pragma once

#include "app/run_context.h"
#include "platform/money.h"
#include "scripted_dialogs.h"

#include <QTemporaryDir>

namespace brelune::test {

class FixedClock : public Clock {
public:
    QDate today() const override { return QDate(2003, 12, 5); }
};

// An exact amount from its text, "12.5" or "-40".
Money eur(const QString& text);

class TestRun {
public:
    explicit TestRun(const Locale& locale = Locale::french());

    QTemporaryDir dir;
    FixedClock clock;
    ScriptedDialogs dialogs;
    RunContext ctx;
    int endCalls = 0;

    QString dbPath() const { return ctx.programDir + QStringLiteral("/PTcomptes.mdb"); }
    QString iniPath() const { return ctx.iniPath(); }

    // Both data files created as the program creates them, located for the
    // run: the main window then loads without any search.
    void createFiles();

    // The database as another program sees it. Amounts are written and read
    // in euros ("12.5"), an empty field as NULL.
    void exec(const QString& sql) const;
    qint64 addRow(const QString& isoDate, const QString& amount, const QString& payement) const;
    void setSoldes(const QString& soldes) const; // "réel bancaire"; "none": no row
    QString rows() const;                        // "date amount payment|..." by rowid
    QString ids() const;                         // the rowids, "1 3"
    QString soldes() const;                      // as setSoldes takes them
    // A trigger that makes every change of the named table fail.
    void failChangesOf(const QString& table) const;

private:
    QStringList select(const char* sql) const;
};

// A whole file's bytes (empty when it cannot be read), and a file written
// with exactly these bytes.
QByteArray contents(const QString& path);
void writeFile(const QString& path, const QByteArray& bytes);

// A widget found by its object name, or nullptr.
template <typename T> T* child(const QObject* parent, const QString& name) {
    return parent->findChild<T*>(name);
}

} // namespace brelune::test
