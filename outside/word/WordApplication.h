#pragma once

// Application: the object that "Word.Application" creates (Documents, Version, Quit).

#include <memory>

#include "outside/word/WordSession.h"
#include "platform/com/DispatchTable.h"

namespace wordstub {

class CWordApplication final : public leaf::DispatchImpl<CWordApplication> {
public:
    CWordApplication();
    static const leaf::DispatchTable<CWordApplication>& GetDispatchTable();

private:
    leaf::Variant Documents(const leaf::DispatchArguments&);
    leaf::Variant Version(const leaf::DispatchArguments&);
    leaf::Variant Quit(const leaf::DispatchArguments&);

    std::shared_ptr<WordSession> m_session;
};

}  // namespace wordstub
