#pragma once

// CRunScope: marks one run of the control (a preparation or a build) for as long as it
// lives. It sets the run's flag, holds a reference to the control so that a client that
// releases the control from an event handler cannot free it under the running loop, and
// on every way out (return or exception) clears the flag before it lets go.

#include "platform/base/Types.h"
#include "platform/com/Unknown.h"

class CRunScope {
public:
    CRunScope(IUnknown* control, BOOL& runFlag) : m_keepAlive(control), m_runFlag(runFlag) { m_runFlag = TRUE; }
    ~CRunScope() { m_runFlag = FALSE; }

    CRunScope(const CRunScope&) = delete;
    CRunScope& operator=(const CRunScope&) = delete;

private:
    // Declared first, so it is released last, after the flag is cleared.
    leaf::ComPtr<IUnknown> m_keepAlive;
    BOOL& m_runFlag;
};
