#include "platform/help_viewer.h"

#include "platform/look.h"

#include <QAccessibleWidget>
#include <QFile>
#include <QTextBrowser>
#include <QUrl>
#include <algorithm>

namespace brelune {

namespace {

// What a screen reader is told of the help window: a document to read, not a
// box to type in, its text given as a text control gives it.
class HelpDocument : public QAccessibleWidget, public QAccessibleTextInterface {
public:
    explicit HelpDocument(QTextBrowser* browser)
        : QAccessibleWidget(browser, QAccessible::Document), browser_(browser) {}

    void* interface_cast(QAccessible::InterfaceType type) override {
        if (type == QAccessible::TextInterface)
            return static_cast<QAccessibleTextInterface*>(this);
        return QAccessibleWidget::interface_cast(type);
    }
    QAccessible::State state() const override {
        QAccessible::State s = QAccessibleWidget::state();
        s.readOnly = s.multiLine = s.selectableText = true;
        return s;
    }

    int characterCount() const override { return browser_->document()->characterCount() - 1; }
    QString text(int start, int end) const override {
        return span(start, end).selectedText().replace(QChar::ParagraphSeparator, u'\n');
    }
    int cursorPosition() const override { return browser_->textCursor().position(); }
    void setCursorPosition(int position) override { setSelection(0, position, position); }
    int selectionCount() const override { return browser_->textCursor().hasSelection() ? 1 : 0; }
    void selection(int, int* start, int* end) const override {
        const QTextCursor c = browser_->textCursor();
        *start = c.hasSelection() ? c.selectionStart() : 0;
        *end = c.hasSelection() ? c.selectionEnd() : 0;
    }
    void setSelection(int, int start, int end) override {
        browser_->setTextCursor(span(start, end));
    }
    void addSelection(int start, int end) override { setSelection(0, start, end); }
    void removeSelection(int) override { setCursorPosition(cursorPosition()); }
    void scrollToSubstring(int start, int end) override {
        setSelection(0, start, end);
        browser_->ensureCursorVisible();
    }
    QRect characterRect(int offset) const override {
        const QRect r = browser_->cursorRect(span(offset, offset));
        return QRect(browser_->viewport()->mapToGlobal(r.topLeft()), r.size());
    }
    int offsetAtPoint(const QPoint& point) const override {
        return browser_->cursorForPosition(browser_->viewport()->mapFromGlobal(point)).position();
    }
    QString attributes(int offset, int* start, int* end) const override {
        *start = *end = offset; // no text attributes told
        return {};
    }

private:
    // The text from start to end, both kept within the document.
    QTextCursor span(int start, int end) const {
        QTextCursor c(browser_->document());
        c.setPosition(std::clamp(start, 0, characterCount()));
        c.setPosition(std::clamp(end, 0, characterCount()), QTextCursor::KeepAnchor);
        return c;
    }
    QTextBrowser* browser_;
};

QAccessibleInterface* helpDocument(const QString&, QObject* object) {
    auto* browser = qobject_cast<QTextBrowser*>(object);
    return browser && browser->objectName() == QLatin1String("aide") ? new HelpDocument(browser)
                                                                     : nullptr;
}

} // namespace

QtHelpViewer::~QtHelpViewer() {
    delete window_;
}

void QtHelpViewer::showHelp(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return; // no help file, no word about it
    if (!window_) {
        [[maybe_unused]] static const bool described =
            (QAccessible::installFactory(helpDocument), true);
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
