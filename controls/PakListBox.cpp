#include "controls/PakListBox.h"

#include "framework/ui/Platform.h"

#include <QDrag>
#include <QKeyEvent>
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
    // The moves that arrive while the files are made ask for a drag again:
    // one at a time.
    if (preparing_ || !DragOut)
        return;
    QStringList files;
    bool wanted = false;
    {
        preparing_ = true;
        released_ = false;
        calledOff_ = false;
        struct TPrepared {
            TPakListBox* List;
            ~TPrepared() {
                List->preparing_ = false;
                // Never left half in a drag, whatever ended the preparation.
                List->setState(NoState);
                List->stopAutoScroll();
            }
        } prepared{this};
        files = DragOut();
        wanted = !released_ && !calledOff_;
    }
    if (files.isEmpty() || !wanted)
        return;
    auto* mime = new QMimeData;
    QList<QUrl> urls;
    for (const QString& file : files)
        urls.append(QUrl::fromLocalFile(file));
    mime->setUrls(urls);
    if (RunDrag) {
        RunDrag(mime);
        delete mime;
    } else {
        auto* drag = new QDrag(this);
        drag->setMimeData(mime);
        drag->exec(Qt::CopyAction, Qt::CopyAction);
    }
    if (DragDone)
        DragDone();
}

void TPakListBox::mousePressEvent(QMouseEvent* event) {
    if (preparing_)
        return;
    QListView::mousePressEvent(event);
}

void TPakListBox::mouseMoveEvent(QMouseEvent* event) {
    if (preparing_)
        return;
    QListView::mouseMoveEvent(event);
}

void TPakListBox::mouseReleaseEvent(QMouseEvent* event) {
    if (preparing_) {
        released_ = true;
        return;
    }
    QListView::mouseReleaseEvent(event);
}

void TPakListBox::mouseDoubleClickEvent(QMouseEvent* event) {
    if (preparing_)
        return;
    QListView::mouseDoubleClickEvent(event);
}

void TPakListBox::keyPressEvent(QKeyEvent* event) {
    if (preparing_ && event->key() == Qt::Key_Escape) {
        calledOff_ = true;
        return;
    }
    QListView::keyPressEvent(event);
}

} // namespace zorvak
