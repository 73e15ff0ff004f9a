// QIF, as money programs export a bank or cash account: a "!Type:Bank" line, then items of
// one-letter fields, each item ended by a "^" line.
#include "statements/statement.h"

#include <QRegularExpression>

namespace brelune {

namespace {

struct Item {
    qsizetype first = 0; // the line of its first field
    qsizetype dateLine = 0, amountLine = 0;
    QString date, amount, payee, memo, number;
    bool total = false; // the amount is T's, which U only repeats
};

StatementError atLine(qsizetype line, const QString& what) {
    return StatementError(QStringLiteral("ligne %1 : ").arg(line) + what);
}

StatementLine lineOf(const Item& item) {
    if (item.date.isEmpty())
        throw atLine(item.first, QStringLiteral("opération sans date"));
    if (item.amount.isEmpty())
        throw atLine(item.first, QStringLiteral("opération sans montant"));
    StatementLine line;
    line.date = readStatementDate(item.date);
    if (!line.date.isValid())
        throw atLine(item.dateLine, QStringLiteral("date illisible ") + quotedInReason(item.date));
    const auto amount = readStatementAmount(item.amount);
    if (!amount)
        throw atLine(item.amountLine,
                     QStringLiteral("montant illisible ") + quotedInReason(item.amount));
    line.amount = *amount;
    line.label = statementLabel(item.payee, item.memo);
    if (line.label.isEmpty())
        line.label = item.number.simplified();
    return line;
}

} // namespace

Statement readQif(const QByteArray& bytes) {
    static const QRegularExpression lineEnd(QStringLiteral("\r\n|\n|\r"));
    const QStringList lines = statementText(bytes).split(lineEnd);
    Statement s;
    bool typed = false;     // a bank or cash account's items follow
    bool inAccount = false; // the account's own description, up to its "^"
    std::optional<Item> item;
    for (qsizetype i = 0; i < lines.size(); ++i) {
        const qsizetype n = i + 1;
        if (lines[i].size() > kStatementMaxLine)
            throw StatementError(lineTooLong(n));
        const QString line = lines[i].trimmed();
        if (line.isEmpty())
            continue;
        if (line.startsWith(u'!')) {
            if (item)
                throw atLine(item->first, QStringLiteral("opération sans « ^ » final"));
            if (line.startsWith(QStringLiteral("!Type:"), Qt::CaseInsensitive)) {
                const QString type = line.mid(6).trimmed();
                typed = !type.compare(QStringLiteral("Bank"), Qt::CaseInsensitive) ||
                        !type.compare(QStringLiteral("Cash"), Qt::CaseInsensitive);
                if (!typed)
                    throw atLine(n,
                                 QStringLiteral("le type de compte ") + quotedInReason(type) +
                                     QStringLiteral(" n'est pas lu, seuls Bank et Cash le sont"));
            } else if (line.startsWith(QStringLiteral("!Account"), Qt::CaseInsensitive)) {
                // One statement is one account's: a second account's lines are never mixed in.
                if (!s.lines.empty())
                    throw atLine(n, QStringLiteral("le fichier contient les opérations de "
                                                   "plusieurs comptes"));
                inAccount = true;
            }
            continue; // options such as !Option:AutoSwitch say nothing of the lines
        }
        if (inAccount) {
            inAccount = !line.startsWith(u'^');
            continue;
        }
        if (!typed)
            throw atLine(n,
                         QStringLiteral("aucune ligne « !Type:Bank » ne précède les opérations"));
        if (!item)
            item.emplace().first = n;
        const QString value = line.mid(1).trimmed();
        switch (line[0].unicode()) {
        case u'^':
            if (item->first != n) // an item of no field at all is nothing
                s.lines.push_back(lineOf(*item));
            item.reset();
            break;
        case u'D':
            item->date = value;
            item->dateLine = n;
            break;
        case u'T':
        case u'U':
            if (!item->total || line[0] == u'T') {
                item->amount = value;
                item->amountLine = n;
                item->total = line[0] == u'T';
            }
            break;
        case u'P':
            item->payee = value;
            break;
        case u'M':
            item->memo = value;
            break;
        case u'N':
            item->number = value;
            break;
        default: // categories, cleared marks, addresses and splits: the total is enough
            break;
        }
    }
    if (item)
        throw atLine(
            item->first,
            QStringLiteral("le fichier s'arrête avant la fin de l'opération (« ^ » absent)"));
    if (!typed)
        throw StatementError(
            QStringLiteral("aucune ligne « !Type:Bank » ne dit le type du compte"));
    return s;
}

} // namespace brelune
