#include "platform/profile_file.h"

#include "platform/safe_file.h"

#include <QFile>
#include <QHash>
#include <QStringDecoder>
#include <algorithm>
#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace brelune {

namespace {

// Characters 0x80-0x9F of Windows-1252; 0 marks the five unassigned codes.
constexpr char16_t kHighHalf[32] = {0x20AC, 0,      0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
                                    0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0,      0x017D, 0,
                                    0,      0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
                                    0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0,      0x017E, 0x0178};

// One line of the file: its text, and the bytes it was read from (line end
// included) until a write changes it. A line that no write touches is
// written back byte for byte.
struct Line {
    QString text;
    QByteArray raw;
};

// The file's lines and how it was written. The encoding is decided once,
// from the whole file, and every write keeps it.
struct Text {
    std::vector<Line> lines;
    bool utf8 = false;
    QByteArray bom;
    // A UTF-16 file (what Windows calls "Unicode"): its lines are held as
    // UTF-8 here and written back in UTF-16.
    std::optional<QStringConverter::Encoding> utf16;
    QByteArray newline = "\r\n";
};

// Written first in a Windows-1252 file whose bytes would otherwise be read as
// UTF-8 or UTF-16: the lone 0xE9 and the first line keep it Windows-1252.
const char* const kCp1252Mark = "; Windows-1252 : \xE9";

bool validUtf8(const QByteArray& bytes) {
    QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    const QString decoded = utf8(bytes);
    return !utf8.hasError();
}

bool isAscii(const QByteArray& bytes) {
    return std::all_of(bytes.begin(), bytes.end(), [](char c) { return !(c & 0x80); });
}

// A file that begins with a UTF-16 mark and whose text would be written back
// the same: its encoding and its text in UTF-8. Nothing for any other file.
struct Utf16Text {
    QStringConverter::Encoding encoding;
    QByteArray utf8;
};
std::optional<Utf16Text> utf16Of(const QByteArray& bytes) {
    if (!bytes.startsWith("\xFF\xFE") && !bytes.startsWith("\xFE\xFF"))
        return std::nullopt;
    const auto wide = bytes[0] == '\xFF' ? QStringConverter::Utf16LE : QStringConverter::Utf16BE;
    const QByteArray body = bytes.sliced(2);
    const QByteArray utf8 = QString(QStringDecoder(wide)(body)).toUtf8();
    if (QByteArray(QStringEncoder(wide)(QString::fromUtf8(utf8))) != body)
        return std::nullopt;
    return Utf16Text{wide, utf8};
}

QString decode(const QByteArray& bytes, bool utf8) {
    return utf8 ? QString::fromUtf8(bytes) : decodeCp1252(bytes);
}

// A text whose every other byte is 0 from the start: UTF-16 written
// without the mark that says which byte comes first.
bool unmarkedUtf16(const QByteArray& bytes) {
    return bytes.size() >= 2 && (bytes[0] == 0) != (bytes[1] == 0);
}

// The file's bytes, at most kProfileLimit of them; nothing when it does not
// exist. Why it cannot be read goes to problem.
std::optional<QByteArray> readBytes(const QString& path, QString* problem) {
    const int fd = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) {
        if (errno != ENOENT)
            *problem = systemErrorText(errno);
        return std::nullopt;
    }
    QByteArray bytes;
    struct stat st;
    if (::fstat(fd, &st) != 0) {
        *problem = systemErrorText(errno);
    } else if (S_ISDIR(st.st_mode)) {
        *problem = systemErrorText(EISDIR);
    } else {
        // Never read whole: a file larger than any real one is refused unread.
        bytes.resize(kProfileLimit + 1);
        qsizetype got = 0;
        while (got < bytes.size()) {
            const ssize_t n = ::read(fd, bytes.data() + got, size_t(bytes.size() - got));
            if (n < 0 && errno == EINTR)
                continue;
            if (n < 0)
                *problem = systemErrorText(errno);
            if (n <= 0)
                break;
            got += n;
        }
        bytes.truncate(got);
        if (problem->isEmpty() && got > kProfileLimit)
            *problem = QStringLiteral("il dépasse 1 Mio, bien plus qu'un fichier de ventilations");
    }
    ::close(fd);
    return bytes;
}

