// The e-book compiler module as the control drives it: loaded from build/bin, fed a
// package and its items through its streams, and the e-book unpacked and checked.

#include <dlfcn.h>
#include <zip.h>

#include <cstring>
#include <filesystem>
#include <fstream>
#include <map>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "platform/base/TextEncoding.h"
#include "sdk/compiler/EBookCompiler.h"
#include "tests/support/TempFolder.h"

namespace {

class RecordingCallback final : public ICompilerCallback {
public:
    HRESULT QueryInterface(REFIID, void**) override { return E_NOINTERFACE; }
    ULONG AddRef() override { return 1; }
    ULONG Release() override { return 1; }
    HRESULT Message(LONG type, LONG code, LPCOLESTR text) override {
        messages.push_back(std::to_string(type) + " " + std::to_string(code) + " " +
                           leaf::Utf16ToUtf8(std::u16string_view(text)));
        return S_OK;
    }
    std::vector<std::string> messages;
};

std::map<std::string, std::string> Unpack(const std::string& path) {
    std::map<std::string, std::string> entries;
    int error = 0;
    zip_t* archive = zip_open(path.c_str(), ZIP_RDONLY, &error);
    if (archive == nullptr)
        return entries;
    for (zip_int64_t index = 0; index < zip_get_num_entries(archive, 0); ++index) {
        zip_stat_t stat;
        zip_stat_index(archive, index, 0, &stat);
        std::string content(stat.size, '\0');
        zip_file_t* file = zip_fopen_index(archive, index, 0);
        zip_fread(file, content.data(), stat.size);
        zip_fclose(file);
        entries[stat.name] = content;
    }
    zip_close(archive);
    return entries;
}

struct Element {
    std::u16string name;
    std::vector<std::pair<std::u16string, std::u16string>> attributes;
};

class LitGen : public ::testing::Test {
protected:
    void SetUp() override {
        module = dlopen((leaf::test::BinDir() + "/LITGen.so").c_str(), RTLD_NOW | RTLD_LOCAL);
        ASSERT_NE(nullptr, module) << dlerror();
        auto create = reinterpret_cast<CreateWriterFunction>(dlsym(module, kCreateWriterEntryPoint));
        ASSERT_NE(nullptr, create);
        leaf::ComPtr<IUnknown> object;
        ASSERT_EQ(S_OK, create(object.Receive()));
        writer = object.As<IEBookWriter>();
        ASSERT_TRUE(writer);
        ASSERT_EQ(S_OK, writer->Initialize(&callback));
        eBook = folder / "book.lit";
        work = folder / "work/";
        std::filesystem::create_directories(work);
        ASSERT_EQ(S_OK, writer->BeginEBook(leaf::Utf8ToUtf16(eBook).c_str(), leaf::Utf8ToUtf16(work).c_str(),
                                           u"Source", nullptr));
    }
    void TearDown() override {
        writer = nullptr;
        if (module)
            dlclose(module);
    }

    static void Start(IMarkupStream* stream, const Element& element, bool hasContent) {
        leaf::ComPtr<IUnknown> object;
        ASSERT_EQ(S_OK, stream->CreateElement(object.Receive()));
        leaf::ComPtr<IMarkupElement> created = object.As<IMarkupElement>();
        ASSERT_TRUE(created);
        created->SetName(element.name.c_str(), static_cast<LONG>(element.name.size()));
        for (const auto& [name, value] : element.attributes)
            created->AddAttribute(name.c_str(), static_cast<LONG>(name.size()), value.c_str(),
                                  static_cast<LONG>(value.size()));
        ASSERT_EQ(S_OK, stream->StartElement(created, hasContent ? TRUE : FALSE));
    }

    // Streams a package naming the given items {href, media type}.
    HRESULT StreamPackage(const std::vector<std::pair<std::u16string, std::u16string>>& items) {
        leaf::ComPtr<IUnknown> object;
        EXPECT_EQ(S_OK, writer->GetPackageStream(0, object.Receive()));
        leaf::ComPtr<IMarkupStream> stream = object.As<IMarkupStream>();
        Start(stream, {u"package", {{u"unique-identifier", u"id"}}}, true);
        Start(stream, {u"manifest", {}}, true);
        int number = 0;
        for (const auto& [href, type] : items)
            Start(stream, {u"item", {{u"id", u"i" + leaf::Utf8ToUtf16(std::to_string(++number))}, {u"href", href},
                                     {u"media-type", type}}},
                  false);
        stream->EndElement();
        stream->EndElement();
        return stream->End();
    }

