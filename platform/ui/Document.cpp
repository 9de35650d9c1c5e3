#include "platform/ui/Document.h"

#include <algorithm>
#include <cerrno>
#include <filesystem>
#include <string>

#include "platform/base/Archive.h"
#include "platform/base/File.h"
#include "platform/ui/DocTemplate.h"
#include "platform/ui/FrameWnd.h"
#include "platform/ui/FrameworkStrings.h"
#include "platform/ui/PeopleService.h"
#include "platform/ui/WaitCursor.h"
#include "platform/ui/WinApp.h"

using namespace leaf::ui;

namespace {

// A file that collects what an archive stores and puts it in place at once: the bytes go
// to a temporary file in the target's folder that is renamed over the target, so a failed
// store never leaves a half-written file or loses the old one.
class AtomicStoreFile : public CFile {
public:
    explicit AtomicStoreFile(const char* path) : m_path(path ? path : "") {}
    void Write(const void* buffer, UINT count) override {
        if (count) m_contents.append(static_cast<const char*>(buffer), count);
    }
    void Flush() override {}
    void Close() override {}
    void Commit() {
        leaf::AtomicFile file;
        if (!file.Open(m_path) || !file.Write(m_contents) || !file.Commit())
            CFileException::ThrowOsError(file.LastError() ? file.LastError() : EIO, m_path.c_str());
    }

private:
    std::string m_path;
    std::string m_contents;
};

// The file-name part of a path.
CString FileNameOf(const CString& path) {
    int slash = std::max(path.ReverseFind('/'), path.ReverseFind('\\'));
    return slash < 0 ? path : path.Mid(slash + 1);
}

}  // namespace

CDocument::CDocument() {
    MapCommand(ID_FILE_SAVE, [this] { OnFileSave(); });
    MapCommand(ID_FILE_SAVE_AS, [this] { OnFileSaveAs(); });
    MapCommand(ID_FILE_CLOSE, [this] { OnFileClose(); });
}

CDocument::~CDocument() {
    // Views still joined to the document forget it.
    for (CView* view : std::vector<CView*>(m_views)) view->SetDocument(nullptr);
    if (m_pDocTemplate) m_pDocTemplate->RemoveDocument(this);
}

void CDocument::SetTitle(const char* title) {
    m_title = title ? title : "";
    UpdateFrameCounts();
}

void CDocument::SetPathName(const char* path, BOOL addToMRU) {
    CString full(path ? path : "");
    if (!full.IsEmpty() && full[0] != '/') {
        std::string absolute = std::filesystem::absolute(std::filesystem::path(full.str())).lexically_normal().string();
        full = CString(absolute);
    }
    m_path = full;
    SetTitle(FileNameOf(full).c_str());
    if (addToMRU && !m_path.IsEmpty())
        if (CWinApp* app = AfxGetApp()) app->AddToRecentFileList(m_path.c_str());
}

void CDocument::AddView(CView* view) {
    if (!view || std::find(m_views.begin(), m_views.end(), view) != m_views.end()) return;
    m_views.push_back(view);
    if (view->GetDocument() != this) view->SetDocument(this);
}

void CDocument::RemoveView(CView* view) {
    auto it = std::find(m_views.begin(), m_views.end(), view);
    if (it == m_views.end()) return;
    m_views.erase(it);
    if (view->GetDocument() == this) view->SetDocument(nullptr);
}

POSITION CDocument::GetFirstViewPosition() const {
    // A position is the index of the next view plus one; null ends the walk.
    return m_views.empty() ? nullptr : reinterpret_cast<POSITION>(static_cast<std::uintptr_t>(1));
}

CView* CDocument::GetNextView(POSITION& position) const {
    auto index = reinterpret_cast<std::uintptr_t>(position);
    if (index == 0 || index > m_views.size()) {
        position = nullptr;
        return nullptr;
    }
    CView* view = m_views[index - 1];
    position = index < m_views.size() ? reinterpret_cast<POSITION>(index + 1) : nullptr;
    return view;
}

