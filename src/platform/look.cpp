#include "platform/look.h"

#include <QAbstractButton>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QMenu>
#include <QScreen>
#include <QWidget>
#include <algorithm>
#include <functional>
#include <vector>

namespace brelune {

namespace {

// Watches one widget for the keys it stands for, takes them, and acts once a
// press (a held key does not repeat the action).
class KeyAction : public QObject {
public:
    KeyAction(QWidget* widget, std::initializer_list<int> keys, std::function<void()> action)
        : QObject(widget), keys_(keys), action_(std::move(action)) {
        widget->installEventFilter(this);
    }

protected:
    bool eventFilter(QObject* /*watched*/, QEvent* event) override {
        if (event->type() != QEvent::KeyPress)
            return false;
        const auto* key = static_cast<QKeyEvent*>(event);
        if (std::find(keys_.begin(), keys_.end(), key->key()) == keys_.end())
            return false;
        if (!key->isAutoRepeat())
            action_();
        return true;
    }

private:
    std::vector<int> keys_;
    std::function<void()> action_;
};

} // namespace

void paint(QWidget* widget, QPalette::ColorRole role, const QColor& colour) {
    QPalette palette = widget->palette();
    palette.setColor(role, colour);
    widget->setPalette(palette);
}

void centreOnScreen(QWidget* window) {
    const QScreen* screen = QGuiApplication::primaryScreen();
    if (!screen)
        return;
    QRect frame = window->frameGeometry();
    frame.moveCenter(screen->availableGeometry().center());
    window->move(frame.topLeft());
}

QAction* addMenuItem(QMenu* menu, const char* name, const QString& caption,
                     const QKeySequence& shortcut) {
    QAction* action = menu->addAction(caption);
    action->setObjectName(QString::fromUtf8(name));
    action->setShortcut(shortcut);
    return action;
}

void addMenuSeparator(QMenu* menu, const char* name) {
    QAction* separator = menu->addSeparator();
    separator->setObjectName(QString::fromUtf8(name));
}

void pressedByEnter(QAbstractButton* button) {
    new KeyAction(button, {Qt::Key_Return, Qt::Key_Enter}, [button] { button->click(); });
}

// An Escape that no control of the window took reaches the window.
void closedByEscape(QWidget* window) {
    new KeyAction(window, {Qt::Key_Escape}, [window] { window->close(); });
}

} // namespace brelune
