#pragma once

// The root of every COM interface, the class-factory interface, the identifiers of the
// standard interfaces, and ComPtr, the owning interface pointer.
//
// Interfaces are structs of pure virtual functions without a virtual destructor, so
// their function tables hold exactly the interface's operations in declaration order.
// An object is destroyed by its own Release. Each interface names its identifier as the
// static member kIid, which ComPtr::As and leaf::ComObject use.

#include <utility>

#include "platform/base/Types.h"
#include "platform/com/Guid.h"
#include "platform/com/HResult.h"


inline constexpr IID IID_IUnknown = leaf::MakeGuid("{00000000-0000-0000-C000-000000000046}");
inline constexpr IID IID_IClassFactory = leaf::MakeGuid("{00000001-0000-0000-C000-000000000046}");
inline constexpr IID IID_IDispatch = leaf::MakeGuid("{00020400-0000-0000-C000-000000000046}");
inline constexpr IID IID_ITypeInfo = leaf::MakeGuid("{00020401-0000-0000-C000-000000000046}");
inline constexpr IID IID_ITypeLib = leaf::MakeGuid("{00020402-0000-0000-C000-000000000046}");
inline constexpr IID IID_IEnumVARIANT = leaf::MakeGuid("{00020404-0000-0000-C000-000000000046}");
inline constexpr IID IID_IConnectionPointContainer = leaf::MakeGuid("{B196B284-BAB4-101A-B69C-00AA00341D07}");
inline constexpr IID IID_IEnumConnectionPoints = leaf::MakeGuid("{B196B285-BAB4-101A-B69C-00AA00341D07}");
inline constexpr IID IID_IConnectionPoint = leaf::MakeGuid("{B196B286-BAB4-101A-B69C-00AA00341D07}");
inline constexpr IID IID_IEnumConnections = leaf::MakeGuid("{B196B287-BAB4-101A-B69C-00AA00341D07}");
inline constexpr IID IID_IPropertyPageSite = leaf::MakeGuid("{B196B28C-BAB4-101A-B69C-00AA00341D07}");
inline constexpr IID IID_IPropertyPage = leaf::MakeGuid("{B196B28D-BAB4-101A-B69C-00AA00341D07}");

struct IUnknown {
    static constexpr const IID& kIid = IID_IUnknown;

    // Sets *object to the requested interface (AddRef'ed) and returns S_OK, or sets it
    // to null and returns E_NOINTERFACE.
    virtual HRESULT QueryInterface(REFIID riid, void** object) = 0;
    virtual ULONG AddRef() = 0;
    virtual ULONG Release() = 0;

protected:
    ~IUnknown() = default;
};

using LPUNKNOWN = IUnknown*;

struct IClassFactory : IUnknown {
    static constexpr const IID& kIid = IID_IClassFactory;

    virtual HRESULT CreateInstance(IUnknown* outer, REFIID riid, void** object) = 0;
    virtual HRESULT LockServer(BOOL lock) = 0;

protected:
    ~IClassFactory() = default;
};

namespace leaf {

// Owns one reference to an interface. Construction from a raw pointer and copying add a
// reference; destruction and Reset release it. Attach adopts a reference the caller
// already owns; Detach hands the reference back to the caller.
template <class T>
class ComPtr {
public:
    ComPtr() = default;
    ComPtr(std::nullptr_t) {}
    ComPtr(T* pointer) : m_pointer(pointer) {
        if (m_pointer)
            m_pointer->AddRef();
    }
    ComPtr(const ComPtr& other) : ComPtr(other.m_pointer) {}
    ComPtr(ComPtr&& other) noexcept : m_pointer(std::exchange(other.m_pointer, nullptr)) {}
    template <class U>
    ComPtr(const ComPtr<U>& other) : ComPtr(static_cast<T*>(other.Get())) {}
    ~ComPtr() { Reset(); }

    ComPtr& operator=(const ComPtr& other) {
        ComPtr(other).Swap(*this);
        return *this;
    }
    ComPtr& operator=(ComPtr&& other) noexcept {
        ComPtr(std::move(other)).Swap(*this);
        return *this;
    }
    ComPtr& operator=(T* pointer) {
        ComPtr(pointer).Swap(*this);
        return *this;
    }
    ComPtr& operator=(std::nullptr_t) {
        Reset();
        return *this;
    }

    T* Get() const { return m_pointer; }
    T* operator->() const { return m_pointer; }
    T& operator*() const { return *m_pointer; }
    explicit operator bool() const { return m_pointer != nullptr; }
    operator T*() const { return m_pointer; }

    void Reset() {
        if (T* old = std::exchange(m_pointer, nullptr))
            old->Release();
    }
    void Attach(T* pointer) {
        Reset();
        m_pointer = pointer;
    }
    [[nodiscard]] T* Detach() { return std::exchange(m_pointer, nullptr); }
    void Swap(ComPtr& other) noexcept { std::swap(m_pointer, other.m_pointer); }

    // The address to receive a new reference from an out parameter; releases what
    // is held first.
    T** Receive() {
        Reset();
        return &m_pointer;
    }
    T** operator&() { return Receive(); }
    void** ReceiveVoid() { return reinterpret_cast<void**>(Receive()); }

    // Asks the object for another interface; null when it does not offer it.
    template <class U>
    ComPtr<U> As() const {
        ComPtr<U> result;
        if (m_pointer)
            m_pointer->QueryInterface(U::kIid, result.ReceiveVoid());
        return result;
    }
    template <class U>
    HRESULT As(ComPtr<U>* result) const {
        if (!m_pointer)
            return E_POINTER;
        return m_pointer->QueryInterface(U::kIid, result->ReceiveVoid());
    }
    HRESULT CopyTo(T** out) const {
        if (out == nullptr)
            return E_POINTER;
        *out = m_pointer;
        if (m_pointer)
            m_pointer->AddRef();
        return S_OK;
    }

private:
    T* m_pointer = nullptr;
};

}  // namespace leaf
