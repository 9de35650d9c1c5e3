#include "studio/project/LeafcraftDoc.h"

#include <optional>
#include <string>

#include "common/ContentType.h"
#include "platform/base/File.h"
#include "platform/base/FileKind.h"
#include "platform/base/Path.h"
#include "platform/ui/PeopleService.h"
#include "platform/ui/Resources.h"
#include "platform/ui/WaitCursor.h"
#include "platform/ui/WinApp.h"
#include "sdk/package/ManifestItem.h"
#include "sdk/package/PackageFile.h"
#include "studio/project/ApplicationLists.h"
#include "studio/project/AutoSaveHost.h"
#include "studio/project/MetaDataDefinition.h"
#include "studio/project/PathHelpers.h"
#include "studio/project/WordPropertyReader.h"
#include "studio/workspace/LocateSourceDlg.h"
#include "studio/workspace/WarningDlg.h"

IMPLEMENT_DYNCREATE(CLeafcraftDoc, CDocument)

namespace {

constexpr const char* kProductName = "Leafcraft";

// The key of a source path in the index of sources: the spelling on disk of an existing
// file (an exact name first), so that two files whose names differ only in case are two
// sources while other spellings of one file are that one; else the path as written.
std::string SourceKey(const CString& path)
{
    std::optional<std::string> onDisk = leaf::path::Resolve(path.str());
    return onDisk ? *onDisk : path.str();
}
constexpr const char* kTitleItem = "dc:Title";
constexpr const char* kCreatorItem = "dc:Creator";
constexpr const char* kPublisherItem = "dc:Publisher";

// The guide types that the project files of versions 1 to 4 kept as plain paths, in the
// order those files list them.
constexpr const char* kOldGuideTypes[] = {"toc", "other.ms-thumbimage", "other.ms-coverimage", "copyright-page"};

// A file that collects what a storing archive writes and puts it in place at once when
// committed (a temporary in the same folder renamed over the target): an interrupted
// auto-save never leaves a half-written copy. It reports the target's path, against which
// the records store their paths.
class CommitOnSuccessFile : public CFile {
public:
    explicit CommitOnSuccessFile(const CString& path) { m_strFileName = path; }
    void Write(const void* buffer, UINT count) override
    {
        if (count) m_contents.append(static_cast<const char*>(buffer), count);
    }
    void Flush() override {}
    void Close() override {}
    void Abort() override {}
    bool Commit() const { return leaf::WriteFileAtomically(m_strFileName.str(), m_contents); }

private:
    std::string m_contents;
};

// Paths stored in old files and in the folder field may use '\'.
CString NativePath(CString path)
{
    path.Replace('\\', '/');
    return path;
}

// The folder part of a path, ending in '/'; the whole path when it has none.
CString FolderWithSeparator(const CString& path)
{
    int slash = path.ReverseFind('/');
    return slash < 0 ? path : path.Left(slash + 1);
}

// A path below a folder; the root folder "/" takes no second separator.
CString BelowFolder(const CString& folder, const CString& rest)
{
    return folder.Right(1) == "/" ? folder + rest : folder + "/" + rest;
}

template <class Record>
void WriteRecordMap(CArchive& archive, const std::map<CString, std::unique_ptr<Record>>& map)
{
    archive.WriteCount(static_cast<DWORD>(map.size()));
    for (const auto& [key, record] : map) archive << key << static_cast<const CObject*>(record.get());
}

template <class Record>
void ReadRecordMap(CArchive& archive, std::map<CString, std::unique_ptr<Record>>& map, bool lowerKeys = false)
{
    DWORD count = archive.ReadCount();
    for (DWORD i = 0; i < count; ++i) {
        CString key;
        Record* record = nullptr;
        archive >> key >> record;
        std::unique_ptr<Record> owned(record);
        if (lowerKeys) key.MakeLower();
        if (owned) map[key] = std::move(owned);
    }
}

template <class Record>
void WriteRecordArray(CArchive& archive, const std::vector<std::unique_ptr<Record>>& array)
{
    archive.WriteCount(static_cast<DWORD>(array.size()));
    for (const auto& record : array) archive << static_cast<const CObject*>(record.get());
}

template <class Record>
void ReadRecordArray(CArchive& archive, std::vector<std::unique_ptr<Record>>& array)
{
    DWORD count = archive.ReadCount();
    for (DWORD i = 0; i < count; ++i) {
        Record* record = nullptr;
        archive >> record;
        array.emplace_back(record);
    }
}

BOOL ProfileSwitch(const char* entry)
{
    CWinApp* app = AfxGetApp();
    return app ? (app->GetProfileInt("Options", entry, 1) != 0) : TRUE;
}

}  // namespace

