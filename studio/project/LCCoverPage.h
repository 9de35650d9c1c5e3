#pragma once

// CLCCoverPage: one guide item of a project (cover image, begin-reading link, ...), kept
// in the document under its lower-cased guide type.

#include "platform/base/Archive.h"
#include "platform/base/CString.h"

class CLCCoverPage : public CObject {
public:
    DECLARE_SERIAL(CLCCoverPage)

    // Guide item modes.
    enum Mode : LONG {
        modeDefault = 0,   // the built-in default file, when the guide type has one
        modeNone = 1,      // no guide item
        modeUser = 2       // the user's own file or link in m_strPath
    };

    CLCCoverPage() = default;
    // A new item for a guide type: "copyright-page" and "other.ms-firstpage" start with
    // no item, every other type with its default.
    explicit CLCCoverPage(const CString& guideType);

    void Serialize(CArchive& archive) override;

    CString m_strPath;
    LONG m_nMode = modeDefault;
    // Whether the path was stored absolute in the file it was loaded from (not written).
    BOOL m_bStoredAbsolute = FALSE;
};
