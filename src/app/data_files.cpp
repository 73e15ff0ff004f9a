#include "app/data_files.h"

#include "allocation/ventil_store.h"
#include "platform/account_db.h"
#include "platform/profile_file.h"
#include "platform/safe_file.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <functional>

namespace brelune {

namespace {

const QString kDbName = QStringLiteral("PTcomptes.mdb");
const QString kIniName = QStringLiteral("ptconte.ini");

// What differs between the search for the database and for the ini file.
struct Search {
    QString name;         // the file's name in the program folder
    QString dialogTitle;  // the file-open dialog's title
    QString missingTitle; // the question after a cancelled dialog
    QString missingLine;  // "Brelune ne peut pas fonctionner sans ..."
    // Takes a file chosen in the dialog; a reason when it cannot serve.
    std::function<std::optional<QString>(const QString&)> useChosen;
    // Creates the file in the program folder; a reason when that failed.
    std::function<std::optional<QString>()> create;
};

bool locate(RunContext& ctx, const Search& s) {
    Dialogs& dialogs = ctx.dialogs;
    for (;;) {
        if (folderHolds(ctx.programDir, s.name))
            return true;
        const QString chosen = dialogs.openFile(s.dialogTitle, s.name, s.name, ctx.programDir);
        if (!chosen.isEmpty()) {
            const auto problem = s.useChosen(chosen);
            if (!problem)
                return true;
            dialogs.message(QStringLiteral("Le fichier « %1 » ne peut pas servir : %2.")
                                .arg(QDir::toNativeSeparators(chosen), *problem),
                            s.dialogTitle, Icon::Critical, Buttons::Ok);
            continue;
        }
        if (folderHolds(ctx.programDir, s.name))
            return true;
        if (dialogs.message(
                QStringLiteral("Vous avez choisi annuler :\r\n") + s.missingLine +
                    QStringLiteral("\r\nVoulez vous indiquer où se trouve ce fichier ?"),
                s.missingTitle, Icon::None, Buttons::YesNo) == Answer::Yes)
            continue;
        if (dialogs.message(QStringLiteral("Le fichier est peut-etre perdu voulez vous le créer ?"),
                            QStringLiteral("Création ?"), Icon::Question,
                            Buttons::YesNo) == Answer::Yes) {
            const auto problem = s.create();
            if (!problem)
                return true;
            dialogs.message(
                QStringLiteral("Le fichier « %1 » n'a pas pu être créé : %2.")
                    .arg(QDir::toNativeSeparators(ctx.programDir + u'/' + s.name), *problem),
                QStringLiteral("Création ?"), Icon::Critical, Buttons::Ok);
            continue;
        }
        dialogs.message(QStringLiteral("Merci d'utiliser BRELUNE"), QStringLiteral("BRELUNE"),
                        Icon::None, Buttons::Ok);
        return false;
    }
}

// Copies a chosen ini file into the program folder in one replacement, so
// that every later access finds it there.
std::optional<QString> copyIntoFolder(const QString& chosen, const QString& target) {
    if (QFileInfo(chosen).canonicalFilePath() == QFileInfo(target).canonicalFilePath())
        return std::nullopt;
    QString problem;
    const auto bytes = ProfileFile(chosen).bytes(&problem);
    if (!bytes)
        return problem;
    if (const auto failure = replaceFile(target, *bytes))
        return QStringLiteral("copie impossible dans le dossier du programme : %1").arg(*failure);
    return std::nullopt;
}

} // namespace

bool folderHolds(const QString& dir, const QString& name) {
    QDir folder(dir);
    folder.setFilter(QDir::Files | QDir::Hidden | QDir::CaseSensitive);
    folder.setNameFilters({name});
    return folder.entryList().contains(name);
}

std::optional<QString> creationbase(RunContext& ctx) {
    const QString path = ctx.programDir + u'/' + kDbName;
    try {
        AccountDb::create(path);
    } catch (const AccountDbError& e) {
        return e.reason();
    }
    ctx.chemin_base = path;
    return std::nullopt;
}

std::optional<QString> creationini(const RunContext& ctx) {
    const auto entries = defaultVentilEntries(ctx.locale.formatDate(ctx.clock.today()));
    QString error;
    if (!ProfileFile(ctx.iniPath()).write(entries, &error))
        return error;
    return std::nullopt;
}

bool cherche_base(RunContext& ctx) {
    ctx.chemin_base.clear();
    const QString inFolder = ctx.programDir + u'/' + kDbName;
    const bool found =
        locate(ctx, {kDbName, QStringLiteral("Recherche de la base de données"),
                     QStringLiteral("Pas de Base de données !"),
                     QStringLiteral("Brelune ne peut pas fonctionner sans sa base de données"),
                     [&](const QString& chosen) -> std::optional<QString> {
                         try {
                             AccountDb(chosen).verify();
                         } catch (const AccountDbError& e) {
                             return e.reason();
                         }
                         ctx.chemin_base = chosen;
                         return std::nullopt;
                     },
                     [&] { return creationbase(ctx); }});
    if (found && ctx.chemin_base.isEmpty())
        ctx.chemin_base = inFolder;
    return found;
}

bool cherche_ini(RunContext& ctx) {
    return locate(ctx,
                  {kIniName, QStringLiteral("Recherche du fichier ini"),
                   QStringLiteral("Pas de fichier ini !"),
                   QStringLiteral("Brelune ne peut pas fonctionner sans son fichier ini"),
                   [&](const QString& chosen) { return copyIntoFolder(chosen, ctx.iniPath()); },
                   [&] { return creationini(ctx); }});
}

} // namespace brelune
