#include <gtest/gtest.h>

#include <QApplication>
#include <QAbstractItemView>
#include <QClipboard>
#include <QContextMenuEvent>
#include <QDropEvent>
#include <QLineEdit>
#include <QMenu>
#include <QMimeData>
#include <QUrl>
#include <sys/stat.h>
#include <filesystem>

#include "platform/registry/RegistryKey.h"
#include "platform/ui/ListCtrl.h"
#include "platform/ui/View.h"
#include "studio/project/LeafcraftDoc.h"
#include "studio/workspace/LeafcraftSrcFilesView.h"
#include "tests/studio/workspace/sources/StudioTestApp.h"
#include "tests/support/FifoWatchdog.h"

using namespace leaf::test;

namespace {

// The view with the build control's answers given by the test.
class TestSrcFilesView : public CLeafcraftSrcFilesView {
public:
    CString browseFilter = "Supported Source Files|*.htm;*.html;*.txt|All Files (*.*)|*.*||";
    std::map<std::string, LONG> invalid;   // path -> error code
    CString GetBrowseFilter() override { return browseFilter; }
    BOOL ValidateSourceFile(const CString& path, LONG& errorCode) override {
        auto found = invalid.find(path.str());
        errorCode = found == invalid.end() ? 0 : found->second;
        return found == invalid.end();
    }
    using CLeafcraftSrcFilesView::SwapItems;
};

class SrcFilesViewTest : public testing::Test, public StudioWindowTest {
protected:
    void SetUp() override {
        hostWidget = std::make_unique<QWidget>();
        hostWidget->resize(800, 600);
        host.Attach(hostWidget.get());
    }
    void TearDown() override {
        if (view && view->GetWidget()) view->DestroyWindow();
        view.reset();
        host.Detach();
        hostWidget.reset();
    }
    std::string Source(const std::string& name, const std::string& title = "") {
        return folder.WriteFile("book/" + name, "<html><head><title>" + title + "</title></head><body>x</body></html>");
    }
    void Open() {
        view = std::make_unique<TestSrcFilesView>();
        CCreateContext context;
        context.m_pCurrentDoc = &doc;
        ASSERT_TRUE(view->Create(&host, 59648, &context));
        view->OnInitialUpdate();
    }
    CListCtrl& List() { return *view->GetListCtrl(); }
    std::vector<std::string> Column(int column) {
        std::vector<std::string> texts;
        for (int i = 0; i < List().GetItemCount(); ++i) texts.push_back(List().GetItemText(i, column).str());
        return texts;
    }
    std::vector<std::string> DocumentPaths() {
        std::vector<std::string> paths;
        for (int i = 0; i < doc.GetSourceCount(); ++i) paths.push_back(doc.GetSourceFile(i)->m_strPath.str());
        return paths;
    }
    void Select(std::initializer_list<int> items) {
        List().SetItemState(-1, 0, LVIS_SELECTED);
        for (int item : items) List().SetItemState(item, LVIS_SELECTED, LVIS_SELECTED);
    }
    bool Enabled(UINT id) {
        CCmdUI state;
        state.m_nID = id;
        view->OnCmdMsg(id, CN_UPDATE_COMMAND_UI, &state);
        return state.m_enabled;
    }
    std::vector<std::string> MessageTexts() const {
        std::vector<std::string> texts;
        for (const auto& question : people.Asked("message")) texts.push_back(question.text);
        return texts;
    }
    void AddToDocument(const std::vector<std::string>& paths) {
        for (const std::string& path : paths) doc.AddSourceFile(CString(path), doc.GetSourceCount());
        doc.UpdateSourceFolder();
        doc.SetModifiedFlag(FALSE);
    }

    TempFolder folder;
    std::unique_ptr<QWidget> hostWidget;
    CWnd host;
    CLeafcraftDoc doc;
    std::unique_ptr<TestSrcFilesView> view;
};

}  // namespace

