#pragma once

// CMarkupParserT: the markup scanner shared by the byte build (CMarkupParser, Ch = char,
// UTF-8 text) and the UTF-16 build (CMarkupParserW, Ch = char16_t). Use those two
// classes; this template holds what they have in common.
//
// The scanner reads a file line by line and reports what it finds through virtual
// call-backs; it builds no tree and writes nothing. A user derives a class, overrides the
// call-backs it needs and calls ParseFile.
//
// Call-back contract (every string argument is a view of the scanner's own buffer, valid
// only during the call; it may hold NUL characters and has no length limit):
//   OnWord(word, state, line, paragraph, wordNumber, wordStart, position)
//       a word of body text or title text, or of a comment block "<!--¥ ...>" (state bit
//       stateCommentBlock; wordStart and position are then 0). wordStart is the position
//       of its first character, position that of the character that ended it (the
//       separator, or the '<' of a word-break tag). FALSE stops the parse: result 3.
//   OnTag(name, attributes, endTag, line)
//       a tag with its raw attribute text (base-href links already resolved, see
//       ApplyBaseHref). FALSE stops the parse: result 4.
//   OnEntity(entityText, line)
//       a character reference in text context: the characters after '&' that
//       DecodeEntity consumed (';' included when present). The replacement then goes
//       through OnChar like any character. FALSE stops the parse: result 5.
//   OnChar(ch, state, line)
//       every character except the '<' (and '/') that opens a tag and the '>' that closes
//       one; tag characters carry stateInTag (and stateInAttributes past the tag name).
//       FALSE stops the parse: result 6.
//   OnWordChar(ch) / OnSeparator(ch)
//       a character appended to the word buffer / a body-text character that ends or
//       precedes a word.
//   TranslateChar(ch)  the parse goes on with the result (default: '\n', '\t' -> ' ').
//   GetCharClass(ch)   kWordChar, kWordInternalChar or kSeparator (MarkupTables.h).
//   DecodeEntity(text, entityText, replacement)
//       text is the rest of the line after an '&'; TRUE when an entity was recognised.
//
// Positions are byte offsets in the file, counted from its first byte (a byte-order mark
// included). In a UTF-16 file read by the UTF-16 build every code unit counts two bytes.
// Where a build reads characters that the file does not hold one for one (an 8-bit file
// read by the UTF-16 build, a UTF-16 file read by the byte build as UTF-8), positions
// count characters from the start of each line and are exact again at the line's end;
// where a line's characters outnumber its bytes they stay where the counting reached, so
// positions never run backwards. The state word carries the
// bits below. Lines, words, tag names and attribute text have no length limit.
//
// Speed: a user that keeps TranslateChar, OnChar, GetCharClass, OnWordChar and
// OnSeparator as they are gets runs of text, attribute text and raw content handled in
// bulk; one that overrides any of them gets every call, one character at a time (one that
// overrides only TranslateChar and OnChar, in runs that skip the base's OnWordChar and
// OnSeparator, which do nothing). All see exactly the same words, tags and entities. Each scanner object has its own buffers, so
// a call-back may run another scanner object; one object runs one parse at a time.

#include <string>
#include <string_view>
#include <vector>

#include "markup/MarkupFile.h"
#include "markup/MarkupFileW.h"
#include "markup/MarkupTables.h"
#include "platform/base/Types.h"

template <typename Ch>
struct MarkupReaderOf;
template <>
struct MarkupReaderOf<char> {
    using Type = CMarkupFile;
};
template <>
struct MarkupReaderOf<char16_t> {
    using Type = CMarkupFileW;
};

template <typename Ch>
class CMarkupParserT {
public:
    using Char = Ch;
    using String = std::basic_string<Ch>;
    using StringView = std::basic_string_view<Ch>;
    using Reader = typename MarkupReaderOf<Ch>::Type;

    // Bits of the state word.
    static constexpr WORD stateTitle = 0x0001;         // inside <title>
    static constexpr WORD stateCommentBlock = 0x0002;  // inside "<!--¥ ...>"
    static constexpr WORD stateHead = 0x0004;          // inside <head>
    static constexpr WORD stateStyle = 0x0008;         // inside <style>
    static constexpr WORD stateScript = 0x0010;        // inside <script>
    static constexpr WORD stateApplet = 0x0020;        // inside <applet>
    static constexpr WORD stateEmbed = 0x0040;         // inside <embed>
    static constexpr WORD stateObject = 0x0080;        // inside <object>
    static constexpr WORD stateComment = 0x0100;       // inside <comment> or a "<!...>" declaration
    static constexpr WORD stateDeleted = 0x0200;       // inside <del>
    static constexpr WORD stateInTag = 0x0400;         // between '<' and '>'
    static constexpr WORD stateInAttributes = 0x0800;  // past the tag name

