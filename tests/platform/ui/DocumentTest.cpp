// The document/frame facility: the single-document template, documents with their load,
// save and save-changes prompt, views, the frame's caption and closing, the recent-file
// list, file drops and the static splitter. Everything runs headless through the
// application's and the frame's commands; people are scripted.
#include <gtest/gtest.h>

#include <QAbstractItemView>
#include <QApplication>
#include <QStandardItemModel>
#include <QDropEvent>
#include <QMimeData>
#include <QSplitter>
#include <QUrl>
#include <fstream>
#include <sstream>

#include "platform/base/Archive.h"
#include "platform/ui/ControlBars.h"
#include "platform/ui/DocTemplate.h"
#include "platform/ui/FrameWnd.h"
#include "platform/ui/ListCtrl.h"
#include "platform/ui/Resources.h"
#include "platform/ui/ScriptedPeople.h"
#include "platform/ui/SplitterWnd.h"
#include "platform/ui/WinApp.h"
#include "tests/platform/ui/UiTestEnvironment.h"
#include "tests/support/TempFolder.h"

using namespace leaf::ui;

namespace {

// A document that stores a version number and one text.
class NoteDocument : public CDocument {
public:
    DECLARE_DYNCREATE(NoteDocument)
    void Serialize(CArchive& archive) override {
        if (archive.IsStoring()) {
            archive << static_cast<DWORD>(1);
            if (failStore) throw CArchiveException(CArchiveException::genericException);
            archive << text;
        } else {
            DWORD version = 0;
            archive >> version;
            if (version > 1) throw CArchiveException(CArchiveException::badSchema);
            archive >> text;
        }
    }
    void DeleteContents() override {
        text.Empty();
        ++deletes;
    }
    CString text;
    bool failStore = false;
    int deletes = 0;
};
IMPLEMENT_DYNCREATE(NoteDocument, CDocument)

class NoteView : public CView {
public:
    DECLARE_DYNCREATE(NoteView)
    void OnInitialUpdate() override {
        ++initialUpdates;
        CView::OnInitialUpdate();
    }
    void OnUpdate(CView* sender, LPARAM hint, CObject*) override {
        ++updates;
        lastHint = hint;
        lastSender = sender;
    }
    int initialUpdates = 0;
    int updates = 0;
    LPARAM lastHint = 0;
    CView* lastSender = nullptr;
};
IMPLEMENT_DYNCREATE(NoteView, CView)

class NoteFormView : public CFormView {
public:
    DECLARE_DYNCREATE(NoteFormView)
    NoteFormView() : CFormView(310) {}
};
IMPLEMENT_DYNCREATE(NoteFormView, CFormView)

class NoteFrame : public CFrameWnd {
public:
    DECLARE_DYNCREATE(NoteFrame)
};
IMPLEMENT_DYNCREATE(NoteFrame, CFrameWnd)

// A frame whose client area is a splitter: a plain view left, a form view right.
class SplitFrame : public CFrameWnd {
public:
    DECLARE_DYNCREATE(SplitFrame)
    BOOL OnCreateClient(LPCREATESTRUCT, CCreateContext* context) override {
        return splitter.CreateStatic(this, 1, 2) &&
               splitter.CreateView(0, 0, RUNTIME_CLASS(NoteView), SIZE{90, 114}, context) &&
               splitter.CreateView(0, 1, RUNTIME_CLASS(NoteFormView), SIZE{90, 114}, context);
    }
    CSplitterWnd splitter;
};
IMPLEMENT_DYNCREATE(SplitFrame, CFrameWnd)

// A frame whose creation fails.
class FailingFrame : public CFrameWnd {
public:
    DECLARE_DYNCREATE(FailingFrame)
    int OnCreate(LPCREATESTRUCT createStruct) override {
        if (CFrameWnd::OnCreate(createStruct) == -1) return -1;
        return -1;
    }
};
IMPLEMENT_DYNCREATE(FailingFrame, CFrameWnd)

class NoteApp : public CWinApp {
public:
    NoteApp() : CWinApp("Notebook") {}
};

void LoadDocFrameResources() {
    static bool loaded = false;
    if (loaded) return;
    ResourceScriptError error;
    ASSERT_TRUE(Resources().AddScriptFile(leaf::test::UiTestDataPath("docframe.lrc"), &error))
        << "line " << error.line << ": " << error.message;
    loaded = true;
}

std::string ReadAll(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream contents;
    contents << in.rdbuf();
    return contents.str();
}

class DocumentTest : public testing::Test {
protected:
    void SetUp() override {
        leaf::test::LoadUiTestResources();
        LoadDocFrameResources();
        app.SetRegistryKey("Leaf Tests");
        app.LoadStdProfileSettings(4);
        docTemplate = new CSingleDocTemplate(300, RUNTIME_CLASS(NoteDocument), FrameClass(), RUNTIME_CLASS(NoteView));
        app.AddDocTemplate(docTemplate);
    }
    void TearDown() override { QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete); }
    virtual const CRuntimeClass* FrameClass() const { return RUNTIME_CLASS(NoteFrame); }

