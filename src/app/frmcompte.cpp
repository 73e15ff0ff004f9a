#include "app/frmcompte.h"

#include "about/dialog.h"
#include "allocation/ventilation.h"
#include "app/data_files.h"
#include "backup/backups.h"
#include "backup/csv_export.h"
#include "backup/restore.h"
#include "platform/look.h"
#include "reconcile/pointage.h"
#include "register/register_view.h"
#include "reports/report_text.h"
#include "statements/releve.h"

#include <QMenu>
#include <QMenuBar>

namespace brelune {

namespace {

const QString kDesignCaption = QStringLiteral("BRELUNE");

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

Frmcompte::~Frmcompte() {
    delete about_; // a window of its own, owned here
}

void Frmcompte::buildMenus() {
    QMenu* fichier = menuBar()->addMenu(QStringLiteral("&Fichier"));
    fichier->setObjectName(QStringLiteral("menu"));
    connect(addMenuItem(fichier, "Sréel", QStringLiteral("Modif solde réel")), &QAction::triggered,
            view_, &RegisterView::Sreel_Click);
    connect(addMenuItem(fichier, "Sbanc", QStringLiteral("Modif solde bancaire")),
            &QAction::triggered, view_, &RegisterView::Sbanc_Click);
    addMenuSeparator(fichier, "tr");
    connect(addMenuItem(fichier, "inprim", QStringLiteral("Impression"), kPrintKey),
            &QAction::triggered, this, &Frmcompte::inprim_Click);
    connect(addMenuItem(fichier, "exporte", QStringLiteral("Exporter en CSV...")),
            &QAction::triggered, this, &Frmcompte::exporte_Click);
    connect(addMenuItem(fichier, "restaure", QStringLiteral("Restaurer une sauvegarde...")),
            &QAction::triggered, this, &Frmcompte::restaure_Click);
    addMenuSeparator(fichier, "trait");
    connect(addMenuItem(fichier, "quit", QStringLiteral("Quitter"), kQuitKey), &QAction::triggered,
            this, &Frmcompte::quit_Click);

    QMenu* util = menuBar()->addMenu(QStringLiteral("&Utilitaire"));
    util->setObjectName(QStringLiteral("util"));
    connect(addMenuItem(util, "poin", QStringLiteral("Pointage")), &QAction::triggered, this,
            &Frmcompte::poin_Click);
    connect(addMenuItem(util, "releve", QStringLiteral("Relevé bancaire...")), &QAction::triggered,
            this, &Frmcompte::releve_Click);
    connect(addMenuItem(util, "Suppress", QStringLiteral("Suppression")), &QAction::triggered,
            view_, &RegisterView::Suppress_Click);
    addMenuSeparator(util, "trait1");
    connect(addMenuItem(util, "mencomptventil", QStringLiteral("Ventilation")), &QAction::triggered,
            this, &Frmcompte::mencomptventil_Click);

    QMenu* help = menuBar()->addMenu(QStringLiteral("?"));
    help->setObjectName(QStringLiteral("Comment"));
    connect(addMenuItem(help, "helpp", QStringLiteral("aide"), kHelpKey), &QAction::triggered, this,
            &Frmcompte::helpp_Click);
    connect(addMenuItem(help, "cesqui", QStringLiteral("A propos")), &QAction::triggered, this,
            &Frmcompte::cesqui_Click);
}

bool Frmcompte::Form_Load() {
    if (!ctx_.filesLocated) {
        // A restore a crash cut short is finished before the files are used.
        if (const auto problem = finishRestore(ctx_)) {
            ctx_.dialogs.message(QStringLiteral("La restauration commencée n'a pas pu être "
                                                "terminée : %1.\r\nBRELUNE ne peut pas démarrer.")
                                     .arg(*problem),
                                 QStringLiteral("BRELUNE"), Icon::Critical, Buttons::Ok);
            return false;
        }
        if (!cherche_base(ctx_) || !cherche_ini(ctx_))
            return false;
        ctx_.filesLocated = true;
        // The first start of a day copies both files before any command.
        if (const QString problem = makeDailyBackup(ctx_); !problem.isEmpty())
            ctx_.dialogs.message(
                QStringLiteral("La sauvegarde du jour n'a pas pu être faite : %1.").arg(problem),
                QStringLiteral("BRELUNE"), Icon::Exclamation, Buttons::Ok);
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

// The statement window takes this window's place as the reconciliation
// window does, once a statement file has been read.
void Frmcompte::releve_Click() {
    auto chosen = Releve::chooseStatement(ctx_);
    if (!chosen)
        return;
    hide();
    auto* releve = new Releve(ctx_, chosen->first, std::move(chosen->second));
    connect(releve, &Releve::leaving, this, &Frmcompte::reload);
    releve->Form_Load();
}

// The allocation window hides this one while it is open; closing it shows
// this window again as it was, without a reload.
void Frmcompte::mencomptventil_Click() {
    if (!ventilation_) {
        // A window of its own, not a child of this hidden one: closing the
        // help or the about window beside it must not end the run.
        ventilation_ = std::make_unique<Ventilation>(ctx_);
        connect(ventilation_.get(), &Ventilation::closed, this, &QWidget::show);
    }
    hide();
    ventilation_->Form_Load();
}

void Frmcompte::inprim_Click() {
    if (auto data = ctx_.readBook()) // else nothing printed
        printAccountReport(ctx_, std::move(*data));
}

void Frmcompte::exporte_Click() {
    exportBookCsv(ctx_);
}

// The files replaced, the window shows the book restored.
void Frmcompte::restaure_Click() {
    if (brelune::restaure_Click(ctx_))
        Form_Load();
}

void Frmcompte::helpp_Click() {
    showHelpFile(ctx_);
}

// The about window opens beside this one and stays open, whichever window
// takes this one's place meanwhile; asked for again, it comes forward.
void Frmcompte::cesqui_Click() {
    if (!about_)
        about_ = new Dialog;
    about_->Form_Load();
}

} // namespace brelune
