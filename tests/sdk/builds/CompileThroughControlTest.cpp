// The compile step as a client of the control sees it: the compiler's messages as
// OnLITGenMessage events after the control's filter, the compiler's first error as the
// details of a failed build, aborts that come late in the step, and every way the
// compiler can fail. The control loads the compiler from its own folder, so these tests
// put a copy of the control in a folder of their own beside the compiler they need:
// the scripted compiler of the driver's tests, or a relay around the real one that adds
// messages.

#include <unistd.h>

#include <cstdlib>
#include <filesystem>

#include "platform/base/File.h"
#include "tests/sdk/builds/BuildsTestSupport.h"
#include "tests/support/TestPictures.h"

namespace buildstest {
namespace {

namespace fs = std::filesystem;

class CompileThroughControl : public EBookBuild {
protected:
    void SetUp() override {
        EBookBuild::SetUp();
        setenv("LEAF_TEST_COMPILER_SCRIPT", "", 1);
        setenv("LEAF_TEST_COMPILER_ITEMS", "", 1);
        setenv("LEAF_TEST_RELAY_MESSAGES", "", 1);
        setenv("LEAF_TEST_RELAY_TARGET", (leaf::test::BinDir() + "/LITGen.so").c_str(), 1);
    }

    // A copy of the control in its own folder, with the module named as the compiler
    // beside it (none for an empty name), registered in place of the built one.
    void StartControlBeside(const std::string& compilerModule) {
        const fs::path copy = folder.Path() / "control";
        fs::create_directories(copy);
        fs::copy_file(leaf::test::BinDir() + "/leafsdk.so", copy / "leafsdk.so");
        if (!compilerModule.empty())
            fs::copy_file(leaf::test::BinDir() + "/" + compilerModule, copy / "LITGen.so");
        StartControl((copy / "leafsdk.so").string());
    }

    // A one-page book with a picture, prepared.
    void PrepareBook() {
        page = folder.WriteFile("book/page.html", "<html><body><p>Text.</p><img src=\"pic.gif\"></body></html>");
        folder.WriteFile("book/pic.gif", leaf::test::OnePixelGif() + "picture");
        Prepare({page});
    }

    std::string CompilerPath() const { return folder / "control/LITGen.so"; }
    std::string PackagePath(const std::string& name) const { return WorkFolder(name) + "/" + name + ".opf"; }

