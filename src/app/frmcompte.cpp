#include "app/frmcompte.h"

#include "app/data_files.h"
#include "reconcile/pointage.h"
#include "register/register_view.h"

#include <QMenu>
#include <QMenuBar>

namespace brelune {

namespace {

const QString kDesignCaption = QStringLiteral("BRELUNE");

QAction* addItem(QMenu* menu, const char* name, const QString& caption) {
    QAction* action = menu->addAction(caption);
    action->setObjectName(QString::fromUtf8(name));
    return action;
}

void addSeparator(QMenu* menu, const char* name) {
    QAction* separator = menu->addSeparator();
    separator->setObjectName(QString::fromUtf8(name));
    separator->setText(QStringLiteral("-"));
}

} // namespace

Frmcompte::Frmcompte(RunContext& context) : ctx_(context) {
    setObjectName(QStringLiteral("Frmcompte"));
    setWindowTitle(kDesignCaption);
    view_ = new RegisterView(ctx_, this);
    setCentralWidget(view_);
    connect(view_, &RegisterView::reloadRequested, this, &Frmcompte::reload);
    buildMenus();
    resize(640, 480);
}

void Frmcompte::buildMenus() {
    QMenu* fichier = menuBar()->addMenu(QStringLiteral("Fichier"));
    fichier->setObjectName(QStringLiteral("menu"));
    connect(addItem(fichier, "Sréel", QStringLiteral("Modif solde réel")), &QAction::triggered,
            view_, &RegisterView::Sreel_Click);
    connect(addItem(fichier, "Sbanc", QStringLiteral("Modif solde bancaire")), &QAction::triggered,
            view_, &RegisterView::Sbanc_Click);
    addSeparator(fichier, "tr");
    addItem(fichier, "inprim", QStringLiteral("Impression"));
    addSeparator(fichier, "trait");
    connect(addItem(fichier, "quit", QStringLiteral("Quitter")), &QAction::triggered, this,
            &Frmcompte::quit_Click);

    QMenu* util = menuBar()->addMenu(QStringLiteral("Utilitaire"));
    util->setObjectName(QStringLiteral("util"));
    connect(addItem(util, "poin", QStringLiteral("Pointage")), &QAction::triggered, this,
            &Frmcompte::poin_Click);
    connect(addItem(util, "Suppress", QStringLiteral("Suppression")), &QAction::triggered, view_,
            &RegisterView::Suppress_Click);
    addSeparator(util, "trait1");
    addItem(util, "mencomptventil", QStringLiteral("Ventilation"));

    QMenu* help = menuBar()->addMenu(QStringLiteral("?"));
    help->setObjectName(QStringLiteral("Comment"));
    addItem(help, "helpp", QStringLiteral("aide"));
    addItem(help, "cesqui", QStringLiteral("A propos"));
}

bool Frmcompte::Form_Load() {
    if (!ctx_.filesLocated) {
        if (!cherche_base(ctx_) || !cherche_ini(ctx_))
            return false;
        ctx_.filesLocated = true;
    }
    view_->resetInputs();
    setWindowTitle(kDesignCaption + QString(32, QLatin1Char(' ')) +
                   ctx_.locale.formatDate(ctx_.clock.today()));
    view_->load_compte();
    return true;
}

void Frmcompte::reload() {
    Form_Load();
    show();
}

void Frmcompte::quit_Click() {
    if (ctx_.endProgram)
        ctx_.endProgram();
}

// The reconciliation window takes this window's place; leaving it loads this
// window again, so that the register shows what was marked.
void Frmcompte::poin_Click() {
    hide();
    auto* pointage = new Pointage(ctx_);
    connect(pointage, &Pointage::leaving, this, &Frmcompte::reload);
    pointage->Form_Load();
}

} // namespace brelune
