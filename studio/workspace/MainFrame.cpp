#include "studio/workspace/MainFrame.h"

#include <unistd.h>

#include <QGuiApplication>
#include <QMainWindow>
#include <QScreen>
#include <QWidget>
#include <atomic>
#include <cstdio>
#include <filesystem>

#include "common/ContentType.h"
#include "common/StringSort.h"
#include "markup/ByteOrderMark.h"
#include "platform/base/Environment.h"
#include "platform/base/File.h"
#include "platform/com/ComRuntime.h"
#include "platform/registry/Registry.h"
#include "platform/registry/RegistryKey.h"
#include "platform/ui/PeopleService.h"
#include "platform/ui/PropertyFrame.h"
#include "platform/ui/Resources.h"
#include "platform/ui/SplitterWnd.h"
#include "platform/ui/WaitCursor.h"
#include "studio/project/ApplicationLists.h"
#include "studio/project/LeafcraftDoc.h"
#include "studio/project/LeafcraftSDK.h"
#include "studio/project/PathHelpers.h"
#include "studio/project/ReaderFolders.h"
#include "studio/workspace/AppConnections.h"
#include "studio/workspace/AppProfile.h"
#include "studio/workspace/ImportPackageDlg.h"
#include "studio/workspace/LeafcraftApp.h"
#include "studio/workspace/LeafcraftBaseView.h"
#include "studio/workspace/LeafcraftIconView.h"
#include "studio/workspace/WarningDlg.h"

IMPLEMENT_DYNCREATE(CMainFrame, CFrameWnd)

using leaf::ui::FormatResString;

namespace {

constexpr UINT IDR_MAINFRAME = 100;
constexpr UINT IDR_CONTEXT_MENUS = 120;
constexpr int kToolbarMenu = 3;
constexpr UINT IDS_MAIN_TOOLBAR = 549;
constexpr UINT IDS_SDK_CREATE_FAILED = 10111;
constexpr UINT IDS_SDK_INIT_FAILED = 10112;
constexpr UINT IDS_NO_SOURCES = 10113;
constexpr UINT IDS_OUTSIDE_SOURCE_FOLDER = 9002;
constexpr UINT IDS_UNICODE_SOURCES = 9008;
constexpr UINT IDS_FILTERS_KEY = 4000;
constexpr const char* kGeneralOptions = "Leafcraft.GeneralOptions";
constexpr int kPaneWidth = 90;
constexpr int kPaneHeight = 114;
constexpr int kIconColumnWidth = 110;
constexpr int kMinimumWidth = 550;
constexpr int kMinimumHeight = 450;

// The main window opens at four fifths of the screen's free area (never below its minimum
// size), centred on it, so that the workspaces have room from the first start.
void PlaceInitialWindow(QMainWindow* window) {
    QScreen* screen = window->screen() ? window->screen() : QGuiApplication::primaryScreen();
    if (!screen) return;
    const QRect available = screen->availableGeometry();
    const QSize size = QSize(available.width() * 4 / 5, available.height() * 4 / 5).expandedTo(window->minimumSize());
    window->resize(size);
    window->move(available.center() - QPoint(size.width() / 2, size.height() / 2));
}

// Frames made in this process, for the instance numbers of their auto-save keys.
std::atomic<DWORD> g_frameCount{0};
// The last auto-save copy number taken in this process.
int g_autoSaveNumber = 0;

CLeafcraftApp* App() { return CLeafcraftApp::Get(); }

bool StartsWithIgnoringCase(const std::string& text, const std::string& prefix) {
    if (text.size() < prefix.size()) return false;
    for (size_t i = 0; i < prefix.size(); ++i) {
        unsigned char a = static_cast<unsigned char>(text[i]);
        unsigned char b = static_cast<unsigned char>(prefix[i]);
        if (std::tolower(a) != std::tolower(b)) return false;
    }
    return true;
}

}  // namespace

