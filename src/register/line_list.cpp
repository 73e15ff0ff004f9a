#include "register/line_list.h"

#include <QStringListModel>

namespace brelune {

LineList::LineList(QWidget* parent) : QListView(parent), model_(new QStringListModel(this)) {
    setModel(model_);
    setUniformItemSizes(true);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setSelectionMode(QAbstractItemView::SingleSelection);
    // However many times the selection moves before the event loop comes
    // back (a drag across lines, keys typed ahead), one signal is sent, for
    // the line selected by then.
    connect(selectionModel(), &QItemSelectionModel::selectionChanged, this, [this] {
        if (filling_ || pending_)
            return;
        pending_ = true;
        QMetaObject::invokeMethod(
            this,
            [this] {
                pending_ = false;
                const int row = selectedRow();
                if (row >= 0)
                    emit lineSelected(row);
            },
            Qt::QueuedConnection);
    });
}

void LineList::setLines(const QStringList& lines) {
    filling_ = true;
    model_->setStringList(lines);
    selectionModel()->clear();
    filling_ = false;
}

QStringList LineList::lines() const {
    return model_->stringList();
}

int LineList::count() const {
    return model_->rowCount();
}

int LineList::selectedRow() const {
    const QModelIndexList rows = selectionModel()->selectedRows();
    return rows.isEmpty() ? -1 : rows.first().row();
}

} // namespace brelune
