#include "reconcile/pointage.h"

#include "input/amount_reading.h"
#include "platform/look.h"
#include "platform/twips.h"
#include "reconcile/banner.h"
#include "reconcile/pointage_texts.h"
#include "register/line_list.h"
#include "register/register_line.h"

#include <QCloseEvent>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

namespace brelune {

namespace {

const QString kCaption = QStringLiteral("BRELUNE");

} // namespace

Pointage::Pointage(RunContext& context, QWidget* parent) : QWidget(parent), ctx_(context) {
    setObjectName(QStringLiteral("Pointage"));
    setWindowTitle(QStringLiteral("Pointage"));
    setWindowFlags(kSideWindowFlags);
    setAttribute(Qt::WA_DeleteOnClose);
    setFixedSize(twips(4680), twips(3210));
    setAutoFillBackground(true);
    paint(this, QPalette::Window, kLightYellow);
    // The control frames are small: their texts need a small face to fit.
    setFont(QFont(QStringLiteral("Arial"), 8));
    buildControls();
    closedByEscape(this);
}

void Pointage::buildControls() {
    label1_ = new QLabel(QStringLiteral("Recherche :"), this);
    label1_->setObjectName(QStringLiteral("Label1"));
    label1_->setGeometry(twipsRect(120, 360, 1335, 255));

    text1_ = new QLineEdit(this);
    text1_->setObjectName(QStringLiteral("Text1"));
    text1_->setAccessibleName(QStringLiteral("Montant recherché"));
    text1_->setGeometry(twipsRect(1080, 330, 1215, 285));
    paint(text1_, QPalette::Base, kLightCyan);
    text1_->installEventFilter(this);

    command1_ = new QPushButton(QStringLiteral("Lancer la recherche"), this);
    command1_->setObjectName(QStringLiteral("Command1"));
    command1_->setGeometry(twipsRect(2880, 240, 1695, 375));
    connect(command1_, &QPushButton::clicked, this, &Pointage::Command1_Click);
    pressedByEnter(command1_);

    image1_ = new QLabel(this);
    image1_->setObjectName(QStringLiteral("Image1"));
    image1_->setGeometry(twipsRect(-240, 840, 7500, 420));
    image1_->setScaledContents(true);
    image1_->setPixmap(QPixmap::fromImage(pointageBanner()));

    list1_ = new LineList(this);
    list1_->setObjectName(QStringLiteral("List1"));
    list1_->setAccessibleName(QStringLiteral("Opérations trouvées"));
    list1_->setGeometry(twipsRect(120, 1440, 4455, 1230));
    paint(list1_, QPalette::Base, kLightCyan);
    connect(list1_, &LineList::lineSelected, this, &Pointage::List1_Click);

    label2_ = new QLabel(this);
    label2_->setObjectName(QStringLiteral("Label2"));
    label2_->setGeometry(twipsRect(120, 2760, 2895, 375));
    label2_->setWordWrap(true);

    command2_ = new QPushButton(QStringLiteral("Sortir du Pointage"), this);
    command2_->setObjectName(QStringLiteral("Command2"));
    command2_->setGeometry(twipsRect(3120, 2760, 1455, 375));
    connect(command2_, &QPushButton::clicked, this, &Pointage::Command2_Click);
    pressedByEnter(command2_);
}

void Pointage::setToolTips() {
    text1_->setToolTip(QStringLiteral("Tapez ici le montant à pointer. Si vous tapez 'retour' vous "
                                      "lancerez la recherche"));
    command1_->setToolTip(QStringLiteral("Pour lancer la recherche"));
    image1_->setToolTip(QStringLiteral("TF1 c'est ça l'opium du peuple"));
    list1_->setToolTip(QStringLiteral(
        "Cette liste contiendra les sommes à pointer après que vous ayez lancé une recherche"));
    label2_->setToolTip(QStringLiteral("Les deux soldes en temps réel"));
    command2_->setToolTip(QStringLiteral("Quitter cette fenetre"));
}

void Pointage::Form_Load() {
    list1_->setLines({});
    requete_recherche_.clear();
    affiche_soldes();
    centreOnScreen(this);
    show();
    centreOnScreen(this); // again, now that the frame is known
    activateWindow();
    text1_->setFocus();
    setToolTips();
}

void Pointage::affiche_soldes() {
    try {
        label2_->setText(soldesCaption(AccountDb(ctx_.chemin_base).readSoldes(), ctx_.locale));
    } catch (const AccountDbError& e) {
        label2_->setText(QStringLiteral("Soldes illisibles"));
        ctx_.showDbProblem(e, false);
    }
}

void Pointage::Command1_Click() {
    const TypedAmount amount = readAmount(text1_->text());
    if (amount.isZero()) {
        ctx_.dialogs.message(QStringLiteral("Le montant en chiffre SVP"), kCaption,
                             Icon::Exclamation, Buttons::Ok);
        text1_->clear();
        return;
    }

    std::vector<Operation> found;
    try {
        found = operationsWithAmount(AccountDb(ctx_.chemin_base), amount);
    } catch (const AccountDbError& e) {
        // Unread is not absent: the amount may well be in the book.
        list1_->setLines({});
        requete_recherche_.clear();
        ctx_.showDbProblem(e, false);
        return;
    }

    QStringList lines;
    lines.reserve(qsizetype(found.size()));
    for (const Operation& op : found)
        lines << registerLineBody(op, ctx_.locale);
    list1_->setLines(lines);
    requete_recherche_ = std::move(found);

    if (requete_recherche_.empty()) {
        ctx_.dialogs.message(QStringLiteral("La recherche n'existe pas !"), kCaption, Icon::None,
                             Buttons::Ok);
        affiche_soldes();
    }
}

void Pointage::Text1_KeyDown(int key) {
    if (key == Qt::Key_Return || key == Qt::Key_Enter)
        Command1_Click();
}

bool Pointage::eventFilter(QObject* watched, QEvent* event) {
    if (watched == text1_ && event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent*>(event)->key();
        Text1_KeyDown(key);
        if (key == Qt::Key_Return || key == Qt::Key_Enter)
            return true;
    }
    return QWidget::eventFilter(watched, event);
}

void Pointage::List1_Click(int row) {
    if (row < 0 || std::size_t(row) >= requete_recherche_.size())
        return; // a line of a list that has been emptied since
    const Operation op = requete_recherche_[std::size_t(row)];
    requete_recherche_.clear(); // one click, one question, whatever the answer
    const Answer answer = ctx_.dialogs.message(markingQuestion(op, ctx_.locale),
                                               QStringLiteral("Opération de pointage"),
                                               Icon::Question, Buttons::YesNo);
    if (answer != Answer::Yes) {
        backToIdle();
        return;
    }
    try {
        AccountDb(ctx_.chemin_base).markOperation(op);
    } catch (const AccountDbError& e) {
        ctx_.showDbProblem(e, true);
        backToIdle();
        return;
    }
    backToIdle();
    affiche_soldes();
}

void Pointage::backToIdle() {
    list1_->setLines({});
    requete_recherche_.clear();
    text1_->clear();
    text1_->setFocus();
}

void Pointage::Command2_Click() {
    close();
}

void Pointage::closeEvent(QCloseEvent* event) {
    Form_QueryUnload();
    event->accept();
}

void Pointage::Form_QueryUnload() {
    if (leaving_)
        return;
    leaving_ = true;
    // Hidden first, so that the main window comes back in its place and is
    // never seen beside it.
    hide();
    emit leaving();
}

} // namespace brelune
