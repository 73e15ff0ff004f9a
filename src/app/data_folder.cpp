#include "app/data_folder.h"

#include "platform/file_errors.h"

#include <QDir>
#include <QFileInfo>
#include <QTemporaryFile>
#include <cerrno>
#include <filesystem>

namespace brelune {

namespace {

const QString kHelpName = QStringLiteral("brelune.hlp");
const QString kOption = QStringLiteral("--dossier");

// Where an installed copy keeps brelune.hlp, from the folder of the executable.
QString installedHelp(const QString& programDir) {
    return QDir::cleanPath(programDir + QStringLiteral("/" BRELUNE_DATA_FROM_BIN "/") + kHelpName);
}

QString createError(const std::error_code& ec) {
    switch (ec.value()) {
    case EACCES:
    case EPERM:
        return QStringLiteral("accès refusé");
    case EROFS:
        return QStringLiteral("le disque est en lecture seule");
    case ENOSPC:
    case EDQUOT:
        return QStringLiteral("le disque est plein");
    case ENOTDIR:
    case EEXIST:
        return QStringLiteral("un élément du chemin est un fichier, pas un dossier");
    case ENAMETOOLONG:
        return QStringLiteral("le chemin est trop long");
    default:
        return QStringLiteral("erreur %1 du système").arg(ec.value());
    }
}

QString folderProblem(const QString& folder, const QString& what) {
    return QStringLiteral("Le dossier des données de BRELUNE « %1 » %2.\n"
                          "Un autre dossier peut être indiqué ainsi : brelune --dossier CHEMIN")
        .arg(QDir::toNativeSeparators(folder), what);
}

} // namespace

QString chooseDataFolder(const FolderInputs& in) {
    if (!in.dossier.isEmpty())
        return QDir::cleanPath(in.dossier);
    if (in.programDirServes)
        return in.programDir;
    // A relative XDG_DATA_HOME is no setting at all for the desktop's conventions.
    const QString base = !in.xdgDataHome.isEmpty() && QDir::isAbsolutePath(in.xdgDataHome)
                             ? in.xdgDataHome
                             : in.home + QStringLiteral("/.local/share");
    return QDir::cleanPath(base + QStringLiteral("/BRELUNE"));
}

std::optional<QString> cannotWriteIn(const QString& dir) {
    QTemporaryFile probe(dir + QStringLiteral("/.brelune-XXXXXX"));
    if (probe.open())
        return std::nullopt;
    return fileErrorText(probe);
}

std::optional<QString> prepareDataFolder(const QString& folder) {
    const QFileInfo info(folder);
    if (info.exists() && !info.isDir())
        return folderProblem(folder, QStringLiteral("est un fichier, pas un dossier"));
    std::error_code ec;
    std::filesystem::create_directories(folder.toStdU16String(), ec);
    if (ec)
        return folderProblem(folder, QStringLiteral("ne peut pas être créé : ") + createError(ec));
    if (const auto reason = cannotWriteIn(folder))
        return folderProblem(folder, QStringLiteral("n'accepte aucun fichier : ") + *reason);
    return std::nullopt;
}

QString helpFileFor(const QString& programDir) {
    const QString beside = programDir + u'/' + kHelpName;
    if (!QFileInfo::exists(beside) && QFileInfo::exists(installedHelp(programDir)))
        return installedHelp(programDir);
    return beside;
}

StartFolders startFolders(const QStringList& args, const QString& programDir) {
    StartFolders start;
    QString dossier;
    for (qsizetype i = 0; i < args.size(); ++i) {
        if (args[i] == kOption && i + 1 < args.size() && !args[i + 1].isEmpty())
            dossier = args[++i];
        else if (args[i].startsWith(kOption + u'=') && args[i].size() > kOption.size() + 1)
            dossier = args[i].mid(kOption.size() + 1);
        else {
            start.problem = (args[i] == kOption || args[i] == kOption + u'='
                                 ? QStringLiteral("L'option --dossier demande le chemin d'un "
                                                  "dossier.")
                                 : QStringLiteral("Option inconnue : « %1 ».").arg(args[i])) +
                            QStringLiteral("\nUsage : brelune [--dossier CHEMIN]");
            return start;
        }
    }
    // An installed copy keeps its users' files apart, even when its folder takes files (root's).
    start.helpFile = helpFileFor(programDir);
    const bool installed = start.helpFile != programDir + u'/' + kHelpName;
    start.dataDir =
        chooseDataFolder({programDir, !installed && !cannotWriteIn(programDir),
                          dossier.isEmpty() ? QString() : QFileInfo(dossier).absoluteFilePath(),
                          qEnvironmentVariable("XDG_DATA_HOME"), QDir::homePath()});
    if (const auto problem = prepareDataFolder(start.dataDir))
        start.problem = *problem;
    return start;
}

bool startCanGoOn(const StartFolders& start, Dialogs& dialogs) {
    if (start.problem.isEmpty())
        return true;
    dialogs.message(start.problem, QStringLiteral("BRELUNE"), Icon::Critical, Buttons::Ok);
    return false;
}

} // namespace brelune
