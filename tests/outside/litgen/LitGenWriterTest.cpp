// The e-book compiler module as the control drives it: loaded from build/bin, fed a
// package and its items through its streams, and the e-book unpacked and checked, with
// epubcheck where it is a whole book.

#include <dlfcn.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>
#include <zip.h>

#include <cerrno>
#include <cstdint>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <map>
#include <set>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "platform/base/TextEncoding.h"
#include "sdk/compiler/EBookCompiler.h"
#include "tests/support/EpubCheck.h"
#include "tests/support/TestPictures.h"
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

const std::string kGif = leaf::test::OnePixelGif();
const std::string kPng = leaf::test::OnePixelPng();

// The name and compression method of each entry, in archive order.
std::vector<std::pair<std::string, int>> EntryOrder(const std::string& path) {
    std::vector<std::pair<std::string, int>> order;
    int error = 0;
    zip_t* archive = zip_open(path.c_str(), ZIP_RDONLY, &error);
    if (archive == nullptr)
        return order;
    for (zip_int64_t index = 0; index < zip_get_num_entries(archive, 0); ++index) {
        zip_stat_t stat;
        zip_stat_index(archive, index, 0, &stat);
        order.emplace_back(stat.name, stat.comp_method);
    }
    zip_close(archive);
    return order;
}

struct Element {
    std::u16string name;
    std::vector<std::pair<std::u16string, std::u16string>> attributes;
};

// The compiler module loaded from build/bin as the control loads it, and a writer of it.
class LitGenModule : public ::testing::Test {
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
    }
    void TearDown() override {
        writer = nullptr;
        if (module)
            dlclose(module);
    }

    leaf::test::TempFolder folder;
    void* module = nullptr;
    RecordingCallback callback;  // outlives the writer, which holds it
    leaf::ComPtr<IEBookWriter> writer;
};

// A writer begun on the e-book "book.lit" with the work folder "work/".
class LitGen : public LitGenModule {
protected:
    void SetUp() override {
        LitGenModule::SetUp();
        if (HasFatalFailure())
            return;
        ASSERT_EQ(S_OK, writer->Initialize(&callback));
        eBook = folder / "book.lit";
        work = folder / "work/";
        std::filesystem::create_directories(work);
        ASSERT_EQ(S_OK, writer->BeginEBook(leaf::Utf8ToUtf16(eBook).c_str(), leaf::Utf8ToUtf16(work).c_str(),
                                           u"Source", nullptr));
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

    // Streams markup written as tags: "<x a=\"v\">" starts an element, "<x/>" one without
    // content, "</x>" ends the innermost; everything else is text (decoded, as the
    // encoder sends it; attribute values stay as written).
    static void StreamMarkup(IMarkupStream* stream, const std::string& markup) {
        size_t at = 0;
        while (at < markup.size()) {
            if (markup[at] != '<') {
                const size_t end = markup.find('<', at);
                const std::u16string text = leaf::Utf8ToUtf16(markup.substr(at, end - at));
                for (char16_t unit : text)
                    ASSERT_EQ(S_OK, stream->WriteText(&unit, 1));
                at = end == std::string::npos ? markup.size() : end;
                continue;
            }
            const size_t end = markup.find('>', at);
            std::string tag = markup.substr(at + 1, end - at - 1);
            at = end + 1;
            if (tag[0] == '/') {
                ASSERT_EQ(S_OK, stream->EndElement());
                continue;
            }
            const bool empty = tag.back() == '/';
            if (empty)
                tag.pop_back();
            const size_t space = tag.find(' ');
            Element element{leaf::Utf8ToUtf16(tag.substr(0, space)), {}};
            for (size_t pos = space; pos != std::string::npos && pos < tag.size();) {
                const size_t equals = tag.find("=\"", pos);
                if (equals == std::string::npos)
                    break;
                const size_t close = tag.find('"', equals + 2);
                const size_t nameStart = tag.find_first_not_of(' ', pos);
                element.attributes.emplace_back(leaf::Utf8ToUtf16(tag.substr(nameStart, equals - nameStart)),
                                                leaf::Utf8ToUtf16(tag.substr(equals + 2, close - equals - 2)));
                pos = close + 1;
            }
            Start(stream, element, !empty);
        }
    }

    // Streams a package written as markup, then every item: pages from `pages` (href ->
    // markup), other items from `files` (href -> bytes).
    void BuildBook(const std::string& package, const std::map<std::string, std::string>& pages,
                   const std::map<std::string, std::string>& files) {
        leaf::ComPtr<IUnknown> object;
        ASSERT_EQ(S_OK, writer->GetPackageStream(0, object.Receive()));
        leaf::ComPtr<IMarkupStream> packageStream = object.As<IMarkupStream>();
        StreamMarkup(packageStream, package);
        ASSERT_EQ(S_OK, packageStream->End());
        while (writer->NextCssItem(object.Receive()) == S_OK) {
            leaf::ComPtr<ICssStream> css = object.As<ICssStream>();
            const std::string href = Url(css.Get()).substr(7 + work.size());
            LONG written = 0;
            const std::string& bytes = files.at(href);
            css->Write(bytes.data(), static_cast<LONG>(bytes.size()), &written);
            ASSERT_EQ(S_OK, css->End());
        }
        while (writer->NextHtmlItem(object.Receive()) == S_OK) {
            leaf::ComPtr<IMarkupStream> html = object.As<IMarkupStream>();
            StreamMarkup(html, pages.at(Url(html.Get()).substr(7 + work.size())));
            ASSERT_EQ(S_OK, html->End());
        }
        while (writer->NextBinaryItem(object.Receive()) == S_OK) {
            leaf::ComPtr<IBinaryStream> binary = object.As<IBinaryStream>();
            object = nullptr;
            const std::string& bytes = files.at(Url(binary.Get()).substr(7 + work.size()));
            LONG written = 0;
            binary->Write(bytes.data(), static_cast<LONG>(bytes.size()), &written);
        }
        ASSERT_EQ(S_OK, writer->Finish());
    }

    template <class Stream>
    static std::string Url(Stream* stream) {
        BSTR url = nullptr;
        stream->GetUrl(&url);
        std::string text = leaf::BstrToUtf8(url);
        SysFreeString(url);
        return text;
    }

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
        EXPECT_EQ(S_OK, binary->Write(kGif.data(), static_cast<LONG>(kGif.size()), &written));
    }
    EXPECT_EQ(S_FALSE, writer->NextBinaryItem(object.Receive()));

    EXPECT_FALSE(std::filesystem::exists(eBook)) << "nothing is written before Finish";
    EXPECT_EQ(S_OK, writer->Finish());
    EXPECT_TRUE(callback.messages.empty());
    EXPECT_TRUE(leaf::test::PassesEpubCheck(eBook));

