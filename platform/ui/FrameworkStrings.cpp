#include "platform/ui/FrameworkStrings.h"

#include <map>

#include "platform/ui/Resources.h"

namespace leaf::ui {

namespace {

const std::map<UINT, const char*>& BuiltInStrings() {
    static const std::map<UINT, const char*> strings = {
        {AFX_IDS_UNTITLED, "Untitled"},
        {AFX_IDS_OPENFILE, "Open"},
        {AFX_IDS_SAVEFILE, "Save As"},
        {AFX_IDS_ALLFILTER, "All Files (*.*)"},
        {AFX_IDP_INVALID_FILENAME, "Invalid filename."},
        {AFX_IDP_FAILED_TO_OPEN_DOC, "Failed to open document."},
        {AFX_IDP_FAILED_TO_SAVE_DOC, "Failed to save document."},
        {AFX_IDP_ASK_TO_SAVE, "Save changes to %1?"},
        {AFX_IDP_FAILED_TO_CREATE_DOC, "Failed to create empty document."},
        {AFX_IDP_FAILED_INVALID_FORMAT, "Unexpected file format."},
        {AFX_IDP_FAILED_INVALID_PATH, "%1\nCannot find this file.\nPlease verify that the correct path and file name are given."},
        {AFX_IDP_FAILED_DISK_FULL, "Destination disk drive is full."},
        {AFX_IDP_FAILED_ACCESS_READ, "Unable to read from %1, it is opened by someone else."},
        {AFX_IDP_FAILED_ACCESS_WRITE, "Unable to write to %1, it is read-only or opened by someone else."},
        {AFX_IDP_FAILED_IO_ERROR_READ, "An unexpected error occurred while reading %1."},
        {AFX_IDP_FAILED_IO_ERROR_WRITE, "An unexpected error occurred while writing %1."},
        {ID_INDICATOR_CAPS, "CAP"},
        {ID_INDICATOR_NUM, "NUM"},
        {ID_INDICATOR_SCRL, "SCRL"},
    };
    return strings;
}

}  // namespace

CString FrameworkString(UINT id) {
    if (const std::string* text = Resources().FindString(id)) return CString(*text);
    auto it = BuiltInStrings().find(id);
    return it == BuiltInStrings().end() ? CString() : CString(it->second);
}

CString FormatFrameworkString(UINT id, const char* value) {
    std::string text = FrameworkString(id).str();
    std::string replacement = value ? value : "";
    for (size_t at = text.find("%1"); at != std::string::npos; at = text.find("%1", at + replacement.size()))
        text.replace(at, 2, replacement);
    return CString(text);
}

}  // namespace leaf::ui
