// LineList: a list box of text lines, filled in one go however long it is,
// that tells when the user selects a line (by the mouse or the keyboard). A
// line may be built only when it is drawn, so that a list of a million
// lines costs no more than the lines on screen.
// Used for the register and for the reconciliation window's results.
//
// lineSelected arrives from the event loop, once the click or key that
// selected the line is fully handled, so that its receiver may ask a
// question or refill the list safely; selections made meanwhile give one
// signal, for the line selected last.
#pragma once

#include <QListView>
#include <QStringList>
#include <functional>

namespace brelune {

class LineList : public QListView {
    Q_OBJECT
public:
    explicit LineList(QWidget* parent = nullptr);

    // Replaces every line; nothing is selected afterwards and no
    // lineSelected is sent.
    void setLines(const QStringList& lines);
    // Replaces every line by count lines, line i being line(i), asked for
    // when it is shown.
    void setLines(qsizetype count, std::function<QString(qsizetype)> line);
    // Every line, built.
    QStringList lines() const;
    int count() const;
    // The selected line, or -1.
    int selectedRow() const;

signals:
    void lineSelected(int row);

private:
    class Model;
    Model* model_;
    bool filling_ = false;
    bool pending_ = false;
};

} // namespace brelune