    // ParseFile results.
    enum ParseResult : int {
        parseDone = 0,          // end of file reached
        parseOpenFailed = 1,    // the file could not be opened
        parseException = 2,     // an exception while reading or inside a call-back
        parseStoppedByWord = 3,
        parseStoppedByTag = 4,
        parseStoppedByEntity = 5,
        parseStoppedByChar = 6
    };

    CMarkupParserT();
    virtual ~CMarkupParserT();
    CMarkupParserT(const CMarkupParserT&) = delete;
    CMarkupParserT& operator=(const CMarkupParserT&) = delete;

    // Scans the file (path in the system's 8-bit encoding) to its end or until a
    // call-back refuses. Returns a ParseResult. The base folder set by a <base href>
    // outlives the parse. A path holding a NUL, and a call made from a call-back of this
    // object's own running parse, give parseOpenFailed.
    virtual int ParseFile(std::string_view path);

    virtual BOOL OnWord(StringView word, WORD state, int line, int paragraph, int wordNumber,
                        LONGLONG wordStart, LONGLONG position);
    virtual BOOL OnTag(StringView tagName, StringView attributes, BOOL endTag, int line);
    virtual BOOL OnEntity(StringView entityText, int line);
    virtual BOOL OnChar(Ch ch, WORD state, int line);
    virtual void OnWordChar(Ch ch);
    virtual void OnSeparator(Ch ch);
    virtual Ch TranslateChar(Ch ch);
    virtual int GetCharClass(Ch ch);
    virtual BOOL DecodeEntity(StringView text, String& entityText, String& replacement);
    virtual BOOL IsWordBreakTag(StringView tagName);
    virtual BOOL IsBlockTag(StringView tagName);
    // A start tag of a context element ORs its bit into the state, its end tag clears it.
    virtual void UpdateContext(StringView tagName, WORD& state, BOOL endTag);
    // The OR of the raw-content elements' bits.
    virtual WORD GetRawContentMask();
    // "</name>" of the raw-content element whose bit is in the state (the first in the
    // order title, style, script, applet, embed, object, comment); empty when none.
    virtual String FormatRawEndTag(WORD state);
    // Removes trailing word-internal characters.
    virtual void TrimWord(String& word);

    // Remembers a <base href> inside <head> (such a tag never reaches OnTag, FALSE) and
    // resolves the first src= or href= value of later tags against it, relative to the
    // parsed file's folder, rewriting the attribute text. TRUE: pass the tag on.
    BOOL ApplyBaseHref(StringView tagName, String& attributes, BOOL endTag, WORD state);

    // The reference at the start of text (the rest after an '&'), as the default
    // DecodeEntity reads it: TRUE when one was recognised.
    static BOOL ReadReference(StringView text, String& entityText, String& replacement);
    // An attribute value as a browser reads it: its character references decoded
    // ("a&amp;b.html" names the file a&b.html), except a named one without ';' that runs
    // on into '=' or a letter or digit ("?a=1&copy=2" keeps its "&copy").
    static String DecodeAttributeValue(StringView value);

    // Base-href handling is on by default. A user that writes the file back as it read it
    // switches it off: then <base> tags reach OnTag and no link is rewritten.
    void EnableBaseHref(BOOL enable) { m_baseHrefEnabled = enable; }
    BOOL IsBaseHrefEnabled() const { return m_baseHrefEnabled; }

    // The base folder (from the last <base href> inside <head>); empty when none.
    const String& GetBaseFolder() const { return m_baseFolder; }
    // The folder of the file being parsed, with its trailing '/'; empty when the path has
    // no folder.
    const std::string& GetFileFolder() const { return m_fileFolder; }
    // The path given to ParseFile.
    const std::string& GetFilePath() const { return m_filePath; }

protected:
    // Whether TranslateChar, OnChar, GetCharClass, OnWordChar and OnSeparator are all
    // this class's own: then runs of characters that need no call-back are taken in bulk.
    bool HasDefaultCharHandlers() const;
    bool HasDefaultTranslateChar() const;
    bool HasDefaultOnChar() const;
    bool HasDefaultClassHandlers() const;  // GetCharClass, OnWordChar and OnSeparator
    bool HasDefaultTrimWord() const;
    bool HasDefaultTagHandlers() const;  // IsWordBreakTag, IsBlockTag, UpdateContext

