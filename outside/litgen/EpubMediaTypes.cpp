#include "outside/litgen/EpubMediaTypes.h"

#include <string_view>
#include <utility>

#include "platform/base/CString.h"

namespace litgen {

namespace {

constexpr std::string_view kCoreTypes[] = {
    "image/gif",          "image/jpeg",           "image/png",
    "image/svg+xml",      "audio/mpeg",           "audio/mp4",
    "text/css",           "font/ttf",             "application/font-sfnt",
    "font/otf",           "application/vnd.ms-opentype", "font/woff",
    "application/font-woff", "font/woff2",        "application/xhtml+xml",
    "application/javascript", "application/ecmascript", "text/javascript",
    "application/x-dtbncx+xml", "application/smil+xml", "application/pls+xml",
};

// Other names of types, by the name EPUB knows them by.
constexpr std::pair<std::string_view, std::string_view> kAliases[] = {
    {"image/jpg", "image/jpeg"},
    {"image/pjpeg", "image/jpeg"},
    {"image/x-png", "image/png"},
    {"image/svg", "image/svg+xml"},
    {"application/x-font-ttf", "font/ttf"},
    {"application/x-font-truetype", "font/ttf"},
    {"font/truetype", "font/ttf"},
    {"application/x-font-otf", "font/otf"},
    {"application/x-font-opentype", "font/otf"},
    {"font/opentype", "font/otf"},
    {"audio/mp3", "audio/mpeg"},
    {"application/x-javascript", "application/javascript"},
};

// The types file extensions name.
constexpr std::pair<std::string_view, std::string_view> kByExtension[] = {
    {".gif", "image/gif"},
    {".jpg", "image/jpeg"},
    {".jpeg", "image/jpeg"},
    {".jpe", "image/jpeg"},
    {".jfif", "image/jpeg"},
    {".png", "image/png"},
    {".svg", "image/svg+xml"},
    {".webp", "image/webp"},
    {".bmp", "image/bmp"},
    {".tif", "image/tiff"},
    {".tiff", "image/tiff"},
    {".css", "text/css"},
    {".js", "application/javascript"},
    {".mp3", "audio/mpeg"},
    {".m4a", "audio/mp4"},
    {".mp4", "audio/mp4"},
    {".ttf", "font/ttf"},
    {".otf", "font/otf"},
    {".woff", "font/woff"},
    {".woff2", "font/woff2"},
    {".smil", "application/smil+xml"},
    {".pls", "application/pls+xml"},
    {".ncx", "application/x-dtbncx+xml"},
};

std::string_view TypeOfExtension(const std::string& href) {
    const std::string lower = leaf::ToLowerAscii(href);
    const size_t slash = lower.rfind('/');
    const size_t dot = lower.rfind('.');
    if (dot == std::string::npos || (slash != std::string::npos && dot < slash))
        return {};
    const std::string_view extension = std::string_view(lower).substr(dot);
    for (const auto& [known, type] : kByExtension)
        if (extension == known)
            return type;
    return {};
}

}  // namespace

bool IsCoreMediaType(const std::string& mediaType) {
    for (std::string_view type : kCoreTypes)
        if (mediaType == type)
            return true;
    return false;
}

bool IsForeignPicture(const std::string& mediaType) {
    return mediaType.starts_with("image/") && !IsCoreMediaType(mediaType);
}

std::string EpubMediaType(bool page, bool styleSheet, const std::string& declaredType, const std::string& href) {
    if (page)
        return "application/xhtml+xml";
    if (styleSheet)
        return "text/css";
    std::string type = leaf::ToLowerAscii(declaredType);
    // Parameters ("; charset=...") are not part of the type EPUB names.
    type = type.substr(0, type.find(';'));
    while (!type.empty() && type.back() == ' ')
        type.pop_back();
    for (const auto& [alias, name] : kAliases)
        if (type == alias)
            type = name;
    if (IsCoreMediaType(type))
        return type;
    const std::string_view byExtension = TypeOfExtension(href);
    if (!byExtension.empty() && (IsCoreMediaType(std::string(byExtension)) || type.empty() ||
                                 type == "application/octet-stream"))
        return std::string(byExtension);
    return type.empty() ? "application/octet-stream" : type;
}

}  // namespace litgen
