#include "tests/studio/workspace/app/AppFixture.h"

#include <cstdlib>

#include <QAbstractItemView>

#include "platform/registry/Registry.h"
#include "platform/registry/RegistryKey.h"
#include "studio/project/LeafcraftDoc.h"
#include "platform/ui/ListCtrl.h"
#include "studio/workspace/AppProfile.h"
#include "studio/workspace/LeafcraftIconView.h"
#include "studio/workspace/MainFrame.h"
#include "tests/support/ChildProcess.h"

namespace leaf::test {

void RegisterBuildControl() {
    for (const char* module : {"leafsdk.so", "FontEmbedder.so", "markupintake.so", "plainintake.so", "pictureintake.so"}) {
        ChildResult result = RunRegsvr({"-s", BinDir() + "/" + module});
        ASSERT_EQ(result.exitStatus, 0) << module << ": " << result.out;
    }
}

std::string WriteDefinitionFile(const TempFolder& folder) {
    return folder.WriteFile("leafstudio.dat",
                            "[Meta-data Info #1]\n"
                            "Name=dc:Title\n"
                            "Label=Title\n"
                            "Prompt Type=Edit\n"
                            "[Meta-data Info #2]\n"
                            "Name=dc:Publisher\n"
                            "Prompt Type=Edit\n");
}

AppFixture::AppFixture() {
    if (const char* tmp = std::getenv("TMP")) m_previousTmp = tmp;
    setenv("TMP", m_temp.Path().c_str(), 1);
    RegisterBuildControl();
    m_app = std::make_unique<CLeafcraftApp>();
    m_app->m_metaDataPath = WriteDefinitionFile(m_folder);
    // The Quick Start dialog only where a test asks for it.
    leaf::AppProfile().WriteProfileInt("Options", "Show Startup Dialog", 0);
}

AppFixture::~AppFixture() {
    if (m_app) {
        m_app->CloseAllDocuments(TRUE);
        if (CWnd* main = m_app->m_pMainWnd) main->DestroyWindow();
        m_app.reset();
    }
    if (m_previousTmp.empty()) unsetenv("TMP");
    else setenv("TMP", m_previousTmp.c_str(), 1);
}

BOOL AppFixture::Start(std::vector<std::string> arguments) {
    arguments.insert(arguments.begin(), "leafstudio");
    std::vector<const char*> pointers;
    for (const std::string& argument : arguments) pointers.push_back(argument.c_str());
    m_app->SetCommandLine(static_cast<int>(pointers.size()), pointers.data());
    return m_app->InitInstance();
}

CMainFrame* AppFixture::Frame() const { return m_app ? m_app->GetMainFrame() : nullptr; }

void AppFixture::ClickIcon(int index) {
    CListCtrl& list = Frame()->GetIconView()->GetListCtrl();
    QAbstractItemView* view = list.View();
    ASSERT_NE(view, nullptr);
    QModelIndex item = view->model()->index(index, 0);
    view->setCurrentIndex(item);
    emit view->clicked(item);
}

CLeafcraftDoc* AppFixture::Document() const {
    return Frame() ? dynamic_cast<CLeafcraftDoc*>(Frame()->GetActiveDocument()) : nullptr;
}

std::string AppFixture::WriteSource(const std::string& name, const std::string& content) {
    return m_folder.WriteFile("sources/" + name, content);
}

std::vector<std::string> AppFixture::AutoSaveKeys() const {
    RegistryKey key = RegistryKey::Open(HKEY_CURRENT_USER, leaf::AppProfile().BaseKeyPath() + "\\Auto-save");
    return key.IsOpen() ? key.SubKeyNames() : std::vector<std::string>{};
}

}  // namespace leaf::test
