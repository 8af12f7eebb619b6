// CTreeListCtrl: the report-style list of the settings view: rows with small images per
// column, cell tips, and in-place editing of a cell with a text field or a drop-down.
#pragma once

#include <QStringList>
#include <QStyledItemDelegate>
#include <QTreeWidget>

#include <utility>

class CTreeListCtrl : public QTreeWidget {
    Q_OBJECT
public:
    // Tips stay up while the pointer rests.
    static constexpr int kTipDisplayMilliseconds = 32767;

    explicit CTreeListCtrl(QWidget* parent);

    // Starts editing `column` of `item`: a drop-down of `choices`, or a text field when there
    // are none. OnEndEdit receives the text when the editor closes with a value.
    void EditCell(QTreeWidgetItem* item, int column, const QStringList& choices);
    const QStringList& editChoices() const { return editChoices_; }
    // The in-place editor while one is open, else null.
    QWidget* cellEditor() const;

    // Widens or narrows `column` to its widest cell, within `minimum` and `maximum` pixels.
    void FitColumnToContents(int column, int minimum, int maximum);

    // The tip shown over a cell.
    QString CellTip(QTreeWidgetItem* item, int column) const { return TipAt(item, column); }

    // Called with the edited text when an in-place edit ends with a value.
    virtual void OnEndEdit(QTreeWidgetItem* item, int column, const QString& text) = 0;

Q_SIGNALS:
    // Tab moves the focus back to the tree.
    void tabPressed();

protected:
    // The tip of a cell; empty for none.
    virtual QString TipAt(QTreeWidgetItem* item, int column) const;
    bool viewportEvent(QEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    bool focusNextPrevChild(bool next) override;

private:
    friend class CCellEditDelegate;
    QStringList editChoices_;
    QPersistentModelIndex editIndex_;
};

// The in-place editor of CTreeListCtrl.
class CCellEditDelegate : public QStyledItemDelegate {
    Q_OBJECT
public:
    explicit CCellEditDelegate(CTreeListCtrl* list) : QStyledItemDelegate(list), list_(list) {}
    QWidget* createEditor(QWidget* parent, const QStyleOptionViewItem& option,
                          const QModelIndex& index) const override;
    void setEditorData(QWidget* editor, const QModelIndex& index) const override;
    void setModelData(QWidget* editor, QAbstractItemModel* model,
                      const QModelIndex& index) const override;

private:
    CTreeListCtrl* list_;
};

// A row that carries what it shows: the item owns its data (engine objects included), so the
// data goes with the row when the list is emptied, and no pointer travels as item data.
template <class Data> class CDataItem : public QTreeWidgetItem {
public:
    explicit CDataItem(Data data) : data_(std::move(data)) {}

    // The data of a row of this kind; null for none or for a row of another kind.
    static Data* Of(const QTreeWidgetItem* item) {
        auto* typed = dynamic_cast<const CDataItem*>(item);
        return typed ? &const_cast<CDataItem*>(typed)->data_ : nullptr;
    }

private:
    Data data_;
};
