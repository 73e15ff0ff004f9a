// Window measures are given in twips (1440 to the inch); this turns them into
// pixels at the screen's logical resolution.
#pragma once

#include <QRect>

namespace brelune {

int twips(int value);
QRect twipsRect(int left, int top, int width, int height);

} // namespace brelune
