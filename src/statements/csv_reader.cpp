// CSV as French banks export it: a few lines of their own, then a header naming the columns,
// then one line per operation. Neither the separator nor the columns' order is fixed: the header
// says them.
#include "statements/statement.h"

#include <algorithm>

namespace brelune {

namespace {

struct Record {
    qsizetype line = 0; // where it starts in the file, from 1
    QStringList fields;
};

// The records of the text, fields split on sep; a quoted field may hold the separator, a line
// break and "" for a quote.
class Records {
public:
    Records(const QString& text, QChar sep) : text_(text), sep_(sep) {}

    bool next(Record& r) {
        if (pos_ >= text_.size())
            return false;
        r = Record{line_, {}};
        const qsizetype start = pos_;
        QString field;
        bool quoted = false, inQuotes = false;
        const auto endField = [&] {
            r.fields << (quoted ? field : field.trimmed());
            field.clear();
            quoted = false;
        };
        for (;;) {
            if (pos_ - start > kStatementMaxLine)
                throw StatementError(lineTooLong(r.line));
            if (pos_ >= text_.size()) {
                if (inQuotes)
                    throw StatementError(
                        QStringLiteral("ligne %1 : guillemet jamais refermé").arg(r.line));
                endField();
                return true;
            }
            const QChar c = text_[pos_++];
            const bool lineBreak = c == u'\n' || (c == u'\r' && !nextIs(u'\n'));
            if (inQuotes) {
                if (c == u'"' && nextIs(u'"'))
                    ++pos_, field += c;
                else if (c == u'"')
                    inQuotes = false;
                else
                    field += c;
                line_ += lineBreak;
            } else if (c == u'"' && field.trimmed().isEmpty() && !quoted) {
                field.clear();
                inQuotes = quoted = true;
            } else if (c == sep_) {
                endField();
            } else if (lineBreak) {
                ++line_;
                endField();
                return true;
            } else if (c != u'\r') {
                field += c;
            }
        }
    }

private:
    bool nextIs(QChar c) const { return pos_ < text_.size() && text_[pos_] == c; }

    const QString& text_;
    const QChar sep_;
    qsizetype pos_ = 0;
    qsizetype line_ = 1;
};

// A column's name as compared: lower case, without accents, blanks made single.
QString normalized(const QString& name) {
    QString out;
    for (const QChar c : name.normalized(QString::NormalizationForm_D))
        if (c.category() != QChar::Mark_NonSpacing)
            out += c.toLower();
    return out.simplified();
}

struct Columns {
    qsizetype date = -1, label = -1, amount = -1, debit = -1, credit = -1;