    // Bytes that one character of the line stands for (2 in a UTF-16 file).
    LONGLONG m_charSize = 1;
    // The file being parsed is big-endian UTF-16 (UTF-16 build).
    bool m_bigEndianFile = false;

private:
    int ParseOpenFile(Reader& file);
    // Handles the characters of m_line; a non-zero result ends the parse.
    int ScanLine();
    // The general step for one character (charReported: OnChar has seen it); a non-zero
    // result ends the parse. grown is set to the token that the character was added to.
    int HandleChar(Ch ch, bool charReported, String*& grown);
    // Default handlers only, no title open: takes the characters of a tag from k on (just
    // after its "<" or "</") up to its '>' into the tag name and attributes; returns the
    // index of that '>', or the line's size when the tag goes on past the line.
    size_t TakeTagText(size_t k);
    // The '>' that closes a tag whose name and attributes are given (m_tagName and
    // m_attributes, or views of the line): the word it breaks, OnTag, the paragraph and the
    // context. A non-zero result ends the parse.
    int EndTag(StringView tagName, StringView attributes);
    // Default handlers only, in text: takes the ordinary tag whose '<' is at k whole (k
    // becomes the index after its '>', or the line's size when it goes on past the line;
    // result is EndTag's). False, with nothing changed, for anything else after the '<'.
    bool TryTakeTag(size_t& k, int& result);
    bool OpensCommentBlock(size_t i, size_t& markerEnd) const;
    // Takes the characters from k on that need no per-character call-back (default
    // handlers only); k becomes the index of the first one left for the general loop. A
    // non-zero result ends the parse.
    int SkipPlainChars(size_t& k, String* grown);
    // Text from k on (default handlers, no raw-content element other than title and style
    // open) up to the end of the line or the first '&', '<' or '>'; k becomes its index
    // and m_position its position. A non-zero result ends the parse.
    int ScanTextRun(size_t& k);
    // The same text for a subclass with its own TranslateChar or OnChar (the character
    // classes and OnWordChar and OnSeparator the defaults): each character is translated
    // and reported in turn, as the general step does, and words are collected without the
    // general step's other work. The character at k is translated already (and reported
    // when charReported). k becomes the index of the '&', '<' or '>' that ended the run,
    // translated but not reported, or the line's size. A non-zero result ends the parse.
    int ScanTextChars(size_t& k, bool charReported);
    // The same for the characters of a tag (up to its '>', or a '&' or '<' it holds).
    int ScanTagChars(size_t& k, bool charReported);
    // Translates the character at i in the line, the next one of such a run; false when it
    // is '&', '<' or '>', which the run leaves (translated) to the general step.
    bool TranslateInRun(size_t i);
    // Body text or the title: where words and entities are delivered.
    bool IsTextContext() const { return m_state == 0 || (m_state & stateTitle) != 0; }

    // Tables and settings that outlive a parse.
    String m_baseFolder;
    BOOL m_baseHrefEnabled = TRUE;
    std::string m_fileFolder;
    String m_fileFolderText;  // m_fileFolder in the build's characters
    std::string m_filePath;

    // Working buffers of this object.
    String m_line;
    String m_word;
    String m_tagName;
    String m_attributes;
    String m_commentBlock;
    String m_entityText;
    String m_replacement;
    std::vector<String> m_tokens;

    // Counters of one parse.
    int m_lineNumber = 1;
    int m_paragraph = 1;
    int m_wordNumber = 1;
    LONGLONG m_position = 0;
    LONGLONG m_wordStart = 0;
    LONGLONG m_tagStart = 0;
    BOOL m_endTag = FALSE;
    bool m_declarationOpen = false;
    WORD m_state = 0;
    WORD m_rawMask = 0;
    bool m_defaultCharHandlers = false;
    bool m_defaultTranslateChar = false;
    bool m_defaultOnChar = false;
    bool m_defaultClassHandlers = false;  // GetCharClass, OnWordChar and OnSeparator
    bool m_defaultTrimWord = false;
    bool m_defaultTagHandlers = false;
    bool m_parsing = false;  // a ParseFile of this object is running
};

extern template class CMarkupParserT<char>;
extern template class CMarkupParserT<char16_t>;
