// Where dialogs, message boxes and the property frame open: centred on the window they
// belong to that is on screen, and inside the screen's work area.
#include <gtest/gtest.h>

#include <QDialog>
#include <QGuiApplication>
#include <QMessageBox>
#include <QPushButton>
#include <QScreen>
#include <QWidget>

#include "platform/com/ComObject.h"
#include "platform/ui/Dialog.h"
#include "platform/ui/PropertyFrame.h"
#include "platform/ui/PropertySheet.h"
#include "platform/ui/ScriptedPeople.h"
#include "platform/ui/WinApp.h"
#include "platform/ui/WindowPlacement.h"
#include "platform/ui/Wnd.h"
#include "tests/platform/ui/UiTestEnvironment.h"

using namespace leaf::ui;

namespace {

struct PlacementCase {
    const char* what;
    QSize size;
    QRect over;
    QPoint expected;
};

TEST(CentredInside, CentresOnTheOwnerAndKeepsInsideTheArea) {
    const QRect area(0, 30, 1000, 700);
    for (const PlacementCase& c : {
             PlacementCase{"centred", {200, 100}, {100, 130, 600, 400}, {300, 280}},
             PlacementCase{"owner smaller than the dialog at the top left", {400, 300}, {0, 0, 100, 30}, {0, 30}},
             PlacementCase{"owner past the right and bottom edges", {300, 200}, {900, 650, 400, 300}, {700, 530}},
             PlacementCase{"wider than the area", {1200, 100}, {100, 100, 200, 200}, {0, 150}},
         }) {
        EXPECT_EQ(CentredInside(c.size, c.over, area).topLeft(), c.expected) << c.what;
    }
}

// An option page that only tells its size.
struct SizedPage final : public leaf::ComObject<SizedPage, IPropertyPage> {
    HRESULT SetPageSite(IPropertyPageSite*) override { return S_OK; }
    HRESULT Activate(HWND, LPCRECT, BOOL) override { return S_OK; }
    HRESULT Deactivate() override { return S_OK; }
    HRESULT GetPageInfo(PROPPAGEINFO* info) override {
        info->size = {240, 160};
        return S_OK;
    }
    HRESULT SetObjects(ULONG, IUnknown**) override { return E_NOTIMPL; }
    HRESULT Show(UINT) override { return S_OK; }
    HRESULT Move(LPCRECT) override { return S_OK; }
    HRESULT IsPageDirty() override { return S_FALSE; }
    HRESULT Apply() override { return S_OK; }
    HRESULT Help(LPCOLESTR) override { return E_NOTIMPL; }
    HRESULT TranslateAccelerator(LPMSG) override { return E_NOTIMPL; }
};

class WindowPlacement : public testing::Test {
protected:
    void SetUp() override {
        leaf::test::LoadUiTestResources();
        area = QGuiApplication::primaryScreen()->availableGeometry();
        main.setGeometry(area.x() + 40, area.y() + 40, 400, 300);
        main.show();
        mainWnd.Attach(&main);
        app.m_pMainWnd = &mainWnd;
    }
    void TearDown() override {
        app.m_pMainWnd = nullptr;
        mainWnd.Detach();
    }
    bool Inside(const QRect& rect) const { return area.contains(rect); }
    static QPoint Centre(const QRect& rect) { return rect.center(); }

