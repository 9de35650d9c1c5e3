#pragma once

// Case-insensitive order and search shared by the list box and the combo box.

#include <QString>

namespace leaf::ui {

// The position at which `text` goes into a list sorted case-insensitively (after equal entries).
template <class TextAt> int SortedInsertPosition(int count, const QString& text, TextAt textAt) {
    int position = 0;
    while (position < count && QString::compare(textAt(position), text, Qt::CaseInsensitive) <= 0) ++position;
    return position;
}

// Search from the entry after `startAfter`, wrapping round, for a prefix or a whole text.
template <class TextAt> int FindEntry(int count, int startAfter, const QString& text, bool exact, TextAt textAt) {
    if (count <= 0) return -1;
    int start = (startAfter < 0 || startAfter >= count) ? 0 : startAfter + 1;
    for (int n = 0; n < count; ++n) {
        int index = (start + n) % count;
        QString entry = textAt(index);
        bool match = exact ? QString::compare(entry, text, Qt::CaseInsensitive) == 0
                           : entry.startsWith(text, Qt::CaseInsensitive);
        if (match) return index;
    }
    return -1;
}

}  // namespace leaf::ui