// The lines of a file's bytes, or why they cannot be decoded.
std::optional<Text> parse(QByteArray bytes, QString* problem) {
    Text text;
    if (const auto wide = utf16Of(bytes)) {
        text.utf16 = wide->encoding;
        text.bom = bytes.left(2);
        bytes = wide->utf8;
    } else if (bytes.startsWith("\xFF\xFE") || bytes.startsWith("\xFE\xFF")) {
        *problem = QStringLiteral("son texte UTF-16 est endommagé");
        return std::nullopt;
    } else if (unmarkedUtf16(bytes)) {
        *problem = QStringLiteral("il est écrit en UTF-16 sans marque d'ordre des octets");
        return std::nullopt;
    }
    if (!text.utf16 && bytes.startsWith("\xEF\xBB\xBF")) {
        text.bom = bytes.left(3);
        bytes.remove(0, 3);
    }
    text.utf8 = !text.bom.isEmpty() || (validUtf8(bytes) && !isAscii(bytes));
    // A line ends with CR LF, LF or a lone CR; new lines take the first kind found.
    bool ended = false;
    for (qsizetype from = 0; from < bytes.size();) {
        qsizetype body = from;
        while (body < bytes.size() && bytes[body] != '\n' && bytes[body] != '\r')
            ++body;
        qsizetype end = body;
        if (end < bytes.size())
            end += bytes[end] == '\r' && end + 1 < bytes.size() && bytes[end + 1] == '\n' ? 2 : 1;
        if (end > body && !std::exchange(ended, true))
            text.newline = bytes.mid(body, end - body);
        text.lines.push_back(
            {decode(bytes.mid(from, body - from), text.utf8), bytes.mid(from, end - from)});
        from = end;
    }
    return text;
}

// The file's lines, or why they cannot be read: a missing file is no
// problem, and reads as no line at all.
std::optional<Text> load(const QString& path, QString* problem) {
    problem->clear();
    auto bytes = readBytes(path, problem);
    if (!bytes || !problem->isEmpty())
        return std::nullopt;
    return parse(std::move(*bytes), problem);
}

// The file's bytes, in its encoding; nothing when a changed line holds a
// character that Windows-1252 cannot write.
std::optional<QByteArray> serialise(const Text& text) {
    QByteArray out = text.bom;
    for (const Line& line : text.lines) {
        if (out.size() > text.bom.size() && !out.endsWith('\n') && !out.endsWith('\r'))
            out += text.newline; // a last line without its end, followed now
        if (!line.raw.isEmpty()) {
            out += line.raw;
            continue;
        }
        auto bytes = text.utf8 ? std::optional(line.text.toUtf8()) : encodeCp1252(line.text);
        if (!bytes)
            return std::nullopt;
        out += *bytes + text.newline;
    }
    if (!text.utf8 && !isAscii(out) && (validUtf8(out) || utf16Of(out)))
        out.prepend(QByteArray(kCp1252Mark) + text.newline);
    if (text.utf16) {
        QStringEncoder wide(*text.utf16);
        return text.bom + QByteArray(wide(QString::fromUtf8(out.mid(text.bom.size()))));
    }
    return out;
}

bool isSection(const QString& line, QString* name = nullptr) {
    const QString t = line.trimmed();
    if (!t.startsWith(QLatin1Char('[')))
        return false;
    const qsizetype close = t.indexOf(QLatin1Char(']'));
    if (close < 0)
        return false;
    if (name)
        *name = t.mid(1, close - 1).trimmed();
    return true;
}

bool isKey(const QString& line, const QString& key, QString* value = nullptr) {
    const qsizetype eq = line.indexOf(QLatin1Char('='));
    if (eq < 0 || line.left(eq).trimmed().compare(key, Qt::CaseInsensitive) != 0)
        return false;
    if (value) {
        // A value between double quotes keeps its blanks, the quotes go.
        *value = line.mid(eq + 1).trimmed();
        if (value->size() >= 2 && value->startsWith(u'"') && value->endsWith(u'"'))
            *value = value->mid(1, value->size() - 2);
    }
    return true;
}

// A value as written: quoted when its surrounding blanks or quotes would
// otherwise be lost on reading.
QString written(const QString& value) {
    const bool quote = value != value.trimmed() ||
                       (value.size() >= 2 && value.startsWith(u'"') && value.endsWith(u'"'));
    return quote ? u'"' + value + u'"' : value;
}

// Index of the section's header line, or -1.
qsizetype findSection(const std::vector<Line>& lines, const QString& section) {
    QString name;
    for (std::size_t i = 0; i < lines.size(); ++i)
        if (isSection(lines[i].text, &name) && name.compare(section, Qt::CaseInsensitive) == 0)
            return qsizetype(i);
    return -1;
}

