#pragma once

// What the option-page tests share: the Qt application (offscreen), registering the filter
// modules of build/bin into the test's registry, finding a page's controls by id inside a
// frame or a host window, and the profile the pages write.

#include <string>

#include <QWidget>

#include "platform/registry/Profile.h"

class QDialog;

namespace pagetest {

// Registers markupintake, pictureintake and plainintake with regsvr.
void RegisterFilterModules();

// The user's profile of the filters: HKCU "Software\Tallbrook Systems, Inc.\Leafcraft".
leaf::Profile FilterProfile();

// The window of the page made from dialog `dialogId` below `parent` (its id is the dialog's).
QWidget* PageWindow(const QWidget* parent, int dialogId);
// A control of that page, of Qt class T (null when missing or of another class).
template <class T> T* PageControl(const QWidget* parent, int dialogId, int controlId);

// Types text into a field as a person does, replacing what it held.
void TypeInto(QWidget* field, const std::string& text);
// Presses the up (+1) or down (-1) arrow of an up-down control.
void PressArrow(QWidget* upDown, int direction);

// Destroys the windows whose deletion was deferred (closed pages).
void DeleteClosedWindows();

// A folder for the PNG pictures of the pages, beside the test program's working folder.
std::string OutputFolder();

}  // namespace pagetest

#include "platform/ui/Wnd.h"

template <class T> T* pagetest::PageControl(const QWidget* parent, int dialogId, int controlId) {
    QWidget* page = PageWindow(parent, dialogId);
    return page ? qobject_cast<T*>(leaf::ui::FindControl(page, controlId)) : nullptr;
}
