#include "input/key_filter.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QInputMethodEvent>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMouseEvent>

namespace brelune {

bool verif_Key(int key) {
    return key == 8 || key == ',' || key == '-' || key == '.' || (key >= '0' && key <= '9');
}

AmountBoxFilter::AmountBoxFilter(QLineEdit* box, std::function<void(int&)> keyPress)
    : QObject(box), keyPress_(std::move(keyPress)) {
    box->installEventFilter(this);
    box->setContextMenuPolicy(Qt::NoContextMenu);
    box->setAcceptDrops(false);
}

bool AmountBoxFilter::eventFilter(QObject* /*watched*/, QEvent* event) {
    if (event->type() == QEvent::InputMethod) // text composed by an input method
        return !typed(static_cast<QInputMethodEvent*>(event)->commitString());
    // A middle click pastes the X11 selection: it passes the filter too.
    if (event->type() == QEvent::MouseButtonRelease &&
        static_cast<QMouseEvent*>(event)->button() == Qt::MiddleButton)
        return !typed(QGuiApplication::clipboard()->text(QClipboard::Selection));
    if (event->type() != QEvent::KeyPress)
        return false;
    const auto* key = static_cast<QKeyEvent*>(event);
    if (key->matches(QKeySequence::Paste))
        return !typed(QGuiApplication::clipboard()->text());
    const QString text = key->text();
    // Moving the focus, deleting and the editing shortcuts (Ctrl+A, Ctrl+C)
    // type no character; every other key is a typed character, AltGr ones
    // (Ctrl+Alt on some systems) included.
    const auto modifiers = key->modifiers();
    const bool shortcut =
        (modifiers & (Qt::ControlModifier | Qt::MetaModifier)) && !(modifiers & Qt::AltModifier);
    if (text.isEmpty() || shortcut || key->key() == Qt::Key_Tab || key->key() == Qt::Key_Backtab ||
        key->key() == Qt::Key_Delete)
        return false;
    return !typed(text);
}

bool AmountBoxFilter::typed(const QString& text) {
    for (const char32_t c : text.toUcs4()) {
        int code = int(c);
        keyPress_(code);
        if (code == 0)
            return false;
    }
    return true;
}

} // namespace brelune
