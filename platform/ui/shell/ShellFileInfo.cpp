#include "platform/ui/shell/ShellFileInfo.h"

#include <QFileIconProvider>
#include <QFileInfo>
#include <QMimeDatabase>
#include <map>
#include <sys/stat.h>

#include "platform/base/Path.h"
#include "platform/registry/RegistryKey.h"

namespace leaf::ui {

namespace {

// The system image lists, and the index each type's icon got in them.
struct SystemImages {
    CImageList small;
    CImageList large;
    std::map<std::string, int> indexByType;
    SystemImages() {
        small.Create(16, 16);
        large.Create(32, 32);
    }
};

SystemImages& Images() {
    static SystemImages images;
    return images;
}

QIcon IconFor(const std::string& path, bool exists, bool isFolder) {
    QFileIconProvider provider;
    if (exists) return provider.icon(QFileInfo(QString::fromStdString(path)));
    return provider.icon(isFolder ? QAbstractFileIconProvider::Folder : QAbstractFileIconProvider::File);
}

// The key under which a type's icon is kept: folders share one, files one per extension.
std::string IconKey(const std::string& path, bool isFolder) {
    return isFolder ? std::string("<folder>") : leaf::ToLowerAscii(leaf::path::Extension(path));
}

}  // namespace

CImageList* GetSystemImageList(BOOL small) { return small ? &Images().small : &Images().large; }

CString GetFileTypeName(const char* path, bool isFolder) {
    if (isFolder) return CString("File Folder");
    std::string extension = leaf::path::Extension(path ? path : "");
    if (extension.size() <= 1) return CString("File");
    leaf::RegistryKey typeKey = leaf::RegistryKey::Open(HKEY_CLASSES_ROOT, extension);
    if (typeKey.IsOpen()) {
        std::optional<std::string> className = typeKey.ReadString();
        if (className && !className->empty()) {
            leaf::RegistryKey classKey = leaf::RegistryKey::Open(HKEY_CLASSES_ROOT, *className);
            std::optional<std::string> description = classKey.IsOpen() ? classKey.ReadString() : std::nullopt;
            if (description && !description->empty()) return CString(description->c_str());
        }
    }
    QMimeDatabase mimes;
    QMimeType type = mimes.mimeTypeForFile(QString::fromStdString(path), QMimeDatabase::MatchExtension);
    if (type.isValid() && !type.isDefault() && !type.comment().isEmpty())
        return CString(type.comment().toStdString().c_str());
    std::string upper = extension.substr(1);
    for (char& ch : upper)
        if (ch >= 'a' && ch <= 'z') ch = static_cast<char>(ch - 'a' + 'A');
    return CString((upper + " File").c_str());
}

}  // namespace leaf::ui

UINT_PTR SHGetFileInfo(const char* path, DWORD fileAttributes, SHFILEINFO* info, UINT flags) {
    if (!path || !info) return 0;
    std::string spelled = leaf::path::Normalize(path);
    bool useAttributes = (flags & SHGFI_USEFILEATTRIBUTES) != 0;
    bool exists = false;
    bool isFolder = false;
    if (std::optional<std::string> found = leaf::path::Resolve(spelled)) {
        struct stat status {};
        if (::stat(found->c_str(), &status) == 0) {
            exists = true;
            isFolder = S_ISDIR(status.st_mode);
            spelled = *found;
        }
    }
    if (useAttributes) isFolder = (fileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
    else if (!exists) return 0;

    if (flags & SHGFI_DISPLAYNAME) {
        std::string name = leaf::path::FilePart(spelled);
        info->szDisplayName = CString((name.empty() ? spelled : name).c_str());
    }
    if (flags & SHGFI_TYPENAME) info->szTypeName = leaf::ui::GetFileTypeName(spelled.c_str(), isFolder);
    if (flags & SHGFI_ICON) info->hIcon = leaf::ui::IconFor(spelled, exists && !useAttributes, isFolder);
    if (flags & SHGFI_SYSICONINDEX) {
        auto& images = leaf::ui::Images();
        std::string key = leaf::ui::IconKey(spelled, isFolder);
        auto found = images.indexByType.find(key);
        if (found == images.indexByType.end()) {
            QIcon icon = leaf::ui::IconFor(spelled, exists && !useAttributes, isFolder);
            int index = images.small.Add(icon);
            images.large.Add(icon);
            found = images.indexByType.emplace(key, index).first;
        }
        info->iIcon = found->second;
    }
    return 1;
}
