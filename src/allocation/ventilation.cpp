#include "allocation/ventilation.h"

#include "allocation/strips.h"
#include "allocation/ventil_store.h"
#include "input/amount_reading.h"
#include "input/key_filter.h"
#include "platform/look.h"
#include "platform/twips.h"
#include "reports/report_text.h"

#include <QButtonGroup>
#include <QCloseEvent>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QPushButton>
#include <QRadioButton>

namespace brelune {

namespace {

const QString kAmountCaption = QStringLiteral("Montant à ventiller");
const QString kOptionTip = QStringLiteral("Cliquez sur une des options que vous avez définie");
constexpr int kOptionHeight = 255;
// The frame of the option buttons: ten buttons and a margin.
const int kFrame1Height = int((kOptionHeight + 5) * 11.3);

template <typename W> W* make(QWidget* parent, const QString& name, QRect geometry) {
    auto* widget = new W(parent);
    widget->setObjectName(name);
    widget->setGeometry(geometry);
    return widget;
}

QGroupBox* frame(QWidget* parent, const char* name, const QString& title, QRect geometry) {
    auto* box = make<QGroupBox>(parent, name, geometry);
    box->setTitle(title);
    box->setAutoFillBackground(true);
    paint(box, QPalette::Window, kLightYellow);
    return box;
}

QLineEdit* textBox(QWidget* parent, const char* name, QRect geometry) {
    auto* box = make<QLineEdit>(parent, name, geometry);
    paint(box, QPalette::Base, kLightCyan);
    return box;
}

QPushButton* button(QWidget* parent, const char* name, const QString& caption, QRect geometry) {
    auto* b = make<QPushButton>(parent, name, geometry);
    b->setText(caption);
    pressedByEnter(b); // when it has the focus; Enter in a box clicks nothing
    return b;
}

// Sizes a label to its text, the blanks that end its lines included (a label
// leaves them out, and the longest line would touch its border).
void fitWithTrailingBlanks(QLabel* label) {
    label->adjustSize();
    const QFontMetrics metrics(label->font());
    int whole = 0, trimmed = 0;
    for (QString line : label->text().split(u'\n')) {
        line.remove(u'\r');
        whole = std::max(whole, metrics.horizontalAdvance(line));
        while (line.endsWith(u' '))
            line.chop(1);
        trimmed = std::max(trimmed, metrics.horizontalAdvance(line));
    }
    label->resize(label->width() + whole - trimmed, label->height());
}

} // namespace

Ventilation::Ventilation(RunContext& context, QWidget* parent)
    : QMainWindow(parent), ctx_(context) {
    setObjectName(QStringLiteral("ventilation"));
    setWindowTitle(QStringLiteral("ventilation"));
    setWindowFlag(Qt::Window);
    paint(this, QPalette::Window, kLightYellow);
    // The frames are small: their texts need a small face to fit.
    setFont(QFont(QStringLiteral("Arial"), 8));
    buildControls();
    buildMenu();
}

void Ventilation::buildControls() {
    client_ = new QWidget(this);
    client_->setAutoFillBackground(true);
    setCentralWidget(client_);

    for (int k = 0; k < 3; ++k) {
        image1_[k] = make<QLabel>(client_, QStringLiteral("Image1_%1").arg(k), QRect());
        image1_[k]->setScaledContents(true);
        image1_[k]->setPixmap(QPixmap::fromImage(ventilationStrip(k)));
    }

    frame1_ = frame(client_, "Frame1", QStringLiteral("Ventillation"),
                    twipsRect(120, 0, 1455, kFrame1Height));
    options_ = new QButtonGroup(this);
    connect(options_, &QButtonGroup::idClicked, this, &Ventilation::Option1_Click);
    auto* first =
        make<QRadioButton>(frame1_, "Option1_0", twipsRect(120, 240, 1215, kOptionHeight));
    first->setAutoFillBackground(true);
    first->setBackgroundRole(QPalette::Window); // a button fills with its Button colour otherwise
    paint(first, QPalette::Window, kLightYellow);
    options_->addButton(first, 0);
    option1_.push_back(first);

    frame2_ = frame(client_, "Frame2", QStringLiteral("Montant"), twipsRect(1680, 360, 3255, 735));
    label1_ = make<QLabel>(frame2_, "Label1", twipsRect(0, 240, 975, 255));
    label1_->setText(QStringLiteral("  à ventiller :"));
    text1_ = textBox(frame2_, "Text1", twipsRect(960, 240, 975, 375));
    text1_->setAccessibleName(QStringLiteral("Montant à ventiler"));
    new AmountBoxFilter(text1_, [this](int& key) { Text1_KeyPress(key); });
    command1_ =
        button(frame2_, "Command1", QStringLiteral("C'est bon"), twipsRect(2040, 240, 1095, 375));
    connect(command1_, &QPushButton::clicked, this, &Ventilation::Command1_Click);

    frame3_ = frame(client_, "Frame3", QStringLiteral("Changement de NOM de ventilation"),
                    twipsRect(1680, 1440, 3255, 1215));
    label2_ = make<QLabel>(frame3_, "Label2", twipsRect(120, 240, 0, 0));
    text2_ = textBox(frame3_, "Text2", twipsRect(240, 720, 1815, 375));
    text2_->setAccessibleName(QStringLiteral("Nouveau nom de la ventilation"));
    command2_ = button(frame3_, "Command2", QStringLiteral("O.K."), twipsRect(2400, 720, 615, 375));
    connect(command2_, &QPushButton::clicked, this, &Ventilation::Command2_Click);

    label3_ = make<QLabel>(client_, "Label3", twipsRect(5040, 120, 0, 0));
    label3_->setAutoFillBackground(true);
    paint(label3_, QPalette::Window, kLightCyan);
    label3_->setFrameShape(QFrame::Box);
    label3_->setTextFormat(Qt::PlainText); // a name is never markup
    // A fixed pitch, so that the "_" fill ends every total in one column.
    QFont fixed(QStringLiteral("Courier New"), 8);
    fixed.setStyleHint(QFont::TypeWriter);
    label3_->setFont(fixed);
}

void Ventilation::buildMenu() {
    QMenu* fichier = menuBar()->addMenu(QStringLiteral("&Fichier"));
    fichier->setObjectName(QStringLiteral("mnfich"));
    connect(addMenuItem(fichier, "menu_aide", QStringLiteral("Aide"), kHelpKey),
            &QAction::triggered, this, [this] { showHelpFile(ctx_); });
    addMenuSeparator(fichier, "trait1");
    connect(addMenuItem(fichier, "menimprim", QStringLiteral("Imprimer"), kPrintKey),
            &QAction::triggered, this, &Ventilation::menimprim_Click);
    addMenuSeparator(fichier, "trait2");
    connect(addMenuItem(fichier, "mnquit", QStringLiteral("Quitter"), kQuitKey),
            &QAction::triggered, this, &Ventilation::mnquit_Click);
}

void Ventilation::setToolTips() {
    text1_->setToolTip(QStringLiteral("Entrez ici le montant à ventiller"));
    frame1_->setToolTip(kOptionTip);
    command1_->setToolTip(QStringLiteral("Confirmation de l'opération"));
    label3_->setToolTip(QStringLiteral("Vous avez dans ce cadre une liste du montant et du temps "
                                       "écoulé pour chaque ventilation"));
    text2_->setToolTip(QStringLiteral("Entrez ici le nouveau nom d'une ventilation"));
    command2_->setToolTip(QStringLiteral("Vous avez choisi une ventilation et tapez un nouveau nom "
                                         "alors confirmez-le avec ce bouton"));
    frame3_->setToolTip(
        QStringLiteral("Tout ce qui concerne la changement du texte d'une ventilation"));
    frame2_->setToolTip(QStringLiteral("tout ce qui concerne les montants à ventiler"));
    image1_[0]->setToolTip(QStringLiteral("Une idée ne peut etre fixe"));
    image1_[1]->setToolTip(
        QStringLiteral("Contrairement aux idées reçues : la vie vaut la peine d'etre vécue"));
    image1_[2]->setToolTip(QStringLiteral("De toute façon : Après la pluie vient le beau temps ! "
                                          "Mais pas pour tout le monde !!!"));
}

void Ventilation::Form_Load() {
    text1_->clear(); // what an earlier opening left typed is gone with it
    text2_->clear();
    const auto problem = load_ventil();
    stat(); // which also puts the summary in front and the strips behind
    label2_->setText(QStringLiteral("Sélectionner une ventilation\r\net entrer le nouveau texte, "
                                    "cliquer sur OK"));
    label2_->adjustSize();
    show();
    activateWindow();
    text1_->setFocus();
    setToolTips();
    if (problem)
        tell(*problem);
}

std::optional<VentilRefusal> Ventilation::load_ventil() {
    while (option1_.size() > 1) {
        delete option1_.back();
        option1_.pop_back();
    }
    std::optional<VentilRefusal> problem;
    const std::vector<VentilTexts> categories = read_ventil(ctx_, &problem);
    for (int i = 0; i < kVentilCount; ++i) {
        if (i != 0) {
            // A copy of element 0, 5 twips below the one before it.
            auto* option = make<QRadioButton>(
                frame1_, QStringLiteral("Option1_%1").arg(i),
                twipsRect(120, 240 + (kOptionHeight + 5) * i, 1215, kOptionHeight));
            option->setPalette(option1_[0]->palette());
            option->setAutoFillBackground(true);
            option->setBackgroundRole(QPalette::Window);
            option->show();
            options_->addButton(option, i);
            option1_.push_back(option);
        }
        setCaption(i, categories[std::size_t(i)].name);
        option1_[std::size_t(i)]->setToolTip(kOptionTip);
    }
    option1_[std::size_t(num_ventil_)]->setChecked(true);
    // The ten buttons are one stop of the tab order, before Text1: the chosen
    // one takes Tab, the arrows move within the group.
    for (QRadioButton* option : option1_)
        option->setFocusPolicy(option->isChecked() ? Qt::StrongFocus : Qt::ClickFocus);
    std::vector<QWidget*> order(option1_.begin(), option1_.end());
    order.insert(order.end(), {text1_, command1_, text2_, command2_});
    for (std::size_t i = 1; i < order.size(); ++i)
        setTabOrder(order[i - 1], order[i]);
    return problem;
}

void Ventilation::stat() {
    label3_->setText(statText(read_ventil(ctx_), ctx_.clock.today(), ctx_.locale));
    fitWithTrailingBlanks(label3_);
    const int width = label3_->x() + label3_->width() + twips(150);
    const int height =
        std::max(twips(kFrame1Height + 60), label3_->y() + label3_->height() + twips(60));
    client_->setFixedSize(width, height);
    setFixedSize(width, height + menuBar()->sizeHint().height());
    label3_->raise();
    for (int k = 0; k < 3; ++k) {
        static const int tops[3] = {120, 1200, 2640};
        image1_[k]->lower();
        image1_[k]->setGeometry(0, twips(tops[k]), width, twips(255));
    }
}

void Ventilation::Option1_Click(int index) {
    num_ventil_ = qint16(index);
}

// A button's caption is the name as it stands: an "&" in it is no shortcut mark.
void Ventilation::setCaption(int i, const QString& name) {
    option1_[std::size_t(i)]->setText(QString(name).replace(u'&', QStringLiteral("&&")));
}

// The chosen category's name as the file holds it now, which its button then
// shows too: the file may have changed since the window was opened.
QString Ventilation::chosenCaption() {
    const QString name = read_ventil(ctx_)[std::size_t(num_ventil_)].name;
    setCaption(num_ventil_, name);
    return name;
}

void Ventilation::tell(const VentilRefusal& refusal) {
    ctx_.dialogs.message(refusal.text, refusal.caption, refusal.icon, Buttons::Ok);
}

void Ventilation::Text1_KeyPress(int& key) {
    if (verif_Key(key))
        return;
    ctx_.dialogs.message(QStringLiteral("Seul les chiffres sont permis !"), kAmountCaption,
                         Icon::Exclamation, Buttons::Ok);
    key = 0;
}

void Ventilation::Command1_Click() {
    // The box shows the amount with a point while it is asked about.
    QString typed = text1_->text();
    if (const qsizetype comma = typed.indexOf(u','); comma >= 0) {
        typed[comma] = u'.';
        text1_->setText(typed);
    }
    const double amount = readAmount(typed).toDouble();
    if (amount == 0) {
        ctx_.dialogs.message(QStringLiteral("montant nul"), kAmountCaption, Icon::None,
                             Buttons::Ok);
        text1_->clear();
        return;
    }
    if (!writableTotal(amount)) {
        tell({QStringLiteral("Ce montant est trop grand pour être ventilé !"), kAmountCaption,
              Icon::Exclamation});
        text1_->clear();
        return;
    }
    if (const auto refusal = unreadableTotal(ctx_, num_ventil_)) { // before asking
        tell(*refusal);
        text1_->clear();
        return;
    }
    const QString question = QStringLiteral("Affecter : ") +
                             numberText(amount, ctx_.locale.decimal()) +
                             QStringLiteral(" € à la ventilation : ") + chosenCaption();
    if (ctx_.dialogs.message(question, QStringLiteral("confirmation"), Icon::None,
                             Buttons::YesNo) == Answer::Yes) {
        if (const auto refusal = add_ventil(ctx_, num_ventil_, amount))
            tell(*refusal);
        stat();
    }
    text1_->clear();
}

void Ventilation::Command2_Click() {
    const QString name = text2_->text();
    if (const auto problem = unreadableFile(ctx_)) { // before any question
        tell(*problem);
        text2_->clear();
        return;
    }
    if (!conformingName(ctx_, name)) {
        ctx_.dialogs.message(QStringLiteral("Texte de ventilation non conforme !"), QString(),
                             Icon::None, Buttons::Ok);
        text2_->clear();
        return;
    }
    const QString question = QStringLiteral("Affecter : ") + name +
                             QStringLiteral(" à la ventilation : ") + chosenCaption() +
                             QStringLiteral("\r\nAttention : toute modification entraine la remise "
                                            "à 0 du compte !");
    if (ctx_.dialogs.message(question, QStringLiteral("confirmation"), Icon::Exclamation,
                             Buttons::YesNo) == Answer::Yes) {
        const auto refusal = reset_ventil(ctx_, num_ventil_, name);
        if (refusal)
            tell(*refusal);
        stat();
        if (!refusal)
            setCaption(num_ventil_, name);
    }
    text2_->clear();
}

// The summary as the window last built it, under a dated header.
void Ventilation::menimprim_Click() {
    printReport(ctx_, allocationReportText(label3_->text(), ctx_.clock.today(), ctx_.locale), 5);
}

void Ventilation::mnquit_Click() {
    close();
}

void Ventilation::closeEvent(QCloseEvent* event) {
    event->accept();
    hide(); // first, so that the main window comes back in its place
    emit closed();
}

} // namespace brelune
