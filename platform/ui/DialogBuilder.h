#pragma once

// Builds the widgets of a dialog template (a "dialog" block of a resource script) into a
// host widget: controls with their ids, laid out by Qt layouts (rows, columns, group
// boxes), radio groups, label buddies, and the notifications each control sends its
// dialog as WM_COMMAND or WM_NOTIFY.
//
// Controls: label, edit, button, checkbox, radio, groupbox, listbox, combo, listview,
// tree, tab, progress, updown, icon; layout: row, column, stretch.
// Flags on every control: disabled, hidden. Per control: see the builder source.

#include <string>

#include "platform/ui/ResourceScript.h"

class QWidget;

namespace leaf::ui {

// Fills `host` (which gets a layout) with the template's controls. Returns false and
// describes the fault when the template names an unknown control.
bool BuildDialogControls(const ResourceNode& dialogTemplate, QWidget* host, std::string* error = nullptr);

// Marks a widget as the root of a dialog: control lookups stop at it, and its controls
// send their notifications to it.
void MarkDialogRoot(QWidget* widget);

// While one lives, the controls below do not report changes made by the program itself
// (a selection set by code sends no LBN_SELCHANGE, as on the platform).
class SilentChanges {
public:
    explicit SilentChanges(QWidget* control);
    ~SilentChanges();
    static bool IsSilent(const QWidget* control);

private:
    QWidget* m_control;
    bool m_previous;
};

}  // namespace leaf::ui
