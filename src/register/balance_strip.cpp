#include "register/balance_strip.h"

#include <QResizeEvent>

namespace brelune {

BalanceStrip::BalanceStrip(QWidget* parent) : QWidget(parent) {
    setObjectName(QStringLiteral("Label1"));
    labels_.push_back(makeLabel(0));
    reset();
}

QLabel* BalanceStrip::makeLabel(int index) {
    auto* label = new QLabel(this);
    label->setObjectName(QStringLiteral("Label1_%1").arg(index));
    label->setFont(QFont(QStringLiteral("Arial")));
    label->setAlignment(Qt::AlignCenter);
    label->show();
    setFixedHeight(std::max(height(), label->sizeHint().height() + 6));
    return label;
}

void BalanceStrip::reset() {
    while (labels_.size() > 1) {
        delete labels_.back();
        labels_.pop_back();
    }
    labels_[0]->setText(QStringLiteral("Label1"));
    labels_[0]->setToolTip(QString());
    spanning_ = false;
    place();
}

void BalanceStrip::showMessage(const QString& caption, bool hideOthers) {
    labels_[0]->setText(caption);
    for (std::size_t i = 1; hideOthers && i < labels_.size(); ++i)
        labels_[i]->hide();
    spanning_ = true;
    place();
}

void BalanceStrip::showBalances(const Soldes& soldes, Verdict verdict, const Locale& locale) {
    while (labels_.size() < 5)
        labels_.push_back(makeLabel(int(labels_.size())));
    const QChar dec = locale.decimal();
    auto caption = [&](const std::optional<Money>& m) {
        return m ? m->eurosTight(dec) : QString();
    };
    auto francsTip = [&](const QString& prefix, const std::optional<Money>& m) {
        return prefix + (m ? francs(*m, dec) : QString());
    };
    labels_[0]->setText(QStringLiteral("Réel : "));
    labels_[1]->setText(caption(soldes.reel));
    labels_[1]->setToolTip(francsTip(QStringLiteral("Solde REEL en francs : "), soldes.reel));
    labels_[2]->setText(QStringLiteral("Bancaire : "));
    labels_[3]->setText(caption(soldes.bancaire));
    labels_[3]->setToolTip(
        francsTip(QStringLiteral("Solde BANCAIRE en francs : "), soldes.bancaire));
    const bool good = verdict == Verdict::Bon;
    labels_[4]->setText(good ? QStringLiteral("Bon") : QStringLiteral("Faux"));
    labels_[4]->setToolTip(good ? QStringLiteral("Les comptes sont bons")
                                : QStringLiteral("Les comptes sont faux, attention"));
    for (QLabel* label : labels_)
        label->show();
    spanning_ = false;
    place();
}

void BalanceStrip::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    place();
}

// Widths: one eighth, one quarter, one fifth, one quarter, and the rest.
void BalanceStrip::place() {
    const int w = width();
    const int h = height();
    if (spanning_ || labels_.size() < 5) {
        labels_[0]->setGeometry(0, 0, spanning_ ? w : w / 8, h);
        return;
    }
    const int widths[4] = {w / 8, w / 4, w / 5, w / 4};
    int left = 0;
    for (int i = 0; i < 4; ++i) {
        labels_[i]->setGeometry(left, 0, widths[i], h);
        left += widths[i];
    }
    labels_[4]->setGeometry(left, 0, w - left, h);
}

} // namespace brelune