TEST_F(SrcFilesViewTest, InitialUpdateListsTheSourcesAndLeavesTheDocumentUnmodified) {
    // The type column names the class registered for the extension.
    leaf::RegistryKey::Create(HKEY_CLASSES_ROOT, ".txt").WriteString("", "txtfile");
    leaf::RegistryKey::Create(HKEY_CLASSES_ROOT, "txtfile").WriteString("", "Text Document");
    std::string first = Source("ch1.htm", "Chapter One");
    std::string second = folder.WriteFile("book/text/notes.txt", std::string(1500, 'n'));
    AddToDocument({first, second});
    Open();
    EXPECT_EQ(Column(0), (std::vector<std::string>{"Chapter One", "notes.txt"}));
    EXPECT_EQ(Column(1), (std::vector<std::string>{"ch1.htm", "text/notes.txt"}));
    EXPECT_EQ(Column(2)[1], "2KB");
    EXPECT_EQ(Column(3)[1], "Text Document");
    EXPECT_EQ(List().GetColumnHeading(4).str(), "Modified");
    CString shownFolder;
    view->GetDlgItemText(1047, shownFolder);
    EXPECT_EQ(shownFolder.str(), (folder.Path() / "book").string());
    EXPECT_FALSE(doc.IsModified());
    EXPECT_TRUE(view->ValidateWorkspace(TRUE));
}

TEST_F(SrcFilesViewTest, AddingIntoAnEmptyListAsksNothingAndDuplicatesAreCounted) {
    std::string a = Source("a.htm"), b = Source("b.htm");
    Open();
    people.AnswerFiles({a, b});
    view->OnAdd();
    EXPECT_EQ(DocumentPaths(), (std::vector<std::string>{a, b}));
    EXPECT_EQ(Column(1), (std::vector<std::string>{"a.htm", "b.htm"}));
    EXPECT_TRUE(people.Asked("dialog").empty());
    ASSERT_EQ(people.Asked("files").size(), 1u);
    EXPECT_EQ(people.Asked("files")[0].text, "Add Source Files");

    // The same paths again (one in other letters) go to the end and are all refused.
    std::string upper = a;
    upper.replace(upper.size() - 5, 5, "A.HTM");
    people.AnswerFiles({upper, b});
    people.AnswerDialog([](QDialog& dialog) {
        CWnd::FromHandle(&dialog)->CheckRadioButton(1082, 1084, 1084);
        PressButton(dialog, IDOK);
    });
    people.AnswerMessageBox(IDOK);
    view->OnAdd();
    EXPECT_EQ(List().GetItemCount(), 2);
    EXPECT_EQ(MessageTexts(), (std::vector<std::string>{"There were 2 files that were ignored because they "
                                                         "already existed in the source file list."}));
}

// A FIFO among the added files is left out and named, as the build names a source the
// build control refuses; the other files are added.
TEST_F(SrcFilesViewTest, AFifoAmongTheAddedFilesIsLeftOutAndNamed) {
    std::string a = Source("a.htm");
    const std::string fifo = folder / "book/pipe.htm";
    ASSERT_EQ(mkfifo(fifo.c_str(), 0644), 0);
    Open();
    people.AnswerFiles({fifo, a});
    people.AnswerMessageBox(IDOK);
    {
        leaf::test::FifoWatchdog watchdog(fifo);
        view->OnAdd();
        EXPECT_FALSE(watchdog.Fired()) << "the FIFO was opened";
    }
    EXPECT_EQ(DocumentPaths(), std::vector<std::string>{a});
    EXPECT_EQ(List().GetItemCount(), 1);
    EXPECT_EQ(MessageTexts(), std::vector<std::string>{"Unable to add the specified source file \"" + fifo +
                                                       "\" to the eBook (error 31)."});
}

TEST_F(SrcFilesViewTest, AddLocationTopPutsNewFilesFirstAndCancelAddsNothing) {
    std::string a = Source("a.htm"), b = Source("b.htm"), c = Source("c.htm");
    AddToDocument({a});
    Open();
    people.AnswerFiles({b, c});
    people.AnswerDialog([](QDialog& dialog) {
        CWnd::FromHandle(&dialog)->CheckRadioButton(1082, 1084, 1082);
        PressButton(dialog, IDOK);
    });
    view->OnAdd();
    EXPECT_EQ(DocumentPaths(), (std::vector<std::string>{b, c, a}));
    EXPECT_EQ(view->GetSelectedItems(), (std::vector<int>{0, 1}));
    EXPECT_TRUE(doc.IsModified());

    std::string d = Source("d.htm");
    people.AnswerFiles({d});
    people.AnswerDialog([](QDialog& dialog) { PressButton(dialog, IDCANCEL); });
    view->OnAdd();
    EXPECT_EQ(doc.GetSourceCount(), 3);
}