CMainFrame::CMainFrame() {
    m_readerFound = !GetReaderPath().IsEmpty();
    m_tempFolder = leaf::GetTempFolder();
    // The folder is used as "<folder>/<name>": no separator at its end.
    while (m_tempFolder.GetLength() > 1 && (m_tempFolder.Right(1) == "/" || m_tempFolder.Right(1) == "\\"))
        m_tempFolder = m_tempFolder.Left(m_tempFolder.GetLength() - 1);
    // The key's name is an instance number: the process id for the first frame of a
    // process, with a serial number in the top byte for later ones.
    DWORD serial = g_frameCount++;
    m_instanceId = static_cast<DWORD>(::getpid()) + (serial << 24);

    MapCommand(ID_FILE_IMPORT_PACKAGE, &CMainFrame::OnImportPackage);
    MapCommand(ID_FILE_BUILD_EBOOK, &CMainFrame::OnBuildEBook);
    MapCommand(ID_FILE_LAUNCH_READER, &CMainFrame::OnLaunchReader);
    MapCommand(ID_VIEW_BANNERS, &CMainFrame::OnToggleBanners);
    MapCommand(ID_TOOLS_OPTIONS, &CMainFrame::OnOptions);
    MapCommandRange(ID_WORKSPACE_FIRST, ID_WORKSPACE_LAST, &CMainFrame::OnSelectWorkspace);
    MapUpdateUI(ID_FILE_BUILD_EBOOK, &CMainFrame::OnUpdateBuildEBook);
    MapUpdateUI(ID_FILE_LAUNCH_READER, &CMainFrame::OnUpdateLaunchReader);
    MapUpdateUI(ID_VIEW_BANNERS, &CMainFrame::OnUpdateBanners);
    MapUpdateUI(ID_FILE_PRINT, &CMainFrame::OnUpdatePrint);
    MapUpdateUIRange(ID_WORKSPACE_FIRST, ID_WORKSPACE_LAST, [this](CCmdUI* ui) { OnUpdateWorkspace(ui); });
}

CMainFrame::~CMainFrame() { ReleaseLockFile(); }

// ---------------------------------------------------------------------------------------
// Creation

int CMainFrame::OnCreate(LPCREATESTRUCT createStruct) {
    if (CFrameWnd::OnCreate(createStruct) == -1) return -1;
    if (!CreateSDKControl()) return -1;

    // Toolbar 100: flat, docked at the top with a gripper, tooltips and fly-by prompts; as
    // high as its first button and 6 more; "Main Toolbar" while it floats.
    const DWORD toolBarStyle = WS_CHILD | WS_VISIBLE | CBRS_TOP | CBRS_GRIPPER | CBRS_TOOLTIPS | CBRS_FLYBY |
                               CBRS_SIZE_DYNAMIC;
    if (!m_toolBar.CreateEx(this, TBSTYLE_FLAT, toolBarStyle, AFX_IDW_TOOLBAR) || !m_toolBar.LoadToolBar(IDR_MAINFRAME))
        return -1;
    RECT firstButton{};
    m_toolBar.GetItemRect(0, &firstButton);
    m_toolBar.SetHeight(firstButton.bottom - firstButton.top + 6);
    m_toolBar.SetWindowText(leaf::ui::LoadResString(IDS_MAIN_TOOLBAR).c_str());
    if (QWidget* bar = m_toolBar.GetWidget()) {
        // A right click on the toolbar offers the workspaces and the banner switch.
        bar->setContextMenuPolicy(Qt::CustomContextMenu);
        QObject::connect(bar, &QWidget::customContextMenuRequested, bar, [this, bar](const QPoint& at) {
            QPoint screen = bar->mapToGlobal(at);
            OnContextMenu(&m_toolBar, POINT{screen.x(), screen.y()});
        });
    }
    static constexpr UINT kIndicators[] = {ID_SEPARATOR, ID_INDICATOR_CAPS, ID_INDICATOR_NUM, ID_INDICATOR_SCRL};
    if (!m_statusBar.Create(this, WS_CHILD | WS_VISIBLE | CBRS_BOTTOM, AFX_IDW_STATUS_BAR) ||
        !m_statusBar.SetIndicators(kIndicators, static_cast<int>(std::size(kIndicators))))
        return -1;

    // The toolbar may dock on any side, and the frame takes bars on any side.
    m_toolBar.EnableDocking(CBRS_ALIGN_ANY);
    EnableDocking(CBRS_ALIGN_ANY);
    DockControlBar(&m_toolBar);

    SetWorkspaceMenu(IDR_MAINFRAME);
    if (QMainWindow* window = MainWindow()) {
        window->setMinimumSize(kMinimumWidth, kMinimumHeight);
        PlaceInitialWindow(window);
    }
    CreateLockFile();
    SetTimer(ID_AUTOSAVE_TIMER, kAutoSaveTick);
    return 0;
}

