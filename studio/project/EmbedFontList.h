#pragma once

// CEmbedFontList: the dispatch driver of the font embedder's font list: Count and Item,
// counted from 1.

#include "platform/com/DispatchDriver.h"
#include "studio/project/EmbedFont.h"

class CEmbedFontList : public leaf::DispatchDriver {
public:
    CEmbedFontList() = default;
    explicit CEmbedFontList(leaf::ComPtr<IDispatch> list) : leaf::DispatchDriver(std::move(list)) {}

    LONG GetCount() const;          // 1
    CEmbedFont Item(LONG index) const;  // 2
};
