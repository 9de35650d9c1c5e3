#include "filters/html/converter/HtmlConverter.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <cerrno>
#include <unistd.h>

#include <ctime>

#include <algorithm>
#include <array>
#include <atomic>
#include <limits>
#include <mutex>
#include <set>
#include <vector>

#include "filters/html/converter/AttributeRewriter.h"
#include "filters/html/converter/CharsetDeclaration.h"
#include "filters/html/converter/ColorValue.h"
#include "filters/html/converter/StyleRewriter.h"
#include "filters/html/converter/TagBalancer.h"
#include "filters/html/converter/TempTextWriter.h"
#include "filters/html/converter/TextScan.h"
#include "markup/MarkupTables.h"
#include "platform/base/Environment.h"
#include "platform/base/File.h"
#include "platform/registry/RegistryKey.h"

using leaf::html::IsBlank;

namespace {

// Process-wide: the next temporary file number to try, and the last "ForceOEBOutput"
// setting read (it stays when the settings key cannot be opened). Converters may run on
// several threads at once: each one takes a number of its own.
std::atomic<int> g_nextTempNumber{1};
std::atomic<BOOL> g_forceOebOutput{FALSE};

constexpr int kMaxTempNumber = 9999;
constexpr const char* kSettingsKey = "Software\\Tallbrook Systems, Inc.\\Leafcraft\\SDK";

// The style buffer is written early, at a line end after a rule, once it holds more.
constexpr size_t kStyleFlushThreshold = 5119;
// Long lines of text are broken at a space once they reach this length.
constexpr size_t kMaxLineChars = 1024;

constexpr std::array<std::string_view, 6> kCompanionRelations = {
    "file-list", "edit-time-data", "ole-object-data", "original-file", "main-file", "preview"};

bool PathExists(const std::string& path) {
    struct stat info;
    return ::lstat(path.c_str(), &info) == 0;
}

// When this module was loaded: a temporary file last written before then was not written
// by a converter of this process.
const time_t g_loadTime = std::time(nullptr);

// Removes the temporary file of a converter whose process was killed: a file of this
// user that no converter holds locked and that was last written before this module was
// loaded. True when the name is free again.
bool RemoveStaleTempFile(const std::string& path) {
    const int fd = ::open(path.c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) return false;
    struct stat info;
    struct stat named;
    const bool stale = ::fstat(fd, &info) == 0 && S_ISREG(info.st_mode) && info.st_uid == ::geteuid() &&
                       info.st_mtime < g_loadTime && ::flock(fd, LOCK_EX | LOCK_NB) == 0 &&
                       ::lstat(path.c_str(), &named) == 0 && named.st_dev == info.st_dev &&
                       named.st_ino == info.st_ino && ::unlink(path.c_str()) == 0;
    ::close(fd);
    return stale;
}

// "$conv" and four digits, ".htm": the names of the converters' temporary files.
bool IsTempFileName(std::string_view name) {
    constexpr std::string_view prefix = "$conv";
    constexpr std::string_view suffix = ".htm";
    if (name.size() != prefix.size() + 4 + suffix.size() || !name.starts_with(prefix) || !name.ends_with(suffix))
        return false;
    const std::string_view digits = name.substr(prefix.size(), 4);
    return std::all_of(digits.begin(), digits.end(), [](char ch) { return ch >= '0' && ch <= '9'; });
}

// Removes the temporary files that converters of killed processes left in the folder
// (see RemoveStaleTempFile), the first time a converter of this process uses the folder:
// a killed build's files go with the next run, whichever numbers its conversions take.
// Files that running converters hold locked are never touched.
void RemoveStaleTempFiles(const std::string& folder) {
    static std::mutex mutex;
    static std::set<std::string> swept;
    {
        const std::lock_guard<std::mutex> lock(mutex);
        if (!swept.insert(folder).second) return;
    }
    std::vector<std::string> names;
    if (DIR* dir = ::opendir(folder.c_str())) {
        while (const dirent* entry = ::readdir(dir)) {
            if (IsTempFileName(entry->d_name)) names.emplace_back(entry->d_name);
        }
        ::closedir(dir);
    }
    for (const std::string& name : names) RemoveStaleTempFile(folder + name);
}

std::string ChooseTempPath() {
    std::string folder = leaf::GetTempFolder();
    if (folder.empty() || folder.back() != '/') folder += '/';
    RemoveStaleTempFiles(folder);
    // The counter wraps: the converter deletes its files, so early numbers free up again.
    for (int tries = 0; tries < kMaxTempNumber; ++tries) {
        int number = g_nextTempNumber.load();
        while (!g_nextTempNumber.compare_exchange_weak(number, number % kMaxTempNumber + 1)) {
        }
        char name[32];
        std::snprintf(name, sizeof name, "$conv%.4d.htm", number);
        std::string candidate = folder + name;
        if (!PathExists(candidate) || RemoveStaleTempFile(candidate)) return candidate;
    }
    return std::string();
}

// The value of the last item with the prefix (without regard to case).
std::string LastValue(const std::vector<CString>& items, std::string_view prefix) {
    std::string value;
    for (const CString& item : items) {
        if (leaf::StartsWithNoCase(item.str(), prefix)) value = item.str().substr(prefix.size());
    }
    return value;
}

bool EndsWith(std::string_view text, std::string_view suffix) {
    return text.size() >= suffix.size() && text.substr(text.size() - suffix.size()) == suffix;
}

// A raw end tag inside rewritten style text would end the element early when the output
// is read: a blank keeps it from being one.
void DefuseStyleEndTags(std::string& text) {
    static constexpr std::string_view kEndTag = "</style>";
    const std::string lower = leaf::ToLowerAscii(text);
    if (lower.find(kEndTag) == std::string::npos) return;
    std::string out;
    size_t copied = 0;
    for (size_t at = lower.find(kEndTag); at != std::string::npos; at = lower.find(kEndTag, at + 1)) {
        out.append(text, copied, at + kEndTag.size() - 1 - copied);
        out += ' ';
        copied = at + kEndTag.size() - 1;
    }
    out.append(text, copied, std::string::npos);
    text = std::move(out);
}

}  // namespace

