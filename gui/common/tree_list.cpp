// The settings view's list control.
#include "gui/common/tree_list.h"

#include <QComboBox>
#include <QHeaderView>
#include <QHelpEvent>
#include <QKeyEvent>
#include <QLineEdit>
#include <QTimer>
#include <QToolTip>

#include <algorithm>

CTreeListCtrl::CTreeListCtrl(QWidget* parent) : QTreeWidget(parent) {
    setRootIsDecorated(false);
    setUniformRowHeights(true);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setSelectionBehavior(QAbstractItemView::SelectRows);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setAllColumnsShowFocus(true);
    setItemDelegate(new CCellEditDelegate(this));
    header()->setStretchLastSection(true);
    header()->setSectionsMovable(false);
}

void CTreeListCtrl::EditCell(QTreeWidgetItem* item, int column, const QStringList& choices) {
    if (!item)
        return;
    editChoices_ = choices;
    item->setFlags(item->flags() | Qt::ItemIsEditable);
    setCurrentItem(item, column);
    editItem(item, column);
    editIndex_ = indexFromItem(item, column);
}

void CTreeListCtrl::FitColumnToContents(int column, int minimum, int maximum) {
    resizeColumnToContents(column);
    setColumnWidth(column, std::clamp(columnWidth(column), minimum, maximum));
}

QWidget* CTreeListCtrl::cellEditor() const {
    return editIndex_.isValid() ? indexWidget(editIndex_) : nullptr;
}

QString CTreeListCtrl::TipAt(QTreeWidgetItem* item, int column) const {
    Q_UNUSED(item);
    Q_UNUSED(column);
    return {};
}

bool CTreeListCtrl::viewportEvent(QEvent* event) {
    if (event->type() != QEvent::ToolTip)
        return QTreeWidget::viewportEvent(event);
    auto* help = static_cast<QHelpEvent*>(event);
    QTreeWidgetItem* item = itemAt(help->pos());
    const int column = columnAt(help->pos().x());
    const QString tip = item ? TipAt(item, column) : QString();
    if (tip.isEmpty()) {
        QToolTip::hideText();
        return true;
    }
    // The tip follows the pointer from cell to cell.
    const QRect cell = visualRect(indexFromItem(item, column));
    QToolTip::showText(help->globalPos(), tip, viewport(), cell, kTipDisplayMilliseconds);
    return true;
}

void CTreeListCtrl::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Tab) {
        Q_EMIT tabPressed();
        return;
    }
    QTreeWidget::keyPressEvent(event);
}

bool CTreeListCtrl::focusNextPrevChild(bool next) {
    if (state() == QAbstractItemView::EditingState)
        return QTreeWidget::focusNextPrevChild(next);
    return false;
}

QWidget* CCellEditDelegate::createEditor(QWidget* parent, const QStyleOptionViewItem& option,
                                         const QModelIndex& index) const {
    Q_UNUSED(option);
    Q_UNUSED(index);
    const QStringList& choices = list_->editChoices();
    if (choices.isEmpty()) {
        auto* edit = new QLineEdit(parent);
        edit->setObjectName(QStringLiteral("cellTextEditor"));
        return edit;
    }
    auto* combo = new QComboBox(parent);
    combo->setObjectName(QStringLiteral("cellChoiceEditor"));
    combo->addItems(choices);
    // Picking an entry ends the edit at once, as a drop-down list does.
    connect(combo, &QComboBox::activated, this, [this, combo] {
        auto* self = const_cast<CCellEditDelegate*>(this);
        Q_EMIT self->commitData(combo);
        Q_EMIT self->closeEditor(combo);
    });
    QTimer::singleShot(0, combo, [combo] {
        if (combo->isVisible())
            combo->showPopup();
    });
    return combo;
}

void CCellEditDelegate::setEditorData(QWidget* editor, const QModelIndex& index) const {
    const QString text = index.data(Qt::DisplayRole).toString();
    if (auto* combo = qobject_cast<QComboBox*>(editor)) {
        const int at = combo->findText(text);
        combo->setCurrentIndex(at >= 0 ? at : 0);
    } else if (auto* edit = qobject_cast<QLineEdit*>(editor)) {
        edit->setText(text);
        edit->selectAll();
    }
}

void CCellEditDelegate::setModelData(QWidget* editor, QAbstractItemModel* model,
                                     const QModelIndex& index) const {
    Q_UNUSED(model);
    QString text;
    if (auto* combo = qobject_cast<QComboBox*>(editor))
        text = combo->currentText();
    else if (auto* edit = qobject_cast<QLineEdit*>(editor))
        text = edit->text();
    QTreeWidgetItem* item = list_->itemFromIndex(index);
    if (item)
        list_->OnEndEdit(item, index.column(), text);
}
