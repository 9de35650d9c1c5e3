#pragma once

// The file types an installed word processor registers with the shell: each extension
// names its document class ("HKCR\.doc" = "Word.Document.8") and carries the media type
// in its "Content Type" value, and each class has its description, which file dialogs
// show as the type's name. Programs take a file's media type from there.

namespace wordstub {

struct WordFileType {
    const char* extension;
    const char* documentClass;
    const char* contentType;
    const char* description;
};

inline constexpr WordFileType kWordFileTypes[] = {
    {".doc", "Word.Document.8", "application/msword", "Word Document"},
    {".docx", "Word.Document.12", "application/vnd.openxmlformats-officedocument.wordprocessingml.document",
     "Word Document"},
};

// Writes the extension and class keys of every type; false when the registry refuses
// one.
bool RegisterWordFileTypes();

// Removes them again: an extension only while it still names this class (another
// program that took it over keeps it), a class only while it is the stand-in's.
void UnregisterWordFileTypes();

}  // namespace wordstub