    std::string page;
};

TEST_F(CompileThroughControl, EachFailureOfTheCompilerReportsItsCodeAndDetails) {
    StartControlBeside("scriptedlitgen.so");
    PrepareBook();
    const std::string eBook = folder / "out/book.lit";
    struct Case {
        const char* script;
        LONG code;
        std::string details;
    };
    const Case cases[] = {
        {"nocreate", LCERR_LITGEN_CREATE, CompilerPath()},
        {"noinit", LCERR_LITGEN_INITIALIZE, ""},
        {"noinit,initmessage", LCERR_LITGEN_INITIALIZE, "init refused"},
        {"nobegin", LCERR_CREATEEBOOK, eBook},
        {"nopackage", LCERR_UNEXPECTED, ""},
        {"noend", LCERR_ENCODEPACKAGE, PackagePath("book")},
        {"nofinish", LCERR_UNEXPECTED, ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.script);
        setenv("LEAF_TEST_COMPILER_SCRIPT", c.script, 1);
        EXPECT_FALSE(Build(eBook));
        EXPECT_EQ(c.code, control.ErrorCode());
        EXPECT_EQ(c.details, control.ErrorDetails());
    }
    // The compiler's error message reached the client too.
    std::vector<std::string> messages = Messages();
    ASSERT_EQ(1u, messages.size());
    EXPECT_EQ("0 1 init refused| 0", messages[0]);

    // An item the compiler asks for that cannot be read: the kind's code; the path, or
    // for a page the encoder's message.
    setenv("LEAF_TEST_COMPILER_SCRIPT", "", 1);
    const std::string gone = folder / "work/book/gone";
    const std::pair<std::string, LONG> kinds[] = {
        {"css", LCERR_ENCODECSS}, {"html", LCERR_ENCODEHTML}, {"bin", LCERR_ENCODEBINARY}};
    for (const auto& [kind, code] : kinds) {
        SCOPED_TRACE(kind);
        setenv("LEAF_TEST_COMPILER_ITEMS", (kind + ":" + gone).c_str(), 1);
        EXPECT_FALSE(Build(eBook));
        EXPECT_EQ(code, control.ErrorCode());
        if (kind == "html")
            EXPECT_EQ("Unable to open the intermediate source file \"" + gone + "\".", control.ErrorDetails());
        else
            EXPECT_EQ(gone, control.ErrorDetails());
    }

    // The same control then builds (the scripted compiler writes no e-book to check).
    setenv("LEAF_TEST_COMPILER_ITEMS", "", 1);
    EXPECT_TRUE(Build(eBook, sdktest::SdkControl::EBookCheck::None));
    EXPECT_EQ(LCERR_NONE, control.ErrorCode());
}

TEST_F(CompileThroughControl, ACompilerThatIsMissingOrHasNoEntryPointIsReported) {
    StartControlBeside("");
    PrepareBook();
    const std::string eBook = folder / "out/book.lit";
    EXPECT_FALSE(Build(eBook));
    EXPECT_EQ(LCERR_LITGEN_LOAD, control.ErrorCode());
    EXPECT_EQ(0u, control.ErrorDetails().find(CompilerPath())) << control.ErrorDetails();
    EXPECT_NE(std::string::npos, control.ErrorDetails().find("No such file or directory")) << control.ErrorDetails();
    EXPECT_FALSE(fs::exists(eBook));

    // A module that is not a compiler (no entry point), then a file that is no module.
    if (fs::exists(leaf::test::BinDir() + "/testnoentry.so")) {
        fs::copy_file(leaf::test::BinDir() + "/testnoentry.so", CompilerPath());
        EXPECT_FALSE(Build(eBook));
        EXPECT_EQ(LCERR_LITGEN_ACCESS, control.ErrorCode());
        EXPECT_EQ(0u, control.ErrorDetails().find(CompilerPath())) << control.ErrorDetails();
        EXPECT_NE(std::string::npos, control.ErrorDetails().find("CreateWriter")) << control.ErrorDetails();
        fs::remove(CompilerPath());
    }
    folder.WriteFile("control/LITGen.so", "not a module");
    EXPECT_FALSE(Build(eBook));
    EXPECT_EQ(LCERR_LITGEN_LOAD, control.ErrorCode());
    EXPECT_EQ(0u, control.ErrorDetails().find(CompilerPath())) << control.ErrorDetails();
    EXPECT_GT(control.ErrorDetails().size(), CompilerPath().size() + 2) << control.ErrorDetails();
    EXPECT_FALSE(fs::exists(eBook));
}

TEST_F(CompileThroughControl, TheCompilerGetsTheSourceNameOrTheProductName) {
    StartControlBeside("scriptedlitgen.so");
    PrepareBook();
    const std::string log = folder / "compiler.log";
    setenv("LEAF_TEST_COMPILER_LOG", log.c_str(), 1);
    const std::string eBook = folder / "out/book.lit";
    fs::create_directories(folder / "out");
    for (const char* source : {"", "Manuscript 7"}) {
        SCOPED_TRACE(source);
        fs::remove(log);
        // The scripted compiler writes no e-book to check.
        EXPECT_TRUE(control.BuildEBook({leaf::Variant(eBook), leaf::Variant(source)},
                                       sdktest::SdkControl::EBookCheck::None));
        std::string calls;
        EXPECT_TRUE(leaf::ReadFileBytes(log, calls));
        const std::string expected = *source != 0 ? source : "Leafcraft";
        EXPECT_NE(std::string::npos, calls.find("begin " + eBook + " " + WorkFolder("book") + "/ " + expected + "\n"))
            << calls;
    }
    unsetenv("LEAF_TEST_COMPILER_LOG");
}

TEST_F(CompileThroughControl, CompilerMessagesReachTheClientThroughTheFilter) {
    StartControlBeside("relaylitgen.so");
    // The picture's name holds ".eot", so a font message about it is dropped.
    page = folder.WriteFile("book/page.html", "<html><body><p>Text.</p><img src=\"a.eot.gif\"></body></html>");
    folder.WriteFile("book/a.eot.gif", leaf::test::OnePixelGif() + "picture");
    Prepare({page});
    setenv("LEAF_TEST_RELAY_MESSAGES",
           "html|1|1103|chatter;"
           "html|1|2103|The link 'HTTPS://secure.example/x' is not followed.;"
           "html|1|2103|The link 'mailto:someone@example.org' is not followed.;"
           "html|1|2103|The link 'ftp://files.example/x' is not followed.;"
           "html|1|2103|The link 'chapter9.html' is missing: check it.;"
           "html|1|1202|A font of this page cannot be embedded.;"
           "html|2|4500|a note;"
           "bin|1|1202|A font of this picture cannot be embedded.;"
           "bin|0|9001|trouble with the picture",
           1);
    const std::string eBook = folder / "out/book.lit";
    ASSERT_TRUE(Build(eBook));
    EXPECT_EQ(LCERR_NONE, control.ErrorCode());

    // Messages given before an item is handed out carry that item's path and line 0.
    const std::string pagePath = WorkFolder("book") + "/page.html ";
    const std::string picturePath = WorkFolder("book") + "/a.eot.gif ";
    EXPECT_EQ((std::vector<std::string>{
                  "1 2103 The link 'ftp://files.example/x' is not followed.|" + pagePath + "0",
                  "1 2103 The link 'chapter9.html' is missing: check it.|" + pagePath + "0",
                  "1 1202 A font of this page cannot be embedded.|" + pagePath + "0",
                  "2 4500 a note|" + pagePath + "0",
                  "0 9001 trouble with the picture|" + picturePath + "0",
              }),
              Messages());
    // An error the compiler reports does not fail a build that the compiler finishes.
    EXPECT_TRUE(fs::exists(eBook));
}

TEST_F(CompileThroughControl, TheCompilersFirstErrorBecomesTheDetailsOfAFailedBuild) {
    StartControlBeside("relaylitgen.so");
    // A UTF-16 page goes to the encoder as it is; this one is not well formed.
    std::string wide("\xFF\xFE", 2);
    for (char ch : std::string("<html><body><p>x</P></body></html>"))
        wide += std::string{ch, '\0'};
    Prepare({folder.WriteFile("book/wide.htm", wide)});
    setenv("LEAF_TEST_RELAY_MESSAGES",
           "html|1|7|only a warning;html|0|9001|the first problem;html|0|9002|the second problem", 1);
    const std::string eBook = folder / "out/wide.lit";
    EXPECT_FALSE(Build(eBook));
    EXPECT_EQ(LCERR_ENCODEHTML, control.ErrorCode());
    EXPECT_EQ("the first problem", control.ErrorDetails());
    EXPECT_FALSE(fs::exists(eBook));

    // Without the compiler's errors the encoder's own message is the details.
    setenv("LEAF_TEST_RELAY_MESSAGES", "html|1|7|only a warning", 1);
    EXPECT_FALSE(Build(eBook));
    EXPECT_EQ(LCERR_ENCODEHTML, control.ErrorCode());
    EXPECT_NE(std::string::npos, control.ErrorDetails().find("is not well-formed")) << control.ErrorDetails();
    EXPECT_NE(std::string::npos, control.ErrorDetails().find("</P>")) << control.ErrorDetails();

    // The real compiler's own error: an e-book in a folder that does not exist.
    fs::remove(folder / "book/wide.htm");
    folder.WriteFile("book/wide.htm", "<p>fine</p>");
    setenv("LEAF_TEST_RELAY_MESSAGES", "", 1);
    const std::string nowhere = folder / "out/wide.lit/inside.lit";
    EXPECT_FALSE(control.CallBool(sdkdispid::BuildEBook, {leaf::Variant(nowhere), leaf::Variant("")}));
    EXPECT_EQ(LCERR_CREATEEBOOK, control.ErrorCode());
    EXPECT_EQ("The e-book file \"" + nowhere + "\" cannot be created there: No such file or directory",
              control.ErrorDetails());

    // Nor in a folder that takes no new files (where the super-user would write anyway).
    if (geteuid() != 0) {
        const std::string closed = folder / "closed";
        fs::create_directories(closed);
        fs::permissions(closed, fs::perms::owner_read | fs::perms::owner_exec);
        EXPECT_FALSE(control.CallBool(sdkdispid::BuildEBook, {leaf::Variant(closed + "/book.lit"), leaf::Variant("")}));
        EXPECT_EQ(LCERR_CREATEEBOOK, control.ErrorCode());
        EXPECT_EQ("The e-book file \"" + closed + "/book.lit\" cannot be created there: Permission denied",
                  control.ErrorDetails());
        fs::permissions(closed, fs::perms::owner_all);
    }
}

// Aborts requested from the client's handlers late in the compile step, with the real
// compiler: each stops the e-book from being written.
class LateAbort : public EBookBuild {
protected:
    void SetUp() override {
        EBookBuild::SetUp();
        StartControl();
        const std::string page = folder.WriteFile(
            "book/page.html", "<html><body><p>Text.</p><img src=\"pic.gif\"><img src=\"fake.png\"></body></html>");
        folder.WriteFile("book/pic.gif", leaf::test::OnePixelGif() + "picture");
        folder.WriteFile("book/fake.png", "not a picture");
        Prepare({page});
    }

