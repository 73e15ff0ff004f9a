#include "platform/profile_file.h"

#include "platform/file_errors.h"

#include <QFile>
#include <QSaveFile>
#include <QStringDecoder>
#include <algorithm>

namespace brelune {

namespace {

// Characters 0x80-0x9F of Windows-1252; 0 marks the five unassigned codes.
constexpr char16_t kHighHalf[32] = {0x20AC, 0,      0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
                                    0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0,      0x017D, 0,
                                    0,      0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
                                    0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0,      0x017E, 0x0178};

// The file's text split in lines, and how it was written.
struct Text {
    QStringList lines;
    bool utf8 = false;
    bool crlf = true;
};

std::optional<Text> load(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return std::nullopt;
    const QByteArray bytes = file.readAll();
    Text text;
    QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    QString decoded = utf8(bytes);
    if (utf8.hasError())
        decoded = decodeCp1252(bytes);
    else
        text.utf8 = std::any_of(bytes.begin(), bytes.end(), [](char c) { return c & 0x80; });
    if (decoded.startsWith(QChar(0xFEFF)))
        decoded.remove(0, 1);
    text.crlf = decoded.contains(QStringLiteral("\r\n")) || !decoded.contains(QLatin1Char('\n'));
    text.lines = decoded.split(QLatin1Char('\n'));
    for (QString& line : text.lines)
        if (line.endsWith(QLatin1Char('\r')))
            line.chop(1);
    if (!text.lines.isEmpty() && text.lines.last().isEmpty())
        text.lines.removeLast();
    return text;
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
    if (value)
        *value = line.mid(eq + 1).trimmed();
    return true;
}

// Index of the section's header line, or -1.
qsizetype findSection(const QStringList& lines, const QString& section) {
    QString name;
    for (qsizetype i = 0; i < lines.size(); ++i)
        if (isSection(lines[i], &name) && name.compare(section, Qt::CaseInsensitive) == 0)
            return i;
    return -1;
}

void put(QStringList& lines, const ProfileFile::Entry& e) {
    const QString line = e.key + QLatin1Char('=') + e.value;
    const qsizetype header = findSection(lines, e.section);
    if (header < 0) {
        lines << QLatin1Char('[') + e.section + QLatin1Char(']') << line;
        return;
    }
    qsizetype insertAt = header + 1;
    for (qsizetype i = header + 1; i < lines.size() && !isSection(lines[i]); ++i) {
        if (isKey(lines[i], e.key)) {
            lines[i] = line;
            return;
        }
        if (!lines[i].trimmed().isEmpty())
            insertAt = i + 1;
    }
    lines.insert(insertAt, line);
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

std::optional<QString> ProfileFile::read(const QString& section, const QString& key) const {
    const auto text = load(path_);
    if (!text)
        return std::nullopt;
    const qsizetype header = findSection(text->lines, section);
    if (header < 0)
        return std::nullopt;
    QString value;
    for (qsizetype i = header + 1; i < text->lines.size() && !isSection(text->lines[i]); ++i)
        if (isKey(text->lines[i], key, &value))
            return value;
    return std::nullopt;
}

bool ProfileFile::write(const std::vector<Entry>& entries, QString* error) {
    Text text;
    if (QFile::exists(path_)) {
        auto loaded = load(path_);
        if (!loaded) {
            if (error)
                *error = QStringLiteral("le fichier ne peut pas être lu");
            return false;
        }
        text = *loaded;
    }
    for (const Entry& e : entries)
        put(text.lines, e);
    const QString newline = text.crlf ? QStringLiteral("\r\n") : QStringLiteral("\n");
    const QString joined = text.lines.join(newline) + newline;
    std::optional<QByteArray> bytes = text.utf8 ? std::nullopt : encodeCp1252(joined);
    if (!bytes)
        bytes = joined.toUtf8(); // a character outside the code page: keep it whole
    QSaveFile file(path_);
    if (!file.open(QIODevice::WriteOnly) || file.write(*bytes) != bytes->size() || !file.commit()) {
        if (error)
            *error = fileErrorText(file);
        return false;
    }
    return true;
}

} // namespace brelune
