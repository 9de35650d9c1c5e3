#include "platform/com/EnumVariant.h"

#include <algorithm>
#include <new>

namespace leaf {

EnumVariant::EnumVariant(std::vector<Variant> values)
    : m_values(std::make_shared<const std::vector<Variant>>(std::move(values))) {}

EnumVariant::EnumVariant(std::shared_ptr<const std::vector<Variant>> values, std::size_t position)
    : m_values(std::move(values)), m_position(position) {}

HRESULT EnumVariant::Create(std::vector<Variant> values, IEnumVARIANT** enumerator) {
    if (enumerator == nullptr)
        return E_POINTER;
    *enumerator = nullptr;
    try {
        ComPtr<EnumVariant> created(new EnumVariant(std::move(values)));
        *enumerator = created.Detach();
        return S_OK;
    } catch (const std::bad_alloc&) {
        return E_OUTOFMEMORY;
    }
}

HRESULT EnumVariant::Next(ULONG count, VARIANT* values, ULONG* fetched) {
    if (fetched != nullptr)
        *fetched = 0;
    if (count > 0 && values == nullptr)
        return E_POINTER;
    std::size_t available = m_values->size() - m_position;
    std::size_t n = std::min<std::size_t>(count, available);
    for (std::size_t i = 0; i < n; ++i) {
        VariantInit(&values[i]);
        HRESULT hr = VariantCopy(&values[i], &(*m_values)[m_position + i]);
        if (FAILED(hr)) {
            for (std::size_t j = 0; j < i; ++j)
                VariantClear(&values[j]);
            return E_OUTOFMEMORY;
        }
    }
    m_position += n;
    if (fetched != nullptr)
        *fetched = static_cast<ULONG>(n);
    return n == count ? S_OK : S_FALSE;
}

HRESULT EnumVariant::Skip(ULONG count) {
    std::size_t available = m_values->size() - m_position;
    std::size_t n = std::min<std::size_t>(count, available);
    m_position += n;
    return n == count ? S_OK : S_FALSE;
}

HRESULT EnumVariant::Reset() {
    m_position = 0;
    return S_OK;
}

HRESULT EnumVariant::Clone(IEnumVARIANT** clone) {
    if (clone == nullptr)
        return E_POINTER;
    *clone = nullptr;
    auto* copy = new (std::nothrow) EnumVariant(m_values, m_position);
    if (copy == nullptr)
        return E_OUTOFMEMORY;
    copy->AddRef();
    *clone = copy;
    return S_OK;
}

}  // namespace leaf
