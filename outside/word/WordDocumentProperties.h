#pragma once

// Document.BuiltInDocumentProperties (Item by name or number, Count) and one
// DocumentProperty (Value, Name).

#include <map>
#include <string>

#include "outside/word/DocxPackage.h"
#include "platform/com/DispatchTable.h"

namespace wordstub {

class CWordDocumentProperty final : public leaf::DispatchImpl<CWordDocumentProperty> {
public:
    CWordDocumentProperty(std::string name, DocxPropertyValue::Kind kind, const DocxPropertyValue* value);
    static const leaf::DispatchTable<CWordDocumentProperty>& GetDispatchTable();

private:
    leaf::Variant Value(const leaf::DispatchArguments&);
    leaf::Variant Name(const leaf::DispatchArguments&);

    std::string m_name;
    DocxPropertyValue::Kind m_kind;
    bool m_hasValue;
    DocxPropertyValue m_value;
};

class CWordDocumentProperties final : public leaf::DispatchImpl<CWordDocumentProperties> {
public:
    explicit CWordDocumentProperties(std::map<std::string, DocxPropertyValue> values) : m_values(std::move(values)) {}
    static const leaf::DispatchTable<CWordDocumentProperties>& GetDispatchTable();

private:
    leaf::Variant Item(const leaf::DispatchArguments& arguments);
    leaf::Variant Count(const leaf::DispatchArguments&);

    std::map<std::string, DocxPropertyValue> m_values;  // by Word's property name
};

}  // namespace wordstub