void CDocument::UpdateAllViews(CView* sender, LPARAM hint, CObject* hintObject) {
    for (CView* view : std::vector<CView*>(m_views))
        if (view != sender && std::find(m_views.begin(), m_views.end(), view) != m_views.end())
            view->OnUpdate(sender, hint, hintObject);
}

void CDocument::SendInitialUpdate() {
    for (CView* view : std::vector<CView*>(m_views))
        if (std::find(m_views.begin(), m_views.end(), view) != m_views.end()) view->OnInitialUpdate();
}

void CDocument::UpdateFrameCounts() {
    // The frames that show this document put its title into their captions.
    std::vector<CFrameWnd*> frames;
    for (CView* view : m_views)
        if (CFrameWnd* frame = view->GetParentFrame(); frame && std::find(frames.begin(), frames.end(), frame) == frames.end())
            frames.push_back(frame);
    for (CFrameWnd* frame : frames) frame->OnUpdateFrameTitle(TRUE);
}

void CDocument::Serialize(CArchive&) {}

void CDocument::DeleteContents() {}

BOOL CDocument::OnNewDocument() {
    DeleteContents();
    m_path.Empty();
    SetModifiedFlag(FALSE);
    return TRUE;
}

BOOL CDocument::OnOpenDocument(const char* path) {
    CFile file;
    CFileException openError;
    if (!file.Open(path, CFile::modeRead | CFile::shareDenyWrite, &openError)) {
        openError.m_strFileName = path ? path : "";
        ReportSaveLoadException(path, std::make_exception_ptr(openError), FALSE, AFX_IDP_FAILED_TO_OPEN_DOC);
        return FALSE;
    }
    DeleteContents();
    SetModifiedFlag(TRUE);   // dirty while loading
    try {
        CWaitCursor wait;
        CArchive archive(&file, CArchive::load | CArchive::bNoFlushOnDelete);
        archive.m_pDocument = this;
        Serialize(archive);
        archive.Close();
        file.Close();
    } catch (...) {
        std::exception_ptr error = std::current_exception();
        file.Abort();
        DeleteContents();
        ReportSaveLoadException(path, error, FALSE, AFX_IDP_FAILED_TO_OPEN_DOC);
        return FALSE;
    }
    SetModifiedFlag(FALSE);
    return TRUE;
}

BOOL CDocument::OnSaveDocument(const char* path) {
    try {
        CWaitCursor wait;
        AtomicStoreFile file(path);
        {
            CArchive archive(&file, CArchive::store | CArchive::bNoFlushOnDelete);
            archive.m_pDocument = this;
            Serialize(archive);
            archive.Close();
        }
        file.Commit();
    } catch (...) {
        ReportSaveLoadException(path, std::current_exception(), TRUE, AFX_IDP_FAILED_TO_SAVE_DOC);
        return FALSE;
    }
    SetModifiedFlag(FALSE);
    return TRUE;
}

void CDocument::OnCloseDocument() {
    // The frames that show the document go, and with them its views.
    BOOL autoDelete = m_bAutoDelete;
    m_bAutoDelete = FALSE;   // not while the frames go
    while (!m_views.empty()) {
        CView* view = m_views.front();
        CFrameWnd* frame = view->GetParentFrame();
        if (frame) frame->DestroyWindow();
        // A view outside a frame, or one its frame did not take along, leaves now.
        if (!m_views.empty() && m_views.front() == view) RemoveView(view);
    }
    m_bAutoDelete = autoDelete;
    DeleteContents();
    if (m_bAutoDelete) delete this;
}

