#pragma once

// CStringCollection: the read-only list of strings that GetMissingFiles and
// GetExternalFiles hand to the client (_DStringCollection: Count, Item counted from 1,
// and _NewEnum for for-each loops). It keeps its own copy, taken when it is made.

#include <vector>

#include "platform/base/CString.h"
#include "platform/com/DispatchTable.h"

class CStringCollection final : public leaf::DispatchImpl<CStringCollection> {
public:
    explicit CStringCollection(std::vector<CString> strings) : m_strings(std::move(strings)) {}

    // A new collection holding a copy of the list, with the one reference the caller owns.
    static leaf::ComPtr<IDispatch> SetStrings(const std::vector<CString>& strings);

    static const leaf::DispatchTable<CStringCollection>& GetDispatchTable();

private:
    leaf::Variant Count(const leaf::DispatchArguments&);
    leaf::Variant Item(const leaf::DispatchArguments& arguments);
    leaf::Variant NewEnum(const leaf::DispatchArguments&);

    std::vector<CString> m_strings;
};