BOOL CMainFrame::CreateSDKControl() {
    m_sdk = std::make_unique<CLeafcraftSDK>();
    RECT empty{0, 0, 0, 0};
    if (!m_sdk->Create(nullptr, WS_CHILD, empty, this, IDC_SDK_CONTROL)) {
        m_sdk.reset();
        // When the control is not registered at all, the message says how to register it.
        CString message = FormatResString(IDS_SDK_CREATE_FAILED);
        std::string hint = leaf::app::BuildControlRegistrationHint();
        if (!hint.empty()) {
            std::fprintf(stderr, "leafstudio: %s\n", hint.c_str());
            message = CString(message.str() + "\n\n" + hint);
        }
        AfxMessageBox(message.c_str(), MB_OK);
        return FALSE;
    }
    BOOL initialized = FALSE;
    LONG error = 0;
    try {
        initialized = m_sdk->Initialize();
        if (!initialized) error = m_sdk->GetErrorCode();
    } catch (const std::exception&) {
        initialized = FALSE;
    }
    if (!initialized) {
        CString message = FormatResString(IDS_SDK_INIT_FAILED, error);
        AfxMessageBox(message.c_str(), MB_OK);
        m_sdk->DestroyWindow();
        m_sdk.reset();
        return FALSE;
    }
    return TRUE;
}

BOOL CMainFrame::OnCreateClient(LPCREATESTRUCT, CCreateContext* context) {
    CLeafcraftApp* app = App();
    if (!app || app->GetWorkspaceCount() == 0) return FALSE;
    m_splitter = std::make_unique<CSplitterWnd>();
    if (!m_splitter->CreateStatic(this, 1, 2)) return FALSE;
    SIZE initial{kPaneWidth, kPaneHeight};
    if (!m_splitter->CreateView(0, 0, RUNTIME_CLASS(CLeafcraftIconView), initial, context)) return FALSE;
    CCreateContext workspace;
    if (context) workspace = *context;
    workspace.m_pNewViewClass = app->GetWorkspace(0)->m_pViewClass;
    workspace.m_pCurrentFrame = this;
    if (!m_splitter->CreateView(0, 1, workspace.m_pNewViewClass, initial, &workspace)) return FALSE;
    m_splitter->SetColumnInfo(0, kIconColumnWidth, 0);
    if (QMainWindow* window = MainWindow()) window->setCentralWidget(m_splitter->GetWidget());
    return TRUE;
}

void CMainFrame::SetWorkspaceMenu(UINT menuId) {
    CLeafcraftApp* app = App();
    std::unique_ptr<CMenu> menu = app ? app->LoadWorkspaceMenu(menuId) : nullptr;
    if (menu) InstallMenu(std::move(menu), menuId);
}

void CMainFrame::InstallMenu(std::unique_ptr<CMenu> menu, UINT menuId) {
    if (!menu) return;
    SetMenu(std::move(menu));
    m_menuId = menuId;
}