    // The container: the media type first and stored, then where the package document is.
    const auto order = EntryOrder(eBook);
    ASSERT_GE(order.size(), 2u);
    EXPECT_EQ(std::make_pair(std::string("mimetype"), ZIP_CM_STORE), order[0]);
    EXPECT_EQ("META-INF/container.xml", order[1].first);
    std::map<std::string, std::string> entries = Unpack(eBook);
    ASSERT_EQ(9u, entries.size());
    EXPECT_EQ("application/epub+zip", entries["mimetype"]);
    EXPECT_NE(std::string::npos, entries["META-INF/container.xml"].find("full-path=\"book.opf\""));
    EXPECT_NE(std::string::npos,
              entries["book.opf"].find("<item id=\"i2\" href=\"a.htm\" media-type=\"application/xhtml+xml\" />"));
    EXPECT_NE(std::string::npos, entries["book.opf"].find("<item id=\"i3\" href=\"s/b.css\" media-type=\"text/css\" />"));
    EXPECT_EQ(1u, entries.count("nav.xhtml"));
    EXPECT_EQ(1u, entries.count("toc.ncx"));
    EXPECT_EQ("p { }\n", entries["s/b.css"]);
    EXPECT_NE(std::string::npos, entries["a.htm"].find("<body><p>x&lt;y</p></body>")) << entries["a.htm"];
    EXPECT_EQ(kGif, entries["pic.gif"]);
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
                                     {u"OK.htm", u"text/html"},
                                     {u"META-INF/container.xml", u"text/xml"},
                                     {u"MimeType", u"text/plain"}}));
    EXPECT_EQ((std::vector<std::string>{
                  "0 1003 The item \"../escape.htm\" does not name a file inside the work folder.",
                  "0 1003 The item \"/etc/passwd\" does not name a file inside the work folder.",
                  "0 1004 The item \"OK.htm\" is named twice.",
                  // They would take the place of the container's own entries.
                  "0 1003 The item \"META-INF/container.xml\" has a name that the e-book's container keeps for itself.",
                  "0 1003 The item \"MimeType\" has a name that the e-book's container keeps for itself."}),
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
    ASSERT_EQ(static_cast<size_t>(kPages) + 2 + 5, entries.size());
    for (int page = 0; page < kPages; ++page)
        EXPECT_NE(std::string::npos, entries["p" + std::to_string(page) + ".htm"].find(texts[static_cast<size_t>(page)]))
            << page;
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

// A writer killed after items went to its spool leaves nothing beside the e-book.
TEST_F(LitGen, AKilledWriterLeavesNoScratchFileBesideTheEBook) {
    ASSERT_EQ(S_OK, StreamPackage({{u"a.css", u"text/css"}, {u"b.css", u"text/css"}}));
    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        leaf::ComPtr<IUnknown> object;
        if (writer->NextCssItem(object.Receive()) == S_OK) {
            LONG written = 0;
            object.As<ICssStream>()->Write("p { }\n", 6, &written);
            if (object.As<ICssStream>()->End() == S_OK)
                kill(getpid(), SIGKILL);
        }
        _exit(1);
    }
    int status = 0;
    ASSERT_EQ(child, waitpid(child, &status, 0));
    ASSERT_TRUE(WIFSIGNALED(status)) << "the child did not reach its spool";
    EXPECT_EQ(1, std::distance(std::filesystem::directory_iterator(folder.Path()), {}));  // the work folder
}

// A FIFO put under the e-book's name after the writer began is not replaced by the book.
TEST_F(LitGen, AFifoUnderTheEBooksNameIsNotReplaced) {
    ASSERT_EQ(S_OK, StreamPackage({{u"a.css", u"text/css"}}));
    leaf::ComPtr<IUnknown> object;
    ASSERT_EQ(S_OK, writer->NextCssItem(object.Receive()));
    EXPECT_EQ(S_OK, object.As<ICssStream>()->End());
    ASSERT_EQ(0, mkfifo(eBook.c_str(), 0644));
    EXPECT_EQ(E_FAIL, writer->Finish());
    EXPECT_TRUE(std::filesystem::is_fifo(eBook));
    EXPECT_EQ(2, std::distance(std::filesystem::directory_iterator(folder.Path()), {}));  // and the work folder
}

// The scratch files that writers killed before their end left beside the e-book (a spool,
// a partial archive and libzip's own partial file) are removed by the next writer; those
// of running processes stay.
TEST_F(LitGen, ScratchFilesOfDeadWritersAreRemoved) {
    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0)
        _exit(0);
    ASSERT_EQ(child, waitpid(child, nullptr, 0));
    const std::string dead = std::to_string(child);
    const std::string live = std::to_string(getppid());
    for (const std::string& name : {"book.lit.spool" + dead + "-0", "book.lit.tmp" + dead + "-0",
                                    "book.lit.tmp" + dead + "-1.Xy12Ab", "book.lit.spool" + live + "-0",
                                    "book.lit.tmp" + live + "-0", "other.lit.tmp" + dead + "-0"})
        folder.WriteFile(name, "scratch");
    BuildBook("<package><manifest><item id=\"s\" href=\"s.css\" media-type=\"text/css\"/></manifest></package>",
              {}, {{"s.css", "p { }\n"}});
    std::set<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(folder.Path()))
        names.insert(entry.path().filename().string());
    EXPECT_EQ((std::set<std::string>{"book.lit", "book.lit.spool" + live + "-0", "book.lit.tmp" + live + "-0",
                                     "other.lit.tmp" + dead + "-0", "work"}),
              names);
}

// The package as the control writes it: every Dublin Core record it may hold, x-metadata,
// a chapter tour and a guide with a cover picture.
const char kFullPackage[] =
    "<package unique-identifier=\"TallbrookGUID\"><metadata>"
    "<dc-metadata xmlns:dc=\"http://purl.org/dc/elements/1.0/\" xmlns:oebpackage=\"http://openebook.org/namespaces/oeb-package/1.0/\">"
    "<dc:Title>Salt & Stone</dc:Title>"
    "<dc:Creator role=\"aut\" file-as=\"Quill, Ada\">Ada Quill</dc:Creator>"
    "<dc:Contributor role=\"Illustrator &amp; Painter\">Bo Lin</dc:Contributor>"
    "<dc:Identifier id=\"TallbrookGUID\" scheme=\"GUID\">{8A1C}</dc:Identifier>"
    "<dc:Identifier id=\"ID1\" scheme=\"ISBN\">0-306-40615-2</dc:Identifier>"
    "<dc:Language>english language</dc:Language>"
    "<dc:Date event=\"publication\">2001-05-04</dc:Date>"
    "<dc:Date event=\"modification\">2002-01-01</dc:Date>"
    "<dc:Publisher>Harbour Press</dc:Publisher><dc:Subject>FIC000000</dc:Subject>"
    "<dc:Description>Tides <em>and</em> rocks.</dc:Description><dc:Rights>All rights kept.</dc:Rights>"
    "<dc:Audience>young readers</dc:Audience><dc:Type/>"
    "</dc-metadata><x-metadata><meta name=\"ms-chaptertour\" content=\"chaptertour\"/>"
    "<meta name=\"lcver-Leafcraft-eBook-Compiler\" content=\"1, 0, 0, 1 (12/09/2026)\"/></x-metadata></metadata>"
    "<manifest><item id=\"toc\" href=\"toc.htm\" media-type=\"text/html\"/>"
    "<item id=\"c1\" href=\"text/one.htm\" media-type=\"text/html\"/>"
    "<item id=\"2two\" href=\"text/two%20b.htm\" media-type=\"text/x-oeb1-document\"/>"
    "<item id=\"extra\" href=\"extra.htm\" media-type=\"text/html\"/>"
    "<item id=\"cover\" href=\"cover.png\" media-type=\"image/png\"/>"
    "<item id=\"thumb\" href=\"thumb.gif\" media-type=\"image/gif\"/></manifest>"
    "<spine><itemref idref=\"toc\"/><itemref idref=\"c1\"/><itemref idref=\"2two\"/></spine>"
    "<tours><tour id=\"chaptertour\" title=\"Chapter Tour\"><site title=\"One &amp; only\" href=\"text/one.htm#start\"/>"
    "<site title=\"Two\" href=\"text/two%20b.htm#nowhere\"/><site title=\"Lost\" href=\"lost.htm\"/></tour></tours>"
    "<guide><reference type=\"toc\" title=\"Contents\" href=\"toc.htm\"/>"
    "<reference type=\"other.ms-coverimage-standard\" title=\"Cover image\" href=\"cover.png\"/>"
    "<reference type=\"other.ms-thumbimage-standard\" href=\"thumb.gif\"/></guide></package>";

