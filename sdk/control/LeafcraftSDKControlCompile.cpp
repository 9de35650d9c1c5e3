// CLeafcraftSDKControl::CompileEBook: the compile step of a build. The e-book compiler
// (LITGen.so) is loaded from the control's own folder and driven by
// CEBookCompilerDriver (sdk/compiler) through the site below, which gives the driver the
// control's host object, call-back, error convention, progress and build state.

#include "sdk/control/LeafcraftSDKControl.h"

#include "platform/base/ModulePath.h"
#include "platform/base/Path.h"
#include "sdk/compiler/CompileSite.h"
#include "sdk/compiler/CompilerMessageFilter.h"
#include "sdk/compiler/EBookCompilerDriver.h"
#include "sdk/control/SDKControlModule.h"

namespace {

// The compiler's path: LITGen.so in the folder of the module that holds this code.
CString CompilerLibraryPath() {
    static const int anchor = 0;
    std::string folder = leaf::path::FolderPart(leaf::GetModulePath(&anchor));
    return CString(leaf::path::Join(folder, kEBookCompilerModuleName));
}

}  // namespace

class CControlCompileSite final : public ICompileSite {
public:
    explicit CControlCompileSite(CLeafcraftSDKControl& control) : m_control(control) {}

    IFilterHost* GetHost() override { return m_control.m_host.get(); }
    CCompilerCallback& GetCompilerCallback() override { return m_control.m_compilerCallback; }
    LONG* GetCurrentLine() override { return &m_control.m_currentLine; }
    BOOL IsAbortRequested() const override { return m_control.m_abortRequested; }

    void SetError(LONG code) override { m_control.SetError(code); }
    void SetError(LONG code, const CString& details) override { m_control.SetError(code, details); }
    const CString& GetErrorDetails() const override { return m_control.m_errorDetails; }

    void ResetProgress(LONG step) override {
        m_control.m_progressTotal = 0;
        m_control.m_progressDone = 0;
        m_control.m_progressStep = step;
        m_control.m_progressDetail.Empty();
    }
    void SetProgressTotal(LONGLONG total) override { m_control.m_progressTotal = total; }
    void SetProgressDetail(const CString& detail) override { m_control.m_progressDetail = detail; }
    void FireUpdateProgress(LONG percent, LONG step, const CString& details) override {
        m_control.FireUpdateProgress(percent, step, details);
    }

    LONG GetForceOEBFlag() override {
        return static_cast<LONG>(CSDKControlModule::Instance().GetProfileInt("ForceOEBLitgen", 0));
    }
    std::vector<CString> GetManifestFilePaths() const override {
        std::vector<CString> paths;
        for (int index = 0; index < m_control.m_package.GetManifestCount(); ++index)
            if (const CManifestItem* item = m_control.m_package.GetManifestItem(index))
                paths.push_back(item->m_strPath);
        return paths;
    }
    const std::map<std::string, std::string>& GetOutsideWorkPaths() const override {
        return m_control.m_outsideWorkPaths;
    }
    const std::map<std::string, std::string>& GetConvertedWorkPaths() const override {
        return m_control.m_convertedWorkPaths;
    }
    CString GetSourceFolder() const override { return m_control.m_sourceFolder; }
    CString GetWorkFolder() const override { return m_control.m_buildWorkFolder; }
    CString GetStyleSheetToLink() const override { return m_control.m_fontEmbedder.GetStyleSheetToLink(); }
    std::vector<CString> GetPageWorkPaths() const override {
        std::vector<CString> pages;
        for (int index = 0; index < m_control.m_package.GetManifestCount(); ++index)
            if (const CManifestItem* item = m_control.m_package.GetManifestItem(index);
                item && item->m_strMediaType.CompareNoCase("text/html") == 0 && !item->m_strWorkPath.IsEmpty())
                pages.push_back(item->m_strWorkPath);
        return pages;
    }
    size_t GetEncodingWorkers() const override { return CFilterWorkerPool::WorkerCount(); }

private:
    CLeafcraftSDKControl& m_control;
};

BOOL CLeafcraftSDKControl::CompileEBook(const CString& packagePath, const CString& eBookPath) {
    CControlCompileSite site(*this);
    CEBookCompilerDriver driver(site);
    return driver.Compile(CompilerLibraryPath(), eBookPath, packagePath, m_buildWorkFolder, m_buildSource);
}

void CLeafcraftSDKControl::FireCompilerMessage(LONG type, LONG code, const CString& text, const CString& filePath,
                                               LONG line) {
    if (IsDroppedCompilerMessage(code, text, filePath, m_ignoredSchemes))
        return;
    FireLITGenMessage(type, code, text, filePath, line);
}
