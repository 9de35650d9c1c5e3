#pragma once

// Tells whether an object uses a base class's own implementation of a virtual member
// function, so that a loop can take a shortcut that is only valid while the default
// behaviour applies.
//
// It compares the object's virtual-table entry for the member with that of a probe
// object of the base class, reading the tables as the Itanium C++ ABI lays them out (GCC
// and Clang on Linux). Where that layout is not known the answer is always false, which
// is safe: the caller then takes its general path.

#include <cstddef>
#include <cstdint>
#include <cstring>

namespace leaf::markup {

template <typename Class, typename Member>
bool UsesBaseImplementation(const Class* object, const Class* probe, Member member) {
#if defined(__x86_64__) || defined(__i386__) || defined(__aarch64__) || defined(__arm__)
    struct MemberPointer {
        std::uintptr_t pointer;
        std::ptrdiff_t adjustment;
    };
    static_assert(sizeof(Member) == sizeof(MemberPointer));
    MemberPointer representation;
    std::memcpy(&representation, &member, sizeof representation);
#if defined(__aarch64__) || defined(__arm__)
    const bool isVirtual = (representation.adjustment & 1) != 0;
    const std::uintptr_t offset = representation.pointer;
#else
    const bool isVirtual = (representation.pointer & 1) != 0;
    const std::uintptr_t offset = representation.pointer - 1;
#endif
    if (!isVirtual || representation.adjustment > 1 || offset % sizeof(void*) != 0 || offset > 256 * sizeof(void*)) {
        return false;
    }
    const void* const* objectTable;
    const void* const* probeTable;
    std::memcpy(&objectTable, static_cast<const void*>(object), sizeof objectTable);
    std::memcpy(&probeTable, static_cast<const void*>(probe), sizeof probeTable);
    return objectTable[offset / sizeof(void*)] == probeTable[offset / sizeof(void*)];
#else
    return false;
#endif
}

}  // namespace leaf::markup
