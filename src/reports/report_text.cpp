#include "reports/report_text.h"

#include "register/register_line.h"

namespace brelune {

namespace {

const QString kFont = QStringLiteral("courier New");
constexpr int kBodySize = 10;
constexpr int kCreditSize = 6;
const QString kArrow = QStringLiteral(" ---> ");
const QString kMargin(5, u' ');

QString tight(const std::optional<Money>& m, QChar decimal) {
    return m ? m->eurosTight(decimal) : QString();
}

// The header line both reports open with, after their leading empty lines.
QString reportHeader(QDate today, const Locale& locale) {
    return kMargin + QStringLiteral("Données fournies par BRELUNE le ") + locale.formatDate(today);
}

QString creditLine(int indent) {
    return QString(indent, u' ') + QStringLiteral("BRELUNE, décembre 02");
}

} // namespace

AccountReport::AccountReport(RegisterData data, QDate today, const Locale& locale)
    : data_(std::move(data)),
      locale_(locale), head_{{},
                             {},
                             {},
                             reportHeader(today, locale),
                             {},
                             QString(8, u' ') + QStringLiteral("Date") + kMargin +
                                 QStringLiteral("Montant") + QString(6, u' ') +
                                 QStringLiteral("Payement")} {
    count_ = head_.size() + qsizetype(data_.operations.size()) + tail(Money()).size();
}

QStringList AccountReport::tail(const std::optional<Money>& total) const {
    const QChar dec = locale_.decimal();
    QStringList lines;
    if (data_.operations.empty())
        lines << QStringLiteral("Il n'y a pas d'enregistrement en cours") << QString();
    else
        lines << QString() << QString()
              << kMargin + QStringLiteral("Différence recettes/dépenses : ") + tight(total, dec);
    lines << QString();
    if (data_.soldes) {
        const auto& s = *data_.soldes;
        const auto difference =
            s.reel && s.bancaire ? s.bancaire->minus(*s.reel) : std::optional<Money>();
        lines << kMargin + QStringLiteral("Solde réel : ") + tight(s.reel, dec)
              << kMargin + QStringLiteral("Solde bancaire : ") + tight(s.bancaire, dec) << QString()
              << kMargin + QStringLiteral("Différence des soldes : ") + tight(difference, dec);
    } else {
        lines << kMargin + QStringLiteral("les soldes n'ont pas été entrés");
    }
    // The body is printed as one statement, which ends with a line break of
    // its own after the body's last.
    return lines << QString() << creditLine(12);
}

bool AccountReport::next(QString& text, int& pointSize) {
    const qsizetype operations = qsizetype(data_.operations.size());
    const qsizetype i = line_++;
    pointSize = kBodySize;
    if (i < head_.size()) {
        text = head_[i];
    } else if (i < head_.size() + operations) {
        const Operation op = data_.operations.at(std::size_t(i - head_.size()));
        text = kMargin;
        appendOperationDate(text, op, locale_);
        text += kArrow + op.montant.eurosTight(locale_.decimal()).leftJustified(9) + kArrow +
                op.payement;
        if (total_)
            total_ = op.isIncome() ? total_->plus(op.montant) : total_->minus(op.montant);
    } else {
        if (tail_.isEmpty())
            tail_ = tail(total_);
        const qsizetype t = i - head_.size() - operations;
        if (t >= tail_.size()) {
            line_ = i; // stays at the end
            return false;
        }
        text = tail_[t];
        if (t + 1 == tail_.size())
            pointSize = kCreditSize;
    }
    return true;
}

void printAccountReport(const RunContext& ctx, RegisterData data) {
    if (!ctx.printer)
        return;
    AccountReport report(std::move(data), ctx.clock.today(), ctx.locale);
    ctx.printer->printLines(kFont, report);
}

QString allocationReportText(const QString& summary, QDate today, const Locale& locale) {
    return QStringLiteral("\r\n\r\n") + reportHeader(today, locale) + QStringLiteral("\r\n\r\n") +
           summary;
}

void printReport(const RunContext& ctx, const QString& body, int creditIndent) {
    if (!ctx.printer)
        return;
    ctx.printer->print(kFont, {{body + QStringLiteral("\r\n"), kBodySize},
                               {creditLine(creditIndent), kCreditSize}});
}

void showHelpFile(const RunContext& ctx) {
    if (ctx.help)
        ctx.help->showHelp(ctx.helpFile);
}

} // namespace brelune
