// ventilation, the allocation window: the ten spending categories as option
// buttons, an amount to allot to the chosen one, a new name for it, and the
// summary of every category's total and age. It takes the main window's
// place while it is open. The object lives for the whole run, so that the
// chosen category (num_ventil) is kept from one opening to the next; each
// opening builds the rest afresh from ptconte.ini.
#pragma once

#include "platform/run_context.h"

#include <QMainWindow>
#include <array>
#include <vector>

class QButtonGroup;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;

namespace brelune {

struct VentilRefusal;

class Ventilation : public QMainWindow {
    Q_OBJECT
public:
    explicit Ventilation(RunContext& context, QWidget* parent = nullptr);

    // Opens the window: the option buttons from the names, the summary, the
    // window fitted around it, shown with the focus in Text1.
    void Form_Load();
    int num_ventil() const { return num_ventil_; }

public slots:
    void Option1_Click(int index);
    void Command1_Click();
    void Command2_Click();
    void menimprim_Click();
    void mnquit_Click();

signals:
    // The window has closed, by "Quitter" or its close box.
    void closed();

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void buildControls();
    void buildMenu();
    void setToolTips();
    // The buttons from the file; why the file cannot be read, if it cannot.
    std::optional<VentilRefusal> load_ventil();
    // Rebuilds the summary from the file and fits the window around it.
    void stat();
    void Text1_KeyPress(int& key);
    void tell(const VentilRefusal& refusal);
    void setCaption(int i, const QString& name);
    QString chosenCaption();

    RunContext& ctx_;
    qint16 num_ventil_ = 0;
    QWidget* client_ = nullptr;
    QGroupBox* frame1_ = nullptr;
    QGroupBox* frame2_ = nullptr;
    QGroupBox* frame3_ = nullptr;
    QButtonGroup* options_ = nullptr;
    std::vector<QRadioButton*> option1_;
    QLabel* label1_ = nullptr;
    QLineEdit* text1_ = nullptr;
    QPushButton* command1_ = nullptr;
    QLabel* label2_ = nullptr;
    QLineEdit* text2_ = nullptr;
    QPushButton* command2_ = nullptr;
    QLabel* label3_ = nullptr;
    std::array<QLabel*, 3> image1_{};
};

} // namespace brelune
