// Benchmark of the build control on a book folder as make-book writes it
// (chapterNNNN.html, toc.html, style.css, images/, afterword.txt), driven through the
// automation surface as a client drives it: PrepareEBook, BuildEBook up to the compiler
// step, and the whole build (the e-book written by LITGen.so).
//
//   bench-build [--peers] [--runs N] [--larger LARGER_BOOK_DIR [--larger-runs M]] BOOK_DIR
//
// Every measurement is made N times (default 3) and the best run is printed: the
// fastest for the seconds, the smallest for the peak memory. The whole build is also
// measured with every filter call on the client's thread (LEAF_FILTER_WORKERS=1), the
// way the control ran before it used worker threads.
//
// With --larger the same measurements are made on a larger book of the same kind (M runs,
// default 1), and the whole build of the two books is compared: its time per page (linear
// in the book's size while the ratio stays at most kLinearTolerance) and its peak memory
// (bounded by the largest item, not by the book, while the ratio stays at most
// kMemoryBound, against the ratio of the pages that linear growth would give).
//
// Each measurement runs in a child process of its own (this program again, with
// --measure MODE), so that its peak memory (the child's maximum resident set size) and
// its processor time are its own:
//   baseline  the control created and the book added, nothing prepared;
//   prepare   PrepareEBook;
//   compiler  PrepareEBook, then BuildEBook until the compiler step starts;
//   whole     PrepareEBook, then the whole BuildEBook.
// With --peers the same book (entry page toc.html) is also converted to EPUB by
// ebook-convert (N runs) and by pandoc (one run), when they are on the PATH, and the
// ratios are printed against their goals: the whole build at least 30 times as fast as
// calibre, with under a twentieth of its peak memory.
//
// A child runs in a registry and work folder of its own (both temporary). It registers
// leafsdk.so and the input filters found beside this program: sdktestpages.so (a simple
// page filter) first, then markupintake.so, plainintake.so and pictureintake.so where
// they exist, so the product's filters win.

#include <fcntl.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <optional>
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

// A program run to its end in a child process: its exit status, wall-clock seconds,
// processor seconds (user and system) and peak memory.
struct ChildRun {
    bool started = false;
    int exitCode = -1;
    double seconds = 0;
    double cpuSeconds = 0;
    double peakMegabytes = 0;
    std::string output;  // what it wrote to its standard output
};

ChildRun RunChild(const std::vector<std::string>& arguments, bool quiet) {
    ChildRun run;
    char outputTemplate[] = "/tmp/bench-build-out-XXXXXX";
    int output = mkstemp(outputTemplate);
    if (output < 0)
        return run;
    unlink(outputTemplate);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, output, STDOUT_FILENO);
    if (quiet)
        posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, "/dev/null", O_WRONLY, 0);
    std::vector<std::string> copies = arguments;
    std::vector<char*> argv;
    for (std::string& argument : copies)
        argv.push_back(argument.data());
    argv.push_back(nullptr);
    auto start = Clock::now();
    pid_t child = 0;
    run.started = posix_spawnp(&child, argv[0], &actions, nullptr, argv.data(), environ) == 0;
    posix_spawn_file_actions_destroy(&actions);
    if (run.started) {
        int status = 0;
        rusage usage{};
        if (wait4(child, &status, 0, &usage) == child) {
            run.seconds = std::chrono::duration<double>(Clock::now() - start).count();
            run.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
            run.cpuSeconds = static_cast<double>(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
                             static_cast<double>(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
            run.peakMegabytes = static_cast<double>(usage.ru_maxrss) / 1024.0;
        }
    }
    lseek(output, 0, SEEK_SET);
    char buffer[4096];
    for (ssize_t n = read(output, buffer, sizeof buffer); n > 0; n = read(output, buffer, sizeof buffer))
        run.output.append(buffer, static_cast<size_t>(n));
    close(output);
    return run;
}

// The first directory of the PATH that holds an executable `name`; empty when none does.
std::string FindOnPath(const std::string& name) {
    const char* path = std::getenv("PATH");
    std::string folders = path != nullptr ? path : "";
    size_t start = 0;
    while (start <= folders.size()) {
        size_t end = folders.find(':', start);
        if (end == std::string::npos)
            end = folders.size();
        fs::path candidate = fs::path(folders.substr(start, end - start)) / name;
        if (end > start && access(candidate.c_str(), X_OK) == 0)
            return candidate.string();
        start = end + 1;
    }
    return std::string();
}

enum class Mode { Baseline, Prepare, Compiler, Whole };

// Marks when the compiler step starts (the first progress event of step 3) and, when
// asked to, stops the build there.
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
            if (stopAtCompiler)
                leaf::DispatchDriver(control).TryInvoke(sdkdispid::AbortBuild, DISPATCH_METHOD, {});
        }
        return S_OK;
    }

    IDispatch* control = nullptr;
    bool stopAtCompiler = false;
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

