// Locale: the user's decimal separator and short date format, fetched once
// and compiled, so that formatting a whole register costs no locale lookups.
#pragma once

#include <QChar>
#include <QDate>
#include <QLocale>
#include <QString>
#include <optional>
#include <vector>

namespace brelune {

class Locale {
public:
    // A short date pattern in Qt's notation ("dd/MM/yyyy", "M/d/yy"); a
    // two-digit year is widened to four digits for writing.
    Locale(QChar decimal, const QString& shortDatePattern,
           const QLocale& language = QLocale(QLocale::French, QLocale::France));

    // The system's settings; French (France) when the system gives none.
    static Locale fromSystem();
    static Locale french();
    static Locale english();

    QChar decimal() const { return decimal_; }
    QString datePattern() const { return pattern_; }

    QString formatDate(QDate date) const;
    // Appends the date to a text being built, without a text of its own.
    void appendDate(QString& out, QDate date) const;
    // Reads a date written in the short date format, with a four-digit or a
    // two-digit year (which falls in 1930-2029).
    std::optional<QDate> parseDate(const QString& text) const;
    // Upper case by the user's language rules ("Prél" gives "PRÉL").
    QString upper(const QString& text) const;

private:
    enum class Field { Literal, Day, Month, Year };
    struct Token {
        Field field;
        int width; // digits written for Day and Month (1 or 2)
        QString literal;
    };
    void compile();

    QChar decimal_;
    QString pattern_;
    QLocale language_; // for the rules of letter case
    std::vector<Token> tokens_;
    bool compiled_ = false; // false: a pattern this class does not take apart
};

} // namespace brelune
