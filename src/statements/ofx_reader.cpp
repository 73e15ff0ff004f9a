// OFX files are parsed by libofx. It is lenient: a missing amount reads as 0, a file cut short
// gives the lines it got to, and a date with a time zone comes as an instant whose day in UTC may
// not be the day the bank wrote. So the file is first walked here, element by element, for the
// structure and for each line's day and amount as written; libofx's lines must then match them.
#include "statements/statement.h"

#include <QDir>
#include <QFile>
#include <QHash>
#include <QTemporaryFile>
#include <algorithm>
#include <cmath>
#include <libofx/libofx.h>

namespace brelune {

namespace {

// A line or balance as the file writes it.
struct Written {
    QDate date;
    Money amount;
    QString amountText;
    QString fitid;
};

struct Walked {
    std::vector<Written> lines;    // one per <STMTTRN>, in the file's order
    std::optional<Written> ledger; // the first <LEDGERBAL>
};

constexpr std::size_t kMaxDepth = 64;

QString element(const QByteArray& name, int number) {
    return QStringLiteral("élément <%1>").arg(QString::fromLatin1(name)) +
           (number ? QStringLiteral(" n° %1").arg(number) : QString());
}

// "20240131", maybe followed by a time and a zone: the day as written.
QDate ofxDate(const QByteArray& text) {
    if (text.size() < 8 ||
        !std::all_of(text.begin(), text.begin() + 8, [](char c) { return c >= '0' && c <= '9'; }))
        return {};
    if (text.size() > 8 && !QByteArrayView("0123456789.[").contains(text[8]))
        return {};
    return QDate(text.first(4).toInt(), text.sliced(4, 2).toInt(), text.sliced(6, 2).toInt());
}

// The date and amount elements of a line or balance that has just ended.
Written written(const QHash<QByteArray, QByteArray>& values, const char* dateTag,
                const char* amountTag, const QString& where) {
    Written w;
    const QByteArray date = values.value(dateTag), amount = values.value(amountTag);
    if (date.isEmpty())
        throw StatementError(where + QStringLiteral(" : date absente"));
    if (!(w.date = ofxDate(date)).isValid())
        throw StatementError(where + QStringLiteral(" : date illisible ") +
                             quotedInReason(QString::fromUtf8(date)));
    w.amountText = QString::fromUtf8(amount);
    if (amount.isEmpty())
        throw StatementError(where + QStringLiteral(" : montant absent"));
    const auto m = readStatementAmount(w.amountText);
    if (!m)
        throw StatementError(where + QStringLiteral(" : montant illisible ") +
                             quotedInReason(w.amountText));
    w.amount = *m;
    // libofx gives the identity with its entities read, as here.
    w.fitid = QString::fromUtf8(values.value("FITID"))
                  .replace(QStringLiteral("&lt;"), QStringLiteral("<"))
                  .replace(QStringLiteral("&gt;"), QStringLiteral(">"))
                  .replace(QStringLiteral("&quot;"), QStringLiteral("\""))
                  .replace(QStringLiteral("&apos;"), QStringLiteral("'"))
                  .replace(QStringLiteral("&amp;"), QStringLiteral("&"));
    return w;
}

// Aggregates open and close with tags; in the SGML of OFX 1 a value's element has no end tag,
// so an element followed by a value holds that value and nothing else.
Walked walk(QByteArrayView b) {
    Walked out;
    std::vector<QByteArray> open;
    qsizetype holder = -1; // where in open the line or balance being read is
    int number = 0;        // of the last <STMTTRN>
    QHash<QByteArray, QByteArray> values;
    bool sawOfx = false;
    const auto ended = [&](const QByteArray& name) {
        if (name == "STMTTRN")
            out.lines.push_back(written(values, "DTPOSTED", "TRNAMT", element(name, number)));
        else if (name == "LEDGERBAL" && !out.ledger)
            out.ledger = written(values, "DTASOF", "BALAMT", element(name, 0));
    };
    for (qsizetype i = 0; (i = b.indexOf('<', i)) >= 0;) {
        if (b.sliced(i).startsWith("<!--")) {
            const qsizetype end = b.indexOf("-->", i);
            i = end < 0 ? b.size() : end + 3;
            continue;
        }
        const qsizetype close = b.indexOf('>', i);
        if (close < 0)
            break; // the file ends inside a tag
        const QByteArrayView tag = b.sliced(i + 1, close - i - 1).trimmed();
        i = close + 1;
        if (tag.startsWith('?') || tag.startsWith('!') || tag.endsWith('/'))
            continue;
        if (tag.startsWith('/')) {
            const QByteArray name = tag.sliced(1).trimmed().toByteArray().toUpper();
            const auto at = std::find(open.rbegin(), open.rend(), name);
            for (auto n = at == open.rend() ? 0 : at - open.rbegin() + 1; n > 0; --n) {
                if (qsizetype(open.size()) - 1 == holder) {
                    ended(open.back());
                    holder = -1;
                }
                open.pop_back();
            }
            continue;
        }
        qsizetype nameEnd = 0;
        while (nameEnd < tag.size() && !QChar::isSpace(uchar(tag[nameEnd])))
            ++nameEnd;
        const QByteArray name = tag.first(nameEnd).toByteArray().toUpper();
        const qsizetype next = b.indexOf('<', i);
        const QByteArray value =
            b.sliced(i, (next < 0 ? b.size() : next) - i).trimmed().toByteArray();
        if (!value.isEmpty()) {
            if (holder >= 0 && !values.contains(name))
                values.insert(name, value);
            continue;
        }
        // No statement nests deeper than a dozen; a bound keeps each closing tag's search short.
        if (open.size() == kMaxDepth)
            throw StatementError(element(name, 0) + QStringLiteral(" : imbrication trop profonde"));
        open.push_back(name);
        sawOfx = sawOfx || name == "OFX";
        if (holder < 0 && (name == "STMTTRN" || name == "LEDGERBAL")) {
            holder = qsizetype(open.size()) - 1;
            values.clear();
            number += name == "STMTTRN";
        }
    }
    if (!open.empty())
        throw StatementError(
            QStringLiteral("le fichier s'arrête avant la fin de l'") +
            element(open.back(),
                    holder == qsizetype(open.size()) - 1 && open.back() == "STMTTRN" ? number : 0));
    if (!sawOfx)
        throw StatementError(QStringLiteral("le fichier ne contient aucun élément <OFX>"));
    return out;
}

// What libofx delivers.
struct Delivered {
    QStringList accounts;
    std::vector<StatementLine> lines;
    std::optional<Money> ledger;
};

Money exactAmount(double amount) {
    return Money::fromUnits(std::llround(amount * double(Money::kScale)));
}

int onAccount(const OfxAccountData data, void* delivered) {
    auto& d = *static_cast<Delivered*>(delivered);
    const QString id = data.account_id_valid ? QString::fromUtf8(data.account_id) : QString();
    if (!d.accounts.contains(id))
        d.accounts << id;
    return 0;
}

int onTransaction(const OfxTransactionData data, void* delivered) {
    // Trades of an investment account are no bank lines; only its cash transfers are.
    if (data.invtransactiontype_valid && data.invtransactiontype != OFX_INVBANKTRAN)
        return 0;
    StatementLine line;
    line.amount = exactAmount(data.amount_valid ? data.amount : 0);
    line.label = statementLabel(data.name_valid ? QString::fromUtf8(data.name) : QString(),
                                data.memo_valid ? QString::fromUtf8(data.memo) : QString());
    line.fitid = data.fi_id_valid ? QString::fromUtf8(data.fi_id) : QString();
    static_cast<Delivered*>(delivered)->lines.push_back(line);
    return 0;
}

int onStatement(const OfxStatementData data, void* delivered) {
    auto& d = *static_cast<Delivered*>(delivered);
    if (data.ledger_balance_valid && !d.ledger)
        d.ledger = exactAmount(data.ledger_balance);
    return 0;
}

Delivered parse(const QByteArray& bytes) {
    QTemporaryFile file(QDir::tempPath() + QStringLiteral("/brelune-XXXXXX.ofx"));
    if (!file.open() || file.write(bytes) != bytes.size() || !file.flush())
        throw StatementError(
            QStringLiteral("aucun fichier temporaire ne peut être écrit pour lire le relevé"));
    // libofx reports to the console whatever it meets; the reader says what matters.
    for (int* flag : {&ofx_PARSER_msg, &ofx_DEBUG_msg, &ofx_DEBUG1_msg, &ofx_DEBUG2_msg,
                      &ofx_DEBUG3_msg, &ofx_DEBUG4_msg, &ofx_DEBUG5_msg, &ofx_STATUS_msg,
                      &ofx_INFO_msg, &ofx_WARNING_msg, &ofx_ERROR_msg, &ofx_show_position})
        *flag = 0;
    Delivered d;
    const LibofxContextPtr context = libofx_get_new_context();
    ofx_set_account_cb(context, onAccount, &d);
    ofx_set_transaction_cb(context, onTransaction, &d);
    ofx_set_statement_cb(context, onStatement, &d);
    libofx_proc_file(context, QFile::encodeName(file.fileName()).constData(), OFX);
    libofx_free_context(context);
    return d;
}

} // namespace

Statement readOfx(const QByteArray& bytes) {
    QByteArrayView body(bytes);
    if (body.startsWith("\xEF\xBB\xBF"))
        body = body.sliced(3);
    while (!body.isEmpty() && QChar::isSpace(uchar(body.front())))
        body = body.sliced(1);
    const Walked walked = walk(body);
    const Delivered delivered = parse(body.toByteArray());
    if (delivered.accounts.size() > 1)
        throw StatementError(
            QStringLiteral("le fichier contient les relevés de plusieurs comptes (") +
            delivered.accounts.join(QStringLiteral(", ")) + u')');
    Statement s;
    s.account = delivered.accounts.value(0);
    for (size_t i = 0; i < walked.lines.size(); ++i) {
        const Written& w = walked.lines[i];
        const QString where = element("STMTTRN", int(i) + 1);
        if (i >= delivered.lines.size() || delivered.lines[i].fitid != w.fitid)
            throw StatementError(where + QStringLiteral(" : contenu illisible"));
        if (delivered.lines[i].amount != w.amount)
            throw StatementError(where + QStringLiteral(" : montant illisible ") +
                                 quotedInReason(w.amountText));
        s.lines.push_back(delivered.lines[i]);
        s.lines.back().date = w.date;
    }
    if (delivered.lines.size() > walked.lines.size())
        throw StatementError(QStringLiteral("le fichier contient des opérations hors de tout "
                                            "élément <STMTTRN>"));
    if (walked.ledger) {
        if (delivered.ledger != walked.ledger->amount)
            throw StatementError(QStringLiteral("élément <LEDGERBAL> : montant illisible ") +
                                 quotedInReason(walked.ledger->amountText));
        s.closing = walked.ledger->amount;
        s.closingDate = walked.ledger->date;
    }
    return s;
}

} // namespace brelune
