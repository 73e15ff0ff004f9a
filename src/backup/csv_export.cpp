#include "backup/csv_export.h"

#include "platform/safe_file.h"
#include "register/register_line.h"

namespace brelune {

namespace {

const QString kCaption = QStringLiteral("Exporter en CSV");
const QString kRowEnd = QStringLiteral("\r\n");
constexpr QChar kDecimal = u',';

// A spreadsheet takes a cell that starts with one of these for a formula; a
// tab or a carriage return before it hides such a start from the eye.
bool startsFormula(const QString& text) {
    return !text.isEmpty() && QStringView(u"=+-@\t\r").contains(text.front());
}

// A text field: one that would run as a formula is made plain text by an
// apostrophe; one holding the separator, a quote or a line break is quoted,
// its quotes doubled.
void appendText(QString& out, const QString& text) {
    QString field = startsFormula(text) ? u'\'' + text : text;
    if (!field.contains(u';') && !field.contains(u'"') && !field.contains(u'\n') &&
        !field.contains(u'\r')) {
        out += field;
        return;
    }
    out += u'"' + field.replace(u'"', QStringLiteral("\"\"")) + u'"';
}

void appendOperation(QString& out, const Operation& op) {
    // Days and months of digits alone: the same whatever the system's locale.
    if (op.date.isValid())
        out += op.date.toString(QStringLiteral("dd/MM/yyyy"));
    else
        appendText(out, op.dateText);
    out += u';';
    op.montant.appendFixed2(out, kDecimal);
    out += u';';
    appendText(out, op.payement);
    out += op.isIncome() ? QStringLiteral(";crédit") : QStringLiteral(";débit");
    out += kRowEnd;
}

QString amountOrEmpty(const std::optional<Money>& amount) {
    return amount ? amount->fixed2(kDecimal) : QString();
}

void appendCategory(QString& out, const VentilTexts& category) {
    appendText(out, category.name);
    out += u';';
    // A total edited by hand into no number is given as it is written.
    if (const auto total = readTotal(category.total))
        out += fixed2(*total, kDecimal);
    else
        appendText(out, category.total);
    out += u';';
    appendText(out, category.startDate);
    out += kRowEnd;
}

} // namespace

QByteArray bookCsv(const RegisterData& data, const std::vector<VentilTexts>& categories) {
    QString out = QStringLiteral("\uFEFFDate;Montant;Payement;Sens") + kRowEnd;
    for (const Operation& op : data.operations)
        appendOperation(out, op);
    const Soldes soldes = data.soldes.value_or(Soldes());
    // Without a Soldes row the main window gives no verdict either.
    const QString verdict = !data.soldes ? QString()
                            : balanceVerdict(data.operations, soldes) == Verdict::Bon
                                ? QStringLiteral("Bon")
                                : QStringLiteral("Faux");
    out += kRowEnd + QStringLiteral("Solde réel;") + amountOrEmpty(soldes.reel) + kRowEnd +
           QStringLiteral("Solde bancaire;") + amountOrEmpty(soldes.bancaire) + kRowEnd +
           QStringLiteral("Comptes;") + verdict + kRowEnd;
    out += kRowEnd + QStringLiteral("Ventilation;Montant;Depuis le") + kRowEnd;
    for (const VentilTexts& category : categories)
        appendCategory(out, category);
    return out.toUtf8();
}

void exportBookCsv(const RunContext& ctx) {
    const auto data = ctx.readBook();
    if (!data)
        return; // nothing written
    // Categories read as defaults would be exported as if they were the user's.
    std::optional<VentilRefusal> problem;
    const std::vector<VentilTexts> categories = read_ventil(ctx, &problem);
    if (problem) {
        ctx.dialogs.message(problem->text, problem->caption, problem->icon, Buttons::Ok);
        return;
    }
    const QString path =
        askSavePath(ctx.dialogs, kCaption, QStringLiteral("Exporter le livre en CSV"),
                    QStringLiteral("Fichiers CSV"), QStringLiteral("csv"), ctx.clock.today());
    if (path.isEmpty())
        return;
    // The whole book in clear: a new file is its user's alone.
    if (const auto why = replaceFile(path, bookCsv(*data, categories)))
        ctx.dialogs.message(
            QStringLiteral("Le fichier « %1 » n'a pas pu être écrit : %2.").arg(path, *why),
            kCaption, Icon::Critical, Buttons::Ok);
}

} // namespace brelune
