// What the windows share of their look and feel: the light yellow of the
// side windows and the light cyan of their boxes, menu items named like
// controls, and the keys that press a button or close a window.
#pragma once

#include <QColor>
#include <QKeySequence>
#include <QPalette>
#include <QString>

class QAbstractButton;
class QAction;
class QMenu;
class QWidget;

namespace brelune {

inline const QColor kLightYellow(255, 255, 192);
inline const QColor kLightCyan(192, 255, 255);

void paint(QWidget* widget, QPalette::ColorRole role, const QColor& colour);

// The side windows' frame: a title and a close box, no minimise or maximise.
inline constexpr Qt::WindowFlags kSideWindowFlags = Qt::Window | Qt::CustomizeWindowHint |
                                                    Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                                                    Qt::WindowCloseButtonHint;
// The whole window, frame included, in the middle of the screen.
void centreOnScreen(QWidget* window);

// A menu item or separator with the object name the handlers and tests know
// it by; a separator is drawn as a line.
QAction* addMenuItem(QMenu* menu, const char* name, const QString& caption,
                     const QKeySequence& shortcut = {});
// The usual keys: Ctrl+P prints, Ctrl+Q quits, F1 shows the help.
inline const QKeySequence kPrintKey(Qt::CTRL | Qt::Key_P);
inline const QKeySequence kQuitKey(Qt::CTRL | Qt::Key_Q);
inline const QKeySequence kHelpKey(Qt::Key_F1);
void addMenuSeparator(QMenu* menu, const char* name);

// Enter and keypad Enter press the button while it has the focus, as Space
// does; it is no default button, so Enter elsewhere in its window leaves it be.
void pressedByEnter(QAbstractButton* button);
// Escape closes the window through the same path as its close box.
void closedByEscape(QWidget* window);

} // namespace brelune
