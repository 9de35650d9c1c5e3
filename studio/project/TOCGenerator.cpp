#include "studio/project/TOCGenerator.h"

#include <sys/stat.h>

#include <algorithm>
#include <cstdio>

#include "common/ContentType.h"
#include "platform/ui/PeopleService.h"
#include "platform/ui/Resources.h"
#include "studio/project/HeadingAnchorer.h"
#include "studio/project/TOCWriter.h"

namespace {

constexpr UINT IDS_TOC_CANNOT_CREATE = 10129;
constexpr UINT IDS_TOC_EXTRACT_FAILED = 10133;
constexpr UINT IDS_TOC_UNEXPECTED = 10134;
constexpr LONGLONG kTitleUnits = 50;

bool HasType(const CString& type, const char* wanted) { return type.CompareNoCase(wanted) == 0; }

// The file's size in bytes; -1 when it cannot be read.
LONGLONG FileSize(const CString& path) {
    CFileStatus status;
    return CFile::GetStatus(path.c_str(), status) ? static_cast<LONGLONG>(status.m_size) : -1;
}

CString WithFragment(const CString& path, const CString& fragment) { return path + "#" + fragment; }

// Paths, file titles and bookmark names are plain text; heading text and ids come as
// their source wrote them, character references included.
CString AsHtml(const CString& text) { return CTOCWriter::EscapeText(text); }

// Whether a path names the file being written (the same file on disk, however spelled).
bool IsSameFile(const CString& path, const struct stat& written) {
    struct stat status {};
    return ::stat(path.c_str(), &status) == 0 && status.st_dev == written.st_dev && status.st_ino == written.st_ino;
}

}  // namespace

CTOCGenerator::CTOCGenerator(ProgressSink progress, BookmarkSource bookmarks)
    : m_progress(std::move(progress)), m_bookmarks(std::move(bookmarks)) {}

CTOCGenerator::~CTOCGenerator() = default;

BOOL CTOCGenerator::ProgressCallback(LONGLONG units, void* context) {
    return context ? static_cast<CTOCGenerator*>(context)->StepProgress(units) : FALSE;
}

BOOL CTOCGenerator::EntryCallback(int level, const CString& text, const CString& id, void* context) {
    if (!context) return FALSE;
    auto* self = static_cast<CTOCGenerator*>(context);
    return self->m_writer &&
           self->m_writer->AddEntry(level, text.c_str(), WithFragment(AsHtml(self->m_relativePath), id).c_str());
}

BOOL CTOCGenerator::StepProgress(LONGLONG units) {
    m_done += units;
    int percent = 100;
    if (m_total > 0) percent = static_cast<int>(std::clamp<LONGLONG>((m_done * 100 + m_total / 2) / m_total, 0, 100));
    const BOOL goOn = m_progress ? m_progress(percent, m_progressName) : TRUE;
    if (!goOn) m_cancelled = true;
    return goOn;
}

CTOCGenerator::Result CTOCGenerator::Run(const std::vector<CTOCSource>& sources, const CString& commonSourceFolder,
                                         const CString& tocPath, const CString& stylePath,
                                         const CTOCGenerationOptions& options) {
    m_errorText.Empty();
    m_cancelled = false;
    m_writer = std::make_unique<CTOCWriter>(stylePath.c_str());
    if (!m_writer->Open(tocPath.c_str())) {
        m_writer.reset();
        AfxMessageBox(leaf::ui::FormatResString(IDS_TOC_CANNOT_CREATE, tocPath.c_str()).c_str(), MB_OK | MB_ICONEXCLAMATION);
        return resultFailed;
    }

    size_t relativeStart = 0;
    if (!commonSourceFolder.IsEmpty()) {
        relativeStart = static_cast<size_t>(commonSourceFolder.GetLength());
        if (!commonSourceFolder.str().ends_with('/')) ++relativeStart;
    }
    BOOL succeeded = Generate(sources, relativeStart, tocPath, options);
    if (m_writer && !m_writer->Close()) succeeded = FALSE;
    m_writer.reset();
    if (succeeded) return resultSucceeded;

    if (!m_cancelled) {
        if (!m_errorText.IsEmpty()) {
            AfxMessageBox(leaf::ui::FormatResString(IDS_TOC_EXTRACT_FAILED, m_errorText.c_str()).c_str(),
                          MB_OK | MB_ICONEXCLAMATION);
        } else {
            AfxMessageBox(IDS_TOC_UNEXPECTED, MB_OK | MB_ICONEXCLAMATION);
        }
    }
    std::remove(tocPath.c_str());
    return m_cancelled ? resultCancelled : resultFailed;
}

