#include "register/register_view.h"

#include "input/key_filter.h"
#include "platform/look.h"
#include "register/balance_strip.h"
#include "register/line_list.h"
#include "register/register_line.h"

#include <QBoxLayout>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QPushButton>
#include <memory>

namespace brelune {

namespace {

// The decorative strip between the input line and the register, wider than
// the window: rolling stones on a grey band.
QPixmap stonesStrip() {
    QPixmap strip(1600, 18);
    strip.fill(QColor(150, 150, 150));
    QPainter p(&strip);
    p.setRenderHint(QPainter::Antialiasing);
    for (int x = 4, i = 0; x < strip.width(); x += 22, ++i) {
        const int shade = 90 + (i * 37) % 90;
        p.setBrush(QColor(shade, shade - 10, shade - 20));
        p.setPen(Qt::NoPen);
        p.drawEllipse(QRectF(x, 2 + (i % 3), 16 - (i % 4), 13 - (i % 3)));
    }
    return strip;
}

} // namespace

RegisterView::RegisterView(RunContext& context, QWidget* parent) : QWidget(parent), ctx_(context) {
    buildControls();
    resetInputs();
}

void RegisterView::buildControls() {
    label5_ = new QLabel(QStringLiteral("Date") + QString(26, QLatin1Char(' ')) +
                             QStringLiteral("Montant") + QString(20, QLatin1Char(' ')) +
                             QStringLiteral("Payement"),
                         this);
    label5_->setObjectName(QStringLiteral("Label5"));
    // A fixed pitch, so that the three column names stand over the three
    // input controls below them.
    QFont header(QStringLiteral("Courier New"));
    header.setStyleHint(QFont::TypeWriter);
    label5_->setFont(header);

    combo1_ = new QComboBox(this);
    combo1_->setObjectName(QStringLiteral("Combo1"));
    combo1_->setAccessibleName(QStringLiteral("Date"));
    combo1_->setEditable(true);
    combo1_->setInsertPolicy(QComboBox::NoInsert);
    combo1_->setCompleter(nullptr); // what is typed is what is stored
    combo1_->setToolTip(QStringLiteral("Champ de date : ne changer pas le format !"));

    text1_ = new QLineEdit(this);
    text1_->setObjectName(QStringLiteral("Text1"));
    text1_->setAccessibleName(QStringLiteral("Montant"));
    text1_->setToolTip(QStringLiteral(
        "Champ de montant : ne tapez que des chiffres. Séparateur décimal : le POINT"));
    new AmountBoxFilter(text1_, [this](int& key) { Text1_KeyPress(key); });

    combo2_ = new QComboBox(this);
    combo2_->setObjectName(QStringLiteral("Combo2"));
    combo2_->setAccessibleName(QStringLiteral("Payement"));
    combo2_->setEditable(true);
    combo2_->setInsertPolicy(QComboBox::NoInsert);
    combo2_->setCompleter(nullptr); // "RE" must not become "Rent", money coming in
    combo2_->setToolTip(QStringLiteral("Champ payement : entrez ce que vous voulez sauf pour les "
                                       "rentrées d'argent utilisez : Rent"));

    command1_ = new QPushButton(QStringLiteral(" Enregistrer"), this);
    command1_->setObjectName(QStringLiteral("Command1"));
    command1_->setToolTip(QStringLiteral("Cliquez pour enregistrer votre opération"));
    connect(command1_, &QPushButton::clicked, this, &RegisterView::Command1_Click);
    pressedByEnter(command1_);

    image3_ = new QLabel(this);
    image3_->setObjectName(QStringLiteral("Image3"));
    image3_->setPixmap(stonesStrip());
    image3_->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    image3_->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Fixed);
    image3_->setToolTip(QStringLiteral("Pierre qui roule n'ammasse pas mousse"));

    list1_ = new LineList(this);
    list1_->setObjectName(QStringLiteral("List1"));
    list1_->setAccessibleName(QStringLiteral("Opérations en cours"));
    list1_->setFont(QFont(QStringLiteral("Arial")));
    list1_->setToolTip(QStringLiteral("Champs de la base de données."));
    connect(list1_, &LineList::lineSelected, this, &RegisterView::List1_Click);