const std::map<std::string, std::string> kFullPages = {
    {"toc.htm", "<html><head><title>Contents</title></head><body><p><a href=\"text/one.htm\">First</a></p>"
                "<p><a href=\"text/two b.htm\">Second</a></p></body></html>"},
    {"text/one.htm", "<html><body><h1 id=\"start\">One</h1><p>See <a href=\"../extra.htm\">more</a>."
                     "<img src=\"../thumb.gif\" alt=\"thumb\"/></p></body></html>"},
    {"text/two b.htm", "<html><head><title>Two</title></head><body><p>Two.</p></body></html>"},
    {"extra.htm", "<p>Extra, reached only by a link.</p>"},
};

TEST_F(LitGen, MakesTheEpubPackageDocumentFromTheBooksPackage) {
    BuildBook(kFullPackage, kFullPages, {{"cover.png", kPng}, {"thumb.gif", kGif}});
    EXPECT_TRUE(callback.messages.empty()) << callback.messages.front();
    EXPECT_TRUE(leaf::test::PassesEpubCheck(eBook));
    std::map<std::string, std::string> entries = Unpack(eBook);
    const std::string& opf = entries["book.opf"];
    for (const char* part : {
             "unique-identifier=\"TallbrookGUID\"",
             "<dc:title>Salt &amp; Stone</dc:title>",
             "<dc:creator id=\"creator1\">Ada Quill</dc:creator>",
             "<meta refines=\"#creator1\" property=\"role\" scheme=\"marc:relators\">aut</meta>",
             "<meta refines=\"#creator1\" property=\"file-as\">Quill, Ada</meta>",
             "<dc:contributor id=\"contributor2\">Bo Lin</dc:contributor>",
             "<meta refines=\"#contributor2\" property=\"role\">Illustrator &amp; Painter</meta>",
             "<dc:identifier id=\"TallbrookGUID\">{8A1C}</dc:identifier>",
             "<dc:identifier id=\"ID1\">0-306-40615-2</dc:identifier>",
             "<meta refines=\"#ID1\" property=\"identifier-type\">ISBN</meta>",
             // Not a language tag: kept as it was, and the language is undetermined.
             "<dc:language>und</dc:language>",
             "<meta name=\"dc:Language\" content=\"english language\" />",
             "<dc:date>2001-05-04</dc:date>",
             "<meta name=\"dc:Date.modification\" content=\"2002-01-01\" />",
             "<dc:publisher>Harbour Press</dc:publisher>",
             "<dc:subject>FIC000000</dc:subject>",
             "<dc:description>Tides and rocks.</dc:description>",
             "<dc:rights>All rights kept.</dc:rights>",
             "<meta name=\"dc:Audience\" content=\"young readers\" />",
             "<meta property=\"dcterms:modified\">",
             "<meta name=\"ms-chaptertour\" content=\"chaptertour\" />",
             "<meta name=\"lcver-Leafcraft-eBook-Compiler\" content=\"1, 0, 0, 1 (12/09/2026)\" />",
             "<meta name=\"cover\" content=\"cover\" />",
             "<meta name=\"other.ms-thumbimage-standard\" content=\"thumb.gif\" />",
             "<item id=\"cover\" href=\"cover.png\" media-type=\"image/png\" properties=\"cover-image\" />",
             // An id that is no XML name gets one.
             "<item id=\"item-1\" href=\"text/two%20b.htm\" media-type=\"application/xhtml+xml\" />",
             "<itemref idref=\"toc\" />\n    <itemref idref=\"c1\" />\n    <itemref idref=\"item-1\" />\n"
             "    <itemref idref=\"extra\" linear=\"no\" />",
             "<reference type=\"toc\" title=\"Contents\" href=\"toc.htm\" />",
         })
        EXPECT_NE(std::string::npos, opf.find(part)) << part << "\n" << opf;
    EXPECT_EQ(std::string::npos, opf.find("<dc:type")) << "an empty record has no EPUB form";

    // The navigation follows the chapter tour; a fragment the page lacks and a site that
    // names no page are not followed.
    const std::string& nav = entries["nav.xhtml"];
    EXPECT_NE(std::string::npos,
              nav.find("<li><a href=\"text/one.htm#start\">One &amp; only</a></li>\n<li><a href=\"text/two%20b.htm\">Two</a></li>\n</ol>"))
        << nav;
    EXPECT_NE(std::string::npos, nav.find("<a epub:type=\"toc\" href=\"toc.htm\">Contents</a>")) << nav;
    EXPECT_NE(std::string::npos, entries["toc.ncx"].find("<text>One &amp; only</text></navLabel><content src=\"text/one.htm#start\" />"));
    EXPECT_NE(std::string::npos, entries["text/one.htm"].find("<a href=\"../extra.htm\">more</a>"));

    if (!leaf::test::HasCalibre()) {
        GTEST_SKIP() << "calibre is not installed: the book was not read with ebook-convert";
    }
    const leaf::test::CalibreReading reading = leaf::test::ReadWithCalibre(eBook);
    EXPECT_TRUE(reading.converted) << reading.log;
    EXPECT_EQ("Salt & Stone", reading.title) << reading.log;
    EXPECT_NE(std::string::npos, reading.authors.find("Ada Quill")) << reading.log;
    EXPECT_NE(std::string::npos, reading.text.find("Extra, reached only by a link.")) << reading.text;
}

struct NavigationCase {
    const char* name;
    std::string tours;
    std::string guide;
    std::string expected;  // the entries of the table of contents
};

class LitGenNavigation : public LitGen, public ::testing::WithParamInterface<NavigationCase> {};

TEST_P(LitGenNavigation, ComesFromTheTourElseTheContentsPageElseThePages) {
    const NavigationCase& test = GetParam();
    const std::string package =
        "<package unique-identifier=\"u\"><metadata><dc-metadata><dc:Identifier id=\"u\">x</dc:Identifier>"
        "</dc-metadata></metadata><manifest><item id=\"t\" href=\"contents.htm\" media-type=\"text/html\"/>"
        "<item id=\"a\" href=\"a.htm\" media-type=\"text/html\"/><item id=\"b\" href=\"b.htm\" media-type=\"text/html\"/>"
        "</manifest><spine><itemref idref=\"t\"/><itemref idref=\"a\"/><itemref idref=\"b\"/></spine>" +
        test.tours + test.guide + "</package>";
    BuildBook(package,
              {{"contents.htm", "<h1>Contents</h1><p><a href=\"b.htm#end\">To B</a> <a href=\"a.htm\">To\n A</a>"
                                "<a href=\"http://example.org/\">Out</a></p>"},
               {"a.htm", "<html><head><title>Page A</title></head><body><p>a</p></body></html>"},
               {"b.htm", "<p>b</p><p id=\"end\">end</p>"}},
              {});
    EXPECT_TRUE(leaf::test::PassesEpubCheck(eBook));
    const std::string nav = Unpack(eBook)["nav.xhtml"];
    const size_t start = nav.find("<ol>\n") + 5;
    EXPECT_EQ(test.expected, nav.substr(start, nav.find("</ol>") - start));
}

