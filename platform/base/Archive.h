#pragma once

// The class library's archive: a buffered binary stream over a CFile in which documents
// store their data and their objects. Everything is little-endian:
//   - BYTE, WORD, DWORD, LONG: 1, 2, 4, 4 bytes;
//   - a string: its length (one byte below 255; 0xFF and a WORD up to 65533; 0xFF, WORD
//     0xFFFF and a DWORD beyond), then its bytes. On reading, 0xFF followed by WORD 0xFFFE
//     marks a UTF-16 string (a length of the same form, then that many 16-bit units),
//     converted to the program's 8-bit text (UTF-8);
//   - a count: a WORD below 0xFFFF, else WORD 0xFFFF and a DWORD;
//   - an object reference: WORD 0 for null; WORD 0xFFFF, then the class record (WORD
//     schema, WORD name length, the name), then the object's fields, for an object of a
//     class not seen before; WORD 0x8000|class index (or 0x7FFF and DWORD
//     0x80000000|index) then the fields, for a new object of a known class; the index of
//     an object already in the stream (a WORD below 0x7FFF, or 0x7FFF and a DWORD) for a
//     repeated reference. Classes and objects share one index counter that starts at 1.
//
// Reading checks every length against the bytes that are there: a short or damaged
// stream throws CArchiveException (endOfFile, badIndex, badClass, badSchema) and never
// allocates what a bogus length asks for.
//
// Serializable classes derive from CObject and name themselves with DECLARE_SERIAL /
// IMPLEMENT_SERIAL, which register the class name, its schema number and a factory; a
// reader finds the class by the name in the stream.
//
// The CFile is not owned. The archive writes through its buffer when it is flushed or
// closed; the destructor closes an archive left open (errors there are swallowed, so
// call Close() to learn of them).

#include <exception>
#include <memory>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "platform/base/CString.h"
#include "platform/base/Types.h"

class CArchive;
class CDocument;
class CFile;
class CObject;

class CArchiveException : public std::exception {
public:
    enum Cause {
        none,
        genericException,
        readOnly,
        endOfFile,
        writeOnly,
        badIndex,
        badClass,
        badSchema
    };

    explicit CArchiveException(int cause = none, const char* fileName = nullptr);
    const char* what() const noexcept override;

    int m_cause;
    CString m_strFileName;

private:
    mutable std::string m_message;
};

// Run-time class information of a serializable class.
struct CRuntimeClass {
    const char* m_lpszClassName;
    UINT m_wSchema;
    CObject* (*m_pfnCreateObject)();

    // A new object of the class; null when it has no factory.
    CObject* CreateObject() const;
    // The registered class of that exact name, or null.
    static const CRuntimeClass* FromName(std::string_view className);
    // Adds a class to the table FromName searches (IMPLEMENT_SERIAL does this).
    static void Register(const CRuntimeClass* runtimeClass);
};

// The root of serializable objects.
class CObject {
public:
    CObject() = default;
    virtual ~CObject() = default;
    CObject(const CObject&) = delete;
    CObject& operator=(const CObject&) = delete;

    virtual const CRuntimeClass* GetRuntimeClass() const { return nullptr; }
    virtual void Serialize(CArchive& archive);
    BOOL IsKindOf(const CRuntimeClass* runtimeClass) const { return GetRuntimeClass() == runtimeClass; }
};

