#pragma once

// Automation strings and the task allocator.
//
// A BSTR points at UTF-16 characters preceded by a 32-bit length in bytes and followed
// by a NUL character; the length makes embedded NULs legal. A null BSTR is a valid,
// distinct value: it has length 0 like an empty string, but callers that care (an
// argument that is required) tell the two apart. Every BSTR is freed with
// SysFreeString, whichever module allocated it (all modules use the same C heap).

#include <string>
#include <string_view>

#include "platform/base/Types.h"
#include "platform/com/HResult.h"

using BSTR = OLECHAR*;
using LPBSTR = BSTR*;

// The task allocator: memory that crosses an interface and is freed by the receiver.
void* CoTaskMemAlloc(std::size_t size);
void* CoTaskMemRealloc(void* block, std::size_t size);
void CoTaskMemFree(void* block);

// A copy of a NUL-terminated string; null in gives null out.
BSTR SysAllocString(const OLECHAR* text);
// `length` characters from `text` (uninitialised, but NUL-terminated, when text is null).
BSTR SysAllocStringLen(const OLECHAR* text, UINT length);
// `length` bytes from `bytes` (zeroed when null), followed by a NUL character.
BSTR SysAllocStringByteLen(const char* bytes, UINT length);
// Replaces *target with a copy of text; FALSE (and *target unchanged) when memory is short.
BOOL SysReAllocString(BSTR* target, const OLECHAR* text);
BOOL SysReAllocStringLen(BSTR* target, const OLECHAR* text, UINT length);
void SysFreeString(BSTR text);
// Length in characters / bytes; 0 for a null BSTR.
UINT SysStringLen(BSTR text);
UINT SysStringByteLen(BSTR text);

namespace leaf {

// Owns one BSTR (CComBSTR-shaped). Default-constructed it holds a null BSTR.
class Bstr {
public:
    Bstr() = default;
    explicit Bstr(const OLECHAR* text) : m_text(SysAllocString(text)) {}
    explicit Bstr(std::u16string_view text);
    Bstr(const Bstr& other) : m_text(other.Copy()) {}
    Bstr(Bstr&& other) noexcept : m_text(other.Detach()) {}
    ~Bstr() { SysFreeString(m_text); }
    Bstr& operator=(const Bstr& other);
    Bstr& operator=(Bstr&& other) noexcept;

    static Bstr FromUtf8(std::string_view text);
    static Bstr FromUtf16(std::u16string_view text) { return Bstr(text); }
    // Adopts a BSTR the caller owns.
    static Bstr Attach(BSTR text);

    std::string ToUtf8() const;
    std::u16string ToUtf16() const;

    BSTR Get() const { return m_text; }
    operator BSTR() const { return m_text; }
    bool IsNull() const { return m_text == nullptr; }
    UINT Length() const { return SysStringLen(m_text); }

    // A new copy the caller owns (null when this is null).
    BSTR Copy() const;
    [[nodiscard]] BSTR Detach();
    void Reset(BSTR text = nullptr);
    // Frees what is held and returns the address to receive a new BSTR.
    BSTR* Receive();
    BSTR* operator&() { return Receive(); }

    friend bool operator==(const Bstr& a, const Bstr& b);

private:
    BSTR m_text = nullptr;
};

// The UTF-8 text of a BSTR (a null BSTR gives "").
std::string BstrToUtf8(BSTR text);
std::u16string_view BstrView(BSTR text);

}  // namespace leaf
