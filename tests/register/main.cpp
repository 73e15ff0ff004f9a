// The register's test program: the view and its refresh, then the commands.
#include <QApplication>

int runRegisterTests(int argc, char* argv[]);
int runCommandTests(int argc, char* argv[]);

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    const int viewFailures = runRegisterTests(argc, argv);
    const int commandFailures = runCommandTests(argc, argv);
    return viewFailures + commandFailures;
}
