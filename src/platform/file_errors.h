// The reason a file could not be read, written or renamed, in French, for
// the messages that tell the user so.
#pragma once

#include <QFileDevice>
#include <QString>

namespace brelune {

QString fileErrorText(const QFileDevice& file);

} // namespace brelune