void CHtmlConverter::TrimNameStart(std::string& name) {
    // The scanner drops a word-internal character at the start of a tag name, so "<'/v>"
    // gives a start tag "/v", "<'!x>" a tag "!x" and "<'<-p>" a tag "<-p". Written back,
    // "</v>" would read as an end tag, "<!x>" as a declaration, "<<b>" as text and a tag,
    // and "<-p>" as a tag "p" that the output never meant (and, for "<-style>", as the
    // start of style text): such leading characters are dropped, the same way for start
    // and end tags.
    size_t start = 0;
    while (start < name.size()) {
        const std::string_view rest = std::string_view(name).substr(start);
        const bool slashOrBracket = rest.front() == '/' || rest.front() == '<';
        const bool strayBang = rest.front() == '!' && !rest.starts_with("![") && !rest.starts_with("!doctype");
        const bool wordInternal =
            leaf::markup::ByteCharClass(static_cast<unsigned char>(rest.front())) == leaf::markup::kWordInternalChar;
        if (!slashOrBracket && !strayBang && !wordInternal) break;
        ++start;
    }
    name.erase(0, start);
}

CHtmlConverter::CHtmlConverter(HtmlProgressCallback progress, IFilterHost* host)
    : m_progress(progress), m_host(host) {
    m_tempPath = ChooseTempPath();
    const leaf::RegistryKey settings = leaf::RegistryKey::Open(HKEY_CURRENT_USER, kSettingsKey);
    if (settings.IsOpen()) {
        if (const auto value = settings.ReadDword("ForceOEBOutput")) g_forceOebOutput = *value != 0 ? TRUE : FALSE;
    }
    m_forceOeb = g_forceOebOutput;
}

CHtmlConverter::~CHtmlConverter() {
    m_temp.reset();
    DeleteTempFile();
}

void CHtmlConverter::Reset() {
    m_groups.clear();
    m_openElements.clear();
    m_nodeCount = 0;
    m_tagRunOpen = m_htmlSeen = m_bodySeen = m_insideHead = m_insideTable = m_commentElementOpen = false;
    m_office = FALSE;
    m_styleText.clear();
    m_lastStyleNonBlank = 0;
    m_lineChars = 0;
    m_lastWritten = 0;
    m_declarationInOutput = m_commentBlockInOutput = false;
    m_progressMark = 0;
    m_errorText.Empty();
}

BOOL CHtmlConverter::Convert(const CString& sourcePath, const CString& destinationPath) {
    Reset();
    m_sourcePath = sourcePath;
    m_destinationPath = destinationPath;
    BOOL ok = ReadSource();
    if (ok) {
        try {
            BalanceTags();
            ok = WriteDestination();
        } catch (...) {
            m_errorText = kErrorGeneric;
            ok = FALSE;
        }
    }
    m_openElements.clear();
    m_groups.clear();
    m_temp.reset();
    DeleteTempFile();
    return ok;
}

