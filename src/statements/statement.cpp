#include "statements/statement.h"

#include "platform/profile_file.h"
#include "platform/safe_file.h"

#include <QFile>
#include <QRegularExpression>
#include <QStringDecoder>
#include <algorithm>
#include <cerrno>
#include <fcntl.h>
#include <limits>
#include <sys/stat.h>
#include <unistd.h>

namespace brelune {

namespace {

const QByteArray kUtf8Mark("\xEF\xBB\xBF");

bool isDigit(QChar c) {
    return c >= u'0' && c <= u'9';
}

bool allDigits(QStringView s) {
    return !s.isEmpty() && std::all_of(s.begin(), s.end(), isDigit);
}

// Drops a currency written before or after the number, once.
bool dropCurrency(QString& text, bool atStart) {
    for (const QString& currency : {QStringLiteral("€"), QStringLiteral("EUR")}) {
        if (atStart ? text.startsWith(currency, Qt::CaseInsensitive)
                    : text.endsWith(currency, Qt::CaseInsensitive)) {
            text = (atStart ? text.mid(currency.size()) : text.chopped(currency.size())).trimmed();
            return true;
        }
    }
    return false;
}

// The integer part "1 234 567" or "1234567", grouped by sep when sep is not null.
bool groupedDigits(QStringView digits, QChar sep) {
    if (sep.isNull())
        return allDigits(digits);
    const auto groups = digits.split(sep);
    for (qsizetype i = 0; i < groups.size(); ++i)
        if (!allDigits(groups[i]) || groups[i].size() > 3 || (i > 0 && groups[i].size() != 3))
            return false;
    return true;
}

// Every file is read whole, but no more than the largest one read: a bigger
// file, or one that grows while read, is refused.
QByteArray readBounded(const QString& path) {
    // Without waiting: a named pipe chosen in the dialog would block the open until written to.
    const int fd = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0)
        throw StatementError(errno == ENOENT ? QStringLiteral("le fichier est introuvable")
                                             : systemErrorText(errno));
    const auto refuse = [fd](const QString& reason) {
        ::close(fd);
        throw StatementError(reason);
    };
    const QString tooBig = QStringLiteral("le fichier dépasse %1 Mo, bien plus qu'un relevé")
                               .arg(kStatementMaxBytes / 1000000);
    struct stat st;
    if (::fstat(fd, &st) != 0)
        refuse(systemErrorText(errno));
    if (S_ISDIR(st.st_mode))
        refuse(systemErrorText(EISDIR));
    if (!S_ISREG(st.st_mode))
        refuse(QStringLiteral("ce n'est pas un fichier ordinaire"));
    if (st.st_size > kStatementMaxBytes)
        refuse(tooBig);
    QByteArray bytes(qsizetype(std::max<off_t>(st.st_size, 0)) + 1, Qt::Uninitialized);
    qsizetype size = 0;
    for (;;) {
        if (size == bytes.size())
            bytes.resize(std::min<qsizetype>(size * 2 + 4096, kStatementMaxBytes + 1));
        const ssize_t n = ::read(fd, bytes.data() + size, size_t(bytes.size() - size));
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0)
            refuse(systemErrorText(errno));
        if (n == 0)
            break;
        size += n;
        if (size > kStatementMaxBytes)
            refuse(tooBig);
    }
    ::close(fd);
    bytes.truncate(size);
    return bytes;
}

enum class Kind { Ofx, Qif, Csv };

Kind kindOf(const QByteArray& bytes) {
    QByteArrayView v(bytes);
    if (v.startsWith(kUtf8Mark))
        v = v.sliced(3);
    qsizetype skip = 0;
    while (skip < v.size() && QChar::isSpace(uchar(v[skip])))
        ++skip;
    const QByteArray head =
        v.sliced(skip).first(std::min<qsizetype>(v.size() - skip, 4096)).toByteArray().toUpper();
    if (head.startsWith("OFXHEADER") || head.startsWith("<OFX>") ||
        (head.startsWith("<?XML") && head.contains("<OFX")))
        return Kind::Ofx;
    if (head.startsWith("!TYPE:") || head.startsWith("!ACCOUNT"))
        return Kind::Qif;
    return Kind::Csv;
}

} // namespace

