// The ten spending categories ("ventilations"), kept in ptconte.ini only: for
// category i its name (venti/texo(i)), the date its total runs from
// (date_de_debut/datdebu(i)) and the total allotted since
// (montant_par_ventil/montant(i)). Nothing is kept in memory: every reading
// goes to the file, so a value edited there by hand is what the next action
// uses, and every change is one replacement of the file, all or nothing.
#pragma once

#include "platform/dialogs.h"
#include "platform/locale.h"
#include "platform/profile_file.h"

#include <QDate>
#include <QString>
#include <optional>
#include <vector>

namespace brelune {

struct RunContext;

constexpr int kVentilCount = 10;

// The three stored texts of one category, as read: an absent key reads
// "Default", an empty value "".
struct VentilTexts {
    QString name;
    QString startDate;
    QString total;
};

// Why a change was not made, as the message that tells the user.
struct VentilRefusal {
    QString text;
    QString caption;
    Icon icon;
};

// The thirty keys of a new file: the default names, today as every start
// date, 0 as every total.
std::vector<ProfileFile::Entry> defaultVentilEntries(const QString& today);

// The ten categories, category 0 first, from one reading of the file. A file
// that is there but cannot be read reads as if it were missing, and problem
// then holds the message that says why.
std::vector<VentilTexts> read_ventil(const RunContext& ctx,
                                     std::optional<VentilRefusal>* problem = nullptr);

// Why the file takes no change: it is there but cannot be read.
std::optional<VentilRefusal> unreadableFile(const RunContext& ctx);
// Why category i's total cannot take an allotment: the file cannot be read,
// or the total is no number.
std::optional<VentilRefusal> unreadableTotal(const RunContext& ctx, int i);
// Adds the amount to category i's total.
std::optional<VentilRefusal> add_ventil(const RunContext& ctx, int i, double amount);
// Gives category i a new name, 0 as its total and today as its start date.
std::optional<VentilRefusal> reset_ventil(const RunContext& ctx, int i, const QString& name);
// A name renaming takes: 1 to 15 characters, no line break, and only
// characters the file can hold.
bool conformingName(const RunContext& ctx, const QString& name);
// True when a total of that size can be written back exactly.
bool writableTotal(double value);

// A total read back: "," or "." as decimal separator, no grouping; an empty
// text is 0. Nothing when the text is no number.
std::optional<double> readTotal(const QString& text);
// Number text: up to 15 significant digits, no grouping, a leading "-" when
// negative, the given decimal separator; an exponent ("1,5E-250") only for a
// number too long to be written in full in the 254 characters a value of the
// file reads back.
QString numberText(double value, QChar decimal);
// "###0.00": two decimals rounded half away from zero.
QString fixed2(double value, QChar decimal);

// The summary of the ten categories, line by line, as Label3 shows it.
QString statText(const std::vector<VentilTexts>& categories, QDate today, const Locale& locale);

} // namespace brelune