void CHtmlConverter::DeleteTempFile() {
    // Only a file this converter created is removed (creation is exclusive).
    if (m_tempCreated) {
        ::unlink(m_tempPath.c_str());
        m_tempCreated = false;
    }
    if (m_tempLock >= 0) {
        ::close(m_tempLock);
        m_tempLock = -1;
    }
}

// ---- Phase 1: reading the source ------------------------------------------------------

BOOL CHtmlConverter::CreateTempFile() {
    m_temp = std::make_unique<CTempTextWriter>();
    // Another converter (in this process or another build) may take the chosen name
    // between choosing and creating it: then the next free name is tried.
    for (int tries = 0; tries < kMaxTempNumber && !m_tempPath.IsEmpty(); ++tries) {
        if (m_temp->Create(m_tempPath.str())) {
            m_tempCreated = true;
            // Locked at once, so that no other converter takes it for a killed one's.
            m_tempLock = ::open(m_tempPath.c_str(), O_RDONLY | O_NOFOLLOW | O_CLOEXEC);
            if (m_tempLock >= 0) ::flock(m_tempLock, LOCK_EX | LOCK_NB);
            return TRUE;
        }
        if (m_temp->CreateError() != EEXIST) return FALSE;
        m_tempPath = ChooseTempPath();
    }
    return FALSE;
}

BOOL CHtmlConverter::ReadSource() {
    if (!CreateTempFile()) {
        m_errorText = kErrorDiskSpace;
        return FALSE;
    }
    m_progressMark = 0;
    m_lineChars = 0;

    const int result = ParseFile(m_sourcePath.str());
    BOOL ok = result == parseDone;
    if (result == parseOpenFailed || result == parseException) m_errorText = kErrorGeneric;
    if (ok) {
        try {
            if (!m_styleText.empty()) ok = FlushStyleText();  // a style element the source left open
            if (ok) CloseOpenTextConstructs();
        } catch (...) {
            m_errorText = kErrorGeneric;
            ok = FALSE;
        }
    }
    // Text that never reached the disk would be lost silently: a failed close fails.
    if (!m_temp->Close() && ok) {
        m_errorText = kErrorDiskSpace;
        ok = FALSE;
    }
    if (ok && m_progress) {
        CFileStatus status;
        if (CFile::GetStatus(m_sourcePath.c_str(), status)) {
            const LONGLONG rest = static_cast<LONGLONG>(status.m_size) - m_progressMark;
            if (rest > 0 && !ReportProgress(rest)) ok = FALSE;
        }
    }
    return ok;
}

BOOL CHtmlConverter::ReportProgress(LONGLONG units) {
    if (!m_progress) return TRUE;
    constexpr LONGLONG kMaxUnits = std::numeric_limits<LONG>::max();
    const LONG clamped = static_cast<LONG>(units > kMaxUnits ? kMaxUnits : units);
    return m_progress(clamped, m_host);
}

BOOL CHtmlConverter::OnWord(std::string_view, WORD, int, int, int, LONGLONG, LONGLONG position) {
    if (!m_progress || position - m_progressMark < 100) return TRUE;
    const LONGLONG delta = position - m_progressMark;
    m_progressMark = position;
    return ReportProgress(delta);
}

BOOL CHtmlConverter::DecodeEntity(std::string_view, std::string&, std::string&) { return FALSE; }

BOOL CHtmlConverter::OnChar(char ch, WORD state, int) {
    try {
        return HandleChar(ch, state);
    } catch (...) {
        m_errorText = kErrorGeneric;
        return FALSE;
    }
}

BOOL CHtmlConverter::HandleChar(char ch, WORD state) {
    if (state & (stateInTag | stateInAttributes)) return TRUE;
    if (!IsBlank(ch) && !(state & stateComment)) AddImpliedElements(true, {});
    if (state & stateStyle) {
        m_styleText += ch;
        if (m_styleText.size() > kStyleFlushThreshold && ch == '\n' && m_lastStyleNonBlank == '}') {
            if (!FlushStyleText()) return FALSE;
        }
        if (!IsBlank(ch)) m_lastStyleNonBlank = ch;
    } else if (!(m_office && (state & stateComment))) {
        WriteTextChar(ch, state);
    }
    m_tagRunOpen = false;
    return TRUE;
}

