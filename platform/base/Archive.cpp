#include "platform/base/Archive.h"

#include <algorithm>
#include <cstring>
#include <map>
#include <memory>

#include "platform/base/File.h"
#include "platform/base/TextEncoding.h"

namespace {

constexpr WORD kNullTag = 0x0000;
constexpr WORD kNewClassTag = 0xFFFF;
constexpr WORD kClassTag = 0x8000;
constexpr WORD kBigObjectTag = 0x7FFF;
constexpr DWORD kBigClassTag = 0x80000000;
// The largest index a stream may use; beyond it the class library's own maps end.
constexpr DWORD kMaxIndex = 0x3FFFFFFE;

// Long strings are read in pieces of this size, so that a damaged length prefix runs
// into the end of the file instead of allocating what it claims.
constexpr size_t kReadPiece = 64 * 1024;

std::map<std::string, const CRuntimeClass*, std::less<>>& ClassTable()
{
    static std::map<std::string, const CRuntimeClass*, std::less<>> table;
    return table;
}

}  // namespace

CArchiveException::CArchiveException(int cause, const char* fileName)
    : m_cause(cause), m_strFileName(fileName)
{
}

const char* CArchiveException::what() const noexcept
{
    static const char* const kCauses[] = {"no error",        "generic error",  "archive is read-only",
                                          "end of file",     "archive is write-only", "bad object index",
                                          "unexpected class", "unsupported schema"};
    const char* cause = (m_cause >= 0 && m_cause <= badSchema) ? kCauses[m_cause] : "unknown error";
    m_message = std::string("archive: ") + cause;
    if (!m_strFileName.IsEmpty()) m_message += std::string(" (") + m_strFileName.str() + ")";
    return m_message.c_str();
}

CObject* CRuntimeClass::CreateObject() const
{
    return m_pfnCreateObject ? m_pfnCreateObject() : nullptr;
}

const CRuntimeClass* CRuntimeClass::FromName(std::string_view className)
{
    auto& table = ClassTable();
    auto found = table.find(className);
    return found == table.end() ? nullptr : found->second;
}

void CRuntimeClass::Register(const CRuntimeClass* runtimeClass)
{
    if (runtimeClass && runtimeClass->m_lpszClassName)
        ClassTable()[runtimeClass->m_lpszClassName] = runtimeClass;
}

void CObject::Serialize(CArchive&)
{
}

CArchive::CArchive(CFile* file, UINT mode, int bufferSize, void*)
    : m_file(file), m_mode(mode), m_bufferSize(bufferSize > 0 ? static_cast<size_t>(bufferSize) : 4096)
{
    m_loaded.push_back({});   // index 0: the null reference
    if (IsStoring()) m_buffer.reserve(m_bufferSize);
}

CArchive::~CArchive()
{
    if (m_closed) return;
    if (IsStoring() && !(m_mode & bNoFlushOnDelete)) {
        try {
            Flush();
        } catch (...) {
            // A destructor cannot report it; Close() is the call that does.
        }
    }
    m_closed = true;
}

void CArchive::Fail(int cause) const
{
    throw CArchiveException(cause, m_file ? m_file->GetFilePath().c_str() : nullptr);
}

void CArchive::Flush()
{
    if (m_closed || !m_file) return;
    if (IsStoring()) {
        if (!m_buffer.empty()) {
            m_file->Write(m_buffer.data(), static_cast<UINT>(m_buffer.size()));
            m_buffer.clear();
        }
    } else {
        // Give back the bytes read ahead, so the file stands where the archive stopped.
        size_t unread = m_buffer.size() - m_readPosition;
        if (unread > 0) m_file->Seek(-static_cast<LONGLONG>(unread), CFile::current);
        m_buffer.clear();
        m_readPosition = 0;
    }
}

void CArchive::Close()
{
    if (m_closed) return;
    Flush();
    m_closed = true;
}

void CArchive::Abort()
{
    m_buffer.clear();
    m_readPosition = 0;
    m_closed = true;
}

void CArchive::FillBuffer(size_t wanted)
{
    if (m_closed || !m_file) Fail(CArchiveException::genericException);
    // Keep the unread bytes and read more behind them.
    m_buffer.erase(m_buffer.begin(), m_buffer.begin() + static_cast<std::ptrdiff_t>(m_readPosition));
    m_readPosition = 0;
    size_t target = std::max(wanted, m_bufferSize);
    while (m_buffer.size() < target && !m_atEndOfFile) {
        size_t have = m_buffer.size();
        m_buffer.resize(target);
        UINT got = m_file->Read(m_buffer.data() + have, static_cast<UINT>(target - have));
        m_buffer.resize(have + got);
        if (got == 0) m_atEndOfFile = true;
        if (m_buffer.size() >= wanted) break;
    }
}

