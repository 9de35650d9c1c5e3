#include "sdk/control/CssInputFilter.h"

#include <sys/stat.h>

#include <cstdio>
#include <vector>

#include "common/StyleSheetUrls.h"
#include "common/WideBuffer.h"
#include "platform/base/File.h"
#include "platform/base/Path.h"
#include "platform/base/TextEncoding.h"

namespace {

// The filter's answers to a file it cannot read or write (storage results).
constexpr HRESULT kPathNotFound = static_cast<HRESULT>(0x80030003);
constexpr HRESULT kCannotCreateDestination = static_cast<HRESULT>(0x80040214);

bool IsHexDigit(char ch) {
    return (ch >= '0' && ch <= '9') || (ch >= 'a' && ch <= 'f') || (ch >= 'A' && ch <= 'F');
}

int HexValue(char ch) {
    if (ch >= '0' && ch <= '9')
        return ch - '0';
    return leaf::AsciiToLower(ch) - 'a' + 10;
}

// A letter (any character beyond ASCII counts as one, as in a style sheet's names), '-'
// or '_': a value followed by one is only the beginning of a word.
bool IsKeywordCharacter(char ch) {
    return (ch >= 'a' && ch <= 'z') || (ch >= 'A' && ch <= 'Z') || ch == '-' || ch == '_' ||
           static_cast<unsigned char>(ch) >= 0x80;
}

bool IsWhiteSpace(char ch) { return ch == ' ' || ch == '\t' || ch == '\r' || ch == '\n' || ch == '\f' || ch == '\v'; }

std::string Narrow(LPCOLESTR text) { return leaf::Utf16ToUtf8(std::u16string_view(text)); }

// A target of the style sheet as a path: relative to the style sheet's folder, a "file:"
// URL as its path; a web address stays as it is written.
CString ResolveTarget(const std::string& folder, CString target) {
    target.Replace('\\', '/');
    if (leaf::StartsWithNoCase(target.str(), "file:")) {
        target = target.Mid(5);
        const bool rooted = target.GetLength() > 0 && target[0] == '/';
        target.TrimLeft("/");
        if (rooted)
            target.Insert(0, '/');
    }
    const int colon = target.Find(':');
    const int slash = target.Find('/');
    if (colon > 0 && (slash < 0 || colon < slash))
        return target;
    const std::string path = leaf::path::IsAbsolute(target.str()) ? target.str() : folder + "/" + target.str();
    return CString(leaf::path::LexicallyNormal(path));
}

}  // namespace

void CCssInputFilter::SetWorkPaths(const CPageLinkMapper::WorkPathMap* outsideItems,
                                   const CPageLinkMapper::WorkPathMap* convertedItems, const std::string& sourceFolder,
                                   const std::string& workFolder) {
    m_links.reset();
    if (outsideItems != nullptr || convertedItems != nullptr)
        m_links.emplace(outsideItems, convertedItems, sourceFolder, workFolder);
}

HRESULT CCssInputFilter::Prepare(LPCOLESTR sourcePath, LPCOLESTR auxiliaryPath, IFilterHost* host) {
    if (sourcePath == nullptr || host == nullptr)
        return E_POINTER;
    m_host = host;
    m_sourcePath = sourcePath;
    m_auxiliaryPath = auxiliaryPath ? auxiliaryPath : u"";

    // The pictures and fonts that the style sheet names are reported like the links of a
    // page, so that the build packages them or lists them as missing or outside. Only a
    // file is read (a pipe would wait for a writer); one that cannot be read names nothing.
    const std::string path = Narrow(sourcePath);
    struct stat status {};
    std::string contents;
    if (::stat(path.c_str(), &status) != 0 || !S_ISREG(status.st_mode) || !leaf::ReadFileBytes(path, contents))
        return S_OK;
    const std::string folder = leaf::path::FolderPart(path);
    for (const std::string& url : leaf::FindStyleSheetUrls(contents)) {
        CString target = DecodeUrlEscapes(CString(url));
        // A path crosses the interface as a zero-terminated string.
        const int nul = target.Find('\0');
        if (nul >= 0)
            target = target.Left(nul);
        target.Trim();
        if (target.IsEmpty())
            continue;
        const HRESULT added =
            host->AddDependency(leaf::Utf8ToUtf16(ResolveTarget(folder, target).str()).c_str(), nullptr);
        if (FAILED(added))
            return added;
    }
    return S_OK;
}

HRESULT CCssInputFilter::GetSize(LPCOLESTR sourcePath, LONG, LONG* units) {
    if (sourcePath == nullptr || units == nullptr)
        return E_POINTER;
    *units = 0;
    CFileStatus status;
    if (!CFile::GetStatus(Narrow(sourcePath).c_str(), status))
        return kPathNotFound;
    *units = status.m_size > 0x7FFFFFFF ? 0x7FFFFFFF : static_cast<LONG>(status.m_size);
    return S_OK;
}

