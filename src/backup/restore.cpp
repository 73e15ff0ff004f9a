#include "backup/restore.h"

#include "platform/account_db.h"
#include "platform/safe_file.h"

#include <QFile>
#include <QFileInfo>
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
        QString when = locale.formatDate(b.day);
        if (b.stamp.size() > 10) // made before a restore: its time too
            when += QStringLiteral(" à ") +
                    QTime::fromString(b.stamp.mid(11), QStringLiteral("HHmmss")).toString();
        return QStringLiteral("%1 — %2 opérations — Réel : %3 — Bancaire : %4")
            .arg(when, QString::number(count), field(balances.reel), field(balances.bancaire));
    } catch (const AccountDbError&) {
        return std::nullopt;
    }
}

} // namespace

std::optional<QString> restoreFiles(const RunContext& ctx, const BookBackup& backup) {
    const QString folder = backupFolder(ctx);
    const QString stamp = ctx.clock.today().toString(Qt::ISODate) + u'-' +
                          ctx.clock.now().toString(QStringLiteral("HHmmss"));
    const QString book = ctx.chemin_base, ini = ctx.iniPath();
    const QString stagedBook = stagedBesides(book), stagedIni = stagedBesides(ini);
    QByteArray currentIni, backupIni;
    for (auto [path, bytes] : {std::pair(&ini, &currentIni), {&backup.ini, &backupIni}})
        if (const auto problem = readWholeFile(*path, *bytes))
            return problem->isEmpty() ? systemErrorText(ENOENT) : *problem;
    const auto dropStaged = [&] {
        QFile::remove(stagedBook);
        QFile::remove(stagedIni);
    };
    try {
        // The current pair first, so that the restore can itself be undone.
        AccountDb(book).backupTo(folder + QStringLiteral("/PTcomptes-%1.mdb").arg(stamp));
        if (const auto problem =
                replaceFile(folder + QStringLiteral("/ptconte-%1.ini").arg(stamp), currentIni))
            return problem;
        // The backup's pair, whole, beside the files it replaces.
        AccountDb(backup.book).backupTo(stagedBook);
    } catch (const AccountDbError& e) {
        dropStaged();
        return e.reason();
    }
    if (auto problem = replaceFile(stagedIni, backupIni)) {
        dropStaged();
        return problem;
    }
    // From the note on, the restore goes to its end, now or at the next start.
    const QString note = QStringList{stagedBook, book, stagedIni, ini, QString()}.join(u'\n');
    if (auto problem = replaceFile(notePath(ctx), note.toUtf8())) {
        dropStaged();
        return problem;
    }
    finishRestore(ctx);
    return QFile::exists(notePath(ctx))
               ? std::optional(QStringLiteral("les fichiers n'ont pas pu être remplacés ; ce sera "
                                              "fait au prochain démarrage"))
               : std::nullopt;
}

void finishRestore(const RunContext& ctx) {
    QFile note(notePath(ctx));
    if (!note.open(QIODevice::ReadOnly)) {
        // No restore under way: what one left before its note is no use.
        QFile::remove(stagedBesides(ctx.iniPath()));
        QFile::remove(stagedBesides(ctx.programDir + QStringLiteral("/PTcomptes.mdb")));
        return;
    }
    const QStringList paths = QString::fromUtf8(note.readAll()).split(u'\n');
    note.close();
    for (qsizetype i = 0; i + 1 < paths.size(); i += 2)
        if (QFile::exists(paths[i]) && moveInPlace(paths[i], paths[i + 1]))
            return; // the note stays: the next start tries again
    QFile::remove(notePath(ctx));
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
        items << text.value_or(ctx.locale.formatDate(b.day) + QStringLiteral(" — illisible"));
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
        ctx.dialogs.message(
            QStringLiteral("La sauvegarde n'a pas pu être restaurée : %1.").arg(*problem), kCaption,
            Icon::Critical, Buttons::Ok);
        // Once begun, the book may have changed: it is shown as it now is.
        return QFile::exists(notePath(ctx));
    }
    return true;
}

} // namespace brelune
