#include "platform/ui/DocTemplate.h"

#include "platform/ui/FrameWnd.h"
#include "platform/ui/FrameworkStrings.h"
#include "platform/ui/PeopleService.h"
#include "platform/ui/Resources.h"
#include "platform/ui/WaitCursor.h"
#include "platform/ui/WinApp.h"

using namespace leaf::ui;

CDocTemplate::CDocTemplate(UINT resourceId, const CRuntimeClass* documentClass, const CRuntimeClass* frameClass,
                           const CRuntimeClass* viewClass)
    : m_resourceId(resourceId), m_documentClass(documentClass), m_frameClass(frameClass), m_viewClass(viewClass) {}

CDocTemplate::~CDocTemplate() = default;

BOOL CDocTemplate::GetDocString(CString& text, DocStringIndex index) const {
    text.Empty();
    CString all = LoadResString(m_resourceId);
    int field = 0;
    int start = 0;
    while (field < index) {
        int lineBreak = all.Find('\n', start);
        if (lineBreak < 0) return FALSE;
        start = lineBreak + 1;
        ++field;
    }
    int end = all.Find('\n', start);
    text = end < 0 ? all.Mid(start) : all.Mid(start, end - start);
    return !text.IsEmpty();
}

CString CDocTemplate::GetFileFilter() const {
    CString name, extension;
    if (!GetDocString(name, filterName) || !GetDocString(extension, filterExt)) return {};
    // The extension field may hold several extensions separated by ';'.
    CString patterns;
    int start = 0;
    while (start <= extension.GetLength()) {
        int end = extension.Find(';', start);
        CString one = end < 0 ? extension.Mid(start) : extension.Mid(start, end - start);
        one.Trim();
        if (!one.IsEmpty()) {
            if (!patterns.IsEmpty()) patterns += ";";
            patterns += "*" + one;
        }
        if (end < 0) break;
        start = end + 1;
    }
    return name + "|" + patterns + "|";
}

CDocument* CDocTemplate::CreateNewDocument() {
    if (!m_documentClass || !m_documentClass->m_pfnCreateObject) return nullptr;
    CObject* object = m_documentClass->CreateObject();
    auto* document = dynamic_cast<CDocument*>(object);
    if (!document) {
        delete object;
        return nullptr;
    }
    AddDocument(document);
    return document;
}

CFrameWnd* CDocTemplate::CreateNewFrame(CDocument* document, CFrameWnd*) {
    if (!m_frameClass || !m_frameClass->m_pfnCreateObject) return nullptr;
    CObject* object = m_frameClass->CreateObject();
    auto* frame = dynamic_cast<CFrameWnd*>(object);
    if (!frame) {
        delete object;
        return nullptr;
    }
    CCreateContext context;
    context.m_pCurrentDoc = document;
    context.m_pNewViewClass = m_viewClass;
    context.m_pNewDocTemplate = this;
    context.m_pCurrentFrame = frame;
    // Not deleting itself while it is made, so that a failed creation is cleaned up here.
    frame->m_bAutoDelete = FALSE;
    if (!frame->LoadFrame(m_resourceId, FWS_ADDTOTITLE | FWS_PREFIXTITLE, nullptr, &context)) {
        delete frame;
        return nullptr;
    }
    frame->m_bAutoDelete = TRUE;
    return frame;
}

void CDocTemplate::InitialUpdateFrame(CFrameWnd* frame, CDocument* document, BOOL makeVisible) {
    if (frame) frame->InitialUpdateFrame(document, makeVisible);
}

void CDocTemplate::AddDocument(CDocument* document) {
    if (document) document->m_pDocTemplate = this;
}

void CDocTemplate::RemoveDocument(CDocument* document) {
    if (document && document->m_pDocTemplate == this) document->m_pDocTemplate = nullptr;
}

CSingleDocTemplate::CSingleDocTemplate(UINT resourceId, const CRuntimeClass* documentClass,
                                       const CRuntimeClass* frameClass, const CRuntimeClass* viewClass)
    : CDocTemplate(resourceId, documentClass, frameClass, viewClass) {}

CSingleDocTemplate::~CSingleDocTemplate() {
    if (CDocument* document = m_document) {
        m_document = nullptr;
        CDocTemplate::RemoveDocument(document);
        for (CView* view : std::vector<CView*>(document->GetViews())) view->SetDocument(nullptr);
        delete document;
    }
}

void CSingleDocTemplate::AddDocument(CDocument* document) {
    CDocTemplate::AddDocument(document);
    m_document = document;
}

void CSingleDocTemplate::RemoveDocument(CDocument* document) {
    CDocTemplate::RemoveDocument(document);
    if (m_document == document) m_document = nullptr;
}

void CSingleDocTemplate::SetDefaultTitle(CDocument* document) {
    if (!document) return;
    CString title;
    if (!GetDocString(title, docName)) title = FrameworkString(AFX_IDS_UNTITLED);
    document->SetTitle(title.c_str());
}

CDocument* CSingleDocTemplate::OpenDocumentFile(const char* path, BOOL makeVisible) {
    CWinApp* app = AfxGetApp();
    CDocument* document = m_document;
    CFrameWnd* frame = nullptr;
    bool created = false;
    if (document) {
        // The one document is reused once it agrees to let its contents go.
        if (!document->SaveModified()) return nullptr;
        frame = app ? dynamic_cast<CFrameWnd*>(app->GetMainWnd()) : nullptr;
    } else {
        document = CreateNewDocument();
        if (!document) {
            AfxMessageBox(FrameworkString(AFX_IDP_FAILED_TO_CREATE_DOC).c_str());
            return nullptr;
        }
        created = true;
        frame = CreateNewFrame(document, nullptr);
        if (!frame) {
            AfxMessageBox(FrameworkString(AFX_IDP_FAILED_TO_CREATE_DOC).c_str());
            RemoveDocument(document);
            delete document;
            return nullptr;
        }
    }

    auto dropNew = [&] {
        // A document and frame made for this call go again.
        if (!created) return;
        document->m_bAutoDelete = FALSE;
        frame->DestroyWindow();
        RemoveDocument(document);
        delete document;
    };

    if (!path || !*path) {
        SetDefaultTitle(document);
        if (!document->OnNewDocument()) {
            dropNew();
            return nullptr;
        }
    } else {
        CWaitCursor wait;
        BOOL wasModified = document->IsModified();
        document->SetModifiedFlag(FALSE);   // a load that touches the contents marks it
        if (!document->OnOpenDocument(path)) {
            if (created) {
                dropNew();
            } else if (!document->IsModified()) {
                // The failure came before the old contents were touched.
                document->SetModifiedFlag(wasModified);
            } else {
                // The old contents are gone with the failed load: start an empty document.
                SetDefaultTitle(document);
                document->OnNewDocument();
                if (frame) frame->InitialUpdateFrame(document, makeVisible);
            }
            return nullptr;
        }
        document->SetPathName(path);
    }
    if (created && app && !app->m_pMainWnd) app->m_pMainWnd = frame;
    InitialUpdateFrame(frame, document, makeVisible);
    return document;
}

BOOL CSingleDocTemplate::SaveAllModified() { return m_document ? m_document->SaveModified() : TRUE; }

void CSingleDocTemplate::CloseAllDocuments(BOOL) {
    if (m_document) m_document->OnCloseDocument();
}
