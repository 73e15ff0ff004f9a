#include "statements/matching.h"

#include <QHash>
#include <unordered_map>
#include <unordered_set>

namespace brelune {

namespace {

// The operations of one amount on one day, in storage order, and how many
// of them are taken: each pick takes the first one left.
struct Bucket {
    qint64 day;
    std::vector<std::pair<qint64, std::size_t>> ops; // row id, index
    std::size_t taken = 0;
    bool empty() const { return taken == ops.size(); }
    qint64 firstId() const { return ops[taken].first; }
};

// A line and a day of operations it may match, that many days apart.
struct Candidate {
    std::size_t line;
    Bucket* bucket;
};

} // namespace

std::vector<std::optional<std::size_t>> matchStatement(const std::vector<StatementLine>& lines,
                                                       const std::vector<bool>& skip,
                                                       const OperationTable& operations) {
    std::vector<std::optional<std::size_t>> match(lines.size());
    const auto wanted = [&](std::size_t i) { return !skip[i] && lines[i].date.isValid(); };
    // The operations of an amount some line has, by amount, then day, then storage order.
    std::unordered_set<qint64> amounts;
    for (std::size_t i = 0; i < lines.size(); ++i)
        if (wanted(i))
            amounts.insert(lines[i].amount.units());
    struct Found {
        qint64 units, day, id;
        std::size_t index;
        auto operator<=>(const Found&) const = default;
    };
    std::vector<Found> found;
    for (std::size_t i = 0; i < operations.size(); ++i) {
        const auto op = operations.effect(i);
        if (op.day >= 0 && op.units == qint64(op.units) && amounts.contains(qint64(op.units)))
            found.push_back({qint64(op.units), op.day, op.id, i});
    }
    std::sort(found.begin(), found.end());
    std::unordered_map<qint64, std::vector<Bucket>> byAmount;
    for (const Found& f : found) {
        auto& days = byAmount[f.units];
        if (days.empty() || days.back().day != f.day)
            days.push_back({f.day, {}});
        days.back().ops.emplace_back(f.id, f.index);
    }
    // Every line beside every day of its amount within reach, by distance then line: the order
    // of all pairs sorted by distance, line, then storage order, which are then taken greedily.
    std::vector<std::vector<Candidate>> byDistance(std::max(kDaysBefore, kDaysAfter) + 1);
    for (std::size_t i = 0; i < lines.size(); ++i) {
        const auto days = wanted(i) ? byAmount.find(lines[i].amount.units()) : byAmount.end();
        if (days == byAmount.end())
            continue;
        const qint64 day = lines[i].date.toJulianDay();
        auto it = std::lower_bound(days->second.begin(), days->second.end(), day - kDaysBefore,
                                   [](const Bucket& b, qint64 d) { return b.day < d; });
        for (; it != days->second.end() && it->day <= day + kDaysAfter; ++it)
            byDistance[std::size_t(std::abs(it->day - day))].push_back({i, &*it});
    }
    for (const auto& candidates : byDistance) {
        for (std::size_t k = 0; k < candidates.size(); ++k) {
            // Two days lie at one distance from a line, before and after it: the operation
            // stored first of the two goes.
            const Candidate& c = candidates[k];
            Bucket* pick = c.bucket->empty() ? nullptr : c.bucket;
            if (k + 1 < candidates.size() && candidates[k + 1].line == c.line) {
                Bucket* other = candidates[++k].bucket;
                if (!other->empty() && (!pick || other->firstId() < pick->firstId()))
                    pick = other;
            }
            if (pick && !match[c.line])
                match[c.line] = pick->ops[pick->taken++].second;
        }
    }
    return match;
}

std::vector<QString> lineIdentities(const Statement& statement) {
    std::vector<QString> ids;
    QHash<QString, int> seen;
    for (const StatementLine& line : statement.lines) {
        const QString base = line.fitid.isEmpty()
                                 ? QStringLiteral("%1|%2|%3")
                                       .arg(line.date.toString(Qt::ISODate),
                                            QString::number(line.amount.units()), line.label)
                                 : QStringLiteral("OFX|%1|%2").arg(statement.account, line.fitid);
        ids.push_back(base + QLatin1Char('|') + QString::number(seen[base]++));
    }
    return ids;
}

QString proposedPayment(const StatementLine& line) {
    if (line.amount > Money())
        return QStringLiteral("RENT");
    return line.label.section(QLatin1Char(' '), 0, 0, QString::SectionSkipEmpty);
}

} // namespace brelune
