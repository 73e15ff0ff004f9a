// BRELUNE: keeps one bank account book for one person.
#include "app/data_folder.h"
#include "app/frmcompte.h"
#include "platform/clock.h"
#include "platform/dialogs.h"

#include <QApplication>
#include <QIcon>
#include <cstdio>

int main(int argc, char* argv[]) {
    // --help and --version answer without a display, before Qt looks for one.
    QStringList args;
    for (int i = 0; i < argc; ++i)
        args << QString::fromLocal8Bit(argv[i]);
    if (const auto answer = brelune::commandLineAnswer(args)) {
        std::fputs(answer->text.toLocal8Bit().constData(),
                   answer->toStandardOutput ? stdout : stderr);
        return answer->status;
    }
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("BRELUNE"));
    QApplication::setDesktopFileName(QStringLiteral("org.example.brelune"));
    QIcon icon;
    for (const char* size : {"48", "128"})
        icon.addFile(QStringLiteral(":/brelune-%1.png").arg(QLatin1String(size)));
    QApplication::setWindowIcon(icon);

    brelune::installQtFrench(); // without it, Qt's buttons stay in English

    brelune::QtDialogs dialogs;
    // Qt has taken its own options out of the arguments by now.
    const brelune::StartFolders folders =
        brelune::startFolders(QApplication::arguments(), QApplication::applicationDirPath());
    if (!brelune::startCanGoOn(folders, dialogs))
        return 1;
    const auto lock = brelune::lockDataFolder(folders.dataDir, dialogs);
    if (!lock)
        return 1;

    brelune::SystemClock clock;
    brelune::QtReportPrinter printer(dialogs, clock);
    brelune::QtHelpViewer help;
    brelune::RunContext run{.programDir = folders.dataDir,
                            .helpFile = folders.helpFile,
                            .locale = brelune::Locale::fromSystem(),
                            .clock = clock,
                            .dialogs = dialogs,
                            .printer = &printer,
                            .help = &help,
                            .endProgram = [] { QApplication::exit(0); },
                            .chemin_base = {},
                            .filesLocated = false};

    brelune::Frmcompte window(run);
    if (!window.Form_Load())
        return 0;
    window.show();
    return QApplication::exec();
}
