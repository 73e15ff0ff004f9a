#include "allocation/ventil_store.h"

#include "platform/run_context.h"

#include <QRegularExpression>
#include <cmath>

namespace brelune {

namespace {

const QString kNames = QStringLiteral("venti");
const QString kDates = QStringLiteral("date_de_debut");
const QString kTotals = QStringLiteral("montant_par_ventil");
const QString kCaption = QStringLiteral("Montant à ventiller");

QString key(const QString& section, int i) {
    const char* prefix = section == kNames ? "texo(" : section == kDates ? "datdebu(" : "montant(";
    return QString::fromLatin1(prefix) + QString::number(i) + QLatin1Char(')');
}

constexpr qsizetype kReadLimit = 254;

// A value as the profile service gives it: "Default" for an absent key, at
// most 254 characters.
QString asRead(const std::optional<QString>& value) {
    return value.value_or(QStringLiteral("Default")).left(kReadLimit);
}

VentilRefusal cannotRead(const RunContext& ctx, const QString& why) {
    return {QStringLiteral("Le fichier « %1 » ne peut pas être lu : %2.\r\n"
                           "Rien n'y sera enregistré tant qu'il ne pourra pas être lu.")
                .arg(ctx.iniPath(), why),
            QStringLiteral("BRELUNE"), Icon::Critical};
}

VentilRefusal unreadable() {
    return {QStringLiteral("Le total de cette ventilation est illisible dans ptconte.ini : "
                           "renommez-la pour la remettre à 0."),
            kCaption, Icon::Exclamation};
}

std::optional<VentilRefusal> write(const RunContext& ctx,
                                   const std::vector<ProfileFile::Entry>& entries) {
    QString error;
    if (ProfileFile(ctx.iniPath()).write(entries, &error))
        return std::nullopt;
    return VentilRefusal{QStringLiteral("Le fichier « %1 » ne peut pas être écrit : %2.\r\n"
                                        "Rien n'a été enregistré.")
                             .arg(ctx.iniPath(), error),
                         QStringLiteral("BRELUNE"), Icon::Critical};
}

} // namespace

std::vector<ProfileFile::Entry> defaultVentilEntries(const QString& today) {
    static const char* const names[kVentilCount] = {
        "gas - oil", "Conserves", "Viande",  "Huile",    "fromage",
        "dessert",   "vêtements", "hygiene", "Surgelés", "Manu"};
    std::vector<ProfileFile::Entry> entries;
    for (int i = 0; i < kVentilCount; ++i)
        entries.push_back({kNames, key(kNames, i), QString::fromUtf8(names[i])});
    for (int i = 0; i < kVentilCount; ++i)
        entries.push_back({kDates, key(kDates, i), today});
    for (int i = 0; i < kVentilCount; ++i)
        entries.push_back({kTotals, key(kTotals, i), QStringLiteral("0")});
    return entries;
}

std::vector<VentilTexts> read_ventil(const RunContext& ctx, std::optional<VentilRefusal>* problem) {
    std::vector<ProfileFile::Key> keys;
    for (int i = 0; i < kVentilCount; ++i)
        for (const QString& section : {kNames, kDates, kTotals})
            keys.push_back({section, key(section, i)});
    QString why;
    const auto values = ProfileFile(ctx.iniPath()).read(keys, &why);
    if (problem)
        *problem = why.isEmpty() ? std::nullopt : std::optional(cannotRead(ctx, why));
    std::vector<VentilTexts> categories;
    for (std::size_t v = 0; v < values.size(); v += 3)
        categories.push_back({asRead(values[v]), asRead(values[v + 1]), asRead(values[v + 2])});
    return categories;
}

bool writableTotal(double value) {
    // Below 1e15 once rounded to the 15 digits written: 999999999999999.5 would be written
    // 1000000000000000, which no longer reads back.
    return std::isfinite(value) && std::fabs(value) < 999999999999999.5;
}

std::optional<VentilRefusal> unreadableFile(const RunContext& ctx) {
    std::optional<VentilRefusal> problem;
    read_ventil(ctx, &problem);
    return problem;
}

std::optional<VentilRefusal> unreadableTotal(const RunContext& ctx, int i) {
    std::optional<VentilRefusal> problem;
    const VentilTexts category = read_ventil(ctx, &problem)[std::size_t(i)];
    if (problem)
        return problem;
    return readTotal(category.total) ? std::nullopt : std::optional(unreadable());
}

std::optional<VentilRefusal> add_ventil(const RunContext& ctx, int i, double amount) {
    std::optional<VentilRefusal> problem;
    const auto total = readTotal(read_ventil(ctx, &problem)[std::size_t(i)].total);
    if (problem)
        return problem;
    if (!total)
        return unreadable();
    const double sum = *total + amount;
    if (!writableTotal(sum))
        return VentilRefusal{
            QStringLiteral("Le total de cette ventilation deviendrait trop grand pour être "
                           "enregistré !"),
            kCaption, Icon::Exclamation};
    return write(ctx, {{kTotals, key(kTotals, i), numberText(sum, ctx.locale.decimal())}});
}

std::optional<VentilRefusal> reset_ventil(const RunContext& ctx, int i, const QString& name) {
    return write(ctx, {{kTotals, key(kTotals, i), QStringLiteral("0")},
                       {kNames, key(kNames, i), name},
                       {kDates, key(kDates, i), ctx.locale.formatDate(ctx.clock.today())}});
}

bool conformingName(const RunContext& ctx, const QString& name) {
    const qsizetype characters = name.toUcs4().size();
    return characters >= 1 && characters <= 15 && !name.contains(u'\r') && !name.contains(u'\n') &&
           ProfileFile(ctx.iniPath()).canHold(name);
}

std::optional<double> readTotal(const QString& text) {
    static const QRegularExpression number(
        QStringLiteral("^[+-]?(\\d+([.,]\\d*)?|[.,]\\d+)([eE][+-]?\\d+)?$"));
    const QString t = text.trimmed();
    if (t.isEmpty())
        return 0.0;
    if (!number.match(t).hasMatch())
        return std::nullopt;
    const double value = QString(t).replace(u',', u'.').toDouble();
    // A total no write could give back exactly is no total either.
    return writableTotal(value) ? std::optional(value) : std::nullopt;
}

QString numberText(double value, QChar decimal) {
    if (value == 0)
        return QStringLiteral("0");
    // d.dddddddddddddde±x: the 15 significant digits and where the point goes.
    const QString e = QString::number(std::fabs(value), 'e', 14);
    const qsizetype mark = e.indexOf(u'e');
    const int exponent = e.mid(mark + 1).toInt();
    QString digits = e.left(mark).remove(u'.');
    while (digits.endsWith(u'0'))
        digits.chop(1);
    QString out;
    if (exponent < 0)
        out = QLatin1Char('0') + decimal + QString(-exponent - 1, u'0') + digits;
    else if (digits.size() <= exponent + 1)
        out = digits + QString(exponent + 1 - digits.size(), u'0');
    else
        out = digits.left(exponent + 1) + decimal + digits.mid(exponent + 1);
    if (out.size() >= kReadLimit) // too long to read back whole: the digits and an exponent
        out = digits.left(1) + (digits.size() > 1 ? decimal + digits.mid(1) : QString()) +
              QLatin1Char('E') + QString::number(exponent);
    return value < 0 ? QLatin1Char('-') + out : out;
}

QString fixed2(double value, QChar decimal) {
    // Rounded on the number as written (15 digits), not on its binary value,
    // so that 1.005 gives 1,01. Far below a cent, the text may take an exponent: 0.
    const QString text =
        std::fabs(value) < 1e-3 ? QStringLiteral("0") : numberText(std::fabs(value), u'.');
    const qsizetype point = text.indexOf(u'.');
    const QString decimals = point < 0 ? QString() : text.mid(point + 1) + QStringLiteral("000");
    const qint64 cents =
        (text.left(point < 0 ? text.size() : point) + decimals.left(2)).toLongLong() +
        (decimals.size() > 2 && decimals[2] >= u'5' ? 1 : 0);
    const QString digits = QString::number(point < 0 ? cents * 100 : cents).rightJustified(3, u'0');
    return (value < 0 && digits != QStringLiteral("000") ? QStringLiteral("-") : QString()) +
           digits.left(digits.size() - 2) + decimal + digits.right(2);
}

QString statText(const std::vector<VentilTexts>& categories, QDate today, const Locale& locale) {
    const QString crlf = QStringLiteral("\r\n");
    const QString margin(5, u' ');
    QString text =
        crlf + margin + QStringLiteral("Montant des dépenses ventilées par poste :") + crlf + crlf;
    for (const VentilTexts& c : categories) {
        const auto total = readTotal(c.total);
        const QString totalText = total ? fixed2(*total, locale.decimal()) + QStringLiteral(" €")
                                        : QStringLiteral("illisible");
        const auto start = locale.parseDate(c.startDate);
        const QString months =
            start ? fixed2(start->daysTo(today) / 30.0, locale.decimal()) : QStringLiteral("?");
        text += margin + QStringLiteral("En ") + months + QStringLiteral(" mois, dépense de ") +
                QString(std::max<qsizetype>(0, 10 - totalText.size()), u'_') + totalText +
                QStringLiteral(" pour : ") + c.name + margin + crlf;
    }
    return text;
}

} // namespace brelune
