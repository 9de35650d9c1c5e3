#pragma once

// The stream objects the writer hands out, one per item: CMarkupStream (the package,
// read into the package model, and HTML documents, written as XHTML, element by
// element), CCssStream (style sheets, bytes) and CBinaryStream (every other item, bytes).
// Each keeps its writer alive and writes into the item record that the writer shares
// with it.

#include <memory>
#include <string>

#include "outside/litgen/EBookItem.h"
#include "outside/litgen/PackageManifest.h"
#include "outside/litgen/XhtmlSerializer.h"
#include "platform/com/ComObject.h"
#include "sdk/compiler/EBookCompiler.h"

class CEBookWriter;

class CMarkupElement final : public leaf::ComObject<CMarkupElement, IMarkupElement> {
public:
    HRESULT SetName(LPCOLESTR name, LONG length) override;
    HRESULT AddAttribute(LPCOLESTR name, LONG nameLength, LPCOLESTR value, LONG valueLength) override;

    const std::u16string& Name() const { return m_name; }
    const CXhtmlSerializer::Attributes& Attributes() const { return m_attributes; }

private:
    std::u16string m_name;
    CXhtmlSerializer::Attributes m_attributes;
};

class CMarkupStream final : public leaf::ComObject<CMarkupStream, IMarkupStream> {
public:
    // The package stream reads the manifest as its elements arrive.
    CMarkupStream(CEBookWriter* writer, std::shared_ptr<CEBookItem> item);

    HRESULT GetId(BSTR* id) override;
    HRESULT GetUrl(BSTR* url) override;
    HRESULT GetMediaType(BSTR* mediaType) override;
    HRESULT CreateElement(IUnknown** element) override;
    HRESULT StartElement(IMarkupElement* element, BOOL hasContent) override;
    HRESULT WriteText(LPCOLESTR text, LONG count) override;
    HRESULT EndElement() override;
    HRESULT WriteComment(LPCOLESTR text, LONG count) override;
    HRESULT End() override;

private:
    // E_UNEXPECTED (reported) when the stream has ended.
    HRESULT CheckOpen();
    bool IsPackage() const { return m_item->kind == CEBookItem::Kind::Package; }

    // Ends the elements still open (reported), writes the page and reports what had to
    // change to make it valid XHTML.
    void FinishPage();

    leaf::ComPtr<CEBookWriter> m_writer;
    std::shared_ptr<CEBookItem> m_item;
    std::unique_ptr<CXhtmlSerializer> m_page;  // HTML documents
    CPackageManifest m_manifest;               // the package
    size_t m_packageDepth = 0;                 // the package's open elements
};

class CCssStream final : public leaf::ComObject<CCssStream, ICssStream> {
public:
    CCssStream(CEBookWriter* writer, std::shared_ptr<CEBookItem> item);

    HRESULT GetId(BSTR* id) override;
    HRESULT GetUrl(BSTR* url) override;
    HRESULT GetMediaType(BSTR* mediaType) override;
    HRESULT Write(const char* bytes, LONG length, LONG* written) override;
    HRESULT End() override;

private:
    leaf::ComPtr<CEBookWriter> m_writer;
    std::shared_ptr<CEBookItem> m_item;
};

class CBinaryStream final : public leaf::ComObject<CBinaryStream, IBinaryStream> {
public:
    CBinaryStream(CEBookWriter* writer, std::shared_ptr<CEBookItem> item);
    ~CBinaryStream() override;

    HRESULT GetId(BSTR* id) override;
    HRESULT GetUrl(BSTR* url) override;
    HRESULT GetMediaType(BSTR* mediaType) override;
    HRESULT Write(const void* bytes, LONG length, LONG* written) override;

private:
    leaf::ComPtr<CEBookWriter> m_writer;
    std::shared_ptr<CEBookItem> m_item;
};