    CWinApp app{"Leafcraft"};
    ScriptedPeople people;
    QRect area;
    QWidget main;
    CWnd mainWnd;
};

TEST_F(WindowPlacement, ADialogOfAWindowNotYetShownOpensOverTheMainWindow) {
    // A wizard asks something while its first page is made, before it shows itself.
    QWidget wizard(&main, Qt::Dialog);
    wizard.setGeometry(0, 0, 60, 20);
    QWidget page(&wizard);
    CWnd pageWnd;
    pageWnd.Attach(&page);
    QRect placed;
    people.AnswerDialog([&](QDialog& dialog) {
        placed = dialog.frameGeometry();
        dialog.reject();
    });
    CDialog warning(232, &pageWnd);
    warning.DoModal();
    pageWnd.Detach();
    ASSERT_FALSE(placed.isEmpty());
    EXPECT_TRUE(Inside(placed)) << placed.x() << "," << placed.y();
    EXPECT_LE((Centre(placed) - Centre(main.frameGeometry())).manhattanLength(), 4);
}

TEST_F(WindowPlacement, ADialogOverAWindowAtTheScreensEdgeStaysInsideTheWorkArea) {
    main.setGeometry(area.right() - 100, area.bottom() - 60, 400, 300);
    QRect placed;
    people.AnswerDialog([&](QDialog& dialog) {
        placed = dialog.frameGeometry();
        dialog.reject();
    });
    CDialog(232, &mainWnd).DoModal();
    ASSERT_FALSE(placed.isEmpty());
    EXPECT_TRUE(Inside(placed)) << placed.x() << "," << placed.y() << " " << placed.width() << "x" << placed.height();
}

TEST_F(WindowPlacement, AWizardOpensCentredAtTheSizeItShowsWith) {
    main.setGeometry(area.x() + 100, area.y() + 80, 600, 500);
    CPropertyPage first(600), second(610);
    CPropertySheet sheet("Wizard", &mainWnd);
    sheet.AddPage(&first);
    sheet.AddPage(&second);
    sheet.SetWizardMode();
    QRect placed;
    people.AnswerDialog([&](QDialog& window) {
        placed = window.frameGeometry();
        window.reject();
    });
    sheet.DoModal();
    ASSERT_FALSE(placed.isEmpty());
    EXPECT_TRUE(Inside(placed));
    EXPECT_LE((Centre(placed) - Centre(main.frameGeometry())).manhattanLength(), 4)
        << placed.x() << "," << placed.y() << " " << placed.width() << "x" << placed.height();
}

TEST_F(WindowPlacement, AMessageBoxOpensCentredOnTheDialogInFrontInsideTheWorkArea) {
    // The main window hangs past the screen's bottom right corner, so the dialog it opens
    // is kept inside the work area; a box the program asks for while the dialog runs
    // (through the application object, as the program asks) opens over that dialog.
    main.setGeometry(area.right() - 300, area.bottom() - 200, 700, 500);
    QRect dialogRect;
    QRect boxRect;
    int answer = 0;
    people.AnswerShownMessageBox([&](QDialog& box) {
        boxRect = box.frameGeometry();
        auto* question = qobject_cast<QMessageBox*>(&box);
        ASSERT_NE(question, nullptr);
        question->button(QMessageBox::Yes)->click();
    });
    people.AnswerDialog([&](QDialog& dialog) {
        dialogRect = dialog.frameGeometry();
        answer = AfxMessageBox("Replace the e-book?", MB_YESNO);
        dialog.reject();
    });
    CDialog(232, &mainWnd).DoModal();
    EXPECT_EQ(answer, IDYES);
    EXPECT_EQ(people.UnansweredCount(), 0);
    ASSERT_FALSE(boxRect.isEmpty());
    EXPECT_TRUE(Inside(boxRect)) << boxRect.x() << "," << boxRect.y();
    const QRect expected = CentredInside(boxRect.size(), dialogRect, area);
    EXPECT_LE((boxRect.topLeft() - expected.topLeft()).manhattanLength(), 4)
        << boxRect.x() << "," << boxRect.y() << " over " << dialogRect.x() << "," << dialogRect.y();
    EXPECT_FALSE(area.contains(main.frameGeometry())) << "the owner's window is partly off screen";
}

TEST_F(WindowPlacement, AMessageBoxWithoutADialogBelongsToTheWindowOnScreen) {
    EXPECT_EQ(MessageBoxOwner(&main), &main);
    QWidget hidden;
    EXPECT_EQ(MessageBoxOwner(&hidden), &main);
}

TEST_F(WindowPlacement, ThePropertyFrameOpensCentredOnItsOwner) {
    main.setGeometry(area.x() + 200, area.y() + 150, 400, 300);
    const CLSID page = leaf::MakeGuid("{11111111-0000-0000-0000-000000000031}");
    PropertyFrameParams params;
    params.owner = HandleFromWidget(&main);
    params.pages = {page};
    params.factory = [](REFCLSID, IPropertyPage** made) {
        *made = new SizedPage;
        (*made)->AddRef();
        return S_OK;
    };
    QRect placed;
    people.AnswerDialog([&](QDialog& frame) {
        placed = frame.frameGeometry();
        frame.reject();
    });
    EXPECT_EQ(ShowPropertyFrame(params), S_OK);
    ASSERT_FALSE(placed.isEmpty());
    EXPECT_TRUE(Inside(placed));
    EXPECT_LE((Centre(placed) - Centre(main.frameGeometry())).manhattanLength(), 4);
}

}  // namespace
