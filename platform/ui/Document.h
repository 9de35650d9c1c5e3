#pragma once

// CDocument: the data of one open file, shown by one or more views. The class library's
// life cycle: File New runs DeleteContents then OnNewDocument; File Open runs
// DeleteContents, then Serialize with a loading archive over the file (OnOpenDocument);
// Save runs Serialize with a storing archive (OnOpenDocument's twin OnSaveDocument).
// A store writes the whole file under a temporary name in the target's folder and renames
// it into place, so a failed save never leaves a half-written file or loses the old one.
// A failed load or store is reported through the message-box service with the class
// library's messages ("Unexpected file format.", "Failed to open document.", ...) and
// answers FALSE.
//
// The document's path and title: SetPathName also sets the title to the file's name and
// puts the path on the application's recent-file list; the frame's caption follows the
// title ("<title> - <application>").

#include <exception>
#include <vector>

#include "platform/ui/CmdTarget.h"

class CArchive;
class CDocTemplate;
class CFrameWnd;
class CView;

// The position of an element in a list walked with GetFirst.../GetNext....
using POSITION = struct POSITION__*;

class CDocument : public CCmdTarget {
public:
    CDocument();
    ~CDocument() override;

    // Title and path.
    const CString& GetTitle() const { return m_title; }
    virtual void SetTitle(const char* title);
    const CString& GetPathName() const { return m_path; }
    // Sets the path (made absolute), the title (the file's name) and, with addToMRU, adds
    // the path to the application's recent-file list.
    virtual void SetPathName(const char* path, BOOL addToMRU = TRUE);
    CDocTemplate* GetDocTemplate() const { return m_pDocTemplate; }

    // The modified flag.
    BOOL IsModified() const { return m_modified; }
    void SetModifiedFlag(BOOL modified = TRUE) { m_modified = modified ? TRUE : FALSE; }

    // Views. A view adds itself when it is created for this document and removes itself
    // when it goes.
    void AddView(CView* view);
    void RemoveView(CView* view);
    POSITION GetFirstViewPosition() const;
    CView* GetNextView(POSITION& position) const;
    const std::vector<CView*>& GetViews() const { return m_views; }
    // Calls OnUpdate of every view except `sender`.
    void UpdateAllViews(CView* sender, LPARAM hint = 0, CObject* hintObject = nullptr);
    // Sends the initial update to every view.
    void SendInitialUpdate();

    // The life cycle (overridable).
    void Serialize(CArchive& archive) override;
    virtual void DeleteContents();
    virtual BOOL OnNewDocument();
    virtual BOOL OnOpenDocument(const char* path);
    virtual BOOL OnSaveDocument(const char* path);
    // Closes the document: destroys the frames of its views (the main frame of a
    // single-document program stays: only its views go), DeleteContents, and deletes
    // the document when it is auto-deleting.
    virtual void OnCloseDocument();
    // While modified: asks "Save changes to <title>?" (Yes/No/Cancel). Yes saves (FALSE
    // when that fails), No goes on, Cancel answers FALSE. TRUE when the caller may go on.
    virtual BOOL SaveModified();
    virtual BOOL CanCloseFrame(CFrameWnd* frame);
    // Reports a load or store failure; `error` is a CFileException, a CArchiveException
    // or another exception; `defaultPromptId` is 61697 (open) or 61698 (save).
    virtual void ReportSaveLoadException(const char* path, std::exception_ptr error, BOOL saving,
                                         UINT defaultPromptId);

    // Save: to the document's path when it has one and the file there is writable, else
    // through the Save As dialog.
    BOOL DoFileSave();
    // Saves under `path`; a null or empty path asks for a name with the Save As dialog.
    // With `replace` the document takes the new path and title. FALSE when cancelled or
    // when saving fails.
    virtual BOOL DoSave(const char* path, BOOL replace = TRUE);

    // Command handlers (ID_FILE_SAVE 57603, ID_FILE_SAVE_AS 57604, ID_FILE_CLOSE 57602);
    // the document's command map routes them here.
    void OnFileSave();
    void OnFileSaveAs();
    void OnFileClose();

    // Deleted by OnCloseDocument (and by its template) when set.
    BOOL m_bAutoDelete = TRUE;

protected:
    // Tells the frames that show this document that the title changed.
    void UpdateFrameCounts();

private:
    friend class CDocTemplate;
    BOOL m_modified = FALSE;
    CString m_title;
    CString m_path;
    CDocTemplate* m_pDocTemplate = nullptr;
    std::vector<CView*> m_views;
};
