#include "outside/word/WordSession.h"

#include <algorithm>

#include "outside/word/WordDocument.h"
#include "outside/word/WordServer.h"
#include "platform/com/DispatchTable.h"

namespace wordstub {

WordSession::WordSession() = default;
WordSession::~WordSession() = default;

void WordSession::Remove(const CWordDocument* document) {
    std::erase_if(documents, [document](const leaf::ComPtr<CWordDocument>& open) { return open.Get() == document; });
}

void WordSession::CheckRunning() const {
    if (quit)
        throw leaf::AutomationException(kWordErrorQuit, "The application has quit.", "Word");
}

}  // namespace wordstub