    template <class Stream>
    static std::string Url(Stream* stream) {
        BSTR url = nullptr;
        stream->GetUrl(&url);
        std::string text = leaf::BstrToUtf8(url);
        SysFreeString(url);
        return text;
    }

    leaf::test::TempFolder folder;
    void* module = nullptr;
    RecordingCallback callback;
    leaf::ComPtr<IEBookWriter> writer;
    std::string eBook;
    std::string work;
};

TEST_F(LitGen, WritesThePackageAndEveryItemAtFinish) {
    ASSERT_EQ(S_OK, StreamPackage({{u"pic.gif", u"image/gif"}, {u"a.htm", u"text/html"}, {u"s/b.css", u"text/css"},
                                   {u"c.htm", u"text/x-oeb1-document"}}));

    // Style sheets first, then HTML documents in manifest order, then the rest.
    leaf::ComPtr<IUnknown> object;
    ASSERT_EQ(S_OK, writer->NextCssItem(object.Receive()));
    leaf::ComPtr<ICssStream> css = object.As<ICssStream>();
    ASSERT_TRUE(css);
    EXPECT_EQ("file://" + work + "s/b.css", Url(css.Get()));
    LONG written = 0;
    EXPECT_EQ(S_OK, css->Write("p { }\n", 6, &written));
    EXPECT_EQ(6, written);
    EXPECT_EQ(S_OK, css->End());
    EXPECT_EQ(S_FALSE, writer->NextCssItem(object.Receive()));
    EXPECT_FALSE(object);

    std::vector<std::string> htmlUrls;
    while (writer->NextHtmlItem(object.Receive()) == S_OK) {
        leaf::ComPtr<IMarkupStream> html = object.As<IMarkupStream>();
        htmlUrls.push_back(Url(html.Get()));
        Start(html, {u"p", {}}, true);
        html->WriteText(u"x<y", 3);
        html->EndElement();
        EXPECT_EQ(S_OK, html->End());
    }
    EXPECT_EQ((std::vector<std::string>{"file://" + work + "a.htm", "file://" + work + "c.htm"}), htmlUrls);

    ASSERT_EQ(S_OK, writer->NextBinaryItem(object.Receive()));
    {
        leaf::ComPtr<IBinaryStream> binary = object.As<IBinaryStream>();
        object = nullptr;
        EXPECT_EQ(S_OK, binary->Write("GIF89a\0\1", 8, &written));
    }
    EXPECT_EQ(S_FALSE, writer->NextBinaryItem(object.Receive()));

    EXPECT_FALSE(std::filesystem::exists(eBook)) << "nothing is written before Finish";
    EXPECT_EQ(S_OK, writer->Finish());
    EXPECT_TRUE(callback.messages.empty());

    std::map<std::string, std::string> entries = Unpack(eBook);
    ASSERT_EQ(5u, entries.size());
    EXPECT_NE(std::string::npos, entries["book.opf"].find("<item id=\"i2\" href=\"a.htm\" media-type=\"text/html\" />"));
    EXPECT_EQ("p { }\n", entries["s/b.css"]);
    EXPECT_EQ("<p>x&lt;y</p>", entries["a.htm"]);
    EXPECT_EQ(std::string("GIF89a\0\1", 8), entries["pic.gif"]);
    // No temporary file is left beside the e-book.
    EXPECT_EQ(2, std::distance(std::filesystem::directory_iterator(folder.Path()), {}));
}

TEST_F(LitGen, ReportsItemsNeverStreamedAndWritesNothing) {
    ASSERT_EQ(S_OK, StreamPackage({{u"a.htm", u"text/html"}, {u"b.png", u"image/png"}}));
    leaf::ComPtr<IUnknown> object;
    ASSERT_EQ(S_OK, writer->NextHtmlItem(object.Receive()));
    object = nullptr;  // handed out, never ended
    EXPECT_EQ(E_FAIL, writer->Finish());
    EXPECT_EQ((std::vector<std::string>{
                  "0 1005 The item \"a.htm\" that the package names was never streamed completely.",
                  "0 1005 The item \"b.png\" that the package names was never streamed completely."}),
              callback.messages);
    EXPECT_FALSE(std::filesystem::exists(eBook));
}

TEST_F(LitGen, ReportsAStreamEndedTwiceOrWrittenAfterItsEnd) {
    ASSERT_EQ(S_OK, StreamPackage({{u"a.css", u"text/css"}, {u"b.htm", u"text/html"}}));
    leaf::ComPtr<IUnknown> object;
    ASSERT_EQ(S_OK, writer->NextCssItem(object.Receive()));
    leaf::ComPtr<ICssStream> css = object.As<ICssStream>();
    EXPECT_EQ(S_OK, css->End());
    EXPECT_EQ(E_UNEXPECTED, css->End());
    LONG written = 0;
    EXPECT_EQ(E_UNEXPECTED, css->Write("x", 1, &written));
    EXPECT_EQ(0, written);
    ASSERT_EQ(S_OK, writer->NextHtmlItem(object.Receive()));
    leaf::ComPtr<IMarkupStream> html = object.As<IMarkupStream>();
    EXPECT_EQ(E_UNEXPECTED, html->EndElement());
    EXPECT_EQ(S_OK, html->End());
    EXPECT_EQ(E_UNEXPECTED, html->End());
    ASSERT_EQ(4u, callback.messages.size());
    EXPECT_EQ("0 1006 The stream of \"" + work + "a.css\" was ended twice.", callback.messages[0]);
    EXPECT_EQ("0 1007 The stream of \"" + work + "a.css\" was written after its end.", callback.messages[1]);
    EXPECT_EQ("0 1008 The markup of \"" + work + "b.htm\" ends an element that was never started.",
              callback.messages[2]);
    EXPECT_EQ("0 1006 The stream of \"" + work + "b.htm\" was ended twice.", callback.messages[3]);
}

TEST_F(LitGen, RefusesPackagesThatNameNothingOrLeaveTheWorkFolder) {
    EXPECT_EQ(E_FAIL, StreamPackage({{u"../escape.htm", u"text/html"},
                                     {u"/etc/passwd", u"text/plain"},
                                     {u"ok.htm", u"text/html"},
                                     {u"OK.htm", u"text/html"}}));
    EXPECT_EQ((std::vector<std::string>{
                  "0 1003 The item \"../escape.htm\" does not name a file inside the work folder.",
                  "0 1003 The item \"/etc/passwd\" does not name a file inside the work folder.",
                  "0 1004 The item \"OK.htm\" is named twice."}),
              callback.messages);
}

TEST_F(LitGen, RefusesAnEmptyPackage) {
    EXPECT_EQ(E_FAIL, StreamPackage({}));
    EXPECT_EQ((std::vector<std::string>{"0 1002 The package file names no items."}), callback.messages);
}

TEST_F(LitGen, WarnsOfAPictureThatIsNotOneAndStillWritesIt) {
    ASSERT_EQ(S_OK, StreamPackage({{u"fake.jpg", u"image/jpeg"}, {u"real.png", u"image/png"}}));
    leaf::ComPtr<IUnknown> object;
    for (const char* bytes : {"<html>", "\x89PNG\r\n\x1A\n"}) {
        ASSERT_EQ(S_OK, writer->NextBinaryItem(object.Receive()));
        leaf::ComPtr<IBinaryStream> binary = object.As<IBinaryStream>();
        object = nullptr;
        LONG written = 0;
        binary->Write(bytes, static_cast<LONG>(std::strlen(bytes)), &written);
    }
    EXPECT_EQ(S_OK, writer->Finish());
    EXPECT_EQ((std::vector<std::string>{
                  "1 2002 The item \"fake.jpg\" is declared as image/jpeg but does not hold such a picture."}),
              callback.messages);
    EXPECT_EQ("<html>", Unpack(eBook)["fake.jpg"]);
}

TEST_F(LitGen, CancelWritesNothingAndKeepsAnOlderEBook) {
    leaf::test::TempFolder unused;
    std::filesystem::remove(eBook);
    { std::ofstream(eBook) << "old"; }
    ASSERT_EQ(S_OK, StreamPackage({{u"a.css", u"text/css"}}));
    EXPECT_EQ(S_OK, writer->Cancel());
    EXPECT_EQ(E_UNEXPECTED, writer->Finish());
    std::string contents;
    std::getline(std::ifstream(eBook), contents);
    EXPECT_EQ("old", contents);
}

// Items leave memory as they end and are written from a scratch file: every item still
// arrives whole and in its own bytes, an empty one among them, and no scratch file is left.
TEST_F(LitGen, LargeItemsArriveWholeAndNoScratchFileIsLeft) {
    constexpr int kPages = 12;
    std::vector<std::pair<std::u16string, std::u16string>> items;
    for (int page = 0; page < kPages; ++page)
        items.emplace_back(u"p" + leaf::Utf8ToUtf16(std::to_string(page)) + u".htm", u"text/html");
    items.emplace_back(u"empty.css", u"text/css");
    items.emplace_back(u"pic.png", u"image/png");
    ASSERT_EQ(S_OK, StreamPackage(items));

    leaf::ComPtr<IUnknown> object;
    ASSERT_EQ(S_OK, writer->NextCssItem(object.Receive()));
    EXPECT_EQ(S_OK, object.As<ICssStream>()->End());
    std::vector<std::string> texts;
    while (writer->NextHtmlItem(object.Receive()) == S_OK) {
        leaf::ComPtr<IMarkupStream> html = object.As<IMarkupStream>();
        std::string text;
        for (int line = 0; text.size() < 200 * 1024; ++line)
            text += "line " + std::to_string(line) + " of page " + std::to_string(texts.size()) + "\n";
        std::u16string wide = leaf::Utf8ToUtf16(text);
        Start(html, {u"pre", {}}, true);
        html->WriteText(wide.c_str(), static_cast<LONG>(wide.size()));
        html->EndElement();
        EXPECT_EQ(S_OK, html->End());
        texts.push_back("<pre>" + text + "</pre>");
    }
    ASSERT_EQ(static_cast<size_t>(kPages), texts.size());
    std::string picture = "\x89PNG\r\n\x1A\n";
    for (int i = 0; i < 100000; ++i)
        picture += static_cast<char>(i * 7919 % 251);
    ASSERT_EQ(S_OK, writer->NextBinaryItem(object.Receive()));
    {
        leaf::ComPtr<IBinaryStream> binary = object.As<IBinaryStream>();
        object = nullptr;
        LONG written = 0;
        EXPECT_EQ(S_OK, binary->Write(picture.data(), static_cast<LONG>(picture.size()), &written));
    }
    EXPECT_EQ(S_OK, writer->Finish());
    EXPECT_TRUE(callback.messages.empty());

    std::map<std::string, std::string> entries = Unpack(eBook);
    ASSERT_EQ(static_cast<size_t>(kPages) + 3, entries.size());
    for (int page = 0; page < kPages; ++page)
        EXPECT_EQ(texts[static_cast<size_t>(page)], entries["p" + std::to_string(page) + ".htm"]) << page;
    EXPECT_EQ("", entries["empty.css"]);
    EXPECT_EQ(picture, entries["pic.png"]);
    EXPECT_EQ(2, std::distance(std::filesystem::directory_iterator(folder.Path()), {}));
}

TEST_F(LitGen, CancelAfterItemsEndedLeavesNoScratchFile) {
    ASSERT_EQ(S_OK, StreamPackage({{u"a.css", u"text/css"}, {u"b.css", u"text/css"}}));
    leaf::ComPtr<IUnknown> object;
    ASSERT_EQ(S_OK, writer->NextCssItem(object.Receive()));
    LONG written = 0;
    object.As<ICssStream>()->Write("p { }\n", 6, &written);
    EXPECT_EQ(S_OK, object.As<ICssStream>()->End());
    EXPECT_EQ(S_OK, writer->Cancel());
    EXPECT_FALSE(std::filesystem::exists(eBook));
    EXPECT_EQ(1, std::distance(std::filesystem::directory_iterator(folder.Path()), {}));  // the work folder
}

TEST(LitGenBegin, RefusesAnEBookInAFolderThatDoesNotExist) {
    void* module = dlopen((leaf::test::BinDir() + "/LITGen.so").c_str(), RTLD_NOW | RTLD_LOCAL);
    ASSERT_NE(nullptr, module);
    auto create = reinterpret_cast<CreateWriterFunction>(dlsym(module, kCreateWriterEntryPoint));
    {
        RecordingCallback callback;  // outlives the writer, which holds it
        leaf::ComPtr<IUnknown> object;
        ASSERT_EQ(S_OK, create(object.Receive()));
        leaf::ComPtr<IEBookWriter> writer = object.As<IEBookWriter>();
        EXPECT_EQ(E_UNEXPECTED, writer->BeginEBook(u"/tmp/x.lit", u"/tmp/", u"", nullptr)) << "not initialised";
        ASSERT_EQ(S_OK, writer->Initialize(&callback));
        leaf::test::TempFolder folder;
        std::string path = folder / "missing/book.lit";
        EXPECT_EQ(E_FAIL, writer->BeginEBook(leaf::Utf8ToUtf16(path).c_str(), u"/tmp/", u"", nullptr));
        EXPECT_EQ((std::vector<std::string>{"0 1001 The e-book file \"" + path + "\" cannot be created there."}),
                  callback.messages);
        EXPECT_EQ(E_UNEXPECTED, writer->NextCssItem(object.Receive()));
    }
    dlclose(module);
}

}  // namespace
