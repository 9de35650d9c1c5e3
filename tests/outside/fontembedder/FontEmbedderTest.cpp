// The font-embedding component as the build control drives it: registered from the
// built module into the test's registry, created by its ProgID, fed a work folder,
// its font list read and changed through IDispatch, and the chosen fonts embedded.

#include <dlfcn.h>
#include <fontconfig/fontconfig.h>

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

#include "platform/base/TextEncoding.h"
#include "platform/com/ComRuntime.h"
#include "platform/com/DispatchDriver.h"
#include "sdk/control/FontEmbedder.h"
#include "tests/support/TempFolder.h"

namespace {

namespace fs = std::filesystem;
using leaf::ComPtr;
using leaf::Variant;

constexpr LONG kNative = 0, kGeneric = 1, kEmbeddable = 2, kUnknown = 5;

// A host that records what the component tells it.
class RecordingHost : public IFilterHost {
public:
    std::string errorDetails;
    std::vector<std::string> outputFiles;
    int steps = 0;
    int abortAtStep = -1;  // StepProgress answers E_ABORT from this call on

    HRESULT QueryInterface(REFIID, void**) override { return E_NOTIMPL; }
    ULONG AddRef() override { return 0; }
    ULONG Release() override { return 0; }
    HRESULT SetErrorDetails(LPCOLESTR text) override {
        errorDetails = leaf::Utf16ToUtf8(text);
        return S_OK;
    }
    HRESULT AddDependency(LPCOLESTR, LPCOLESTR) override { return S_OK; }
    HRESULT GetSourceFolder(BSTR* folder) override { return E_NOTIMPL; }
    HRESULT StepProgress(LONG) override {
        int step = steps++;
        return abortAtStep >= 0 && step >= abortAtStep ? E_ABORT : S_OK;
    }
    HRESULT UpdateProgress(LONG, LONG, LPCOLESTR) override { return S_OK; }
    HRESULT AddOutputFile(LPCOLESTR path) override {
        outputFiles.push_back(leaf::Utf16ToUtf8(path));
        return S_OK;
    }
    struct Note {
        LONG type;
        LONG code;
        std::string text;
        std::string path;
    };
    std::vector<Note> messages;
    HRESULT Message(LONG, LONG type, LONG code, LPCOLESTR text, LPCOLESTR path, LONG) override {
        messages.push_back({type, code, leaf::Utf16ToUtf8(text), leaf::Utf16ToUtf8(path)});
        return S_OK;
    }
};

struct InstalledFace {
    std::string family;
    std::string file;
};

// A family installed here whose regular face is a TrueType or OpenType file of its own,
// as fontconfig resolves it; DejaVu Sans when it is there.
std::optional<InstalledFace> FindInstalledFace() {
    FcConfig* config = FcInitLoadConfigAndFonts();
    if (config == nullptr)
        return std::nullopt;
    std::vector<std::string> candidates = {"DejaVu Sans"};
    FcPattern* all = FcPatternCreate();
    FcObjectSet* objects = FcObjectSetBuild(FC_FAMILY, nullptr);
    if (FcFontSet* set = FcFontList(config, all, objects)) {
        for (int i = 0; i < set->nfont; ++i) {
            FcChar8* family = nullptr;
            if (FcPatternGetString(set->fonts[i], FC_FAMILY, 0, &family) == FcResultMatch)
                candidates.emplace_back(reinterpret_cast<const char*>(family));
        }
        FcFontSetDestroy(set);
    }
    FcObjectSetDestroy(objects);
    FcPatternDestroy(all);

    std::optional<InstalledFace> found;
    for (const std::string& family : candidates) {
        FcPattern* pattern = FcPatternCreate();
        FcPatternAddString(pattern, FC_FAMILY, reinterpret_cast<const FcChar8*>(family.c_str()));
        FcPatternAddInteger(pattern, FC_WEIGHT, FC_WEIGHT_REGULAR);
        FcPatternAddInteger(pattern, FC_SLANT, FC_SLANT_ROMAN);
        FcConfigSubstitute(config, pattern, FcMatchPattern);
        FcDefaultSubstitute(pattern);
        FcResult result;
        FcPattern* match = FcFontMatch(config, pattern, &result);
        FcPatternDestroy(pattern);
        if (match == nullptr)
            continue;
        FcChar8* matchedFamily = nullptr;
        FcChar8* file = nullptr;
        FcChar8* format = nullptr;
        int index = 0;
        if (FcPatternGetString(match, FC_FAMILY, 0, &matchedFamily) == FcResultMatch &&
            FcPatternGetString(match, FC_FILE, 0, &file) == FcResultMatch &&
            FcPatternGetString(match, FC_FONTFORMAT, 0, &format) == FcResultMatch &&
            FcPatternGetInteger(match, FC_INDEX, 0, &index) == FcResultMatch && index == 0 &&
            std::string(reinterpret_cast<const char*>(matchedFamily)) == family &&
            std::string(reinterpret_cast<const char*>(format)) == "TrueType") {
            std::string path = reinterpret_cast<const char*>(file);
            std::string extension = fs::path(path).extension().string();
            if (extension == ".ttf" || extension == ".otf")
                found = InstalledFace{family, path};
        }
        FcPatternDestroy(match);
        if (found)
            break;
    }
    FcConfigDestroy(config);
    return found;
}

std::string ReadAll(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

// Registers the built module into this test process's registry.
void RegisterModule() {
    std::string path = fs::canonical(leaf::test::BinDir() + "/FontEmbedder.so").string();
    void* module = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
    ASSERT_NE(module, nullptr) << dlerror();
    void* symbol = dlsym(module, "DllRegisterServer");
    ASSERT_NE(symbol, nullptr);
    HRESULT (*registerServer)() = nullptr;
    std::memcpy(&registerServer, &symbol, sizeof registerServer);
    ASSERT_EQ(registerServer(), S_OK);
}

ComPtr<IFontEmbedder> CreateEmbedder() {
    CLSID clsid{};
    ComPtr<IFontEmbedder> embedder;
    if (SUCCEEDED(CLSIDFromProgID(kFontEmbedderProgId, &clsid)))
        CoCreateInstance(clsid, nullptr, CLSCTX_INPROC_SERVER, IID_IFontEmbedder, embedder.ReceiveVoid());
    return embedder;
}

struct FontProperties {
    bool embed;
    std::string name;
    LONG weight;
    LONG italic;
    LONG kind;
    std::u16string characters;
};

FontProperties ReadFont(const leaf::DispatchDriver& font) {
    Variant characters = font.GetProperty(embedfont::kCharacters);
    EXPECT_EQ(characters.Type(), VT_BSTR);
    Variant embed = font.GetProperty(embedfont::kEmbed);
    EXPECT_EQ(embed.Type(), VT_BOOL);
    return {embed.ToBool(), font.GetProperty(embedfont::kName).ToUtf8(), font.GetProperty(embedfont::kWeight).ToLong(),
            font.GetProperty(embedfont::kItalic).ToLong(), font.GetProperty(embedfont::kKind).ToLong(),
            characters.ToUtf16()};
}

class FontEmbedderTest : public testing::Test {
protected:
    void SetUp() override {
        ASSERT_FALSE(CreateEmbedder()) << "nothing is registered in a fresh registry";
        RegisterModule();
        embedder = CreateEmbedder();
        ASSERT_TRUE(embedder);
        ASSERT_EQ(embedder->CheckAvailable(), 0);
        installed = FindInstalledFace();
        if (!installed)
            GTEST_SKIP() << "no TrueType font is installed on this machine";
        sheet = work.WriteFile("styles/book.css",
                               ".body { font-family: \"" + installed->family + "\", serif }\n"
                               ".odd { font-family: NoSuchFaceAnywhere }\n");
        page = work.WriteFile("text/chapter.html",
                              "<html><head><link rel=\"stylesheet\" href=\"../styles/book.css\"></head><body>"
                              "<p class=\"body\">Hello</p><p class=\"odd\">Qq</p>"
                              "<p style=\"font-family: Georgia\">G</p></body></html>");
        picture = work.WriteFile("images/cover.png", "not read");
    }

    // Begin, AddFile for every work file, Analyse.
    HRESULT RunToAnalyse() {
        embedder->Begin(&host);
        EXPECT_EQ(embedder->AddFile(leaf::Utf8ToUtf16(page).c_str(), &host), S_OK);
        EXPECT_EQ(embedder->AddFile(leaf::Utf8ToUtf16(picture).c_str(), &host), S_FALSE);
        EXPECT_EQ(embedder->AddFile(leaf::Utf8ToUtf16(sheet).c_str(), &host), S_OK);
        return embedder->Analyse(&host);
    }

    // The font list's items by name.
    std::vector<std::pair<leaf::DispatchDriver, FontProperties>> ReadList() {
        ComPtr<IDispatch> list;
        list.Attach(embedder->GetFontList(&host));
        EXPECT_TRUE(list);
        leaf::DispatchDriver driver(list);
        std::vector<std::pair<leaf::DispatchDriver, FontProperties>> fonts;
        LONG count = driver.GetProperty(fontlist::kCount).ToLong();
        for (LONG i = 1; i <= count; ++i) {
            leaf::DispatchDriver font(driver.Invoke(fontlist::kItem, DISPATCH_PROPERTYGET, i).ToDispatch());
            fonts.emplace_back(font, ReadFont(font));
        }
        return fonts;
    }

    std::string EmbedInto(HRESULT expected) {
        EXPECT_EQ(embedder->Embed(leaf::Utf8ToUtf16(work.Path().string()).c_str(), &host), expected);
        return (work.Path() / "fonts").string();
    }

    leaf::test::ScopedRegistryRoot registry;  // fresh for every test, also when run in one process
    leaf::test::TempFolder work;
    RecordingHost host;
    ComPtr<IFontEmbedder> embedder;
    std::optional<InstalledFace> installed;
    std::string sheet, page, picture;
};

TEST_F(FontEmbedderTest, ListsTheFamiliesWithKindsAndCharacters) {
    ASSERT_EQ(RunToAnalyse(), S_OK);
    auto fonts = ReadList();
    ASSERT_EQ(fonts.size(), 4u);
    std::map<std::string, FontProperties> byName;
    for (auto& [driver, properties] : fonts)
        byName[properties.name] = properties;

    const FontProperties& face = byName.at(installed->family);
    EXPECT_EQ(face.kind, kEmbeddable);
    EXPECT_TRUE(face.embed);
    EXPECT_EQ(face.weight, 400);
    EXPECT_EQ(face.italic, 0);
    EXPECT_EQ(face.characters, u"Helo");  // each character once, in code order
    EXPECT_EQ(byName.at("serif").kind, kGeneric);
    EXPECT_FALSE(byName.at("serif").embed);
    EXPECT_EQ(byName.at("NoSuchFaceAnywhere").kind, kUnknown);
    EXPECT_EQ(byName.at("NoSuchFaceAnywhere").characters, u"Qq");
    EXPECT_EQ(byName.at("Georgia").kind, kNative);
    EXPECT_FALSE(byName.at("Georgia").embed);
}

TEST_F(FontEmbedderTest, BoldTextIsEmbeddedAsABoldFace) {
    work.WriteFile("text/chapter.html", "<link rel=stylesheet href='../styles/book.css'><b class=body>B</b>");
    ASSERT_EQ(RunToAnalyse(), S_OK);
    auto fonts = ReadList();
    // The face and serif in bold, and the family the sheet names for nothing on the page.
    ASSERT_EQ(fonts.size(), 3u);
    auto found = std::find_if(fonts.begin(), fonts.end(), [&](const auto& font) {
        return font.second.name == installed->family;
    });
    ASSERT_NE(found, fonts.end());
    const FontProperties& face = found->second;
    EXPECT_EQ(face.weight, 700);
    EXPECT_EQ(face.kind, kEmbeddable);
    EXPECT_EQ(face.characters, u"B");
    std::string folder = EmbedInto(S_OK);
    std::string css = ReadAll(folder + "/embedded-fonts.css");
    EXPECT_NE(css.find("font-weight: 700"), std::string::npos) << css;
    EXPECT_EQ(css.find("font-weight: 400"), std::string::npos) << css;
}

TEST_F(FontEmbedderTest, ItemOutOfRangeIsAnAutomationError) {
    ASSERT_EQ(RunToAnalyse(), S_OK);
    ComPtr<IDispatch> list;
    list.Attach(embedder->GetFontList(&host));
    leaf::DispatchDriver driver(list);
    for (LONG index : {0, 5, -1}) {
        leaf::DispatchResult result = driver.TryInvoke(fontlist::kItem, DISPATCH_PROPERTYGET, {Variant(index)});
        EXPECT_EQ(result.hr, DISP_E_EXCEPTION) << index;
        EXPECT_EQ(result.exceptionCode, E_INVALIDARG) << index;
    }
    // name is read-only; embed takes a boolean
    leaf::DispatchDriver font(driver.Invoke(fontlist::kItem, DISPATCH_PROPERTYGET, LONG{1}).ToDispatch());
    EXPECT_EQ(font.TryInvoke(embedfont::kName, DISPATCH_PROPERTYPUT, {Variant("x")}).hr, DISP_E_MEMBERNOTFOUND);
}

TEST_F(FontEmbedderTest, EmbedCopiesTheChosenFileAndAddsTheStyleSheetLast) {
    ASSERT_EQ(RunToAnalyse(), S_OK);
    ReadList();
    std::string fonts = EmbedInto(S_OK);

    std::string copy = (fs::path(fonts) / fs::path(installed->file).filename()).string();
    ASSERT_TRUE(fs::exists(copy));
    EXPECT_EQ(ReadAll(copy), ReadAll(installed->file));
    std::string css = ReadAll(fonts + "/embedded-fonts.css");
    EXPECT_NE(css.find("font-family: \"" + installed->family + "\""), std::string::npos) << css;
    EXPECT_NE(css.find("src: url(\"" + fs::path(installed->file).filename().string() + "\")"), std::string::npos)
        << css;
    EXPECT_NE(css.find("font-weight: 400"), std::string::npos);
    EXPECT_EQ(host.outputFiles, (std::vector<std::string>{copy, fonts + "/embedded-fonts.css"}));
    EXPECT_TRUE(host.errorDetails.empty());
    // Only that one file: nothing for the reader's face, the generic name or the unknown family.
    EXPECT_EQ(std::distance(fs::directory_iterator(fonts), fs::directory_iterator()), 2);
}

TEST_F(FontEmbedderTest, UnchosenFontsAreNotCopied) {
    ASSERT_EQ(RunToAnalyse(), S_OK);
    for (auto& [driver, properties] : ReadList())
        if (properties.kind == kEmbeddable)
            driver.SetProperty(embedfont::kEmbed, Variant(false));
    for (auto& [driver, properties] : ReadList())
        EXPECT_FALSE(properties.embed);  // the choice stays with the list
    std::string fonts = EmbedInto(S_OK);
    EXPECT_FALSE(fs::exists(fonts));
    EXPECT_TRUE(host.outputFiles.empty());
}

TEST_F(FontEmbedderTest, ChoosingTheReaderFaceEmbedsItOnlyWhenInstalled) {
    ASSERT_EQ(RunToAnalyse(), S_OK);
    for (auto& [driver, properties] : ReadList())
        if (properties.kind == kNative)
            driver.SetProperty(embedfont::kEmbed, Variant(true));
    EmbedInto(S_OK);
    ASSERT_FALSE(host.outputFiles.empty());
    // The installed face, maybe the reader's face, and the sheet; never a missing file.
    for (const std::string& file : host.outputFiles)
        EXPECT_TRUE(fs::exists(file)) << file;
}

TEST_F(FontEmbedderTest, AbortThroughProgressStopsWithoutAddingFiles) {
    ASSERT_EQ(RunToAnalyse(), S_OK);
    host.abortAtStep = host.steps;  // the next progress call answers with an abort
    std::string fonts = EmbedInto(E_ABORT);
    EXPECT_TRUE(host.outputFiles.empty());
    EXPECT_FALSE(fs::exists(fonts + "/embedded-fonts.css"));

    host.abortAtStep = 0;
    EXPECT_EQ(RunToAnalyse(), E_ABORT);
}

TEST_F(FontEmbedderTest, CopyFailureSetsErrorDetailsAndFails) {
    ASSERT_EQ(RunToAnalyse(), S_OK);
    work.WriteFile("fonts", "a file where the font folder should be");
    EmbedInto(E_FAIL);
    EXPECT_NE(host.errorDetails.find("fonts"), std::string::npos) << host.errorDetails;
    EXPECT_TRUE(host.outputFiles.empty());
}

TEST_F(FontEmbedderTest, ExistingNamesInTheFontFolderAreKept) {
    ASSERT_EQ(RunToAnalyse(), S_OK);
    std::string name = fs::path(installed->file).filename().string();
    work.WriteFile("fonts/" + name, "the book's own file");
    work.WriteFile("fonts/embedded-fonts.css", "/* the book's own sheet */");
    std::string fonts = EmbedInto(S_OK);
    EXPECT_EQ(ReadAll(fonts + "/" + name), "the book's own file");
    EXPECT_EQ(ReadAll(fonts + "/embedded-fonts.css"), "/* the book's own sheet */");
    ASSERT_EQ(host.outputFiles.size(), 2u);
    EXPECT_EQ(ReadAll(host.outputFiles[0]), ReadAll(installed->file));
    EXPECT_NE(ReadAll(host.outputFiles[1]).find("@font-face"), std::string::npos);
}

TEST_F(FontEmbedderTest, AFontUsedOnlyInUtf16PagesIsEmbedded) {
    for (const bool bigEndian : {false, true}) {
        SCOPED_TRACE(bigEndian ? "big-endian" : "little-endian");
        std::string bytes = bigEndian ? "\xFE\xFF" : "\xFF\xFE";
        for (char16_t unit : leaf::Utf8ToUtf16("<p style='font-family: \"" + installed->family + "\"'>\xC3\xA9t\xC3\xA9</p>")) {
            const char low = static_cast<char>(unit & 0xFF), high = static_cast<char>(unit >> 8);
            bytes += bigEndian ? high : low;
            bytes += bigEndian ? low : high;
        }
        const std::string only = work.WriteFile(bigEndian ? "be.htm" : "le.htm", bytes);
        embedder->Begin(&host);
        ASSERT_EQ(embedder->AddFile(leaf::Utf8ToUtf16(only).c_str(), &host), S_OK);
        ASSERT_EQ(embedder->Analyse(&host), S_OK);
        auto fonts = ReadList();
        ASSERT_EQ(fonts.size(), 1u);
        EXPECT_EQ(fonts[0].second.name, installed->family);
        EXPECT_EQ(fonts[0].second.kind, kEmbeddable);
        EXPECT_TRUE(fonts[0].second.embed);
        EXPECT_EQ(fonts[0].second.characters, u"t\u00E9");
        EXPECT_TRUE(host.messages.empty());
        embedder->End(&host);
    }
}

TEST_F(FontEmbedderTest, AWorkFileThatCannotBeReadIsReportedAsAWarning) {
    embedder->Begin(&host);
    const std::string missing = (work.Path() / "text/gone.html").string();
    const std::string folderSheet = (work.Path() / "styles/folder.css").string();
    std::filesystem::create_directories(folderSheet);
    embedder->AddFile(leaf::Utf8ToUtf16(missing).c_str(), &host);
    embedder->AddFile(leaf::Utf8ToUtf16(folderSheet).c_str(), &host);
    embedder->AddFile(leaf::Utf8ToUtf16(page).c_str(), &host);
    embedder->AddFile(leaf::Utf8ToUtf16(sheet).c_str(), &host);
    EXPECT_EQ(embedder->Analyse(&host), S_OK);  // the readable files still count
    ASSERT_EQ(host.messages.size(), 2u);
    EXPECT_EQ(host.messages[0].path, folderSheet);  // sheets are read first
    EXPECT_EQ(host.messages[1].path, missing);
    for (const auto& message : host.messages) {
        EXPECT_EQ(message.type, 1);  // a warning: the build goes on
        EXPECT_EQ(message.code, 3001);
        EXPECT_NE(message.text.find(message.path), std::string::npos) << message.text;
    }
}

TEST_F(FontEmbedderTest, NothingToEmbedIsANegativeAnalysisAndEndDropsTheRun) {
    embedder->Begin(&host);
    std::string only = work.WriteFile("plain.htm", "<p style='font-family: monospace, NoSuchFaceAnywhere'>x</p>");
    embedder->AddFile(leaf::Utf8ToUtf16(only).c_str(), &host);
    EXPECT_LT(embedder->Analyse(&host), 0);

    ASSERT_EQ(RunToAnalyse(), S_OK);
    embedder->End(&host);
    EXPECT_EQ(embedder->GetFontList(&host), nullptr);
    EmbedInto(S_OK);
    EXPECT_TRUE(host.outputFiles.empty());
}

}  // namespace