std::optional<Money> readStatementAmount(QString text) {
    text = text.trimmed();
    bool currency = dropCurrency(text, false), negative = false, signed_ = false;
    for (bool again = true; again;) {
        again = false;
        if (!signed_ && !text.isEmpty() && QStringView(u"+-\u2212").contains(text[0])) {
            negative = text[0] != u'+';
            text = text.mid(1).trimmed();
            signed_ = again = true;
        } else if (!currency && dropCurrency(text, true)) {
            currency = again = true;
        }
    }
    // Every kind of blank groups digits alike ("1 234,56" with a no-break space).
    for (QChar& c : text)
        if (c.isSpace())
            c = u' ';
    const qsizetype comma = text.count(u','), point = text.count(u'.');
    QChar decimal, group = text.contains(u' ') ? u' ' : QChar();
    if (comma && point)
        decimal = text.lastIndexOf(u',') > text.lastIndexOf(u'.') ? u',' : u'.';
    else if (comma + point == 1)
        decimal = comma ? u',' : u'.';
    for (const QChar sep : {u',', u'.'}) {
        if (sep == decimal || !text.contains(sep))
            continue;
        if (!group.isNull())
            return std::nullopt; // two kinds of grouping
        group = sep;
    }
    if (!decimal.isNull() && text.count(decimal) != 1)
        return std::nullopt;
    const qsizetype at = decimal.isNull() ? text.size() : text.indexOf(decimal);
    const QStringView whole = QStringView(text).first(at);
    QStringView decimals = QStringView(text).sliced(std::min(at + 1, text.size()));
    if (!groupedDigits(whole, group) || (!decimal.isNull() && !allDigits(decimals)))
        return std::nullopt;
    // A bank gives cents. "1,234" could be either a thousand or so or one euro and a bit: such
    // an amount, like one with more than cents, is never guessed at.
    if (comma + point == 1 && decimals.size() == 3)
        return std::nullopt;
    while (decimals.size() > 2 && decimals.endsWith(u'0'))
        decimals.chop(1);
    if (decimals.size() > 2)
        return std::nullopt;
    // Counted in ten-thousandths, with room for the one more a negative range has.
    using Wide = unsigned __int128;
    constexpr Wide kLimit = Wide(std::numeric_limits<qint64>::max()) + 1;
    Wide units = 0;
    for (const QChar c : whole) {
        if (c != group && (units = units * 10 + (c.unicode() - u'0')) > kLimit)
            return std::nullopt;
    }
    for (qsizetype i = 0; i < 4; ++i)
        units = units * 10 + (i < decimals.size() ? decimals[i].unicode() - u'0' : 0);
    if (units > kLimit - (negative ? 0 : 1))
        return std::nullopt;
    return Money::fromUnits(qint64(negative ? -__int128(units) : __int128(units)));
}

QDate readStatementDate(const QString& text) {
    QString t = text;
    t.removeIf([](QChar c) { return c.isSpace(); });
    static const QRegularExpression iso(QStringLiteral("^([0-9]{4})-([0-9]{2})-([0-9]{2})$"));
    static const QRegularExpression dayFirst(
        QStringLiteral("^([0-9]{1,2})([/.-])([0-9]{1,2})(?:\\2([0-9]{4}|[0-9]{2})|'([0-9]{2}))$"));
    if (const auto m = iso.match(t); m.hasMatch())
        return QDate(m.captured(1).toInt(), m.captured(2).toInt(), m.captured(3).toInt());
    const auto m = dayFirst.match(t);
    if (!m.hasMatch())
        return {};
    const QString y = m.captured(4).isEmpty() ? m.captured(5) : m.captured(4);
    int year = y.toInt();
    // Two-digit years fall in 1930-2029, as everywhere else in the program.
    if (y.size() == 2)
        year += year < 30 ? 2000 : 1900;
    return QDate(year, m.captured(3).toInt(), m.captured(1).toInt());
}

QString statementText(const QByteArray& bytes) {
    if (const qsizetype nul = bytes.indexOf('\0'); nul >= 0)
        throw StatementError(
            QStringLiteral("ligne %1 : octet nul, le fichier n'est pas un texte en UTF-8 ni en "
                           "Windows-1252")
                .arg(bytes.first(nul).count('\n') + 1));
    if (bytes.startsWith(kUtf8Mark))
        return QString::fromUtf8(bytes.sliced(3));
    QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    const QString text = utf8(bytes);
    return utf8.hasError() ? decodeCp1252(bytes) : text;
}

QString statementLabel(const QString& payee, const QString& memo) {
    const QString p = payee.simplified(), m = memo.simplified();
    return m.isEmpty() || m == p ? p : p.isEmpty() ? m : p + u' ' + m;
}

QString quotedInReason(const QString& text) {
    constexpr qsizetype kShown = 40;
    return QStringLiteral("« %1 »").arg(
        text.size() > kShown ? text.first(kShown) + QStringLiteral("…") : text);
}

QString lineTooLong(qsizetype line) {
    static_assert(kStatementMaxLine == 10000, "the reason below says how long");
    return QStringLiteral("ligne %1 : ligne trop longue (plus de 10 000 caractères)").arg(line);
}

Statement readStatement(const QString& path) {
    const QByteArray bytes = readBounded(path);
    if (bytes.trimmed().isEmpty() || bytes == kUtf8Mark)
        throw StatementError(QStringLiteral("le fichier est vide"));
    switch (kindOf(bytes)) {
    case Kind::Ofx:
        return readOfx(bytes);
    case Kind::Qif:
        return readQif(bytes);
    case Kind::Csv:
        break;
    }
    return readCsv(bytes);
}

} // namespace brelune
