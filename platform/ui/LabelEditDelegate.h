#pragma once

// Label editing with a veto for the list and tree controls: the control's dialog is
// asked before an edit starts (it may refuse) and when it ends (it decides whether the
// new text is kept); a cancelled edit is reported with no text.

#include <QPointer>
#include <QStyledItemDelegate>
#include <functional>

namespace leaf::ui {

class LabelEditDelegate : public QStyledItemDelegate {
public:
    using Begin = std::function<bool(const QModelIndex&)>;                  // true: vetoed
    using End = std::function<bool(const QModelIndex&, const QString*)>;    // true: keep the text

    LabelEditDelegate(QObject* parent, Begin begin, End end);

    QWidget* createEditor(QWidget* parent, const QStyleOptionViewItem& option, const QModelIndex& index) const override;
    void setModelData(QWidget* editor, QAbstractItemModel* model, const QModelIndex& index) const override;

    // The editor of the edit that runs, null when none.
    QWidget* CurrentEditor() const { return m_editor; }
    // Ends the running edit as Enter (keep) or Escape would.
    void Finish(bool keep);

private:
    mutable QPointer<QWidget> m_editor;
    Begin m_begin;
    End m_end;
};

}  // namespace leaf::ui
