#pragma once

// The smallest sound pictures, for books that epubcheck reads (it refuses a picture whose
// bytes it cannot take apart). Bytes after a picture's end are read by nobody: a test may
// add some to tell two pictures apart or to give one a size.

#include <string>

namespace leaf::test {

// A 1x1 GIF whose one colour is the grey `shade`, so that two pictures tell apart.
std::string OnePixelGif(unsigned char shade = 0xFF);
// A 1x1 PNG.
std::string OnePixelPng();

}  // namespace leaf::test