BOOL CTOCGenerator::Generate(const std::vector<CTOCSource>& sources, size_t relativeStart, const CString& tocPath,
                             const CTOCGenerationOptions& options) {
    const bool titles = (options.m_importFlags & TOC_IMPORT_TITLES) != 0;
    const bool headings = (options.m_importFlags & TOC_IMPORT_HEADINGS) != 0;
    const bool bookmarks = (options.m_importFlags & TOC_IMPORT_BOOKMARKS) != 0;
    // A source outside the common folder (which the project does not allow) keeps its
    // whole path rather than losing characters of it.
    const auto relativeOf = [&](const CString& path) {
        if (relativeStart > 0 && relativeStart <= static_cast<size_t>(path.GetLength())) {
            return path.Mid(static_cast<int>(relativeStart));
        }
        return path;
    };

    // The table of contents may itself be one of the sources (a book lists its contents
    // page). Its headings are not read: the file is the one being written, and anchoring
    // it would put a copy in its place while the run still writes to it.
    struct stat written {};
    const bool haveWritten = ::stat(tocPath.c_str(), &written) == 0;
    const auto isOutput = [&](const CString& path) { return haveWritten && IsSameFile(path, written); };

    m_total = 0;
    m_done = 0;
    for (const CTOCSource& source : sources) {
        if (titles) m_total += kTitleUnits;
        const CString type = GetContentType(source.m_path);
        const bool html = HasType(type, "text/html") && !isOutput(source.m_path);
        const bool word = IsWordContentType(type) != FALSE;
        if ((headings && html) || (bookmarks && word)) m_total += std::max<LONGLONG>(FileSize(source.m_path), 0);
    }
    if (!sources.empty()) {
        m_progressName = relativeOf(sources.front().m_path);
        if (!StepProgress(0)) return FALSE;
    }

    CHeadingAnchorer anchorer(&CTOCGenerator::EntryCallback, &CTOCGenerator::ProgressCallback, this);
    for (const CTOCSource& source : sources) {
        m_relativePath = relativeOf(source.m_path);
        m_progressName = m_relativePath;
        const CString type = GetContentType(source.m_path);
        int levelBase = 1;
        if (titles) {
            levelBase = 2;
            if (!m_writer->AddEntry(1, AsHtml(source.m_title).c_str(), AsHtml(m_relativePath).c_str())) return FALSE;
            if (!StepProgress(kTitleUnits)) return FALSE;
        }
        if (headings && HasType(type, "text/html") && !isOutput(source.m_path)) {
            if (!anchorer.AnchorHeadings(source.m_path.c_str(), levelBase, options.m_headingTags,
                                         options.m_idBaseName.c_str())) {
                m_errorText = anchorer.GetErrorText();
                return FALSE;
            }
        }
        if (bookmarks && IsWordContentType(type)) {
            std::vector<CString> names;
            if (!m_bookmarks || !m_bookmarks(source.m_path, names)) names.clear();
            for (const CString& name : names) {
                const int level = levelBase - 1 + options.m_bookmarkLevel;
                if (!m_writer->AddEntry(level, AsHtml(name).c_str(), AsHtml(WithFragment(m_relativePath, name)).c_str()))
                    return FALSE;
            }
            if (const LONGLONG size = FileSize(source.m_path); size >= 0 && !StepProgress(size)) return FALSE;
        }
    }
    return TRUE;
}
