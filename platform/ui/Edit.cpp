#include "platform/ui/Edit.h"

#include <QLineEdit>
#include <QPlainTextEdit>
#include <QRegularExpressionValidator>
#include <QTextCursor>

using namespace leaf::ui;

void CEdit::SetLimitText(UINT maximum) {
    if (auto* edit = qobject_cast<QLineEdit*>(GetWidget()))
        edit->setMaxLength(maximum == 0 || maximum > 32767 * 1024u ? 32767 * 1024 : static_cast<int>(maximum));
}

UINT CEdit::GetLimitText() const {
    auto* edit = qobject_cast<QLineEdit*>(GetWidget());
    return edit ? static_cast<UINT>(edit->maxLength()) : 0;
}

void CEdit::SetReadOnly(BOOL readOnly) {
    if (auto* edit = qobject_cast<QLineEdit*>(GetWidget())) edit->setReadOnly(readOnly);
    else if (auto* plain = qobject_cast<QPlainTextEdit*>(GetWidget())) plain->setReadOnly(readOnly);
}

BOOL CEdit::IsReadOnly() const {
    if (auto* edit = qobject_cast<QLineEdit*>(GetWidget())) return edit->isReadOnly();
    if (auto* plain = qobject_cast<QPlainTextEdit*>(GetWidget())) return plain->isReadOnly();
    return FALSE;
}

void CEdit::SetSel(int start, int end) {
    if (auto* edit = qobject_cast<QLineEdit*>(GetWidget())) {
        if (start < 0) {
            edit->deselect();
            return;
        }
        int length = edit->text().size();
        if (end < 0 || end > length) end = length;
        start = std::min(start, length);
        edit->setSelection(start, end - start);
    } else if (auto* plain = qobject_cast<QPlainTextEdit*>(GetWidget())) {
        QTextCursor cursor = plain->textCursor();
        int length = plain->toPlainText().size();
        if (start < 0) {
            cursor.clearSelection();
        } else {
            if (end < 0 || end > length) end = length;
            cursor.setPosition(std::min(start, length));
            cursor.setPosition(end, QTextCursor::KeepAnchor);
        }
        plain->setTextCursor(cursor);
    }
}

void CEdit::GetSel(int& start, int& end) const {
    start = end = 0;
    if (auto* edit = qobject_cast<QLineEdit*>(GetWidget())) {
        if (edit->hasSelectedText()) {
            start = edit->selectionStart();
            end = start + static_cast<int>(edit->selectedText().size());
        } else {
            start = end = edit->cursorPosition();
        }
    } else if (auto* plain = qobject_cast<QPlainTextEdit*>(GetWidget())) {
        start = plain->textCursor().selectionStart();
        end = plain->textCursor().selectionEnd();
    }
}

void CEdit::ReplaceSel(const char* text) {
    QString value = QString::fromUtf8(text ? text : "");
    if (auto* edit = qobject_cast<QLineEdit*>(GetWidget())) edit->insert(value);
    else if (auto* plain = qobject_cast<QPlainTextEdit*>(GetWidget())) plain->insertPlainText(value);
}

void CEdit::TypeText(const char* text) { ReplaceSel(text); }

QWidget* CEdit::CreateFromTemplate(const ResourceNode& node) {
    if (node.HasFlag("multiline")) {
        auto* plain = new QPlainTextEdit(QString::fromStdString(node.text));
        plain->setReadOnly(node.HasFlag("readonly"));
        QObject::connect(plain, &QPlainTextEdit::textChanged, plain, [plain] { NotifyCommand(plain, EN_CHANGE); });
        return plain;
    }
    auto* edit = new QLineEdit(QString::fromStdString(node.text));
    edit->setReadOnly(node.HasFlag("readonly"));
    if (node.HasFlag("password")) edit->setEchoMode(QLineEdit::Password);
    if (node.HasFlag("number"))
        edit->setValidator(new QRegularExpressionValidator(QRegularExpression(QStringLiteral("[0-9]*")), edit));
    if (int limit = node.IntOption("limit", 0); limit > 0) {
        edit->setMaxLength(limit);
        // A field for a few characters (a level, a count) is as wide as they are, not as
        // wide as a line of text: its narrowest form, which shows one character, and room
        // for the rest.
        const int wanted = edit->minimumSizeHint().width() + edit->fontMetrics().horizontalAdvance(QLatin1Char('0')) * limit;
        if (wanted < edit->sizeHint().width()) edit->setMaximumWidth(wanted);
    }
    QObject::connect(edit, &QLineEdit::textChanged, edit, [edit] { NotifyCommand(edit, EN_CHANGE); });
    return edit;
}