INSTANTIATE_TEST_SUITE_P(
    Sources, LitGenNavigation,
    ::testing::Values(
        NavigationCase{"Tour",
                       "<tours><tour id=\"chaptertour\" title=\"Chapter Tour\"><site title=\"Bee\" href=\"b.htm\"/>"
                       "</tour></tours>",
                       "<guide><reference type=\"toc\" href=\"contents.htm\"/></guide>",
                       "<li><a href=\"b.htm\">Bee</a></li>\n"},
        NavigationCase{"ContentsPage", "", "<guide><reference type=\"toc\" href=\"contents.htm\"/></guide>",
                       "<li><a href=\"b.htm#end\">To B</a></li>\n<li><a href=\"a.htm\">To A</a></li>\n"},
        NavigationCase{"PageTitles", "", "",
                       "<li><a href=\"contents.htm\">Contents</a></li>\n<li><a href=\"a.htm\">Page A</a></li>\n"
                       "<li><a href=\"b.htm\">b</a></li>\n"}),
    [](const ::testing::TestParamInfo<NavigationCase>& info) { return std::string(info.param.name); });

// A link to a place that the page it names does not hold would lead nowhere: once every
// page is known it opens the page instead, in pages already moved to the scratch file too.
TEST_F(LitGen, LinksToPlacesNoPageHoldsOpenThePageInstead) {
    BuildBook("<package><manifest><item id=\"a\" href=\"a.htm\" media-type=\"text/html\"/>"
              "<item id=\"b\" href=\"sub/b.htm\" media-type=\"text/html\"/></manifest>"
              "<spine><itemref idref=\"a\"/><itemref idref=\"b\"/></spine></package>",
              {{"a.htm", "<p><a href=\"sub/b.htm#here\">kept</a> <a href=\"sub/b.htm#gone\">opens b</a></p>"},
               {"sub/b.htm", "<p id=\"here\">b <a href=\"../a.htm#nowhere\">opens a</a></p>"}},
              {});
    EXPECT_TRUE(leaf::test::PassesEpubCheck(eBook));
    auto entries = Unpack(eBook);
    EXPECT_NE(std::string::npos,
              entries["a.htm"].find("<a href=\"sub/b.htm#here\">kept</a> <a href=\"sub/b.htm\">opens b</a>"))
        << entries["a.htm"];
    EXPECT_NE(std::string::npos, entries["sub/b.htm"].find("<a href=\"../a.htm\">opens a</a>")) << entries["sub/b.htm"];
    ASSERT_EQ(2u, callback.messages.size());
    EXPECT_EQ("1 2003 The markup of \"a.htm\" has 1 link(s) to a place that its page does not hold; they open the "
              "page instead.",
              callback.messages[0]);
}

// No author, no language, no title, no identifier, no guide: still a valid book.
TEST_F(LitGen, ABookWithoutMetadataIsStillValid) {
    BuildBook("<package><manifest><item id=\"p\" href=\"page.htm\" media-type=\"text/html\"/></manifest>"
              "<spine><itemref idref=\"p\"/></spine></package>",
              {{"page.htm", "text only"}}, {});
    EXPECT_TRUE(leaf::test::PassesEpubCheck(eBook));
    const std::string opf = Unpack(eBook)["book.opf"];
    EXPECT_NE(std::string::npos, opf.find("<dc:title>book</dc:title>")) << opf;
    EXPECT_NE(std::string::npos, opf.find("<dc:language>und</dc:language>")) << opf;
    EXPECT_EQ(std::string::npos, opf.find("<dc:creator")) << opf;
}

// Markup that is far from XHTML still gives a valid book that keeps every word; the
// writer says which page it had to change.
TEST_F(LitGen, PagesThatAreNotXhtmlAreMadeValidAndReported) {
    const std::string tangle =
        "<HTML><BODY BGCOLOR=\"white\" LINK=\"blue\"><CENTER><FONT SIZE=\"+2\" COLOR=\"red\">Big</FONT></CENTER>"
        "<P ALIGN=\"justify\">one & two <B>bold<P>para in bold</P></B><DIV>block in p</DIV></P>"
        "<UL>loose<LI>item</LI><TABLE BORDER=\"2\" CELLPADDING=\"3\"><TD WIDTH=\"50%\" VALIGN=\"top\">cell</TD>"
        "row text</TABLE></UL><BLINK>blinking</BLINK><WIDGET KIND=\"x\">widget</WIDGET>"
        "<A HREF=\"nowhere.htm\">dead link</A><IMG SRC=\"missing.png\" ALT=\"lost picture\"/>"
        "<A NAME=\"x y\">anchor</A><P ID=\"p\">first</P><P ID=\"p\">second</P>"
        "<TITLE>Late title</TITLE><STYLE>p { color: black }</STYLE>ctrl\x01char</BODY></HTML>";
    BuildBook("<package><manifest><item id=\"p\" href=\"tangle.htm\" media-type=\"text/html\"/></manifest>"
              "<spine><itemref idref=\"p\"/></spine></package>",
              {{"tangle.htm", tangle}}, {});
    EXPECT_TRUE(leaf::test::PassesEpubCheck(eBook));
    ASSERT_EQ(1u, callback.messages.size()) << callback.messages.back();
    EXPECT_EQ(0u, callback.messages[0].find("1 2003 The markup of \"tangle.htm\" was not valid XHTML"))
        << callback.messages[0];
    const std::string page = Unpack(eBook)["tangle.htm"];
    for (const char* words : {"Big", "one &amp; two", "bold", "para in bold", "block in p", "loose", "item", "cell",
                              "row text", "blinking", "widget", "dead link", "lost picture", "anchor", "first",
                              "second", "Late title"})
        EXPECT_NE(std::string::npos, page.find(words)) << words << "\n" << page;
}

