// Frmcompte, the main window: the frame with its menu bar around the
// register view. Loading it is starting the program; it is loaded again
// after a balance change, a deletion or a reconciliation visit.
#pragma once

#include "platform/run_context.h"

#include <QMainWindow>
#include <QPointer>
#include <memory>

namespace brelune {

class RegisterView;
class Ventilation;
class Dialog;

class Frmcompte : public QMainWindow {
    Q_OBJECT
public:
    explicit Frmcompte(RunContext& context);
    ~Frmcompte() override;

    // Runs the load sequence: on the first load of a run, the search for the
    // two data files. False when the user declined and the program must end.
    bool Form_Load();

    RegisterView* registerView() const { return view_; }
    Ventilation* ventilation() const { return ventilation_.get(); }

public slots:
    void quit_Click();
    void poin_Click();
    void releve_Click();
    void mencomptventil_Click();
    void inprim_Click();
    void exporte_Click();
    void restaure_Click();
    void helpp_Click();
    void cesqui_Click();

private:
    void buildMenus();
    // Loads the window again (without the file search) and shows it.
    void reload();

    RunContext& ctx_;
    RegisterView* view_ = nullptr;
    // Made at its first opening and kept for the run.
    std::unique_ptr<Ventilation> ventilation_;
    // The about window while it is open: never two of them.
    QPointer<Dialog> about_;
};

} // namespace brelune
