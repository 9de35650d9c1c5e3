#pragma once

// The pages of the Table of Contents wizard (CTOCWizard): the common base and the pages
// for the path, what to import, heading levels, the bookmark level, the run's progress
// and the finish. The style page has its own file (TOCStylePage.h).
//
// Settings live in the profile section "TOC"; a page reads them when it is built and
// writes them when the user leaves it forward.

#include <array>
#include <memory>
#include <vector>

#include "platform/ui/PropertyPage.h"
#include "platform/ui/WaitCursor.h"

class CTOCWizard;

// Profile access for the wizard's settings (defaults without an application object).
namespace leaf::toc {
inline constexpr const char* kSection = "TOC";
int ProfileInt(const char* entry, int fallback);
CString ProfileString(const char* entry, const char* fallback);
void WriteProfileInt(const char* entry, int value);
void WriteProfileString(const char* entry, const char* value);
}  // namespace leaf::toc

class CTOCWizardPage : public CPropertyPage {
public:
    explicit CTOCWizardPage(UINT templateId) : CPropertyPage(templateId) {}
    CTOCWizard* GetWizard() const;

protected:
    // Sets the sheet's buttons when the page belongs to one.
    void SetWizardButtons(DWORD flags);
    // Selects the whole text of an edit field and gives it the focus.
    void FocusEdit(int id);
    // The heading level (1 to 6) an edit field holds; 0 when it holds none in range, after
    // the message `messageId` and with the field focused for correction.
    int ReadLevel(int editId, UINT messageId);
};

// Page 1 (template 250): the path of the table of contents to create.
class CTOCSourcePage : public CTOCWizardPage {
public:
    static constexpr int IDC_PATH = 1012;
    static constexpr int IDC_BROWSE = 1047;

    CTOCSourcePage();
    BOOL OnInitDialog() override;
    BOOL OnSetActive() override;
    BOOL OnKillActive() override;
    LRESULT OnWizardNext() override;

    CString GetPath() const;

private:
    void OnBrowse();
};

// Page 2 (template 251): file titles, HTML headings, Word bookmarks.
class CTOCImportPage : public CTOCWizardPage {
public:
    static constexpr int IDC_TITLES = 1002;
    static constexpr int IDC_HEADINGS = 1003;
    static constexpr int IDC_BOOKMARKS = 1004;

    CTOCImportPage();
    BOOL OnInitDialog() override;
    BOOL OnSetActive() override;
    LRESULT OnWizardNext() override;

    DWORD GetImportFlags() const { return m_importFlags; }
    BOOL HasHtmlSources() const { return !m_noHtmlSources; }
    BOOL HasWordSources() const { return !m_noWordSources; }

private:
    void OnHeadingsClicked();
    void OnBookmarksClicked();
    DWORD ReadFlags() const;

    DWORD m_importFlags;
    BOOL m_noHtmlSources = FALSE;
    BOOL m_noWordSources = FALSE;
};

// Page 3 (template 252): the deepest heading level, the tag of each level and the id base.
class CTOCLevelPage : public CTOCWizardPage {
public:
    static constexpr int IDC_LEVEL = 1023;
    static constexpr int IDC_LEVEL_SPIN = 1024;
    static constexpr int IDC_LEVEL_LIST = 1013;
    static constexpr int IDC_TAG = 1014;
    static constexpr int IDC_ID_BASE = 1132;
    static constexpr int kLevels = 6;

    CTOCLevelPage();
    BOOL OnInitDialog() override;
    BOOL OnSetActive() override;
    LRESULT OnWizardNext() override;
    LRESULT OnWizardBack() override;

    int GetImportLevel() const { return m_importLevel; }
    const CString& GetHeadingTag(int level) const;  // level 1 to 6
    // The tags of levels 1 to the import level, in level order.
    std::vector<CString> GetHeadingTags() const;
    const CString& GetIdBaseName() const { return m_idBaseName; }

    // Whether a tag name is one of the 40 inline (non-block) elements refused as headings.
    static bool IsNonBlockTag(const CString& name);

private:
    void OnLevelChanged();
    // Checks the tag in the edit field and stores it for the level shown; FALSE after a
    // message when it is refused.
    BOOL ValidateTag();

    int m_importLevel;
    std::array<CString, kLevels> m_tags;
    CString m_idBaseName = "TOC";
    int m_shownLevel = 0;  // index of the level whose tag the edit shows
};

// Page 4 (template 253): the entry level of Word bookmarks.
class CTOCBookmarkPage : public CTOCWizardPage {
public:
    static constexpr int IDC_LEVEL = 1023;
    static constexpr int IDC_LEVEL_SPIN = 1024;

    CTOCBookmarkPage();
    BOOL OnInitDialog() override;
    BOOL OnSetActive() override;
    LRESULT OnWizardNext() override;
    LRESULT OnWizardBack() override;

    int GetBookmarkLevel() const { return m_bookmarkLevel; }

private:
    int m_bookmarkLevel;
};

// Page 6 (template 255): the run's progress.
class CTOCProgressPage : public CTOCWizardPage {
public:
    static constexpr int IDC_PROGRESS = 1049;
    static constexpr int IDC_NAME = 1058;

    CTOCProgressPage();
    BOOL OnInitDialog() override;
    BOOL OnSetActive() override;
    BOOL OnKillActive() override;
    BOOL OnQueryCancel() override;

    // Shows the percentage and, when it changed, the name. FALSE once cancelled.
    BOOL SetProgress(int percent, const CString& name);
    BOOL IsCancelled() const { return m_cancelled; }

private:
    BOOL m_cancelled = FALSE;
    CString m_shownName;
    std::unique_ptr<CWaitCursor> m_waitCursor;
};

// Page 7 (template 256): done.
class CTOCFinishPage : public CTOCWizardPage {
public:
    CTOCFinishPage();
    BOOL OnSetActive() override;
    BOOL OnKillActive() override;
    LRESULT OnWizardBack() override;
};
