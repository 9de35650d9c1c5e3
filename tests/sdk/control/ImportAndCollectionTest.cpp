// Importing a package file, and the string collections of missing and external files as
// a scripting client walks them (Count, Item, _NewEnum).

#include <gtest/gtest.h>

#include <sys/stat.h>

#include <filesystem>
#include <system_error>

#include "platform/com/EnumVariant.h"
#include "tests/sdk/control/SdkTestSupport.h"

namespace sdktest {
namespace {

using leaf::Variant;

class SdkImport : public SdkControlTest {
protected:
    void SetUp() override {
        SdkControlTest::SetUp();
        ASSERT_TRUE(control.Initialize());
        sink = leaf::ComPtr<EventSink>(new EventSink());
        control.Advise(sink.Get());
    }

    // The sources the preparation scanned, in order.
    std::vector<std::string> ScannedSources() const {
        std::vector<std::string> scanned;
        for (const std::string& event : sink->events)
            if (event.rfind("message 1 0 prepare|", 0) == 0)
                scanned.push_back(event.substr(20, event.size() - 22));
        return scanned;
    }

    leaf::ComPtr<EventSink> sink;
};

TEST_F(SdkImport, ResolvesPathsAndFoldsDuplicateItemsIntoTheFirst) {
    std::string first = Source("book/opf/a.src");
    std::string other = Source("book/other/b.src");
    std::string package = Source("book/opf/book.opf",
                                 "<?xml version=\"1.0\"?>\n"
                                 "<package unique-identifier=\"id\">\n"
                                 "<metadata><dc-metadata><dc:Title>T</dc:Title></dc-metadata></metadata>\n"
                                 "<manifest>\n"
                                 "<item id=\"a\" href=\"a.src\" media-type=\"text/x-oeb1-document\"/>\n"
                                 "<item id=\"again\" href=\"./A.SRC\" media-type=\"text/x-oeb1-document\"/>\n"
                                 "<item id=\"b\" href=\"..\\other\\b.src\" media-type=\"text/x-oeb1-document\"/>\n"
                                 "</manifest>\n"
                                 "<spine><itemref idref=\"a\"/><itemref idref=\"again\"/><itemref idref=\"b\"/></spine>\n"
                                 "</package>\n");
    EXPECT_TRUE(control.CallBool(sdkdispid::ImportPackageFile, {Variant(package)}));
    EXPECT_EQ(LCERR_NONE, control.ErrorCode());
    EXPECT_TRUE(control.PrepareEBook());
    EXPECT_EQ((std::vector<std::string>{first, first, other}), ScannedSources());
}

// Hrefs are URLs: an escaped name reads back as the file it names, as a package that a
// build writes has it; a file named with the escape as written is found too.
TEST_F(SdkImport, EscapedHrefsNameTheirFiles) {
    std::string percent = Source("book/opf/pct%41%.src");
    std::string hash = Source("book/opf/hash#x.src");
    std::string literal = Source("book/opf/lit%20eral.src");
    std::string package = Source("book/opf/book.opf",
                                 "<package unique-identifier=\"id\"><manifest>\n"
                                 "<item id=\"p\" href=\"pct%2541%25.src\" media-type=\"text/x-oeb1-document\"/>\n"
                                 "<item id=\"h\" href=\"hash%23x.src\" media-type=\"text/x-oeb1-document\"/>\n"
                                 "<item id=\"l\" href=\"lit%20eral.src\" media-type=\"text/x-oeb1-document\"/>\n"
                                 "</manifest><spine><itemref idref=\"p\"/><itemref idref=\"h\"/><itemref idref=\"l\"/>"
                                 "</spine></package>\n");
    EXPECT_TRUE(control.CallBool(sdkdispid::ImportPackageFile, {Variant(package)}));
    EXPECT_TRUE(control.PrepareEBook()) << control.ErrorCode() << " " << control.ErrorDetails();
    EXPECT_EQ((std::vector<std::string>{percent, hash, literal}), ScannedSources());
}

TEST_F(SdkImport, MissingPackageFileIsReported) {
    std::string package = folder / "nowhere.opf";
    EXPECT_FALSE(control.CallBool(sdkdispid::ImportPackageFile, {Variant(package)}));
    EXPECT_EQ(LCERR_OPEN_PKG_FILE, control.ErrorCode());
    EXPECT_EQ(package + ": No such file or directory", control.ErrorDetails());

    // A folder of that name is no package file either.
    std::filesystem::create_directories(package);
    EXPECT_FALSE(control.CallBool(sdkdispid::ImportPackageFile, {Variant(package)}));
    EXPECT_EQ(LCERR_OPEN_PKG_FILE, control.ErrorCode());
    EXPECT_EQ(package + ": Is a directory", control.ErrorDetails());

    // Nor is a FIFO, which is refused at once rather than waited on.
    const std::string fifo = folder / "pipe.opf";
    ASSERT_EQ(0, mkfifo(fifo.c_str(), 0644));
    EXPECT_FALSE(control.CallBool(sdkdispid::ImportPackageFile, {Variant(fifo)}));
    EXPECT_EQ(LCERR_OPEN_PKG_FILE, control.ErrorCode());
    EXPECT_EQ(fifo + ": Operation not permitted", control.ErrorDetails());
}

TEST_F(SdkImport, UrlReferencesAreKeptAsWrittenNotTakenForFilesBesideThePackage) {
    Source("book/opf/a.src");
    std::string package = Source("book/opf/book.opf",
                                 "<package unique-identifier=\"id\">\n"
                                 "<manifest>\n"
                                 "<item id=\"a\" href=\"a.src\" media-type=\"text/x-oeb1-document\"/>\n"
                                 "<item id=\"web\" href=\"http://example.com/logo.gif\" media-type=\"image/gif\"/>\n"
                                 "<item id=\"ftp\" href=\"ftp://example.com/x/../pic.gif\" media-type=\"image/gif\"/>\n"
                                 "</manifest>\n"
                                 "<spine><itemref idref=\"a\"/></spine>\n"
                                 "</package>\n");
    ASSERT_TRUE(control.CallBool(sdkdispid::ImportPackageFile, {Variant(package)}));
    EXPECT_TRUE(control.PrepareEBook());
    EXPECT_EQ(LCWARN_INVALIDDEPENDENCIES, control.ErrorCode());
    // The web link is one of the ignored schemes; the other stays an outside reference.
    EXPECT_TRUE(control.Collection(sdkdispid::GetMissingFiles).empty());
    EXPECT_EQ((std::vector<std::string>{"ftp://example.com/pic.gif"}), control.Collection(sdkdispid::GetExternalFiles));
}

TEST_F(SdkImport, PackageNamedRelativeToTheCurrentFolderFindsItsItemsBesideIt) {
    std::string page = Source("book/opf/a.src");
    Source("book/opf/book.opf",
           "<package unique-identifier=\"id\"><manifest>\n"
           "<item id=\"a\" href=\"a.src\" media-type=\"text/x-oeb1-document\"/>\n"
           "</manifest><spine><itemref idref=\"a\"/></spine></package>\n");
    std::error_code error;
    const std::filesystem::path previous = std::filesystem::current_path();
    std::filesystem::current_path(folder / "book", error);
    ASSERT_FALSE(error);
    bool imported = control.CallBool(sdkdispid::ImportPackageFile, {Variant("opf/book.opf")});
    bool prepared = control.PrepareEBook();
    std::filesystem::current_path(previous);
    EXPECT_TRUE(imported);
    EXPECT_TRUE(prepared) << control.ErrorCode() << " " << control.ErrorDetails();
    EXPECT_EQ(std::vector<std::string>{page}, ScannedSources());
}

TEST_F(SdkImport, ImportStartsTheProjectAfresh) {
    std::string page = Source("book/a.src", "dep gone.gif\n");
    ASSERT_TRUE(control.AddSourceFile(page, LCF_SPINE));
    ASSERT_TRUE(control.PrepareEBook());
    ASSERT_EQ(1u, control.Collection(sdkdispid::GetMissingFiles).size());

    std::string package = Source("empty/book.opf", "<package><manifest></manifest><spine></spine></package>");
    EXPECT_TRUE(control.CallBool(sdkdispid::ImportPackageFile, {Variant(package)}));
    EXPECT_TRUE(control.Collection(sdkdispid::GetMissingFiles).empty());
    EXPECT_FALSE(control.PrepareEBook());
    EXPECT_EQ(LCERR_NOSPINEFILES, control.ErrorCode());
}

class SdkCollection : public SdkImport {
protected:
    // A missing-file collection with the given number of entries.
    leaf::ComPtr<IDispatch> MissingFiles(int count) {
        std::string lines;
        for (int i = 0; i < count; ++i)
            lines += "dep gone" + std::to_string(i) + ".gif\n";
        EXPECT_TRUE(control.AddSourceFile(Source("book/a.src", lines), LCF_SPINE));
        EXPECT_TRUE(control.PrepareEBook());
        leaf::DispatchResult result = control.Call(sdkdispid::GetMissingFiles);
        EXPECT_EQ(VT_DISPATCH, result.value.vt);
        return leaf::ComPtr<IDispatch>(result.value.pdispVal);
    }

