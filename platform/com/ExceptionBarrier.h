#pragma once

// Runs the body of an operation that sits behind a COM interface so that no C++ exception
// crosses the interface: running out of memory becomes E_OUTOFMEMORY, any other exception
// the failure the caller names.

#include <new>
#include <utility>

#include "platform/com/HResult.h"

namespace leaf {

template <class Operation>
HRESULT CallWithoutThrowing(Operation&& operation, HRESULT otherFailure = E_FAIL) noexcept {
    try {
        return std::forward<Operation>(operation)();
    } catch (const std::bad_alloc&) {
        return E_OUTOFMEMORY;
    } catch (...) {
        return otherFailure;
    }
}

}  // namespace leaf
