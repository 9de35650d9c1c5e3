#pragma once

// The interfaces of the outside e-book compiler (module LITGen.so beside leafsdk.so) as
// the build control uses them. The control and the compiler both compile this header.
//
// The compiler's entry point is the exported C function "CreateWriter", which hands out
// an object answering IEBookWriter. The control then:
//   Initialize(call-back) -> BeginEBook(e-book, work folder, source name, null)
//   -> GetPackageStream: the package file, element by element, ended with End
//   -> NextCssItem / NextHtmlItem / NextBinaryItem until each answers no stream: one
//      stream per item, whose GetUrl is "file://" followed by the item's work copy
//   -> Finish (the e-book is written) or Cancel (nothing is written).
// Messages (type 0 error, 1 warning, other values notes) come back through
// ICompilerCallback on the calling thread. Every operation returns an HRESULT; a
// negative one is a failure. Strings are UTF-16 and stay owned by the caller.

#include "platform/base/Types.h"
#include "platform/com/Bstr.h"
#include "platform/com/Unknown.h"

inline constexpr IID IID_IEBookWriter = leaf::MakeGuid("{9EC81687-D4F9-4B20-969A-222BC00CE50A}");
inline constexpr IID IID_IMarkupStream = leaf::MakeGuid("{607A85B7-59C1-4B22-B873-A36334740661}");
inline constexpr IID IID_IMarkupElement = leaf::MakeGuid("{D655ECEB-829A-11D3-929B-00C04F68FC0F}");
inline constexpr IID IID_ICssStream = leaf::MakeGuid("{D7426056-FA2D-4D14-B36C-34D49A20D237}");
inline constexpr IID IID_IBinaryStream = leaf::MakeGuid("{D655ECEE-829A-11D3-929B-00C04F68FC0F}");
inline constexpr IID IID_ICompilerCallback = leaf::MakeGuid("{6BC62165-B91C-4993-8002-5BC30B2D1196}");

// Message types of ICompilerCallback::Message.
inline constexpr LONG kCompilerError = 0;
inline constexpr LONG kCompilerWarning = 1;
inline constexpr LONG kCompilerNote = 2;

// Implemented by the control.
struct ICompilerCallback : IUnknown {
    static constexpr const IID& kIid = IID_ICompilerCallback;

    virtual HRESULT Message(LONG type, LONG code, LPCOLESTR text) = 0;

protected:
    ~ICompilerCallback() = default;
};

// One element of a markup stream: its name, then its attributes in order.
struct IMarkupElement : IUnknown {
    static constexpr const IID& kIid = IID_IMarkupElement;

    virtual HRESULT SetName(LPCOLESTR name, LONG length) = 0;
    virtual HRESULT AddAttribute(LPCOLESTR name, LONG nameLength, LPCOLESTR value, LONG valueLength) = 0;

protected:
    ~IMarkupElement() = default;
};

// The three item streams share their first slots: GetId, GetUrl, GetMediaType, then the
// kind's own operations. The control calls only GetUrl of the three.
struct IMarkupStream : IUnknown {
    static constexpr const IID& kIid = IID_IMarkupStream;

    // The item's id in the package (empty for the package stream itself).
    virtual HRESULT GetId(BSTR* id) = 0;
    virtual HRESULT GetUrl(BSTR* url) = 0;
    virtual HRESULT GetMediaType(BSTR* mediaType) = 0;
    // A new element (answering IMarkupElement) to fill and hand to StartElement.
    virtual HRESULT CreateElement(IUnknown** element) = 0;
    // hasContent FALSE: the element is closed at once, no EndElement follows.
    virtual HRESULT StartElement(IMarkupElement* element, BOOL hasContent) = 0;
    virtual HRESULT WriteText(LPCOLESTR text, LONG count) = 0;
    // Closes the innermost element that has content.
    virtual HRESULT EndElement() = 0;
    // A comment, written as it is.
    virtual HRESULT WriteComment(LPCOLESTR text, LONG count) = 0;
    // The item is complete.
    virtual HRESULT End() = 0;

protected:
    ~IMarkupStream() = default;
};

struct ICssStream : IUnknown {
    static constexpr const IID& kIid = IID_ICssStream;

    virtual HRESULT GetId(BSTR* id) = 0;
    virtual HRESULT GetUrl(BSTR* url) = 0;
    virtual HRESULT GetMediaType(BSTR* mediaType) = 0;
    virtual HRESULT Write(const char* bytes, LONG length, LONG* written) = 0;
    virtual HRESULT End() = 0;

protected:
    ~ICssStream() = default;
};

// A binary item needs no end: it is complete when its stream is released.
struct IBinaryStream : IUnknown {
    static constexpr const IID& kIid = IID_IBinaryStream;

    virtual HRESULT GetId(BSTR* id) = 0;
    virtual HRESULT GetUrl(BSTR* url) = 0;
    virtual HRESULT GetMediaType(BSTR* mediaType) = 0;
    virtual HRESULT Write(const void* bytes, LONG length, LONG* written) = 0;

protected:
    ~IBinaryStream() = default;
};

struct IEBookWriter : IUnknown {
    static constexpr const IID& kIid = IID_IEBookWriter;

    virtual HRESULT Initialize(ICompilerCallback* callback) = 0;
    // workFolder ends with the path separator; reserved must be null.
    virtual HRESULT BeginEBook(LPCOLESTR eBookPath, LPCOLESTR workFolder, LPCOLESTR sourceName, void* reserved) = 0;
    // The stream (answering IMarkupStream) that the package file is written to.
    virtual HRESULT GetPackageStream(LONG flags, IUnknown** stream) = 0;
    // The next item of each kind; S_FALSE with a null stream when none is left.
    virtual HRESULT NextCssItem(IUnknown** stream) = 0;
    virtual HRESULT NextHtmlItem(IUnknown** stream) = 0;
    virtual HRESULT NextBinaryItem(IUnknown** stream) = 0;
    // Writes the e-book. Nothing is written before.
    virtual HRESULT Finish() = 0;
    // Drops everything; no e-book is written.
    virtual HRESULT Cancel() = 0;

protected:
    ~IEBookWriter() = default;
};

// The signature of the exported "CreateWriter".
using CreateWriterFunction = HRESULT (*)(IUnknown** writer);
inline constexpr const char* kCreateWriterEntryPoint = "CreateWriter";
// The compiler's file name in the control's folder.
inline constexpr const char* kEBookCompilerModuleName = "LITGen.so";