CLeafcraftDoc::CLeafcraftDoc()
{
    MapCommand(ID_FILE_SAVE, [this] { OnFileSave(); });
}

CLeafcraftDoc::~CLeafcraftDoc() = default;

CString CLeafcraftDoc::ArchivePath() const
{
    return m_strArchivePath;
}

// ---------------------------------------------------------------------------------------
// The project file

void CLeafcraftDoc::Serialize(CArchive& archive)
{
    if (archive.IsStoring()) {
        SerializeStore(archive);
    } else {
        SerializeLoad(archive);
    }
}

void CLeafcraftDoc::SerializeStore(CArchive& archive)
{
    archive << kFileVersion << m_strSourceFolder;
    WriteRecordArray(archive, m_sources);
    WriteRecordMap(archive, m_metaData);
    WriteRecordMap(archive, m_marketing);
    WriteRecordMap(archive, m_guideItems);
    archive << m_strEBookName << static_cast<DWORD>(m_bEmbedFonts);
    for (const auto& [font, choice] : m_fontChoices) {
        // A font named like the end mark would end the list early when read back.
        if (font.CompareNoCase(kFontListEnd) == 0 || choice == -1) continue;
        archive << font << static_cast<DWORD>(choice);
    }
    archive << CString(kFontListEnd) << static_cast<DWORD>(0xFFFFFFFF);
    WriteRecordArray(archive, m_tours);
    archive << m_strOutputFolder;
}

void CLeafcraftDoc::SerializeLoad(CArchive& archive)
{
    m_bEmbedFonts = 0;
    m_fontChoices.clear();
    DWORD version = 0;
    archive >> version;
    if (version == 0 || version > kFileVersion) throw CArchiveException(CArchiveException::badSchema);
    if (version < 5) {
        LoadOldVersion(archive, version);
        return;
    }

    archive >> m_strSourceFolder;
    m_strSourceFolder = NativePath(m_strSourceFolder);
    ReadRecordArray(archive, m_sources);
    ReadRecordMap(archive, m_metaData);
    ReadRecordMap(archive, m_marketing);
    ReadRecordMap(archive, m_guideItems, true);
    if (version > 5) archive >> m_strEBookName;
    if (version > 6) {
        DWORD flag = 0;
        archive >> flag;
        m_bEmbedFonts = flag ? 1 : 0;
    }
    if (version > 7) {
        // Pairs up to the end mark "???" or a choice of -1; both halves of every pair are
        // read, so the fields after the list stay in step.
        for (;;) {
            CString font;
            LONG choice = 0;
            archive >> font >> choice;
            if (font.CompareNoCase(kFontListEnd) == 0 || choice == -1) break;
            m_fontChoices[font] = choice;
        }
    }
    if (version > 8) ReadRecordArray(archive, m_tours);
    if (version >= 10) archive >> m_strOutputFolder;
}

void CLeafcraftDoc::LoadOldVersion(CArchive& archive, DWORD version)
{
    CString title, creator, role = "aut", fileAs;
    CString guidePaths[4];
    CString dropped;

    archive >> m_strSourceFolder;
    m_strSourceFolder = NativePath(m_strSourceFolder);
    ReadRecordArray(archive, m_sources);
    if (version <= 3) archive >> title >> creator;
    ReadRecordMap(archive, m_metaData);
    archive >> guidePaths[0] >> guidePaths[1] >> guidePaths[2];
    ReadRecordMap(archive, m_marketing);
    archive >> dropped >> dropped;
    if (version == 4) {
        archive >> guidePaths[3];
    } else {
        if (version > 1) archive >> role >> fileAs;
        if (version > 2) archive >> guidePaths[3];
    }

    if (version <= 3) {
        GetMetaData(kTitleItem, TRUE)->m_strValue = title;
        CLCMetaData* creatorItem = GetMetaData(kCreatorItem, TRUE);
        CString attributes;
        if (!role.IsEmpty() && !fileAs.IsEmpty()) {
            attributes.Format("role=\"%s\" file-as=\"%s\"", role.c_str(), fileAs.c_str());
        } else if (!role.IsEmpty()) {
            attributes.Format("role=\"%s\"", role.c_str());
        } else if (!fileAs.IsEmpty()) {
            attributes.Format("file-as=\"%s\"", fileAs.c_str());
        }
        creatorItem->m_attributes.resize(creatorItem->m_values.size());
        creatorItem->m_values.insert(creatorItem->m_values.begin(), creator);
        creatorItem->m_attributes.insert(creatorItem->m_attributes.begin(), attributes);
    }

    for (int i = 0; i < 4; ++i) {
        CLCCoverPage* item = GetGuideItem(kOldGuideTypes[i], TRUE);
        item->m_strPath = NativePath(guidePaths[i]);
        // A page the old file named is the user's own; without this the copyright page of
        // an old project would be read as "none" and silently left out of the book.
        if (!item->m_strPath.IsEmpty()) item->m_nMode = CLCCoverPage::modeUser;
    }
}

