#pragma once

// CCssFilterScope: registers a new built-in style-sheet filter with the control for
// ".css" (under the ProgID "CSS Leafcraft Input Filter") for as long as it lives, and on
// every way out removes it from the control's maps and deletes it. A registered filter
// that handled ".css" before gets its mapping back.

#include <memory>
#include <optional>
#include <string>

#include "sdk/control/CssInputFilter.h"

class CLeafcraftSDKControl;

class CCssFilterScope {
public:
    explicit CCssFilterScope(CLeafcraftSDKControl& control);
    ~CCssFilterScope();

    CCssFilterScope(const CCssFilterScope&) = delete;
    CCssFilterScope& operator=(const CCssFilterScope&) = delete;

    static constexpr const char* kProgId = "CSS Leafcraft Input Filter";

    CCssInputFilter& Filter() { return *m_filter; }

private:
    CLeafcraftSDKControl& m_control;
    std::unique_ptr<CCssInputFilter> m_filter;
    bool m_registered = false;
    std::optional<std::string> m_previousMapping;
};
