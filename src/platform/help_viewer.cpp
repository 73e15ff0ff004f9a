#include "platform/help_viewer.h"

#include "platform/look.h"

#include <QFile>
#include <QTextBrowser>
#include <QUrl>

namespace brelune {

QtHelpViewer::~QtHelpViewer() {
    delete window_;
}

void QtHelpViewer::showHelp(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return; // no help file, no word about it
    if (!window_) {
        window_ = new QTextBrowser;
        window_->setObjectName(QStringLiteral("aide"));
        window_->setWindowTitle(QStringLiteral("BRELUNE - Aide"));
        window_->setAttribute(Qt::WA_DeleteOnClose);
        window_->resize(720, 560);
        closedByEscape(window_);
    }
    if (shown_ != path || window_->document()->isEmpty()) {
        window_->setHtml(QString::fromUtf8(file.readAll()));
        shown_ = path;
    }
    window_->show();
    window_->raise();
    window_->activateWindow();
}

} // namespace brelune
