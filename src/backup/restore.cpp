#include "backup/restore.h"

#include "platform/account_db.h"
#include "platform/safe_file.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QTime>
#include <cerrno>
#include <cstdio>

namespace brelune {

namespace {

const QString kCaption = QStringLiteral("Restaurer une sauvegarde");

QString notePath(const RunContext& ctx) {
    return backupFolder(ctx) + QStringLiteral("/restauration");
}

// Where each file of the pair is made before it takes the place of its target.
QString stagedBesides(const QString& target) {
    const QFileInfo info(target);
    return info.absolutePath() + QStringLiteral("/.") + info.fileName() +
           QStringLiteral(".restauration");
}

std::optional<QString> moveInPlace(const QString& from, const QString& to) {
    if (std::rename(QFile::encodeName(from).constData(), QFile::encodeName(to).constData()) != 0)
        return systemErrorText(errno);
    syncFolderOf(to);
    return std::nullopt;
}

// A backup's day, and its time when it was made before a restore.
QString madeOn(const BookBackup& b, const Locale& locale) {
    QString when = locale.formatDate(b.day);
    if (b.stamp.size() > 10)
        when += QStringLiteral(" à ") +
                QTime::fromString(b.stamp.mid(11), QStringLiteral("HHmmss")).toString();
    return when;
}

// A backup as the list shows it; nothing when it cannot be restored.
std::optional<QString> described(const BookBackup& b, const Locale& locale) {
    if (!QFileInfo(b.ini).isFile())
        return std::nullopt;
    try {
        const auto [count, soldes] = AccountDb(b.book).summary();
        const auto field = [&](const std::optional<Money>& m) {
            return m ? m->eurosTight(locale.decimal()) : QString();
        };
        const Soldes balances = soldes.value_or(Soldes());
        const QString when = madeOn(b, locale);
        return QStringLiteral("%1 — %2 opération%3 — Réel : %4 — Bancaire : %5")
            .arg(when, QString::number(count), count > 1 ? QStringLiteral("s") : QString(),
                 field(balances.reel), field(balances.bancaire));
    } catch (const AccountDbError&) {
        return std::nullopt;
    }
}

// With no restore under way, what one staged, and the temporary files of the copies it was
// writing when it was cut short, are no use. One program at a time uses the folder, so none of
// them is being written.
void sweepLeftovers(const RunContext& ctx) {
    static const QRegularExpression leftover(
        QStringLiteral("^\\.\\.?(PTcomptes(-[-0-9]+)?\\.mdb|ptconte(-[-0-9]+)?\\.ini|restauration)"
                       "(\\.restauration|(\\.restauration)?\\.[A-Za-z0-9]{6}(-journal)?)$"));
    for (const QString& folder : {ctx.programDir, backupFolder(ctx)})
        for (const QString& name : QDir(folder).entryList(QDir::Files | QDir::Hidden))
            if (leftover.match(name).hasMatch())
                QFile::remove(folder + u'/' + name);
}

} // namespace

std::optional<QString> restoreFiles(const RunContext& ctx, const BookBackup& backup) {
    const QString folder = backupFolder(ctx);
    // A file reached through a link is replaced where it lies.
    const auto real = [](const QString& path) {
        const QString resolved = QFileInfo(path).canonicalFilePath();
        return resolved.isEmpty() ? path : resolved;
    };
    const QString book = real(ctx.chemin_base), ini = real(ctx.iniPath());
    const QString stagedBook = stagedBesides(book), stagedIni = stagedBesides(ini);
    const auto dropStaged = [&] {
        QFile::remove(stagedBook);
        QFile::remove(stagedIni);
    };
    QByteArray currentIni, backupIni;
    for (auto [path, bytes] : {std::pair(&ini, &currentIni), {&backup.ini, &backupIni}})
        if (const auto problem = readWholeFile(*path, *bytes))
            return problem->isEmpty()
                       ? QStringLiteral("le fichier « %1 » est introuvable").arg(*path)
                       : *problem;
    // The backup's pair first, whole, beside the files it replaces: the copy of the current pair
    // made next may take the name of the backup chosen.
    try {
        AccountDb(backup.book).backupTo(stagedBook);
    } catch (const AccountDbError& e) {
        return e.reason();
    }
    if (auto problem = replaceFile(stagedIni, backupIni)) {
        dropStaged();
        return problem;
    }
    // The current pair, so that the restore can itself be undone; never over an earlier one.
    QDateTime when(ctx.clock.today(), ctx.clock.now());
    while (QFile::exists(folder + u'/' + backupBookName(when)) ||
           QFile::exists(folder + u'/' + backupIniName(when)))
        when = when.addSecs(1);
    const QString savedBook = folder + u'/' + backupBookName(when);
    try {
        AccountDb(book).backupTo(savedBook);
    } catch (const AccountDbError& e) {
        dropStaged();
        return e.reason();
    }
    if (auto problem = replaceFile(folder + u'/' + backupIniName(when), currentIni)) {
        QFile::remove(savedBook);
        dropStaged();
        return problem;
    }
    // From the note on, the restore goes to its end, now or at the next start.
    const QString note = QStringList{stagedBook, book, stagedIni, ini, QString()}.join(u'\n');
    if (auto problem = replaceFile(notePath(ctx), note.toUtf8())) {
        dropStaged();
        return problem;
    }
    return finishRestore(ctx);
}

std::optional<QString> finishRestore(const RunContext& ctx) {
    QFile note(notePath(ctx));
    if (!QFileInfo(note).isFile()) {
        sweepLeftovers(ctx);
        return std::nullopt;
    }
    if (!note.open(QIODevice::ReadOnly))
        return systemErrorText(EACCES);
    const QStringList paths = QString::fromUtf8(note.readAll()).split(u'\n');
    note.close();
    for (qsizetype i = 0; i + 1 < paths.size(); i += 2) {
        const QString staged = paths[i], target = paths[i + 1];
        // A book on a key not plugged in is not a book already restored.
        if (!QFileInfo(QFileInfo(target).absolutePath()).isDir())
            return systemErrorText(ENOENT);
        if (!QFile::exists(staged))
            continue; // moved already
        // A journal left by the book replaced would be played on the book restored.
        for (const char* suffix : {"-journal", "-wal", "-shm"})
            QFile::remove(target + QLatin1String(suffix));
        if (const auto problem = moveInPlace(staged, target))
            return problem;
    }
    QFile::remove(notePath(ctx));
    syncFolderOf(notePath(ctx));
    sweepLeftovers(ctx);
    return std::nullopt;
}

bool restaure_Click(RunContext& ctx) {
    const std::vector<BookBackup> backups = listBackups(backupFolder(ctx));
    if (backups.empty()) {
        ctx.dialogs.message(QStringLiteral("Aucune sauvegarde n'a encore été faite."), kCaption,
                            Icon::Information, Buttons::Ok);
        return false;
    }
    QStringList items;
    QList<bool> usable;
    for (const BookBackup& b : backups) {
        const auto text = described(b, ctx.locale);
        items << text.value_or(madeOn(b, ctx.locale) + QStringLiteral(" — illisible"));
        usable << text.has_value();
    }
    const auto chosen = ctx.dialogs.choose(QStringLiteral("Choisissez la sauvegarde à restaurer :"),
                                           kCaption, items, usable);
    if (!chosen || !usable.value(*chosen))
        return false;
    const BookBackup& backup = backups[std::size_t(*chosen)];
    if (ctx.dialogs.message(QStringLiteral("Remplacer le livre et les ventilations par la "
                                           "sauvegarde du %1 ? Le livre actuel sera d'abord "
                                           "sauvegardé.")
                                .arg(ctx.locale.formatDate(backup.day)),
                            kCaption, Icon::Question, Buttons::YesNo) != Answer::Yes)
        return false;
    if (const auto problem = restoreFiles(ctx, backup)) {
        const bool begun = QFileInfo(notePath(ctx)).isFile();
        ctx.dialogs.message(
            QStringLiteral("La sauvegarde n'a pas pu être restaurée : %1.").arg(*problem) +
                (begun ? QStringLiteral("\r\nBRELUNE s'arrête : la restauration sera terminée "
                                        "à son prochain démarrage.")
                       : QString()),
            kCaption, Icon::Critical, Buttons::Ok);
        // Half-done, the files must not be used before a start finishes the work.
        if (begun && ctx.endProgram)
            ctx.endProgram();
        return false;
    }
    return true;
}

} // namespace brelune