UINT CArchive::Read(void* buffer, UINT count)
{
    if (IsStoring()) Fail(CArchiveException::writeOnly);
    char* out = static_cast<char*>(buffer);
    UINT done = 0;
    while (done < count) {
        if (m_readPosition >= m_buffer.size()) {
            FillBuffer(1);
            if (m_buffer.empty()) break;
        }
        size_t take = std::min<size_t>(count - done, m_buffer.size() - m_readPosition);
        std::memcpy(out + done, m_buffer.data() + m_readPosition, take);
        m_readPosition += take;
        done += static_cast<UINT>(take);
    }
    return done;
}

void CArchive::ReadExactly(void* buffer, UINT count)
{
    if (Read(buffer, count) != count) Fail(CArchiveException::endOfFile);
}

void CArchive::Write(const void* buffer, UINT count)
{
    if (IsLoading()) Fail(CArchiveException::readOnly);
    if (m_closed || !m_file) Fail(CArchiveException::genericException);
    const char* in = static_cast<const char*>(buffer);
    m_buffer.insert(m_buffer.end(), in, in + count);
    if (m_buffer.size() >= m_bufferSize) Flush();
}

CArchive& CArchive::operator<<(BYTE value)
{
    Write(&value, 1);
    return *this;
}

CArchive& CArchive::operator<<(WORD value)
{
    BYTE bytes[2] = {static_cast<BYTE>(value), static_cast<BYTE>(value >> 8)};
    Write(bytes, 2);
    return *this;
}

CArchive& CArchive::operator<<(DWORD value)
{
    BYTE bytes[4] = {static_cast<BYTE>(value), static_cast<BYTE>(value >> 8), static_cast<BYTE>(value >> 16),
                     static_cast<BYTE>(value >> 24)};
    Write(bytes, 4);
    return *this;
}

CArchive& CArchive::operator>>(BYTE& value)
{
    ReadExactly(&value, 1);
    return *this;
}

CArchive& CArchive::operator>>(WORD& value)
{
    BYTE bytes[2];
    ReadExactly(bytes, 2);
    value = static_cast<WORD>(bytes[0] | (bytes[1] << 8));
    return *this;
}

CArchive& CArchive::operator>>(SHORT& value)
{
    WORD raw;
    *this >> raw;
    value = static_cast<SHORT>(raw);
    return *this;
}

CArchive& CArchive::operator>>(DWORD& value)
{
    BYTE bytes[4];
    ReadExactly(bytes, 4);
    value = static_cast<DWORD>(bytes[0]) | (static_cast<DWORD>(bytes[1]) << 8) |
            (static_cast<DWORD>(bytes[2]) << 16) | (static_cast<DWORD>(bytes[3]) << 24);
    return *this;
}

CArchive& CArchive::operator>>(LONG& value)
{
    DWORD raw;
    *this >> raw;
    value = static_cast<LONG>(raw);
    return *this;
}

void CArchive::WriteString(std::string_view text)
{
    size_t length = text.size();
    if (length > 0xFFFFFFFFu) Fail(CArchiveException::genericException);
    if (length < 0xFF) {
        *this << static_cast<BYTE>(length);
    } else if (length < 0xFFFE) {
        *this << static_cast<BYTE>(0xFF) << static_cast<WORD>(length);
    } else {
        *this << static_cast<BYTE>(0xFF) << static_cast<WORD>(0xFFFF) << static_cast<DWORD>(length);
    }
    if (length > 0) Write(text.data(), static_cast<UINT>(length));
}

CString CArchive::ReadString()
{
    // The length prefix; 0xFF 0xFFFE announces UTF-16 text and is followed by a
    // length prefix of its own.
    bool wide = false;
    DWORD length = 0;
    for (;;) {
        BYTE shortLength;
        *this >> shortLength;
        if (shortLength < 0xFF) {
            length = shortLength;
            break;
        }
        WORD wordLength;
        *this >> wordLength;
        if (wordLength == 0xFFFE) {
            if (wide) Fail(CArchiveException::genericException);   // the mark twice
            wide = true;
            continue;
        }
        if (wordLength < 0xFFFF) {
            length = wordLength;
        } else {
            *this >> length;
        }
        break;
    }

    size_t byteCount = wide ? static_cast<size_t>(length) * 2 : length;
    std::string bytes;
    while (bytes.size() < byteCount) {
        size_t piece = std::min(kReadPiece, byteCount - bytes.size());
        size_t have = bytes.size();
        bytes.resize(have + piece);
        ReadExactly(bytes.data() + have, static_cast<UINT>(piece));
    }
    if (!wide) return CString(std::move(bytes));

    std::u16string units(length, u'\0');
    for (size_t i = 0; i < length; ++i) {
        units[i] = static_cast<char16_t>(static_cast<unsigned char>(bytes[2 * i]) |
                                         (static_cast<unsigned char>(bytes[2 * i + 1]) << 8));
    }
    return CString(leaf::Utf16ToUtf8(units));
}

