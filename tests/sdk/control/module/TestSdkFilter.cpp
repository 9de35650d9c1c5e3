// A scriptable input filter for the control's tests (module sdktestintake.so).
//
// LeafcraftTest.SdkFilter handles ".src" and ".page". GetSize gives the N of a line
// "size N" in the file, else 10 units. Prepare first reports a message (type 1)
// "prepare" with the source's path, so a test sees the order in which sources are
// scanned, then follows the source file's lines; each host call's result is reported as
// the code of a message:
//   dep PATH         AddDependency(PATH); a relative PATH is taken from the source's folder
//   step N           StepProgress(N) -> message type 5 "step"; a failure ends Prepare
//   folder           GetSourceFolder -> message type 2 with the folder as its text
//   nullfolder       GetSourceFolder(null) -> message type 6 "nullfolder"
//   output PATH      AddOutputFile(PATH) -> message type 3 "output"
//   update P S TEXT  UpdateProgress(P, S, TEXT) -> message type 4 "update"
//   msg CODE TEXT    Message with that code and text (type 9)
//   fail             SetErrorDetails("filter failed") and E_FAIL
//   depmap PATH NAME AddDependency(PATH, NAME), both as written
//   nameless         AddDependency with a null and an empty path, then AddOutputFile("")
//                    -> message type 3 "output"
// LeafcraftTest.BrokenFilter (".broken") refuses to initialise.
// LeafcraftTest.FontEmbedder answers its availability check with the value of the
// environment variable LEAF_TEST_EMBEDDER_CHECK (0 when unset); LEAF_TEST_EMBEDDER_STEP
// ("analyse" or "embed") makes that operation report and answer an abort;
// LEAF_TEST_EMBEDDER_FAIL ("embed") makes it fail without one.

#include <cstdlib>
#include <initializer_list>
#include <sstream>
#include <string>

#include "common/InputFilter.h"
#include "platform/base/File.h"
#include "platform/base/Path.h"
#include "platform/base/TextEncoding.h"
#include "platform/com/ComObject.h"
#include "platform/com/Module.h"
#include "platform/registry/RegistryKey.h"
#include "sdk/control/FontEmbedder.h"
#include "tests/sdk/control/module/TestFilterIds.h"

namespace {

std::string Narrow(LPCOLESTR text) { return text ? leaf::Utf16ToUtf8(std::u16string_view(text)) : std::string(); }

class CTestSdkFilter final : public leaf::ComObject<CTestSdkFilter, IInputFilter> {
public:
    HRESULT Initialize() override { return S_OK; }

    HRESULT Prepare(LPCOLESTR sourcePath, LPCOLESTR, IFilterHost* host) override {
        std::string path = Narrow(sourcePath);
        host->Message(0, 1, 0, u"prepare", sourcePath, 0);
        std::string contents;
        if (!leaf::ReadFileBytes(path, contents))
            return E_FAIL;
        std::istringstream lines(contents);
        std::string line;
        while (std::getline(lines, line)) {
            if (line.rfind("dep ", 0) == 0) {
                std::string dependency = line.substr(4);
                if (!leaf::path::IsAbsolute(dependency) && dependency.find(':') == std::string::npos)
                    dependency = leaf::path::Join(leaf::path::FolderPart(path), dependency);
                host->AddDependency(leaf::Utf8ToUtf16(dependency).c_str(), nullptr);
            } else if (line.rfind("step ", 0) == 0) {
                HRESULT hr = host->StepProgress(std::atoi(line.c_str() + 5));
                host->Message(0, 5, hr, u"step", sourcePath, 0);
                if (FAILED(hr))
                    return hr;
            } else if (line == "nullfolder") {
                host->Message(0, 6, host->GetSourceFolder(nullptr), u"nullfolder", sourcePath, 0);
            } else if (line.rfind("output ", 0) == 0) {
                HRESULT hr = host->AddOutputFile(leaf::Utf8ToUtf16(line.substr(7)).c_str());
                host->Message(0, 3, hr, u"output", sourcePath, 0);
            } else if (line.rfind("update ", 0) == 0) {
                std::istringstream words(line.substr(7));
                LONG percent = 0;
                LONG step = 0;
                std::string text;
                words >> percent >> step >> text;
                HRESULT hr = host->UpdateProgress(percent, step, leaf::Utf8ToUtf16(text).c_str());
                host->Message(0, 4, hr, u"update", sourcePath, 0);
            } else if (line.rfind("msg ", 0) == 0) {
                std::istringstream words(line.substr(4));
                LONG code = 0;
                std::string text;
                words >> code >> text;
                host->Message(0, 9, code, leaf::Utf8ToUtf16(text).c_str(), sourcePath, 0);
            } else if (line == "folder") {
                BSTR folder = nullptr;
                host->GetSourceFolder(&folder);
                host->Message(0, 2, 0, folder, sourcePath, 0);
                SysFreeString(folder);
            } else if (line.rfind("depmap ", 0) == 0) {
                std::istringstream words(line.substr(7));
                std::string file;
                std::string name;
                words >> file >> name;
                host->AddDependency(leaf::Utf8ToUtf16(file).c_str(), leaf::Utf8ToUtf16(name).c_str());
            } else if (line == "nameless") {
                host->AddDependency(nullptr, nullptr);
                host->AddDependency(u"", u"");
                host->Message(0, 3, host->AddOutputFile(u""), u"output", sourcePath, 0);
            } else if (line == "fail") {
                host->SetErrorDetails(u"filter failed");
                return E_FAIL;
            }
        }
        return S_OK;
    }