// Every ARIA role on elements of every kind whose roles EPUB restricts (and on a few it
// does not): the roles an element may not take are kept as data, and the book is valid.
// Roles that need states of their own (a checkbox's aria-checked) are left out here.
TEST_F(LitGen, RolesAnElementMayNotTakeAreKeptAsData) {
    const std::vector<std::string> roles = {
        "alert", "alertdialog", "application", "article", "banner", "button", "cell", "columnheader",
        "complementary", "contentinfo", "definition", "dialog", "directory", "doc-abstract", "doc-acknowledgments",
        "doc-afterword", "doc-appendix", "doc-backlink", "doc-biblioentry", "doc-bibliography", "doc-biblioref",
        "doc-chapter", "doc-colophon", "doc-conclusion", "doc-cover", "doc-credit", "doc-credits", "doc-dedication",
        "doc-endnote", "doc-endnotes", "doc-epigraph", "doc-epilogue", "doc-errata", "doc-example", "doc-footnote",
        "doc-foreword", "doc-glossary", "doc-glossref", "doc-index", "doc-introduction", "doc-noteref", "doc-notice",
        "doc-pagebreak", "doc-pagelist", "doc-part", "doc-preface", "doc-prologue", "doc-pullquote", "doc-qna",
        "doc-subtitle", "doc-tip", "doc-toc", "document", "feed", "figure", "form", "graphics-document",
        "graphics-object", "graphics-symbol", "grid", "gridcell", "group", "heading", "img", "link", "list",
        "listbox", "listitem", "log", "main", "marquee", "math", "menu", "menubar", "menuitem", "navigation", "none",
        "note", "option", "presentation", "progressbar", "radiogroup", "region", "row", "rowgroup", "rowheader",
        "search", "searchbox", "separator", "status", "tab", "table", "tablist", "tabpanel", "term", "textbox",
        "timer", "toolbar", "tooltip", "tree", "treegrid", "treeitem", "navigation main", "Note", "unknown"};
    // Each element in a place it may stand; R stands for its role attribute.
    const std::vector<std::string> elements = {
        "<p><a href=\"p.htm\"R>a</a><a R>b</a><map name=\"m#\"><area href=\"p.htm\" alt=\"\"R/></map></p>",
        "<article R>x</article><aside R>x</aside><details R><summary R>s</summary>x</details><dialog R>x</dialog>",
        "<dl R><dt R>t</dt><dd R>d</dd></dl><fieldset R><legend R>l</legend></fieldset>",
        "<figure R><figcaption R>c</figcaption></figure><footer R>x</footer><form action=\"p.htm\" R>x</form>",
        "<h1 R>h</h1><h6 R>h</h6><header R>x</header><hr R/><main R>x</main><nav R>x</nav><section R>x</section>",
        "<ul R><li R>i</li></ul><ol R><li R>i</li></ol><menu R><li R>i</li></menu>",
        "<table R><caption R>c</caption><colgroup R><col R/></colgroup><tbody R><tr R><td R>d</td><th R>h</th>"
        "</tr></tbody></table>",
        "<p><img src=\"pic.png\" alt=\"p\"R/><button type=\"button\"R>b</button><button type=\"submit\"R>b</button>"
        "<button type=\"reset\"R>b</button><label R>l</label><meter value=\"1\"R>m</meter>"
        "<progress value=\"1\"R>p</progress><textarea R>t</textarea></p>",
        "<p><select R><optgroup label=\"g\"R><option R>o</option></optgroup></select></p>",
        "<p><input R/><input type=\"text\"R/><input type=\"checkbox\"R/><input type=\"radio\"R/>"
        "<input type=\"button\"R/><input type=\"submit\"R/><input type=\"reset\"R/><input type=\"image\" "
        "src=\"pic.png\" alt=\"i\"R/><input type=\"email\"R/><input type=\"search\"R/><input type=\"number\"R/>"
        "<input type=\"range\"R/><input type=\"date\"R/><input type=\"hidden\"R/></p>",
        "<div R>x</div><p R><span R>x</span></p>",
    };
    std::string page;
    for (const std::string& role : roles)
        for (std::string markup : elements) {
            const std::string attribute = " role=\"" + role + "\"";
            for (size_t at = markup.find('R'); at != std::string::npos; at = markup.find('R', at + attribute.size()))
                markup.replace(at, 1, attribute);
            for (size_t at = markup.find('#'); at != std::string::npos; at = markup.find('#', at))
                markup.replace(at, 1, std::to_string(page.size()));
            page += markup;
        }
    BuildBook("<package><manifest><item id=\"p\" href=\"p.htm\" media-type=\"text/html\"/>"
              "<item id=\"i\" href=\"pic.png\" media-type=\"image/png\"/></manifest>"
              "<spine><itemref idref=\"p\"/></spine></package>",
              {{"p.htm", "<html role=\"document\"><body role=\"application\">" + page + "</body></html>"}},
              {{"pic.png", kPng}});
    EXPECT_TRUE(leaf::test::PassesEpubCheck(eBook));
    const std::string written = Unpack(eBook)["p.htm"];
    for (const char* part : {"<html xmlns=\"http://www.w3.org/1999/xhtml\" xmlns:epub=\"http://www.idpf.org/2007/ops\" "
                             "data-role=\"document\">",
                             "<body role=\"application\">", "<nav role=\"navigation\">", "<details data-role=\"navigation\">",
                             "<div data-role=\"navigation main\">", "<li role=\"doc-endnote\">"})
        EXPECT_NE(std::string::npos, written.find(part)) << part;
    ASSERT_EQ(1u, callback.messages.size());
    EXPECT_NE(std::string::npos, callback.messages[0].find("attribute(s) are kept only as data attributes"))
        << callback.messages[0];
}

// The warning about a page it had to change says what changed, and claims nothing the
// writer cannot know: a page whose text came as the content of an embed (as the rest of
// a page after an unclosed one comes) is said to hold such text.
TEST_F(LitGen, TheWarningAboutAChangedPageSaysOnlyWhatTheWriterKnows) {
    BuildBook("<package><manifest><item id=\"p\" href=\"p.htm\" media-type=\"text/html\"/></manifest>"
              "<spine><itemref idref=\"p\"/></spine></package>",
              {{"p.htm", "<p>a &amp; b </p><embed src=\"x.swf\">&lt;p>rest of the page&lt;/p></embed>"}}, {});
    ASSERT_EQ(1u, callback.messages.size());
    EXPECT_EQ("1 2003 The markup of \"p.htm\" was not valid XHTML; to make it valid, 1 link(s) and picture(s) that "
              "name nothing in the e-book were turned into text, and 1 run(s) of text that came as the content of an "
              "element that holds none (such as an embed left open, after which the rest of a page comes as text) "
              "were kept as text, markup in them included.",
              callback.messages[0]);
}

// Style sheets lose the declarations EPUB does not allow in them; the author hears of
// those that set the text right to left or override its direction, not of a direction
// from left to right, which is the text's own.
TEST_F(LitGen, StyleSheetsLoseDirectionAndSayWhenThatChangesTheText) {
    BuildBook("<package><manifest><item id=\"p\" href=\"p.htm\" media-type=\"text/html\"/>"
              "<item id=\"a\" href=\"a.css\" media-type=\"text/css\"/><item id=\"b\" href=\"b.css\" media-type=\"text/css\"/>"
              "</manifest><spine><itemref idref=\"p\"/></spine></package>",
              {{"p.htm", "<html><head><link rel=\"stylesheet\" href=\"a.css\"/><link rel=\"stylesheet\" href=\"b.css\"/>"
                         "</head><body><p>text</p></body></html>"}},
              {{"a.css", "p { direction: ltr; color: red }\n"},
               {"b.css", "@media print { q { Direction: RTL !important } }\nr { unicode-bidi: bidi-override; "
                         "content: \"direction: rtl\" }\n"}});
    EXPECT_EQ((std::vector<std::string>{
                  "1 2003 The style sheet \"b.css\" sets the direction of text, which EPUB style sheets may not: 2 "
                  "declaration(s) of direction or unicode-bidi that set text right to left or override its direction "
                  "were taken out."}),
              callback.messages);
    EXPECT_TRUE(leaf::test::PassesEpubCheck(eBook));
    auto entries = Unpack(eBook);
    EXPECT_EQ("p { color: red }\n", entries["a.css"]);
    EXPECT_EQ("@media print { q { } }\nr { content: \"direction: rtl\" }\n", entries["b.css"]);
}

