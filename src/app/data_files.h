// The start-up search for the two data files in the program folder: the
// account database (cherche_base, creationbase) and the configuration file
// (cherche_ini, creationini). Each returns false when the user declined both
// to find and to create its file: the program then ends.
#pragma once

#include "platform/run_context.h"

#include <QString>
#include <optional>

namespace brelune {

bool cherche_base(RunContext& ctx);
bool cherche_ini(RunContext& ctx);

// Each gives the reason of a failure, or nothing when the file was written.
std::optional<QString> creationbase(RunContext& ctx);
std::optional<QString> creationini(const RunContext& ctx);

// True when dir holds a file stored under exactly this name, letter case
// included.
bool folderHolds(const QString& dir, const QString& name);

} // namespace brelune
