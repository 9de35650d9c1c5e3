#pragma once

#include "platform/base/CString.h"

// One item of the package manifest.
class CManifestItem {
public:
    CManifestItem() = default;
    CManifestItem(CString path, CString id, CString mediaType, CString fallback = {}, CString workPath = {},
                  CString mappedPath = {})
        : m_strPath(std::move(path)),
          m_strId(std::move(id)),
          m_strMediaType(std::move(mediaType)),
          m_strFallback(std::move(fallback)),
          m_strWorkPath(std::move(workPath)),
          m_strMappedPath(std::move(mappedPath))
    {
    }

    CString m_strPath;        // written as the item's href
    CString m_strId;
    CString m_strMediaType;
    CString m_strFallback;    // read from a package file; never written
    CString m_strWorkPath;    // the copy in the work folder
    CString m_strMappedPath;  // the file's name inside the package when it lives elsewhere
};
