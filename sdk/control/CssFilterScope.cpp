#include "sdk/control/CssFilterScope.h"

#include "sdk/control/LeafcraftSDKControl.h"

namespace {

const char* const kExtension = ".css";

std::string ProgIdKey() { return leaf::ToLowerAscii(CCssFilterScope::kProgId); }

}  // namespace

CCssFilterScope::CCssFilterScope(CLeafcraftSDKControl& control) : m_control(control) {
    m_filter = std::make_unique<CCssInputFilter>();
    if (FAILED(m_filter->Initialize()))
        return;
    auto mapping = m_control.m_extensions.find(kExtension);
    if (mapping != m_control.m_extensions.end())
        m_previousMapping = mapping->second;
    m_control.m_filters[ProgIdKey()] = leaf::ComPtr<IInputFilter>(m_filter.get());
    m_control.m_extensions[kExtension] = ProgIdKey();
    m_registered = true;
}

CCssFilterScope::~CCssFilterScope() {
    if (m_registered) {
        m_control.m_filters.erase(ProgIdKey());
        if (m_previousMapping)
            m_control.m_extensions[kExtension] = *m_previousMapping;
        else
            m_control.m_extensions.erase(kExtension);
    }
}
