#include "outside/word/WordFileTypes.h"

#include <string>

#include "platform/registry/RegistryKey.h"

namespace wordstub {

bool RegisterWordFileTypes() {
    for (const WordFileType& type : kWordFileTypes) {
        leaf::RegistryKey extension = leaf::RegistryKey::Create(HKEY_CLASSES_ROOT, type.extension);
        leaf::RegistryKey documentClass = leaf::RegistryKey::Create(HKEY_CLASSES_ROOT, type.documentClass);
        if (!extension.IsOpen() || !documentClass.IsOpen() || !extension.WriteString("", type.documentClass) ||
            !extension.WriteString("Content Type", type.contentType) ||
            !documentClass.WriteString("", type.description))
            return false;
    }
    return true;
}

void UnregisterWordFileTypes() {
    for (const WordFileType& type : kWordFileTypes) {
        bool ours = false;
        {
            leaf::RegistryKey extension = leaf::RegistryKey::Open(HKEY_CLASSES_ROOT, type.extension);
            ours = extension.IsOpen() && extension.ReadString("").value_or(std::string()) == type.documentClass;
        }
        if (ours)
            RegDeleteKey(HKEY_CLASSES_ROOT, type.extension);
        bool ownClass = false;
        {
            leaf::RegistryKey documentClass = leaf::RegistryKey::Open(HKEY_CLASSES_ROOT, type.documentClass);
            ownClass = documentClass.IsOpen() && documentClass.SubKeyNames().empty() &&
                       documentClass.ReadString("").value_or(std::string()) == type.description;
        }
        if (ownClass)
            RegDeleteKey(HKEY_CLASSES_ROOT, type.documentClass);
    }
}

}  // namespace wordstub
