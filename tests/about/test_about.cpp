// The about window, opened from the main window beside whatever holds its place.
#include "about/dialog.h"
#include "app/frmcompte.h"
#include "support.h"
using namespace brelune;
using namespace brelune::test;

class TestAbout : public QObject {
    Q_OBJECT
private slots:
    void aboutWindow() {
        Book b;
        for (const char* holder : {"", "mencomptventil"}) {
            if (*holder) // the main window gives its place: the about window stays
                b.menu(holder);
            b.menu("cesqui");
            QCOMPARE(windows<Dialog>().size(), 1);
        }
        Dialog* d = windows<Dialog>()[0];
        const auto* label1 = child<QLabel>(d, "Label1");
        QCOMPARE(label1->font().family() + ' ' + QString::number(label1->font().pointSizeF()),
                 "Arial 21.75");
        QVERIFY(label1->font().bold() && !(d->windowFlags() & Qt::WindowMinMaxButtonsHint));
        QCOMPARE(QList({d->palette().color(QPalette::Window),
                        label1->palette().color(QPalette::WindowText)}),
                 QList({QColor(255, 255, 192), QColor(0, 255, 0)}));
        QVERIFY(child<QLabel>(d, "Image1")->pixmap().toImage().isGrayscale());
        // Centred on the screen, the OK button alone taking the focus.
        QCOMPARE(d->frameGeometry().center(), d->screen()->availableGeometry().center());
        for (QWidget* w : d->findChildren<QWidget*>())
            QVERIFY(w->focusPolicy() == Qt::NoFocus || w->objectName() == "OKButton");
        // Closing it ends nothing, whichever window holds the main window's place.
        QTimer::singleShot(0, d, [d] { child<QPushButton>(d, "OKButton")->click(); });
        QTimer::singleShot(100, [] { QCoreApplication::exit(7); });
        QCOMPARE(QApplication::exec(), 7);
        QVERIFY(windows<Dialog>().isEmpty());
        b.menu("poin"); // the reconciliation window in its place now
        b.menu("cesqui");
        QCOMPARE(windows<Dialog>().size(), 1);
        // Enter or keypad Enter on OK presses it; Escape closes the window as its close box does.
        for (auto [key, modifier] : {std::pair(Qt::Key_Return, Qt::NoModifier),
                                     {Qt::Key_Enter, Qt::KeypadModifier},
                                     {Qt::Key_Escape, Qt::NoModifier}}) {
            b.menu("cesqui");
            QTest::keyClick(child<QPushButton>(windows<Dialog>().value(0), "OKButton"), key,
                            modifier);
            QVERIFY(windows<Dialog>().isEmpty());
        }
    }
};

QTEST_MAIN(TestAbout)
#include "test_about.moc"
