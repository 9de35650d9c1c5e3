#pragma once

// IEnumVARIANT, the enumerator of automation collections (what a for-each loop over
// a collection's _NewEnum walks), and leaf::EnumVariant, a ready implementation over a
// list of VARIANTs.

#include <memory>
#include <vector>

#include "platform/com/ComObject.h"
#include "platform/com/Unknown.h"
#include "platform/com/Variant.h"

struct IEnumVARIANT : IUnknown {
    static constexpr const IID& kIid = IID_IEnumVARIANT;

    // Copies up to `count` values into `values` (each initialised first); S_FALSE when
    // fewer were left. `fetched` may be null.
    virtual HRESULT Next(ULONG count, VARIANT* values, ULONG* fetched) = 0;
    virtual HRESULT Skip(ULONG count) = 0;
    virtual HRESULT Reset() = 0;
    virtual HRESULT Clone(IEnumVARIANT** clone) = 0;

protected:
    ~IEnumVARIANT() = default;
};

namespace leaf {

// Enumerates its own copy of a list. Clones share the list (it lives until the last of
// them is released) and start at their source's position.
class EnumVariant final : public ComObject<EnumVariant, IEnumVARIANT> {
public:
    explicit EnumVariant(std::vector<Variant> values);

    // A new enumerator over the values, returned with the one reference the caller owns.
    static HRESULT Create(std::vector<Variant> values, IEnumVARIANT** enumerator);

    HRESULT Next(ULONG count, VARIANT* values, ULONG* fetched) override;
    HRESULT Skip(ULONG count) override;
    HRESULT Reset() override;
    HRESULT Clone(IEnumVARIANT** clone) override;

private:
    EnumVariant(std::shared_ptr<const std::vector<Variant>> values, std::size_t position);

    std::shared_ptr<const std::vector<Variant>> m_values;
    std::size_t m_position = 0;
};

}  // namespace leaf