CLeafcraftIconView* CMainFrame::GetIconView() const {
    return m_splitter ? dynamic_cast<CLeafcraftIconView*>(m_splitter->GetPane(0, 0)) : nullptr;
}

CLeafcraftBaseView* CMainFrame::GetWorkspaceView() const {
    return m_splitter ? dynamic_cast<CLeafcraftBaseView*>(m_splitter->GetPane(0, 1)) : nullptr;
}

void CMainFrame::OnDestroy() {
    KillTimer(ID_AUTOSAVE_TIMER);
    if (m_sdk) {
        m_sdk->DestroyWindow();
        m_sdk.reset();
    }
    CFrameWnd::OnDestroy();
}

void CMainFrame::OnEndSession(BOOL ending) {
    if (ending) {
        CDocument* document = GetActiveDocument();
        if (document && document->IsModified()) {
            AutoSave();
            m_keepAutoSaveCopy = true;
        }
    }
    CFrameWnd::OnEndSession(ending);
}

LRESULT CMainFrame::WindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_SYSCOLORCHANGE) {
        // Every view rebuilds its banner for the new colours.
        SendMessageToDescendants(WM_SYSCOLORCHANGE, wParam, lParam, TRUE);
        Invalidate();
    }
    return CFrameWnd::WindowProc(message, wParam, lParam);
}

void CMainFrame::GetMessageString(UINT id, CString& message) const {
    if (id >= ID_WORKSPACE_FIRST && id <= ID_WORKSPACE_LAST) {
        message.Empty();
        if (CLeafcraftApp* app = App())
            if (const CWorkspaceInfo* workspace = app->GetWorkspace(static_cast<int>(id - ID_WORKSPACE_FIRST)))
                message = workspace->m_tooltip;
        return;
    }
    CFrameWnd::GetMessageString(id, message);
}

// ---------------------------------------------------------------------------------------
// Workspaces

void CMainFrame::OnSelectWorkspace(UINT id) {
    CLeafcraftApp* app = App();
    if (!app || id < ID_WORKSPACE_FIRST) return;
    int index = static_cast<int>(id - ID_WORKSPACE_FIRST);
    const CWorkspaceInfo* workspace = app->GetWorkspace(index);
    if (!workspace || index == m_currentWorkspace || !workspace->m_pViewClass) return;
    CLeafcraftBaseView* oldView = GetWorkspaceView();
    CLeafcraftIconView* icons = GetIconView();
    if (!oldView || !icons) return;

    if (!m_bSkipValidation && !oldView->ValidateWorkspace(TRUE)) {
        if (m_currentWorkspace >= 0) icons->SelectItem(m_currentWorkspace);
        SetActiveView(oldView);
        return;
    }
    SetActiveView(icons, FALSE);
    oldView->DestroyWindow();

    CCreateContext context;
    context.m_pNewViewClass = workspace->m_pViewClass;
    context.m_pCurrentDoc = GetActiveDocument();
    if (!context.m_pCurrentDoc) context.m_pCurrentDoc = icons->GetDocument();
    context.m_pCurrentFrame = this;
    SIZE initial{kPaneWidth, kPaneHeight};
    if (!m_splitter->CreateView(0, 1, workspace->m_pViewClass, initial, &context)) {
        // The old view is gone already: the pane stays empty.
        m_currentWorkspace = -1;
        return;
    }
    QWidget* window = MainWindow();
    bool visible = window && window->isVisible();
    if (visible) window->setUpdatesEnabled(false);
    CLeafcraftBaseView* view = GetWorkspaceView();
    if (view) {
        view->SendMessage(WM_INITIALUPDATE);
        SetActiveView(view);
    }
    m_splitter->RecalcLayout();
    if (visible) {
        window->setUpdatesEnabled(true);
        window->update();
    }
    m_currentWorkspace = index;
    icons->SelectItem(index);
}

