// ProfileFile: a Windows profile (INI) file. Sections and keys are found
// without regard to letter case and values lose their surrounding blanks
// (a value between double quotes keeps them, without the quotes). A
// write changes only the lines it must and replaces the whole file at once,
// so a crash never leaves half a file.
#pragma once

#include <QString>
#include <optional>
#include <vector>

namespace brelune {

// No real profile file comes near this size; a larger one is never read.
constexpr qsizetype kProfileLimit = 1024 * 1024;

class ProfileFile {
public:
    struct Entry {
        QString section;
        QString key;
        QString value;
    };

    explicit ProfileFile(QString path) : path_(std::move(path)) {}
    const QString& path() const { return path_; }

    struct Key {
        QString section;
        QString key;
    };

    // The key's value, or nothing when the file, the section or the key is
    // missing, or when the file cannot be read.
    std::optional<QString> read(const QString& section, const QString& key) const {
        return read(std::vector<Key>{{section, key}}).front();
    }
    // Several values from one reading of the file, in the order asked. Why a
    // file that is there cannot be read goes to problem, in French (access
    // refused, larger than kProfileLimit, UTF-16 that does not decode); a
    // missing file is no problem.
    std::vector<std::optional<QString>> read(const std::vector<Key>& keys,
                                             QString* problem = nullptr) const;

    // The file's bytes, when it can be read as a profile file; otherwise
    // nothing, and problem says why (a missing file too).
    std::optional<QByteArray> bytes(QString* problem) const;

    // True when the file can take this text in its own encoding: always for a
    // UTF-8 or UTF-16 file, for a Windows-1252 one (or a new file) only when
    // that code page can write every character.
    bool canHold(const QString& text) const;

    // Writes every entry in one replacement of the file; creates the file,
    // for its user alone, when it does not exist. An entry holding a line
    // break is refused, and so is a file that cannot be read. On failure the
    // file is as it was, byte for byte, and error says why.
    bool write(const std::vector<Entry>& entries, QString* error = nullptr);
    bool write(const QString& section, const QString& key, const QString& value,
               QString* error = nullptr) {
        return write({Entry{section, key, value}}, error);
    }

private:
    QString path_;
};

// Windows-1252, the code page the profile files are written in.
QString decodeCp1252(const QByteArray& bytes);
// Nothing when the text holds a character that code page cannot write.
std::optional<QByteArray> encodeCp1252(const QString& text);

} // namespace brelune