BOOL CLeafcraftDoc::SerializeToPath(const CString& path, BOOL load)
{
    CWaitCursor wait;
    CString previousArchivePath = m_strArchivePath;
    m_strArchivePath = path;
    BOOL result = FALSE;
    try {
        if (load) {
            CFile file;
            if (file.Open(path.c_str(), CFile::modeRead | CFile::shareDenyWrite)) {
                DeleteContents();
                CArchive archive(&file, CArchive::load, 4096);
                archive.m_pDocument = this;
                Serialize(archive);
                archive.Close();
                file.Close();
                RebuildSourceIndex();
                result = TRUE;
            }
        } else {
            CommitOnSuccessFile file(path);
            {
                CArchive archive(&file, CArchive::store, 4096);
                archive.m_pDocument = this;
                Serialize(archive);
                archive.Close();
            }
            result = file.Commit() ? TRUE : FALSE;
        }
    } catch (...) {
        // A copy that cannot be read leaves no half-read project behind.
        if (load) DeleteContents();
        result = FALSE;
    }
    m_strArchivePath = previousArchivePath;
    return result;
}

// ---------------------------------------------------------------------------------------
// Life cycle

void CLeafcraftDoc::DeleteContents()
{
    m_strSourceFolder.Empty();
    m_sourceIndex.clear();
    m_strEBookName.Empty();
    m_strOutputFolder.Empty();
    m_sources.clear();
    m_metaData.clear();
    m_marketing.clear();
    m_guideItems.clear();
    m_tours.clear();
    m_bEmbedFonts = 0;
    m_fontChoices.clear();
}

BOOL CLeafcraftDoc::OnNewDocument()
{
    if (!CDocument::OnNewDocument()) return FALSE;

    for (const auto& definition : leaf::GetApplicationLists().m_metaDataDefinitions) {
        if (definition->m_nPromptType != CMetaDataDefinition::promptList &&
            definition->m_nPromptType != CMetaDataDefinition::promptListMultiselect)
            continue;
        if (definition->m_strDefaultChoice.IsEmpty()) continue;
        CLCMetaData* item = GetMetaData(definition->m_strName, TRUE);
        const CString& defaults = definition->m_strDefaultChoice;
        int start = 0;
        for (;;) {
            int end = defaults.Find("\\n", start);
            CString piece = end < 0 ? defaults.Mid(start) : defaults.Mid(start, end - start);
            piece.Trim();
            if (!piece.IsEmpty()) item->AddValue(piece);
            if (end < 0) break;
            start = end + 2;
        }
    }

    if (leaf::AutoSaveHost* host = leaf::GetAutoSaveHost()) host->TakeAutoSaveCopy();
    return TRUE;
}

BOOL CLeafcraftDoc::OnOpenDocument(const char* path)
{
    m_strArchivePath = path ? path : "";
    BOOL loaded = CDocument::OnOpenDocument(path);
    m_strArchivePath.Empty();
    if (!loaded) return FALSE;

    CString stored = m_strSourceFolder;
    if (UpdateSourceFolder() != stored) SetModifiedFlag();

    CString projectPath = NativePath(path ? path : "");
    CString current = m_strSourceFolder;
    if (!m_sources.empty() && !current.IsEmpty()) {
        CString found = FindSourceFolder(projectPath, stored.IsEmpty() ? current : stored);
        if (found.CompareNoCase(current) != 0) {
            RebaseSources(current, found);
            m_strSourceFolder = found;
            SetModifiedFlag();
        }
    }

    RebuildSourceIndex();
    if (leaf::AutoSaveHost* host = leaf::GetAutoSaveHost()) host->TakeAutoSaveCopy();
    return TRUE;
}

