#include "outside/word/WordDocumentProperties.h"

#include "outside/word/WordServer.h"
#include "platform/base/CString.h"

namespace wordstub {

namespace {

const leaf::DispInterfaceDescription& PropertyInterface() {
    static const leaf::DispInterfaceDescription description{
        "DocumentProperty",
        leaf::MakeGuid("{6E3D2A7B-51C4-4F0E-9B8A-2C7D1E4F6A96}"),
        "A built-in document property",
        {{"Value", dispid::PropertyValue, leaf::MemberKind::PropertyGet, VT_VARIANT},
         {"Name", dispid::PropertyName, leaf::MemberKind::PropertyGet, VT_BSTR}}};
    return description;
}

const leaf::DispInterfaceDescription& PropertiesInterface() {
    static const leaf::DispInterfaceDescription description{
        "DocumentProperties",
        leaf::MakeGuid("{6E3D2A7B-51C4-4F0E-9B8A-2C7D1E4F6A97}"),
        "The built-in document properties",
        {{"Item", dispid::CollectionItem, leaf::MemberKind::PropertyGet, VT_DISPATCH, {{"Index", VT_VARIANT}}},
         {"Count", dispid::CollectionCount, leaf::MemberKind::PropertyGet, VT_I4}}};
    return description;
}

// Built-in names in Word's order, for Item by number.
const char* const kPropertyOrder[] = {
    "Title", "Subject", "Author", "Keywords", "Comments", "Template", "Last Author", "Revision Number",
    "Application Name", "Last Print Date", "Creation Date", "Last Save Time", "Total Editing Time",
    "Number of Pages", "Number of Words", "Number of Characters", "Security", "Category", "Format", "Manager",
    "Company", "Number of Bytes", "Number of Lines", "Number of Paragraphs", "Number of Slides", "Number of Notes",
    "Number of Hidden Slides", "Number of Multimedia Clips", "Hyperlink Base",
    "Number of Characters (with spaces)", "Content Status", "Language"};

[[noreturn]] void ThrowNoSuchProperty() {
    throw leaf::AutomationException(E_INVALIDARG, "Invalid procedure call or argument.", "Office");
}

}  // namespace

CWordDocumentProperty::CWordDocumentProperty(std::string name, DocxPropertyValue::Kind kind,
                                             const DocxPropertyValue* value)
    : m_name(std::move(name)), m_kind(kind), m_hasValue(value != nullptr) {
    if (value != nullptr)
        m_value = *value;
}

const leaf::DispatchTable<CWordDocumentProperty>& CWordDocumentProperty::GetDispatchTable() {
    static const leaf::DispatchTable<CWordDocumentProperty> table(
        PropertyInterface(),
        {{dispid::PropertyValue, leaf::MemberKind::PropertyGet, &CWordDocumentProperty::Value},
         {dispid::PropertyName, leaf::MemberKind::PropertyGet, &CWordDocumentProperty::Name}});
    return table;
}

leaf::Variant CWordDocumentProperty::Name(const leaf::DispatchArguments&) { return leaf::Variant(m_name); }

leaf::Variant CWordDocumentProperty::Value(const leaf::DispatchArguments&) {
    using Kind = DocxPropertyValue::Kind;
    // A property the document does not set: text reads empty, numbers 0; a date has no
    // value to give, as in Word.
    if (!m_hasValue) {
        if (m_kind == Kind::Date)
            throw leaf::AutomationException(kWordErrorNoValue, "The property has no value.", "Office");
        return m_kind == Kind::Number ? leaf::Variant(LONG{0}) : leaf::Variant("");
    }
    switch (m_value.kind) {
    case Kind::Number:
        return leaf::Variant(static_cast<LONG>(m_value.number));
    case Kind::Date: {
        leaf::Variant date;
        date.vt = VT_DATE;
        date.date = m_value.date;
        return date;
    }
    case Kind::Text:
        break;
    }
    return leaf::Variant(m_value.text);
}

const leaf::DispatchTable<CWordDocumentProperties>& CWordDocumentProperties::GetDispatchTable() {
    static const leaf::DispatchTable<CWordDocumentProperties> table(
        PropertiesInterface(),
        {{dispid::CollectionItem, leaf::MemberKind::PropertyGet, &CWordDocumentProperties::Item},
         {dispid::CollectionCount, leaf::MemberKind::PropertyGet, &CWordDocumentProperties::Count}});
    return table;
}

leaf::Variant CWordDocumentProperties::Count(const leaf::DispatchArguments&) {
    return leaf::Variant(static_cast<LONG>(std::size(kPropertyOrder)));
}

leaf::Variant CWordDocumentProperties::Item(const leaf::DispatchArguments& arguments) {
    leaf::Variant index;
    if (FAILED(VariantCopyInd(&index, &arguments[0])))
        ThrowNoSuchProperty();
    std::string name;
    if (index.vt == VT_BSTR) {
        std::string asked = index.ToUtf8();
        for (const char* known : kPropertyOrder)
            if (leaf::CompareNoCase(asked, known) == 0)
                name = known;
    } else {
        leaf::Variant number;
        if (FAILED(VariantChangeType(&number, &index, 0, VT_I4)))
            ThrowNoSuchProperty();
        if (number.lVal >= 1 && static_cast<std::size_t>(number.lVal) <= std::size(kPropertyOrder))
            name = kPropertyOrder[number.lVal - 1];
    }
    std::optional<DocxPropertyValue::Kind> kind = BuiltInPropertyKind(name);
    if (name.empty() || !kind)
        ThrowNoSuchProperty();
    auto found = m_values.find(name);
    const DocxPropertyValue* value = found != m_values.end() ? &found->second : nullptr;
    return leaf::Variant(static_cast<IDispatch*>(new CWordDocumentProperty(name, *kind, value)));
}

}  // namespace wordstub
