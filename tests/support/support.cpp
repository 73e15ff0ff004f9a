#include "support.h"

#include "app/data_files.h"
#include "platform/account_db.h"
#include "register/amount_reading.h"

#include <SQLiteCpp/Database.h>
#include <SQLiteCpp/Statement.h>
#include <stdexcept>

namespace brelune::test {

// The next step, if it is of the kind the dialog takes; "cancel" gives nothing.
std::optional<QString> ScriptedDialogs::next(const QStringList& shown, bool answer) {
    shown_ << shown.join(u'|');
    const QString step = script_.value(0);
    if (script_.isEmpty() || answer != (step == "yes" || step == "no")) {
        unexpected_ = true;
        shown_ << QStringLiteral("(unexpected)");
        return std::nullopt;
    }
    script_.removeFirst();
    return step == "cancel" ? std::nullopt : std::optional(step);
}

Answer ScriptedDialogs::message(const QString& text, const QString& caption, Icon icon,
                                Buttons buttons) {
    static const char* const icons[] = {"none", "exclamation", "question", "critical"};
    const QStringList line{"message", caption, icons[int(icon)],
                           buttons == Buttons::Ok ? "OK" : "YesNo", text};
    if (buttons == Buttons::Ok) { // an OK box needs no scripted answer
        shown_ << line.join(u'|');
        if (onMessage)
            onMessage();
        return Answer::Ok;
    }
    return next(line, true) == "yes" ? Answer::Yes : Answer::No;
}

static SQLite::Database openDb(const QString& path) {
    return SQLite::Database(QFile::encodeName(path).toStdString(), SQLite::OPEN_READWRITE);
}

QByteArray contents(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

void writeFile(const QString& path, const QByteArray& bytes) {
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly) || f.write(bytes) != bytes.size())
        throw std::runtime_error("cannot write " + path.toStdString());
}

Money eur(const QString& text) {
    const auto m = readAmount(text).toMoney();
    if (!m)
        throw std::invalid_argument(text.toStdString());
    return *m;
}

QString dbProblem(const QString& reason, bool wasWriting) {
    return msg("BRELUNE", "critical", "OK",
               "La base de données « $DIR/PTcomptes.mdb » ne peut pas être utilisée : " + reason +
                   (wasWriting ? ".\r\nRien n'a été enregistré." : "."));
}

Locale TestRun::tagLocale() {
    const QByteArray tag = QTest::currentDataTag();
    return tag == "en" || tag.startsWith("en ") ? Locale::english() : Locale::french();
}

TestRun::TestRun(const Locale& locale)
    : ctx{dir.path(), locale, clock, dialogs, nullptr, nullptr, [this] { ++endCalls; }, {}, false} {}

void TestRun::createBook(const QStringList& rows, const QString& soldes) {
    AccountDb::create(dbPath());
    if (creationini(ctx))
        throw std::runtime_error("ini not written");
    ctx.chemin_base = dbPath();
    ctx.filesLocated = true;
    for (const QString& r : rows)
        addRow(QDate(2003, 12, r.section(' ', 0, 0).toInt()).toString(Qt::ISODate),
               r.section(' ', 1, 1), r.section(' ', 2));
    setSoldes(soldes);
}

void TestRun::exec(const QString& sql) const {
    openDb(dbPath()).exec(sql.toStdString());
}

qint64 TestRun::addRow(const QString& isoDate, const QString& amount,
                       const QString& payement) const {
    auto db = openDb(dbPath());
    SQLite::Statement q(db, R"(INSERT INTO En_cour ("Date", Montant, Payement) VALUES (?, ?, ?))");
    q.bind(1, isoDate.toStdString());
    q.bind(2, std::int64_t{eur(amount).units()});
    q.bind(3, payement.toStdString());
    q.exec();
    return db.getLastInsertRowid();
}

void TestRun::setSoldes(const QString& soldes) const {
    exec("DELETE FROM Soldes");
    if (soldes != "none")
        exec(
            QString("INSERT INTO Soldes VALUES (%1, %2)")
                .arg(soldes.section(' ', 0, 0), soldes.section(' ', 1))
                .replace(QRegularExpression("(-?[0-9.]+)"), "CAST(ROUND(\\1 * 10000) AS INTEGER)"));
}

// Integers other than rowids are amounts.
QStringList TestRun::select(const char* sql) const {
    auto db = openDb(dbPath());
    SQLite::Statement q(db, sql);
    QStringList out;
    while (q.executeStep()) {
        QStringList fields;
        for (int i = 0; i < q.getColumnCount(); ++i) {
            const SQLite::Column c = q.getColumn(i);
            fields << (c.isNull() ? QString("NULL")
                       : c.isInteger() && c.getName() != std::string("rowid")
                           ? Money::fromUnits(c.getInt64()).plain(u'.')
                           : QString::fromUtf8(c.getText()));
        }
        out << fields.join(' ');
    }
    return out;
}

void TestRun::failChangesOf(const QString& table) const {
    const bool engine = table.endsWith('!');
    for (const char* event : {"INSERT", "UPDATE", "DELETE"})
        exec(
            QStringLiteral("CREATE TRIGGER fail_%2 BEFORE %2 ON %1 BEGIN %3; END")
                .arg(table.chopped(engine), QString::fromLatin1(event),
                     engine ? "INSERT INTO nowhere VALUES (1)" : "SELECT RAISE(ABORT, 'refused')"));
}

} // namespace brelune::test