// Font sizes written as bare numbers, as older pages (and contents pages made before
// sizes had units) give them, are sizes in pixels to every reader; EPUB's checker refuses
// them. They get the unit in style sheets, style elements and style attributes alike, and
// the book passes without a warning, since the text looks as it did.
TEST_F(LitGen, BareFontSizesGetTheirUnitAndTheBookPasses) {
    BuildBook("<package><manifest><item id=\"p\" href=\"p.htm\" media-type=\"text/html\"/>"
              "<item id=\"a\" href=\"a.css\" media-type=\"text/css\"/></manifest><spine><itemref idref=\"p\"/></spine></package>",
              {{"p.htm", "<html><head><link rel=\"stylesheet\" href=\"a.css\"/><style>h1 { font-size: 16 }</style>"
                         "</head><body><h1>title</h1><p style=\"font-size:10; color: red\">text</p></body></html>"}},
              {{"a.css", "p { font-size: 12; margin: 0 }\n"}});
    EXPECT_TRUE(callback.messages.empty()) << callback.messages[0];
    EXPECT_TRUE(leaf::test::PassesEpubCheck(eBook));
    auto entries = Unpack(eBook);
    EXPECT_EQ("p { font-size: 12px; margin: 0 }\n", entries["a.css"]);
    EXPECT_NE(std::string::npos, entries["p.htm"].find("h1 { font-size: 16px }")) << entries["p.htm"];
    EXPECT_NE(std::string::npos, entries["p.htm"].find("style=\"font-size:10px; color: red\"")) << entries["p.htm"];
}

// Style sheets and style elements written for today's browsers nest rules and use
// selectors the EPUB checker's parser refuses: the nested rules are written flat, the
// refused rules left out, and the author hears how many went from which item.
TEST_F(LitGen, NestedStyleRulesAreWrittenFlatAndUnreadableOnesLeftOutWithAWarning) {
    BuildBook("<package><manifest><item id=\"p\" href=\"p.htm\" media-type=\"text/html\"/>"
              "<item id=\"a\" href=\"a.css\" media-type=\"text/css\"/><item id=\"b\" href=\"b.css\" media-type=\"text/css\"/>"
              "</manifest><spine><itemref idref=\"p\"/></spine></package>",
              {{"p.htm", "<html><head><link rel=\"stylesheet\" href=\"a.css\"/><link rel=\"stylesheet\" href=\"b.css\"/>"
                         "<style>nav { ol { margin: 0 } } nav:has(> ol) { padding: 0 }</style>"
                         "</head><body><nav><ol><li>text</li></ol></nav></body></html>"}},
              {{"a.css", ":not(.dark-mode) {\n  pre code.hljs { display: block }\n  @media print { code { color: black } }\n}\n"},
               {"b.css", "p { color: red }\n#content:has(> .stability) a { margin: 0 }\n[href$=\".pdf\" i] { x: y }\n"}});
    EXPECT_EQ((std::vector<std::string>{
                  "1 2003 The style sheet \"b.css\" holds rules that readers of EPUB cannot read: 2 style rule(s) "
                  "were left out.",
                  "1 2003 The markup of \"p.htm\" was not valid XHTML; to make it valid, 1 style rule(s) that readers "
                  "of EPUB cannot read were left out."}),
              callback.messages);
    EXPECT_TRUE(leaf::test::PassesEpubCheck(eBook));
    auto entries = Unpack(eBook);
    EXPECT_EQ(":not(.dark-mode) pre code.hljs { display: block }\n"
              "@media print {\n:not(.dark-mode) code { color: black }\n}\n\n",
              entries["a.css"]);
    EXPECT_EQ("p { color: red }\n\n\n", entries["b.css"]);
    EXPECT_NE(std::string::npos, entries["p.htm"].find("<style>nav ol { margin: 0 }\n </style>")) << entries["p.htm"];
}

// Items whose names OCF forbids or that break links (a '#' ends a link's path) are
// written under safe names, and every reference follows: manifest, spine, navigation,
// guide, links and sources of pages, url()s of style sheets and style attributes.
TEST_F(LitGen, ItemsNamedAsTheContainerForbidsGetSafeNamesThatEveryReferenceFollows) {
    BuildBook("<package><manifest><item id=\"i\" href=\"index.htm\" media-type=\"text/html\"/>"
              "<item id=\"h\" href=\"hash%231.htm\" media-type=\"text/html\"/>"
              "<item id=\"t\" href=\"hash_1.htm\" media-type=\"text/html\"/>"
              "<item id=\"q\" href=\"art/what%3F.gif\" media-type=\"image/gif\"/>"
              "<item id=\"s\" href=\"a%3Ab/s%7C.css\" media-type=\"text/css\"/>"
              "<item id=\"d\" href=\"tile.gif.\" media-type=\"image/gif\"/></manifest>"
              "<spine><itemref idref=\"i\"/><itemref idref=\"h\"/><itemref idref=\"t\"/></spine>"
              "<guide><reference type=\"toc\" title=\"Contents\" href=\"index.htm\"/>"
              "<reference type=\"text\" title=\"Start\" href=\"hash%231.htm#top\"/></guide></package>",
              {{"index.htm", "<html><head><link rel=\"stylesheet\" href=\"a%3Ab/s%7C.css\"/></head><body>"
                             "<p style=\"background: url(tile.gif.)\"><a href=\"hash%231.htm#top\">one</a> "
                             "<a href=\"hash_1.htm\">two</a><img src=\"art/what%3F.gif\" alt=\"what\"/></p></body></html>"},
               {"hash#1.htm", "<h1 id=\"top\">One</h1><p><a href=\"index.htm\">back</a></p>"},
               {"hash_1.htm", "<h1>Two</h1>"}},
              {{"art/what?.gif", kGif}, {"a:b/s|.css", "p { background: url(\"../art/what%3F.gif\") }\n"},
               {"tile.gif.", kGif}});
    EXPECT_TRUE(callback.messages.empty()) << callback.messages.front();
    EXPECT_TRUE(leaf::test::PassesEpubCheck(eBook));
    auto entries = Unpack(eBook);
    for (const char* name : {"index.htm", "hash_1-2.htm", "hash_1.htm", "art/what_.gif", "a_b/s_.css", "tile.gif"})
        EXPECT_EQ(1u, entries.count(name)) << name;
    EXPECT_NE(std::string::npos, entries["hash_1-2.htm"].find("One"));
    EXPECT_NE(std::string::npos, entries["hash_1.htm"].find("Two"));
    const std::string& opf = entries["book.opf"];
    for (const char* part : {"<item id=\"h\" href=\"hash_1-2.htm\"", "<item id=\"q\" href=\"art/what_.gif\"",
                             "<item id=\"s\" href=\"a_b/s_.css\"", "<item id=\"d\" href=\"tile.gif\"",
                             "<reference type=\"text\" title=\"Start\" href=\"hash_1-2.htm#top\" />"})
        EXPECT_NE(std::string::npos, opf.find(part)) << part << "\n" << opf;
    const std::string& index = entries["index.htm"];
    for (const char* part : {"<link rel=\"stylesheet\" href=\"a_b/s_.css\" />", "url(&quot;tile.gif&quot;)",
                             "<a href=\"hash_1-2.htm#top\">one</a>", "<a href=\"hash_1.htm\">two</a>",
                             "<img src=\"art/what_.gif\" alt=\"what\" />"})
        EXPECT_NE(std::string::npos, index.find(part)) << part << "\n" << index;
    EXPECT_EQ("p { background: url(\"../art/what_.gif\") }\n", entries["a_b/s_.css"]);
    // The contents page's links give the navigation; the guide's, the landmarks.
    const std::string& nav = entries["nav.xhtml"];
    EXPECT_NE(std::string::npos, nav.find("<li><a href=\"hash_1-2.htm#top\">one</a></li>")) << nav;
    EXPECT_NE(std::string::npos, nav.find("<a epub:type=\"bodymatter\" href=\"hash_1-2.htm#top\">Start</a>")) << nav;
    EXPECT_NE(std::string::npos, entries["toc.ncx"].find("<content src=\"hash_1-2.htm#top\" />")) << entries["toc.ncx"];
}

