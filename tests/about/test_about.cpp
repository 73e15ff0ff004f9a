// The about window, opened from the main window beside whatever holds its place.
#include "about/dialog.h"
#include "app/frmcompte.h"
#include "platform/twips.h"
#include "support.h"
using namespace brelune;
using namespace brelune::test;

class TestAbout : public QObject {
    Q_OBJECT
private slots:
    void aboutWindow() {
        TestRun run;
        run.createBook();
        Frmcompte main(run.ctx);
        QVERIFY(main.Form_Load());
        main.show();
        for (const char* holder : {"", "mencomptventil"}) {
            if (*holder) // the main window gives its place: the about window stays
                child<QAction>(&main, holder)->trigger();
            child<QAction>(&main, "cesqui")->trigger();
            QCOMPARE(windows<Dialog>().size(), 1);
        }
        Dialog* d = windows<Dialog>()[0];
        const auto* label1 = child<QLabel>(d, "Label1");
        QStringList seen{d->windowTitle(), label1->font().family(),
                         QString::number(label1->font().pointSizeF())};
        for (const char* name : {"Label1", "Label2", "OKButton"}) // caption | tool-tip
            seen << child<QWidget>(d, name)->property("text").toString() + '|' +
                        child<QWidget>(d, name)->toolTip();
        for (QWidget* w : d->findChildren<QWidget*>()) // the OK button alone takes the focus
            if (w->focusPolicy() != Qt::NoFocus)
                seen << w->objectName();
        QCOMPARE(seen, QStringList({"A propos de BRELUNE", "Arial", "21.75", "BRELUNE|Version 2.10",
                                    "Version 2.10 --  Le petit logiciel\r\nde Gestion bancaire|",
                                    "OK|Quitter cette fenetre", "OKButton"}));
        QVERIFY(label1->font().bold() && !(d->windowFlags() & Qt::WindowMinMaxButtonsHint));
        QCOMPARE(QList({d->palette().color(QPalette::Window),
                        label1->palette().color(QPalette::WindowText)}),
                 QList({QColor(255, 255, 192), QColor(0, 255, 0)}));
        QCOMPARE(d->size(), QSize(twips(5955), twips(2265)));
        QList<QRect> places;
        for (const char* name : {"Image1", "Label1", "Label2", "OKButton"})
            places << child<QWidget>(d, name)->geometry();
        QCOMPARE(places,
                 QList({twipsRect(0, 0, 1815, 2295), twipsRect(2040, 0, 3615, 615),
                        twipsRect(2040, 840, 3495, 495), twipsRect(4560, 1680, 1215, 375)}));
        const QImage picture = child<QLabel>(d, "Image1")->pixmap().toImage();
        QVERIFY(picture.size() == QSize(800, 600) && picture.isGrayscale());
        // Closing it ends nothing, whichever window holds the main window's place.
        QTimer::singleShot(0, d, [d] { child<QPushButton>(d, "OKButton")->click(); });
        QTimer::singleShot(100, [] { QCoreApplication::exit(7); });
        QCOMPARE(QApplication::exec(), 7);
        QVERIFY(windows<Dialog>().isEmpty());
        child<QAction>(&main, "poin")->trigger(); // the reconciliation window in its place now
        child<QAction>(&main, "cesqui")->trigger();
        QCOMPARE(windows<Dialog>().size(), 1);
        // Enter or keypad Enter on OK presses it; Escape closes the window as its close box does.
        for (auto [key, modifier] : {std::pair(Qt::Key_Return, Qt::NoModifier),
                                     {Qt::Key_Enter, Qt::KeypadModifier},
                                     {Qt::Key_Escape, Qt::NoModifier}}) {
            child<QAction>(&main, "cesqui")->trigger();
            QTest::keyClick(child<QPushButton>(windows<Dialog>().value(0), "OKButton"), key,
                            modifier);
            QVERIFY(windows<Dialog>().isEmpty());
        }
    }
};

QTEST_MAIN(TestAbout)
#include "test_about.moc"