HRESULT CCssInputFilter::Convert(LPCOLESTR sourcePath, LPCOLESTR destinationPath, LONG, IFilterHost* host) {
    m_host = host;
    if (sourcePath == nullptr || destinationPath == nullptr || host == nullptr)
        return E_POINTER;
    try {
        // The whole style sheet is read at once, so a line of any length (a minified
        // style sheet is one line) stays whole.
        std::string contents;
        {
            CFile source;
            if (!source.Open(Narrow(sourcePath).c_str(), CFile::modeRead | CFile::shareDenyNone))
                return kPathNotFound;
            char buffer[65536];
            for (UINT n = source.Read(buffer, sizeof buffer); n > 0; n = source.Read(buffer, sizeof buffer))
                contents.append(buffer, n);
            source.Close();
        }

        CFile destination;
        if (!destination.Open(Narrow(destinationPath).c_str(),
                              CFile::modeCreate | CFile::modeWrite | CFile::shareExclusive))
            return kCannotCreateDestination;

        // Relative url()s are read from the style sheet's own folder and written from its
        // copy's.
        if (m_links)
            m_links->SetPage(Narrow(destinationPath), Narrow(sourcePath));

        // Line by line; "\r\n" and "\n" both end a line, which is written as "\n".
        std::string out;
        size_t start = 0;
        while (start < contents.size()) {
            size_t end = contents.find('\n', start);
            bool ended = end != std::string::npos;
            if (!ended)
                end = contents.size();
            std::string line = contents.substr(start, end - start);
            if (!line.empty() && line.back() == '\r' && ended)
                line.pop_back();
            // The bytes the line took in the file, so that the steps add up to GetSize.
            size_t units = end - start + (ended ? 1 : 0);
            RewriteLine(line);
            if (m_links)
                line = m_links->MapStyleUrls(line);
            if (ended)
                line += '\n';
            destination.Write(line.data(), static_cast<UINT>(line.size()));
            start = ended ? end + 1 : end;
            if (FAILED(host->StepProgress(static_cast<LONG>(units)))) {
                destination.Abort();
                return E_ABORT;
            }
        }
        destination.Close();
        return S_OK;
    } catch (const CFileException&) {
        return E_FAIL;
    }
}

BOOL CCssInputFilter::RewriteLine(std::string& line) {
    std::string out;
    size_t i = 0;
    for (size_t p = line.find("color", i); p != std::string::npos; p = line.find("color", i)) {
        out.append(line, i, p + 5 - i);
        i = p + 5;
        bool colon = false;
        while (i < line.size() && (IsWhiteSpace(line[i]) || line[i] == ':')) {
            colon = colon || line[i] == ':';
            out += line[i++];
        }
        if (!colon)
            continue;
        size_t valueStart = i;
        while (i < line.size() && (IsHexDigit(line[i]) || line[i] == '#'))
            ++i;
        std::string value = line.substr(valueStart, i - valueStart);
        NormalizeColor(value, line, i);
        out += value;
    }
    out.append(line, i, std::string::npos);
    if (out == line)
        return FALSE;
    line = std::move(out);
    return TRUE;
}

BOOL CCssInputFilter::NormalizeColor(std::string& value, const std::string& line, size_t following) {
    if (value.empty())
        return FALSE;
    if (following < line.size() && IsKeywordCharacter(line[following]))
        return FALSE;  // only the beginning of a word such as a colour name
    std::string digits = value[0] == '#' ? value.substr(1) : value;
    // No digits, a '#' after the first place, or more digits than a colour has (an
    // eight-digit value carries transparency, which this form cannot keep): unchanged.
    if (digits.empty() || digits.size() > 6)
        return FALSE;
    for (char ch : digits)
        if (!IsHexDigit(ch))
            return FALSE;

    if (digits.size() == 3)
        digits = {digits[0], digits[0], digits[1], digits[1], digits[2], digits[2]};
    int components[3] = {0, 0, 0};
    size_t next = 0;
    for (int& component : components) {
        if (next + 1 < digits.size()) {
            component = HexValue(digits[next]) * 16 + HexValue(digits[next + 1]);
            next += 2;
        } else if (next < digits.size()) {
            component = HexValue(digits[next]);
            next += 1;
        }
    }
    char text[8];
    std::snprintf(text, sizeof text, "#%.2X%.2X%.2X", components[0], components[1], components[2]);
    if (leaf::EqualsNoCase(text, value))
        return FALSE;
    value = text;
    return TRUE;
}
