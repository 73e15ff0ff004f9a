// Dialog, the about window: the program's name, its version and a short
// description beside a grey picture. Not modal; the main window stays usable
// beside it, and the main window keeps only one of it open at a time.
#pragma once

#include <QWidget>

namespace brelune {

// "Version 2.10": the major number, a point, then the minor and revision
// numbers back to back, from the project's version.
QString versionText();

class Dialog : public QWidget {
    Q_OBJECT
public:
    // A top-level window, deleted once closed.
    explicit Dialog(QWidget* parent = nullptr);

    // Fills the labels and tool-tips and shows the window centred.
    void Form_Load();

public slots:
    void OKButton_Click();
};

} // namespace brelune
