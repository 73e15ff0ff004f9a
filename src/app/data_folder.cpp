#include "app/data_folder.h"

#include "app/data_files.h"

#include <QDir>
#include <QFileInfo>
#include <cerrno>
#include <cstdlib>
#include <sys/stat.h>
#include <unistd.h>

namespace brelune {

namespace {

const QString kHelpName = QStringLiteral("brelune.hlp");
const QString kOption = QStringLiteral("--dossier");

// Where an installed copy keeps brelune.hlp, from the folder of the executable.
QString installedHelp(const QString& programDir) {
    return QDir::cleanPath(programDir + QStringLiteral("/" BRELUNE_DATA_FROM_BIN "/") + kHelpName);
}

// Why a folder could not be made or written in, from the system's error number.
QString systemError(int error) {
    switch (error) {
    case EACCES:
    case EPERM:
        return QStringLiteral("accès refusé");
    case EROFS:
        return QStringLiteral("le disque est en lecture seule");
    case ENOSPC:
    case EDQUOT:
        return QStringLiteral("le disque est plein");
    case ENOENT:
        return QStringLiteral("un dossier du chemin est introuvable");
    case ENOTDIR:
    case EEXIST:
        return QStringLiteral("un élément du chemin n'est pas un dossier");
    case ENAMETOOLONG:
        return QStringLiteral("le chemin est trop long");
    default:
        return QStringLiteral("erreur %1 du système").arg(error);
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
    QByteArray probe = QFile::encodeName(dir + QStringLiteral("/.brelune-XXXXXX"));
    const int fd = ::mkstemp(probe.data());
    if (fd < 0)
        return systemError(errno);
    ::close(fd);
    ::unlink(probe.constData());
    return std::nullopt;
}

std::optional<QString> prepareDataFolder(const QString& folder, bool withParents) {
    const QFileInfo info(folder);
    if (info.isSymLink() && !info.exists())
        return folderProblem(folder, QStringLiteral("est un lien vers un dossier absent"));
    if (info.exists() && !info.isDir())
        return folderProblem(folder, QStringLiteral("est un fichier, pas un dossier"));
    QStringList missing; // from the outermost
    for (QString p = folder;
         !QFileInfo(p).isSymLink() && !QFileInfo::exists(p) && QFileInfo(p).path() != p;
         p = QFileInfo(p).path())
        missing.prepend(p);
    if (missing.size() > 1 && !withParents)
        return folderProblem(folder, QStringLiteral("ne peut pas être créé : le dossier « %1 » "
                                                    "n'existe pas")
                                         .arg(QDir::toNativeSeparators(QFileInfo(folder).path())));
    // A bank book lies within: each folder made here is its user's alone.
    for (const QString& m : missing)
        if (::mkdir(QFile::encodeName(m).constData(), 0700) != 0)
            return folderProblem(folder,
                                 QStringLiteral("ne peut pas être créé : ") + systemError(errno));
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
    for (qsizetype i = 1; i < args.size(); ++i) { // after the program's name
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
    // Any other copy keeps using files beside it, even on a disk that became read-only: their
    // own messages then say why a change cannot be stored.
    start.helpFile = helpFileFor(programDir);
    const bool installed = start.helpFile != programDir + u'/' + kHelpName;
    const bool serves = !installed && (folderHolds(programDir, QStringLiteral("PTcomptes.mdb")) ||
                                       folderHolds(programDir, QStringLiteral("ptconte.ini")) ||
                                       !cannotWriteIn(programDir));
    start.dataDir = chooseDataFolder(
        {programDir, serves, dossier.isEmpty() ? QString() : QFileInfo(dossier).absoluteFilePath(),
         qEnvironmentVariable("XDG_DATA_HOME"), QDir::homePath()});
    // The program's own folder is there as it is. A folder named on the command line is made only
    // when the one above it is there: a typing mistake or a key not plugged in makes no tree of
    // folders elsewhere.
    if (!dossier.isEmpty() || !serves)
        if (const auto problem = prepareDataFolder(start.dataDir, dossier.isEmpty()))
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
