#pragma once

// An item's content as the e-book's archive holds it: deflated (text, at the fastest
// level, which still takes most of the size off) or as it is (pictures, which their own
// formats compress already, and text that deflating would not make smaller), with what
// the archive's directory says of it.

#include <cstdint>
#include <string>
#include <string_view>

namespace litgen {

struct StoredForm {
    std::uint32_t crc32 = 0;  // of the content itself
    std::uint64_t size = 0;   // of the content itself
    bool deflated = false;    // the archive holds it deflated (else as it is)
};

// Describes the content and, when `compress` asks for it and deflating makes it smaller,
// deflates it into `deflated` (left empty otherwise: the archive then holds the content
// as it is).
StoredForm StoreContent(std::string_view content, bool compress, std::string& deflated);

// The content again from what the archive holds; false when the bytes do not give back
// content of the form's size and checksum.
bool RestoreContent(const StoredForm& form, std::string_view stored, std::string& content);

}  // namespace litgen
