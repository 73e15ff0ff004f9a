// Where a run keeps its two data files and finds its help. The program's own
// folder serves when files can be made in it and it is not an installed copy;
// otherwise each user has a folder of their own, $XDG_DATA_HOME/BRELUNE (else
// ~/.local/share/BRELUNE). `--dossier CHEMIN` names the folder outright, for
// a book kept on a USB key for example.
#pragma once

#include "platform/dialogs.h"

#include <QString>
#include <QStringList>
#include <memory>
#include <optional>

namespace brelune {

struct FolderInputs {
    QString programDir;    // the folder of the executable
    bool programDirServes; // files can be made in it, and it is not an installed copy
    QString dossier;       // the --dossier option's absolute path; empty when not given
    QString xdgDataHome;   // the environment's XDG_DATA_HOME, perhaps empty or relative
    QString home;          // the user's home folder
};

QString chooseDataFolder(const FolderInputs& in);

// Nothing when a file can be created in dir, else the reason in French. Tried
// for real: access rights alone mislead on read-only disks and for root.
std::optional<QString> cannotWriteIn(const QString& dir);

// Creates folder when it is missing (with the folders above it if withParents)
// and checks that files can be made in it; else the message that tells the
// user why not.
std::optional<QString> prepareDataFolder(const QString& folder, bool withParents);

// brelune.hlp beside the program; for an installed copy, in its data folder.
QString helpFileFor(const QString& programDir);

struct StartFolders {
    QString dataDir;  // where PTcomptes.mdb and ptconte.ini are looked for
    QString helpFile; // brelune.hlp
    QString problem;  // when not empty, the message to show before the run ends
};

// What the command line (the program's name first) asks before any window
// or display: the usage (--help), the version (--version) or, for an unknown
// long option, the usage as a refusal; the text, where it goes and the exit
// status. Nothing when the program is to start.
struct CommandLineAnswer {
    QString text;
    bool toStandardOutput;
    int status;
};
std::optional<CommandLineAnswer> commandLineAnswer(const QStringList& args);

// From the command line (the program's name first), the environment and the
// program's folder; the data folder made ready.
StartFolders startFolders(const QStringList& args, const QString& programDir);

// A folder path longer than this (in bytes) leaves the database engine no room
// for the files it makes beside the book.
constexpr qsizetype kFolderPathLimit = 400;

// The system's lock on a data folder, held while the object lives. It ends
// with the process however the process ends, and takes no room on the disk.
class FolderLock {
public:
    explicit FolderLock(int fd) : fd_(fd) {}
    ~FolderLock();
    FolderLock(const FolderLock&) = delete;
    FolderLock& operator=(const FolderLock&) = delete;

private:
    int fd_;
};

// Holds the data folder for the run: one BRELUNE at a time keeps a book. When
// another running copy holds it, the user is told and nothing comes back: the
// run must end. A folder whose file system keeps no locks gives an empty lock.
std::optional<std::unique_ptr<FolderLock>> lockDataFolder(const QString& folder, Dialogs& dialogs);

// Shows the start's problem, if any; true when the run can go on.
bool startCanGoOn(const StartFolders& start, Dialogs& dialogs);

} // namespace brelune
