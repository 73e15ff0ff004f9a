// HelpViewer: shows the program's help file; one viewer for the whole run.
#pragma once

#include <QPointer>
#include <QString>

class QTextBrowser;

namespace brelune {

class HelpViewer {
public:
    virtual ~HelpViewer() = default;
    // Shows the file, or brings it forward when it is shown already. Every
    // failure is silent.
    virtual void showHelp(const QString& path) = 0;
};

// One BRELUNE help window, an HTML browser, made at the first request.
class QtHelpViewer : public HelpViewer {
public:
    ~QtHelpViewer() override;
    void showHelp(const QString& path) override;

private:
    QPointer<QTextBrowser> window_;
    QString shown_;
};

} // namespace brelune
