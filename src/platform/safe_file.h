// Files written whole or not at all. The bytes go to a temporary file beside
// the target, made for its user alone; it is synced to the disk and then
// takes the target's place in one rename. Any failure leaves the target as it
// was, removes the temporary file and says why in French.
#pragma once

#include <QString>
#include <optional>
#include <sys/types.h>

namespace brelune {

// Why a file or folder could not be made, read or written, from the system's
// error number.
QString systemErrorText(int error);

// A temporary file beside target, which some other writer fills by its name
// (the PDF printer does) before commit() puts it in the target's place. The
// file is removed on destruction unless committed.
class TempBeside {
public:
    explicit TempBeside(const QString& target);
    ~TempBeside();
    TempBeside(const TempBeside&) = delete;
    TempBeside& operator=(const TempBeside&) = delete;

    // Why the temporary file could not be made; nothing when it was.
    const std::optional<QString>& problem() const { return problem_; }
    const QString& path() const { return temp_; }
    // Syncs the temporary file, gives it mode and renames it over the target.
    std::optional<QString> commit(mode_t mode);

private:
    QString target_;
    QString temp_;
    std::optional<QString> problem_;
    bool committed_ = false;
};

// Writes all of bytes to the open file; 0, or the first failure's error
// number (a write that takes nothing counts as a full disk).
int writeAll(int fd, const char* bytes, qsizetype size);

// The mode a file written over path takes: that of the file it replaces, or
// fresh when there is none. Nothing when path must not be replaced (a folder,
// a file the user may not write); the reason goes to problem.
std::optional<mode_t> replacementMode(const QString& path, mode_t fresh, QString* problem);

// Replaces path with bytes, or creates it. A new file is its user's alone
// (0600); a replaced one keeps its mode. A file the user may not write is
// refused, even where its folder would allow the rename.
std::optional<QString> replaceFile(const QString& path, const QByteArray& bytes);

// Makes the folder's entries of path (a rename, a new file) reach the disk.
void syncFolderOf(const QString& path);

// The mode a new file gets from the user's umask, as a plain open would give it.
mode_t umaskMode();

} // namespace brelune
