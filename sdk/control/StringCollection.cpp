#include "sdk/control/StringCollection.h"

#include "platform/com/EnumVariant.h"
#include "sdk/LeafcraftSDK.h"
#include "sdk/control/LeafcraftTypeLib.h"

leaf::ComPtr<IDispatch> CStringCollection::SetStrings(const std::vector<CString>& strings) {
    return leaf::ComPtr<IDispatch>(new CStringCollection(strings));
}

const leaf::DispatchTable<CStringCollection>& CStringCollection::GetDispatchTable() {
    static const leaf::DispatchTable<CStringCollection> table(
        StringCollectionInterface(),
        {{collectiondispid::Count, leaf::MemberKind::PropertyGet, &CStringCollection::Count},
         {collectiondispid::Item, leaf::MemberKind::PropertyGet, &CStringCollection::Item},
         {collectiondispid::NewEnum, leaf::MemberKind::PropertyGet, &CStringCollection::NewEnum}});
    return table;
}

leaf::Variant CStringCollection::Count(const leaf::DispatchArguments&) {
    return leaf::Variant(static_cast<LONG>(m_strings.size()));
}

leaf::Variant CStringCollection::Item(const leaf::DispatchArguments& arguments) {
    LONG index = arguments.Long(0);
    if (index < 1 || static_cast<size_t>(index) > m_strings.size())
        throw leaf::AutomationException(E_INVALIDARG);
    return leaf::Variant(std::string_view(m_strings[index - 1].str()));
}

leaf::Variant CStringCollection::NewEnum(const leaf::DispatchArguments&) {
    std::vector<leaf::Variant> values;
    values.reserve(m_strings.size());
    for (const CString& text : m_strings)
        values.emplace_back(std::string_view(text.str()));
    leaf::ComPtr<IEnumVARIANT> enumerator;
    HRESULT hr = leaf::EnumVariant::Create(std::move(values), enumerator.Receive());
    if (FAILED(hr))
        throw leaf::AutomationException(hr);
    leaf::Variant result;
    result.vt = VT_UNKNOWN;
    result.punkVal = enumerator.Detach();
    return result;
}
