// What the windows share of their look: the light yellow of the side windows
// and the light cyan of their boxes, and menu items named like controls.
#pragma once

#include <QColor>
#include <QPalette>
#include <QString>

class QAction;
class QMenu;
class QWidget;

namespace brelune {

inline const QColor kLightYellow(255, 255, 192);
inline const QColor kLightCyan(192, 255, 255);

void paint(QWidget* widget, QPalette::ColorRole role, const QColor& colour);

// A menu item or separator with the object name the handlers and tests know
// it by; a separator's text is "-".
QAction* addMenuItem(QMenu* menu, const char* name, const QString& caption);
void addMenuSeparator(QMenu* menu, const char* name);

} // namespace brelune