TEST_F(SrcFilesViewTest, ADroppedFolderAddsItsFilesBeforeThoseOfItsSubFolders) {
    std::string top = Source("top.htm");
    std::string inner = folder.WriteFile("book/drop/sub/inner.htm", "x");
    std::string outer = folder.WriteFile("book/drop/outer.htm", "x");
    Open();
    view->OnDropFiles({CString(top), CString((folder.Path() / "book/drop").string())}, POINT{5, 5});
    EXPECT_EQ(DocumentPaths(), (std::vector<std::string>{top, outer, inner}));
    EXPECT_EQ(Column(1), (std::vector<std::string>{"top.htm", "drop/outer.htm", "drop/sub/inner.htm"}));
}

TEST_F(SrcFilesViewTest, DropsOnAnItemGoBeforeItAndDropsBesideTheListGoToTheEnd) {
    std::string a = Source("a.htm"), b = Source("b.htm"), c = Source("c.htm"), d = Source("d.htm");
    AddToDocument({a, b});
    Open();
    view->GetWidget()->resize(800, 600);
    hostWidget->show();
    QApplication::processEvents();
    // A drag enters the widget (which makes it the drop's target) and drops there.
    auto drop = [](QWidget* target, QPoint at, const std::string& path) {
        QMimeData data;
        data.setUrls({QUrl::fromLocalFile(QString::fromStdString(path))});
        QDragEnterEvent enter(at, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(target, &enter);
        QDropEvent event(QPointF(at), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(target, &event);
    };
    auto atSelectedLocation = [](QDialog& dialog) {
        CWnd::FromHandle(&dialog)->CheckRadioButton(1082, 1084, 1083);
        PressButton(dialog, IDOK);
    };
    QAbstractItemView* listView = List().View();
    ASSERT_NE(listView, nullptr);
    people.AnswerDialog(atSelectedLocation);
    drop(listView->viewport(), listView->visualRect(listView->model()->index(1, 0)).center(), c);
    EXPECT_EQ(DocumentPaths(), (std::vector<std::string>{a, c, b}));

    // The form takes drops too: on the folder label, which is on no item.
    QWidget* label = leaf::ui::FindControl(view->GetWidget(), 1010);
    ASSERT_NE(label, nullptr);
    people.AnswerDialog(atSelectedLocation);
    drop(view->GetWidget(), label->mapTo(view->GetWidget(), label->rect().center()), d);
    EXPECT_EQ(DocumentPaths(), (std::vector<std::string>{a, c, b, d}));
}

TEST_F(SrcFilesViewTest, TheMenuKeyOpensTheMenuOfTheSelectedItemOrElseOfTheList) {
    AddToDocument({Source("a.htm"), Source("b.htm")});
    Open();
    people.AnswerMenu(0);
    people.AnswerMenu(0);
    Select({1});
    QContextMenuEvent onItem(QContextMenuEvent::Keyboard, QPoint(0, 0), QPoint(0, 0));
    QApplication::sendEvent(List().View(), &onItem);
    List().SetItemState(-1, 0, LVIS_SELECTED);
    QContextMenuEvent onList(QContextMenuEvent::Keyboard, QPoint(0, 0), QPoint(0, 0));
    QApplication::sendEvent(List().View(), &onList);
    std::vector<leaf::ui::ScriptedPeople::Question> menus = people.Asked("menu");
    ASSERT_EQ(menus.size(), 2u);
    EXPECT_EQ(menus[0].text.rfind("&Paste", 0), 0u) << menus[0].text;
    EXPECT_EQ(menus[1].text.rfind("Sort...", 0), 0u) << menus[1].text;
}

TEST_F(SrcFilesViewTest, ARightClickBesideTheListOpensTheListsWindowMenu) {
    AddToDocument({Source("a.htm"), Source("b.htm")});
    Open();
    Select({0});
    QWidget* addButton = leaf::ui::FindControl(view->GetWidget(), CLeafcraftSrcFilesView::ID_ADD);
    ASSERT_NE(addButton, nullptr);
    people.AnswerMenu(CLeafcraftSrcFilesView::ID_SORT);
    people.AnswerDialog([](QDialog& dialog) { PressButton(dialog, IDCANCEL); });
    QPoint centre = addButton->rect().center();
    QContextMenuEvent click(QContextMenuEvent::Mouse, centre, addButton->mapToGlobal(centre));
    QApplication::sendEvent(addButton, &click);
    std::vector<leaf::ui::ScriptedPeople::Question> menus = people.Asked("menu");
    ASSERT_EQ(menus.size(), 1u);
    EXPECT_EQ(menus[0].text.rfind("Sort...", 0), 0u) << menus[0].text;
    // The command chosen there reaches the view: the Sort dialog.
    ASSERT_EQ(people.Asked("dialog").size(), 1u);
    EXPECT_EQ(people.Asked("dialog")[0].flags, 210u);
}

TEST_F(SrcFilesViewTest, PasteTakesTheClipboardsFileList) {
    std::string a = Source("a.htm");
    Open();
    EXPECT_FALSE(Enabled(CLeafcraftSrcFilesView::ID_EDIT_PASTE));
    auto* data = new QMimeData;
    data->setUrls({QUrl::fromLocalFile(QString::fromStdString(a))});
    QApplication::clipboard()->setMimeData(data);
    if (!QApplication::clipboard()->mimeData() || !QApplication::clipboard()->mimeData()->hasUrls())
        GTEST_SKIP() << "no clipboard on this platform";
    EXPECT_TRUE(Enabled(CLeafcraftSrcFilesView::ID_EDIT_PASTE));
    view->OnPaste();
    EXPECT_EQ(DocumentPaths(), (std::vector<std::string>{a}));
    QApplication::clipboard()->clear();
}

TEST_F(SrcFilesViewTest, MoveUpKeepsABlockAtTheTopAndMovesTheOthers) {
    std::vector<std::string> paths;
    for (const char* name : {"a.htm", "b.htm", "c.htm", "d.htm"}) paths.push_back(Source(name));
    AddToDocument(paths);
    Open();
    Select({0, 1});
    EXPECT_FALSE(Enabled(CLeafcraftSrcFilesView::ID_MOVE_UP));
    EXPECT_TRUE(Enabled(CLeafcraftSrcFilesView::ID_MOVE_DOWN));
    Select({0, 3});
    ASSERT_TRUE(Enabled(CLeafcraftSrcFilesView::ID_MOVE_UP));
    view->OnMoveUp();
    EXPECT_EQ(Column(1), (std::vector<std::string>{"a.htm", "b.htm", "d.htm", "c.htm"}));
    EXPECT_EQ(DocumentPaths(), (std::vector<std::string>{paths[0], paths[1], paths[3], paths[2]}));
    EXPECT_EQ(view->GetSelectedItems(), (std::vector<int>{0, 2}));
    EXPECT_TRUE(doc.IsModified());
    view->OnMoveDown();
    EXPECT_EQ(Column(1), (std::vector<std::string>{"b.htm", "a.htm", "c.htm", "d.htm"}));
    EXPECT_EQ(view->GetSelectedItems(), (std::vector<int>{1, 3}));
    EXPECT_TRUE(Enabled(CLeafcraftSrcFilesView::ID_MOVE_DOWN));
    Select({2, 3});
    EXPECT_FALSE(Enabled(CLeafcraftSrcFilesView::ID_MOVE_DOWN));
}

TEST_F(SrcFilesViewTest, RemoveAsksFirstAndSelectsTheItemAfterTheRemovedOnes) {
    std::vector<std::string> paths;
    for (const char* name : {"a.htm", "b.htm", "c.htm", "d.htm"}) paths.push_back(Source(name));
    AddToDocument(paths);
    Open();
    Select({1, 2});
    people.AnswerMessageBox(IDNO);
    view->OnRemove();
    EXPECT_EQ(doc.GetSourceCount(), 4);
    people.AnswerMessageBox(IDYES);
    view->OnRemove();
    EXPECT_EQ(DocumentPaths(), (std::vector<std::string>{paths[0], paths[3]}));
    EXPECT_EQ(Column(1), (std::vector<std::string>{"a.htm", "d.htm"}));
    EXPECT_EQ(view->GetSelectedItems(), (std::vector<int>{1}));
}

TEST_F(SrcFilesViewTest, SortingBySizeAndSmartSortReorderTheDocument) {
    std::string big = folder.WriteFile("book/big.htm", std::string(1000 * 1024, 'x'));
    std::string small = folder.WriteFile("book/small.htm", std::string(999 * 1024, 'x'));
    AddToDocument({big, small});
    Open();
    view->SortItems(0x108);
    EXPECT_EQ(Column(2), (std::vector<std::string>{"999KB", "1,000KB"}));
    EXPECT_EQ(DocumentPaths(), (std::vector<std::string>{small, big}));
    EXPECT_TRUE(doc.IsModified());

    std::vector<std::string> smart;
    for (const char* name : {"index.htm", "chapter10.htm", "chapter2.htm", "intro.htm", "title.htm", "pic.gif"})
        smart.push_back(Source(std::string("s/") + name));
    view->DestroyWindow();
    doc.DeleteContents();
    AddToDocument(smart);
    Open();
    view->SortItems(1);
    EXPECT_EQ(Column(1), (std::vector<std::string>{"title.htm", "intro.htm", "chapter2.htm", "chapter10.htm",
                                                   "index.htm", "pic.gif"}));
}

TEST_F(SrcFilesViewTest, RenamingChangesTheTitleOnlyForANewNonEmptyText) {
    AddToDocument({Source("a.htm", "Old")});
    Open();
    Select({0});
    ASSERT_TRUE(Enabled(CLeafcraftSrcFilesView::ID_RENAME));
    view->OnRename();
    auto* editor = qobject_cast<QLineEdit*>(QApplication::focusWidget());
    if (!editor) editor = List().GetWidget()->findChild<QLineEdit*>();
    ASSERT_NE(editor, nullptr);
    editor->setText("");
    List().EndLabelEdit(TRUE);
    EXPECT_EQ(doc.GetSourceFile(0)->m_strTitle.str(), "Old");
    EXPECT_FALSE(doc.IsModified());

    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);   // the finished editor goes
    view->OnRename();
    editor = List().GetWidget()->findChild<QLineEdit*>();
    ASSERT_NE(editor, nullptr);
    editor->setText("New Title");
    List().EndLabelEdit(TRUE);
    EXPECT_EQ(doc.GetSourceFile(0)->m_strTitle.str(), "New Title");
    EXPECT_EQ(List().GetItemText(0, 0).str(), "New Title");
    EXPECT_TRUE(doc.IsModified());
}

TEST_F(SrcFilesViewTest, ValidationNamesTheMissingFileOrTheSupportedExtensions) {
    std::string a = Source("a.htm"), b = Source("b.xyz");
    AddToDocument({a, b});
    Open();
    view->invalid[b] = 30;
    people.AnswerMessageBox(IDOK);
    EXPECT_FALSE(view->ValidateWorkspace(TRUE));
    view->invalid[b] = 31;
    people.AnswerMessageBox(IDOK);
    EXPECT_FALSE(view->ValidateWorkspace(TRUE));
    EXPECT_FALSE(view->ValidateWorkspace(FALSE));
    EXPECT_EQ(MessageTexts(),
              (std::vector<std::string>{"The specified source file \"" + b + "\" no longer exists.",
                                        "One or more of the specified source files is invalid.  Leafcraft supports "
                                        "source files with the following extensions:\n.htm .html .txt"}));

    view->invalid.clear();
    doc.m_strSourceFolder.Empty();
    people.AnswerMessageBox(IDOK);
    EXPECT_FALSE(view->ValidateWorkspace(TRUE));
    EXPECT_EQ(MessageTexts().back(), "All source files must reside under one common source folder.");
}

TEST_F(SrcFilesViewTest, DoubleClickRunsTheDefaultVerbOfTheFilesType) {
    leaf::RegistryKey::Create(HKEY_CLASSES_ROOT, ".htm").WriteString("", "htmlfile");
    leaf::RegistryKey::Create(HKEY_CLASSES_ROOT, "htmlfile\\shell").WriteString("", "open");
    leaf::RegistryKey::Create(HKEY_CLASSES_ROOT, "htmlfile\\shell\\open").WriteString("", "&Open");
    leaf::RegistryKey::Create(HKEY_CLASSES_ROOT, "htmlfile\\shell\\open\\command").WriteString("", "/usr/bin/viewer \"%1\"");
    leaf::RegistryKey::Create(HKEY_CLASSES_ROOT, ".txt").WriteString("", "txtfile");
    leaf::RegistryKey::Create(HKEY_CLASSES_ROOT, "txtfile\\shell\\print\\command").WriteString("", "lp %1");
    std::string page = Source("a b.htm");
    std::string text = folder.WriteFile("book/n.txt", "x");
    AddToDocument({page, text});
    Open();

    Select({0});
    NMLISTVIEW dbl;
    leaf::ui::NotifyParent(List().GetWidget(), &dbl.hdr, NM_DBLCLK);
    ASSERT_EQ(people.Asked("process").size(), 1u);
    EXPECT_EQ(people.Asked("process")[0].text, "/usr/bin/viewer");
    EXPECT_EQ(people.Asked("process")[0].arguments, (std::vector<std::string>{page}));

    Select({1});   // a type whose verbs have no display text: nothing runs
    leaf::ui::NotifyParent(List().GetWidget(), &dbl.hdr, NM_DBLCLK);
    EXPECT_EQ(people.Asked("process").size(), 1u);
    EXPECT_TRUE(view->GetShellVerbs().empty());

    Select({0});
    people.SetProcessStartResult(false);
    people.AnswerMessageBox(IDOK);
    view->LoadShellVerbs(CString(page));
    view->OnShellVerb(CLeafcraftSrcFilesView::ID_SHELL_VERB_FIRST);
    EXPECT_EQ(MessageTexts(), (std::vector<std::string>{"Unable to execute the selected Shell Command."}));
}

TEST_F(SrcFilesViewTest, ContextMenuOnAnItemOffersTheVerbsFirst) {
    leaf::RegistryKey::Create(HKEY_CLASSES_ROOT, ".htm").WriteString("", "htmlfile");
    leaf::RegistryKey::Create(HKEY_CLASSES_ROOT, "htmlfile\\shell\\edit").WriteString("", "&Edit");
    leaf::RegistryKey::Create(HKEY_CLASSES_ROOT, "htmlfile\\shell\\edit\\command").WriteString("", "/usr/bin/ed %1");
    std::string page = Source("a.htm");
    AddToDocument({page});
    Open();
    Select({0});
    people.AnswerMenu(CLeafcraftSrcFilesView::ID_SHELL_VERB_FIRST);
    view->OnContextMenu(view.get(), POINT{-1, -1});
    ASSERT_EQ(people.Asked("menu").size(), 1u);
    EXPECT_EQ(people.Asked("menu")[0].text.rfind("&Edit", 0), 0u) << people.Asked("menu")[0].text;
    ASSERT_EQ(people.Asked("process").size(), 1u);
    EXPECT_EQ(people.Asked("process")[0].arguments, (std::vector<std::string>{page}));
}

TEST_F(SrcFilesViewTest, TheDefaultVerbIsTheMenusDefaultItemAndNoVerbsMarkNone) {
    leaf::RegistryKey::Create(HKEY_CLASSES_ROOT, ".htm").WriteString("", "htmlfile");
    leaf::RegistryKey::Create(HKEY_CLASSES_ROOT, "htmlfile\\shell").WriteString("", "open");
    leaf::RegistryKey::Create(HKEY_CLASSES_ROOT, "htmlfile\\shell\\edit").WriteString("", "&Edit");
    leaf::RegistryKey::Create(HKEY_CLASSES_ROOT, "htmlfile\\shell\\edit\\command").WriteString("", "/usr/bin/ed %1");
    leaf::RegistryKey::Create(HKEY_CLASSES_ROOT, "htmlfile\\shell\\open").WriteString("", "&Open");
    leaf::RegistryKey::Create(HKEY_CLASSES_ROOT, "htmlfile\\shell\\open\\command").WriteString("", "/usr/bin/view %1");
    leaf::RegistryKey::Create(HKEY_CLASSES_ROOT, ".txt").WriteString("", "txtfile");
    leaf::RegistryKey::Create(HKEY_CLASSES_ROOT, "txtfile\\shell\\print\\command").WriteString("", "lp %1");
    AddToDocument({Source("a.htm"), folder.WriteFile("book/n.txt", "x")});
    Open();
    people.AnswerMenu(0);
    people.AnswerMenu(0);
    Select({0});
    view->OnContextMenu(view.get(), POINT{-1, -1});
    Select({1});
    view->OnContextMenu(view.get(), POINT{-1, -1});
    std::vector<leaf::ui::ScriptedPeople::Question> menus = people.Asked("menu");
    ASSERT_EQ(menus.size(), 2u);
    EXPECT_EQ(menus[0].defaultItem, "&Open");
    EXPECT_EQ(menus[1].defaultItem, "");
    EXPECT_EQ(people.Asked("menu")[0].text.rfind("&Open|&Edit|-|&Paste", 0), 0u) << people.Asked("menu")[0].text;
}

TEST_F(SrcFilesViewTest, ListKeysRunTheirCommandsAndOtherCombinationsPassThrough) {
    std::vector<std::string> paths;
    for (const char* name : {"a.htm", "b.htm", "c.htm"}) paths.push_back(Source(name));
    AddToDocument(paths);
    Open();
    Select({2});
    auto press = [&](WORD key, Qt::KeyboardModifiers modifiers) {
        leaf::ui::NoteKeyModifiers(modifiers);
        NMLVKEYDOWN down;
        down.wVKey = key;
        LRESULT handled = leaf::ui::NotifyParent(List().GetWidget(), &down.hdr, LVN_KEYDOWN);
        leaf::ui::NoteKeyModifiers(Qt::NoModifier);
        return handled;
    };
    EXPECT_NE(press(VK_UP, Qt::ControlModifier), 0);
    EXPECT_EQ(Column(1), (std::vector<std::string>{"a.htm", "c.htm", "b.htm"}));
    EXPECT_EQ(press(VK_UP, Qt::ControlModifier | Qt::ShiftModifier), 0);
    EXPECT_EQ(press(VK_DELETE, Qt::ShiftModifier), 0);
    people.AnswerMessageBox(IDNO);
    EXPECT_NE(press(VK_DELETE, Qt::NoModifier), 0);
    ASSERT_EQ(people.Asked("message").size(), 1u);
    EXPECT_EQ(people.Asked("message")[0].text, "Are you sure you want to remove the selected source file(s)?");
    EXPECT_EQ(doc.GetSourceCount(), 3);
}

TEST_F(SrcFilesViewTest, PropertiesSkipMissingFilesAfterAskingAndRefreshShowsTheirState) {
    std::string a = Source("a.htm"), b = Source("b.htm");
    AddToDocument({a, b});
    Open();
    std::filesystem::remove(b);
    Select({0, 1});
    people.AnswerMessageBox(IDNO);
    view->OnProperties();
    EXPECT_TRUE(people.Asked("dialog").empty());
    people.AnswerMessageBox(IDYES);
    people.AnswerDialog([](QDialog& dialog) {
        EXPECT_EQ(dialog.windowTitle(), "a.htm Properties");
        PressButton(dialog, IDCANCEL);
    });
    view->OnProperties();
    ASSERT_EQ(people.Asked("dialog").size(), 1u);
    EXPECT_EQ(people.Asked("dialog")[0].flags, 212u);

    Select({1});
    people.AnswerMessageBox(IDOK);
    view->OnProperties();
    EXPECT_EQ(people.Asked("message").back().text, "All of the selected source files no longer exist.");

    folder.WriteFile("book/a.htm", std::string(3000, 'x'));
    view->OnRefresh();
    EXPECT_EQ(Column(2), (std::vector<std::string>{"3KB", "---"}));
    EXPECT_EQ(Column(4)[1], "---");
}
