#include "platform/ui/LabelEditDelegate.h"

#include <QLineEdit>

namespace leaf::ui {

LabelEditDelegate::LabelEditDelegate(QObject* parent, Begin begin, End end)
    : QStyledItemDelegate(parent), m_begin(std::move(begin)), m_end(std::move(end)) {
    // An edit closed without committing (Escape, focus to a vetoed item) was cancelled.
    connect(this, &QAbstractItemDelegate::closeEditor, this, [this](QWidget* editor, EndEditHint hint) {
        if (hint != RevertModelCache || !editor) return;
        QVariant index = editor->property("leafEditIndex");
        if (index.canConvert<QPersistentModelIndex>()) m_end(index.value<QPersistentModelIndex>(), nullptr);
    });
}

QWidget* LabelEditDelegate::createEditor(QWidget* parent, const QStyleOptionViewItem& option,
                                         const QModelIndex& index) const {
    if (m_begin(index)) return nullptr;
    QWidget* editor = QStyledItemDelegate::createEditor(parent, option, index);
    if (editor) editor->setProperty("leafEditIndex", QVariant::fromValue(QPersistentModelIndex(index)));
    m_editor = editor;
    return editor;
}

void LabelEditDelegate::setModelData(QWidget* editor, QAbstractItemModel* model, const QModelIndex& index) const {
    auto* line = qobject_cast<QLineEdit*>(editor);
    if (!line) return;
    QString text = line->text();
    if (m_end(index, &text)) model->setData(index, text, Qt::EditRole);
}

void LabelEditDelegate::Finish(bool keep) {
    QWidget* editor = m_editor;
    if (!editor) return;
    if (keep) {
        emit commitData(editor);
        emit closeEditor(editor, NoHint);
    } else {
        emit closeEditor(editor, RevertModelCache);
    }
    m_editor = nullptr;
}

}  // namespace leaf::ui
