// The main window's list of entries: a view over the archive's index, so a
// hundred thousand entries need no item object each. It speaks the list
// widget's language (rows, items, the current row, the selection) so the
// window and its tests use it as they would a list of items.
#pragma once

#include "archive/PakReader.h"

#include <QAbstractListModel>
#include <QListView>

class QMimeData;

#include <functional>
#include <map>
#include <memory>

namespace zorvak {

class TPakListBox;

// A row of the list as item calls hand it out; valid while the list holds
// the rows it was made for.
class TPakListItem {
public:
    QString text() const;
    bool isSelected() const;
    void setSelected(bool selected);
    int Row() const { return row_; }

private:
    friend class TPakListBox;
    TPakListItem(TPakListBox* list, int row) : list_(list), row_(row) {}
    TPakListBox* list_;
    int row_;
};

// The names of an index, decoded for showing only when a row is drawn or
// searched.
class TPakListModel : public QAbstractListModel {
public:
    using QAbstractListModel::QAbstractListModel;
    void Reset(const TPakEntries* entries);
    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    // Rows may be dragged out of the list.
    Qt::ItemFlags flags(const QModelIndex& index) const override;

private:
    const TPakEntries* entries_ = nullptr;
};

class TPakListBox : public QListView {
    Q_OBJECT

public:
    explicit TPakListBox(QWidget* parent = nullptr);

    // Shows entries, which must live as long as they are shown (nullptr or
    // clear(): no rows). No current row, nothing selected.
    void SetEntries(const TPakEntries* entries);
    void clear() { SetEntries(nullptr); }

    int count() const;
    // nullptr past the rows.
    TPakListItem* item(int row) const;
    int currentRow() const;
    // As a list of items does: the row becomes current and is selected.
    void setCurrentRow(int row);
    void setCurrentRow(int row, QItemSelectionModel::SelectionFlags command);
    bool IsRowSelected(int row) const;
    QList<TPakListItem*> selectedItems() const;
    void scrollToItem(const TPakListItem* item);

    // What a drag out of the list hands over: the paths of files made for it,
    // each complete (none: no drag). It may take long and handle events
    // meanwhile; the drag starts only once it returns, and only while the
    // button is still held.
    std::function<QStringList()> DragOut;
    // Called when a drag that started has ended, dropped or not.
    std::function<void()> DragDone;
    // Carries the drag out with data; the toolkit's own drag when not set.
    std::function<void(QMimeData* data)> RunDrag;
    // While DragOut runs: whether the user called the drag off with Escape
    // (false at any other time).
    bool DragCalledOff() const { return preparing_ && calledOff_; }
    bool PreparingDrag() const { return preparing_; }

Q_SIGNALS:
    void currentRowChanged(int row);
    void itemSelectionChanged();
    void itemDoubleClicked(TPakListItem* item);

protected:
    void startDrag(Qt::DropActions supported) override;
    // While a drag is being prepared the mouse moves no selection and
    // starts no second drag; a release is noted, Escape calls it off.
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    bool preparing_ = false;
    bool released_ = false;
    bool calledOff_ = false;
    TPakListModel* model_;
    // Handles given out since the rows were last set.
    mutable std::map<int, std::unique_ptr<TPakListItem>> items_;
};

} // namespace zorvak
