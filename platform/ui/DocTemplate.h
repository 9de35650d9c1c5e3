#pragma once

// Document templates join a document class, a frame class and a view class under one
// resource id. The template's resource string holds seven fields separated by "\n":
// window title, document name, file-new name, filter name, filter extension, registry
// file type id, registry file type name (GetDocString). The frame is created from the
// same resource id (menu, accelerators, toolbar; LoadFrame).
//
// CSingleDocTemplate keeps one document and one frame: opening or starting another
// document reuses both, after the current document agreed to go (SaveModified).

#include <memory>

#include "platform/ui/View.h"

class CFrameWnd;

class CDocTemplate : public CCmdTarget {
public:
    enum DocStringIndex {
        windowTitle,
        docName,
        fileNewName,
        filterName,
        filterExt,
        regFileTypeId,
        regFileTypeName
    };

    CDocTemplate(UINT resourceId, const CRuntimeClass* documentClass, const CRuntimeClass* frameClass,
                 const CRuntimeClass* viewClass);
    ~CDocTemplate() override;

    UINT GetResourceID() const { return m_resourceId; }
    // One field of the template's string; FALSE (and empty) when it is missing or empty.
    virtual BOOL GetDocString(CString& text, DocStringIndex index) const;
    // "Filter name|*.ext|" for the file dialogs, "" without a filter.
    CString GetFileFilter() const;

    virtual CDocument* CreateNewDocument();
    // Creates the frame (LoadFrame with the template's id) with a context naming the
    // document and the view class; null (with the frame destroyed) on failure.
    virtual CFrameWnd* CreateNewFrame(CDocument* document, CFrameWnd* other);
    // Makes the frame's view active and sends the initial update to the frame's views.
    virtual void InitialUpdateFrame(CFrameWnd* frame, CDocument* document, BOOL makeVisible = TRUE);

    // Opens a file (path) or starts a new document (null path); the document or null.
    virtual CDocument* OpenDocumentFile(const char* path, BOOL makeVisible = TRUE) = 0;
    // "Untitled" unless the template names the document.
    virtual void SetDefaultTitle(CDocument* document) = 0;
    virtual void AddDocument(CDocument* document);
    virtual void RemoveDocument(CDocument* document);
    // Asks each modified document to save (SaveModified); FALSE when one refuses.
    virtual BOOL SaveAllModified() = 0;
    virtual void CloseAllDocuments(BOOL endSession) = 0;

    const CRuntimeClass* GetDocumentClass() const { return m_documentClass; }
    const CRuntimeClass* GetFrameClass() const { return m_frameClass; }
    const CRuntimeClass* GetViewClass() const { return m_viewClass; }

protected:
    UINT m_resourceId;
    const CRuntimeClass* m_documentClass;
    const CRuntimeClass* m_frameClass;
    const CRuntimeClass* m_viewClass;
};

class CSingleDocTemplate : public CDocTemplate {
public:
    CSingleDocTemplate(UINT resourceId, const CRuntimeClass* documentClass, const CRuntimeClass* frameClass,
                       const CRuntimeClass* viewClass);
    ~CSingleDocTemplate() override;

    CDocument* GetDocument() const { return m_document; }

    CDocument* OpenDocumentFile(const char* path, BOOL makeVisible = TRUE) override;
    void SetDefaultTitle(CDocument* document) override;
    void AddDocument(CDocument* document) override;
    void RemoveDocument(CDocument* document) override;
    BOOL SaveAllModified() override;
    void CloseAllDocuments(BOOL endSession) override;

private:
    CDocument* m_document = nullptr;
};
