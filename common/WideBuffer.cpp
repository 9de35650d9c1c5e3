#include "common/WideBuffer.h"

#include <algorithm>
#include <climits>
#include <cstring>
#include <string>

#include "platform/base/HexDigit.h"
#include "platform/base/TextEncoding.h"

namespace {

int UnitCount(const WCHAR* text)
{
    if (!text) return 0;
    size_t count = std::char_traits<char16_t>::length(text);
    if (count >= static_cast<size_t>(INT_MAX)) throw std::bad_alloc();
    return static_cast<int>(count);
}

// The growth target for a request of n units: the smallest power of two that is at least
// 2 * n, leaving room for the next growth, but never beyond the largest capacity.
int GrowthTarget(int n)
{
    if (n <= 0) return 1;
    const long long wanted = 2LL * n;
    long long target = 1;
    while (target < wanted) target <<= 1;
    return static_cast<int>(std::min<long long>(target, CWideBuffer::kMaxCapacity));
}

}  // namespace

CWideBuffer::CWideBuffer(const WCHAR* text)
{
    Assign(text);
}

CWideBuffer::CWideBuffer(const char* text)
{
    Assign(text);
}

CWideBuffer::CWideBuffer(const CWideBuffer& other)
{
    if (other.m_data) AssignUnits(other.m_data.get(), other.m_length);
}

CWideBuffer& CWideBuffer::operator=(const CWideBuffer& other)
{
    if (this != &other) {
        if (other.m_data)
            AssignUnits(other.m_data.get(), other.m_length);
        else
            Free();
    }
    return *this;
}

CWideBuffer::CWideBuffer(CWideBuffer&& other) noexcept
    : m_data(std::move(other.m_data)), m_capacity(other.m_capacity), m_length(other.m_length)
{
    other.m_capacity = 0;
    other.m_length = 0;
}

CWideBuffer& CWideBuffer::operator=(CWideBuffer&& other) noexcept
{
    if (this != &other) {
        m_data = std::move(other.m_data);
        m_capacity = other.m_capacity;
        m_length = other.m_length;
        other.m_capacity = 0;
        other.m_length = 0;
    }
    return *this;
}

void CWideBuffer::Assign(const WCHAR* text)
{
    AssignUnits(text ? text : u"", UnitCount(text));
}

void CWideBuffer::Assign(const char* text)
{
    const std::u16string units = leaf::Utf8ToUtf16(text ? text : "");
    if (units.size() >= static_cast<size_t>(INT_MAX)) throw std::bad_alloc();
    AssignUnits(units.c_str(), static_cast<int>(units.size()));
}

void CWideBuffer::AssignUnits(const WCHAR* units, int count)
{
    if (count == INT_MAX) throw std::bad_alloc();
    // The source may live inside this buffer; copy it out before a reallocation.
    if (m_data && units >= m_data.get() && units < m_data.get() + m_capacity) {
        const std::u16string copy(units, static_cast<size_t>(count));
        AssignUnits(copy.c_str(), count);
        return;
    }
    Reserve(count + 1, FALSE);
    std::copy(units, units + count, m_data.get());
    m_length = count;
    m_data[m_length] = 0;
}

WCHAR* CWideBuffer::Reserve(int n, BOOL exact)
{
    if (n > kMaxCapacity) throw std::bad_alloc();
    const int target = exact ? std::max(n, 1) : GrowthTarget(n);
    if (m_data && m_capacity >= n && (!exact || m_capacity <= target)) return m_data.get();

    std::unique_ptr<WCHAR[]> block(new WCHAR[static_cast<size_t>(target)]());
    if (m_data) std::copy(m_data.get(), m_data.get() + std::min(m_capacity, target), block.get());
    m_data = std::move(block);
    m_capacity = target;
    if (m_length >= m_capacity) {
        // An exact shrink below the text: cut the text so the invariant still holds.
        m_length = m_capacity - 1;
        m_data[m_length] = 0;
    }
    return m_data.get();
}

void CWideBuffer::Append(WCHAR ch)
{
    if (m_length > INT_MAX - 2) throw std::bad_alloc();
    Reserve(m_length + 2, FALSE);
    m_data[m_length] = ch;
    ++m_length;
    m_data[m_length] = 0;
}

int CWideBuffer::CompareAt(const WCHAR* text, BOOL matchCase, int position, int n) const
{
    const int textLength = UnitCount(text);
    if (n <= 0 || !m_data) return textLength > 0 ? -1 : 0;

    const int start = std::clamp(position, 0, m_length);
    const int available = m_length - start;
    const WCHAR* part = m_data.get() + start;
    int result = 0;
    for (int i = 0; i < n; ++i) {
        WCHAR mine = i < available ? part[i] : 0;
        WCHAR theirs = i < textLength ? text[i] : 0;
        if (!matchCase) {
            mine = leaf::AsciiToLower(mine);
            theirs = leaf::AsciiToLower(theirs);
        }
        if (mine != theirs) {
            result = mine < theirs ? -1 : 1;
            break;
        }
        if (mine == 0) break;
    }
    if (result != 0 || textLength == n) return result;
    // The compared part matched: the buffer's part is a proper prefix of a longer text, or
    // the text ended first.
    return textLength > n ? -1 : 1;
}

int CWideBuffer::CompareRight(const WCHAR* text, BOOL matchCase, int n) const
{
    if (n == -1) n = UnitCount(text);
    const int m = std::max(0, std::min(m_length, n));
    return CompareAt(text, matchCase, m_length - m, m);
}

void CWideBuffer::SetLength(int length)
{
    if (!m_data) {
        if (length <= 0) return;
        Reserve(length + 1, FALSE);
    }
    m_length = std::clamp(length, 0, m_capacity - 1);
    m_data[m_length] = 0;
}

void CWideBuffer::Free()
{
    m_data.reset();
    m_capacity = 0;
    m_length = 0;
}

CString DecodeUrlEscapes(const CString& text)
{
    const std::string& in = text.str();
    std::string out;
    out.reserve(in.size());
    for (size_t i = 0; i < in.size();) {
        if (in[i] == '%' && i + 2 < in.size()) {
            const int high = leaf::HexDigitValue(in[i + 1]);
            const int low = leaf::HexDigitValue(in[i + 2]);
            const int value = high * 16 + low;
            if (high >= 0 && low >= 0 && value != 0) {
                out += static_cast<char>(value);
                i += 3;
                continue;
            }
        }
        if (in[i] == '%' && i + 1 < in.size() && in[i + 1] == '%') {
            out += '%';
            i += 2;
            continue;
        }
        out += in[i];
        ++i;
    }
    return CString(std::move(out));
}