void CMainFrame::ActivateWorkspace(const CRuntimeClass* viewClass) {
    CLeafcraftApp* app = App();
    int index = app ? app->FindWorkspace(viewClass) : -1;
    if (index >= 0) SendMessage(WM_COMMAND, ID_WORKSPACE_FIRST + static_cast<UINT>(index), 0);
}

void CMainFrame::OnUpdateWorkspace(CCmdUI* ui) {
    CLeafcraftApp* app = App();
    int index = static_cast<int>(ui->m_nID - ID_WORKSPACE_FIRST);
    BOOL exists = app && app->GetWorkspace(index) != nullptr;
    ui->Enable(exists);
    ui->SetCheck(exists && index == m_currentWorkspace ? 1 : 0);
}

// ---------------------------------------------------------------------------------------
// Auto-save

CString CMainFrame::GetAutoSaveKey() const {
    CString key;
    key.Format("Auto-save\\0x%.8X", static_cast<unsigned>(m_instanceId));
    return key;
}

void CMainFrame::CreateLockFile() {
    // The lock files that earlier runs ended without their normal exit (a kill, a lost
    // display) left would otherwise pile up in the temporary folder.
    leaf::AutoSaveLock::RemoveStaleLocks(m_tempFolder.str());
    m_lock.Acquire(leaf::AutoSaveLock::LockFilePath(m_tempFolder.str(), static_cast<unsigned>(m_instanceId)));
}

void CMainFrame::ReleaseLockFile() { m_lock.Release(); }

void CMainFrame::OnTimer(UINT_PTR id) {
    if (id != ID_AUTOSAVE_TIMER) {
        CFrameWnd::OnTimer(id);
        return;
    }
    m_autoSaveCounter += 6;
    int interval = static_cast<int>(leaf::GetAppProfileInt("Auto-save", "Interval", 3));
    if (m_autoSaveCounter >= interval * 60) AutoSave();
}

void CMainFrame::AutoSave() {
    int interval = static_cast<int>(leaf::GetAppProfileInt("Auto-save", "Interval", 3));
    CString copy;
    if (interval != -1) {
        // The next free name; the numbers run 1 to 9999 and then wrap to 0. A file that
        // exists is never overwritten: with every name taken no copy is written.
        for (int attempt = 0; attempt < 10000 && copy.IsEmpty(); ++attempt) {
            int number = (g_autoSaveNumber++ + 1) % 10000;
            CString candidate;
            candidate.Format("%s/LCAS%.4d.tmp", m_tempFolder.c_str(), number);
            std::error_code error;
            if (!std::filesystem::exists(candidate.str(), error)) copy = candidate;
        }
        auto* document = dynamic_cast<CLeafcraftDoc*>(GetActiveDocument());
        if (document && !copy.IsEmpty()) document->SerializeToPath(copy, FALSE);
    }
    DeleteAutoSave();
    m_autoSaveCounter = 0;
    SetTimer(ID_AUTOSAVE_TIMER, kAutoSaveTick);
    CString section = GetAutoSaveKey();
    leaf::WriteAppProfileString(section.c_str(), "Path", copy.c_str());
    leaf::WriteAppProfileString(section.c_str(), "Lock", m_lock.Path().c_str());
}

void CMainFrame::DeleteAutoSave() {
    KillTimer(ID_AUTOSAVE_TIMER);
    if (m_keepAutoSaveCopy) return;
    CString section = GetAutoSaveKey();
    CString previous = leaf::GetAppProfileString(section.c_str(), "Path", "");
    if (!previous.IsEmpty()) {
        std::error_code ignored;
        std::filesystem::remove(previous.str(), ignored);
    }
    // The section's key goes with its values.
    leaf::WriteAppProfileString(section.c_str(), nullptr, nullptr);
}

// ---------------------------------------------------------------------------------------
// Commands

void CMainFrame::OnUpdateBuildEBook(CCmdUI* ui) {
    auto* document = dynamic_cast<CLeafcraftDoc*>(GetActiveDocument());
    ui->Enable(document && document->GetSourceCount() > 0);
}