void CArchive::WriteCount(DWORD count)
{
    if (count < 0xFFFF) {
        *this << static_cast<WORD>(count);
    } else {
        *this << static_cast<WORD>(0xFFFF) << count;
    }
}

DWORD CArchive::ReadCount()
{
    WORD shortCount;
    *this >> shortCount;
    if (shortCount != 0xFFFF) return shortCount;
    DWORD count;
    *this >> count;
    return count;
}

void CArchive::WriteTag(DWORD index, bool isClass)
{
    if (index < kBigObjectTag) {
        *this << static_cast<WORD>(isClass ? (kClassTag | index) : index);
    } else {
        *this << kBigObjectTag << static_cast<DWORD>(isClass ? (kBigClassTag | index) : index);
    }
}

void CArchive::WriteObject(const CObject* object)
{
    if (IsLoading()) Fail(CArchiveException::readOnly);
    if (!object) {
        *this << kNullTag;
        return;
    }
    auto seenObject = m_storedIndexes.find(object);
    if (seenObject != m_storedIndexes.end()) {
        WriteTag(seenObject->second, false);
        return;
    }
    const CRuntimeClass* runtimeClass = object->GetRuntimeClass();
    if (!runtimeClass || !runtimeClass->m_lpszClassName) Fail(CArchiveException::badClass);

    auto seenClass = m_storedIndexes.find(runtimeClass);
    if (seenClass != m_storedIndexes.end()) {
        WriteTag(seenClass->second, true);
    } else {
        std::string_view name = runtimeClass->m_lpszClassName;
        if (name.size() > 0xFFFF || m_nextIndex > kMaxIndex) Fail(CArchiveException::genericException);
        *this << kNewClassTag << static_cast<WORD>(runtimeClass->m_wSchema) << static_cast<WORD>(name.size());
        Write(name.data(), static_cast<UINT>(name.size()));
        m_storedIndexes[runtimeClass] = m_nextIndex++;
    }
    if (m_nextIndex > kMaxIndex) Fail(CArchiveException::genericException);
    m_storedIndexes[object] = m_nextIndex++;
    const_cast<CObject*>(object)->Serialize(*this);
}

CObject* CArchive::ReadObject(const CRuntimeClass* expectedClass)
{
    if (IsStoring()) Fail(CArchiveException::writeOnly);
    return ReadTaggedObject(expectedClass);
}

CObject* CArchive::ReadTaggedObject(const CRuntimeClass* expectedClass)
{
    WORD tag;
    *this >> tag;
    DWORD objectTag;
    if (tag == kBigObjectTag) {
        *this >> objectTag;
    } else {
        objectTag = (static_cast<DWORD>(tag & kClassTag) << 16) | (tag & ~kClassTag);
    }

    const CRuntimeClass* runtimeClass = nullptr;
    UINT schema = 0;
    if (tag == kNewClassTag) {
        WORD classSchema;
        WORD nameLength;
        *this >> classSchema >> nameLength;
        std::string name(nameLength, '\0');
        if (nameLength > 0) ReadExactly(name.data(), nameLength);
        runtimeClass = CRuntimeClass::FromName(name);
        if (!runtimeClass) Fail(CArchiveException::badClass);
        if (classSchema > runtimeClass->m_wSchema) Fail(CArchiveException::badSchema);
        schema = classSchema;
        if (m_loaded.size() > kMaxIndex) Fail(CArchiveException::badIndex);
        m_loaded.push_back({runtimeClass, schema, nullptr});
    } else if (objectTag & kBigClassTag) {
        DWORD classIndex = objectTag & ~kBigClassTag;
        if (classIndex == 0 || classIndex >= m_loaded.size() || !m_loaded[classIndex].runtimeClass)
            Fail(CArchiveException::badIndex);
        runtimeClass = m_loaded[classIndex].runtimeClass;
        schema = m_loaded[classIndex].schema;
    } else {
        if (objectTag == 0) return nullptr;
        // A second reference to an object read before. Each object read here belongs to
        // the one reference that brought it, so a shared one cannot be handed out twice.
        Fail(CArchiveException::badIndex);
    }

    if (expectedClass && runtimeClass != expectedClass) Fail(CArchiveException::badClass);
    std::unique_ptr<CObject> object(runtimeClass->CreateObject());
    if (!object) Fail(CArchiveException::badClass);
    if (m_loaded.size() > kMaxIndex) Fail(CArchiveException::badIndex);
    m_loaded.push_back({nullptr, 0, object.get()});

    UINT outerSchema = m_objectSchema;
    m_objectSchema = schema;
    object->Serialize(*this);   // a failure deletes the half-read object
    m_objectSchema = outerSchema;
    return object.release();
}

UINT CArchive::GetObjectSchema()
{
    UINT schema = m_objectSchema;
    m_objectSchema = static_cast<UINT>(-1);
    return schema;
}
