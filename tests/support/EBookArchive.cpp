#include "tests/support/EBookArchive.h"

#include <zip.h>

namespace leaf::test {

std::map<std::string, std::string> UnpackEBook(const std::string& path) {
    std::map<std::string, std::string> entries;
    int error = 0;
    // Checking the archive's consistency makes a malformed e-book fail the test that reads it.
    zip_t* archive = zip_open(path.c_str(), ZIP_RDONLY | ZIP_CHECKCONS, &error);
    if (archive == nullptr)
        return entries;
    const zip_int64_t count = zip_get_num_entries(archive, 0);
    for (zip_int64_t index = 0; index < count; ++index) {
        zip_stat_t stat;
        if (zip_stat_index(archive, index, 0, &stat) != 0)
            continue;
        zip_file_t* file = zip_fopen_index(archive, index, 0);
        if (file == nullptr)
            continue;
        std::string bytes(stat.size, '\0');
        const zip_int64_t read = zip_fread(file, bytes.data(), stat.size);
        zip_fclose(file);
        if (read == static_cast<zip_int64_t>(stat.size))
            entries[stat.name] = std::move(bytes);
    }
    zip_discard(archive);
    return entries;
}

}  // namespace leaf::test
