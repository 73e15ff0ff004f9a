// Properties of the readers and writers, checked on arbitrary input: each one a libFuzzer program,
// and fuzz_replay, which runs them all over the corpus kept beside this file. A broken property
// aborts.
#include "allocation/ventil_store.h"
#include "input/amount_reading.h"
#include "platform/locale.h"
#include "platform/money.h"
#include "platform/profile_file.h"
#include "statements/statement.h"

#include <QDir>
#include <QRegularExpression>
#include <QStringDecoder>
#include <QTemporaryDir>
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>

using namespace brelune;

namespace {

#define CHECK(ok)                                                                                  \
    do {                                                                                           \
        if (!(ok)) {                                                                               \
            std::fprintf(stderr, "property broken, line %d: %s\n", __LINE__, #ok);                 \
            std::abort();                                                                          \
        }                                                                                          \
    } while (false)

struct Input {
    const uint8_t* data;
    size_t size;
    template <class T> T take() {
        T value{};
        const size_t n = std::min(sizeof value, size);
        std::memcpy(&value, data, n);
        data += n, size -= n;
        return value;
    }
    QString text() { // up to the first NUL byte, which goes too
        const auto* stop = static_cast<const uint8_t*>(std::memchr(data, 0, size));
        const size_t n = stop ? size_t(stop - data) : size;
        const QString out = QString::fromUtf8(reinterpret_cast<const char*>(data), qsizetype(n));
        data += std::min(size, n + 1), size -= std::min(size, n + 1);
        return out;
    }
    QByteArray rest() { return QByteArray(reinterpret_cast<const char*>(data), qsizetype(size)); }
};

// An amount shown and typed back is the same amount; any typed text means what its normal form
// (sign, digits, exponent) means.
void amount(Input in) {
    const Money m = Money::fromUnits(in.take<qint64>());
    const TypedAmount shown = readAmount(m.plain(u'.'));
    CHECK(shown.toMoney() == m);
    CHECK(shown.digits.size() > 15 || shown.searchedMoney() == m);
    const auto cents = readAmount(m.fixed2(u'.')).toMoney(); // within half a cent
    const __int128 off = cents ? __int128(cents->units()) - m.units() : 1000;
    CHECK(off >= -50 && off <= 50 && cents->units() % 100 == 0);
    const TypedAmount a = readAmount(in.text());
    const TypedAmount b =
        readAmount((a.negative ? "-" : "") + a.digits + 'e' + QString::number(a.exponent));
    CHECK(a.isZero() == b.isZero() && a.toMoney() == b.toMoney() &&
          a.searchedMoney() == b.searchedMoney() && a.toDouble() == b.toDouble());
}

// A date written in a short date format reads back as the same date, for every format a system
// may give; so does any text read as a date, once written.
void date(Input in) {
    static const QStringList patterns = [] {
        QStringList all;
        for (const QLocale& l : QLocale::matchingLocales(QLocale::AnyLanguage, QLocale::AnyScript,
                                                         QLocale::AnyTerritory))
            all << l.dateFormat(QLocale::ShortFormat);
        all.sort();
        all.removeDuplicates();
        return all;
    }();
    const Locale locale(u',', patterns[in.take<quint8>() % patterns.size()]);
    const QDate first(1, 1, 1);
    const QDate d = first.addDays(in.take<quint32>() % (first.daysTo(QDate(9999, 12, 31)) + 1));
    CHECK(locale.parseDate(locale.formatDate(d)) == d);
    if (const auto read = locale.parseDate(in.text()))
        CHECK(locale.parseDate(locale.formatDate(*read)) == read);
}

// A total written as number text reads back, through the 254 characters a value of the file
// gives, as a total written the same; any text read as a total is the number it spells.
void total(Input in) {
    const QChar decimal = in.take<quint8>() % 2 ? u',' : u'.';
    auto writtenBack = [&](double t) {
        const QString w = numberText(t, decimal);
        const auto back = readTotal(w.left(254));
        CHECK(back && numberText(*back, decimal) == w);
    };
    if (const double v = in.take<double>(); writableTotal(v))
        writtenBack(v);
    const QString text = in.text();
    if (const auto t = readTotal(text)) {
        const QByteArray c = text.trimmed().replace(u',', u'.').toLatin1();
        char* end = nullptr;
        CHECK(c.isEmpty() ? *t == 0 : std::strtod(c.constData(), &end) == *t && !*end);
        writtenBack(*t);
    }
}

// A file's lines as the profile file reads them: UTF-16 after its mark when it would be written
// back the same, else UTF-8 when valid or marked, else Windows-1252; a line ends with CR LF, LF or
// a lone CR.
QStringList linesOf(const QByteArray& bytes) {
    const auto wide =
        bytes.startsWith("\xFF\xFE") ? QStringConverter::Utf16LE : QStringConverter::Utf16BE;
    QString text = QString::fromUtf8(QString(QStringDecoder(wide)(bytes.mid(2))).toUtf8());
    if (!(bytes.startsWith("\xFF\xFE") || bytes.startsWith("\xFE\xFF")) ||
        QByteArray(QStringEncoder(wide)(text)) != bytes.mid(2)) {
        QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
        text = utf8(bytes);
        if (utf8.hasError() && !bytes.startsWith("\xEF\xBB\xBF"))
            text = decodeCp1252(bytes);
    }
    static const QRegularExpression end(QStringLiteral("\r\n|\n|\r"));
    QStringList lines = text.split(end);
    if (lines.last().isEmpty())
        lines.removeLast();
    return lines;
}

// A value written reads back the same, every other key reads as before, every other line stays;
// only a value with a line break, or a file that cannot be read, is refused, and then the file
// stays as it was.
void profile(Input in) {
    static const QTemporaryDir dir;
    static const QString path = dir.filePath(QStringLiteral("ptconte.ini"));
    static const char* const prefixes[] = {"venti/texo(", "date_de_debut/datdebu(",
                                           "montant_par_ventil/montant("};
    const quint8 k = in.take<quint8>();
    QString name = QString::fromLatin1(prefixes[k % 30 / 10]) + QString::number(k % 10) + u')';
    if (k / 30 % 2)
        name = name.toUpper();
    const QString section = name.section(u'/', 0, 0), key = name.section(u'/', 1);
    const QString value = in.text();
    const QByteArray before = in.rest();
    QFile(path).remove();
    QFile out(path);
    CHECK(out.open(QIODevice::WriteOnly) && out.write(before) == before.size());
    out.close();

    std::vector<ProfileFile::Key> others;
    QString current;
    for (const QString& line : linesOf(before)) {
        const QString t = line.trimmed();
        if (t.startsWith(u'[') && t.contains(u']'))
            current = t.mid(1, t.indexOf(u']') - 1).trimmed();
        else if (t.contains(u'=') &&
                 (current.compare(section, Qt::CaseInsensitive) ||
                  t.section(u'=', 0, 0).trimmed().compare(key, Qt::CaseInsensitive)))
            others.push_back({current, t.section(u'=', 0, 0).trimmed()});
    }
    ProfileFile file(path);
    QString unreadable;
    const auto was = file.read(others, &unreadable);
    const bool written = file.write(section, key, value);
    CHECK(written != (value.contains(u'\n') || value.contains(u'\r') || !unreadable.isEmpty()));
    QFile after(path);
    CHECK(after.open(QIODevice::ReadOnly));
    const QByteArray now = after.readAll();
    if (!written) {
        CHECK(now == before);
        return;
    }
    CHECK(file.read(section, key) == value);
    CHECK(file.read(others) == was);
    QStringList b = linesOf(before), a = linesOf(now);
    const QString mark = QStringLiteral("; Windows-1252 : é");
    if (!a.isEmpty() && a.first() == mark && (b.isEmpty() || b.first() != mark))
        a.removeFirst();
    qsizetype p = 0, s = 0;
    while (p < a.size() && p < b.size() && a[p] == b[p])
        ++p;
    while (s < a.size() - p && s < b.size() - p && a[a.size() - 1 - s] == b[b.size() - 1 - s])
        ++s;
    const qsizetype replaced = b.size() - p - s; // the key's old line, or none
    CHECK(replaced <= 1 && a.size() - p - s <= (replaced ? 1 : 2));
}

// A bank file of any bytes is read or refused with a reason, nothing else; every amount read is
// written back as general text that reads as the same amount, and to the cent within half a cent.
void statement(Input in) {
    const QByteArray bytes = in.rest();
    const auto writtenBack = [](Money m) {
        CHECK(readStatementAmount(m.plain(u'.')) == m);
        const auto cents = readStatementAmount(m.fixed2(u'.'));
        CHECK(cents && cents->units() % 100 == 0 && cents->minus(m) &&
              std::abs(cents->minus(m)->units()) <= 50);
    };
    if (const auto m = readStatementAmount(QString::fromUtf8(bytes.left(64))))
        writtenBack(*m);
    for (const auto reader : {readQif, readCsv, readOfx}) {
        try {
            for (const StatementLine& line : reader(bytes).lines) {
                CHECK(line.date.isValid());
                writtenBack(line.amount);
            }
        } catch (const StatementError& e) {
            CHECK(!e.reason().isEmpty());
        }
    }
}

const std::pair<const char*, void (*)(Input)> kTargets[] = {{"amount", amount},
                                                            {"date", date},
                                                            {"total", total},
                                                            {"profile", profile},
                                                            {"statement", statement}};

} // namespace

#ifdef BRELUNE_FUZZ_TARGET
extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static const auto target = std::find_if(std::begin(kTargets), std::end(kTargets), [](auto& t) {
        return !std::strcmp(t.first, BRELUNE_FUZZ_TARGET);
    });
    target->second({data, size});
    return 0;
}
#else
int main() {
    for (const auto& [name, property] : kTargets) {
        const QDir dir(QStringLiteral(BRELUNE_CORPUS "/") + QLatin1String(name));
        const QStringList files = dir.entryList(QDir::Files);
        CHECK(!files.isEmpty());
        for (const QString& f : files) {
            QFile file(dir.filePath(f));
            CHECK(file.open(QIODevice::ReadOnly));
            const QByteArray bytes = file.readAll();
            property({reinterpret_cast<const uint8_t*>(bytes.constData()), size_t(bytes.size())});
        }
        std::printf("%s: %lld inputs\n", name, qlonglong(files.size()));
    }
}
#endif
