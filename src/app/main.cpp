// BRELUNE: keeps one bank account book for one person.
#include "app/frmcompte.h"
#include "platform/clock.h"
#include "platform/dialogs.h"

#include <QApplication>

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("BRELUNE"));

    brelune::installQtFrench(); // without it, Qt's buttons stay in English

    brelune::SystemClock clock;
    brelune::QtDialogs dialogs;
    brelune::QtReportPrinter printer(dialogs, clock);
    brelune::QtHelpViewer help;
    brelune::RunContext run{QApplication::applicationDirPath(),
                            brelune::Locale::fromSystem(),
                            clock,
                            dialogs,
                            &printer,
                            &help,
                            [] { QApplication::exit(0); },
                            {},
                            false};

    brelune::Frmcompte window(run);
    if (!window.Form_Load())
        return 0;
    window.show();
    return QApplication::exec();
}
