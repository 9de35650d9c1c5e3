#include "studio/workspace/SourceFileInfo.h"

#include <QApplication>
#include <QFileIconProvider>
#include <QFileInfo>
#include <QStyle>

#include "platform/base/Path.h"
#include "platform/registry/RegistryKey.h"

namespace leaf {

namespace {

CString RegisteredTypeName(const std::string& extension) {
    RegistryKey extensionKey = RegistryKey::Open(HKEY_CLASSES_ROOT, extension);
    if (!extensionKey.IsOpen()) return {};
    std::optional<std::string> fileClass = extensionKey.ReadString();
    if (!fileClass || fileClass->empty()) return {};
    RegistryKey classKey = RegistryKey::Open(HKEY_CLASSES_ROOT, *fileClass);
    if (!classKey.IsOpen()) return {};
    std::optional<std::string> description = classKey.ReadString();
    return description ? CString(*description) : CString();
}

}  // namespace

ShellFileInfo GetShellFileInfo(const char* path) {
    ShellFileInfo info;
    std::string native = path ? path : "";
    info.displayName = path::FilePart(native);
    std::string extension = path::Extension(native);
    if (!extension.empty()) info.typeName = RegisteredTypeName(extension);
    if (info.typeName.IsEmpty()) {
        if (extension.size() > 1) {
            CString upper(extension.substr(1));
            upper.MakeUpper();
            info.typeName.Format("%s File", upper.c_str());
        } else {
            info.typeName = "File";
        }
    }
    if (qApp) {
        static QFileIconProvider provider;
        info.icon = provider.icon(QFileInfo(QString::fromStdString(native)));
        if (info.icon.isNull()) info.icon = provider.icon(QFileIconProvider::File);
    }
    return info;
}

CString GroupDigits(unsigned long long value) {
    std::string digits = std::to_string(value);
    std::string grouped;
    for (size_t i = 0; i < digits.size(); ++i) {
        if (i > 0 && (digits.size() - i) % 3 == 0) grouped += ',';
        grouped += digits[i];
    }
    return CString(grouped);
}

unsigned long long KilobytesRoundedUp(unsigned long long bytes) { return bytes / 1024 + (bytes % 1024 ? 1 : 0); }

}  // namespace leaf
