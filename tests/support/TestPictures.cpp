#include "tests/support/TestPictures.h"

namespace leaf::test {

std::string OnePixelGif(unsigned char shade) {
    const unsigned char bytes[] = {'G', 'I', 'F', '8', '9', 'a', 1, 0, 1, 0, 0x80, 0, 0, shade, shade, shade,
                                   0xff, 0xff, 0xff, ',', 0, 0, 0, 0, 1, 0, 1, 0, 0, 2, 2, 'D', 1, 0, ';'};
    return std::string(reinterpret_cast<const char*>(bytes), sizeof bytes);
}

std::string OnePixelPng() {
    return std::string("\x89\x50\x4E\x47\x0D\x0A\x1A\x0A\x00\x00\x00\x0D\x49\x48\x44\x52\x00\x00\x00\x01\x00\x00"
                       "\x00\x01\x08\x06\x00\x00\x00\x1F\x15\xC4\x89\x00\x00\x00\x0D\x49\x44\x41\x54\x78\xDA\x63\x64"
                       "\x60\xF8\x5F\x0F\x00\x02\x87\x01\x80\xEB\x47\xBA\x92\x00\x00\x00\x00\x49\x45\x4E\x44\xAE\x42"
                       "\x60\x82",
                       70);
}

}  // namespace leaf::test