void put(std::vector<Line>& lines, const ProfileFile::Entry& e) {
    const Line line{e.key + QLatin1Char('=') + written(e.value), {}};
    const qsizetype header = findSection(lines, e.section);
    if (header < 0) {
        lines.push_back({QLatin1Char('[') + e.section + QLatin1Char(']'), {}});
        lines.push_back(line);
        return;
    }
    std::size_t insertAt = std::size_t(header) + 1;
    for (std::size_t i = insertAt; i < lines.size() && !isSection(lines[i].text); ++i) {
        if (isKey(lines[i].text, e.key)) {
            lines[i] = line;
            return;
        }
        if (!lines[i].text.trimmed().isEmpty())
            insertAt = i + 1;
    }
    lines.insert(lines.begin() + qsizetype(insertAt), line);
}

} // namespace

QString decodeCp1252(const QByteArray& bytes) {
    QString text;
    text.reserve(bytes.size());
    for (const char byte : bytes) {
        const auto b = static_cast<unsigned char>(byte);
        const char16_t high = b >= 0x80 && b < 0xA0 ? kHighHalf[b - 0x80] : 0;
        text += QChar(high ? high : char16_t(b));
    }
    return text;
}

std::optional<QByteArray> encodeCp1252(const QString& text) {
    QByteArray bytes;
    bytes.reserve(text.size());
    for (const QChar c : text) {
        const char16_t u = c.unicode();
        if (u < 0x80 || (u >= 0xA0 && u <= 0xFF)) {
            bytes += char(u);
            continue;
        }
        const auto* found = std::find(std::begin(kHighHalf), std::end(kHighHalf), u);
        if (found == std::end(kHighHalf) || u == 0)
            return std::nullopt;
        bytes += char(0x80 + (found - std::begin(kHighHalf)));
    }
    return bytes;
}

std::vector<std::optional<QString>> ProfileFile::read(const std::vector<Key>& keys,
                                                      QString* problem) const {
    std::vector<std::optional<QString>> values(keys.size());
    QString why;
    const auto text = load(path_, &why);
    if (problem)
        *problem = why;
    if (!text)
        return values;
    // Where each section starts, found in one pass however long the file:
    // the first header of a name is the one that counts.
    QHash<QString, qsizetype> sections;
    QString name;
    for (std::size_t i = 0; i < text->lines.size(); ++i)
        if (isSection(text->lines[i].text, &name) && !sections.contains(name.toCaseFolded()))
            sections.insert(name.toCaseFolded(), qsizetype(i));
    for (std::size_t k = 0; k < keys.size(); ++k) {
        const qsizetype header = sections.value(keys[k].section.toCaseFolded(), -1);
        QString value;
        for (std::size_t i = std::size_t(header) + 1;
             header >= 0 && i < text->lines.size() && !isSection(text->lines[i].text); ++i)
            if (isKey(text->lines[i].text, keys[k].key, &value)) {
                values[k] = value;
                break;
            }
    }
    return values;
}

std::optional<QByteArray> ProfileFile::bytes(QString* problem) const {
    problem->clear();
    auto bytes = readBytes(path_, problem);
    if (bytes && problem->isEmpty() && parse(*bytes, problem))
        return bytes;
    if (problem->isEmpty())
        *problem = QStringLiteral("le fichier est introuvable");
    return std::nullopt;
}

bool ProfileFile::canHold(const QString& text) const {
    QString problem;
    const auto loaded = load(path_, &problem);
    return (loaded && loaded->utf8) || encodeCp1252(text).has_value();
}

bool ProfileFile::write(const std::vector<Entry>& entries, QString* error) {
    // A line break would end the key's line early and make the rest a line of its own.
    for (const Entry& e : entries)
        for (const QString* s : {&e.section, &e.key, &e.value})
            if (s->contains(u'\n') || s->contains(u'\r')) {
                if (error)
                    *error = QStringLiteral("une valeur contient un saut de ligne");
                return false;
            }
    QString problem;
    auto loaded = load(path_, &problem);
    if (!problem.isEmpty()) {
        if (error)
            *error = problem;
        return false;
    }
    Text text = loaded ? std::move(*loaded) : Text{};
    for (const Entry& e : entries)
        put(text.lines, e);
    auto bytes = serialise(text);
    if (!bytes) {
        // A character outside the code page: the whole file moves to UTF-8,
        // so that every value still reads the same.
        text.utf8 = true;
        for (Line& line : text.lines)
            line.raw.clear();
        bytes = serialise(text);
    }
    if (const auto failure = replaceFile(path_, *bytes)) {
        if (error)
            *error = *failure;
        return false;
    }
    return true;
}

} // namespace brelune