// Items the control declares with no type of use get the one their extension names; a
// picture of a type readers need not show is shown where a reader can, else its text.
TEST_F(LitGen, ItemsGetTheMediaTypesEpubKnowsThemBy) {
    const std::string svg = "<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"1\" height=\"1\"/>";
    struct Typed {
        const char* href;
        const char* declared;
        const char* written;
    };
    const Typed typed[] = {
        {"art.svg", "application/octet-stream", "image/svg+xml"}, {"clip.mp3", "", "audio/mpeg"},
        {"song.m4a", "application/octet-stream", "audio/mp4"},    {"code.js", "application/octet-stream", "application/javascript"},
        {"face.woff2", "", "font/woff2"},                          {"dot.png", "image/x-png", "image/png"},
        {"scan.bmp", "application/octet-stream", "image/bmp"},    {"photo.tif", "image/tiff", "image/tiff"},
    };
    std::string package = "<package><manifest><item id=\"p\" href=\"p.htm\" media-type=\"text/html\"/>";
    std::map<std::string, std::string> files;
    for (const Typed& item : typed) {
        package += std::string("<item href=\"") + item.href + "\" media-type=\"" + item.declared + "\"/>";
        files[item.href] = item.href == std::string("art.svg") ? svg : item.href == std::string("dot.png") ? kPng : "bytes";
    }
    package += "</manifest><spine><itemref idref=\"p\"/></spine></package>";
    BuildBook(package,
              {{"p.htm", "<p><img src=\"art.svg\" alt=\"a\"/><img src=\"scan.bmp\" alt=\"A scan\"/>"
                         "<img src=\"photo.tif\"/></p>"}},
              files);
    EXPECT_EQ((std::vector<std::string>{
                  "1 2005 The picture \"scan.bmp\" is of a type (image/bmp) that e-book readers need not show; where "
                  "a page shows it, a reader that cannot shows the picture's text instead.",
                  "1 2005 The picture \"photo.tif\" is of a type (image/tiff) that e-book readers need not show; "
                  "where a page shows it, a reader that cannot shows the picture's text instead."}),
              callback.messages);
    EXPECT_TRUE(leaf::test::PassesEpubCheck(eBook));
    auto entries = Unpack(eBook);
    for (const Typed& item : typed)
        EXPECT_NE(std::string::npos, entries["book.opf"].find(std::string("href=\"") + item.href + "\" media-type=\"" +
                                                              item.written + "\""))
            << item.href << "\n" << entries["book.opf"];
    EXPECT_NE(std::string::npos,
              entries["p.htm"].find("<p><img src=\"art.svg\" alt=\"a\" /><object data=\"scan.bmp\" type=\"image/bmp\">"
                                    "A scan</object><object data=\"photo.tif\" type=\"image/tiff\">photo.tif</object></p>"))
        << entries["p.htm"];
}

// Where the cover picture is of a type readers need not show, no item is the cover image.
TEST_F(LitGen, OnlyAPictureEveryReaderShowsIsTheCoverImage) {
    BuildBook("<package><manifest><item id=\"p\" href=\"p.htm\" media-type=\"text/html\"/>"
              "<item id=\"c\" href=\"cover.bmp\" media-type=\"image/bmp\"/></manifest><spine><itemref idref=\"p\"/>"
              "</spine><guide><reference type=\"other.ms-coverimage-standard\" href=\"cover.bmp\"/></guide></package>",
              {{"p.htm", "<p>text</p>"}}, {{"cover.bmp", "BM"}});
    EXPECT_TRUE(leaf::test::PassesEpubCheck(eBook));
    EXPECT_EQ(std::string::npos, Unpack(eBook)["book.opf"].find("cover-image"));
}

// The package's record attributes are matched without their "opf:" prefix; the language
// and direction of a record's text stay on its element where EPUB allows them; every
// other attribute refines its element, and follows a record kept as a meta entry.
TEST_F(LitGen, RecordAttributesKeepTheirMeaning) {
    BuildBook("<package unique-identifier=\"u\"><metadata><dc-metadata>"
              "<dc:Title xml:lang=\"fr\" dir=\"ltr\" opf:file-as=\"Sel\">Le Sel</dc:Title>"
              "<dc:Creator opf:role=\"aut\" opf:file-as=\"Quill, Ada\" xml:lang=\"en-GB\">Ada Quill</dc:Creator>"
              "<dc:Identifier id=\"u\" opf:scheme=\"ISBN\" xml:lang=\"en\">0-306-40615-2</dc:Identifier>"
              "<dc:Date opf:event=\"modification\" opf:note=\"late\">2002-01-01</dc:Date>"
              "<dc:Subject opf:scheme=\"BISAC\" xml:lang=\"english language\" xmlns:x=\"urn:x\">FIC000000</dc:Subject>"
              "</dc-metadata></metadata><manifest><item id=\"p\" href=\"p.htm\" media-type=\"text/html\"/></manifest>"
              "<spine><itemref idref=\"p\"/></spine></package>",
              {{"p.htm", "<p>text</p>"}}, {});
    EXPECT_TRUE(leaf::test::PassesEpubCheck(eBook));
    const std::string opf = Unpack(eBook)["book.opf"];
    for (const char* part : {
             "prefix=\"leafcraft: urn:leafcraft:package-attribute:\"",
             "<dc:title id=\"title1\" xml:lang=\"fr\" dir=\"ltr\">Le Sel</dc:title>",
             "<meta refines=\"#title1\" property=\"file-as\">Sel</meta>",
             "<dc:creator id=\"creator2\" xml:lang=\"en-GB\">Ada Quill</dc:creator>",
             "<meta refines=\"#creator2\" property=\"role\" scheme=\"marc:relators\">aut</meta>",
             "<meta refines=\"#creator2\" property=\"file-as\">Quill, Ada</meta>",
             "<dc:identifier id=\"u\">0-306-40615-2</dc:identifier>",
             "<meta refines=\"#u\" property=\"identifier-type\">ISBN</meta>",
             // EPUB gives an identifier no language.
             "<meta refines=\"#u\" property=\"leafcraft:xml-lang\">en</meta>",
             "<meta name=\"dc:Date.modification\" content=\"2002-01-01\" />",
             "<meta name=\"dc:Date.modification.note\" content=\"late\" />",
             "<dc:subject id=\"subject3\">FIC000000</dc:subject>",
             "<meta refines=\"#subject3\" property=\"leafcraft:scheme\">BISAC</meta>",
             "<meta refines=\"#subject3\" property=\"leafcraft:xml-lang\">english language</meta>",
         })
        EXPECT_NE(std::string::npos, opf.find(part)) << part << "\n" << opf;
    EXPECT_EQ(std::string::npos, opf.find("urn:x")) << "a namespace declaration says nothing of the book";
}

// Where the e-book cannot be created, the writer says so before anything is streamed,
// naming the file and the system's reason.
class LitGenBegin : public LitGenModule {
protected:
    void SetUp() override {
        LitGenModule::SetUp();
        if (HasFatalFailure())
            return;
        EXPECT_EQ(E_UNEXPECTED, writer->BeginEBook(u"/tmp/x.lit", u"/tmp/", u"", nullptr)) << "not initialised";
        ASSERT_EQ(S_OK, writer->Initialize(&callback));
    }