    static leaf::DispatchResult Item(IDispatch* collection, LONG index) {
        return leaf::DispatchDriver(collection).TryInvoke(collectiondispid::Item, DISPATCH_PROPERTYGET,
                                                          {Variant(index)});
    }

    static leaf::ComPtr<IEnumVARIANT> NewEnum(IDispatch* collection) {
        leaf::DispatchResult result =
            leaf::DispatchDriver(collection).TryInvoke(collectiondispid::NewEnum, DISPATCH_PROPERTYGET, {});
        leaf::ComPtr<IEnumVARIANT> enumerator;
        if (result.value.vt == VT_UNKNOWN && result.value.punkVal)
            result.value.punkVal->QueryInterface(IID_IEnumVARIANT, enumerator.ReceiveVoid());
        return enumerator;
    }
};

TEST_F(SdkCollection, ItemCountsFromOneAndRefusesIndexesOutsideTheList) {
    leaf::ComPtr<IDispatch> missing = MissingFiles(2);
    leaf::DispatchDriver driver(missing.Get());
    EXPECT_EQ(2, driver.GetProperty(collectiondispid::Count).ToLong());
    EXPECT_EQ(folder / "book/gone0.gif", Item(missing, 1).value.ToUtf8());
    EXPECT_EQ(folder / "book/gone1.gif", Item(missing, 2).value.ToUtf8());
    for (LONG index : {0, 3, -1}) {
        leaf::DispatchResult result = Item(missing, index);
        EXPECT_EQ(DISP_E_EXCEPTION, result.hr) << index;
        EXPECT_EQ(E_INVALIDARG, result.exceptionCode) << index;
    }
    // Read-only.
    EXPECT_NE(S_OK, driver.TryInvoke(collectiondispid::Count, DISPATCH_PROPERTYPUT, {Variant(LONG(5))}).hr);
}

TEST_F(SdkCollection, EmptyCollection) {
    leaf::DispatchResult result = control.Call(sdkdispid::GetExternalFiles);
    ASSERT_EQ(VT_DISPATCH, result.value.vt);
    IDispatch* external = result.value.pdispVal;
    EXPECT_EQ(0, leaf::DispatchDriver(external).GetProperty(collectiondispid::Count).ToLong());
    EXPECT_EQ(DISP_E_EXCEPTION, Item(external, 1).hr);
    leaf::ComPtr<IEnumVARIANT> enumerator = NewEnum(external);
    ASSERT_TRUE(enumerator);
    Variant value;
    ULONG fetched = 7;
    EXPECT_EQ(S_FALSE, enumerator->Next(1, &value, &fetched));
    EXPECT_EQ(0u, fetched);
}

TEST_F(SdkCollection, EnumeratorWalksSkipsAndClones) {
    leaf::ComPtr<IDispatch> missing = MissingFiles(4);
    leaf::ComPtr<IEnumVARIANT> enumerator = NewEnum(missing);
    ASSERT_TRUE(enumerator);
    Variant value;
    ASSERT_EQ(S_OK, enumerator->Next(1, &value, nullptr));
    EXPECT_EQ(folder / "book/gone0.gif", value.ToUtf8());
    value.Clear();
    ASSERT_EQ(S_OK, enumerator->Next(1, &value, nullptr));
    value.Clear();

    leaf::ComPtr<IEnumVARIANT> clone;
    ASSERT_EQ(S_OK, enumerator->Clone(clone.Receive()));
    ASSERT_EQ(S_OK, clone->Next(1, &value, nullptr));
    EXPECT_EQ(folder / "book/gone2.gif", value.ToUtf8());
    value.Clear();

    EXPECT_EQ(S_FALSE, enumerator->Skip(5));  // past the end: stops there
    ULONG fetched = 1;
    EXPECT_EQ(S_FALSE, enumerator->Next(1, &value, &fetched));
    EXPECT_EQ(0u, fetched);
    ASSERT_EQ(S_OK, clone->Next(1, &value, nullptr));  // the clone goes on by itself
    EXPECT_EQ(folder / "book/gone3.gif", value.ToUtf8());
}

TEST_F(SdkCollection, CollectionIsACopyTakenWhenItWasMade) {
    leaf::ComPtr<IDispatch> missing = MissingFiles(1);
    ASSERT_TRUE(control.Initialize());  // empties the control's lists
    EXPECT_TRUE(control.Collection(sdkdispid::GetMissingFiles).empty());
    EXPECT_EQ(1, leaf::DispatchDriver(missing.Get()).GetProperty(collectiondispid::Count).ToLong());
}

}  // namespace
}  // namespace sdktest
