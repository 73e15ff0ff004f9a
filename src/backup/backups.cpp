#include "backup/backups.h"

#include "platform/account_db.h"
#include "platform/safe_file.h"

#include <QDir>
#include <QFile>
#include <QRegularExpression>
#include <algorithm>
#include <cerrno>
#include <fcntl.h>
#include <set>
#include <sys/stat.h>
#include <unistd.h>

namespace brelune {

namespace {

const QRegularExpression kBackupName(
    QStringLiteral("^(PTcomptes|ptconte)-([0-9]{4}-[0-9]{2}-[0-9]{2})(-[0-9]{6})?\\.(mdb|ini)$"));

QString bookName(const QString& stamp) {
    return QStringLiteral("PTcomptes-%1.mdb").arg(stamp);
}
QString iniName(const QString& stamp) {
    return QStringLiteral("ptconte-%1.ini").arg(stamp);
}

// The folder, made for its user alone when missing; why not, else nothing.
std::optional<QString> makeFolder(const QString& folder) {
    if (::mkdir(QFile::encodeName(folder).constData(), 0700) != 0 && errno != EEXIST)
        return systemErrorText(errno);
    return std::nullopt;
}

} // namespace

std::optional<QString> readWholeFile(const QString& path, QByteArray& bytes) {
    const int fd = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return errno == ENOENT ? QString() : systemErrorText(errno);
    char buffer[65536];
    ssize_t n = 0;
    while ((n = ::read(fd, buffer, sizeof buffer)) > 0 || (n < 0 && errno == EINTR))
        bytes.append(buffer, std::max<ssize_t>(n, 0));
    const int error = errno;
    ::close(fd);
    if (n < 0)
        return systemErrorText(error);
    return std::nullopt;
}

QString backupBookName(const QDateTime& when) {
    return bookName(when.toString(QStringLiteral("yyyy-MM-dd-HHmmss")));
}
QString backupIniName(const QDateTime& when) {
    return iniName(when.toString(QStringLiteral("yyyy-MM-dd-HHmmss")));
}

QString backupFolder(const RunContext& ctx) {
    return ctx.programDir + QStringLiteral("/sauvegardes");
}

std::vector<BookBackup> listBackups(const QString& folder) {
    std::vector<BookBackup> out;
    for (const QString& name : QDir(folder).entryList(QDir::Files, QDir::Name)) {
        const auto m = kBackupName.match(name);
        if (!m.hasMatch() || m.captured(1) != QLatin1String("PTcomptes"))
            continue;
        const QString stamp = m.captured(2) + m.captured(3);
        const QDate day = QDate::fromString(m.captured(2), Qt::ISODate);
        if (day.isValid())
            out.push_back({day, stamp, folder + u'/' + name, folder + u'/' + iniName(stamp)});
    }
    std::sort(out.begin(), out.end(),
              [](const BookBackup& a, const BookBackup& b) { return a.stamp > b.stamp; });
    return out;
}

QString makeDailyBackup(const RunContext& ctx) {
    const QString folder = backupFolder(ctx);
    const QString today = ctx.clock.today().toString(Qt::ISODate);
    if (QFile::exists(folder + u'/' + bookName(today)))
        return {};
    try {
        AccountDb(ctx.chemin_base).verify();
    } catch (const AccountDbError&) {
        return {}; // the main window tells why the book cannot be used
    }
    if (const auto problem = makeFolder(folder))
        return *problem;
    // The ini first: the book's copy is what says the day is backed up.
    QByteArray ini;
    if (const auto problem = readWholeFile(ctx.iniPath(), ini); problem && !problem->isEmpty())
        return *problem;
    else if (!problem)
        if (const auto written = replaceFile(folder + u'/' + iniName(today), ini))
            return *written;
    try {
        AccountDb(ctx.chemin_base).backupTo(folder + u'/' + bookName(today));
    } catch (const AccountDbError& e) {
        return e.reason();
    }
    // The ten most recent days are kept; the copies made before a restore
    // only until the next day.
    std::set<QString, std::greater<>> days;
    const QStringList names = QDir(folder).entryList(QDir::Files);
    for (const QString& name : names)
        if (const auto m = kBackupName.match(name); m.hasMatch() && !m.hasCaptured(3))
            days.insert(m.captured(2));
    const QString oldestKept = days.size() > std::size_t(kBackupDays)
                                   ? *std::next(days.begin(), kBackupDays - 1)
                                   : QString();
    for (const QString& name : names) {
        const auto m = kBackupName.match(name);
        if (m.hasMatch() && (m.hasCaptured(3) ? m.captured(2) < today : m.captured(2) < oldestKept))
            QFile::remove(folder + u'/' + name);
    }
    return {};
}

} // namespace brelune
