#pragma once

// CLeafcraftSDKControl: the build control. An automation client creates it by ProgID,
// calls it through the dispatch interface _DLeafcraftSDK and receives its events through
// _DLeafcraftSDKEvents. Every method returns a BOOL (or an index or an object) and keeps
// an error code of enumErrorCodes with a details text that GetErrorCode and
// GetErrorDetails return; no build failure raises an automation exception.
//
// A run (PrepareEBook, BuildEBook) fires events, and every event pumps the client's
// messages, so a client's event handler may call back in. While a run is going on the
// control keeps a reference to itself and refuses the calls that would change or free
// what the run is using (Initialize, ImportPackageFile) with LCERR_UNEXPECTED.

#include <functional>
#include <map>
#include <memory>
#include <set>
#include <string>
#include <unordered_set>
#include <vector>

#include "common/InputFilter.h"
#include "platform/base/CString.h"
#include "platform/com/ConnectionPoint.h"
#include "platform/com/DispatchTable.h"
#include "sdk/compiler/CompilerCallback.h"  // compile step
#include "sdk/control/FilterHost.h"
#include "sdk/control/FilterWorkerPool.h"
#include "sdk/control/FontEmbedderClient.h"
#include "sdk/package/PackageFile.h"

class CLeafcraftSDKControl final
    : public leaf::DispatchImpl<CLeafcraftSDKControl, IDispatch, leaf::ConnectionPointContainerImpl> {
public:
    CLeafcraftSDKControl();
    ~CLeafcraftSDKControl() override;

    static const leaf::DispatchTable<CLeafcraftSDKControl>& GetDispatchTable();

    // ---- automation methods (typed) ----
    BOOL Initialize();
    LONG GetErrorCode() const { return m_errorCode; }
    CString GetErrorDetails() const { return m_errorDetails; }
    BOOL ValidateSourceFile(BSTR path);
    BOOL AddSourceFile(BSTR path, LONG flags);
    BOOL AddMetaData(BSTR name, BSTR attributes, BSTR value, LONG flags);
    BOOL AddGuideItem(BSTR title, BSTR type, BSTR href);
    BOOL ImportPackageFile(BSTR path);
    BOOL AbortBuild();
    BOOL IsFontEmbeddingAvailable() const { return m_fontEmbedder.IsAvailable(); }
    BOOL PrepareEBook();
    LONG AddTour(BSTR title, BSTR id);
    BOOL AddTourSite(LONG tourIndex, BSTR title, BSTR href);

    // ---- tour from the table of contents ----
    // Builds the chapter tour from the links of the guide's table-of-contents page.
    BOOL CreateTourFromTOC(LONG flags);
    // ---- end of tour from the table of contents ----

    // ---- build pipeline ----
    BOOL BuildEBook(BSTR eBookPath, BSTR source, const VARIANT& embedFonts, const VARIANT& client);
    // The compile step, defined in LeafcraftSDKControlCompile.cpp: hands the package file
    // that BuildEBook wrote into the work folder to the e-book compiler, which writes the
    // e-book file. FALSE with the error set when it fails.
    BOOL CompileEBook(const CString& packagePath, const CString& eBookPath);
    // What the compile step reads besides its arguments, set by BuildEBook before it runs:
    // the work folder (no trailing '/'), the title's source text (never empty), and the
    // work paths of the items: outside items (file path -> work path relative to the work
    // folder, such as "external/logo.gif") and converted or renamed items (file path, also
    // relative to the source folder -> work path, full and relative to the work folder).
    // Each file is entered under its own spelling and, unless another file is spelt so,
    // under its path lower-cased, the fallback for a link that names no existing file.
    const CString& GetBuildWorkFolder() const { return m_buildWorkFolder; }
    const CString& GetBuildSource() const { return m_buildSource; }
    const std::map<std::string, std::string>& GetOutsideWorkPaths() const { return m_outsideWorkPaths; }
    const std::map<std::string, std::string>& GetConvertedWorkPaths() const { return m_convertedWorkPaths; }
    // ---- end of build pipeline ----

    // ---- what the host object and the run stages use ----
    void SetErrorDetailsText(const CString& text) { m_errorDetails = text; }
    const CString& GetSourceFolder() const { return m_sourceFolder; }
    BOOL IsAbortRequested() const { return m_abortRequested; }
    // Adds a file that a filter found (mapped: the name inside the package, empty for
    // the file's own path); nothing when the name is already known.
    void AddDependencyItem(const CString& path, const CString& mappedPath);
    // Adds a file already in the work folder; FALSE when its path is known.
    BOOL AddOutputItem(const CString& path);
    // Advances the done units and fires the progress; E_ABORT when an abort is requested.
    HRESULT StepProgress(LONG units);
    void FireUpdateProgress(LONG percent, LONG step, const CString& details);
    // Fires OnLITGenMessage as given (no filtering).
    void FireLITGenMessage(LONG type, LONG code, const CString& text, const CString& filePath, LONG line);
    IFilterHost* GetHost() { return m_host.get(); }

    // The font step of a build over the work folder (see RunFontStep's definition).
    enum class FontStepResult { Continue, Cancelled, Failed };
    FontStepResult RunFontStep(const CString& workFolder, IDispatch* client);

    // The client object of BuildEBook's vpISDKClient argument: an IDispatch only when the
    // argument is VT_DISPATCH with a non-null pointer.
    static IDispatch* ClientFromVariant(const VARIANT& value);

private:
    // ---- dispatch handlers ----
    leaf::Variant DispInitialize(const leaf::DispatchArguments&);
    leaf::Variant DispGetErrorCode(const leaf::DispatchArguments&);
    leaf::Variant DispGetErrorDetails(const leaf::DispatchArguments&);
    leaf::Variant DispGetBrowseFilter(const leaf::DispatchArguments&);
    leaf::Variant DispValidateSourceFile(const leaf::DispatchArguments&);
    leaf::Variant DispAddSourceFile(const leaf::DispatchArguments&);
    leaf::Variant DispAddMetaData(const leaf::DispatchArguments&);
    leaf::Variant DispAddGuideItem(const leaf::DispatchArguments&);
    leaf::Variant DispImportPackageFile(const leaf::DispatchArguments&);
    leaf::Variant DispCreateTourFromTOC(const leaf::DispatchArguments&);
    leaf::Variant DispPrepareEBook(const leaf::DispatchArguments&);
    leaf::Variant DispGetMissingFiles(const leaf::DispatchArguments&);
    leaf::Variant DispGetExternalFiles(const leaf::DispatchArguments&);
    leaf::Variant DispBuildEBook(const leaf::DispatchArguments&);
    leaf::Variant DispAbortBuild(const leaf::DispatchArguments&);
    leaf::Variant DispIsFontEmbeddingAvailable(const leaf::DispatchArguments&);
    leaf::Variant DispAddTour(const leaf::DispatchArguments&);
    leaf::Variant DispAddTourSite(const leaf::DispatchArguments&);

    HRESULT CreateTypeInfo(ITypeInfo** typeInfo) override;
    // Runs a method so that a build failure never becomes an automation exception: an
    // exception inside is kept as LCERR_UNEXPECTED and `failed` is answered.
    leaf::Variant Guarded(leaf::Variant failed, const std::function<leaf::Variant()>& method);

    // ---- error convention ----
    void ClearError();
    // Stores the code; a given text replaces the details; the compiler's first error
    // text, when there is one, wins over both.
    void SetError(LONG code);
    void SetError(LONG code, const CString& details);
    BOOL IsRunning() const { return m_preparing || m_building; }
    void ResetState(BOOL releaseFilters);
    void ReleaseFilters();
    leaf::Variant MakeStringCollection(const std::vector<CString>& strings);
    void RemoveQueuedWorkFolders();

    // ---- filters ----
    BOOL LoadInputFilters();
    BOOL LoadExtensionMap();
    void BuildBrowseFilter();
    LONG FindFilterForFile(const CString& path, IInputFilter** filter) const;
    // The error details that go with a FindFilterForFile code: for a type that no filter
    // takes, a sentence that says so and names the file; else the path.
    CString FilterErrorDetails(LONG code, const CString& path) const;
    // The lower-cased ProgID of the filter FindFilterForFile finds; empty when none.
    std::string FindFilterProgId(const CString& path) const;

    // ---- filter calls on worker threads (LeafcraftSDKControlWorkers.cpp) ----
    // A pool whose workers each have objects of their own of the filters named (by
    // lower-cased ProgID, made from the classes the filters were loaded from);
    // `slots[i]` is filter i's place in the pool's lists, or -1 when it cannot have
    // worker objects (the built-in style-sheet filter). Each worker runs at most
    // `callsAheadPerWorker` calls ahead of the one the client's thread takes. Null when the
    // machine or the filters give no pool.
    std::unique_ptr<CFilterWorkerPool> StartFilterWorkers(const std::vector<std::string>& progIds,
                                                          std::vector<int>& slots, size_t callsAheadPerWorker);
    // Runs a filter call on the client's thread: from what a worker recorded for the
    // same identity when there is such a recording, else by calling the filter. `undo`
    // takes back what the worker's call left behind when the call must run again.
    HRESULT RunFilterCall(IInputFilter& filter, std::unique_ptr<CFilterWorkerPool::Outcome> ahead,
                          const std::string& identity, const CFilterWorkerPool::Call& call,
                          const std::function<void()>& undo = nullptr);

    // ---- items ----
    CString MakeItemId(const CString& path);
    BOOL RegisterItemName(const CString& name);
    BOOL RegisterItemId(const CString& id);
    int FindManifestItem(const CString& path) const;
    static void ResolveRelativePath(CString& path);
    // The file's spelling on disk when it exists (an exact or case-insensitive match);
    // empty when it does not.
    static CString FindExistingFile(const CString& path);

    // ---- preparation ----
    BOOL ScanDependencies();
    // `ahead`: what a worker recorded preparing a file, when one did (see RunFilterCall).
    BOOL ScanSourceFile(const CString& path, std::unique_ptr<CFilterWorkerPool::Outcome> ahead = nullptr);
    BOOL SortDependencies(std::vector<CString>& missing, std::vector<CString>& external);
    CString FindSourceFolder(BOOL spineOnly) const;
    BOOL IsSpineItem(int index) const;
    // TRUE for a path spelled below the source folder whose file really lies outside it,
    // reached through a symbolic link (of the file or of a folder on its way).
    BOOL LeavesSourceFolder(const CString& path) const;
    // Removes a manifest item and keeps the HTML guide pages' indexes right.
    void RemoveManifestItemAt(int index);
    BOOL CheckSpineFiles(std::vector<CString>& missing) const;
    static CString JoinLines(const std::vector<CString>& lines);

    // ---- events ----
    // Calls every connected sink, then pumps the client's messages.
    void FireAndPump(DISPID dispid, const VARIANT* arguments, size_t count);
    void FireAndPump(DISPID dispid, const std::vector<leaf::Variant>& arguments);

    // ---- members, in order of construction ----
    CFontEmbedderClient m_fontEmbedder;
    std::map<std::string, leaf::ComPtr<IInputFilter>> m_filters;  // lower-cased ProgID
    std::map<std::string, CLSID> m_filterClasses;                 // lower-cased ProgID -> its class
    std::map<std::string, std::string> m_extensions;              // lower-cased ".ext" -> ProgID
    CString m_browseFilter;
    CPackageFile m_package;
    std::map<std::string, int> m_htmlGuideItems;             // path::CaseKey of the path -> manifest index
    std::map<std::string, std::string> m_convertedWorkPaths;  // see GetConvertedWorkPaths
    std::unordered_set<std::string> m_knownPaths;            // path::CaseKey, '\' made '/'
    std::unordered_set<std::string>* m_namesThisScan = nullptr;  // dependency names met by the running scan
    std::unordered_set<std::string> m_knownIds;              // lower-cased; lives with the control
    CString m_sourceFolder;
    std::vector<CString> m_missingFiles;
    std::vector<CString> m_externalFiles;
    LONGLONG m_progressTotal = 0;  // 64 bits: byte counts of copied files add up
    LONGLONG m_progressDone = 0;
    LONG m_progressStep = 0;
    CString m_progressDetail;
    // The details argument of the last progress event, and its text.
    std::shared_ptr<const leaf::Variant> m_progressDetailsArgument;
    CString m_progressDetailsText;
    CString m_currentFile;
    LONG m_currentLine = 0;
    std::set<std::string> m_ignoredSchemes;
    std::vector<CString> m_workFoldersToDelete;
    std::unique_ptr<CFilterHost> m_host;

    BOOL m_initialised = FALSE;
    BOOL m_preparing = FALSE;
    BOOL m_prepared = FALSE;
    BOOL m_building = FALSE;
    BOOL m_abortRequested = FALSE;
    LONG m_errorCode = 0;
    CString m_errorDetails;
    CString m_compilerErrorText;

    // ---- build pipeline (LeafcraftSDKControlBuild.cpp, LeafcraftSDKControlPackage.cpp) ----
    friend class CCssFilterScope;
    CString MakeWorkFolderName(const CString& eBookPath, BOOL& friendly) const;
    BOOL IsSafeWorkFolder(const CString& folder, const CString& eBookPath) const;
    static BOOL FolderExists(const CString& path);
    static BOOL CreateWorkFolder(const CString& path);
    void DropOutputItems();
    void AssignWorkPaths(const CString& workFolder);
    void AssignMediaTypes(const CString& workFolder);
    std::vector<bool> ReadingOrderItems() const;
    BOOL ConvertSources();
    BOOL CopyFileWithProgress(const CString& source, const CString& destination);
    // Removes what a worker converting ahead wrote for an item (below the work folder).
    void RemoveAheadOutput(const CString& workPath) const;
    void RemoveWorkFolder(const CString& folder, BOOL queue);
    BOOL WritePackage(const CString& packagePath, const CString& workFolder);
    // The hrefs of the guide references and of the tours' sites. The package in memory
    // holds them as paths with an optional fragment, as clients give them; the package
    // file holds links (LinkToPath and PathToLink in common/LinkEscape.h turn one into the
    // other).
    std::vector<CString*> GuideAndTourHrefs();
    void AddVersionMetaData();
    CString m_buildWorkFolder;
    CString m_buildSource;
    CString m_buildEBookPath;
    std::map<std::string, std::string> m_outsideWorkPaths;  // see GetOutsideWorkPaths; emptied by every build
    // ---- end of build pipeline ----

    // ---- compile step (sdk/compiler) ----
    // Defined in LeafcraftSDKControlCompile.cpp. The compiler's call-back works on the
    // current file, current line and compiler error text above; ResetState stops its
    // deferring and drops its queue.
    friend class CControlCompileSite;
    // Applies the filter of compiler messages; a message that passes is fired as
    // OnLITGenMessage (with the pump).
    void FireCompilerMessage(LONG type, LONG code, const CString& text, const CString& filePath, LONG line);
    CCompilerCallback m_compilerCallback{
        m_currentFile, m_currentLine, m_compilerErrorText,
        [this](LONG type, LONG code, const CString& text, const CString& filePath, LONG line) {
            FireCompilerMessage(type, code, text, filePath, line);
        }};
    // ---- end of compile step ----
};
