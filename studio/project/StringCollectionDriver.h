#pragma once

// CStringCollectionDriver: the dispatch driver of a string collection that the build
// control returns (GetMissingFiles, GetExternalFiles). Item counts from 1.

#include "platform/base/CString.h"
#include "platform/com/DispatchDriver.h"

class CStringCollectionDriver : public leaf::DispatchDriver {
public:
    CStringCollectionDriver() = default;
    explicit CStringCollectionDriver(leaf::ComPtr<IDispatch> collection)
        : leaf::DispatchDriver(std::move(collection)) {}

    // Property "Count" (dispatch id 1).
    LONG GetCount() const;
    // Property "Item" (dispatch id 2) for an index from 1 to GetCount().
    CString Item(LONG index) const;
};
