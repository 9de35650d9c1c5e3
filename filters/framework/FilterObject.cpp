#include "filters/framework/FilterObject.h"

#include <new>

CFilterObject::CFilterObject(UINT pageDialogId) : m_pageDialogId(pageDialogId) {}

CFilterObject::~CFilterObject() = default;

HRESULT CFilterObject::QueryInterface(REFIID riid, void** object) {
    if (object == nullptr)
        return E_POINTER;
    *object = nullptr;
    if (riid == IID_IUnknown || riid == IID_IInputFilter) {
        *object = static_cast<IInputFilter*>(this);
    } else if (riid == IID_IPropertyPage) {
        if (!m_page) {
            try {
                m_page = CreatePropertyPage(static_cast<IInputFilter*>(this), m_pageDialogId);
            } catch (const std::bad_alloc&) {
                return E_OUTOFMEMORY;
            }
        }
        if (!m_page)
            return E_NOINTERFACE;
        *object = m_page->GetPageInterface();
    } else {
        return E_NOINTERFACE;
    }
    AddRef();
    return S_OK;
}

ULONG CFilterObject::AddRef() {
    return ++m_refCount;
}

ULONG CFilterObject::Release() {
    ULONG count = --m_refCount;
    if (count == 0) {
        m_page.reset();
        delete this;
    }
    return count;
}

std::unique_ptr<CFilterPageFace> CFilterObject::CreatePropertyPage(IUnknown*, UINT) {
    return nullptr;
}
