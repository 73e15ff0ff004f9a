#include "register/register_line.h"

namespace brelune {

namespace {

void padFrom(QString& out, qsizetype start, qsizetype width, QChar fill) {
    const qsizetype written = out.size() - start;
    if (written < width)
        out += QString(width - written, fill);
}

} // namespace

void appendOperationDate(QString& out, const Operation& op, const Locale& locale) {
    if (op.date.isValid())
        locale.appendDate(out, op.date);
    else
        out += op.dateText;
}

QString registerLineBody(const Operation& op, const Locale& locale) {
    QString line;
    line.reserve(40);
    appendOperationDate(line, op, locale);
    line += QLatin1String("_____");
    const qsizetype amountStart = line.size();
    op.montant.appendFixed2(line, locale.decimal());
    line += u" €";
    padFrom(line, amountStart, 12, QLatin1Char('_'));
    line += op.payement;
    return line;
}

QString registerLine(const Operation& op, const Locale& locale) {
    return QStringLiteral("     ") + registerLineBody(op, locale);
}

QString emptyRegisterLine() {
    return QStringLiteral("     Pas d'enregistrement !");
}

QString searchLine(const Operation& op, const Locale& locale) {
    QString line;
    appendOperationDate(line, op, locale);
    line += QLatin1String(" ---> ");
    const qsizetype amountStart = line.size();
    line += op.montant.plain(locale.decimal());
    padFrom(line, amountStart, 7, QLatin1Char(' '));
    line += QLatin1String(" ---> ");
    line += op.payement;
    return line;
}

Verdict balanceVerdict(const OperationTable& operations, const Soldes& soldes) {
    const __int128 reel = soldes.reel.value_or(Money()).units();
    const __int128 bancaire = soldes.bancaire.value_or(Money()).units();
    return operations.signedSum() == reel - bancaire ? Verdict::Bon : Verdict::Faux;
}

} // namespace brelune
