#include "controls/PakListBox.h"

#include "framework/ui/Platform.h"

#include <QDrag>
#include <QMimeData>
#include <QUrl>

namespace zorvak {

QString TPakListItem::text() const {
    return list_->model()->index(row_, 0).data(Qt::DisplayRole).toString();
}

bool TPakListItem::isSelected() const {
    return list_->IsRowSelected(row_);
}

void TPakListItem::setSelected(bool selected) {
    list_->selectionModel()->select(list_->model()->index(row_, 0),
                                    selected ? QItemSelectionModel::Select
                                             : QItemSelectionModel::Deselect);
}

void TPakListModel::Reset(const TPakEntries* entries) {
    beginResetModel();
    entries_ = entries;
    endResetModel();
}

int TPakListModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() || entries_ == nullptr ? 0 : static_cast<int>(entries_->size());
}

QVariant TPakListModel::data(const QModelIndex& index, int role) const {
    if (role != Qt::DisplayRole || entries_ == nullptr || !index.isValid() ||
        index.row() >= static_cast<int>(entries_->size()))
        return {};
    return DecodeName((*entries_)[static_cast<std::size_t>(index.row())].Name);
}

Qt::ItemFlags TPakListModel::flags(const QModelIndex& index) const {
    return QAbstractListModel::flags(index) |
           (index.isValid() ? Qt::ItemIsDragEnabled : Qt::NoItemFlags);
}

TPakListBox::TPakListBox(QWidget* parent) : QListView(parent), model_(new TPakListModel(this)) {
    setModel(model_);
    setDragEnabled(true);
    setDragDropMode(QAbstractItemView::DragOnly);
    connect(selectionModel(), &QItemSelectionModel::currentChanged, this,
            [this](const QModelIndex& current) {
                Q_EMIT currentRowChanged(current.isValid() ? current.row() : -1);
            });
    connect(selectionModel(), &QItemSelectionModel::selectionChanged, this,
            [this] { Q_EMIT itemSelectionChanged(); });
    connect(this, &QAbstractItemView::doubleClicked, this, [this](const QModelIndex& index) {
        if (TPakListItem* row = item(index.row()))
            Q_EMIT itemDoubleClicked(row);
    });
}

void TPakListBox::SetEntries(const TPakEntries* entries) {
    items_.clear();
    model_->Reset(entries);
}

int TPakListBox::count() const {
    return model_->rowCount();
}

TPakListItem* TPakListBox::item(int row) const {
    if (row < 0 || row >= count())
        return nullptr;
    auto& held = items_[row];
    if (!held)
        held.reset(new TPakListItem(const_cast<TPakListBox*>(this), row));
    return held.get();
}

int TPakListBox::currentRow() const {
    return currentIndex().row();
}

void TPakListBox::setCurrentRow(int row) {
    // As a list of items does in its multiple-selection modes.
    setCurrentRow(row, selectionMode() == SingleSelection ? QItemSelectionModel::ClearAndSelect
                                                          : QItemSelectionModel::SelectCurrent);
}

void TPakListBox::setCurrentRow(int row, QItemSelectionModel::SelectionFlags command) {
    selectionModel()->setCurrentIndex(model_->index(row, 0), command);
}

bool TPakListBox::IsRowSelected(int row) const {
    return selectionModel()->isRowSelected(row, QModelIndex());
}

QList<TPakListItem*> TPakListBox::selectedItems() const {
    QList<TPakListItem*> rows;
    for (const QModelIndex& index : selectionModel()->selectedRows())
        rows.append(item(index.row()));
    return rows;
}

void TPakListBox::scrollToItem(const TPakListItem* row) {
    if (row != nullptr)
        scrollTo(model_->index(row->Row(), 0));
}

void TPakListBox::startDrag(Qt::DropActions) {
    if (!DragOut)
        return;
    const QStringList files = DragOut();
    if (files.isEmpty())
        return;
    auto* mime = new QMimeData;
    QList<QUrl> urls;
    for (const QString& file : files)
        urls.append(QUrl::fromLocalFile(file));
    mime->setUrls(urls);
    auto* drag = new QDrag(this);
    drag->setMimeData(mime);
    drag->exec(Qt::CopyAction, Qt::CopyAction);
}

} // namespace zorvak
