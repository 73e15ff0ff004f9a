#include "about/dialog.h"

#include "platform/look.h"
#include "platform/twips.h"

#include <QImage>
#include <QLabel>
#include <QPushButton>

namespace brelune {

namespace {

// The picture: 800 x 600 in sixteen greys, soft rings around a bright heart.
QImage greyPicture() {
    QImage image(800, 600, QImage::Format_Indexed8);
    QList<QRgb> greys;
    for (int i = 0; i < 16; ++i)
        greys << qRgb(i * 17, i * 17, i * 17);
    image.setColorTable(greys);
    for (int y = 0; y < image.height(); ++y) {
        uchar* line = image.scanLine(y);
        for (int x = 0; x < image.width(); ++x) {
            const double d = std::hypot(x - 400.0, (y - 300.0) * 1.3);
            line[x] = uchar(15 - std::min(15, int(d / 32) % 8 + int(d / 160)));
        }
    }
    return image;
}

} // namespace

QString versionText() {
    return QStringLiteral("Version %1.%2%3")
        .arg(BRELUNE_VERSION_MAJOR)
        .arg(BRELUNE_VERSION_MINOR)
        .arg(BRELUNE_VERSION_PATCH);
}

Dialog::Dialog(QWidget* parent) : QWidget(parent) {
    setObjectName(QStringLiteral("Dialog"));
    setWindowTitle(QStringLiteral("A propos de BRELUNE"));
    setWindowFlags(kSideWindowFlags);
    setAttribute(Qt::WA_DeleteOnClose);
    setFixedSize(twips(5955), twips(2265));
    setAutoFillBackground(true);
    paint(this, QPalette::Window, kLightYellow);

    auto* image1 = new QLabel(this);
    image1->setObjectName(QStringLiteral("Image1"));
    image1->setGeometry(twipsRect(0, 0, 1815, 2295));
    image1->setScaledContents(true);
    image1->setPixmap(QPixmap::fromImage(greyPicture()));

    auto* label1 = new QLabel(QStringLiteral("BRELUNE"), this);
    label1->setObjectName(QStringLiteral("Label1"));
    label1->setGeometry(twipsRect(2040, 0, 3615, 615));
    QFont title(QStringLiteral("Arial"));
    title.setBold(true);
    title.setPointSizeF(21.75);
    label1->setFont(title);
    paint(label1, QPalette::WindowText, QColor(0, 255, 0));

    auto* label2 = new QLabel(this);
    label2->setObjectName(QStringLiteral("Label2"));
    label2->setGeometry(twipsRect(2040, 840, 3495, 495));

    auto* ok = new QPushButton(QStringLiteral("OK"), this);
    ok->setObjectName(QStringLiteral("OKButton"));
    ok->setGeometry(twipsRect(4560, 1680, 1215, 375));
    connect(ok, &QPushButton::clicked, this, &Dialog::OKButton_Click);
    pressedByEnter(ok);
    closedByEscape(this);
    setFocusProxy(ok);
}

void Dialog::Form_Load() {
    findChild<QLabel*>(QStringLiteral("Label2"))
        ->setText(versionText() + QStringLiteral(" --  Le petit logiciel\r\nde Gestion bancaire"));
    findChild<QPushButton*>(QStringLiteral("OKButton"))
        ->setToolTip(QStringLiteral("Quitter cette fenetre"));
    findChild<QLabel*>(QStringLiteral("Label1"))->setToolTip(versionText());
    const bool opening = !isVisible();
    show();
    if (opening) // centred when it opens, left where the user put it afterwards
        centreOnScreen(this);
    activateWindow();
    setFocus();
}

void Dialog::OKButton_Click() {
    close();
}

} // namespace brelune
