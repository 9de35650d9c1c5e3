#pragma once

// CWideBuffer: a growable, NUL-terminated UTF-16 string with an explicit capacity, used
// wherever text crosses a COM interface or the UTF-16 scanner. Capacity and length are
// counted in UTF-16 units; the capacity includes room for the terminator.
//
// Invariant after every operation that sets text: data[length] == 0 and
// length < capacity. A default-constructed buffer owns nothing (null data, 0, 0).
//
// DecodeUrlEscapes undoes "%XX" escapes in a URL-like path.

#include <memory>

#include "platform/base/CString.h"
#include "platform/base/Types.h"

class CWideBuffer {
public:
    // The largest capacity a buffer takes (2 GiB of text); larger requests throw.
    static constexpr int kMaxCapacity = 1 << 30;

    CWideBuffer() = default;
    explicit CWideBuffer(const WCHAR* text);
    // Converts 8-bit (UTF-8) text; the length is the number of UTF-16 units produced.
    explicit CWideBuffer(const char* text);
    ~CWideBuffer() = default;

    CWideBuffer(const CWideBuffer& other);
    CWideBuffer& operator=(const CWideBuffer& other);
    CWideBuffer(CWideBuffer&& other) noexcept;
    CWideBuffer& operator=(CWideBuffer&& other) noexcept;

    void Assign(const WCHAR* text);
    void Assign(const char* text);

    // Makes room for n units (the terminator included). Not exact: grows to the smallest
    // power of two that is at least 2 * n, and never shrinks. Exact: the capacity becomes
    // n (at least 1); shrinking cuts the text so that it still fits with its terminator.
    // Returns the data pointer. Throws std::bad_alloc when the memory cannot be had or n
    // exceeds kMaxCapacity; the buffer is then unchanged.
    WCHAR* Reserve(int n, BOOL exact);

    // Appends one unit; amortised constant time.
    void Append(WCHAR ch);

    // Compares n units of the buffer from position with text (ASCII letters folded when
    // matchCase is FALSE). Only the buffer's own text is read: a position outside it
    // compares as an empty part. <0, 0 or >0.
    int CompareAt(const WCHAR* text, BOOL matchCase, int position, int n) const;
    // Compares the last min(length, n) units with text; n == -1 means text's length.
    int CompareRight(const WCHAR* text, BOOL matchCase, int n = -1) const;

    // For callers that wrote into the reserved data directly: sets the length (clamped to
    // the capacity) and writes the terminator.
    void SetLength(int length);

    // Frees the data; all three fields become 0.
    void Free();

    WCHAR* GetData() { return m_data.get(); }
    const WCHAR* GetData() const { return m_data.get(); }
    int GetCapacity() const { return m_capacity; }
    int GetLength() const { return m_length; }
    bool IsEmpty() const { return m_length == 0; }

private:
    void AssignUnits(const WCHAR* units, int count);

    std::unique_ptr<WCHAR[]> m_data;
    int m_capacity = 0;
    int m_length = 0;
};

// Undoes percent escapes: "%" and two hexadecimal digits give that byte, "%%" gives "%",
// anything else (a "%" without two digits behind it, and "%00") stays as written. The
// decoded bytes are 8-bit text of the system's code page.
CString DecodeUrlEscapes(const CString& text);