    NoteDocument* Document() const { return dynamic_cast<NoteDocument*>(docTemplate->GetDocument()); }
    CFrameWnd* Frame() const { return dynamic_cast<CFrameWnd*>(app.GetMainWnd()); }
    NoteView* View() const { return Frame() ? dynamic_cast<NoteView*>(Frame()->GetActiveView()) : nullptr; }
    LRESULT Command(UINT id) { return Frame()->SendMessage(WM_COMMAND, MAKEWPARAM(id, 0), 0); }
    std::string Caption() const { return Frame()->GetWindowText().str(); }
    // A new document with this text, saved under `name` in the test folder.
    std::string SavedNote(const std::string& name, const char* text) {
        std::string path = folder / name;
        app.OnFileNew();
        Document()->text = text;
        Document()->SetModifiedFlag();
        EXPECT_TRUE(Document()->DoSave(path.c_str()));
        return path;
    }

    NoteApp app;
    ScriptedPeople people;
    leaf::test::TempFolder folder;
    CSingleDocTemplate* docTemplate = nullptr;
};

}  // namespace

TEST_F(DocumentTest, TemplateStringHasSevenFieldsAndMakesTheFileFilter) {
    const std::vector<std::pair<CDocTemplate::DocStringIndex, const char*>> fields = {
        {CDocTemplate::windowTitle, "Notebook"},       {CDocTemplate::docName, ""},
        {CDocTemplate::fileNewName, "Notebook"},       {CDocTemplate::filterName, "Notebook Files (*.nbk)"},
        {CDocTemplate::filterExt, ".nbk"},             {CDocTemplate::regFileTypeId, "Notebook.Document"},
        {CDocTemplate::regFileTypeName, "Notebook Document"},
    };
    for (const auto& [index, expected] : fields) {
        CString text("stale");
        BOOL found = docTemplate->GetDocString(text, index);
        EXPECT_EQ(text.str(), expected) << index;
        EXPECT_EQ(found, *expected != '\0') << index;
    }
    EXPECT_EQ(docTemplate->GetFileFilter().str(), "Notebook Files (*.nbk)|*.nbk|");

    // A string with fewer fields answers FALSE for the missing ones.
    CSingleDocTemplate shortTemplate(301, RUNTIME_CLASS(NoteDocument), RUNTIME_CLASS(NoteFrame), RUNTIME_CLASS(NoteView));
    CString text;
    EXPECT_TRUE(shortTemplate.GetDocString(text, CDocTemplate::docName));
    EXPECT_EQ(text.str(), "Sketch page");
    EXPECT_FALSE(shortTemplate.GetDocString(text, CDocTemplate::filterExt));
    EXPECT_TRUE(text.IsEmpty());
}