BOOL CDocument::SaveModified() {
    if (!IsModified()) return TRUE;
    CString name = m_path.IsEmpty() ? m_title : FileNameOf(m_path);
    if (name.IsEmpty()) name = FrameworkString(AFX_IDS_UNTITLED);
    CString prompt = FormatFrameworkString(AFX_IDP_ASK_TO_SAVE, name.c_str());
    switch (AfxMessageBox(prompt.c_str(), MB_YESNOCANCEL, AFX_IDP_ASK_TO_SAVE)) {
        case IDCANCEL:
        case IDABORT: return FALSE;
        case IDYES: return DoFileSave();
        case IDNO: return TRUE;
        default: return FALSE;
    }
}

BOOL CDocument::CanCloseFrame(CFrameWnd*) { return SaveModified(); }

void CDocument::ReportSaveLoadException(const char* path, std::exception_ptr error, BOOL saving, UINT defaultPromptId) {
    UINT promptId = defaultPromptId;
    try {
        if (error) std::rethrow_exception(error);
    } catch (const CFileException& fileError) {
        switch (fileError.m_cause) {
            case CFileException::fileNotFound:
            case CFileException::badPath: promptId = AFX_IDP_FAILED_INVALID_PATH; break;
            case CFileException::diskFull: promptId = AFX_IDP_FAILED_DISK_FULL; break;
            case CFileException::accessDenied:
            case CFileException::sharingViolation:
                promptId = saving ? AFX_IDP_FAILED_ACCESS_WRITE : AFX_IDP_FAILED_ACCESS_READ;
                break;
            case CFileException::hardIO:
            case CFileException::endOfFile:
                promptId = saving ? AFX_IDP_FAILED_IO_ERROR_WRITE : AFX_IDP_FAILED_IO_ERROR_READ;
                break;
            default: break;
        }
    } catch (const CArchiveException& archiveError) {
        switch (archiveError.m_cause) {
            case CArchiveException::badSchema:
            case CArchiveException::badClass:
            case CArchiveException::badIndex:
            case CArchiveException::endOfFile: promptId = AFX_IDP_FAILED_INVALID_FORMAT; break;
            default: break;
        }
    } catch (...) {
    }
    AfxMessageBox(FormatFrameworkString(promptId, path).c_str(), MB_ICONEXCLAMATION, promptId);
}

BOOL CDocument::DoFileSave() {
    // A document without a path, or whose file is read-only or gone, asks for a name.
    CFileStatus status;
    bool writable = !m_path.IsEmpty() && CFile::GetStatus(m_path.c_str(), status) && !(status.m_attribute & CFile::readOnly);
    if (!writable) return DoSave(nullptr);
    return DoSave(m_path.c_str());
}

BOOL CDocument::DoSave(const char* path, BOOL replace) {
    CString newName(path ? path : "");
    if (newName.IsEmpty()) {
        newName = m_path;
        if (newName.IsEmpty()) {
            // The title without characters a file name cannot hold, with the extension.
            newName = m_title;
            for (char bad : std::string("/\\:*?\"<>|")) newName.Remove(bad);
            CString extension;
            if (m_pDocTemplate && m_pDocTemplate->GetDocString(extension, CDocTemplate::filterExt) &&
                !extension.IsEmpty() && newName.Right(extension.GetLength()).CompareNoCase(extension) != 0)
                newName += extension;
        }
        CWinApp* app = AfxGetApp();
        if (!app || !app->DoPromptFileName(newName, AFX_IDS_SAVEFILE, 0, FALSE, m_pDocTemplate)) return FALSE;
    }
    // A failed save leaves any existing file as it was (the store is atomic), so there is
    // nothing to clean up here.
    if (!OnSaveDocument(newName.c_str())) return FALSE;
    if (replace) SetPathName(newName.c_str());
    return TRUE;
}

void CDocument::OnFileSave() { DoFileSave(); }

void CDocument::OnFileSaveAs() { DoSave(nullptr); }

void CDocument::OnFileClose() {
    if (!SaveModified()) return;
    OnCloseDocument();
}
