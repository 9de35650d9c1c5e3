#include "outside/word/WordDocument.h"

#include <filesystem>

#include "outside/word/HtmlExport.h"
#include "outside/word/OfficeRunner.h"
#include "outside/word/WordBookmarks.h"
#include "outside/word/WordDocumentProperties.h"
#include "outside/word/WordServer.h"
#include "platform/base/File.h"

namespace wordstub {

namespace {

const leaf::DispInterfaceDescription& DocumentInterface() {
    auto optional = [](const char* name) { return leaf::ParamDescription{name, VT_VARIANT, true}; };
    static const leaf::DispInterfaceDescription description{
        "Document",
        leaf::MakeGuid("{6E3D2A7B-51C4-4F0E-9B8A-2C7D1E4F6A98}"),
        "An open document",
        {{"FullName", dispid::DocumentFullName, leaf::MemberKind::PropertyGet, VT_BSTR},
         {"Bookmarks", dispid::DocumentBookmarks, leaf::MemberKind::PropertyGet, VT_DISPATCH},
         {"SaveAs", dispid::DocumentSaveAs, leaf::MemberKind::Method, VT_EMPTY,
          {{"FileName", VT_BSTR}, {"FileFormat", VT_I4, true}, optional("LockComments"), optional("Password"),
           optional("AddToRecentFiles"), optional("WritePassword"), optional("ReadOnlyRecommended"),
           optional("EmbedTrueTypeFonts"), optional("SaveNativePictureFormat"), optional("SaveFormsData"),
           optional("SaveAsAOCELetter")}},
         {"Activate", dispid::DocumentActivate, leaf::MemberKind::Method, VT_EMPTY},
         {"BuiltInDocumentProperties", dispid::DocumentBuiltInProperties, leaf::MemberKind::PropertyGet,
          VT_DISPATCH},
         {"Close", dispid::DocumentClose, leaf::MemberKind::Method, VT_EMPTY,
          {optional("SaveChanges"), optional("OriginalFormat"), optional("RouteDocument")}}}};
    return description;
}

struct OutputFormat {
    LONG wordFormat;
    const char* officeFormat;  // the --convert-to argument
    const char* extension;     // of the file the office suite writes
};

constexpr OutputFormat kOutputFormats[] = {
    {kFormatHtml, "html:HTML (StarWriter)", "html"},
    {kFormatText, "txt:Text (encoded):UTF8", "txt"},
    {kFormatRtf, "rtf:Rich Text Format", "rtf"},
    {kFormatDocument, "doc:MS Word 97", "doc"},
    {kFormatXmlDocument, "docx:MS Word 2007 XML", "docx"},
    {kFormatDocumentDefault, "docx:MS Word 2007 XML", "docx"},
};

[[noreturn]] void ThrowCommandFailed(const std::string& why) {
    throw leaf::AutomationException(kWordErrorCommandFailed, why, "Word");
}

// A private scratch folder that is removed with everything in it when it goes.
class ScratchFolder : public PrivateFolder {
public:
    explicit ScratchFolder(const std::string& parent = std::string()) : PrivateFolder(parent) {
        if (Path().empty())
            ThrowCommandFailed("Could not create a temporary folder.");
    }
};

}  // namespace

CWordDocument::CWordDocument(std::weak_ptr<WordSession> session, std::string path)
    : m_session(std::move(session)), m_path(std::move(path)) {}

const leaf::DispatchTable<CWordDocument>& CWordDocument::GetDispatchTable() {
    using K = leaf::MemberKind;
    static const leaf::DispatchTable<CWordDocument> table(
        DocumentInterface(),
        {{dispid::DocumentFullName, K::PropertyGet, &CWordDocument::FullName},
         {dispid::DocumentBookmarks, K::PropertyGet, &CWordDocument::Bookmarks},
         {dispid::DocumentSaveAs, K::Method, &CWordDocument::SaveAs},
         {dispid::DocumentActivate, K::Method, &CWordDocument::Activate},
         {dispid::DocumentBuiltInProperties, K::PropertyGet, &CWordDocument::BuiltInDocumentProperties},
         {dispid::DocumentClose, K::Method, &CWordDocument::Close}});
    return table;
}

void CWordDocument::CheckOpen() const {
    std::shared_ptr<WordSession> session = m_session.lock();
    if (!session)
        throw leaf::AutomationException(kWordErrorQuit, "The application has quit.", "Word");
    session->CheckRunning();
    if (m_closed)
        throw leaf::AutomationException(kWordErrorCommandFailed, "The document has been closed.", "Word");
}

leaf::Variant CWordDocument::FullName(const leaf::DispatchArguments&) {
    CheckOpen();
    return leaf::Variant(m_path);
}

leaf::Variant CWordDocument::Activate(const leaf::DispatchArguments&) {
    CheckOpen();
    return leaf::Variant();
}

leaf::Variant CWordDocument::Close(const leaf::DispatchArguments&) {
    CheckOpen();
    // Documents are opened read-only and never changed: there is nothing to save.
    m_closed = true;
    if (std::shared_ptr<WordSession> session = m_session.lock())
        session->Remove(this);
    return leaf::Variant();
}

const DocxContent& CWordDocument::Content() {
    if (m_content)
        return *m_content;
    if (m_path.empty()) {
        m_content.emplace();
        return *m_content;
    }
    if (LooksLikePackage(m_path)) {
        m_content = ReadDocxPackage(m_path);
    } else {
        ScratchFolder scratch;
        OfficeConversion converted =
            ConvertWithOffice(m_path, "docx:MS Word 2007 XML", "docx", scratch.Path());
        if (!converted.succeeded)
            ThrowCommandFailed(converted.error);
        m_content = ReadDocxPackage(converted.outputPath);
    }
    if (!m_content)
        ThrowCommandFailed("The document could not be read.");
    return *m_content;
}

leaf::Variant CWordDocument::Bookmarks(const leaf::DispatchArguments&) {
    CheckOpen();
    return leaf::Variant(static_cast<IDispatch*>(new CWordBookmarks(Content().bookmarks)));
}

leaf::Variant CWordDocument::BuiltInDocumentProperties(const leaf::DispatchArguments&) {
    CheckOpen();
    return leaf::Variant(static_cast<IDispatch*>(new CWordDocumentProperties(Content().properties)));
}

leaf::Variant CWordDocument::SaveAs(const leaf::DispatchArguments& arguments) {
    CheckOpen();
    std::string target = arguments.Utf8(0);
    LONG format = arguments.IsMissing(1) ? kFormatDocument : arguments.Long(1);
    if (target.empty())
        ThrowCommandFailed("No file name was given.");
    if (m_path.empty())
        ThrowCommandFailed("A new document has nothing to save.");
    const OutputFormat* output = nullptr;
    for (const OutputFormat& known : kOutputFormats)
        if (known.wordFormat == format)
            output = &known;
    if (output == nullptr)
        ThrowCommandFailed("This file format is not available.");
    std::error_code ignored;
    std::filesystem::path targetPath = std::filesystem::absolute(target, ignored);
    if (!std::filesystem::is_directory(targetPath.parent_path(), ignored))
        ThrowCommandFailed("The folder \"" + targetPath.parent_path().string() + "\" does not exist.");

    // A page is converted in a folder inside the target's: the office suite writes its
    // links relative to where it writes the page, which is then one folder off.
    ScratchFolder scratch(format == kFormatHtml ? targetPath.parent_path().string() : std::string());
    OfficeConversion converted = ConvertWithOffice(m_path, output->officeFormat, output->extension, scratch.Path());
    if (!converted.succeeded)
        ThrowCommandFailed(converted.error);
    std::string error;
    if (format == kFormatHtml) {
        if (!PlaceHtmlExport(converted.outputPath, scratch.Path(), targetPath.string(), error))
            ThrowCommandFailed(error);
    } else if (!leaf::CopyFileBytes(converted.outputPath, targetPath.string(), false)) {
        ThrowCommandFailed("The file \"" + targetPath.string() + "\" could not be written.");
    }
    return leaf::Variant();
}

}  // namespace wordstub