TEST_F(DocumentTest, FileNewMakesDocumentFrameAndViewWithUntitledCaption) {
    app.OnFileNew();
    ASSERT_NE(Document(), nullptr);
    ASSERT_NE(Frame(), nullptr);
    ASSERT_NE(View(), nullptr);
    EXPECT_EQ(View()->GetDocument(), Document());
    EXPECT_EQ(Document()->GetViews().size(), 1u);
    EXPECT_EQ(View()->initialUpdates, 1);
    EXPECT_EQ(Document()->GetTitle().str(), "Untitled");
    EXPECT_EQ(Caption(), "Untitled - Notebook");
    EXPECT_EQ(AfxGetMainWnd(), Frame());
    EXPECT_FALSE(Document()->IsModified());
    // The frame's menu and accelerators come from the template's resource id.
    ASSERT_NE(Frame()->GetMenu(), nullptr);
    EXPECT_EQ(Frame()->Accelerators().CommandOf("Ctrl+S"), ID_FILE_SAVE);

    // A second File New reuses the document and the frame.
    CDocument* first = Document();
    CFrameWnd* frame = Frame();
    app.OnFileNew();
    EXPECT_EQ(Document(), first);
    EXPECT_EQ(Frame(), frame);
    EXPECT_EQ(View()->initialUpdates, 2);
}

TEST_F(DocumentTest, SaveThroughTheCommandAsksForANameThenOpenReadsItBack) {
    app.OnFileNew();
    Document()->text = "chapter one";
    Document()->SetModifiedFlag();
    std::string path = folder / "story.nbk";
    people.AnswerFiles({path});
    Command(ID_FILE_SAVE);   // routed view -> document

    auto asked = people.Asked("files");
    ASSERT_EQ(asked.size(), 1u);
    EXPECT_EQ(asked[0].text, "Save As");
    EXPECT_TRUE(std::filesystem::exists(path));
    EXPECT_FALSE(Document()->IsModified());
    EXPECT_EQ(Document()->GetPathName().str(), path);
    EXPECT_EQ(Caption(), "story.nbk - Notebook");
    EXPECT_EQ((*app.m_pRecentFileList)[0].str(), path);
    EXPECT_EQ(app.GetProfileString("Recent File List", "File1").str(), path);

    // Saving again writes to the same path without asking.
    Document()->text = "chapter two";
    Document()->SetModifiedFlag();
    Command(ID_FILE_SAVE);
    EXPECT_EQ(people.Asked("files").size(), 1u);

    app.OnFileNew();
    EXPECT_TRUE(Document()->text.IsEmpty());
    EXPECT_EQ(Caption(), "Untitled - Notebook");
    ASSERT_NE(app.OpenDocumentFile(path.c_str()), nullptr);
    EXPECT_EQ(Document()->text.str(), "chapter two");
    EXPECT_FALSE(Document()->IsModified());
    EXPECT_EQ(Caption(), "story.nbk - Notebook");
    EXPECT_TRUE(people.Asked("message").empty());
}

