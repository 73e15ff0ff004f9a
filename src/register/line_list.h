// LineList: a list box of text lines, filled in one go however long it is,
// that tells when the user selects a line (by the mouse or the keyboard).
// Used for the register and for the reconciliation window's results.
//
// lineSelected arrives from the event loop, once the click or key that
// selected the line is fully handled, so that its receiver may ask a
// question or refill the list safely; selections made meanwhile give one
// signal, for the line selected last.
#pragma once

#include <QListView>
#include <QStringList>

class QStringListModel;

namespace brelune {

class LineList : public QListView {
    Q_OBJECT
public:
    explicit LineList(QWidget* parent = nullptr);

    // Replaces every line; nothing is selected afterwards and no
    // lineSelected is sent.
    void setLines(const QStringList& lines);
    QStringList lines() const;
    int count() const;
    // The selected line, or -1.
    int selectedRow() const;

signals:
    void lineSelected(int row);

private:
    QStringListModel* model_;
    bool filling_ = false;
    bool pending_ = false;
};

} // namespace brelune
