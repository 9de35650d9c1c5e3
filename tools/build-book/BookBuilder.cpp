#include "tools/build-book/BookBuilder.h"

#include <filesystem>

#include "platform/base/ModulePath.h"
#include "platform/com/ComRuntime.h"
#include "platform/com/ConnectionPoint.h"
#include "platform/registry/HiveStore.h"
#include "platform/ui/Resources.h"
#include "sdk/LeafcraftSDK.h"
#include "tools/build-book/BuildEventSink.h"
#include "tools/build-book/FontChoiceClient.h"

namespace fs = std::filesystem;

std::string AbsolutePath(const std::string& path) {
    std::error_code error;
    fs::path absolute = fs::absolute(fs::path(path), error);
    if (error)
        absolute = fs::path(path);
    return absolute.lexically_normal().string();
}

std::string CommonSourceFolder(const std::vector<std::string>& paths) {
    if (paths.empty())
        return {};
    fs::path common = fs::path(paths.front()).parent_path();
    for (const std::string& path : paths) {
        fs::path folder = fs::path(path).parent_path();
        fs::path shared;
        auto a = common.begin();
        auto b = folder.begin();
        for (; a != common.end() && b != folder.end() && *a == *b; ++a, ++b)
            shared /= *a;
        common = shared;
    }
    std::string folder = common.string();
    return folder == "/" ? std::string() : folder;
}

std::string ErrorMessage(LONG code, const std::string& details) {
    // A failure without a code has no text of its own: the details say what there is.
    if (code <= 0)
        return details;
    CString text;
    if (!leaf::ui::LoadString(kErrorTextBase + static_cast<UINT>(code), text))
        text = leaf::ui::LoadResString(kUnknownErrorText);
    std::string message = text.str();
    const size_t slot = message.find("%s");
    if (slot != std::string::npos)
        message.replace(slot, 2, details);
    else if (!details.empty())
        message += " (" + details + ")";
    // One line: the paragraph break of a text meant for a window becomes a space.
    std::string line;
    for (char ch : message) {
        if (ch != '\n')
            line += ch;
        else if (!line.empty() && line.back() != ' ')
            line += ' ';
    }
    return line;
}

int CBookBuilder::Build(const CBookOptions& options) {
    m_exitStatus = 0;
    std::string outputPath = AbsolutePath(options.outputPath);
    std::vector<std::string> sources;
    for (const std::string& source : options.sources)
        sources.push_back(AbsolutePath(source));
    CBookOptions absolute = options;
    absolute.sources = sources;
    if (!options.tocPage.empty())
        absolute.tocPage = AbsolutePath(options.tocPage);

    std::fprintf(m_out, "building %s from %zu source%s\n", outputPath.c_str(), sources.size(),
                 sources.size() == 1 ? "" : "s");
    std::fflush(m_out);

    bool built = CreateControl() && Initialize() && AddSources(absolute) && AddMetaData(absolute) &&
                 AddTableOfContents(absolute, CommonSourceFolder(sources)) && Prepare() &&
                 BuildEBook(absolute, outputPath);
    // The control removes the work folders of its builds when it is destroyed.
    m_control.ReleaseDispatch();
    if (!built)
        return m_exitStatus != 0 ? m_exitStatus : kExitControlFailure;
    std::fprintf(m_out, "built %s\n", outputPath.c_str());
    std::fflush(m_out);
    return 0;
}

