#pragma once

// Puts an HTML file that the office suite wrote into a scratch folder where Word would
// have written it: the page at the target path, and its pictures and other companion
// files in a folder beside it named after the page with "_files", the page's links to
// them rewritten to match.

#include <string>

namespace wordstub {

// `htmlPath` lies in `scratchFolder`; every other file there (but the folder's owner mark)
// is a companion. When the
// scratch folder lies in the target's folder, the page's other relative links (written
// from the scratch folder) are made relative to the target's folder. False, with the
// reason in `error`, when the target or the companion folder cannot be written.
bool PlaceHtmlExport(const std::string& htmlPath, const std::string& scratchFolder, const std::string& target,
                     std::string& error);

// Replaces every quoted occurrence ("name" or 'name') of `name` in `html` by `replacement`.
void ReplaceQuotedReference(std::string& html, const std::string& name, const std::string& replacement);

// Drops one leading "../" from every src and href value that starts with it: the links
// of a page written one folder below the folder it is placed in.
void DropOneParentStep(std::string& html);

}  // namespace wordstub
