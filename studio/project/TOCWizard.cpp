#include "studio/project/TOCWizard.h"

#include <QCoreApplication>
#include <QWidget>

#include "platform/ui/Resources.h"
#include "platform/ui/WaitCursor.h"
#include "studio/project/LeafcraftDoc.h"
#include "studio/project/TOCGenerator.h"
#include "studio/project/TOCStylePage.h"
#include "studio/project/TOCWizardPages.h"
#include "studio/project/WordBookmarkReader.h"

namespace {
constexpr UINT IDS_TOC_WIZARD = 514;
}

CTOCWizard::CTOCWizard(CLeafcraftDoc* document, const char* proposedPath, CWnd* parent)
    : CPropertySheet(leaf::ui::LoadResString(IDS_TOC_WIZARD).c_str(), parent),
      m_document(document),
      m_tocPath(proposedPath ? proposedPath : ""),
      m_sourcePage(std::make_unique<CTOCSourcePage>()),
      m_importPage(std::make_unique<CTOCImportPage>()),
      m_levelPage(std::make_unique<CTOCLevelPage>()),
      m_bookmarkPage(std::make_unique<CTOCBookmarkPage>()),
      m_stylePage(std::make_unique<CTOCStylePage>()),
      m_progressPage(std::make_unique<CTOCProgressPage>()),
      m_finishPage(std::make_unique<CTOCFinishPage>()) {
    SetWizardMode();
    AddPage(m_sourcePage.get());
    AddPage(m_importPage.get());
    AddPage(m_levelPage.get());
    AddPage(m_bookmarkPage.get());
    AddPage(m_stylePage.get());
    AddPage(m_progressPage.get());
    AddPage(m_finishPage.get());
}

CTOCWizard::~CTOCWizard() {
    // The pages go with this object; the sheet must not reach them afterwards.
    while (GetPageCount() > 0) RemovePage(GetPageCount() - 1);
}

DWORD CTOCWizard::GetImportFlags() const {
    const bool shown = m_importPage->GetWidget() != nullptr;
    if (!shown) return m_importPage->GetImportFlags();
    DWORD flags = 0;
    if (m_importPage->IsDlgButtonChecked(CTOCImportPage::IDC_TITLES)) flags |= TOC_IMPORT_TITLES;
    if (m_importPage->IsDlgButtonChecked(CTOCImportPage::IDC_HEADINGS)) flags |= TOC_IMPORT_HEADINGS;
    if (m_importPage->IsDlgButtonChecked(CTOCImportPage::IDC_BOOKMARKS)) flags |= TOC_IMPORT_BOOKMARKS;
    return flags;
}

LRESULT CTOCWizard::WindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_TOC_GENERATE) {
        RunGenerate();
        return 0;
    }
    return CPropertySheet::WindowProc(message, wParam, lParam);
}

void CTOCWizard::RunGenerate() {
    // The progress page starts the run once each time it becomes active.
    if (m_running || GetActivePage() != m_progressPage.get()) return;
    m_running = true;
    BOOL succeeded = FALSE;
    {
        CWaitCursor wait;
        if (QWidget* window = GetWidget()) window->repaint();
        m_tocPath = m_sourcePage->GetPath();

        std::vector<CTOCSource> sources;
        CString sourceFolder;
        if (m_document) {
            sourceFolder = m_document->m_strSourceFolder;
            for (const auto& source : m_document->m_sources) {
                if (source) sources.push_back({source->m_strPath, source->m_strTitle});
            }
        }
        CTOCGenerationOptions options;
        options.m_importFlags = GetImportFlags();
        options.m_headingTags = m_levelPage->GetHeadingTags();
        options.m_idBaseName = m_levelPage->GetIdBaseName();
        options.m_bookmarkLevel = m_bookmarkPage->GetBookmarkLevel();

        // Word starts with the first bookmark list and quits when the run ends.
        CWordBookmarkReader bookmarkReader;
        CTOCGenerator generator(
            [this](int percent, const CString& name) {
                // Waiting messages first, so that the wizard stays live and Cancel works.
                QCoreApplication::processEvents(QEventLoop::AllEvents);
                return m_progressPage->SetProgress(percent, name);
            },
            [&bookmarkReader](const CString& path, std::vector<CString>& names) {
                return SUCCEEDED(bookmarkReader.GetBookmarks(path.c_str(), &names)) ? TRUE : FALSE;
            });
        succeeded = generator.Run(sources, sourceFolder, m_tocPath, m_stylePage->GetStylePath(), options) ==
                    CTOCGenerator::resultSucceeded;
        bookmarkReader.Close();
    }
    m_running = false;
    // The progress page shows no active button; the run leaves it through Next or Back.
    if (GetActivePage() == m_progressPage.get()) {
        SetWizardButtons(PSWIZB_BACK | PSWIZB_NEXT);
        PressButton(succeeded ? PSBTN_NEXT : PSBTN_BACK);
    }
}
