#include "reports/report_text.h"

#include "register/register_line.h"

namespace brelune {

namespace {

const QString kArrow = QStringLiteral(" ---> ");
const QString kMargin(5, u' ');

QString tight(const std::optional<Money>& m, QChar decimal) {
    return m ? m->eurosTight(decimal) : QString();
}

// The header line both reports open with, after their leading empty lines.
QString reportHeader(QDate today, const Locale& locale) {
    return kMargin + QStringLiteral("Données fournies par BRELUNE le ") + locale.formatDate(today);
}

} // namespace

QString accountReportText(const RegisterData& data, QDate today, const Locale& locale) {
    const QChar dec = locale.decimal();
    // One text built in place, its lines each ended by "\r\n": a book of a
    // million operations makes a text of some 90 MB, never held twice.
    QString out;
    out.reserve(qsizetype(data.operations.size()) * 48 + 512);
    const auto line = [&out](const QString& text = {}) { out += text + QLatin1String("\r\n"); };
    line();
    line();
    line();
    line(reportHeader(today, locale));
    line();
    line(QString(8, u' ') + QStringLiteral("Date") + kMargin + QStringLiteral("Montant") +
         QString(6, u' ') + QStringLiteral("Payement"));
    if (data.operations.empty()) {
        line(QStringLiteral("Il n'y a pas d'enregistrement en cours"));
        line();
    } else {
        std::optional<Money> total = Money();
        for (const Operation& op : data.operations) {
            out += kMargin;
            appendOperationDate(out, op, locale);
            line(kArrow + op.montant.eurosTight(dec).leftJustified(9) + kArrow + op.payement);
            if (total)
                total = op.isIncome() ? total->plus(op.montant) : total->minus(op.montant);
        }
        line();
        line();
        line(kMargin + QStringLiteral("Différence recettes/dépenses : ") + tight(total, dec));
    }
    line();
    if (data.soldes) {
        const auto& s = *data.soldes;
        const auto difference =
            s.reel && s.bancaire ? s.bancaire->minus(*s.reel) : std::optional<Money>();
        line(kMargin + QStringLiteral("Solde réel : ") + tight(s.reel, dec));
        line(kMargin + QStringLiteral("Solde bancaire : ") + tight(s.bancaire, dec));
        line();
        line(kMargin + QStringLiteral("Différence des soldes : ") + tight(difference, dec));
    } else {
        line(kMargin + QStringLiteral("les soldes n'ont pas été entrés"));
    }
    return out;
}

QString allocationReportText(const QString& summary, QDate today, const Locale& locale) {
    return QStringLiteral("\r\n\r\n") + reportHeader(today, locale) + QStringLiteral("\r\n\r\n") +
           summary;
}

void printReport(const RunContext& ctx, const QString& body, int creditIndent) {
    if (!ctx.printer)
        return;
    ctx.printer->print(QStringLiteral("courier New"),
                       {{body + QStringLiteral("\r\n"), 10},
                        {QString(creditIndent, u' ') + QStringLiteral("BRELUNE, décembre 02"), 6}});
}

void showHelpFile(const RunContext& ctx) {
    if (ctx.help)
        ctx.help->showHelp(ctx.helpFile);
}

} // namespace brelune
