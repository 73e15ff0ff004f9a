// The day's backups of the two data files, in the folder "sauvegardes"
// beside them: PTcomptes-AAAA-MM-JJ.mdb (a consistent copy made by the
// engine) and ptconte-AAAA-MM-JJ.ini, for the ten most recent days.
#pragma once

#include "platform/run_context.h"

#include <QDate>
#include <QDateTime>
#include <QString>
#include <optional>
#include <vector>

namespace brelune {

constexpr int kBackupDays = 10;

// Reads a whole file: nothing when done, an empty text when there is no
// such file, else why, in French.
std::optional<QString> readWholeFile(const QString& path, QByteArray& bytes);

// The names of a backup made before a restore, at that moment.
QString backupBookName(const QDateTime& when);
QString backupIniName(const QDateTime& when);

// The folder of the backups, in the data folder.
QString backupFolder(const RunContext& ctx);

// One backup: the day's, or one made before a restore at a given time (its
// stamp then carries the time, "2026-12-07-101500").
struct BookBackup {
    QDate day;
    QString stamp;
    QString book; // the book's copy; the ini's may be missing
    QString ini;
};

// The backups in folder, newest first.
std::vector<BookBackup> listBackups(const QString& folder);

// Makes today's backup when there is none yet, then keeps the ten most
// recent days and removes the copies made before a restore on an earlier
// day; only files of those names are ever removed. A book that is no BRELUNE
// book is not copied (the main window says why). Empty when all went well,
// else why, in French, for the user.
QString makeDailyBackup(const RunContext& ctx);

} // namespace brelune
