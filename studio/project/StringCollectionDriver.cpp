#include "studio/project/StringCollectionDriver.h"

#include "sdk/LeafcraftSDK.h"

LONG CStringCollectionDriver::GetCount() const {
    return GetProperty(collectiondispid::Count).ToLong();
}

CString CStringCollectionDriver::Item(LONG index) const {
    return CString(InvokeHelper(collectiondispid::Item, DISPATCH_PROPERTYGET, {leaf::Variant(index)}).ToUtf8().c_str());
}
