#include "platform/com/Bstr.h"

#include <cstdlib>
#include <cstring>
#include <limits>
#include <memory>
#include <utility>

#include "platform/base/TextEncoding.h"

namespace {

// Room for the length prefix and the terminating NUL character around the text.
constexpr std::size_t kPrefixSize = sizeof(std::uint32_t);
constexpr std::size_t kTerminatorSize = sizeof(OLECHAR);
// The byte length must fit the 32-bit prefix; stay well clear of its limit.
constexpr std::size_t kMaxByteLength = std::numeric_limits<std::int32_t>::max() - 64;

std::uint32_t* PrefixOf(BSTR text) {
    return reinterpret_cast<std::uint32_t*>(reinterpret_cast<char*>(text) - kPrefixSize);
}

BSTR AllocateBytes(const void* source, std::size_t byteLength) {
    if (byteLength > kMaxByteLength)
        return nullptr;
    auto* block = static_cast<char*>(std::malloc(kPrefixSize + byteLength + kTerminatorSize));
    if (block == nullptr)
        return nullptr;
    std::uint32_t prefix = static_cast<std::uint32_t>(byteLength);
    std::memcpy(block, &prefix, kPrefixSize);
    char* text = block + kPrefixSize;
    if (source != nullptr)
        std::memcpy(text, source, byteLength);
    else
        std::memset(text, 0, byteLength);
    std::memset(text + byteLength, 0, kTerminatorSize);
    return reinterpret_cast<BSTR>(text);
}

std::size_t TextLength(const OLECHAR* text) {
    std::size_t length = 0;
    while (text[length] != 0)
        ++length;
    return length;
}

}  // namespace

void* CoTaskMemAlloc(std::size_t size) { return std::malloc(size == 0 ? 1 : size); }

void* CoTaskMemRealloc(void* block, std::size_t size) { return std::realloc(block, size == 0 ? 1 : size); }

void CoTaskMemFree(void* block) { std::free(block); }

BSTR SysAllocString(const OLECHAR* text) {
    if (text == nullptr)
        return nullptr;
    return AllocateBytes(text, TextLength(text) * sizeof(OLECHAR));
}

BSTR SysAllocStringLen(const OLECHAR* text, UINT length) {
    return AllocateBytes(text, static_cast<std::size_t>(length) * sizeof(OLECHAR));
}

BSTR SysAllocStringByteLen(const char* bytes, UINT length) { return AllocateBytes(bytes, length); }

BOOL SysReAllocStringLen(BSTR* target, const OLECHAR* text, UINT length) {
    if (target == nullptr)
        return FALSE;
    BSTR copy = SysAllocStringLen(text, length);
    if (copy == nullptr)
        return FALSE;
    SysFreeString(*target);
    *target = copy;
    return TRUE;
}

BOOL SysReAllocString(BSTR* target, const OLECHAR* text) {
    if (target == nullptr)
        return FALSE;
    if (text == nullptr) {
        SysFreeString(*target);
        *target = nullptr;
        return TRUE;
    }
    return SysReAllocStringLen(target, text, static_cast<UINT>(TextLength(text)));
}

void SysFreeString(BSTR text) {
    if (text != nullptr)
        std::free(PrefixOf(text));
}

UINT SysStringByteLen(BSTR text) {
    if (text == nullptr)
        return 0;
    std::uint32_t length;
    std::memcpy(&length, PrefixOf(text), kPrefixSize);
    return length;
}

UINT SysStringLen(BSTR text) { return SysStringByteLen(text) / sizeof(OLECHAR); }

namespace leaf {

Bstr::Bstr(std::u16string_view text) : m_text(SysAllocStringLen(text.data(), static_cast<UINT>(text.size()))) {}

Bstr& Bstr::operator=(const Bstr& other) {
    if (this != std::addressof(other))
        Reset(other.Copy());
    return *this;
}

Bstr& Bstr::operator=(Bstr&& other) noexcept {
    if (this != std::addressof(other))
        Reset(other.Detach());
    return *this;
}

Bstr Bstr::FromUtf8(std::string_view text) { return Bstr(std::u16string_view(Utf8ToUtf16(text))); }

Bstr Bstr::Attach(BSTR text) {
    Bstr result;
    result.m_text = text;
    return result;
}

std::string Bstr::ToUtf8() const { return BstrToUtf8(m_text); }

std::u16string Bstr::ToUtf16() const { return std::u16string(BstrView(m_text)); }

BSTR Bstr::Copy() const {
    if (m_text == nullptr)
        return nullptr;
    return SysAllocStringByteLen(reinterpret_cast<const char*>(m_text), SysStringByteLen(m_text));
}

BSTR Bstr::Detach() { return std::exchange(m_text, nullptr); }

void Bstr::Reset(BSTR text) {
    BSTR old = std::exchange(m_text, text);
    if (old != text)
        SysFreeString(old);
}

BSTR* Bstr::Receive() {
    Reset();
    return &m_text;
}

bool operator==(const Bstr& a, const Bstr& b) {
    if (a.IsNull() || b.IsNull())
        return a.IsNull() == b.IsNull();
    return BstrView(a.m_text) == BstrView(b.m_text);
}

std::string BstrToUtf8(BSTR text) { return Utf16ToUtf8(BstrView(text)); }

std::u16string_view BstrView(BSTR text) {
    if (text == nullptr)
        return {};
    return std::u16string_view(text, SysStringLen(text));
}

}  // namespace leaf
