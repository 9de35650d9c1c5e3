#pragma once

// CBuildOutputPage (template 240): the e-book's file name and where it goes: the local
// reading program's library or a reading device's synchronised folder.

#include <vector>

#include "studio/project/BuildWizardPage.h"

class CBuildOutputPage : public CBuildWizardPage {
public:
    CBuildOutputPage();

    BOOL OnInitDialog() override;
    BOOL OnSetActive() override;
    BOOL OnKillActive() override;
    LRESULT OnWizardNext() override;

    // The browse button (1047).
    void OnBrowse();
    // The radio buttons 12004 and 12005.
    void OnDestination(BOOL toDevice);

    const CString& GetEBookPath() const { return m_strEBookPath; }
    BOOL IsBuildToDevice() const { return m_bBuildToDevice; }
    const CString& GetReaderPath() const { return m_strReaderPath; }

private:
    void ApplyDestination();
    // Moves the chosen folder to the top of the history (profile "Folder History %d" or
    // "CE Folder History %d"); `fixedEntries` combo entries before the history are skipped.
    void UpdateFolderHistory(BOOL device, const CString& comboText, const CString& folder);

    CString m_strReaderPath;
    CString m_strLibraryFolder;
    std::vector<CString> m_deviceFolders;
    CString m_strEBookPath;
    BOOL m_bBuildToDevice = FALSE;
};

// Moves `chosen` to the top of a five-entry history list (most recent first). `position`
// is the 1-based history entry that holds it already, or 0 when it is new.
void PushFolderHistory(std::vector<CString>& history, int position, const CString& chosen);
// TRUE when a file name holds a character a file name cannot hold.
BOOL HasInvalidFileNameCharacters(const char* name);
// Appends ".epub" (the e-book is an EPUB publication) unless the name already ends with
// ".epub" or with the system's older ".lit" (letter case ignored).
CString WithEBookExtension(const char* name);
