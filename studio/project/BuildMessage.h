#pragma once

// CBuildMessage: one message of a build (a compiler message) as the Build eBook wizard
// records it for its pages and the details report.

#include "platform/base/CString.h"

class CBuildMessage {
public:
    enum Type : LONG { kError = 0, kWarning = 1 };  // any other value: a plain message

    CBuildMessage() = default;
    CBuildMessage(LONG type, LONG code, const char* text, const char* filePath, LONG lineNumber)
        : m_nType(type), m_nCode(code), m_strMessage(text), m_strFilePath(filePath), m_nLineNum(lineNumber) {}

    LONG m_nType = 0;
    LONG m_nCode = 0;
    CString m_strMessage;
    CString m_strFilePath;
    LONG m_nLineNum = 0;  // below 1: none
};

// Compiler messages the program never records: codes 4100-4499 and 1106.
BOOL IsIgnoredBuildMessage(LONG code);
