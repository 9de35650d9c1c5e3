#pragma once

// CTOCWizard: the Table of Contents wizard. Its pages collect where the table of contents
// goes, what its entries are made from (file titles, HTML headings, Word bookmarks), the
// heading tags of each level and the bookmark level, and the style; its progress page then
// runs the generation (CTOCGenerator) and its finish page ends it. The caller runs it
// modally; ID_WIZFINISH means the document was written, and GetTocPath tells where.

#include <memory>
#include <vector>

#include "platform/base/CString.h"
#include "platform/ui/PropertySheet.h"

class CLeafcraftDoc;
class CTOCSourcePage;
class CTOCImportPage;
class CTOCLevelPage;
class CTOCBookmarkPage;
class CTOCStylePage;
class CTOCProgressPage;
class CTOCFinishPage;

// The message the progress page posts to the sheet to start the run once it shows.
inline constexpr UINT WM_TOC_GENERATE = WM_USER + 500;

class CTOCWizard : public CPropertySheet {
public:
    CTOCWizard(CLeafcraftDoc* document, const char* proposedPath, CWnd* parent = nullptr);
    ~CTOCWizard() override;

    CLeafcraftDoc* GetDocument() const { return m_document; }
    // The table of contents' path: the proposal until the run starts, then the path page's.
    const CString& GetTocPath() const { return m_tocPath; }
    void SetTocPath(const CString& path) { m_tocPath = path; }

    // Generation: reads the pages' choices and the document's sources, writes the table of
    // contents, and presses Next (success) or Back (failure or cancel).
    void RunGenerate();

    CTOCSourcePage* GetSourcePage() const { return m_sourcePage.get(); }
    CTOCImportPage* GetImportPage() const { return m_importPage.get(); }
    CTOCLevelPage* GetLevelPage() const { return m_levelPage.get(); }
    CTOCBookmarkPage* GetBookmarkPage() const { return m_bookmarkPage.get(); }
    CTOCStylePage* GetStylePage() const { return m_stylePage.get(); }
    CTOCProgressPage* GetProgressPage() const { return m_progressPage.get(); }
    CTOCFinishPage* GetFinishPage() const { return m_finishPage.get(); }

    // The choices of the pages, as the run uses them.
    DWORD GetImportFlags() const;

    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;

private:
    CLeafcraftDoc* m_document;
    CString m_tocPath;
    std::unique_ptr<CTOCSourcePage> m_sourcePage;
    std::unique_ptr<CTOCImportPage> m_importPage;
    std::unique_ptr<CTOCLevelPage> m_levelPage;
    std::unique_ptr<CTOCBookmarkPage> m_bookmarkPage;
    std::unique_ptr<CTOCStylePage> m_stylePage;
    std::unique_ptr<CTOCProgressPage> m_progressPage;
    std::unique_ptr<CTOCFinishPage> m_finishPage;
    bool m_running = false;
};