CString CLeafcraftDoc::FindSourceFolder(const CString& projectPath, const CString& storedFolder)
{
    const CString current = m_strSourceFolder;
    CString candidate = current;
    for (int pass = 0;; ++pass) {
        for (const auto& source : m_sources) {
            if (!source) continue;
            const CString& sourcePath = source->m_strPath;
            if (sourcePath.GetLength() <= current.GetLength()) continue;
            CString rest = sourcePath.Mid(current.GetLength() + 1);
            if (FileExists(BelowFolder(candidate, rest).c_str())) return candidate;
        }
        if (pass == 0) {
            int slash = projectPath.ReverseFind('/');
            candidate = slash < 0 ? CString() : projectPath.Left(slash);
            continue;
        }
        CString chosen;
        if (!LocateSourceFolder(projectPath, storedFolder, chosen)) return candidate;
        candidate = chosen;
        while (candidate.GetLength() > 1 && candidate.Right(1) == "/") candidate = candidate.Left(candidate.GetLength() - 1);
    }
}

void CLeafcraftDoc::RebaseSources(const CString& from, const CString& to)
{
    auto rebase = [&](CString& path) {
        if (path.GetLength() > from.GetLength() && leaf::StartsWithNoCase(path.str(), from.str()) &&
            path[from.GetLength()] == '/') {
            path = BelowFolder(to, path.Mid(from.GetLength() + 1));
        }
    };
    for (auto& source : m_sources) {
        if (source) rebase(source->m_strPath);
    }
    for (auto& [type, item] : m_guideItems) rebase(item->m_strPath);
    for (auto& tour : m_tours) {
        if (!tour) continue;
        for (auto& site : tour->m_sites) {
            if (site) rebase(site->m_strHref);
        }
    }
}

BOOL CLeafcraftDoc::OnSaveDocument(const char* path)
{
    if (path && FileExists(path)) {
        BYTE attributes = 0;
        if (leaf::GetFileAttributes(path, attributes) && (attributes & CFile::readOnly)) {
            AfxMessageBox(leaf::ui::FormatResString(10161, path).c_str(), MB_OK | MB_ICONEXCLAMATION);
            return FALSE;
        }
    }
    m_strArchivePath = path ? path : "";
    BOOL saved = CDocument::OnSaveDocument(path);
    m_strArchivePath.Empty();
    if (saved) {
        if (leaf::AutoSaveHost* host = leaf::GetAutoSaveHost()) host->TakeAutoSaveCopy();
    }
    return saved;
}

void CLeafcraftDoc::OnFileSave()
{
    const CString& path = GetPathName();
    if (!path.IsEmpty() && FileExists(path.c_str())) {
        BYTE attributes = 0;
        if (leaf::GetFileAttributes(path.c_str(), attributes) && (attributes & CFile::readOnly)) {
            AfxMessageBox(leaf::ui::FormatResString(10161, path.c_str()).c_str(), MB_OK | MB_ICONEXCLAMATION);
            return;
        }
    }
    CDocument::OnFileSave();
}

void CLeafcraftDoc::OnCloseDocument()
{
    if (leaf::AutoSaveHost* host = leaf::GetAutoSaveHost()) host->StopAutoSave();
    CDocument::OnCloseDocument();   // may delete this document
}

// ---------------------------------------------------------------------------------------
// Sources

CLCSourceFile* CLeafcraftDoc::GetSourceFile(int index) const
{
    if (index < 0 || index >= GetSourceCount()) return nullptr;
    return m_sources[static_cast<size_t>(index)].get();
}

BOOL CLeafcraftDoc::IsSourceFile(const CString& path) const
{
    if (m_sourceIndex.count(SourceKey(path))) return TRUE;
    // A file that is not there (any more) is known by its name without regard to case.
    if (leaf::path::Resolve(path.str())) return FALSE;
    for (const std::string& source : m_sourceIndex)
        if (leaf::EqualsNoCase(source, path.str())) return TRUE;
    return FALSE;
}