bool CBookBuilder::CreateControl() {
    CLSID clsid;
    HRESULT hr = CLSIDFromProgID(kLeafcraftSDKProgId, &clsid);
    leaf::ComPtr<IDispatch> control;
    if (SUCCEEDED(hr))
        hr = CoCreateInstance(clsid, nullptr, CLSCTX_INPROC_SERVER, IID_IDispatch, control.ReceiveVoid());
    if (FAILED(hr) || !control) {
        std::fprintf(m_err, "build-book: cannot create the build control %s (0x%08X)", kLeafcraftSDKProgId,
                     static_cast<unsigned>(hr));
        if (hr == REGDB_E_CLASSNOTREG || hr == CO_E_CLASSSTRING) {
            // Where it looked and how to put it there: the modules lie beside the program.
            std::string folder = std::filesystem::path(leaf::GetExecutablePath()).parent_path().string();
            std::fprintf(m_err,
                         ": it is not registered in %s.\n"
                         "Register it with:  %s/regsvr %s/leafsdk.so\n"
                         "(or run \"make install\", or point LEAF_REGISTRY at a registry that holds it)\n",
                         leaf::registry::MachineRegistryFolder().c_str(), folder.c_str(), folder.c_str());
        } else {
            std::fprintf(m_err, ": its module is registered but could not be loaded.\n");
        }
        m_exitStatus = kExitControlFailure;
        return false;
    }
    m_control.AttachDispatch(control.Get());

    // Events: progress and messages are printed as they come.
    leaf::ComPtr<IConnectionPointContainer> container;
    leaf::ComPtr<IConnectionPoint> point;
    leaf::ComPtr<CBuildEventSink> sink(new CBuildEventSink(m_out));
    DWORD cookie = 0;
    hr = control->QueryInterface(IID_IConnectionPointContainer, container.ReceiveVoid());
    if (SUCCEEDED(hr))
        hr = container->FindConnectionPoint(DIID__DLeafcraftSDKEvents, point.Receive());
    if (SUCCEEDED(hr))
        hr = point->Advise(static_cast<IDispatch*>(sink.Get()), &cookie);
    if (FAILED(hr)) {
        std::fprintf(m_err, "build-book: cannot connect to the build control's events (0x%08X)\n",
                     static_cast<unsigned>(hr));
        m_exitStatus = kExitControlFailure;
        return false;
    }
    return true;
}

bool CBookBuilder::Initialize() {
    if (!CallBool(sdkdispid::Initialize, "Initialize"))
        return Fail("cannot initialise the build control");
    return true;
}

bool CBookBuilder::AddSources(const CBookOptions& options) {
    for (const std::string& source : options.sources)
        if (!CallBool(sdkdispid::AddSourceFile, "AddSourceFile",
                      {leaf::Variant(source), leaf::Variant(LONG(LCF_SPINE))}))
            return Fail("cannot add the source file \"" + source + "\"");
    return true;
}

bool CBookBuilder::AddMetaData(const CBookOptions& options) {
    struct Item {
        const char* name;
        const char* attributes;
        const std::string& value;
    };
    const Item items[] = {
        {"dc:Title", "", options.title},
        {"dc:Creator", "role=\"aut\"", options.author},
        {"dc:Publisher", "", options.publisher},
    };
    for (const Item& item : items) {
        if (item.value.empty())
            continue;
        if (!CallBool(sdkdispid::AddMetaData, "AddMetaData",
                      {leaf::Variant(item.name), leaf::Variant(item.attributes), leaf::Variant(item.value),
                       leaf::Variant(LONG(LCF_DUBLIN_CORE))}))
            return Fail(std::string("cannot add the metadata item ") + item.name);
    }
    return true;
}

bool CBookBuilder::AddTableOfContents(const CBookOptions& options, const std::string& sourceFolder) {
    if (!options.tocPage.empty()) {
        // The page a guide item names is entered as such, then referred to relative to
        // the sources' common folder.
        if (!CallBool(sdkdispid::AddSourceFile, "AddSourceFile",
                      {leaf::Variant(options.tocPage), leaf::Variant(LONG(LCF_HTML_GUIDE_ITEM))}))
            return Fail("cannot add the table of contents \"" + options.tocPage + "\"");
        std::string href = options.tocPage;
        if (!sourceFolder.empty() && href.compare(0, sourceFolder.size() + 1, sourceFolder + "/") == 0)
            href = href.substr(sourceFolder.size() + 1);
        if (!CallBool(sdkdispid::AddGuideItem, "AddGuideItem",
                      {leaf::Variant("Table of Contents"), leaf::Variant("toc"), leaf::Variant(href)}))
            return Fail("cannot add the table of contents' guide item");
    }
    // No tour is given on the command line: the chapter tour comes from the table of
    // contents' links. Without one, the book simply has no tour.
    leaf::Variant made;
    if (!Call(sdkdispid::CreateTourFromTOC, "CreateTourFromTOC", {leaf::Variant(LONG(0))}, made))
        return false;
    if (!options.tocPage.empty() && !made.ToBool()) {
        leaf::Variant code;
        leaf::Variant details;
        Call(sdkdispid::GetErrorCode, "GetErrorCode", {}, code);
        Call(sdkdispid::GetErrorDetails, "GetErrorDetails", {}, details);
        std::fprintf(m_out, "no chapter tour made from the table of contents: error %d: %s\n",
                     static_cast<int>(code.ToLong()), ErrorMessage(code.ToLong(), details.ToUtf8()).c_str());
    }
    return true;
}