void CHtmlConverter::WriteTextChar(char ch, WORD state) {
    const WORD literal = leaf::markup::RawContentMask() | stateCommentBlock | stateComment;
    // Long lines are broken at a space, except in scripts and other raw text (where a line
    // break can change the meaning) and in a comment block (whose opening "<!-- " must stay
    // on one line).
    if (ch == ' ' && m_lineChars > kMaxLineChars && !(state & (leaf::markup::RawContentMask() | stateCommentBlock))) {
        ch = '\n';
    }
    if (ch == '<') {
        // In the temporary file a single '<' starts a placeholder, so a text '<' is
        // doubled. Where the output is read as markup, a '<' of text is written as a
        // reference: the tags that followed it in the source may be gone, and a bare '<'
        // would then start a tag of its own.
        m_temp->Write((state & literal) ? std::string_view("<<") : std::string_view("&lt;"));
    } else {
        m_temp->Put(ch);
    }
    m_declarationInOutput =
        (state & stateComment) && !m_commentElementOpen && !(ch == '>' && m_lastWritten == '-');
    m_commentBlockInOutput = (state & stateCommentBlock) && ch != '>';
    m_lastWritten = ch == '\n' ? 0 : ch;
    m_lineChars = ch == '\n' ? 0 : m_lineChars + 1;
}

void CHtmlConverter::CloseOpenTextConstructs() {
    if (m_commentBlockInOutput) m_temp->Write(">");
    if (m_declarationInOutput) m_temp->Write("-->");
    m_commentBlockInOutput = m_declarationInOutput = false;
}

BOOL CHtmlConverter::FlushStyleText() {
    const size_t count = m_styleText.size();
    std::string text = leaf::html::NormalizeColorProperties(m_styleText);
    text = leaf::html::PrefixNumericClassSelectors(text);
    if (m_office) text = leaf::html::RewriteOfficeStyleText(text);
    DefuseStyleEndTags(text);
    for (char ch : text) {
        if (ch == '<') {
            m_temp->Write("<<");
        } else {
            m_temp->Put(ch);
        }
    }
    m_styleText.clear();
    m_styleText.shrink_to_fit();
    if (m_progress) {
        m_progressMark += static_cast<LONGLONG>(count);
        if (!ReportProgress(static_cast<LONGLONG>(count))) return FALSE;
    }
    return TRUE;
}

BOOL CHtmlConverter::OnTag(std::string_view tagName, std::string_view attributes, BOOL endTag, int) {
    try {
        return HandleTag(tagName, attributes, endTag);
    } catch (...) {
        m_errorText = kErrorGeneric;
        return FALSE;
    }
}

BOOL CHtmlConverter::HandleTag(std::string_view tagName, std::string_view attributes, BOOL endTag) {
    // A page break written as a line break becomes an empty block with the page break.
    if (!endTag && tagName == "br" && attributes.find("clear=all") != std::string_view::npos &&
        attributes.find("page-break-before:always") != std::string_view::npos) {
        return HandleTag("div", "style='page-break-before:always'", FALSE) && HandleTag("div", "", TRUE);
    }

    std::string name = leaf::ToLowerAscii(tagName);
    bool selfClosing = false;
    if (!name.empty() && name.back() == '/') {
        name.pop_back();
        selfClosing = true;
    }
    const size_t untrimmedLength = name.size();
    TrimNameStart(name);
    if (name.empty()) return TRUE;  // "<//>" names nothing that could be kept
    // "<<style>" did not start the scanner's raw text, so what follows it was read as
    // markup; written back as "<style>" it would turn that markup into style text and
    // unbalance the document. Such a start tag is dropped.
    if (!endTag && name.size() != untrimmedLength && leaf::markup::IsRawContentTag(name)) return TRUE;
    // With the OEB prologue written first, the source's own declaration and document type
    // would be second ones, which no XML reader accepts.
    if (m_forceOeb && (name == "?xml" || name == "!doctype")) return TRUE;

    if (!endTag) {
        if (name == "html") m_htmlSeen = true;
        if (name == "body") m_bodySeen = true;
        if (name == "head") m_insideHead = true;
    }
    if (name == "comment") m_commentElementOpen = !endTag;
    if (name == "table") {
        if (!endTag && m_insideTable) {
            m_errorText = kErrorNestedTables;
            return FALSE;
        }
        m_insideTable = !endTag;
    }

    auto node = std::make_unique<CTagNode>();
    node->name = CString(name);
    node->endTag = endTag;
    node->flags = leaf::markup::GetTagFlags(name);

    if (name == "style") {
        if (!endTag) {
            m_styleText.clear();
        } else if (!FlushStyleText()) {
            return FALSE;
        }
    }

    CMarkupParser::SplitAttributes(attributes, node->attributes);
    if (!node->attributes.empty() && node->attributes.back() == "/") {
        node->attributes.pop_back();
        // "<title />" still opens the title's raw text in the scanner, which runs to its
        // end tag: the element is kept open so that the end tag closes it.
        if (!leaf::markup::IsRawContentTag(name)) selfClosing = true;
    }

    leaf::html::AttributeRewriteContext context;
    context.office = m_office;
    context.insideTable = m_insideTable;
    context.forceOeb = m_forceOeb;
    leaf::html::RewriteAttributes(node->attributes, context);
    if (m_forceOeb && name == "link") {
        for (CString& item : node->attributes) {
            if (leaf::EqualsNoCase(item.str(), "type=text/css")) item = "type=text/x-oeb1-css";
        }
    }
    leaf::html::DeclareOutputCharset(name, node->attributes);
    if (name == "meta") CheckGenerator(*node);

    if (m_office) {
        if (name.starts_with("![") || name.starts_with("o:")) return TRUE;
        if (name == "link" && IsOfficeCompanionLink(*node)) return TRUE;
    }
    if (selfClosing) node->flags |= leaf::markup::kTagEmpty;

    AddImpliedElements(false, name);
    AddToGroup(std::move(node), tagName.size() + attributes.size() + 1);

    if (endTag && name == "head") m_insideHead = false;
    return TRUE;
}