BOOL CLeafcraftDoc::AddSourceFile(const CString& path, int index, int* duplicateCounter)
{
    if (IsSourceFile(path)) {
        if (duplicateCounter) ++*duplicateCounter;
        return FALSE;
    }
    // Refused before the title readers open it: reading a FIFO waits for a writer.
    if (leaf::KindOfFileFound(path.str()) == leaf::FileKind::Special) return FALSE;

    CString title;
    CString contentType = GetContentType(path);
    if (contentType.CompareNoCase("text/html") == 0) {
        if (ProfileSwitch("Extract HTML Titles")) m_titleExtractor.GetTitle(path, title);
    } else if (IsWordContentType(contentType)) {
        if (ProfileSwitch("Extract Word Titles")) title = ReadWordTitle(path);
    }
    if (title.IsEmpty()) {
        int slash = path.ReverseFind('/');
        title = slash < 0 ? path : path.Mid(slash + 1);
    }

    auto source = std::make_unique<CLCSourceFile>(path, title);
    if (index < 0) index = GetSourceCount();
    size_t at = static_cast<size_t>(index);
    if (at > m_sources.size()) m_sources.resize(at);
    m_sources.insert(m_sources.begin() + static_cast<std::ptrdiff_t>(at), std::move(source));
    m_sourceIndex.insert(SourceKey(path));
    SetModifiedFlag();
    return TRUE;
}

BOOL CLeafcraftDoc::RemoveSourceFile(int index)
{
    CLCSourceFile* source = GetSourceFile(index);
    if (!source) return FALSE;
    m_sources.erase(m_sources.begin() + index);
    // Built again rather than erased by key: a file that has gone since it was entered
    // no longer has the key it was entered under.
    RebuildSourceIndex();
    SetModifiedFlag();
    return TRUE;
}

CString CLeafcraftDoc::UpdateSourceFolder()
{
    CString candidate;
    bool first = true;
    for (const auto& source : m_sources) {
        if (!source) continue;
        CString folder = FolderWithSeparator(source->m_strPath);
        if (first) {
            candidate = folder;
            first = false;
            continue;
        }
        if (candidate.GetLength() > folder.GetLength()) candidate = candidate.Left(folder.GetLength());
        for (int i = 0; i < candidate.GetLength(); ++i) {
            if (leaf::AsciiToUpper(candidate[i]) != leaf::AsciiToUpper(folder[i])) {
                candidate = candidate.Left(i);
                break;
            }
        }
        int slash = candidate.ReverseFind('/');
        candidate = slash < 0 ? CString() : candidate.Left(slash + 1);
    }
    int slash = candidate.ReverseFind('/');
    if (slash >= 0) candidate = candidate.Left(slash);
    m_strSourceFolder = candidate;
    return m_strSourceFolder;
}

void CLeafcraftDoc::RebuildSourceIndex()
{
    m_sourceIndex.clear();
    for (const auto& source : m_sources) {
        if (source) m_sourceIndex.insert(SourceKey(source->m_strPath));
    }
}

// ---------------------------------------------------------------------------------------
// Metadata, guide items, tours, names

CLCMetaData* CLeafcraftDoc::GetMetaData(const CString& name, BOOL create)
{
    auto found = m_metaData.find(name);
    if (found != m_metaData.end()) return found->second.get();
    if (!create) return nullptr;
    auto& slot = m_metaData[name];
    slot = std::make_unique<CLCMetaData>();
    return slot.get();
}

CString CLeafcraftDoc::GetTitle()
{
    return GetMetaData(kTitleItem, TRUE)->m_strValue;
}

void CLeafcraftDoc::SetTitle(const CString& title)
{
    GetMetaData(kTitleItem, TRUE)->m_strValue = title;
}

CString CLeafcraftDoc::GetPublisher()
{
    CLCMetaData* publisher = GetMetaData(kPublisherItem, FALSE);
    if (publisher && !publisher->m_strValue.IsEmpty()) return publisher->m_strValue;
    return kProductName;
}

const CMetaDataDefinition* CLeafcraftDoc::FindMetaDataDefinition(const CString& name) const
{
    return leaf::GetApplicationLists().FindMetaDataDefinition(name);
}

CLCCoverPage* CLeafcraftDoc::GetGuideItem(const CString& type, BOOL create)
{
    CString key = type;
    key.MakeLower();
    auto found = m_guideItems.find(key);
    if (found != m_guideItems.end()) return found->second.get();
    if (!create) return nullptr;
    auto& slot = m_guideItems[key];
    slot = std::make_unique<CLCCoverPage>(type);
    return slot.get();
}

