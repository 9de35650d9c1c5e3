#include "studio/project/HeadingAnchorer.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <cerrno>
#include <cstdio>
#include <optional>
#include <vector>

#include "platform/base/Path.h"
#include "platform/base/ScratchFiles.h"
#include "platform/base/TextEncoding.h"
#include "platform/ui/shell/RecycleBin.h"

namespace {

constexpr size_t kOutputBlock = 64 * 1024;
constexpr int kMaxTemporaryNumber = 999;
constexpr std::u16string_view kIdAttribute = u"id=";

// True when text written bare reads back as one attribute token: no white space, no quote.
bool ReadsBackBare(std::u16string_view text) {
    return std::none_of(text.begin(), text.end(), [](char16_t ch) {
        return ch == u' ' || ch == u'\t' || ch == u'\n' || ch == u'\v' || ch == u'\f' || ch == u'\r' || ch == u'"' ||
               ch == u'\'';
    });
}

// Writes text that must read back as the one token it was. A token that came from quoted
// text can hold white space or the other quote: written bare it would split into other
// tokens (one of which could be an id this run did not see), so it goes in the quote it
// does not hold (a token's name part comes from one piece of text, so it holds at most one
// kind).
void AppendToken(std::u16string& out, std::u16string_view text) {
    if (ReadsBackBare(text)) {
        out += text;
        return;
    }
    const char16_t quote = text.find(u'"') == std::u16string_view::npos ? u'"' : u'\'';
    out += quote;
    out += text;
    out += quote;
}

// Writes one attribute token of a rebuilt tag so that it reads back as the same token.
void AppendAttribute(std::u16string& out, std::u16string_view attribute) {
    const size_t equals = attribute.find(u'=');
    if (equals == std::u16string_view::npos) {
        AppendToken(out, attribute);
        return;
    }
    // "name=" stays one piece, bare or quoted, and joins the quoted value that follows.
    AppendToken(out, attribute.substr(0, equals + 1));
    const std::u16string_view value = attribute.substr(equals + 1);
    // A value read bare that ends in a backslash would escape its closing quote.
    if (!value.empty() && value.back() == u'\\' && ReadsBackBare(value)) {
        out += value;
        return;
    }
    out += u'"';
    // A value that held a double quote (it stood in single quotes) keeps it as a
    // reference, so the rebuilt tag stays well formed.
    for (char16_t ch : value) {
        if (ch == u'"') out += u"&quot;";
        else out += ch;
    }
    out += u'"';
}

bool NamesUtf8(std::u16string_view name) {
    return leaf::EqualsNoCase(name, u"utf-8") || leaf::EqualsNoCase(name, u"utf8");
}

// Makes the character set that a tag's text declares (the encoding of an XML
// declaration; a meta tag's charset, on its own or in a content type) the one the copy
// is written in: "UTF-8", or "windows-1252" for a legacy source, which keeps a name other
// than UTF-8 as it is. Everything else in the tag stays as read.
void DeclareWrittenCharset(std::u16string& tag, bool xmlDeclaration, bool legacy) {
    const std::u16string key = xmlDeclaration ? u"encoding" : u"charset";
    const std::u16string lower = leaf::ToLowerAscii(std::u16string_view(tag));
    for (size_t at = lower.find(key); at != std::u16string::npos; at = lower.find(key, at + key.size())) {
        size_t value = at + key.size();
        while (value < tag.size() && tag[value] == u' ') ++value;
        if (value >= tag.size() || tag[value] != u'=') continue;
        ++value;
        while (value < tag.size() && tag[value] == u' ') ++value;
        if (value < tag.size() && (tag[value] == u'"' || tag[value] == u'\'')) ++value;
        size_t end = value;
        while (end < tag.size() && std::u16string_view(u"\"' ;?/>\t\r\n").find(tag[end]) == std::u16string_view::npos)
            ++end;
        const std::u16string_view declared = std::u16string_view(tag).substr(value, end - value);
        if (declared.empty()) continue;
        if (legacy ? NamesUtf8(declared) : !NamesUtf8(declared)) {
            tag.replace(value, end - value, legacy ? u"windows-1252" : u"UTF-8");
            return;
        }
    }
}

// Adds one UTF-16 unit to UTF-8 text; a surrogate pair is joined across two calls through
// `pending`, and a lone half becomes U+FFFD.
void AppendUnit(std::string& out, char16_t unit, char16_t& pending) {
    if (unit >= 0xD800 && unit <= 0xDBFF) {
        if (pending) leaf::AppendUtf8(out, leaf::kReplacementCharacter);
        pending = unit;
        return;
    }
    if (unit >= 0xDC00 && unit <= 0xDFFF) {
        if (pending) {
            leaf::AppendUtf8(out, 0x10000 + ((static_cast<char32_t>(pending) - 0xD800) << 10) + (unit - 0xDC00));
            pending = 0;
        } else {
            leaf::AppendUtf8(out, leaf::kReplacementCharacter);
        }
        return;
    }
    if (pending) {
        leaf::AppendUtf8(out, leaf::kReplacementCharacter);
        pending = 0;
    }
    leaf::AppendUtf8(out, unit);
}

std::u16string Lower(std::u16string_view text) { return leaf::ToLowerAscii(text); }

bool StartsWith(std::u16string_view text, std::u16string_view prefix) {
    return text.size() >= prefix.size() && text.substr(0, prefix.size()) == prefix;
}

// Creates "<stem>.NNN" beside the source under the first number from 1 to 999 that names
// no file, and answers its path. The stem is the path up to the last '.' of its file name.
// A name that is taken is never opened (nor one that differs from it only in case), so a
// file of the user's that happens to carry such a name is neither emptied nor removed
// later. Empty when every name is taken or the folder refuses the file.
std::string CopyStem(const CString& sourcePath) {
    std::string stem = sourcePath.str();
    const size_t slash = stem.rfind('/');
    const size_t dot = stem.rfind('.');
    if (dot != std::string::npos && (slash == std::string::npos || dot > slash)) stem.resize(dot);
    return stem;
}

CString CreateTemporaryBeside(const CString& sourcePath) {
    const std::string stem = CopyStem(sourcePath);
    CString candidate;
    for (int number = 1; number <= kMaxTemporaryNumber; ++number) {
        candidate.Format("%s.%.3d", stem.c_str(), number);
        int fd;
        do {
            fd = ::open(candidate.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        } while (fd < 0 && errno == EINTR);
        if (fd >= 0) {
            ::close(fd);
            return candidate;
        }
        if (errno != EEXIST) break;
    }
    return CString();
}

// The name CreateTemporaryBeside would create, without creating it: "<stem>.NNN" under
// the first number that names nothing (not even a dangling link). Empty when all do.
CString FirstFreeNameBeside(const CString& sourcePath) {
    const std::string stem = CopyStem(sourcePath);
    CString candidate;
    for (int number = 1; number <= kMaxTemporaryNumber; ++number) {
        candidate.Format("%s.%.3d", stem.c_str(), number);
        struct stat status {};
        if (::lstat(candidate.c_str(), &status) != 0 && errno == ENOENT) return candidate;
    }
    return CString();
}

// An unnamed file in the source's folder, attached to `output`. It gets a name only when
// it is to replace the source (LinkInBeside), so a run that is killed part-way leaves no
// copy behind. False where the file system has no unnamed files.
bool OpenUnnamedBeside(const CString& sourcePath, CFile& output) {
    const int fd = leaf::CreateUnnamedFile(leaf::path::FolderPart(sourcePath.str()), O_WRONLY, 0666);
    if (fd < 0) return false;
    output.Attach(fd, sourcePath.c_str());
    return true;
}

// Gives the unnamed file open on fd the first free "<stem>.NNN" beside the source (a
// name is never taken from a file that has it); that name, or empty.
CString LinkInBeside(const CString& sourcePath, int fd) {
    const std::string stem = CopyStem(sourcePath);
    const std::string self = "/proc/self/fd/" + std::to_string(fd);
    CString candidate;
    for (int number = 1; number <= kMaxTemporaryNumber; ++number) {
        candidate.Format("%s.%.3d", stem.c_str(), number);
        if (::linkat(AT_FDCWD, self.c_str(), AT_FDCWD, candidate.c_str(), AT_SYMLINK_FOLLOW) == 0) return candidate;
        // Without /proc, linking by descriptor needs the privilege to do so.
        if (errno == ENOENT && ::linkat(fd, "", AT_FDCWD, candidate.c_str(), AT_EMPTY_PATH) == 0) return candidate;
        if (errno != EEXIST) break;
    }
    return CString();
}

// Whether an 8-bit source is legacy text: it has bytes that are no UTF-8 (the scanner
// reads each as a Windows-1252 character) and no multi-byte UTF-8 sequence at all. Such a
// source is written back in that code page, so that the text around its headings keeps
// its bytes; a source with any UTF-8 in it is written as UTF-8.
bool IsLegacyEightBit(const CString& path) {
    CFile file;
    if (!file.Open(path.c_str(), CFile::modeRead)) return false;
    bool sawUtf8 = false, sawLegacy = false;
    std::string pending;
    std::vector<char> block(kOutputBlock);
    try {
        for (;;) {
            const UINT got = file.Read(block.data(), static_cast<UINT>(block.size()));
            pending.append(block.data(), got);
            size_t at = 0;
            while (at < pending.size()) {
                const auto lead = static_cast<unsigned char>(pending[at]);
                if (lead < 0x80) {
                    ++at;
                    continue;
                }
                const size_t length = lead >= 0xF0 ? 4 : lead >= 0xE0 ? 3 : lead >= 0xC0 ? 2 : 1;
                if (got > 0 && at + length > pending.size()) break;  // completed by the next block
                if (length > 1 && at + length <= pending.size() &&
                    leaf::IsValidUtf8(std::string_view(pending).substr(at, length))) {
                    sawUtf8 = true;
                    at += length;
                } else {
                    sawLegacy = true;
                    ++at;
                }
            }
            pending.erase(0, at);
            if (sawUtf8) return false;
            if (got == 0) break;
        }
    } catch (const CFileException&) {
        return false;
    }
    return sawLegacy;
}

// The Windows-1252 byte of a character; 0 when the code page has none for it.
unsigned char UnicodeToWindows1252(char16_t ch) {
    if (ch < 0x80) return static_cast<unsigned char>(ch);
    static const std::array<char16_t, 128> upper = [] {
        std::array<char16_t, 128> table{};
        for (int byte = 0x80; byte <= 0xFF; ++byte) {
            table[byte - 0x80] = leaf::Windows1252ToUnicode(static_cast<unsigned char>(byte));
        }
        return table;
    }();
    for (size_t i = 0; i < upper.size(); ++i) {
        if (upper[i] == ch) return static_cast<unsigned char>(0x80 + i);
    }
    return 0;
}

}  // namespace

CHeadingAnchorer::CHeadingAnchorer(EntryCallback onEntry, ProgressCallback onProgress, void* context)
    : m_onEntry(onEntry), m_onProgress(onProgress), m_context(context) {
    // The source is written back as it was read: <base> tags stay and links are not
    // resolved against them.
    EnableBaseHref(FALSE);
}

CHeadingAnchorer::~CHeadingAnchorer() = default;

BOOL CHeadingAnchorer::BuildRules(const std::vector<CString>& headingTags) {
    m_rules.clear();
    for (const CString& tag : headingTags) {
        if (tag.IsEmpty() || tag[0] != '<' || tag[tag.GetLength() - 1] != '>') {
            m_errorText.Format("Invalid HTML tag \"%s\".", tag.c_str());
            m_rules.clear();
            return FALSE;
        }
    }
    for (const CString& tag : headingTags) {
        CString inner = tag;
        inner.Remove('<');
        inner.Remove('>');
        inner.Trim();
        const std::u16string text = leaf::Utf8ToUtf16(inner.str());
        const size_t space = text.find(u' ');
        HeadingRule rule;
        rule.tagName = Lower(std::u16string_view(text).substr(0, space));
        if (space != std::u16string::npos) {
            std::u16string_view rest = std::u16string_view(text).substr(space);
            while (!rest.empty() && (rest.front() == u' ' || rest.front() == u'\t')) rest.remove_prefix(1);
            SplitAttributes(rest, rule.attributes);
        }
        m_rules.push_back(std::move(rule));
    }
    return TRUE;
}

BOOL CHeadingAnchorer::AnchorHeadings(const char* sourcePath, int levelBase, const std::vector<CString>& headingTags,
                                      const char* idBaseName) {
    m_errorText.Empty();
    m_sourcePath = sourcePath ? sourcePath : "";
    if (!BuildRules(headingTags)) return FALSE;

    // The copy is written to an unnamed file and named when it replaces the source, so a
    // run killed part-way leaves nothing beside the source. The name it will take is
    // known from the start, and a run for which every name is taken does not begin.
    // Where the file system has no unnamed files the copy is named at once.
    const bool unnamed = !(m_temporaryPath = FirstFreeNameBeside(m_sourcePath)).IsEmpty() &&
                         OpenUnnamedBeside(m_sourcePath, m_output);
    if (!unnamed) m_temporaryPath = CreateTemporaryBeside(m_sourcePath);
    CFileException openError;
    if (!unnamed && (m_temporaryPath.IsEmpty() ||
                     !m_output.Open(m_temporaryPath.c_str(), CFile::modeWrite | CFile::shareExclusive, &openError))) {
        if (!m_temporaryPath.IsEmpty()) std::remove(m_temporaryPath.c_str());
        m_errorText.Format("Unable to create a temporary copy of the specified source file \"%s\".",
                           m_sourcePath.c_str());
        m_rules.clear();
        return FALSE;
    }

    m_reportedHeading = false;
    m_reportedPosition = 0;
    m_firstOutput = true;
    m_levelBase = levelBase;
    m_openRule = -1;
    m_idCounter = 1;
    m_idPrefix = "_LC" + std::string(idBaseName ? idBaseName : "TOC") + "-";
    m_headingText.clear();
    m_headingId.clear();
    m_outputBuffer.clear();
    m_outputSurrogate = 0;
    m_headingSurrogate = 0;
    m_raw.clear();
    m_rawLastGreater = std::u16string::npos;
    m_tagStart = std::u16string::npos;

    m_legacyBytes = IsLegacyEightBit(m_sourcePath);

    BOOL outcome = TRUE;
    const int result = ParseFile(m_sourcePath.str());
    if (result == parseDone) {
        try {
            // A tag left open at the end of the file stays as it was.
            WriteRaw(m_raw);
            ClearRaw();
            if (m_outputSurrogate) WriteOutput("\xEF\xBF\xBD");
            FlushOutput();
        } catch (const CFileException&) {
            m_errorText.Format("An unexpected error occurred while importing headings from the specified source file "
                               "\"%s\".",
                               m_sourcePath.c_str());
            outcome = FALSE;
        }
    } else {
        if (result == parseOpenFailed) {
            m_errorText.Format("Unable to open the specified source file \"%s\".", m_sourcePath.c_str());
        } else if (result == parseException) {
            m_errorText.Format("An unexpected error occurred while importing headings from the specified source file "
                               "\"%s\".",
                               m_sourcePath.c_str());
        }
        outcome = FALSE;
    }
    // A copy on disk under m_temporaryPath, which is to be removed unless it replaces the
    // source; an unnamed one is there only once it is linked in.
    bool named = !unnamed;
    if (outcome && unnamed && m_reportedHeading) {
        // Whole now: the copy gets its name beside the source.
        m_temporaryPath = LinkInBeside(m_sourcePath, m_output.GetHandle());
        named = !m_temporaryPath.IsEmpty();
        if (!named) {
            m_errorText.Format("Unable to modify the specified source file \"%s\".", m_sourcePath.c_str());
            outcome = FALSE;
        }
    }
    if (outcome) {
        try {
            m_output.Close();
        } catch (const CFileException&) {
            // Data that did not reach the disk: the copy must not replace the source.
            m_errorText.Format("Unable to modify the specified source file \"%s\".", m_sourcePath.c_str());
            outcome = FALSE;
        }
    }
    m_output.Abort();
    m_rules.clear();
    m_outputBuffer.clear();

    if (outcome && m_reportedHeading) {
        outcome = ReplaceSource();
    }
    if ((!outcome || !m_reportedHeading) && named) {
        std::remove(m_temporaryPath.c_str());
    }
    if (outcome && m_onProgress) {
        CFileStatus status;
        if (CFile::GetStatus(m_sourcePath.c_str(), status)) {
            const LONGLONG rest = static_cast<LONGLONG>(status.m_size) - m_reportedPosition;
            if (rest >= 1 && !m_onProgress(rest, m_context)) outcome = FALSE;
        }
    }
    return outcome;
}

BOOL CHeadingAnchorer::ReplaceSource() {
    // The copy takes the source's permission bits. The previous version goes to the
    // Recycle Bin, from where the user can get it back; where there is none to be had,
    // the copy is renamed over the source in one step, so the source is never missing or
    // half written.
    // The source keeps the name it has on disk, whatever the spelling the project uses.
    std::string target = m_sourcePath.str();
    if (std::optional<std::string> found = leaf::path::Resolve(target)) target = *found;
    struct stat status {};
    if (::stat(target.c_str(), &status) == 0) ::chmod(m_temporaryPath.c_str(), status.st_mode & 07777);
    leaf::ui::MoveToRecycleBin(target.c_str());
    try {
        CFile::Rename(m_temporaryPath.c_str(), target.c_str());
    } catch (const CFileException&) {
        m_errorText.Format("Unable to modify the specified source file \"%s\".", m_sourcePath.c_str());
        return FALSE;
    }
    return TRUE;
}

BOOL CHeadingAnchorer::ReportProgress(LONGLONG position) {
    if (!m_onProgress || position - m_reportedPosition < 100) return TRUE;
    const LONGLONG units = position - m_reportedPosition;
    m_reportedPosition = position;
    return m_onProgress(units, m_context);
}

BOOL CHeadingAnchorer::OnWord(std::u16string_view, WORD, int, int, int, LONGLONG, LONGLONG position) {
    return ReportProgress(position);
}

int CHeadingAnchorer::FindMatchingRule(const std::u16string& name, const std::vector<std::u16string>& attributes) const {
    for (size_t i = 0; i < m_rules.size(); ++i) {
        const HeadingRule& rule = m_rules[i];
        if (rule.tagName != name) continue;
        const bool all = std::all_of(rule.attributes.begin(), rule.attributes.end(), [&](const std::u16string& wanted) {
            return std::any_of(attributes.begin(), attributes.end(),
                               [&](const std::u16string& have) { return leaf::EqualsNoCase(have, wanted); });
        });
        if (all) return static_cast<int>(i);
    }
    return -1;
}

BOOL CHeadingAnchorer::OnTag(std::u16string_view tagName, std::u16string_view attributeText, BOOL endTag, int) {
    // m_raw holds what came before the tag, then the tag as read ("<" to ">").
    size_t tagStart = m_tagStart;
    if (tagStart == std::u16string::npos || tagStart > m_raw.size()) {
        tagStart = m_raw.rfind(u'<');
        if (tagStart == std::u16string::npos) tagStart = 0;
    }
    const std::u16string leading = m_raw.substr(0, tagStart);
    std::u16string asRead = m_raw.substr(tagStart);
    // The scanner takes the '/' of an end tag without passing it on.
    if (endTag) asRead.insert(asRead.empty() ? 0 : 1, u"/");
    ClearRaw();
    const std::u16string name = Lower(tagName);
    std::vector<std::u16string> attributes;
    SplitAttributes(attributeText, attributes);
    bool changed = false;

    // Ids that an earlier run added are removed (every one of them, so that a tag that
    // carries two comes out the same from every later run).
    const std::u16string stalePrefix = std::u16string(kIdAttribute) + leaf::Utf8ToUtf16(m_idPrefix);
    const size_t before = attributes.size();
    std::erase_if(attributes, [&](const std::u16string& a) { return StartsWith(a, stalePrefix); });
    if (attributes.size() != before) changed = true;

    const bool selfClosing = !attributes.empty() && attributes.back() == u"/";
    if (!selfClosing) {
        if (endTag) {
            if (m_openRule >= 0 && name == m_rules[m_openRule].tagName) {
                const int level = m_openRule + m_levelBase;
                const CString text(m_headingText), id(m_headingId);
                m_openRule = -1;
                m_headingText.clear();
                m_headingId.clear();
                m_headingSurrogate = 0;
                if (!text.IsEmpty()) {
                    m_reportedHeading = true;
                    if (m_onEntry && !m_onEntry(level, text, id, m_context)) return FALSE;
                }
            }
        } else if (const int rule = FindMatchingRule(name, attributes); rule >= 0) {
            m_openRule = rule;
            m_headingText.clear();
            m_headingId.clear();
            m_headingSurrogate = 0;
            auto own = std::find_if(attributes.begin(), attributes.end(), [](const std::u16string& a) {
                return leaf::StartsWithNoCase(std::u16string_view(a), kIdAttribute);
            });
            if (own != attributes.end()) {
                m_headingId = leaf::Utf16ToUtf8(std::u16string_view(*own).substr(kIdAttribute.size()));
            } else {
                m_headingId = m_idPrefix + std::to_string(m_idCounter++);
                attributes.push_back(std::u16string(kIdAttribute) + leaf::Utf8ToUtf16(m_headingId));
                changed = true;
            }
        }
    }

    std::u16string out;
    if (changed) {
        out = endTag ? u"</" : u"<";
        out += name;
        for (const std::u16string& attribute : attributes) {
            out += u' ';
            AppendAttribute(out, attribute);
        }
        out += u'>';
    } else {
        out = asRead;
    }
    // An 8-bit copy says which bytes it holds: a source that mixed UTF-8 with stray legacy
    // bytes is written as UTF-8, whatever it declared.
    if (!endTag && !IsUnicodeFile() && (name == u"meta" || name == u"?xml"))
        DeclareWrittenCharset(out, name == u"?xml", m_legacyBytes);
    try {
        WriteRaw(leading);
        WriteRaw(out);
    } catch (const CFileException&) {
        m_errorText.Format("An unexpected error occurred while importing headings from the specified source file \"%s\".",
                           m_sourcePath.c_str());
        return FALSE;
    }
    return TRUE;
}

void CHeadingAnchorer::WriteRaw(std::u16string_view text) {
    if (text.empty()) return;
    BeginOutput();
    for (char16_t ch : text) WriteChar(ch);
}

BOOL CHeadingAnchorer::OnChar(char16_t ch, WORD state, int) {
    if (state & (stateInTag | stateInAttributes)) {
        // Written by OnTag once the tag is complete. The first character after the '<'
        // marks where the tag began: a tag's text holds no '>' but its last, so a '>' after
        // the recorded start means that tag ended unreported (it had no name) and this
        // character begins the next. (The scanner passes an end tag's '/' on to no one.)
        // The last '>' is remembered as it is read, so that each character of a long tag
        // costs the same, however much of the tag came before it.
        const bool newTag = m_tagStart == std::u16string::npos ||
                            (m_rawLastGreater != std::u16string::npos &&
                             m_rawLastGreater >= std::min(m_tagStart, m_raw.size()));
        if (newTag && !m_raw.empty()) m_tagStart = m_raw.size() >= 2 ? m_raw.size() - 2 : 0;
        return TRUE;
    }
    try {
        if (m_openRule >= 0) {
            if (m_headingText.size() >= kMaxHeadingText && ch == u' ') {
                if (!m_headingText.ends_with("...")) m_headingText += "...";
            } else {
                AppendUnit(m_headingText, ch, m_headingSurrogate);
            }
        }
        // Everything read up to this character goes out as it was read.
        const bool included = !m_raw.empty() && m_raw.back() == ch;
        WriteRaw(m_raw);
        ClearRaw();
        if (!included) WriteRaw(std::u16string_view(&ch, 1));
    } catch (const CFileException&) {
        m_errorText.Format("An unexpected error occurred while importing headings from the specified source file \"%s\".",
                           m_sourcePath.c_str());
        return FALSE;
    }
    return TRUE;
}

char16_t CHeadingAnchorer::TranslateChar(char16_t ch) {
    // Every character of the source passes here once, in order, before the scanner acts on
    // it: the record of what is still to be written.
    if (ch == u'>') m_rawLastGreater = m_raw.size();
    m_raw.push_back(ch);
    return ch;
}

void CHeadingAnchorer::ClearRaw() {
    m_raw.clear();
    m_rawLastGreater = std::u16string::npos;
    m_tagStart = std::u16string::npos;
}

int CHeadingAnchorer::GetCharClass(char16_t ch) { return ch == u' ' ? 3 : 1; }

BOOL CHeadingAnchorer::DecodeEntity(std::u16string_view, std::u16string&, std::u16string&) { return FALSE; }

void CHeadingAnchorer::BeginOutput() {
    if (!m_firstOutput) return;
    m_firstOutput = false;
    // A UTF-16 source keeps its byte order, and so the mark that declares it.
    if (IsUnicodeFile()) WriteOutput(IsBigEndianFile() ? "\xFE\xFF" : "\xFF\xFE");
}

void CHeadingAnchorer::WriteChar(char16_t ch) {
    if (IsUnicodeFile()) {
        const auto writeUnit = [&](char16_t unit) {
            const char low = static_cast<char>(unit & 0xFF), high = static_cast<char>(unit >> 8);
            const char bytes[2] = {IsBigEndianFile() ? high : low, IsBigEndianFile() ? low : high};
            WriteOutput(std::string_view(bytes, 2));
        };
        if (ch == u'\n') writeUnit(u'\r');
        writeUnit(ch);
        return;
    }
    if (m_legacyBytes && ch != u'\n') {
        if (const unsigned char byte = UnicodeToWindows1252(ch); byte != 0 || ch == 0) {
            m_outputBuffer += static_cast<char>(byte);
            if (m_outputBuffer.size() >= kOutputBlock) FlushOutput();
            return;
        }
    }
    if (ch == u'\n') {
        if (m_outputSurrogate) {
            leaf::AppendUtf8(m_outputBuffer, leaf::kReplacementCharacter);
            m_outputSurrogate = 0;
        }
        m_outputBuffer += "\r\n";
    } else {
        AppendUnit(m_outputBuffer, ch, m_outputSurrogate);
    }
    if (m_outputBuffer.size() >= kOutputBlock) FlushOutput();
}

void CHeadingAnchorer::WriteOutput(std::string_view bytes) {
    m_outputBuffer += bytes;
    if (m_outputBuffer.size() >= kOutputBlock) FlushOutput();
}

void CHeadingAnchorer::FlushOutput() {
    if (m_outputBuffer.empty()) return;
    m_output.Write(m_outputBuffer.data(), static_cast<UINT>(m_outputBuffer.size()));
    m_outputBuffer.clear();
}