    strip_ = new BalanceStrip(this);

    // The input controls start where their column names start in Label5.
    const QFontMetrics metrics(label5_->font());
    const QString headerText = label5_->text();
    const int amountLeft =
        metrics.horizontalAdvance(headerText.left(headerText.indexOf("Montant")));
    const int paymentLeft =
        metrics.horizontalAdvance(headerText.left(headerText.indexOf("Payement")));
    constexpr int kGap = 8;
    combo1_->setFixedWidth(amountLeft - kGap);
    text1_->setFixedWidth(paymentLeft - amountLeft - kGap);
    command1_->setFixedWidth(text1_->width());

    auto* inputs = new QHBoxLayout;
    inputs->setSpacing(kGap);
    inputs->addWidget(combo1_);
    inputs->addWidget(text1_);
    inputs->addWidget(combo2_, 1);
    auto* button = new QHBoxLayout;
    button->addSpacing(amountLeft);
    button->addWidget(command1_);
    button->addStretch(1);

    auto* column = new QVBoxLayout(this);
    column->setContentsMargins(0, 6, 0, 0);
    column->addWidget(label5_);
    column->addLayout(inputs);
    column->addLayout(button);
    column->addWidget(image3_);
    column->addWidget(list1_, 1);
    column->addWidget(strip_);
}

void RegisterView::resetInputs() {
    const QSignalBlocker quietDates(combo1_);
    const QSignalBlocker quietPayments(combo2_);
    combo1_->clear();
    QStringList dates;
    const QDate today = ctx_.clock.today();
    for (int i = 0; i <= 15; ++i)
        dates << ctx_.locale.formatDate(today.addDays(-i));
    combo1_->addItems(dates);
    combo2_->clear();
    combo2_->addItems({QStringLiteral("CB"), QStringLiteral("Ch"), QStringLiteral("Prél"),
                       QStringLiteral("Tip"), QStringLiteral("Rent"), QStringLiteral("RET")});
    resetInputLine();
    leaveDeleteMode();
    strip_->reset();
}

void RegisterView::resetInputLine() {
    text1_->clear();
    combo2_->setCurrentIndex(-1);
    combo2_->setEditText(kPaymentPlaceholder);
    combo1_->setCurrentIndex(-1);
    combo1_->setEditText(kDatePlaceholder);
}

void RegisterView::leaveDeleteMode() {
    mode_liste_.clear();
    found_.clear();
}

void RegisterView::load_compte() {
    // The list is about to show the whole register: its lines no longer
    // stand for the operations of a search.
    leaveDeleteMode();
    RegisterData data;
    try {
        data = AccountDb(ctx_.chemin_base).readRegister();
        readable_ = true;
    } catch (const AccountDbError& e) {
        readable_ = false;
        list1_->setLines({});
        strip_->showMessage(QStringLiteral("Comptes illisibles"), true); // no stale verdict
        ctx_.showDbProblem(e, false);
        return;
    }

    // The lines are built as they come into view: a book of a million
    // operations costs its reading, not a million texts.
    const auto operations = std::make_shared<const OperationTable>(std::move(data.operations));
    if (operations->empty())
        list1_->setLines({emptyRegisterLine()});
    else
        list1_->setLines(qsizetype(operations->size()), [operations, this](qsizetype i) {
            return registerLine(operations->at(std::size_t(i)), ctx_.locale);
        });

    if (!data.soldes) {
        strip_->showMessage(QStringLiteral("Pas d'enregistrement"), false);
        return;
    }
    const Verdict verdict = balanceVerdict(*operations, *data.soldes);
    strip_->showBalances(*data.soldes, verdict, ctx_.locale);
    if (verdict == Verdict::Faux)
        ctx_.dialogs.message(QStringLiteral("Il y a une erreur dans les comptes"),
                             QStringLiteral("Attention"), Icon::Critical, Buttons::Ok);
}

// A book found unreadable at the last load (damaged, or holding what is no
// amount) takes no new write until it reads again: a write could succeed
// beside the damage while the user has been told the book cannot be used.
bool RegisterView::bookReadable() {
    if (!readable_)
        load_compte(); // says again why, if it still cannot be read
    return readable_;
}

} // namespace brelune