void CMainFrame::OnUpdateLaunchReader(CCmdUI* ui) { ui->Enable(m_readerFound); }

void CMainFrame::OnUpdateBanners(CCmdUI* ui) { ui->SetCheck(CLeafcraftBaseView::BannersShown() ? 1 : 0); }

void CMainFrame::OnUpdatePrint(CCmdUI* ui) { ui->Enable(FALSE); }

void CMainFrame::OnBuildEBook() {
    CLeafcraftBaseView* view = GetWorkspaceView();
    if (!view || !view->ValidateWorkspace(TRUE)) return;
    auto* document = dynamic_cast<CLeafcraftDoc*>(GetActiveDocument());
    if (!document) return;
    CLeafcraftApp* app = App();
    if (document->GetSourceCount() == 0) {
        AfxMessageBox(IDS_NO_SOURCES, MB_OK);
        if (app && app->GetWorkspace(0)) ActivateWorkspace(app->GetWorkspace(0)->m_pViewClass);
        return;
    }
    if (document->GetSourceCount() > 1) {
        CWarningDlg warning(CWarningDlg::IDD_PPC_FIND_ISSUE, "PPC Find Issue", this);
        if (warning.DoModal() != IDOK) return;
    }
    if (document->GetTitle().IsEmpty()) {
        if (CLCSourceFile* first = document->GetSourceFile(0)) {
            document->SetTitle(first->m_strTitle);
            document->SetModifiedFlag(TRUE);
        }
    }
    if (!CheckGuideLinks()) return;
    WarnUnicodeSources();

    m_buildWizard = nullptr;
    leaf::app::RunBuildWizard(document, this, m_buildWizard);
    m_buildWizard = nullptr;
}

BOOL CMainFrame::CheckGuideLinks() {
    auto* document = dynamic_cast<CLeafcraftDoc*>(GetActiveDocument());
    if (!document) return FALSE;
    std::string folder = document->m_strSourceFolder.str();
    while (!folder.empty() && (folder.back() == '/' || folder.back() == '\\')) folder.pop_back();
    folder += '/';
    for (const auto& [type, item] : document->m_guideItems) {
        if (!item || item->m_strPath.IsEmpty()) continue;
        CString path = item->m_strPath;
        if (!IsAbsolutePath(path.c_str())) path = CString(folder) + path;
        CString file, fragment;
        SplitFragment(path, file, fragment, FALSE);
        // Separators and "/../", "/./" folded; a path that climbs past its root stays as it is.
        NormalizePath(file);
        if (StartsWithIgnoringCase(file.str(), folder)) continue;

        CString title = "unknown";
        bool isToc = type.CompareNoCase("toc") == 0;
        if (isToc) title = "Table of Contents";
        else if (CGuideTypeDefinition* definition = leaf::GetApplicationLists().FindGuideType(type))
            title = definition->m_strTitle;
        std::string shownFolder = folder.size() > 1 ? folder.substr(0, folder.size() - 1) : folder;
        CString message = FormatResString(IDS_OUTSIDE_SOURCE_FOLDER, title.c_str(), file.c_str(), shownFolder.c_str());
        AfxMessageBox(message.c_str(), MB_OK);
        const leaf::app::WorkspaceViewClasses& views = leaf::app::GetWorkspaceViewClasses();
        ActivateWorkspace(isToc ? views.contents : views.coverPage);
        return FALSE;
    }
    return TRUE;
}

