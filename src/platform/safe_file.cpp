#include "platform/safe_file.h"

#include <QFile>
#include <QFileInfo>
#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace brelune {

void syncFolderOf(const QString& path) {
    const QByteArray folder = QFile::encodeName(QFileInfo(path).absolutePath());
    const int fd = ::open(folder.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd >= 0) {
        ::fsync(fd);
        ::close(fd);
    }
}

QString systemErrorText(int error) {
    switch (error) {
    case EACCES:
    case EPERM:
        return QStringLiteral("accès refusé");
    case EROFS:
        return QStringLiteral("le disque est en lecture seule");
    case ENOSPC:
    case EDQUOT:
        return QStringLiteral("le disque est plein");
    case EFBIG:
        return QStringLiteral("le fichier dépasse la taille permise");
    case EIO:
        return QStringLiteral("erreur de lecture ou d'écriture sur le disque");
    case ENOENT:
        return QStringLiteral("un dossier du chemin est introuvable");
    case ENOTDIR:
    case EEXIST:
        return QStringLiteral("un élément du chemin n'est pas un dossier");
    case ENAMETOOLONG:
        return QStringLiteral("le chemin est trop long");
    case EISDIR:
        return QStringLiteral("c'est un dossier");
    default:
        return QStringLiteral("erreur %1 du système").arg(error);
    }
}

int writeAll(int fd, const char* bytes, qsizetype size) {
    for (qsizetype done = 0; done < size;) {
        const ssize_t n = ::write(fd, bytes + done, size_t(size - done));
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0)
            return errno;
        if (n == 0)
            return ENOSPC;
        done += n;
    }
    return 0;
}

std::optional<mode_t> replacementMode(const QString& path, mode_t fresh, QString* problem) {
    const QByteArray native = QFile::encodeName(path);
    struct stat old;
    if (::stat(native.constData(), &old) != 0)
        return fresh;
    if (S_ISDIR(old.st_mode)) {
        *problem = systemErrorText(EISDIR);
        return std::nullopt;
    }
    // Opened for writing, never written: a protected file or disk says so here.
    const int probe = ::open(native.constData(), O_WRONLY | O_CLOEXEC);
    if (probe < 0) {
        *problem = systemErrorText(errno);
        return std::nullopt;
    }
    ::close(probe);
    return mode_t(old.st_mode & 07777);
}

mode_t umaskMode() {
    const mode_t mask = ::umask(0);
    ::umask(mask);
    return 0666 & ~mask;
}

TempBeside::TempBeside(const QString& target) : target_(target) {
    // Through a link, the file it names is replaced and the link stays.
    if (const QFileInfo link(target); link.isSymLink())
        target_ = link.exists() ? link.canonicalFilePath() : link.symLinkTarget();
    const QFileInfo info(target_);
    QByteArray name = QFile::encodeName(info.absolutePath() + QStringLiteral("/.") +
                                        info.fileName() + QStringLiteral(".XXXXXX"));
    const int fd = ::mkstemp(name.data()); // 0600
    if (fd < 0) {
        problem_ = systemErrorText(errno);
        return;
    }
    ::close(fd);
    temp_ = QFile::decodeName(name);
}

TempBeside::~TempBeside() {
    if (!temp_.isEmpty() && !committed_)
        ::unlink(QFile::encodeName(temp_).constData());
}

std::optional<QString> TempBeside::commit(mode_t mode) {
    if (problem_)
        return problem_;
    const QByteArray temp = QFile::encodeName(temp_);
    const int fd = ::open(temp.constData(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return systemErrorText(errno);
    const bool synced = ::fchmod(fd, mode) == 0 && ::fsync(fd) == 0;
    const int error = errno;
    if (::close(fd) != 0 || !synced)
        return systemErrorText(synced ? errno : error);
    if (::rename(temp.constData(), QFile::encodeName(target_).constData()) != 0)
        return systemErrorText(errno);
    committed_ = true;
    syncFolderOf(target_);
    return std::nullopt;
}

std::optional<QString> replaceFile(const QString& path, const QByteArray& bytes) {
    QString problem;
    const auto mode = replacementMode(path, 0600, &problem);
    if (!mode)
        return problem;
    TempBeside temp(path);
    if (temp.problem())
        return temp.problem();
    const int fd =
        ::open(QFile::encodeName(temp.path()).constData(), O_WRONLY | O_TRUNC | O_CLOEXEC);
    if (fd < 0)
        return systemErrorText(errno);
    int error = writeAll(fd, bytes.constData(), bytes.size());
    if (error == 0 && ::fsync(fd) != 0)
        error = errno;
    if (::close(fd) != 0 && error == 0)
        error = errno;
    if (error != 0)
        return systemErrorText(error);
    return temp.commit(*mode);
}

} // namespace brelune