    explicit Columns(const QStringList& names) {
        const auto startsWith = [](const QString& n, std::initializer_list<const char*> words) {
            return std::any_of(words.begin(), words.end(),
                               [&](const char* w) { return n.startsWith(QLatin1String(w)); });
        };
        // The day of the operation, not its value date, when the bank gives both.
        qsizetype valueDate = -1;
        for (qsizetype i = 0; i < names.size(); ++i) {
            const QString n = normalized(names[i]);
            if (startsWith(n, {"date de valeur", "date valeur"})) {
                valueDate = valueDate < 0 ? i : valueDate;
                continue;
            }
            qsizetype* column = startsWith(n, {"date"}) ? &date
                                : startsWith(n, {"libelle", "description", "intitule", "operation"})
                                    ? &label
                                : startsWith(n, {"debit", "montant debit"})   ? &debit
                                : startsWith(n, {"credit", "montant credit"}) ? &credit
                                : startsWith(n, {"montant"})                  ? &amount
                                                                              : nullptr;
            if (column && *column < 0)
                *column = i;
        }
        date = date < 0 ? valueDate : date;
    }
    bool complete() const {
        return date >= 0 && label >= 0 && (amount >= 0 || (debit >= 0 && credit >= 0));
    }
};

struct Header {
    QChar sep;
    qsizetype index = 0; // among the records
    qsizetype fields = 0;
};

// The header for this separator: the first record that names a date, a label and an amount.
std::optional<Header> headerFor(const QString& text, QChar sep) {
    Records records(text, sep);
    Record r;
    for (qsizetype index = 0; records.next(r); ++index)
        if (Columns(r.fields).complete())
            return Header{sep, index, r.fields.size()};
    return std::nullopt;
}

// A field that cannot be read, or is empty ("absent", as in a line cut short).
StatementError atLine(const Record& r, const QString& what, const QString& text) {
    const QString where = QStringLiteral("ligne %1 : ").arg(r.line);
    if (text.isEmpty())
        return StatementError(where + what.section(u' ', 0, 0) +
                              (what.startsWith(QStringLiteral("date"))
                                   ? QStringLiteral(" absente")
                                   : QStringLiteral(" absent")));
    return StatementError(where + what + u' ' + quotedInReason(text));
}

} // namespace

Statement readCsv(const QByteArray& bytes) {
    const QString text = statementText(bytes);
    // The separator is the one that gives the header the most columns.
    std::optional<Header> header;
    std::optional<StatementError> problem;
    for (const QChar sep : {u';', u',', u'\t'}) {
        try {
            const auto h = headerFor(text, sep);
            if (h && (!header || h->fields > header->fields))
                header = h;
        } catch (const StatementError& e) {
            problem = problem.value_or(e);
        }
    }
    if (!header && problem)
        throw *problem;
    if (!header)
        throw StatementError(QStringLiteral("aucune ligne d'en-tête ne nomme les colonnes Date, "
                                            "Libellé et Montant (ou Débit et Crédit)"));
    Records records(text, header->sep);
    Record r;
    for (qsizetype i = 0; i <= header->index; ++i)
        records.next(r);
    const Columns columns(r.fields);
    Statement s;
    while (records.next(r)) {
        if (std::all_of(r.fields.begin(), r.fields.end(),
                        [](const QString& f) { return f.trimmed().isEmpty(); }))
            continue;
        // An amount with a decimal comma and no quotes, in a file separated by commas, would be
        // read as two fields: a line with more fields than the header is never guessed at (an
        // empty one after the last, as some banks end their lines, is no field).
        if (std::any_of(r.fields.begin() + std::min(header->fields, r.fields.size()),
                        r.fields.end(), [](const QString& f) { return !f.isEmpty(); }))
            throw StatementError(QStringLiteral("ligne %1 : %2 champs pour %3 colonnes")
                                     .arg(r.line)
                                     .arg(r.fields.size())
                                     .arg(header->fields));
        const auto field = [&](qsizetype column) { return r.fields.value(column).trimmed(); };
        StatementLine line;
        line.date = readStatementDate(field(columns.date));
        if (!line.date.isValid())
            throw atLine(r, QStringLiteral("date illisible"), field(columns.date));
        line.label = field(columns.label).simplified();
        if (columns.amount >= 0) {
            const auto amount = readStatementAmount(field(columns.amount));
            if (!amount)
                throw atLine(r, QStringLiteral("montant illisible"), field(columns.amount));
            line.amount = *amount;
        } else {
            // A debit is money going out whatever its sign, a credit money coming in.
            const QString debit = field(columns.debit), credit = field(columns.credit);
            if (debit.isEmpty() && credit.isEmpty())
                throw StatementError(QStringLiteral("ligne %1 : ni débit ni crédit").arg(r.line));
            const auto magnitude = [&](const QString& t, const QString& what) {
                const auto m = t.isEmpty() ? Money() : readStatementAmount(t);
                const auto abs = m && m->units() < 0 ? m->negated() : m;
                if (!abs)
                    throw atLine(r, what + QStringLiteral(" illisible"), t);
                return *abs;
            };
            const Money out = magnitude(debit, QStringLiteral("débit")),
                        in = magnitude(credit, QStringLiteral("crédit"));
            if (!out.isZero() && !in.isZero())
                throw StatementError(
                    QStringLiteral("ligne %1 : débit et crédit sur la même ligne").arg(r.line));
            line.amount = out.isZero() ? in : *out.negated();
        }
        s.lines.push_back(line);
    }
    return s;
}

} // namespace brelune
