#include "outside/litgen/StoredContent.h"

#include <zlib.h>

#include <algorithm>

namespace litgen {

namespace {

constexpr int kCompressionLevel = 1;
// Raw deflate data, as ZIP archives hold it: no zlib header or trailer.
constexpr int kRawDeflateWindowBits = -15;
constexpr int kMemoryLevel = 8;
// zlib counts in unsigned int: larger content goes through in pieces of this size.
constexpr std::uint64_t kPiece = std::uint64_t{1} << 30;

std::uint32_t Crc32(std::string_view content) {
    uLong crc = crc32(0, Z_NULL, 0);
    for (size_t at = 0; at < content.size(); at += kPiece) {
        const size_t length = std::min<size_t>(kPiece, content.size() - at);
        crc = crc32(crc, reinterpret_cast<const Bytef*>(content.data() + at), static_cast<uInt>(length));
    }
    return static_cast<std::uint32_t>(crc);
}

// Deflates the content; false when zlib cannot (then nothing is deflated).
bool Deflate(std::string_view content, std::string& deflated) {
    z_stream stream{};
    if (deflateInit2(&stream, kCompressionLevel, Z_DEFLATED, kRawDeflateWindowBits, kMemoryLevel,
                     Z_DEFAULT_STRATEGY) != Z_OK)
        return false;
    // The bound holds for the whole stream, however many calls make it.
    deflated.resize(deflateBound(&stream, static_cast<uLong>(content.size())));
    size_t in = 0;
    size_t out = 0;
    int status = Z_OK;
    while (status == Z_OK) {
        const size_t input = std::min<size_t>(kPiece, content.size() - in);
        const size_t room = std::min<size_t>(kPiece, deflated.size() - out);
        stream.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(content.data() + in));
        stream.avail_in = static_cast<uInt>(input);
        stream.next_out = reinterpret_cast<Bytef*>(deflated.data() + out);
        stream.avail_out = static_cast<uInt>(room);
        status = deflate(&stream, in + input == content.size() ? Z_FINISH : Z_NO_FLUSH);
        in += input - stream.avail_in;
        out += room - stream.avail_out;
    }
    deflateEnd(&stream);
    if (status != Z_STREAM_END) {
        deflated.clear();
        return false;
    }
    deflated.resize(out);
    return true;
}

// Inflates what the archive holds into content of the size it should have; false when
// the bytes are not one raw deflate stream of that size.
bool Inflate(std::string_view stored, std::string& content) {
    z_stream stream{};
    if (inflateInit2(&stream, kRawDeflateWindowBits) != Z_OK)
        return false;
    size_t in = 0;
    size_t out = 0;
    int status = Z_OK;
    while (status == Z_OK) {
        const size_t input = std::min<size_t>(kPiece, stored.size() - in);
        const size_t room = std::min<size_t>(kPiece, content.size() - out);
        stream.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(stored.data() + in));
        stream.avail_in = static_cast<uInt>(input);
        stream.next_out = reinterpret_cast<Bytef*>(content.data() + out);
        stream.avail_out = static_cast<uInt>(room);
        status = inflate(&stream, Z_NO_FLUSH);
        const bool progressed = stream.avail_in != input || stream.avail_out != room;
        in += input - stream.avail_in;
        out += room - stream.avail_out;
        if (status == Z_OK && !progressed)
            break;
    }
    inflateEnd(&stream);
    return status == Z_STREAM_END && out == content.size() && in == stored.size();
}

}  // namespace

StoredForm StoreContent(std::string_view content, bool compress, std::string& deflated) {
    StoredForm form;
    form.crc32 = Crc32(content);
    form.size = content.size();
    deflated.clear();
    if (compress && !content.empty() && Deflate(content, deflated) && deflated.size() < content.size()) {
        form.deflated = true;
    } else {
        std::string().swap(deflated);
    }
    return form;
}

bool RestoreContent(const StoredForm& form, std::string_view stored, std::string& content) {
    if (!form.deflated) {
        content.assign(stored);
    } else {
        if (form.size > content.max_size())
            return false;
        content.assign(form.size, '\0');
        if (!Inflate(stored, content))
            return false;
    }
    return content.size() == form.size && Crc32(content) == form.crc32;
}

}  // namespace litgen
