#pragma once

// The check of the fuzz targets: a property that does not hold stops the run, so that
// the fuzzer keeps the input.

#include <cstdlib>

namespace leaf::fuzz {

inline void Check(bool condition) {
    if (!condition)
        std::abort();
}

}  // namespace leaf::fuzz
