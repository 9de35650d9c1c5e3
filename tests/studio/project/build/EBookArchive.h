#pragma once

// The entries of a built e-book (a ZIP archive of the package file and its items).

#include "tests/support/EBookArchive.h"

namespace buildtest {

using leaf::test::UnpackEBook;

}  // namespace buildtest
