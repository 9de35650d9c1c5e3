#include "outside/litgen/ZipWriter.h"

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <ctime>

namespace {

constexpr std::uint32_t kLocalHeaderSignature = 0x04034b50;
constexpr std::uint32_t kCentralHeaderSignature = 0x02014b50;
constexpr std::uint32_t kEndSignature = 0x06054b50;
constexpr std::uint16_t kStored = 0;
constexpr std::uint16_t kDeflated = 8;
constexpr std::uint16_t kUtf8Names = 0x0800;
// Made on a Unix system, by version 2.0 of the format; version 2.0 reads deflate, 1.0
// stored entries.
constexpr std::uint16_t kMadeBy = (3 << 8) | 20;
constexpr std::uint16_t kNeededForDeflate = 20;
constexpr std::uint16_t kNeededForStored = 10;
// A regular file, readable by all and writable by its owner.
constexpr std::uint32_t kUnixFileAttributes = 0100644u << 16;
// What fits without the ZIP64 extensions: the largest values are the extensions' marks.
constexpr std::uint64_t kLargest32 = 0xFFFFFFFEu;
constexpr size_t kMostEntries = 0xFFFE;
constexpr size_t kLongestName = 0xFFFF;
constexpr size_t kBufferSize = 1 << 20;

void Put16(std::string& out, std::uint16_t value) {
    out += static_cast<char>(value & 0xFF);
    out += static_cast<char>(value >> 8);
}

void Put32(std::string& out, std::uint32_t value) {
    for (int shift = 0; shift < 32; shift += 8)
        out += static_cast<char>((value >> shift) & 0xFF);
}

bool IsAscii(std::string_view text) {
    for (char ch : text)
        if (static_cast<unsigned char>(ch) >= 0x80)
            return false;
    return true;
}

std::uint16_t Flags(const std::string& name) { return IsAscii(name) ? 0 : kUtf8Names; }

}  // namespace

CZipWriter::~CZipWriter() {
    if (m_file != nullptr)
        std::fclose(m_file);
}

bool CZipWriter::Fail(const std::string& why) {
    m_error = why;
    return false;
}

bool CZipWriter::Create(const std::string& path) {
    const int descriptor = open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0644);
    if (descriptor < 0)
        return Fail(std::strerror(errno));
    m_file = fdopen(descriptor, "wb");
    if (m_file == nullptr) {
        const int error = errno;
        close(descriptor);
        return Fail(std::strerror(error));
    }
    std::setvbuf(m_file, nullptr, _IOFBF, kBufferSize);
    // Every entry bears the time the archive was written, as MS-DOS time (local time,
    // two-second steps, years from 1980).
    const std::time_t now = std::time(nullptr);
    std::tm local{};
    localtime_r(&now, &local);
    const int year = std::max(local.tm_year + 1900, 1980);
    m_time = static_cast<std::uint16_t>((local.tm_hour << 11) | (local.tm_min << 5) | (local.tm_sec / 2));
    m_date = static_cast<std::uint16_t>(((year - 1980) << 9) | ((local.tm_mon + 1) << 5) | local.tm_mday);
    return true;
}

bool CZipWriter::Write(std::string_view bytes) {
    if (!bytes.empty() && std::fwrite(bytes.data(), 1, bytes.size(), m_file) != bytes.size())
        return Fail(std::strerror(errno));
    m_offset += bytes.size();
    return true;
}

bool CZipWriter::Add(const std::string& name, const litgen::StoredForm& form, std::string_view stored) {
    if (m_file == nullptr)
        return Fail("the archive is not open");
    if (m_entries.size() >= kMostEntries)
        return Fail("it would hold more than 65,534 files, more than a ZIP archive without ZIP64 extensions holds");
    if (name.empty() || name.size() > kLongestName)
        return Fail("the file name \"" + name.substr(0, 200) + "\" cannot stand in a ZIP archive");
    if (form.size > kLargest32 || stored.size() > kLargest32 || m_offset > kLargest32)
        return Fail("\"" + name + "\" would reach beyond 4 GiB, more than a ZIP archive without ZIP64 extensions holds");
    Written entry{name, form, stored.size(), m_offset};
    std::string header;
    header.reserve(30 + name.size());
    Put32(header, kLocalHeaderSignature);
    Put16(header, form.deflated ? kNeededForDeflate : kNeededForStored);
    Put16(header, Flags(name));
    Put16(header, form.deflated ? kDeflated : kStored);
    Put16(header, m_time);
    Put16(header, m_date);
    Put32(header, form.crc32);
    Put32(header, static_cast<std::uint32_t>(stored.size()));
    Put32(header, static_cast<std::uint32_t>(form.size));
    Put16(header, static_cast<std::uint16_t>(name.size()));
    Put16(header, 0);  // no extra field
    header += name;
    if (!Write(header) || !Write(stored))
        return false;
    m_entries.push_back(std::move(entry));
    return true;
}

bool CZipWriter::Finish() {
    if (m_file == nullptr)
        return Fail("the archive is not open");
    const std::uint64_t directoryOffset = m_offset;
    for (const Written& entry : m_entries) {
        std::string header;
        header.reserve(46 + entry.name.size());
        Put32(header, kCentralHeaderSignature);
        Put16(header, kMadeBy);
        Put16(header, entry.form.deflated ? kNeededForDeflate : kNeededForStored);
        Put16(header, Flags(entry.name));
        Put16(header, entry.form.deflated ? kDeflated : kStored);
        Put16(header, m_time);
        Put16(header, m_date);
        Put32(header, entry.form.crc32);
        Put32(header, static_cast<std::uint32_t>(entry.storedSize));
        Put32(header, static_cast<std::uint32_t>(entry.form.size));
        Put16(header, static_cast<std::uint16_t>(entry.name.size()));
        Put16(header, 0);  // no extra field
        Put16(header, 0);  // no comment
        Put16(header, 0);  // the first disk
        Put16(header, 0);  // internal attributes
        Put32(header, kUnixFileAttributes);
        Put32(header, static_cast<std::uint32_t>(entry.offset));
        header += entry.name;
        if (!Write(header))
            return false;
    }
    const std::uint64_t directorySize = m_offset - directoryOffset;
    if (directoryOffset > kLargest32 || directorySize > kLargest32)
        return Fail("its directory would reach beyond 4 GiB, more than a ZIP archive without ZIP64 extensions holds");
    std::string end;
    Put32(end, kEndSignature);
    Put16(end, 0);  // this disk
    Put16(end, 0);  // the disk of the directory
    Put16(end, static_cast<std::uint16_t>(m_entries.size()));
    Put16(end, static_cast<std::uint16_t>(m_entries.size()));
    Put32(end, static_cast<std::uint32_t>(directorySize));
    Put32(end, static_cast<std::uint32_t>(directoryOffset));
    Put16(end, 0);  // no comment
    if (!Write(end))
        return false;
    std::FILE* file = m_file;
    m_file = nullptr;
    const bool flushed = std::fflush(file) == 0;
    const int error = errno;
    if (std::fclose(file) != 0 || !flushed)
        return Fail(std::strerror(flushed ? errno : error));
    return true;
}
