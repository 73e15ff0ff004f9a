// RunContext: what one run of the program shares between its windows. Built
// once by main() (or by a test) and handed to each window by reference.
#pragma once

#include "platform/account_db.h"
#include "platform/clock.h"
#include "platform/dialogs.h"
#include "platform/help_viewer.h"
#include "platform/locale.h"
#include "platform/report_printer.h"

#include <QString>
#include <functional>

namespace brelune {

struct RunContext {
    // The folder of the two data files: the program's own, or the user's (app/data_folder.h).
    QString programDir;
    QString helpFile; // brelune.hlp, beside the program or in its installed data folder
    Locale locale;
    Clock& clock;
    Dialogs& dialogs;
    ReportPrinter* printer = nullptr;
    HelpViewer* help = nullptr;
    // Ends the run at once, without closing any window first.
    std::function<void()> endProgram;

    // Full path of the account database, set once by the start-up search.
    QString chemin_base;
    // Set by the first load of the main window: later loads skip the search.
    bool filesLocated = false;

    QString iniPath() const { return programDir + QStringLiteral("/ptconte.ini"); }

    // Tells the user that the account database could not be used, and why;
    // after a failed write, also that nothing was stored.
    void showDbProblem(const AccountDbError& error, bool wasWriting) const {
        dialogs.message(dbProblemText(chemin_base, error, wasWriting), QStringLiteral("BRELUNE"),
                        Icon::Critical, Buttons::Ok);
    }

    // The whole book, for a command that only reads it; nothing when it
    // cannot be read, the user told why.
    std::optional<RegisterData> readBook() const {
        try {
            return AccountDb(chemin_base).readRegister();
        } catch (const AccountDbError& e) {
            showDbProblem(e, false);
            return std::nullopt;
        }
    }
};

} // namespace brelune
