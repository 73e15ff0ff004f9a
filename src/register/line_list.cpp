#include "register/line_list.h"

#include <QAbstractListModel>

namespace brelune {

class LineList::Model : public QAbstractListModel {
public:
    using QAbstractListModel::QAbstractListModel;

    void reset(qsizetype count, std::function<QString(qsizetype)> line) {
        beginResetModel();
        count_ = count;
        line_ = std::move(line);
        endResetModel();
    }
    QString line(qsizetype row) const { return line_(row); }
    int rowCount(const QModelIndex& parent = {}) const override {
        return parent.isValid() ? 0 : int(count_);
    }
    QVariant data(const QModelIndex& index, int role) const override {
        if (role != Qt::DisplayRole || !index.isValid() || index.row() >= count_)
            return {};
        return line_(index.row());
    }

private:
    qsizetype count_ = 0;
    std::function<QString(qsizetype)> line_;
};

LineList::LineList(QWidget* parent) : QListView(parent), model_(new Model(this)) {
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
    setLines(lines.size(), [lines](qsizetype i) { return lines[i]; });
}

void LineList::setLines(qsizetype count, std::function<QString(qsizetype)> line) {
    filling_ = true;
    model_->reset(count, std::move(line));
    selectionModel()->clear();
    filling_ = false;
}

QStringList LineList::lines() const {
    QStringList all;
    for (int i = 0; i < count(); ++i)
        all << model_->line(i);
    return all;
}

int LineList::count() const {
    return model_->rowCount();
}

int LineList::selectedRow() const {
    const QModelIndexList rows = selectionModel()->selectedRows();
    return rows.isEmpty() ? -1 : rows.first().row();
}

} // namespace brelune
