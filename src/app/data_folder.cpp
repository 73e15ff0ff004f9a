#include "app/data_folder.h"

#include "app/data_files.h"
#include "platform/safe_file.h"

#include <QDir>
#include <QFileInfo>
#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <fcntl.h>
#include <sys/file.h>
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
    if (!in.xdgDataHome.isEmpty() && QDir::isAbsolutePath(in.xdgDataHome))
        return QDir::cleanPath(in.xdgDataHome + QStringLiteral("/BRELUNE"));
    if (!QDir::isAbsolutePath(in.home))
        return QString();
    return QDir::cleanPath(in.home + QStringLiteral("/.local/share/BRELUNE"));
}

std::optional<QString> cannotWriteIn(const QString& dir) {
    QByteArray probe = QFile::encodeName(dir + QStringLiteral("/.brelune-XXXXXX"));
    const int fd = ::mkstemp(probe.data());
    if (fd < 0)
        return systemErrorText(errno);
    ::close(fd);
    ::unlink(probe.constData());
    return std::nullopt;
}

// The database engine takes paths of 512 bytes at the most, its journal's
// included, and follows links first.
std::optional<QString> tooLongForBook(const QString& folder) {
    const QFileInfo info(folder);
    const qsizetype length = std::max(QFile::encodeName(info.absoluteFilePath()).size(),
                                      QFile::encodeName(info.canonicalFilePath()).size());
    if (length <= kFolderPathLimit)
        return std::nullopt;
    return folderProblem(folder, QStringLiteral("a un chemin trop long pour la base de données "
                                                "(plus de %1 octets)")
                                     .arg(kFolderPathLimit));
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
            return folderProblem(folder, QStringLiteral("ne peut pas être créé : ") +
                                             systemErrorText(errno));
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

std::optional<CommandLineAnswer> commandLineAnswer(const QStringList& args) {
    static const QString usage = QStringLiteral(
        "Usage : brelune [--dossier CHEMIN]\n"
        "        brelune --help | --version\n"
        "Tient le livre de compte bancaire d'une personne.\n\n"
        "  --dossier CHEMIN  garde les fichiers de données (PTcomptes.mdb, ptconte.ini)\n"
        "                    dans le dossier CHEMIN\n"
        "  --help            affiche cette aide\n"
        "  --version         affiche la version\n");
    for (qsizetype i = 1; i < args.size(); ++i) {
        if (args[i] == kOption) {
            ++i; // its folder, whatever it looks like
        } else if (args[i] == QLatin1String("--help") || args[i] == QLatin1String("-h")) {
            return CommandLineAnswer{usage, true, 0};
        } else if (args[i] == QLatin1String("--version")) {
            return CommandLineAnswer{QStringLiteral("BRELUNE %1.%2.%3\n")
                                         .arg(BRELUNE_VERSION_MAJOR)
                                         .arg(BRELUNE_VERSION_MINOR)
                                         .arg(BRELUNE_VERSION_PATCH),
                                     true, 0};
        } else if (args[i].startsWith(QLatin1String("--")) && !args[i].startsWith(kOption + u'=')) {
            // Single-dash options are the window system's (-platform...), read by Qt.
            return CommandLineAnswer{
                QStringLiteral("Option inconnue : « %1 ».\n").arg(args[i]) + usage, false, 2};
        }
    }
    return std::nullopt;
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
         qEnvironmentVariable("XDG_DATA_HOME"), qEnvironmentVariable("HOME")});
    if (start.dataDir.isEmpty()) {
        start.problem =
            QStringLiteral("Aucun dossier personnel n'est connu (la variable HOME est "
                           "vide ou relative) : BRELUNE ne sait pas où garder ses fichiers.\n"
                           "Un dossier peut être indiqué ainsi : brelune --dossier "
                           "CHEMIN");
        return start;
    }
    // The program's own folder is there as it is. A folder named on the command line is made only
    // when the one above it is there: a typing mistake or a key not plugged in makes no tree of
    // folders elsewhere.
    if (const auto problem = tooLongForBook(start.dataDir))
        start.problem = *problem;
    else if (!dossier.isEmpty() || !serves)
        if (const auto problem = prepareDataFolder(start.dataDir, dossier.isEmpty()))
            start.problem = *problem;
    return start;
}

FolderLock::~FolderLock() {
    ::close(fd_);
}

std::optional<std::unique_ptr<FolderLock>> lockDataFolder(const QString& folder, Dialogs& dialogs) {
    const int fd =
        ::open(QFile::encodeName(folder).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0)
        return nullptr;
    if (::flock(fd, LOCK_EX | LOCK_NB) == 0)
        return std::make_unique<FolderLock>(fd);
    const int error = errno;
    ::close(fd);
    if (error != EWOULDBLOCK)
        return nullptr; // a file system that keeps no locks
    dialogs.message(QStringLiteral("BRELUNE est déjà ouvert avec les fichiers du dossier « %1 ».\n"
                                   "Revenez à sa fenêtre, ou fermez-le avant d'ouvrir BRELUNE "
                                   "à nouveau.")
                        .arg(QDir::toNativeSeparators(folder)),
                    QStringLiteral("BRELUNE"), Icon::Exclamation, Buttons::Ok);
    return std::nullopt;
}

bool startCanGoOn(const StartFolders& start, Dialogs& dialogs) {
    if (start.problem.isEmpty())
        return true;
    dialogs.message(start.problem, QStringLiteral("BRELUNE"), Icon::Critical, Buttons::Ok);
    return false;
}

} // namespace brelune
