#include "platform/com/Guid.h"

#include <sys/random.h>

#include <cerrno>
#include <cstdio>
#include <cstring>

#include "platform/com/Bstr.h"
#include "platform/com/ComRuntime.h"

namespace leaf {

std::string GuidToString(REFGUID guid) {
    char text[39];
    std::snprintf(text, sizeof text, "{%08X-%04X-%04X-%02X%02X-%02X%02X%02X%02X%02X%02X}",
                  static_cast<unsigned>(guid.Data1), static_cast<unsigned>(guid.Data2),
                  static_cast<unsigned>(guid.Data3), guid.Data4[0], guid.Data4[1], guid.Data4[2],
                  guid.Data4[3], guid.Data4[4], guid.Data4[5], guid.Data4[6], guid.Data4[7]);
    return text;
}

std::u16string GuidToUtf16(REFGUID guid) {
    std::string text = GuidToString(guid);
    return std::u16string(text.begin(), text.end());
}

std::optional<GUID> ParseGuid(std::u16string_view text) {
    std::string narrow;
    narrow.reserve(text.size());
    for (char16_t c : text) {
        if (c > 0x7F)
            return std::nullopt;
        narrow.push_back(static_cast<char>(c));
    }
    return ParseGuid(std::string_view(narrow));
}

}  // namespace leaf

namespace {

HRESULT AllocateGuidText(REFGUID guid, LPOLESTR* text) {
    if (text == nullptr)
        return E_INVALIDARG;
    *text = nullptr;
    std::u16string value = leaf::GuidToUtf16(guid);
    auto* copy = static_cast<LPOLESTR>(CoTaskMemAlloc((value.size() + 1) * sizeof(OLECHAR)));
    if (copy == nullptr)
        return E_OUTOFMEMORY;
    std::memcpy(copy, value.c_str(), (value.size() + 1) * sizeof(OLECHAR));
    *text = copy;
    return S_OK;
}

std::u16string_view ViewOf(LPCOLESTR text) {
    return text == nullptr ? std::u16string_view() : std::u16string_view(text);
}

}  // namespace

HRESULT StringFromCLSID(REFCLSID clsid, LPOLESTR* text) { return AllocateGuidText(clsid, text); }

HRESULT StringFromIID(REFIID iid, LPOLESTR* text) { return AllocateGuidText(iid, text); }

int StringFromGUID2(REFGUID guid, LPOLESTR buffer, int bufferLength) {
    std::u16string value = leaf::GuidToUtf16(guid);
    int needed = static_cast<int>(value.size()) + 1;
    if (buffer == nullptr || bufferLength < needed)
        return 0;
    std::memcpy(buffer, value.c_str(), static_cast<std::size_t>(needed) * sizeof(OLECHAR));
    return needed;
}

HRESULT CLSIDFromString(LPCOLESTR text, LPCLSID clsid) {
    if (clsid == nullptr)
        return E_INVALIDARG;
    *clsid = GUID_NULL;
    std::u16string_view view = ViewOf(text);
    if (!view.empty() && view.front() == u'{') {
        std::optional<GUID> guid = leaf::ParseGuid(view);
        if (!guid)
            return CO_E_CLASSSTRING;
        *clsid = *guid;
        return S_OK;
    }
    if (view.empty())
        return CO_E_CLASSSTRING;
    return CLSIDFromProgID(text, clsid);
}

HRESULT IIDFromString(LPCOLESTR text, IID* iid) {
    if (iid == nullptr)
        return E_INVALIDARG;
    std::optional<GUID> guid = leaf::ParseGuid(ViewOf(text));
    if (!guid)
        return E_INVALIDARG;
    *iid = *guid;
    return S_OK;
}

HRESULT CoCreateGuid(GUID* guid) {
    if (guid == nullptr)
        return E_INVALIDARG;
    std::uint8_t bytes[16];
    std::size_t filled = 0;
    while (filled < sizeof bytes) {
        ssize_t got = getrandom(bytes + filled, sizeof bytes - filled, 0);
        if (got < 0) {
            if (errno == EINTR)
                continue;
            return E_FAIL;
        }
        filled += static_cast<std::size_t>(got);
    }
    bytes[6] = static_cast<std::uint8_t>((bytes[6] & 0x0F) | 0x40);  // version 4: random
    bytes[8] = static_cast<std::uint8_t>((bytes[8] & 0x3F) | 0x80);  // the standard variant
    guid->Data1 = (std::uint32_t(bytes[0]) << 24) | (std::uint32_t(bytes[1]) << 16) |
                  (std::uint32_t(bytes[2]) << 8) | bytes[3];
    guid->Data2 = static_cast<std::uint16_t>((bytes[4] << 8) | bytes[5]);
    guid->Data3 = static_cast<std::uint16_t>((bytes[6] << 8) | bytes[7]);
    std::memcpy(guid->Data4, bytes + 8, 8);
    return S_OK;
}