    HRESULT Convert(LPCOLESTR, LPCOLESTR, LONG, IFilterHost*) override { return E_NOTIMPL; }

    HRESULT GetSize(LPCOLESTR sourcePath, LONG, LONG* units) override {
        *units = 10;
        std::string contents;
        if (leaf::ReadFileBytes(Narrow(sourcePath), contents)) {
            size_t size = contents.find("size ");
            if (size != std::string::npos)
                *units = std::atoi(contents.c_str() + size + 5);
        }
        return S_OK;
    }
};

class CTestBrokenFilter final : public leaf::ComObject<CTestBrokenFilter, IInputFilter> {
public:
    HRESULT Initialize() override { return E_FAIL; }
    HRESULT Prepare(LPCOLESTR, LPCOLESTR, IFilterHost*) override { return E_FAIL; }
    HRESULT Convert(LPCOLESTR, LPCOLESTR, LONG, IFilterHost*) override { return E_FAIL; }
    HRESULT GetSize(LPCOLESTR, LONG, LONG*) override { return E_FAIL; }
};

class CTestFontEmbedder final : public leaf::ComObject<CTestFontEmbedder, IFontEmbedder> {
public:
    LONG CheckAvailable() override {
        const char* value = std::getenv("LEAF_TEST_EMBEDDER_CHECK");
        return value ? std::atoi(value) : 0;
    }
    HRESULT Begin(IFilterHost*) override { return S_OK; }
    HRESULT AddFile(LPCOLESTR, IFilterHost*) override { return S_OK; }
    HRESULT Analyse(IFilterHost* host) override { return Report("analyse", host); }
    IDispatch* GetFontList(IFilterHost*) override { return nullptr; }
    HRESULT Embed(LPCOLESTR, IFilterHost* host) override {
        const char* failing = std::getenv("LEAF_TEST_EMBEDDER_FAIL");
        if (failing != nullptr && std::string(failing) == "embed")
            return E_FAIL;
        return Report("embed", host);
    }
    HRESULT End(IFilterHost*) override { return S_OK; }

private:
    // When LEAF_TEST_EMBEDDER_STEP names this operation, it reports a message (type 7
    // "fonts") and then tests for an abort, which fails the operation.
    static HRESULT Report(const char* operation, IFilterHost* host) {
        const char* step = std::getenv("LEAF_TEST_EMBEDDER_STEP");
        if (step == nullptr || std::string(step) != operation || host == nullptr)
            return S_OK;
        host->Message(0, 7, 0, u"fonts", nullptr, 0);
        return host->StepProgress(0);
    }
};

const leaf::ComModule& ThisModule() {
    static const leaf::ComModule module{{
        leaf::MakeClassEntry<CTestSdkFilter>(CLSID_TestSdkFilter, kTestFilterProgId, "", "Test SDK Filter"),
        leaf::MakeClassEntry<CTestBrokenFilter>(CLSID_TestBrokenFilter, kBrokenFilterProgId, "", "Broken Filter"),
        leaf::MakeClassEntry<CTestFontEmbedder>(CLSID_TestFontEmbedder, kTestFontEmbedderProgId, "",
                                                "Test Font Embedder"),
    }};
    return module;
}

// The installation state a filter writes for the control: its ProgID under the
// machine's filter key, and each extension under the default user's.
void RegisterFilterKeys(const char* progId, std::initializer_list<const char*> extensions) {
    leaf::RegistryKey::Create(HKEY_LOCAL_MACHINE, std::string("Software\\Tallbrook Systems, Inc.\\Leafcraft\\Filters\\") +
                                                      progId);
    for (const char* extension : extensions) {
        leaf::RegistryKey key = leaf::RegistryKey::Create(
            HKEY_USERS, std::string(".Default\\Software\\Tallbrook Systems, Inc.\\Leafcraft\\Filters\\") + extension);
        key.WriteString("", progId);
    }
}

}  // namespace

// The standard exports, with the filters' installation keys written on registration.
LEAF_EXPORT_C HRESULT DllGetClassObject(REFCLSID clsid, REFIID riid, void** object) {
    return ThisModule().GetClassObject(clsid, riid, object);
}
LEAF_EXPORT_C HRESULT DllCanUnloadNow() { return ThisModule().CanUnloadNow(); }
LEAF_EXPORT_C HRESULT DllRegisterServer() {
    static const char addressInModule = 0;
    HRESULT hr = ThisModule().RegisterServer(&addressInModule);
    if (FAILED(hr))
        return hr;
    RegisterFilterKeys(kTestFilterProgId, {".src", ".page"});
    RegisterFilterKeys(kBrokenFilterProgId, {".broken"});
    return S_OK;
}
LEAF_EXPORT_C HRESULT DllUnregisterServer() { return ThisModule().UnregisterServer(); }