// In the class's declaration (public section).
#define DECLARE_SERIAL(className)                                                \
    static const CRuntimeClass class##className;                                 \
    static const CRuntimeClass* GetThisClass() { return &class##className; }     \
    static CObject* CreateObject();                                              \
    const CRuntimeClass* GetRuntimeClass() const override;

// In the class's source file: the name written into archives is the class's name.
#define IMPLEMENT_SERIAL(className, schema)                                                  \
    CObject* className::CreateObject() { return new className; }                           \
    const CRuntimeClass className::class##className = {#className, schema,                 \
                                                       &className::CreateObject};          \
    const CRuntimeClass* className::GetRuntimeClass() const { return &class##className; } \
    namespace {                                                                             \
    [[maybe_unused]] const bool leafRegistered##className =                                 \
        (CRuntimeClass::Register(&className::class##className), true);                      \
    }

#define RUNTIME_CLASS(className) (&className::class##className)

class CArchive {
public:
    enum Mode : UINT { store = 0, load = 1, bNoFlushOnDelete = 2 };

    // mode: store or load (optionally with bNoFlushOnDelete). A caller-given buffer is
    // not used: the archive keeps a buffer of bufferSize bytes of its own.
    CArchive(CFile* file, UINT mode, int bufferSize = 4096, void* buffer = nullptr);
    ~CArchive();
    CArchive(const CArchive&) = delete;
    CArchive& operator=(const CArchive&) = delete;

    BOOL IsLoading() const { return (m_mode & load) != 0; }
    BOOL IsStoring() const { return (m_mode & load) == 0; }
    CFile* GetFile() const { return m_file; }

    // Writes the buffered bytes to the file (storing); drops read-ahead (loading).
    void Flush();
    // Flushes and detaches from the file (the file stays open).
    void Close();
    // Detaches without writing anything more.
    void Abort();

    // Raw bytes. Read returns the count read (less at the end of the file).
    UINT Read(void* buffer, UINT count);
    void Write(const void* buffer, UINT count);
    // Reads exactly count bytes or throws endOfFile.
    void ReadExactly(void* buffer, UINT count);

    // The document whose file this is (set by the document before it serializes).
    CDocument* m_pDocument = nullptr;

    CArchive& operator<<(BYTE value);
    CArchive& operator<<(WORD value);
    CArchive& operator<<(SHORT value) { return *this << static_cast<WORD>(value); }
    CArchive& operator<<(DWORD value);
    CArchive& operator<<(LONG value) { return *this << static_cast<DWORD>(value); }
    CArchive& operator<<(const CString& text) { WriteString(text); return *this; }
    CArchive& operator<<(const CObject* object) { WriteObject(object); return *this; }

    CArchive& operator>>(BYTE& value);
    CArchive& operator>>(WORD& value);
    CArchive& operator>>(SHORT& value);
    CArchive& operator>>(DWORD& value);
    CArchive& operator>>(LONG& value);
    CArchive& operator>>(CString& text) { text = ReadString(); return *this; }
    // An object reference of any serializable class (null allowed).
    template <class T>
    CArchive& operator>>(T*& object)
    {
        object = static_cast<T*>(ReadObject(T::GetThisClass()));
        return *this;
    }

    // Strings in the archive's length-prefixed form.
    void WriteString(std::string_view text);
    CString ReadString();

    // Counts of arrays and maps.
    void WriteCount(DWORD count);
    DWORD ReadCount();

    // Object references. ReadObject creates the object (the caller owns it) and checks
    // that it is of the expected class when one is given (else badClass); a class record
    // with a schema above the class's own fails with badSchema.
    void WriteObject(const CObject* object);
    CObject* ReadObject(const CRuntimeClass* expectedClass);

    // The schema number of the class of the object being read; valid inside its
    // Serialize. Reading it resets it to (UINT)-1, as the class library does.
    UINT GetObjectSchema();
    void SetObjectSchema(UINT schema) { m_objectSchema = schema; }

private:
    void FillBuffer(size_t wanted);
    void WriteTag(DWORD index, bool isClass);
    CObject* ReadTaggedObject(const CRuntimeClass* expectedClass);
    [[noreturn]] void Fail(int cause) const;

    CFile* m_file;
    UINT m_mode;
    size_t m_bufferSize;
    std::vector<char> m_buffer;   // storing: bytes not yet written; loading: read-ahead
    size_t m_readPosition = 0;
    bool m_atEndOfFile = false;
    bool m_closed = false;
    UINT m_objectSchema = static_cast<UINT>(-1);

    // Storing: the index given to each class and object; loading: what each index names.
    DWORD m_nextIndex = 1;
    std::unordered_map<const void*, DWORD> m_storedIndexes;
    struct LoadedEntry {
        const CRuntimeClass* runtimeClass = nullptr;   // set for a class entry
        UINT schema = 0;
        CObject* object = nullptr;                    // set for an object entry
    };
    std::vector<LoadedEntry> m_loaded;   // index 0 is the null reference
};
