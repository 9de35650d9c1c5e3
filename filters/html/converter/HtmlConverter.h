#pragma once

// CHtmlConverter: turns one HTML source file into a well-nested document that the build
// control's encoder and the e-book compiler accept. Every start tag gets its end tag,
// elements nest properly, an html and a body element always exist, the clutter of Office
// word processors is removed, attributes and style text are rewritten into the forms the
// compiler understands, and with the "ForceOEBOutput" setting the result is an Open eBook
// 1.0.1 document (XML declaration and document type, identifiers that are valid names).
//
// How the HTML filter uses it (one converter per IInputFilter::Convert call):
//
//   CHtmlConverter converter(&CHtmlFilter::ReportProgress, host);   // both may be null
//   if (!converter.Convert(sourcePath, destinationPath)) {          // 8-bit (UTF-8) paths
//       // converter.GetErrorText() says why; it is empty when the progress call-back
//       // answered FALSE (the filter then asks the host whether the build was aborted).
//   }
//
// The progress call-back receives units of work (characters of the source) and the host
// given to the constructor; the converter reports the source's size once while reading
// it and once more while writing the result. "ForceOEBOutput" is read from the control's
// settings key (HKEY_CURRENT_USER\Software\Tallbrook Systems, Inc.\Leafcraft\SDK) when
// the converter is made.
//
// The work runs in three phases over a temporary file "$convNNNN.htm" in the temporary
// folder: the source is read once and written to the temporary file with every run of
// tags replaced by a placeholder (the tags are kept in memory as tag groups); the tags are
// balanced (CTagBalancer); the temporary file is copied to the destination with every
// placeholder replaced by the rewritten tags of its group. The temporary file is deleted
// on every path, and the destination appears only when it was written completely. While
// it exists the converter holds an exclusive lock on it, so that the file of a converter
// whose process was killed can be told: unlocked and last written before this module was
// loaded. Such files are removed when the first converter of a process uses the folder,
// and when their name comes up again.
//
// The document is written in UTF-8 whatever the source's encoding (UTF-16 sources are read
// as UTF-8, bytes that are no UTF-8 are taken as Windows-1252 characters), and the
// character set that its meta tags and XML declaration declare is made to say so.
//
// One conversion runs at a time in a process (the temporary-file counter and the setting
// are process-wide).

#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "filters/html/converter/TagTree.h"
#include "markup/MarkupParser.h"
#include "platform/base/CString.h"
#include "platform/base/Types.h"

struct IFilterHost;

class CTempTextWriter;

// Progress call-back: units of work done, and the host given to the converter. FALSE
// stops the conversion.
using HtmlProgressCallback = BOOL (*)(LONG units, IFilterHost* host);

class CHtmlConverter : public CMarkupParser {
public:
    explicit CHtmlConverter(HtmlProgressCallback progress = nullptr, IFilterHost* host = nullptr);
    ~CHtmlConverter() override;

    // Converts the source into the destination. FALSE on failure: GetErrorText() tells
    // why, or is empty when the progress call-back asked to stop.
    BOOL Convert(const CString& sourcePath, const CString& destinationPath);

    const CString& GetErrorText() const { return m_errorText; }

    // The temporary file this converter uses (empty when every name was taken).
    const CString& GetTempFilePath() const { return m_tempPath; }
    // Whether the output is an Open eBook document (the setting when the converter was made).
    BOOL IsForceOebOutput() const { return m_forceOeb; }
    // Whether the source was found to be made by an Office word processor.
    BOOL IsOfficeDocument() const { return m_office; }

    // Error texts.
    static constexpr const char* kErrorDiskSpace = "Unable to complete operation.  Try increasing available disk space.";
    static constexpr const char* kErrorGeneric = "Unable to complete operation.";
    static constexpr const char* kErrorNestedTables =
        "Unable to build the eBook - the content contains nested tables (or text boxes that get converted to "
        "nested tables).  You must remove nested tables by deleting them or converting them to text.";

protected:
    BOOL OnWord(std::string_view word, WORD state, int line, int paragraph, int wordNumber, LONGLONG wordStart,
                LONGLONG position) override;
    BOOL OnTag(std::string_view tagName, std::string_view attributes, BOOL endTag, int line) override;
    BOOL OnChar(char ch, WORD state, int line) override;
    // Line feeds and tabs reach the output as they are.
    char TranslateChar(char ch) override { return ch; }
    // Character references pass through as text.
    BOOL DecodeEntity(std::string_view text, std::string& entityText, std::string& replacement) override;

private:
    // Creates the temporary file exclusively under a free name.
    BOOL CreateTempFile();
    // Phases.
    BOOL ReadSource();
    void BalanceTags();
    BOOL WriteDestination();

    // Phase 1 helpers.
    BOOL HandleTag(std::string_view tagName, std::string_view attributes, BOOL endTag);
    BOOL HandleChar(char ch, WORD state);
    void AddImpliedElements(bool forText, std::string_view tagName);
    void AddImpliedStartTag(const char* name);
    void AddToGroup(std::unique_ptr<CTagNode> node, size_t sourceLength);
    void CheckGenerator(const CTagNode& meta);
    bool IsOfficeCompanionLink(const CTagNode& link) const;
    // Rewrites the buffered style text and writes it to the temporary file.
    BOOL FlushStyleText();
    // Writes one text character to the temporary file.
    void WriteTextChar(char ch, WORD state);
    // Closes what the source left open in the text (a declaration, a comment block), so
    // that the closing tags written after the last line are read as tags.
    void CloseOpenTextConstructs();
    BOOL ReportProgress(LONGLONG units);

    // Phase 3 helpers.
    // Why the destination could not be created, from the system's error number: a folder
    // or special file under its name says so, anything else is taken for a full disk.
    CString DestinationErrorText(int error) const;
    BOOL WriteLine(std::string_view line, std::string& out, LONGLONG& units);
    static void WriteTag(const CTagNode& node, std::string& out);
    // Drops the characters at the start of a (lower-case) tag name that would make the
    // written tag read back as something else.
    static void TrimNameStart(std::string& name);

    void DeleteTempFile();
    void Reset();

    // Paths.
    CString m_sourcePath;
    CString m_destinationPath;
    CString m_tempPath;
    bool m_tempCreated = false;  // the temporary file exists and is ours to delete
    int m_tempLock = -1;         // holds the lock on the temporary file while it exists

    std::unique_ptr<CTempTextWriter> m_temp;

    // Tags.
    std::vector<CTagGroup> m_groups;
    std::vector<const CTagNode*> m_openElements;  // left open by the balancing, outermost first
    size_t m_nodeCount = 0;

    // Phase 1 state.
    bool m_tagRunOpen = false;
    bool m_htmlSeen = false;
    bool m_bodySeen = false;
    bool m_insideHead = false;
    bool m_insideTable = false;
    bool m_commentElementOpen = false;
    BOOL m_office = FALSE;
    std::string m_styleText;
    char m_lastStyleNonBlank = 0;
    size_t m_lineChars = 0;             // characters written since the last line break
    char m_lastWritten = 0;             // the last character written on the current line
    bool m_declarationInOutput = false; // the text written so far ends inside "<!...>"
    bool m_commentBlockInOutput = false;

    // Progress.
    HtmlProgressCallback m_progress;
    IFilterHost* m_host;
    LONGLONG m_progressMark = 0;

    BOOL m_forceOeb = FALSE;
    CString m_errorText;
};
