// Benchmark of the build control's PrepareEBook and of BuildEBook up to the compiler
// step, on a book folder as make-book writes it (chapterNNNN.html, toc.html, style.css,
// images/, afterword.txt), driven through the automation surface as a client drives it.
//
//   bench-build BOOK_DIR
//
// Runs in a registry and work folder of its own (both temporary). Registers leafsdk.so
// and the input filters found beside this program: sdktestpages.so (a simple page
// filter) first, then markupintake.so, plainintake.so and pictureintake.so where they
// exist, so the product's filters win. Prints seconds and peak memory (maximum resident
// set size of the process so far) after each of the two steps.

#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "platform/com/ComObject.h"
#include "platform/com/ComRuntime.h"
#include "platform/com/ConnectionPoint.h"
#include "platform/com/DispatchDriver.h"
#include "platform/com/Variant.h"
#include "platform/registry/Profile.h"
#include "sdk/LeafcraftSDK.h"

extern char** environ;

namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

fs::path ProgramFolder() { return fs::read_symlink("/proc/self/exe").parent_path(); }

bool Regsvr(const fs::path& module) {
    std::string program = (ProgramFolder() / "regsvr").string();
    std::string modulePath = module.string();
    std::string silent = "-s";
    std::vector<char*> argv = {program.data(), silent.data(), modulePath.data(), nullptr};
    pid_t child = 0;
    if (posix_spawn(&child, program.c_str(), nullptr, nullptr, argv.data(), environ) != 0)
        return false;
    int status = 0;
    return waitpid(child, &status, 0) == child && WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

double PeakMegabytes() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return static_cast<double>(usage.ru_maxrss) / 1024.0;
}

// Marks when the compiler step starts (the first progress event of step 3) and stops
// the build there.
class StepWatcher final : public leaf::ComObject<StepWatcher, IDispatch> {
public:
    HRESULT GetTypeInfoCount(UINT* count) override {
        *count = 0;
        return S_OK;
    }
    HRESULT GetTypeInfo(UINT, LCID, ITypeInfo**) override { return E_NOTIMPL; }
    HRESULT GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override { return E_NOTIMPL; }
    HRESULT Invoke(DISPID dispid, REFIID, LCID, WORD, DISPPARAMS* params, VARIANT*, EXCEPINFO*, UINT*) override {
        ++events;
        // Arguments arrive last first: percent, step, details.
        if (dispid == sdkeventid::OnUpdateProgress && params->cArgs == 3 && params->rgvarg[1].vt == VT_I4 &&
            params->rgvarg[1].lVal == 3 && !compilerReached) {
            compilerReached = true;
            compilerStart = Clock::now();
            leaf::DispatchDriver(control).TryInvoke(sdkdispid::AbortBuild, DISPATCH_METHOD, {});
        }
        return S_OK;
    }

    IDispatch* control = nullptr;
    bool compilerReached = false;
    Clock::time_point compilerStart;
    long events = 0;
};

bool CallBool(IDispatch* control, DISPID dispid, std::vector<leaf::Variant> arguments = {}) {
    leaf::DispatchResult result = leaf::DispatchDriver(control).TryInvoke(dispid, DISPATCH_METHOD, arguments);
    return result.hr == S_OK && result.value.vt == VT_BOOL && result.value.boolVal != VARIANT_FALSE;
}

