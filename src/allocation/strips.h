// The three decorative strips of the allocation window (864 x 32 each),
// drawn at run time: an idea that will not stay still, a life worth living,
// rain before the fine weather.
#pragma once

#include <QImage>

namespace brelune {

QImage ventilationStrip(int k);

} // namespace brelune