void CHtmlConverter::AddImpliedElements(bool forText, std::string_view tagName) {
    const bool declaration = !forText && (tagName == "?xml" || tagName == "!doctype");
    if (!m_htmlSeen && !declaration) {
        AddImpliedStartTag("html");
        m_htmlSeen = true;
    }
    if (!m_bodySeen && m_htmlSeen && !m_insideHead && !declaration && (forText || tagName != "html")) {
        AddImpliedStartTag("body");
        m_bodySeen = true;
    }
}

void CHtmlConverter::AddImpliedStartTag(const char* name) {
    auto node = std::make_unique<CTagNode>();
    node->name = name;
    AddToGroup(std::move(node), 0);
}

void CHtmlConverter::AddToGroup(std::unique_ptr<CTagNode> node, size_t sourceLength) {
    if (!m_tagRunOpen || m_groups.empty()) {
        m_groups.emplace_back();
        char placeholder[32];
        std::snprintf(placeholder, sizeof placeholder, "<tag_group0x%.8X>", static_cast<unsigned>(m_groups.size() - 1));
        m_temp->Write(placeholder);
        m_tagRunOpen = true;
    }
    CTagGroup& group = m_groups.back();
    node->groupIndex = static_cast<LONG>(m_groups.size() - 1);
    group.nodes.push_back(std::move(node));
    group.sourceLength += static_cast<DWORD>(sourceLength);
    ++m_nodeCount;
}

void CHtmlConverter::CheckGenerator(const CTagNode& meta) {
    if (m_office) return;
    const std::string name = LastValue(meta.attributes, "name=");
    const std::string content = LastValue(meta.attributes, "content=");
    if (!leaf::EqualsNoCase(name, "Generator")) return;
    if (content.substr(0, 10) != "Microsoft " || !(EndsWith(content, " 9") || EndsWith(content, " 10"))) return;
    m_office = TRUE;
    // The word processor's namespace declarations on <html> go with its markup.
    if (!m_groups.empty() && !m_groups.front().nodes.empty()) {
        CTagNode& first = *m_groups.front().nodes.front();
        if (!first.endTag && leaf::EqualsNoCase(first.name.str(), "html")) first.attributes.clear();
    }
}

bool CHtmlConverter::IsOfficeCompanionLink(const CTagNode& link) const {
    const std::string relation = leaf::ToLowerAscii(LastValue(link.attributes, "rel="));
    for (std::string_view companion : kCompanionRelations) {
        if (relation == companion) return true;
    }
    return leaf::EqualsNoCase(LastValue(link.attributes, "id="), "shLink");
}

// ---- Phase 2: balancing ----------------------------------------------------------------

void CHtmlConverter::BalanceTags() {
    // Reopening misnested elements may add at most a few tags for every tag of the source.
    CTagBalancer balancer(m_groups, 4 * m_nodeCount + 1024);
    balancer.Run();
    m_openElements = balancer.OpenElements();
}
