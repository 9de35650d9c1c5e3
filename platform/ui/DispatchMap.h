#pragma once

// Dispatch maps for objects in the program: a command target (the application object, a
// document) that enables automation answers IDispatch calls from its class's dispatch
// table (leaf::DispatchTable of the COM runtime: dispatch ids, argument coercion,
// optional arguments, DISP_E_* errors).
//
//   class CLeafcraftApp : public CWinApp {
//   public:
//       CLeafcraftApp() { EnableAutomation<CLeafcraftApp>(); }
//       static const leaf::DispatchTable<CLeafcraftApp>& GetDispatchTable();
//       leaf::Variant SelectEmbeddedFonts(const leaf::DispatchArguments&);
//   };
//
// The IDispatch is a reference-counted object of its own. It does not keep the target
// alive: once the target is destroyed, calls through references still held elsewhere
// answer CO_E_OBJNOTCONNECTED instead of reaching a dead object.

#include "platform/com/DispatchTable.h"
#include "platform/com/TypeLib.h"
#include "platform/ui/CmdTarget.h"

namespace leaf::ui {

inline constexpr HRESULT CO_E_OBJNOTCONNECTED_VALUE = static_cast<HRESULT>(0x800401FDu);

template <class T>
class CmdTargetDispatch final : public leaf::ComObject<CmdTargetDispatch<T>, IDispatch> {
public:
    explicit CmdTargetDispatch(T* target) : m_target(target) {}
    void Disconnect() { m_target = nullptr; }

    HRESULT GetTypeInfoCount(UINT* count) override {
        if (!count) return E_POINTER;
        *count = 1;
        return S_OK;
    }
    HRESULT GetTypeInfo(UINT index, LCID, ITypeInfo** typeInfo) override {
        if (!typeInfo) return E_POINTER;
        *typeInfo = nullptr;
        if (index != 0) return DISP_E_BADINDEX;
        return leaf::CreateTypeInfoFromDescription(T::GetDispatchTable().Description(), typeInfo);
    }
    HRESULT GetIDsOfNames(REFIID riid, LPOLESTR* names, UINT count, LCID, DISPID* ids) override {
        if (riid != IID_NULL) return DISP_E_UNKNOWNINTERFACE;
        return leaf::GetIDsOfNamesFromDescription(T::GetDispatchTable().Description(), names, count, ids);
    }
    HRESULT Invoke(DISPID dispid, REFIID riid, LCID, WORD flags, DISPPARAMS* params, VARIANT* result,
                   EXCEPINFO* exception, UINT* argumentError) override {
        if (riid != IID_NULL) return DISP_E_UNKNOWNINTERFACE;
        if (!m_target) return CO_E_OBJNOTCONNECTED_VALUE;
        leaf::ComPtr<CmdTargetDispatch> keepAlive(this);
        return T::GetDispatchTable().Invoke(*m_target, dispid, flags, params, result, exception, argumentError);
    }

protected:
    void* QueryOtherInterface(REFIID riid) override {
        if (riid == T::GetDispatchTable().Description().iid) return static_cast<IDispatch*>(this);
        return nullptr;
    }

private:
    T* m_target;
};

template <class T>
class CmdTargetAutomation final : public AutomationFace {
public:
    explicit CmdTargetAutomation(T* target) : m_dispatch(new CmdTargetDispatch<T>(target)) {}
    ~CmdTargetAutomation() override { m_dispatch->Disconnect(); }
    IDispatch* Dispatch() override { return m_dispatch.Get(); }

private:
    leaf::ComPtr<CmdTargetDispatch<T>> m_dispatch;
};

}  // namespace leaf::ui

template <class T>
void CCmdTarget::EnableAutomation() {
    m_automation = std::make_unique<leaf::ui::CmdTargetAutomation<T>>(static_cast<T*>(this));
}
