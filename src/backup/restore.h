// Restoring a backup: both data files replaced by a backup's pair, the
// current pair saved first. The two files cannot be replaced in one rename,
// so the copies are made whole under temporary names, a note in the backup
// folder says which replace which, and then each is renamed in place; a
// start that finds the note finishes the work. After a crash the folder
// thus holds the old pair or the restored one, never one of each.
#pragma once

#include "backup/backups.h"
#include "platform/run_context.h"

#include <optional>

namespace brelune {

// Fichier > Restaurer une sauvegarde...: lists the backups, asks, restores.
// True when the files were replaced: the main window must load again.
bool restaure_Click(RunContext& ctx);

// The restore itself, without a question: saves the current pair as a
// backup stamped with the time, then puts the backup's pair in place. Why
// not, in French, when it could not; the current files are then as they were.
std::optional<QString> restoreFiles(const RunContext& ctx, const BookBackup& backup);

// Finishes a restore under way (one a crash cut short, at start-up, before
// the data files are used), or clears what one left before it began. Why
// not, when it could not: the files must then not be used.
std::optional<QString> finishRestore(const RunContext& ctx);

} // namespace brelune