CLCTour* CLeafcraftDoc::GetTour(int index) const
{
    if (index < 0 || index >= GetTourCount()) return nullptr;
    return m_tours[static_cast<size_t>(index)].get();
}

CString CLeafcraftDoc::GetDefaultEBookName()
{
    if (m_strEBookName.IsEmpty()) {
        CString name = GetTitle();
        for (char invalid : std::string("\\/:*?\"<>|")) name.Remove(invalid);
        if (name.IsEmpty()) name = "eBook";
        m_strEBookName.Format("%s.epub", name.c_str());
        SetModifiedFlag();
    }
    return m_strEBookName;
}

LONG CLeafcraftDoc::GetFontChoice(const CString& font) const
{
    CString key = font;
    key.MakeLower();
    auto found = m_fontChoices.find(key);
    return found == m_fontChoices.end() ? 0 : found->second;
}

void CLeafcraftDoc::SetFontChoice(const CString& font, LONG choice)
{
    CString key = font;
    key.MakeLower();
    if (choice == 0) {
        m_fontChoices.erase(key);
    } else {
        m_fontChoices[key] = choice;
    }
    SetModifiedFlag();
}

// ---------------------------------------------------------------------------------------
// Package import

BOOL CLeafcraftDoc::ImportPackage(const CString& path)
{
    CPackageFile package;
    if (package.Read(path) < 0) {
        AfxMessageBox(leaf::ui::FormatResString(10125, path.c_str()).c_str(), MB_OK | MB_ICONEXCLAMATION);
        return FALSE;
    }

    for (int i = 0; i < package.GetManifestCount(); ++i) {
        if (!package.GetManifestItem(i)->m_strFallback.IsEmpty()) {
            if (ShowFallbackWarning() != IDOK) return FALSE;
            break;
        }
    }

    CString packageFolder = NativePath(path);
    int slash = packageFolder.ReverseFind('/');
    packageFolder = slash < 0 ? CString() : packageFolder.Left(slash);
    // Each spine page goes after the ones taken before it. A page the spine lists again
    // is taken once: it takes no position, so no empty slot is left in the list.
    int position = 0;
    for (int i = 0; i < package.GetSpineCount(); ++i) {
        CManifestItem* item = package.GetManifestItem(package.GetSpineItem(i));
        if (!item) continue;
        CString source = item->m_strPath;
        if (!IsAbsolutePath(source.c_str())) {
            CString joined;
            joined.Format("%s/%s", packageFolder.c_str(), source.c_str());
            source = joined;
        }
        NormalizePath(source);
        if (AddSourceFile(source, position, nullptr)) ++position;
    }
    UpdateSourceFolder();

    for (int i = 0; i < package.GetDCMetaCount(); ++i) {
        CDCMetaItem* record = package.GetDCMetaItem(i);
        const CMetaDataDefinition* definition = FindMetaDataDefinition(record->m_strName);
        if (!definition) continue;
        CLCMetaData* item = GetMetaData(record->m_strName, TRUE);
        if (definition->IsListType()) {
            item->AddValue(record->m_strValue, record->m_strAttributes);
        } else {
            item->m_strValue = record->m_strValue;
            item->m_strAttributes = record->m_strAttributes;
        }
    }
    SetModifiedFlag();
    return TRUE;
}

// ---------------------------------------------------------------------------------------
// Calls into the rest of the program

CString CLeafcraftDoc::ReadWordTitle(const CString& path)
{
    CString title;
    if (m_wordPropertyReader.GetProperty(path.c_str(), "Title", &title) < 0) title.Empty();
    return title;
}

BOOL CLeafcraftDoc::LocateSourceFolder(const CString& projectPath, const CString& storedFolder, CString& chosen)
{
    CLocateSourceDlg dialog(projectPath.c_str(), storedFolder.c_str(), storedFolder.c_str(), AfxGetMainWnd());
    if (dialog.DoModal() != IDOK) return FALSE;
    chosen = dialog.GetSourceFolder();
    return TRUE;
}

int CLeafcraftDoc::ShowFallbackWarning()
{
    CWarningDlg warning(CWarningDlg::IDD_FALLBACKS, "Fallbacks", AfxGetMainWnd());
    return warning.DoModal();
}
