#pragma once

// The state one running Word stand-in shares between its application object and its
// documents collection: the documents that are open, and whether the application quit.

#include <vector>

#include "platform/com/Unknown.h"

namespace wordstub {

class CWordDocument;

struct WordSession {
    WordSession();
    ~WordSession();
    WordSession(const WordSession&) = delete;
    WordSession& operator=(const WordSession&) = delete;

    std::vector<leaf::ComPtr<CWordDocument>> documents;  // in the order they were opened
    bool quit = false;

    void Remove(const CWordDocument* document);
    // Raises an automation error once the application has quit.
    void CheckRunning() const;
};

}  // namespace wordstub