// The reading order of a make-book folder: the contents page, the chapters, the afterword.
std::vector<fs::path> BookSpine(const fs::path& book) {
    std::vector<fs::path> chapters;
    for (const auto& entry : fs::directory_iterator(book))
        if (entry.path().filename().string().rfind("chapter", 0) == 0)
            chapters.push_back(entry.path());
    std::sort(chapters.begin(), chapters.end());
    std::vector<fs::path> spine = {book / "toc.html"};
    spine.insert(spine.end(), chapters.begin(), chapters.end());
    spine.push_back(book / "afterword.txt");
    return spine;
}

// One measurement, in this (child) process. Prints one line to the standard output:
//   "result OK PREPARE_SECONDS BUILD_SECONDS EVENTS EBOOK_BYTES FILTERS..."
// and returns 0 when every step it ran succeeded.
int Measure(Mode mode, const fs::path& book, const fs::path& scratch) {
    setenv("LEAF_REGISTRY", (scratch / "registry").c_str(), 1);
    fs::create_directories(scratch / "registry");

    std::string filters;
    for (const char* name : {"leafsdk.so", "sdktestpages.so", "markupintake.so", "plainintake.so", "pictureintake.so"}) {
        fs::path module = ProgramFolder() / name;
        if (!fs::exists(module))
            continue;
        if (!Regsvr(module)) {
            std::fprintf(stderr, "cannot register %s\n", name);
            return 1;
        }
        filters += std::string(" ") + name;
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
    watcher->stopAtCompiler = mode == Mode::Compiler;
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
    for (const fs::path& page : BookSpine(book))
        if (!CallBool(control.Get(), sdkdispid::AddSourceFile, {leaf::Variant(page.string()), leaf::Variant(LONG(LCF_SPINE))})) {
            std::fprintf(stderr, "AddSourceFile %s failed: %d\n", page.c_str(), static_cast<int>(ErrorCode(control.Get())));
            return 1;
        }
    CallBool(control.Get(), sdkdispid::AddGuideItem,
             {leaf::Variant("Contents"), leaf::Variant("toc"), leaf::Variant((book / "toc.html").string())});

    bool ok = true;
    double prepareSeconds = 0;
    double buildSeconds = 0;
    uintmax_t eBookBytes = 0;
    if (mode != Mode::Baseline) {
        auto start = Clock::now();
        ok = CallBool(control.Get(), sdkdispid::PrepareEBook);
        prepareSeconds = std::chrono::duration<double>(Clock::now() - start).count();
        if (!ok)
            std::fprintf(stderr, "PrepareEBook failed: %d\n", static_cast<int>(ErrorCode(control.Get())));
    }
    if (ok && (mode == Mode::Compiler || mode == Mode::Whole)) {
        const fs::path eBook = scratch / "out/book.lit";
        auto start = Clock::now();
        bool built = CallBool(control.Get(), sdkdispid::BuildEBook,
                              {leaf::Variant(eBook.string()), leaf::Variant("")});
        auto end = mode == Mode::Compiler && watcher->compilerReached ? watcher->compilerStart : Clock::now();
        buildSeconds = std::chrono::duration<double>(end - start).count();
        std::error_code error;
        if (mode == Mode::Compiler) {
            ok = watcher->compilerReached;
        } else {
            eBookBytes = fs::file_size(eBook, error);
            ok = built && !error;
        }
        if (!ok)
            std::fprintf(stderr, "BuildEBook failed: %d\n", static_cast<int>(ErrorCode(control.Get())));
    }
    std::printf("result %s %.3f %.3f %ld %ju%s\n", ok ? "OK" : "FAILED", prepareSeconds, buildSeconds,
                watcher->events, eBookBytes, filters.c_str());
    point->Unadvise(cookie);
    control = nullptr;  // deletes the queued work folder
    return ok ? 0 : 1;
}

struct Measurement {
    ChildRun run;
    bool ok = false;
    double prepareSeconds = 0;
    double buildSeconds = 0;
    long events = 0;
    unsigned long long eBookBytes = 0;
    std::string filters;
};

Measurement MeasureOnce(Mode mode, const fs::path& book) {
    static const char* const names[] = {"baseline", "prepare", "compiler", "whole"};
    Measurement measurement;
    measurement.run = RunChild({(ProgramFolder() / "bench-build").string(), "--measure",
                                names[static_cast<int>(mode)], book.string()},
                               false);
    const std::string& output = measurement.run.output;
    size_t line = output.rfind("result ");
    if (line == std::string::npos)
        return measurement;
    char status[16] = {};
    int filtersAt = 0;
    if (std::sscanf(output.c_str() + line, "result %15s %lf %lf %ld %llu%n", status, &measurement.prepareSeconds,
                    &measurement.buildSeconds, &measurement.events, &measurement.eBookBytes, &filtersAt) == 5) {
        measurement.ok = std::string(status) == "OK" && measurement.run.exitCode == 0;
        std::string rest = output.substr(line + static_cast<size_t>(filtersAt));
        measurement.filters = rest.substr(0, rest.find('\n'));
    }
    return measurement;
}

// The best of `runs` measurements: the fastest step, the smallest peak memory and
// processor time; failed when any run failed.
Measurement MeasureInChild(Mode mode, const fs::path& book, int runs) {
    Measurement best = MeasureOnce(mode, book);
    for (int run = 1; run < runs && best.ok; ++run) {
        Measurement next = MeasureOnce(mode, book);
        if (!next.ok)
            return next;
        if (next.prepareSeconds + next.buildSeconds < best.prepareSeconds + best.buildSeconds) {
            best.prepareSeconds = next.prepareSeconds;
            best.buildSeconds = next.buildSeconds;
            best.run.seconds = next.run.seconds;
        }
        best.run.cpuSeconds = std::min(best.run.cpuSeconds, next.run.cpuSeconds);
        best.run.peakMegabytes = std::min(best.run.peakMegabytes, next.run.peakMegabytes);
    }
    return best;
}

// The best of `runs` runs of a peer program (as for MeasureInChild).
ChildRun RunPeer(const std::vector<std::string>& arguments, int runs) {
    ChildRun best = RunChild(arguments, true);
    for (int run = 1; run < runs && best.exitCode == 0; ++run) {
        ChildRun next = RunChild(arguments, true);
        if (next.exitCode != 0)
            return next;
        best.seconds = std::min(best.seconds, next.seconds);
        best.cpuSeconds = std::min(best.cpuSeconds, next.cpuSeconds);
        best.peakMegabytes = std::min(best.peakMegabytes, next.peakMegabytes);
    }
    return best;
}

void PrintRow(const char* step, double seconds, const ChildRun& run, const char* note) {
    std::printf("%-40s %9.3f %9.2f %10.1f  %s\n", step, seconds, run.cpuSeconds, run.peakMegabytes, note);
}

// The measurements of one book, each the best of its runs.
struct BookMeasurements {
    size_t pages = 0;  // the book's chapter pages
    Measurement baseline, prepare, compiler, whole, oneThread;

    double WholeSeconds() const { return whole.prepareSeconds + whole.buildSeconds; }
    bool Ok() const { return baseline.ok && prepare.ok && compiler.ok && whole.ok && oneThread.ok; }
};

BookMeasurements MeasureSteps(const fs::path& book, int runs) {
    BookMeasurements steps;
    const std::vector<fs::path> spine = BookSpine(book);
    steps.pages = static_cast<size_t>(std::count_if(spine.begin(), spine.end(), [](const fs::path& page) {
        return page.filename().string().rfind("chapter", 0) == 0;
    }));
    steps.baseline = MeasureInChild(Mode::Baseline, book, runs);
    steps.prepare = MeasureInChild(Mode::Prepare, book, runs);
    steps.compiler = MeasureInChild(Mode::Compiler, book, runs);
    steps.whole = MeasureInChild(Mode::Whole, book, runs);
    setenv("LEAF_FILTER_WORKERS", "1", 1);
    steps.oneThread = MeasureInChild(Mode::Whole, book, runs);
    unsetenv("LEAF_FILTER_WORKERS");
    return steps;
}

void PrintSteps(const fs::path& book, const BookMeasurements& steps, int runs) {
    std::printf("book: %s (%zu spine files, %zu chapter pages); filters:%s; best of %d runs\n", book.c_str(),
                BookSpine(book).size(), steps.pages, steps.whole.filters.c_str(), runs);
    std::printf("%-40s %9s %9s %10s\n", "measurement (one process each)", "seconds", "cpu s", "peak MB");
    PrintRow("control and book loaded (baseline)", steps.baseline.run.seconds, steps.baseline.run,
             steps.baseline.ok ? "" : "(failed)");
    PrintRow("PrepareEBook", steps.prepare.prepareSeconds, steps.prepare.run, steps.prepare.ok ? "" : "(failed)");
    PrintRow("BuildEBook up to the compiler step", steps.compiler.buildSeconds, steps.compiler.run,
             steps.compiler.ok ? "(peak and cpu include PrepareEBook)" : "(failed)");
    PrintRow("whole build: BuildEBook to the e-book", steps.whole.buildSeconds, steps.whole.run,
             steps.whole.ok ? "(peak and cpu include PrepareEBook)" : "(failed)");
    std::printf("%-40s %9.3f %9s %10s  e-book %.1f MB, %ld progress events\n", "whole build: PrepareEBook + BuildEBook",
                steps.WholeSeconds(), "", "", static_cast<double>(steps.whole.eBookBytes) / (1024.0 * 1024.0),
                steps.whole.events);
    std::printf("%-40s %9.3f %9.2f %10.1f  %s\n", "whole build, filter calls on one thread",
                steps.oneThread.prepareSeconds + steps.oneThread.buildSeconds, steps.oneThread.run.cpuSeconds,
                steps.oneThread.run.peakMegabytes, steps.oneThread.ok ? "(LEAF_FILTER_WORKERS=1)" : "(failed)");
}

// The whole build's time per page may grow by at most this factor from the smaller book to
// the larger one for the time to count as linear in the book's size.
constexpr double kLinearTolerance = 1.25;
// The whole build's peak memory may grow by at most this factor from the smaller book to the
// larger one (whose pages and items are of the same sizes) for it to count as bounded by the
// largest item rather than growing with the book.
constexpr double kMemoryBound = 2.0;

void PrintScaling(const BookMeasurements& smaller, const BookMeasurements& larger) {
    if (!smaller.whole.ok || !larger.whole.ok || smaller.pages == 0 || larger.pages == 0 ||
        smaller.WholeSeconds() <= 0 || smaller.whole.run.peakMegabytes <= 0) {
        std::printf("scaling: not measured (a whole build failed)\n");
        return;
    }
    const double pagesRatio = static_cast<double>(larger.pages) / static_cast<double>(smaller.pages);
    const double smallerPerPage = smaller.WholeSeconds() / static_cast<double>(smaller.pages);
    const double largerPerPage = larger.WholeSeconds() / static_cast<double>(larger.pages);
    const double timeRatio = largerPerPage / smallerPerPage;
    std::printf("scaling: whole build per page %.2f ms at %zu pages, %.2f ms at %zu pages: ratio %.2f "
                "(linear: at most %.2f: %s)\n",
                1000 * largerPerPage, larger.pages, 1000 * smallerPerPage, smaller.pages, timeRatio, kLinearTolerance,
                timeRatio <= kLinearTolerance ? "met" : "not met");
    const double memoryRatio = larger.whole.run.peakMegabytes / smaller.whole.run.peakMegabytes;
    std::printf("scaling: whole build peak memory %.1f MB at %zu pages, %.1f MB at %zu pages: ratio %.2f for %.0f times "
                "the pages (bounded by the largest item: at most %.1f: %s)\n",
                larger.whole.run.peakMegabytes, larger.pages, smaller.whole.run.peakMegabytes, smaller.pages,
                memoryRatio, pagesRatio, kMemoryBound, memoryRatio <= kMemoryBound ? "met" : "not met");
}

// Converts the book with the peers that are installed and prints their figures beside the
// whole build's and the ratios against the goals; 1 when no scratch folder could be made.
int MeasurePeers(const fs::path& book, const BookMeasurements& steps, int runs) {
    const Measurement& whole = steps.whole;
    const double wholeSeconds = steps.WholeSeconds();

    char workTemplate[] = "/tmp/bench-build-peers-XXXXXX";
    if (!mkdtemp(workTemplate))
        return 1;
    const fs::path work = workTemplate;
    struct Peer {
        const char* name;
        ChildRun run;
        bool measured = false;
    };
    Peer calibre{"ebook-convert (calibre)", {}, false};
    Peer pandoc{"pandoc", {}, false};
    if (std::string program = FindOnPath("ebook-convert"); !program.empty()) {
        calibre.run = RunPeer({program, (book / "toc.html").string(), (work / "calibre.epub").string()}, runs);
        calibre.measured = calibre.run.exitCode == 0;
    } else {
        std::printf("note: ebook-convert (Debian package calibre) is not installed\n");
    }
    if (std::string program = FindOnPath("pandoc"); !program.empty()) {
        // Pandoc follows no links: it is given the pages in reading order, entry page first.
        std::vector<std::string> arguments = {program, "-f", "html", "-t", "epub", "-o", (work / "pandoc.epub").string()};
        for (const fs::path& page : BookSpine(book))
            if (page.extension() == ".html")
                arguments.push_back(page.string());
        pandoc.run = RunPeer(arguments, 1);
        pandoc.measured = pandoc.run.exitCode == 0;
    } else {
        std::printf("note: pandoc is not installed\n");
    }
    std::error_code ignored;
    fs::remove_all(work, ignored);

    for (const Peer* peer : {&calibre, &pandoc})
        if (peer->measured)
            PrintRow(peer->name, peer->run.seconds, peer->run, "(to EPUB)");
        else if (peer->run.started)
            std::printf("%-40s failed (exit code %d)\n", peer->name, peer->run.exitCode);
    if (calibre.measured && whole.ok && wholeSeconds > 0) {
        const double ratio = calibre.run.seconds / wholeSeconds;
        std::printf("ratio: calibre takes %.1f times as long as the whole build (goal: at least 30: %s)\n", ratio,
                    ratio >= 30 ? "met" : "not met");
    }
    if (calibre.measured && whole.ok && calibre.run.peakMegabytes > 0) {
        const double share = whole.run.peakMegabytes / calibre.run.peakMegabytes;
        std::printf("ratio: the whole build's peak memory is %.3f of calibre's (goal: under 0.05: %s)\n", share,
                    share < 0.05 ? "met" : "not met");
    }
    if (pandoc.measured && whole.ok && wholeSeconds > 0)
        std::printf("ratio: pandoc takes %.1f times as long as the whole build\n", pandoc.run.seconds / wholeSeconds);
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    std::vector<std::string> arguments(argv + 1, argv + argc);
    if (arguments.size() == 3 && arguments[0] == "--measure") {
        const std::string& name = arguments[1];
        Mode mode = name == "baseline" ? Mode::Baseline
                    : name == "prepare" ? Mode::Prepare
                    : name == "compiler" ? Mode::Compiler
                                         : Mode::Whole;
        char scratchTemplate[] = "/tmp/bench-build-XXXXXX";
        if (!mkdtemp(scratchTemplate)) {
            std::perror("mkdtemp");
            return 1;
        }
        const fs::path scratch = scratchTemplate;
        int status = Measure(mode, fs::absolute(arguments[2]), scratch);
        std::error_code ignored;
        fs::remove_all(scratch, ignored);
        return status;
    }
    bool peers = false;
    int runs = 3;
    int largerRuns = 1;
    std::string larger;
    while (arguments.size() > 1) {
        if (arguments[0] == "--peers") {
            peers = true;
            arguments.erase(arguments.begin());
        } else if (arguments[0] == "--runs" && arguments.size() > 2) {
            runs = std::max(1, std::atoi(arguments[1].c_str()));
            arguments.erase(arguments.begin(), arguments.begin() + 2);
        } else if (arguments[0] == "--larger" && arguments.size() > 2) {
            larger = arguments[1];
            arguments.erase(arguments.begin(), arguments.begin() + 2);
        } else if (arguments[0] == "--larger-runs" && arguments.size() > 2) {
            largerRuns = std::max(1, std::atoi(arguments[1].c_str()));
            arguments.erase(arguments.begin(), arguments.begin() + 2);
        } else {
            break;
        }
    }
    if (arguments.size() != 1) {
        std::fprintf(stderr, "usage: bench-build [--peers] [--runs N] [--larger LARGER_BOOK_DIR [--larger-runs M]] "
                             "BOOK_DIR\n");
        return 2;
    }
    // The larger book first, then the book and its peers, then the two compared.
    std::optional<BookMeasurements> largerSteps;
    if (!larger.empty()) {
        const fs::path largerBook = fs::absolute(larger);
        largerSteps = MeasureSteps(largerBook, largerRuns);
        PrintSteps(largerBook, *largerSteps, largerRuns);
        std::printf("\n");
    }
    const fs::path book = fs::absolute(arguments[0]);
    const BookMeasurements steps = MeasureSteps(book, runs);
    PrintSteps(book, steps, runs);
    int status = steps.Ok() ? 0 : 1;
    if (peers && MeasurePeers(book, steps, runs) != 0)
        status = 1;
    if (largerSteps) {
        PrintScaling(steps, *largerSteps);
        if (!largerSteps->Ok())
            status = 1;
    }
    return status;
}
