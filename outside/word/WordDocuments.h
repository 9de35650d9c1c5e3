#pragma once

// Application.Documents: the open documents (Count, Item), Add (a blank document), Open
// (an existing file, always read-only here) and Close (every document).

#include <memory>

#include "outside/word/WordSession.h"
#include "platform/com/DispatchTable.h"

namespace wordstub {

class CWordDocuments final : public leaf::DispatchImpl<CWordDocuments> {
public:
    explicit CWordDocuments(std::shared_ptr<WordSession> session) : m_session(std::move(session)) {}
    static const leaf::DispatchTable<CWordDocuments>& GetDispatchTable();

private:
    leaf::Variant Item(const leaf::DispatchArguments& arguments);
    leaf::Variant Count(const leaf::DispatchArguments&);
    leaf::Variant Add(const leaf::DispatchArguments&);
    leaf::Variant Open(const leaf::DispatchArguments& arguments);
    leaf::Variant Close(const leaf::DispatchArguments&);

    std::shared_ptr<WordSession> m_session;
};

}  // namespace wordstub
