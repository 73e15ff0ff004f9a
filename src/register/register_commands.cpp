// The commands of the register view arrive with the register commands work.
#include "register/register_view.h"

namespace brelune {

void RegisterView::Command1_Click() {}
void RegisterView::List1_Click() {}
void RegisterView::Suppress_Click() {}
void RegisterView::Sreel_Click() {}
void RegisterView::Sbanc_Click() {}
bool RegisterView::eventFilter(QObject* watched, QEvent* event) {
    return QWidget::eventFilter(watched, event);
}

} // namespace brelune
