#include "platform/locale.h"

#include <QLocale>

namespace brelune {

namespace {

QString widenYear(const QString& pattern) {
    QString out;
    for (qsizetype i = 0; i < pattern.size();) {
        if (pattern[i] == QLatin1Char('\'')) {
            const qsizetype end = pattern.indexOf(QLatin1Char('\''), i + 1);
            const qsizetype stop = end < 0 ? pattern.size() : end + 1;
            out += pattern.mid(i, stop - i);
            i = stop;
            continue;
        }
        qsizetype run = 1;
        while (i + run < pattern.size() && pattern[i + run] == pattern[i])
            ++run;
        if (pattern[i] == QLatin1Char('y') && run == 2)
            out += QStringLiteral("yyyy");
        else
            out += pattern.mid(i, run);
        i += run;
    }
    return out;
}

void appendNumber(QString& out, int value, int width) {
    if (width == 2 && value < 10)
        out += QLatin1Char('0');
    if (value >= 100) {
        out += QString::number(value);
        return;
    }
    if (value >= 10)
        out += QLatin1Char(char('0' + value / 10));
    out += QLatin1Char(char('0' + value % 10));
}

} // namespace

Locale::Locale(QChar decimal, const QString& shortDatePattern, const QLocale& language)
    : decimal_(decimal), pattern_(widenYear(shortDatePattern)), language_(language) {
    compile();
}

Locale Locale::fromSystem() {
    const QLocale system = QLocale::system();
    if (system.language() == QLocale::C)
        return french();
    const QString decimal = system.decimalPoint();
    return Locale(decimal.isEmpty() ? QLatin1Char(',') : decimal.at(0),
                  system.dateFormat(QLocale::ShortFormat), system);
}

Locale Locale::french() {
    return Locale(QLatin1Char(','), QStringLiteral("dd/MM/yyyy"));
}

Locale Locale::english() {
    return Locale(QLatin1Char('.'), QStringLiteral("M/d/yyyy"),
                  QLocale(QLocale::English, QLocale::UnitedStates));
}

void Locale::compile() {
    tokens_.clear();
    compiled_ = false;
    for (qsizetype i = 0; i < pattern_.size();) {
        const QChar c = pattern_[i];
        if (c == QLatin1Char('\'')) {
            const qsizetype end = pattern_.indexOf(QLatin1Char('\''), i + 1);
            if (end < 0)
                return;
            const QString quoted =
                end == i + 1 ? QStringLiteral("'") : pattern_.mid(i + 1, end - i - 1);
            tokens_.push_back({Field::Literal, 0, quoted});
            i = end + 1;
            continue;
        }
        qsizetype run = 1;
        while (i + run < pattern_.size() && pattern_[i + run] == c)
            ++run;
        if (c == QLatin1Char('d') || c == QLatin1Char('M')) {
            if (run > 2)
                return; // day or month names
            tokens_.push_back({c == QLatin1Char('d') ? Field::Day : Field::Month, int(run), {}});
        } else if (c == QLatin1Char('y')) {
            if (run != 4)
                return;
            tokens_.push_back({Field::Year, 4, {}});
        } else if (c.isLetter()) {
            return; // times, eras and the like
        } else {
            tokens_.push_back({Field::Literal, 0, pattern_.mid(i, run)});
        }
        i += run;
    }
    compiled_ = true;
}

void Locale::appendDate(QString& out, QDate date) const {
    if (!compiled_) {
        out += date.toString(pattern_);
        return;
    }
    int year = 0, month = 0, day = 0;
    date.getDate(&year, &month, &day);
    for (const Token& t : tokens_) {
        switch (t.field) {
        case Field::Literal:
            out += t.literal;
            break;
        case Field::Day:
            appendNumber(out, day, t.width);
            break;
        case Field::Month:
            appendNumber(out, month, t.width);
            break;
        case Field::Year:
            if (year >= 1000 && year <= 9999)
                appendNumber(out, year, 4);
            else
                out += QString::number(year).rightJustified(4, QLatin1Char('0'));
            break;
        }
    }
}

QString Locale::formatDate(QDate date) const {
    QString out;
    out.reserve(12);
    appendDate(out, date);
    return out;
}

std::optional<QDate> Locale::parseDate(const QString& input) const {
    const QString text = input.trimmed();
    if (!compiled_) {
        const QDate date = QDate::fromString(text, pattern_);
        return date.isValid() ? std::optional<QDate>(date) : std::nullopt;
    }
    int year = -1, month = -1, day = -1;
    qsizetype pos = 0;
    auto readDigits = [&](int maxCount, int& count) {
        int value = 0;
        count = 0;
        while (pos < text.size() && count < maxCount && text[pos].isDigit() &&
               text[pos].unicode() < 128) {
            value = value * 10 + (text[pos].unicode() - '0');
            ++pos;
            ++count;
        }
        return value;
    };
    for (const Token& t : tokens_) {
        int count = 0;
        switch (t.field) {
        case Field::Literal:
            if (!QStringView(text).mid(pos).startsWith(t.literal))
                return std::nullopt;
            pos += t.literal.size();
            break;
        case Field::Day:
        case Field::Month: {
            const int value = readDigits(2, count);
            if (count == 0)
                return std::nullopt;
            (t.field == Field::Day ? day : month) = value;
            break;
        }
        case Field::Year: {
            const int value = readDigits(4, count);
            if (count == 4)
                year = value;
            else if (count == 2)
                year = value < 30 ? 2000 + value : 1900 + value;
            else
                return std::nullopt;
            break;
        }
        }
    }
    if (pos != text.size() || !QDate::isValid(year, month, day))
        return std::nullopt;
    return QDate(year, month, day);
}

QString Locale::upper(const QString& text) const {
    return language_.toUpper(text);
}

} // namespace brelune
