// HelpViewer: shows the program's help file; one viewer for the whole run.
#pragma once

#include <QString>

namespace brelune {

class HelpViewer {
public:
    virtual ~HelpViewer() = default;
    // Shows the file, or brings it forward when it is shown already. Every
    // failure is silent.
    virtual void showHelp(const QString& path) = 0;
};

} // namespace brelune
