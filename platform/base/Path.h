#pragma once

// Path helpers. The separator is '/'; an absolute path starts with '/'. Paths that
// come from stored files or links may be written with '\' and pass through Normalize.

#include <optional>
#include <string>
#include <string_view>

namespace leaf::path {

// Every '\' becomes '/'.
std::string Normalize(std::string_view path);

// folder + '/' + name with exactly one separator between them. An absolute name is
// returned as it is; an empty folder gives the name; an empty name gives the folder.
std::string Join(std::string_view folder, std::string_view name);

// Everything before the last '/': "/" for "/x", "" when there is no '/'.
std::string FolderPart(std::string_view path);

// Everything after the last '/' (the whole path when there is none).
std::string FilePart(std::string_view path);

// The file part's extension from its last '.', dot included; "" when there is none.
std::string Extension(std::string_view path);

// Starts with '/'.
bool IsAbsolute(std::string_view path);

// True when path is folder itself or lies below it. The test respects the separator
// boundary ("/book" is not a folder of "/booklet/x"); a trailing '/' on folder is fine.
bool IsUnderFolder(std::string_view folder, std::string_view path, bool ignoreCase = false);

// The existing file or folder that path names, spelled as on disk. An exact match wins;
// otherwise each component is matched without regard to ASCII case within its parent
// (the first in sorted order when several match). nullopt when nothing matches. A
// relative path is looked up from the current folder and returned relative.
std::optional<std::string> Resolve(std::string_view path);

// The key under which a path is indexed where letter case alone should not tell files
// apart: for an absolute path that leads to an existing file or folder, its spelling on
// disk as Resolve finds it (an exact name first, so two files whose names differ only in
// case keep two keys, and every other spelling of one of them gets that one's key);
// otherwise the path lower-cased (ASCII).
std::string CaseKey(std::string_view path);

// Collapses "//", "/./" and "name/../" without touching the disk. A leading ".." of a
// relative path is kept; "/.." is "/". An empty result is ".".
std::string LexicallyNormal(std::string_view path);

}  // namespace leaf::path