void CMainFrame::WarnUnicodeSources() {
    auto* document = dynamic_cast<CLeafcraftDoc*>(GetActiveDocument());
    if (!document) return;
    for (int i = 0; i < document->GetSourceCount(); ++i) {
        CLCSourceFile* source = document->GetSourceFile(i);
        if (!source) continue;
        std::string path = source->m_strPath.str();
        size_t dot = path.rfind('.');
        if (dot == std::string::npos) continue;
        std::string extension = path.substr(dot);
        // The test is case-sensitive, as the file names are compared byte by byte.
        if (extension != ".htm" && extension != ".html") continue;
        // Opened as files are opened: a source that has become a FIFO or device since it
        // was added is passed over, never waited on.
        CFile file;
        if (!file.Open(path.c_str(), CFile::modeRead | CFile::shareDenyNone | CFile::typeBinary)) continue;
        char mark[2] = {0, 0};
        try {
            if (file.Read(mark, 2) != 2) continue;
        } catch (const CFileException&) {
            continue;
        }
        // UTF-16 of either byte order.
        if (leaf::markup::IsUtf16(leaf::markup::DetectByteOrderMark(std::string_view(mark, 2)).encoding)) {
            AfxMessageBox(IDS_UNICODE_SOURCES, MB_OK | MB_ICONINFORMATION);
            return;
        }
    }
}

void CMainFrame::OnImportPackage() {
    SendMessage(WM_COMMAND, ID_FILE_NEW, 0);
    auto* document = dynamic_cast<CLeafcraftDoc*>(GetActiveDocument());
    if (!document || document->IsModified()) return;
    CImportPackageDlg dialog(this);
    if (dialog.DoModal() != IDOK) return;
    if (document->ImportPackage(dialog.GetPackagePath())) {
        if (CLeafcraftBaseView* view = GetWorkspaceView()) view->SendMessage(WM_INITIALUPDATE);
    }
}

void CMainFrame::OnLaunchReader() {
    CString reader = GetReaderPath();
    if (reader.IsEmpty()) return;
    leaf::ui::People().StartProcess(reader.str(), {});
}

void CMainFrame::OnToggleBanners() {
    BOOL shown = CLeafcraftBaseView::BannersShown();
    leaf::WriteAppProfileInt("Settings", "Show Banners", shown ? 0 : 1);
    if (CLeafcraftBaseView* view = GetWorkspaceView()) view->RecalcBannerBand();
}

void CMainFrame::OnOptions() {
    std::vector<CLSID> pages;
    {
        CWaitCursor wait;
        std::vector<CString> progIds;
        CString filtersKey = leaf::ui::LoadResString(IDS_FILTERS_KEY);
        leaf::RegistryKey filters = leaf::RegistryKey::Open(HKEY_LOCAL_MACHINE, filtersKey.str());
        if (filters.IsOpen())
            for (const std::string& name : filters.SubKeyNames()) progIds.emplace_back(name);
        SortStringArray(progIds, TRUE);
        progIds.insert(progIds.begin(), CString(kGeneralOptions));
        for (const CString& progId : progIds) {
            CLSID clsid{};
            if (SUCCEEDED(CLSIDFromProgID(progId.c_str(), &clsid))) pages.push_back(clsid);
        }
    }
    OleCreatePropertyFrame(GetSafeHwnd(), 0, 0, nullptr, 0, nullptr, static_cast<ULONG>(pages.size()),
                           pages.empty() ? nullptr : pages.data(), 1033, 0, nullptr);
}

void CMainFrame::OnContextMenu(CWnd* window, POINT point) {
    // Only over the toolbar (or a window that holds it).
    QWidget* bar = m_toolBar.GetWidget();
    QWidget* clicked = window ? window->GetWidget() : nullptr;
    if (!bar || !clicked || !(clicked == bar || clicked->isAncestorOf(bar))) return;
    CLeafcraftApp* app = App();
    std::unique_ptr<CMenu> menu = app ? app->LoadWorkspaceMenu(IDR_CONTEXT_MENUS) : nullptr;
    CMenu* popup = menu ? menu->GetSubMenu(kToolbarMenu) : nullptr;
    if (popup) popup->TrackPopupMenu(TPM_LEFTALIGN | TPM_RIGHTBUTTON, point.x, point.y, this);
}