    // Expects BeginEBook to refuse the path for the reason.
    void ExpectRefused(const std::string& path, int reason) {
        SCOPED_TRACE(path);
        EXPECT_EQ(E_FAIL, writer->BeginEBook(leaf::Utf8ToUtf16(path).c_str(), u"/tmp/", u"", nullptr));
        ASSERT_FALSE(callback.messages.empty());
        EXPECT_EQ("0 1001 The e-book file \"" + path + "\" cannot be created there: " + std::strerror(reason),
                  callback.messages.back());
        leaf::ComPtr<IUnknown> object;
        EXPECT_EQ(E_UNEXPECTED, writer->NextCssItem(object.Receive()));
    }
};

TEST_F(LitGenBegin, RefusesAPathWhereNoFileCanBeMadeSayingWhy) {
    folder.WriteFile("plain", "a file");
    ExpectRefused(folder / "missing/book.lit", ENOENT);
    ExpectRefused(folder / "plain/book.lit", ENOTDIR);
    ExpectRefused(folder.Path().string(), EISDIR);
    // Nor where a FIFO or a device has the name: it would be replaced by a file.
    const std::string fifo = folder / "pipe.lit";
    ASSERT_EQ(0, mkfifo(fifo.c_str(), 0644));
    ExpectRefused(fifo, EPERM);
    const std::string device = folder / "null.lit";
    ASSERT_EQ(0, symlink("/dev/null", device.c_str()));
    ExpectRefused(device, EPERM);
    EXPECT_EQ(5u, callback.messages.size());
    EXPECT_TRUE(std::filesystem::is_fifo(fifo));
}

TEST_F(LitGenBegin, RefusesAFolderThatTakesNoNewFiles) {
    if (geteuid() == 0)
        GTEST_SKIP() << "the super-user writes in any folder";
    const std::string closed = folder / "closed";
    std::filesystem::create_directories(closed);
    ASSERT_EQ(0, chmod(closed.c_str(), 0555));
    ExpectRefused(closed + "/book.lit", EACCES);
    chmod(closed.c_str(), 0755);
}

// A failure to write the e-book names the file and the system's reason; the e-book is
// not there, nor any scratch file of its writer.
class LitGenWriteFailure : public LitGen {
protected:
    // In a child whose files may not grow beyond `limit` bytes (a write beyond gives
    // EFBIG, as a full disk gives ENOSPC), streams the book and finishes it: Finish's
    // result and the messages.
    std::string FinishWithFilesLimitedTo(rlim_t limit, const std::string& cssBytes, const std::string& pictureBytes) {
        int channel[2];
        EXPECT_EQ(0, pipe(channel));
        const pid_t child = fork();
        if (child == 0) {
            close(channel[0]);
            signal(SIGXFSZ, SIG_IGN);
            const rlimit files{limit, limit};
            setrlimit(RLIMIT_FSIZE, &files);
            StreamPackage({{u"s.css", u"text/css"}, {u"pic.png", u"image/png"}});
            leaf::ComPtr<IUnknown> object;
            LONG written = 0;
            if (writer->NextCssItem(object.Receive()) == S_OK) {
                object.As<ICssStream>()->Write(cssBytes.data(), static_cast<LONG>(cssBytes.size()), &written);
                object.As<ICssStream>()->End();
            }
            if (writer->NextBinaryItem(object.Receive()) == S_OK) {
                leaf::ComPtr<IBinaryStream> binary = object.As<IBinaryStream>();
                object = nullptr;
                binary->Write(pictureBytes.data(), static_cast<LONG>(pictureBytes.size()), &written);
            }
            std::string report = writer->Finish() == E_FAIL ? "E_FAIL" : "not E_FAIL";
            for (const std::string& message : callback.messages)
                report += "\n" + message;
            const ssize_t sent = write(channel[1], report.data(), report.size());
            _exit(sent == static_cast<ssize_t>(report.size()) ? 0 : 1);
        }
        close(channel[1]);
        std::string report;
        char buffer[4096];
        for (ssize_t got; (got = read(channel[0], buffer, sizeof buffer)) > 0;)
            report.append(buffer, static_cast<size_t>(got));
        close(channel[0]);
        int status = 0;
        EXPECT_EQ(child, waitpid(child, &status, 0));
        EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << report;
        return report;
    }

    void ExpectNothingBesideTheWorkFolder() const {
        std::vector<std::string> names;
        for (const auto& entry : std::filesystem::directory_iterator(folder.Path()))
            names.push_back(entry.path().filename().string());
        EXPECT_EQ(std::vector<std::string>{"work"}, names);
    }
};

TEST_F(LitGenWriteFailure, AFullScratchFileNamesItsFolderAndTheReason) {
    // Items go to the scratch file as they end, deflated: a style sheet that stays larger
    // than a file may grow (letters in no order, which deflating hardly shrinks).
    std::string css;
    for (std::uint32_t state = 1; css.size() < 256 * 1024;) {
        state = state * 1103515245u + 12345u;
        css += static_cast<char>('a' + (state >> 16) % 26);
    }
    const std::string report = FinishWithFilesLimitedTo(64 * 1024, css, kPng);
    EXPECT_EQ("E_FAIL\n0 1009 The e-book file \"" + eBook + "\" could not be written: its scratch file in \"" +
                  folder.Path().string() + "\" could not be written: " + std::strerror(EFBIG),
              report);
    ExpectNothingBesideTheWorkFolder();
}

TEST_F(LitGenWriteFailure, AFullArchiveNamesItAndTheReason) {
    // Every item fits in the scratch file, the archive of them and the package does not.
    std::string picture = kPng;
    for (int i = 0; picture.size() < 99 * 1024; ++i)
        picture += static_cast<char>(i * 7919 % 251);
    const std::string report = FinishWithFilesLimitedTo(100 * 1024, "p { }", picture);
    EXPECT_EQ(0u, report.find("E_FAIL\n0 1009 The e-book file \"" + eBook + "\" could not be written: the archive \"" +
                              eBook + ".tmp"))
        << report;
    EXPECT_NE(std::string::npos, report.find(std::strerror(EFBIG))) << report;
    ExpectNothingBesideTheWorkFolder();
}

TEST_F(LitGenWriteFailure, AnEBookThatCannotBeMovedIntoPlaceNamesTheReason) {
    ASSERT_EQ(S_OK, StreamPackage({{u"a.css", u"text/css"}}));
    leaf::ComPtr<IUnknown> object;
    ASSERT_EQ(S_OK, writer->NextCssItem(object.Receive()));
    EXPECT_EQ(S_OK, object.As<ICssStream>()->End());
    // A folder took the e-book's name after the writer began.
    folder.WriteFile("book.lit/keep", "the user's");
    EXPECT_EQ(E_FAIL, writer->Finish());
    ASSERT_EQ(1u, callback.messages.size());
    EXPECT_EQ(0u, callback.messages[0].find("0 1009 The e-book file \"" + eBook + "\" could not be written: the archive \"" +
                                            eBook + ".tmp"))
        << callback.messages[0];
    EXPECT_NE(std::string::npos,
              callback.messages[0].find("\" could not be moved into place: " + std::string(std::strerror(EISDIR))))
        << callback.messages[0];
    EXPECT_TRUE(std::filesystem::exists(folder / "book.lit/keep"));
    EXPECT_EQ(2, std::distance(std::filesystem::directory_iterator(folder.Path()), {}));
}

}  // namespace
