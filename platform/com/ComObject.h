#pragma once

// leaf::ComObject: the IUnknown of a heap object that implements one or more
// interfaces. The reference count starts at zero (the creator's first AddRef, usually
// through ComPtr, makes it one) and the object deletes itself on its last Release.
// Every live object counts in the module's live-object count (see ModuleLock.h), which
// DllCanUnloadNow reads.
//
//   class Collection final : public leaf::ComObject<Collection, IDispatch> { ... };
//   leaf::ComPtr<Collection> collection(new Collection(...));

#include <type_traits>

#include "platform/com/Dispatch.h"
#include "platform/com/ModuleLock.h"
#include "platform/com/Unknown.h"

namespace leaf {

template <class Derived, class FirstInterface, class... OtherInterfaces>
class ComObject : public FirstInterface, public OtherInterfaces... {
public:
    HRESULT QueryInterface(REFIID riid, void** object) override {
        if (object == nullptr)
            return E_POINTER;
        *object = nullptr;
        if (riid == IID_IUnknown)
            *object = static_cast<IUnknown*>(static_cast<FirstInterface*>(this));
        else if (!FindInterface<FirstInterface, OtherInterfaces...>(riid, object))
            *object = QueryOtherInterface(riid);
        if (*object == nullptr)
            return E_NOINTERFACE;
        AddRef();
        return S_OK;
    }
    ULONG AddRef() override { return ++m_refCount; }
    ULONG Release() override {
        ULONG count = --m_refCount;
        if (count == 0)
            delete this;
        return count;
    }

    ComObject(const ComObject&) = delete;
    ComObject& operator=(const ComObject&) = delete;

protected:
    ComObject() { ModuleLock::ObjectCreated(); }
    virtual ~ComObject() { ModuleLock::ObjectDestroyed(); }

    // Other identifiers the object answers (a dispatch interface's own IID, a
    // sub-object); the pointer returned is AddRef'ed by QueryInterface.
    virtual void* QueryOtherInterface(REFIID riid) { return nullptr; }

    ULONG RefCount() const { return m_refCount; }

private:
    template <class Interface, class... Rest>
    bool FindInterface(REFIID riid, void** object) {
        bool matches = riid == Interface::kIid;
        if constexpr (std::is_base_of_v<IDispatch, Interface> && !std::is_same_v<IDispatch, Interface>)
            matches = matches || riid == IID_IDispatch;
        if (matches) {
            *object = static_cast<Interface*>(this);
            return true;
        }
        if constexpr (sizeof...(Rest) > 0)
            return FindInterface<Rest...>(riid, object);
        return false;
    }

    ULONG m_refCount = 0;
};

}  // namespace leaf