    // The build with AbortBuild called from the handler of the event at `index`.
    bool BuildAbortingAt(size_t index, const std::string& eBook) {
        sink->events.clear();
        sink->handler = [this, index](const std::string&) {
            if (sink->events.size() == index + 1) {
                EXPECT_TRUE(control.CallBool(sdkdispid::AbortBuild));
            }
        };
        const bool built = Build(eBook);
        sink->handler = nullptr;
        return built;
    }

    void ExpectAbortedWithoutEBook(const std::string& eBook) const {
        EXPECT_EQ(LCERR_ABORTED, control.ErrorCode());
        EXPECT_FALSE(fs::exists(eBook));
        EXPECT_EQ(std::vector<std::string>{}, FilesIn(fs::path(eBook).parent_path().string()));
    }
};

TEST_F(LateAbort, FromTheLastProgressEventOrAMessageAfterIt) {
    // A whole build shows the events of the compile step: the warning about the false
    // picture comes after the last progress call, when its stream is released. (The
    // false picture makes the book invalid on purpose: it is not checked.)
    const std::string eBook = folder / "out/book.lit";
    sink->events.clear();
    ASSERT_TRUE(Build(eBook, sdktest::SdkControl::EBookCheck::None));
    const std::vector<std::string> events = sink->events;
    ASSERT_EQ("progress 100 3 ", events.back());
    size_t lastProgress = events.size() - 2;
    while (events[lastProgress].rfind("progress ", 0) != 0)
        --lastProgress;
    ASSERT_EQ(0u, events[lastProgress].find("progress 100 3 fake.png")) << events[lastProgress];
    const size_t warning = events.size() - 2;
    ASSERT_EQ(0u, events[warning].find("message 1 2002 ")) << events[warning];
    ASSERT_GT(warning, lastProgress);
    fs::remove(eBook);

    EXPECT_FALSE(BuildAbortingAt(lastProgress, eBook));
    ExpectAbortedWithoutEBook(eBook);

    EXPECT_FALSE(BuildAbortingAt(warning, eBook));
    ExpectAbortedWithoutEBook(eBook);

    // Nothing stays set: the next build writes the e-book.
    EXPECT_TRUE(Build(eBook, sdktest::SdkControl::EBookCheck::None));
    EXPECT_EQ(LCERR_NONE, control.ErrorCode());
    // The three items beside the container's own five entries.
    EXPECT_EQ(3u, UnpackEBook(eBook).size() - 5);
}

}  // namespace
}  // namespace buildstest
