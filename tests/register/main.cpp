// The register's test program: its rules, then the main window and its commands.
#include <QApplication>

int runRegisterTests(int argc, char* argv[]);
int runCommandTests(int argc, char* argv[]);

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    const int failures = runRegisterTests(argc, argv);
    return failures + runCommandTests(argc, argv);
}