TEST_F(DocumentTest, FailedLoadsReportTheClassLibraryMessage) {
    struct Case {
        const char* name;
        std::string bytes;       // empty: the file does not exist
        const char* message;     // what the message box says (a part of it)
        bool contentsKept;       // the open document survives the failure
    };
    const std::vector<Case> cases = {
        {"newer.nbk", std::string("\x02\x00\x00\x00\x01x", 6), "Unexpected file format.", false},
        {"short.nbk", std::string("\x01\x00", 2), "Unexpected file format.", false},
        {"missing.nbk", "", "Cannot find this file.", true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ScriptedPeople answers;
        std::string path = c.bytes.empty() ? folder / c.name : folder.WriteFile(c.name, c.bytes);
        SavedNote("kept.nbk", "kept text");
        EXPECT_EQ(app.OpenDocumentFile(path.c_str()), nullptr);
        auto messages = answers.Asked("message");
        ASSERT_EQ(messages.size(), 1u);
        EXPECT_NE(messages[0].text.find(c.message), std::string::npos) << messages[0].text;
        if (c.contentsKept) {
            EXPECT_EQ(Document()->text.str(), "kept text");
            EXPECT_EQ(Caption(), "kept.nbk - Notebook");
        } else {
            // The old contents went with the failed load: an empty document replaces them.
            EXPECT_TRUE(Document()->text.IsEmpty());
            EXPECT_EQ(Caption(), "Untitled - Notebook");
        }
    }
}

TEST_F(DocumentTest, FailedSaveReportsAndLeavesTheOldFileWhole) {
    std::string path = SavedNote("book.nbk", "first version");
    std::string before = ReadAll(path);
    ASSERT_FALSE(before.empty());

    Document()->text = "second version";
    Document()->SetModifiedFlag();
    Document()->failStore = true;
    EXPECT_FALSE(Document()->DoFileSave());
    auto messages = people.Asked("message");
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_EQ(messages[0].text, "Failed to save document.");
    EXPECT_EQ(ReadAll(path), before);
    EXPECT_TRUE(Document()->IsModified());

    // A folder that does not exist: the path is named in the message.
    std::string nowhere = folder / "no/such/folder/book.nbk";
    Document()->failStore = false;
    EXPECT_FALSE(Document()->DoSave(nowhere.c_str()));
    messages = people.Asked("message");
    ASSERT_EQ(messages.size(), 2u);
    EXPECT_NE(messages[1].text.find(nowhere), std::string::npos) << messages[1].text;
    EXPECT_EQ(Document()->GetPathName().str(), path);
}

TEST_F(DocumentTest, SaveChangesPromptHonoursCancelNoAndYes) {
    app.OnFileNew();
    auto edit = [&](const char* text) {
        Document()->text = text;
        Document()->SetModifiedFlag();
    };

    edit("draft");
    people.AnswerMessageBox(IDCANCEL);
    Command(ID_FILE_NEW);
    EXPECT_EQ(Document()->text.str(), "draft");
    auto messages = people.Asked("message");
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_EQ(messages[0].text, "Save changes to Untitled?");

    people.AnswerMessageBox(IDNO);
    Command(ID_FILE_NEW);
    EXPECT_TRUE(Document()->text.IsEmpty());
    EXPECT_FALSE(Document()->IsModified());

    edit("keeper");
    std::string path = folder / "keeper.nbk";
    people.AnswerMessageBox(IDYES);
    people.AnswerFiles({path});
    Command(ID_FILE_NEW);
    EXPECT_TRUE(Document()->text.IsEmpty());
    ASSERT_NE(app.OpenDocumentFile(path.c_str()), nullptr);
    EXPECT_EQ(Document()->text.str(), "keeper");

    // Yes for a document without a path, but the Save As dialog is cancelled: nothing
    // happens.
    Command(ID_FILE_NEW);
    edit("unsaved");
    people.AnswerMessageBox(IDYES);
    people.AnswerFiles({});
    Command(ID_FILE_NEW);
    EXPECT_EQ(Document()->text.str(), "unsaved");
}

TEST_F(DocumentTest, ClosingTheFrameAsksTheDocumentFirst) {
    app.OnFileNew();
    Document()->SetModifiedFlag();
    people.AnswerMessageBox(IDCANCEL);
    Frame()->SendMessage(WM_CLOSE);
    ASSERT_NE(Frame(), nullptr);
    EXPECT_TRUE(Frame()->IsWindow());

    // Exit goes the same way; No lets the frame and the document go.
    people.AnswerMessageBox(IDNO);
    Command(ID_APP_EXIT);
    EXPECT_EQ(app.GetMainWnd(), nullptr);
    EXPECT_EQ(docTemplate->GetDocument(), nullptr);
}

TEST_F(DocumentTest, UpdateAllViewsSkipsTheSender) {
    app.OnFileNew();
    NoteView* view = View();
    Document()->UpdateAllViews(nullptr, 7);
    EXPECT_EQ(view->updates, 2);   // the initial update's, then this one
    EXPECT_EQ(view->lastHint, 7);
    Document()->UpdateAllViews(view, 9);
    EXPECT_EQ(view->updates, 2);
}

TEST_F(DocumentTest, RecentFileMenuShowsEntriesAndDropsOnesThatFail) {
    std::string kept = SavedNote("kept.nbk", "kept");
    std::string gone = SavedNote("gone.nbk", "gone");
    std::filesystem::remove(gone);
    ASSERT_EQ((*app.m_pRecentFileList)[0].str(), gone);
    ASSERT_EQ((*app.m_pRecentFileList)[1].str(), kept);

    CMenu* file = Frame()->GetMenu()->GetSubMenu(0);
    file->UpdateForPopup(Frame(), 0);
    CString text;
    ASSERT_GT(file->GetMenuString(ID_FILE_MRU_FILE1, text, MF_BYCOMMAND), 0);
    EXPECT_EQ(text.Left(3).str(), "&1 ");
    EXPECT_NE(text.Find("gone.nbk"), -1);
    ASSERT_GT(file->GetMenuString(ID_FILE_MRU_FILE1 + 1, text, MF_BYCOMMAND), 0);
    EXPECT_EQ(text.Left(3).str(), "&2 ");
    EXPECT_EQ(file->GetMenuState(ID_FILE_MRU_FILE1 + 1, MF_BYCOMMAND) & MF_GRAYED, 0u);

    // Opening the file that is open already loads nothing.
    Document()->text = "edited";
    Command(ID_FILE_MRU_FILE1);
    EXPECT_EQ(Document()->text.str(), "edited");
    EXPECT_TRUE(people.Asked("message").empty());

    // The entry whose file is gone fails to open and leaves the list.
    app.OnFileNew();
    Command(ID_FILE_MRU_FILE1);
    EXPECT_EQ(people.Asked("message").size(), 1u);
    EXPECT_EQ((*app.m_pRecentFileList)[0].str(), kept);
    EXPECT_TRUE((*app.m_pRecentFileList)[1].IsEmpty());
    EXPECT_EQ(app.GetProfileString("Recent File List", "File1").str(), kept);
    EXPECT_EQ(app.GetProfileString("Recent File List", "File2").str(), "");

    // The remaining entry opens.
    Command(ID_FILE_MRU_FILE1);
    EXPECT_EQ(Document()->text.str(), "kept");

    // The menu follows: one entry now, and no stale second item.
    file->UpdateForPopup(Frame(), 0);
    EXPECT_EQ(file->GetMenuState(ID_FILE_MRU_FILE1 + 1, MF_BYCOMMAND), static_cast<UINT>(-1));
}

TEST_F(DocumentTest, FilesWhoseNamesDifferOnlyInCaseAreTwoRecentFilesAndTwoDocuments) {
    // Saved under other names (a new file would take the place of a file whose name
    // differs only in case), then given theirs.
    std::string upper = folder / "Book.nbk";
    std::string lower = folder / "book.nbk";
    std::filesystem::rename(SavedNote("a.nbk", "upper"), upper);
    std::filesystem::rename(SavedNote("b.nbk", "lower"), lower);
    ASSERT_NE(app.OpenDocumentFile(upper.c_str()), nullptr);
    ASSERT_NE(app.OpenDocumentFile(lower.c_str()), nullptr);
    EXPECT_EQ(Document()->text.str(), "lower");
    ASSERT_EQ((*app.m_pRecentFileList)[0].str(), lower);
    ASSERT_EQ((*app.m_pRecentFileList)[1].str(), upper);

    // The other file is opened, not taken for the open one; both entries stay.
    Command(ID_FILE_MRU_FILE1 + 1);
    EXPECT_EQ(Document()->text.str(), "upper");
    EXPECT_EQ(Document()->GetPathName().str(), upper);
    EXPECT_EQ((*app.m_pRecentFileList)[0].str(), upper);
    EXPECT_EQ((*app.m_pRecentFileList)[1].str(), lower);
    Command(ID_FILE_MRU_FILE1 + 1);
    EXPECT_EQ(Document()->text.str(), "lower");

    // Another spelling of one of them is that file's entry.
    app.m_pRecentFileList->Add((folder / "BOOK.nbk").c_str());
    std::vector<std::string> entries;
    for (int i = 0; i < app.m_pRecentFileList->GetSize(); ++i) entries.push_back((*app.m_pRecentFileList)[i].str());
    EXPECT_EQ(entries, (std::vector<std::string>{folder / "BOOK.nbk", lower, folder / "b.nbk", folder / "a.nbk"}));
}

TEST_F(DocumentTest, EmptyRecentFileListShowsTheGrayedPlaceholder) {
    app.OnFileNew();
    CMenu* file = Frame()->GetMenu()->GetSubMenu(0);
    file->UpdateForPopup(Frame(), 0);
    CString text;
    file->GetMenuString(ID_FILE_MRU_FILE1, text, MF_BYCOMMAND);
    EXPECT_EQ(text.str(), "Recent File");
    EXPECT_NE(file->GetMenuState(ID_FILE_MRU_FILE1, MF_BYCOMMAND) & MF_GRAYED, 0u);
}

TEST(RecentFileList, KeepsTheMostRecentEntriesInTheProfile) {
    NoteApp app;
    app.SetRegistryKey("Leaf Tests");
    CRecentFileList list(ID_FILE_MRU_FILE1, "Recent File List", "File%d", 4);
    for (const char* path : {"/b/1.nbk", "/b/2.nbk", "/b/3.nbk", "/b/4.nbk", "/b/5.nbk"}) list.Add(path);
    EXPECT_EQ(list[0].str(), "/b/5.nbk");
    EXPECT_EQ(list[3].str(), "/b/2.nbk");
    // An entry added again (in other letter case) moves to the top and is not repeated.
    list.Add("/B/3.NBK");
    std::vector<std::string> entries;
    for (int i = 0; i < list.GetSize(); ++i) entries.push_back(list[i].str());
    EXPECT_EQ(entries, (std::vector<std::string>{"/B/3.NBK", "/b/5.nbk", "/b/4.nbk", "/b/2.nbk"}));

    list.WriteList();
    EXPECT_EQ(app.GetProfileString("Recent File List", "File4").str(), "/b/2.nbk");
    CRecentFileList reread(ID_FILE_MRU_FILE1, "Recent File List", "File%d", 4);
    reread.ReadList();
    for (int i = 0; i < 4; ++i) EXPECT_EQ(reread[i], list[i]);

    list.Remove(0);
    EXPECT_EQ(list[0].str(), "/b/5.nbk");
    EXPECT_TRUE(list[3].IsEmpty());
    CString name;
    EXPECT_FALSE(list.GetDisplayName(name, 3, nullptr, 0));
    // Long paths are shortened in the middle but keep the file name.
    list.Add("/home/someone/very/deep/folder/of/projects/final.nbk");
    ASSERT_TRUE(list.GetDisplayName(name, 0, nullptr, 0));
    EXPECT_LE(name.GetLength(), 30);
    EXPECT_EQ(name.Right(10).str(), "/final.nbk");
}

TEST_F(DocumentTest, DroppedFilesOpenThroughTheApplication) {
    std::string path = SavedNote("dropped.nbk", "from a drop");
    app.OnFileNew();
    Frame()->DragAcceptFiles(TRUE);

    QMimeData data;
    data.setUrls({QUrl::fromLocalFile(QString::fromStdString(path)), QUrl(QStringLiteral("https://example.org/x"))});
    // A drop as a person makes it: the drag enters the window, then it is dropped.
    auto dropOn = [&data](QWidget* window) {
        QDragEnterEvent enter(QPoint(5, 5), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
        QCoreApplication::sendEvent(window, &enter);
        QDropEvent drop(QPointF(5, 5), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
        QCoreApplication::sendEvent(window, &drop);
        return enter.isAccepted() && drop.isAccepted();
    };
    EXPECT_TRUE(dropOn(Frame()->GetWidget()));
    EXPECT_EQ(Document()->text.str(), "from a drop");

    // A window that does not accept files ignores drops.
    Frame()->DragAcceptFiles(FALSE);
    app.OnFileNew();
    EXPECT_FALSE(dropOn(Frame()->GetWidget()));
    EXPECT_TRUE(Document()->text.IsEmpty());
}

TEST(DropFiles, QueryFileAndPoint) {
    DropList list;
    list.paths = {"/a/one.nbk", "/a/two.nbk"};
    list.point = {3, 4};
    HDROP drop = &list;
    EXPECT_EQ(DragQueryFile(drop, 0xFFFFFFFF, nullptr), 2u);
    CString path;
    EXPECT_EQ(DragQueryFile(drop, 1, &path), 10u);
    EXPECT_EQ(path.str(), "/a/two.nbk");
    EXPECT_EQ(DragQueryFile(drop, 2, &path), 0u);
    EXPECT_TRUE(path.IsEmpty());
    POINT at;
    EXPECT_TRUE(DragQueryPoint(drop, &at));
    EXPECT_EQ(at.x, 3);
    EXPECT_EQ(at.y, 4);
}

namespace {

class SplitterTest : public DocumentTest {
protected:
    const CRuntimeClass* FrameClass() const override { return RUNTIME_CLASS(SplitFrame); }
    CSplitterWnd& Splitter() const { return dynamic_cast<SplitFrame*>(Frame())->splitter; }
};

}  // namespace

TEST_F(SplitterTest, PanesHoldViewsOfTheirClassesAndCanBeReplaced) {
    app.OnFileNew();
    ASSERT_NE(Frame(), nullptr);
    auto* left = dynamic_cast<NoteView*>(Splitter().GetPane(0, 0));
    auto* right = dynamic_cast<NoteFormView*>(Splitter().GetPane(0, 1));
    ASSERT_NE(left, nullptr);
    ASSERT_NE(right, nullptr);
    EXPECT_EQ(left->GetDlgCtrlID(), static_cast<int>(AFX_IDW_PANE_FIRST));
    EXPECT_EQ(right->GetDlgCtrlID(), static_cast<int>(AFX_IDW_PANE_FIRST) + 1);
    EXPECT_EQ(Document()->GetViews().size(), 2u);
    EXPECT_EQ(left->initialUpdates, 1);
    // The form view carries its template's controls.
    EXPECT_NE(right->GetDlgItem(312), nullptr);
    EXPECT_EQ(right->GetParentFrame(), Frame());

    // An occupied pane refuses a second view; after the old one is destroyed the pane
    // takes a view of another class.
    CCreateContext context;
    context.m_pCurrentDoc = Document();
    EXPECT_FALSE(Splitter().CreateView(0, 1, RUNTIME_CLASS(NoteView), SIZE{90, 114}, &context));
    right->DestroyWindow();
    EXPECT_EQ(Document()->GetViews().size(), 1u);
    EXPECT_EQ(Splitter().GetPane(0, 1), nullptr);
    ASSERT_TRUE(Splitter().CreateView(0, 1, RUNTIME_CLASS(NoteView), SIZE{90, 114}, &context));
    auto* replacement = dynamic_cast<NoteView*>(Splitter().GetPane(0, 1));
    ASSERT_NE(replacement, nullptr);
    EXPECT_EQ(Splitter().Splitter()->indexOf(replacement->GetWidget()), 1);
    EXPECT_EQ(Document()->GetViews().size(), 2u);

    Document()->UpdateAllViews(left, 3);
    EXPECT_EQ(replacement->lastHint, 3);
    EXPECT_EQ(replacement->lastSender, left);
    EXPECT_EQ(left->lastHint, 0);
}

namespace {

// A list view whose list notifications arrive at the view itself.
class ActivatedListView : public CListView {
public:
    ActivatedListView() {
        MapNotify(kListId, LVN_ITEMACTIVATE, [this](NMHDR* header, LRESULT*) {
            activated.push_back(reinterpret_cast<NMLISTVIEW*>(header)->iItem);
        });
    }
    std::vector<int> activated;
};

}  // namespace

TEST(ListView, ItemActivationComesToTheViewOnOneClickWhenAsked) {
    CWnd parent;
    ASSERT_TRUE(parent.Attach(new QWidget));
    {
        ActivatedListView view;
        ASSERT_TRUE(view.Create(&parent, AFX_IDW_PANE_FIRST));
        CListCtrl& list = view.GetListCtrl();
        ASSERT_TRUE(list.IsWindow());
        list.InsertItem(0, "Source Files");
        list.InsertItem(1, "Properties");
        QAbstractItemView* items = list.View();
        ASSERT_NE(items, nullptr);

        emit items->clicked(list.Model()->index(1, 0));
        EXPECT_TRUE(view.activated.empty());   // a click alone does not activate
        emit items->doubleClicked(list.Model()->index(1, 0));
        EXPECT_EQ(view.activated, std::vector<int>{1});

        list.SetExtendedStyle(list.GetExtendedStyle() | LVS_EX_ONECLICKACTIVATE);
        emit items->clicked(list.Model()->index(0, 0));
        EXPECT_EQ(view.activated, (std::vector<int>{1, 0}));
        view.DestroyWindow();
    }
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    delete parent.Detach();
}

TEST_F(DocumentTest, StatusBarIndicatorsAndBarCommands) {
    app.OnFileNew();
    CStatusBar status;
    ASSERT_TRUE(status.Create(Frame()));
    const UINT indicators[] = {ID_SEPARATOR, ID_INDICATOR_CAPS, ID_INDICATOR_NUM};
    ASSERT_TRUE(status.SetIndicators(indicators, 3));
    EXPECT_EQ(status.GetCount(), 3);
    EXPECT_EQ(status.GetPaneText(1).str(), "CAP");
    EXPECT_EQ(status.GetPaneText(2).str(), "NUM");
    EXPECT_EQ(status.CommandToIndex(ID_INDICATOR_NUM), 2);
    EXPECT_EQ(status.GetItemID(0), ID_SEPARATOR);

    // View > Status Bar hides and shows the bar; its check mark follows.
    ASSERT_TRUE(Frame()->IsControlBarVisible(AFX_IDW_STATUS_BAR));
    Command(ID_VIEW_STATUS_BAR);
    EXPECT_FALSE(Frame()->IsControlBarVisible(AFX_IDW_STATUS_BAR));
    CCmdUI update;
    update.m_nID = ID_VIEW_STATUS_BAR;
    update.DoUpdate(Frame(), TRUE);
    EXPECT_EQ(update.m_check, 0);
    Command(ID_VIEW_STATUS_BAR);
    EXPECT_TRUE(Frame()->IsControlBarVisible(AFX_IDW_STATUS_BAR));
}

namespace {

class FailingFrameTest : public DocumentTest {
protected:
    const CRuntimeClass* FrameClass() const override { return RUNTIME_CLASS(FailingFrame); }
};

}  // namespace

TEST_F(FailingFrameTest, AFrameThatCannotBeCreatedLeavesNothingBehind) {
    app.OnFileNew();
    EXPECT_EQ(app.GetMainWnd(), nullptr);
    EXPECT_EQ(docTemplate->GetDocument(), nullptr);
    auto messages = people.Asked("message");
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_EQ(messages[0].text, "Failed to create empty document.");
}
