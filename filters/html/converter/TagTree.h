#pragma once

// The converter's record of the tags of one document: every tag of the source is a
// CTagNode, and each run of tags that stands between two pieces of text is a CTagGroup.
// A group's index in the converter's list is the number of the placeholder that stands for
// it in the temporary file.

#include <list>
#include <memory>
#include <vector>

#include "platform/base/CString.h"
#include "platform/base/Types.h"

// One tag, start or end.
struct CTagNode {
    CString name;                      // lower case
    std::vector<CString> attributes;   // "name=value" and bare "name" items, in order
    BOOL endTag = FALSE;
    DWORD flags = 0;                   // tag-flag word of the name (MarkupTables.h), plus kTagEmpty when self-closing
    LONG groupIndex = -1;              // the group the node was opened in; -1 until placed
    bool closingCopyAdded = false;     // balancing: the end tag that follows an empty element was inserted
};

using TagNodeList = std::list<std::unique_ptr<CTagNode>>;

// One run of tags between text.
struct CTagGroup {
    DWORD sourceLength = 0;  // per tag: name length + attribute text length + 1 (progress while writing)
    TagNodeList nodes;
};