LONG ErrorCode(IDispatch* control) {
    return leaf::DispatchDriver(control).TryInvoke(sdkdispid::GetErrorCode, DISPATCH_METHOD, {}).value.lVal;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: bench-build BOOK_DIR\n");
        return 2;
    }
    const fs::path book = fs::absolute(argv[1]);
    char scratchTemplate[] = "/tmp/bench-build-XXXXXX";
    if (!mkdtemp(scratchTemplate)) {
        std::perror("mkdtemp");
        return 1;
    }
    const fs::path scratch = scratchTemplate;
    setenv("LEAF_REGISTRY", (scratch / "registry").c_str(), 1);
    fs::create_directories(scratch / "registry");

    int status = 1;
    {
        std::vector<std::string> filters;
        for (const char* name : {"leafsdk.so", "sdktestpages.so", "markupintake.so", "plainintake.so", "pictureintake.so"}) {
            fs::path module = ProgramFolder() / name;
            if (!fs::exists(module))
                continue;
            if (!Regsvr(module)) {
                std::fprintf(stderr, "cannot register %s\n", name);
                return 1;
            }
            filters.emplace_back(name);
        }
        leaf::Profile profile("Tallbrook Systems, Inc.", "Leafcraft");
        profile.WriteProfileString("SDK", "TempFolder", (scratch / "work").c_str());
        fs::create_directories(scratch / "work");
        fs::create_directories(scratch / "out");

        CLSID clsid;
        leaf::ComPtr<IDispatch> control;
        if (FAILED(CLSIDFromProgID(kLeafcraftSDKProgId, &clsid)) ||
            FAILED(CoCreateInstance(clsid, nullptr, CLSCTX_INPROC_SERVER, IID_IDispatch, control.ReceiveVoid()))) {
            std::fprintf(stderr, "cannot create the control\n");
            return 1;
        }
        leaf::ComPtr<StepWatcher> watcher(new StepWatcher());
        watcher->control = control.Get();
        leaf::ComPtr<IConnectionPointContainer> container;
        leaf::ComPtr<IConnectionPoint> point;
        DWORD cookie = 0;
        control->QueryInterface(IID_IConnectionPointContainer, container.ReceiveVoid());
        container->FindConnectionPoint(DIID__DLeafcraftSDKEvents, point.Receive());
        point->Advise(static_cast<IDispatch*>(watcher.Get()), &cookie);

        if (!CallBool(control.Get(), sdkdispid::Initialize)) {
            std::fprintf(stderr, "Initialize failed: %d\n", static_cast<int>(ErrorCode(control.Get())));
            return 1;
        }

        std::vector<fs::path> chapters;
        for (const auto& entry : fs::directory_iterator(book))
            if (entry.path().filename().string().rfind("chapter", 0) == 0)
                chapters.push_back(entry.path());
        std::sort(chapters.begin(), chapters.end());
        std::vector<fs::path> spine = {book / "toc.html"};
        spine.insert(spine.end(), chapters.begin(), chapters.end());
        spine.push_back(book / "afterword.txt");
        for (const fs::path& page : spine)
            if (!CallBool(control.Get(), sdkdispid::AddSourceFile, {leaf::Variant(page.string()), leaf::Variant(LONG(LCF_SPINE))})) {
                std::fprintf(stderr, "AddSourceFile %s failed: %d\n", page.c_str(), static_cast<int>(ErrorCode(control.Get())));
                return 1;
            }
        CallBool(control.Get(), sdkdispid::AddGuideItem,
                 {leaf::Variant("Contents"), leaf::Variant("toc"), leaf::Variant((book / "toc.html").string())});

        auto start = Clock::now();
        bool prepared = CallBool(control.Get(), sdkdispid::PrepareEBook);
        double prepareSeconds = std::chrono::duration<double>(Clock::now() - start).count();
        double preparePeak = PeakMegabytes();
        LONG prepareCode = ErrorCode(control.Get());

        start = Clock::now();
        bool built = CallBool(control.Get(), sdkdispid::BuildEBook,
                              {leaf::Variant((scratch / "out/book.lit").string()), leaf::Variant("")});
        auto end = watcher->compilerReached ? watcher->compilerStart : Clock::now();
        double buildSeconds = std::chrono::duration<double>(end - start).count();
        double buildPeak = PeakMegabytes();
        LONG buildCode = ErrorCode(control.Get());

        size_t workFiles = 0;
        uintmax_t workBytes = 0;
        for (const auto& entry : fs::recursive_directory_iterator(scratch / "work"))
            if (entry.is_regular_file()) {
                ++workFiles;
                workBytes += entry.file_size();
            }

        std::printf("book: %s (%zu spine files); filters:", book.c_str(), spine.size());
        for (const std::string& name : filters)
            std::printf(" %s", name.c_str());
        std::printf("\n%-36s %10s %14s %8s\n", "step", "seconds", "peak RSS (MB)", "code");
        std::printf("%-36s %10.3f %14.1f %8d%s\n", "PrepareEBook", prepareSeconds, preparePeak,
                    static_cast<int>(prepareCode), prepared ? "" : " (failed)");
        std::printf("%-36s %10.3f %14.1f %8d%s\n", "BuildEBook up to the compiler step", buildSeconds, buildPeak,
                    static_cast<int>(buildCode),
                    watcher->compilerReached ? "" : (built ? " (no compiler step seen)" : " (failed)"));
        std::printf("work folder: %zu files, %.1f MB; %ld events\n", workFiles,
                    static_cast<double>(workBytes) / (1024.0 * 1024.0), watcher->events);
        status = prepared && watcher->compilerReached ? 0 : 1;
        point->Unadvise(cookie);
        control = nullptr;  // deletes the queued work folder
    }
    std::error_code ignored;
    fs::remove_all(scratch, ignored);
    return status;
}
