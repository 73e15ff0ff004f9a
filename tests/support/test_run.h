// TestRun: one run of the program in a temporary program folder, with a
// fixed date (5 December 2003), a chosen locale and scripted dialogs; plus
// direct access to the stored files, to set up and check what a run did.
#pragma once

#include "app/run_context.h"
#include "platform/money.h"
#include "scripted_dialogs.h"

#include <QTemporaryDir>
#include <optional>
#include <vector>

class QWidget;

namespace brelune::test {

class FixedClock : public Clock {
public:
    explicit FixedClock(QDate date) : date_(date) {}
    QDate today() const override { return date_; }

private:
    QDate date_;
};

// An exact amount from its text, "12.5" or "-40".
Money eur(const char* text);

struct StoredRow {
    QString date;
    std::optional<qint64> montant; // ten-thousandths
    std::optional<QString> payement;
    bool operator==(const StoredRow&) const = default;
};

struct StoredSoldes {
    std::optional<qint64> reel;
    std::optional<qint64> bancaire;
    bool operator==(const StoredSoldes&) const = default;
};

class TestRun {
public:
    explicit TestRun(const Locale& locale = Locale::french());

    QTemporaryDir dir;
    FixedClock clock{QDate(2003, 12, 5)};
    ScriptedDialogs dialogs;
    RunContext ctx;
    int endCalls = 0;

    QString dbPath() const { return ctx.programDir + QStringLiteral("/PTcomptes.mdb"); }
    QString iniPath() const { return ctx.iniPath(); }

    // Both data files created as the program creates them, located for the
    // run: the main window then loads without any search.
    void createFiles();

    // Raw access to the database, as another program would have it.
    void exec(const QString& sql) const;
    qint64 addRow(const QString& isoDate, const char* amount, const QString& payement) const;
    void setSoldes(std::optional<const char*> reel, std::optional<const char*> bancaire) const;
    void clearSoldes() const;
    std::vector<StoredRow> rows() const;        // by rowid
    std::vector<qint64> rowIds() const;         // by rowid
    std::optional<StoredSoldes> soldes() const; // nothing when no row
    // A trigger that makes every change of the named table fail.
    void failChangesOf(const QString& table) const;
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
