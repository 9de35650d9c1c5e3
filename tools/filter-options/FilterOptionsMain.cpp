// filter-options: shows the option pages of the installed input filters in one property
// frame, as the authoring program's Options command does, and ends when it closes.
// Run from a build, it finds the filters its build registered as they were built; run
// installed, those that `make install` registered.

#include "platform/com/ComRuntime.h"
#include "platform/ui/PeopleService.h"
#include "platform/ui/WinApp.h"
#include "tools/filter-options/FilterOptions.h"

namespace {

class CFilterOptionsApp : public CWinApp {
public:
    CFilterOptionsApp() : CWinApp("Leafcraft") {}

    BOOL InitInstance() override {
        using namespace leaf::filteroptions;
        OleInitialize(nullptr);
        if (OptionPageClasses(OptionPageProgIds()).empty()) {
            AfxMessageBox("No input filter is installed.", MB_OK | MB_ICONINFORMATION);
            m_result = E_INVALIDARG;
        } else {
            m_result = ShowFilterOptions(nullptr);
        }
        OleUninitialize();
        return FALSE;   // the frame was the whole program
    }

    int ExitInstance() override { return SUCCEEDED(m_result) ? 0 : 1; }

private:
    HRESULT m_result = S_OK;
};

CFilterOptionsApp theApp;

}  // namespace

int main(int argc, char** argv) { return AfxWinMain(argc, argv); }
