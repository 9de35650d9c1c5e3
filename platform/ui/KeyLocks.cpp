#include "platform/ui/KeyLocks.h"

#include <filesystem>
#include <fstream>
#include <system_error>

namespace leaf::ui {

namespace {

std::string_view LedSuffix(LockKey key) {
    switch (key) {
        case LockKey::Caps: return "::capslock";
        case LockKey::Num: return "::numlock";
        case LockKey::Scroll: return "::scrolllock";
    }
    return {};
}

// "brightness" holds a decimal number; anything but a number above 0 reads as off.
bool LedIsLit(const std::filesystem::path& led) {
    std::ifstream file(led / "brightness");
    long value = 0;
    return file && (file >> value) && value > 0;
}

LockStateQuery& CurrentQuery() {
    static LockStateQuery query;
    return query;
}

}  // namespace

bool ReadLockLed(LockKey key, const std::string& ledsFolder) {
    namespace fs = std::filesystem;
    std::string_view suffix = LedSuffix(key);
    std::error_code error;
    fs::directory_iterator entries(ledsFolder, error);
    if (error) return false;
    for (; !error && entries != fs::directory_iterator(); entries.increment(error)) {
        std::string name = entries->path().filename().string();
        bool named = name.size() > suffix.size() && name.compare(name.size() - suffix.size(), suffix.size(), suffix) == 0;
        if (named && LedIsLit(entries->path())) return true;
    }
    return false;
}

bool IsLockKeyOn(LockKey key) {
    const LockStateQuery& query = CurrentQuery();
    return query ? query(key) : ReadLockLed(key);
}

LockStateQuery SetLockStateQuery(LockStateQuery query) {
    LockStateQuery previous = std::move(CurrentQuery());
    CurrentQuery() = std::move(query);
    return previous;
}

}  // namespace leaf::ui
