#include "studio/project/EmbedFontList.h"

LONG CEmbedFontList::GetCount() const {
    return GetProperty(1).ToLong();
}

CEmbedFont CEmbedFontList::Item(LONG index) const {
    return CEmbedFont(InvokeHelper(2, DISPATCH_PROPERTYGET, {leaf::Variant(index)}).ToDispatch());
}
