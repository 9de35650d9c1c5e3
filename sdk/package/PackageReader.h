#pragma once

// CPackageReader: fills a CPackageFile from an Open eBook package file. It is a scan of
// the file with the byte build of the markup scanner, not an XML parser: elements are
// mapped to records in the scanner's call-backs, so a malformed file reads as far as it
// can. Unknown elements and attributes are ignored, a spine reference to an unknown id
// and a tour site before any tour are dropped.

#include <string>
#include <string_view>
#include <vector>

#include "markup/MarkupParser.h"
#include "platform/base/CString.h"
#include "platform/base/Types.h"

class CPackageFile;

class CPackageReader : public CMarkupParser {
public:
    // Bits of the section elements that are open.
    enum Section : int {
        sectionMetadata = 1,
        sectionDCMetadata = 2,
        sectionXMetadata = 4,
        sectionManifest = 8,
        sectionSpine = 16,
        sectionTours = 32,
        sectionGuide = 128
    };

    // Text collected for one element beyond this many bytes is dropped, so a file that is
    // one enormous run of text cannot exhaust memory.
    static constexpr size_t kMaxElementText = 1 << 20;

    explicit CPackageReader(CPackageFile& package);

    // Reads the file into the package (which the caller has cleared): S_OK when the file
    // was read to its end, however malformed; PKG_E_OPENFILE when it cannot be opened;
    // PKG_E_FILEIO when reading failed.
    HRESULT Read(const CString& path);

    BOOL OnTag(std::string_view tagName, std::string_view attributes, BOOL endTag, int line) override;
    void OnWordChar(char ch) override;
    void OnSeparator(char ch) override;
    // Recognises no reference, so element text arrives as written and keeps its
    // references (see XmlReferences.h).
    BOOL DecodeEntity(std::string_view text, std::string& entityText, std::string& replacement) override;
    // A package is not HTML: no element (a record named "title" or "script", say) changes
    // how the text after it is read.
    void UpdateContext(std::string_view tagName, WORD& state, BOOL endTag) override;

private:
    static constexpr std::string_view kCDataStart = "![CDATA[";

    void AppendText(char ch);
    // Appends the content of a CDATA section, which the scanner reports as a tag.
    void AppendCData(std::string_view tagName, std::string_view attributes);
    // Makes the record of the current element for the open sections; due is set at the
    // element's end tag or at a self-closing start tag.
    void AddRecord(const CString& lowerName, BOOL startTag, BOOL due);
    // The value of the last token that begins with prefix (the first one when first is
    // set); empty when none does.
    CString TokenValue(std::string_view prefix, bool first = false) const;
    bool HasToken(std::string_view prefix) const;

    CPackageFile& m_package;
    int m_sections = 0;
    CString m_elementName;
    std::vector<CString> m_tokens;
    std::string m_text;
};
