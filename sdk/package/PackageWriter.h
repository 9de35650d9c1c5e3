#pragma once

// CPackageWriter: writes a CPackageFile as an Open eBook 1.0.1 package file (".opf").
//
// The text is laid out line by line with tab indentation (one tab per element open
// around a line) and is always well-formed XML: every '&' that does not begin a complete
// character or entity reference is escaped, every attribute value has its quotes escaped,
// a manifest item without an id is written under a generated one. What the author
// entered is never dropped: a Dublin Core record whose name or attribute name is not an
// XML name, or that holds one attribute twice with different values, fails the write
// with PKG_E_INVALIDRECORD and a text naming it (an attribute repeated with the same
// value is written once). The file is written to a temporary name and renamed over the
// target, so a failed write leaves no partial file.
//
// Before writing, the writer makes sure the package has a unique identifier that names a
// "dc:Identifier" record (adding one with a new GUID when needed) and gives identifier
// records without an id the ids "ID1", "ID2", ...; these changes stay in the package.

#include <string>
#include <utility>
#include <vector>

#include "platform/base/CString.h"
#include "platform/base/Types.h"

class CPackageFile;

class CPackageWriter {
public:
    explicit CPackageWriter(CPackageFile& package) : m_package(package) {}

    // S_OK; PKG_E_NOGUID, PKG_E_CREATEFILE (the file cannot be created), PKG_E_FILEIO
    // (writing or putting the file in place failed), PKG_E_INVALIDRECORD (see above) or
    // E_UNEXPECTED (inconsistent model).
    HRESULT Write(const CString& path);
    // Why the last Write failed, when it can say: the record it could not write, or the
    // system's reason for a file error. Empty after a success.
    const CString& GetErrorText() const { return m_errorText; }

    // Makes sure of the unique identifier (see above).
    HRESULT WriteIdentifier();

    // Escapes text for the file: with url, '&' becomes "%26" and '"' becomes "%22"; then
    // '<' and '>' become "&lt;" and "&gt;", and every '&' that does not begin a complete
    // reference ("&name;" with a known entity name, "&#digits;", "&#xhex;") becomes
    // "&amp;". References already in the text are kept. Control characters that XML
    // cannot carry become spaces.
    static CString EscapeXml(const CString& text, BOOL url);
    // '"' becomes "&quot;".
    static CString EscapeQuotes(const CString& text);

private:
    using Attributes = std::vector<std::pair<CString, CString>>;

    // True when a "dc:Identifier" record is written with this id (its first id attribute).
    bool NamesWrittenIdentifier(const CString& id) const;
    HRESULT WriteText();
    void WriteElement(const CString& name, const Attributes& attributes, int lineFeeds);
    HRESULT CloseElement(int lineFeeds, BOOL indent);
    void WriteIndent(int level);
    void WriteLineFeeds(int count);

    HRESULT WriteDCMetaData();
    HRESULT WriteXMetaData();
    HRESULT WriteManifest();
    HRESULT WriteSpine();
    HRESULT WriteTours();
    HRESULT WriteGuide();

    // The ids the manifest items are written with: their own, or a generated one that no
    // other item uses when theirs is empty.
    void AssignItemIds();

    // Notes why the write fails; returns PKG_E_INVALIDRECORD.
    HRESULT RefuseRecord(const CString& text);

    CPackageFile& m_package;
    CString m_errorText;
    std::string m_text;
    std::vector<CString> m_openElements;
    std::vector<CString> m_itemIds;
};
