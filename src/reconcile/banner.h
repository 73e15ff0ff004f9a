// The decorative banner of the reconciliation window, drawn at run time:
// 864 x 32 pixels in 24-bit colour, meant to be stretched to its frame.
#pragma once

#include <QImage>

namespace brelune {

QImage pointageBanner();

} // namespace brelune