bool CBookBuilder::Prepare() {
    if (CallBool(sdkdispid::PrepareEBook, "PrepareEBook")) {
        leaf::Variant code;
        if (!Call(sdkdispid::GetErrorCode, "GetErrorCode", {}, code))
            return false;
        if (code.ToLong() == LCWARN_INVALIDDEPENDENCIES) {
            // A person would be asked; a client program reports the files and goes on
            // without them.
            std::fprintf(m_out, "warning %d: %s\n", static_cast<int>(LCWARN_INVALIDDEPENDENCIES),
                         ErrorMessage(LCWARN_INVALIDDEPENDENCIES, "").c_str());
            PrintCollection("missing", sdkdispid::GetMissingFiles, "GetMissingFiles");
            PrintCollection("outside", sdkdispid::GetExternalFiles, "GetExternalFiles");
        }
        return true;
    }
    return Fail("cannot prepare the e-book's source files");
}

bool CBookBuilder::BuildEBook(const CBookOptions& options, const std::string& outputPath) {
    leaf::ComPtr<CFontChoiceClient> client(new CFontChoiceClient(m_out));
    if (!CallBool(sdkdispid::BuildEBook, "BuildEBook",
                  {leaf::Variant(outputPath), leaf::Variant(options.publisher), leaf::Variant(options.embedFonts),
                   leaf::Variant(static_cast<IDispatch*>(client.Get()))}))
        return Fail("cannot build the e-book \"" + outputPath + "\"");
    return true;
}

bool CBookBuilder::Call(DISPID dispid, const char* name, const std::vector<leaf::Variant>& arguments,
                        leaf::Variant& answer) {
    leaf::DispatchResult result = m_control.TryInvoke(dispid, DISPATCH_METHOD, arguments);
    if (FAILED(result.hr)) {
        std::fprintf(m_err, "build-book: the build control refused the call %s (0x%08X)%s%s\n", name,
                     static_cast<unsigned>(result.hr), result.description.empty() ? "" : ": ",
                     result.description.c_str());
        m_exitStatus = kExitControlFailure;
        return false;
    }
    answer = result.value;
    return true;
}

bool CBookBuilder::CallBool(DISPID dispid, const char* name, const std::vector<leaf::Variant>& arguments) {
    leaf::Variant answer;
    return Call(dispid, name, arguments, answer) && answer.ToBool();
}

bool CBookBuilder::Fail(const std::string& what) {
    // A call the control refused has been reported already.
    if (m_exitStatus != 0)
        return false;
    leaf::Variant code;
    leaf::Variant details;
    if (!Call(sdkdispid::GetErrorCode, "GetErrorCode", {}, code) ||
        !Call(sdkdispid::GetErrorDetails, "GetErrorDetails", {}, details))
        return false;
    LONG errorCode = code.ToLong();
    std::string text = ErrorMessage(errorCode, details.ToUtf8());
    std::fflush(m_out);
    std::fprintf(m_err, "build-book: %s: error %d%s%s\n", what.c_str(), static_cast<int>(errorCode),
                 text.empty() ? "" : ": ", text.c_str());
    // A failure without a code (the control leaves some that way) still fails the run.
    m_exitStatus = errorCode > 0 && errorCode < 256 ? static_cast<int>(errorCode) : kExitControlFailure;
    return false;
}

void CBookBuilder::PrintCollection(const char* label, DISPID dispid, const char* name) {
    leaf::Variant collection;
    if (!Call(dispid, name, {}, collection))
        return;
    leaf::ComPtr<IDispatch> strings = collection.ToDispatch();
    if (!strings)
        return;
    try {
        leaf::DispatchDriver driver(strings);
        LONG count = driver.GetProperty(collectiondispid::Count).ToLong();
        for (LONG i = 1; i <= count; ++i) {
            std::string item =
                driver.InvokeHelper(collectiondispid::Item, DISPATCH_PROPERTYGET, {leaf::Variant(i)}).ToUtf8();
            std::fprintf(m_out, "  %s: %s\n", label, item.c_str());
        }
    } catch (const leaf::DispatchError& error) {
        std::fprintf(m_out, "  %s: cannot read the list (%s)\n", label, error.what());
    }
    std::fflush(m_out);
}
