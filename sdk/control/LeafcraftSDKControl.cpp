#include "sdk/control/LeafcraftSDKControl.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <new>

#include "platform/base/File.h"
#include "sdk/LeafcraftSDK.h"
#include "sdk/control/LeafcraftTypeLib.h"
#include "sdk/control/MessagePump.h"
#include "sdk/control/SDKControlModule.h"
#include "sdk/control/StringCollection.h"

// ---------------------------------------------------------------- construction

CLeafcraftSDKControl::CLeafcraftSDKControl() {
    m_ignoredSchemes = {"http:", "https:", "mailto:"};
    AddConnectionPoint(DIID__DLeafcraftSDKEvents);
    // Without a host object the control cannot run; Initialize reports it.
    m_host.reset(new (std::nothrow) CFilterHost(*this));
}

CLeafcraftSDKControl::~CLeafcraftSDKControl() {
    ResetState(TRUE);
    m_host.reset();
    RemoveQueuedWorkFolders();
}

void CLeafcraftSDKControl::RemoveQueuedWorkFolders() {
    std::vector<CString> folders = std::move(m_workFoldersToDelete);
    m_workFoldersToDelete.clear();
    if (CSDKControlModule::Instance().GetProfileInt("AutoDelete", 1) == 0)
        return;
    for (const CString& folder : folders)
        leaf::DeleteTree(folder.str());
}

HRESULT CLeafcraftSDKControl::CreateTypeInfo(ITypeInfo** typeInfo) {
    // The registered library first, as a client reading the registry sees it.
    leaf::ComPtr<ITypeLib> library;
    if (SUCCEEDED(LoadRegTypeLib(LIBID_LeafcraftTypeLib, kLeafcraftTypeLibMajor, kLeafcraftTypeLibMinor, 0,
                                 library.Receive())) &&
        library && SUCCEEDED(library->GetTypeInfoOfGuid(DIID__DLeafcraftSDK, typeInfo)))
        return S_OK;
    return leaf::CreateTypeInfoFromDescription(LeafcraftSDKInterface(), typeInfo);
}

// ---------------------------------------------------------------- dispatch table

const leaf::DispatchTable<CLeafcraftSDKControl>& CLeafcraftSDKControl::GetDispatchTable() {
    using leaf::MemberKind;
    using C = CLeafcraftSDKControl;
    static const leaf::DispatchTable<C> table(
        LeafcraftSDKInterface(),
        {
            {sdkdispid::Initialize, MemberKind::Method, &C::DispInitialize},
            {sdkdispid::GetErrorCode, MemberKind::Method, &C::DispGetErrorCode},
            {sdkdispid::GetErrorDetails, MemberKind::Method, &C::DispGetErrorDetails},
            {sdkdispid::GetBrowseFilter, MemberKind::Method, &C::DispGetBrowseFilter},
            {sdkdispid::ValidateSourceFile, MemberKind::Method, &C::DispValidateSourceFile},
            {sdkdispid::AddSourceFile, MemberKind::Method, &C::DispAddSourceFile},
            {sdkdispid::AddMetaData, MemberKind::Method, &C::DispAddMetaData},
            {sdkdispid::AddGuideItem, MemberKind::Method, &C::DispAddGuideItem},
            {sdkdispid::ImportPackageFile, MemberKind::Method, &C::DispImportPackageFile},
            {sdkdispid::CreateTourFromTOC, MemberKind::Method, &C::DispCreateTourFromTOC},
            {sdkdispid::PrepareEBook, MemberKind::Method, &C::DispPrepareEBook},
            {sdkdispid::GetMissingFiles, MemberKind::Method, &C::DispGetMissingFiles},
            {sdkdispid::GetExternalFiles, MemberKind::Method, &C::DispGetExternalFiles},
            {sdkdispid::BuildEBook, MemberKind::Method, &C::DispBuildEBook},
            {sdkdispid::AbortBuild, MemberKind::Method, &C::DispAbortBuild},
            {sdkdispid::IsFontEmbeddingAvailable, MemberKind::Method, &C::DispIsFontEmbeddingAvailable},
            {sdkdispid::AddTour, MemberKind::Method, &C::DispAddTour},
            {sdkdispid::AddTourSite, MemberKind::Method, &C::DispAddTourSite},
        });
    return table;
}

namespace {

leaf::Variant Boolean(BOOL value) { return leaf::Variant(value != FALSE); }

}  // namespace

leaf::Variant CLeafcraftSDKControl::DispInitialize(const leaf::DispatchArguments&) {
    return Guarded(Boolean(FALSE), [&] { return Boolean(Initialize()); });
}

leaf::Variant CLeafcraftSDKControl::DispGetErrorCode(const leaf::DispatchArguments&) {
    return leaf::Variant(GetErrorCode());
}

leaf::Variant CLeafcraftSDKControl::DispGetErrorDetails(const leaf::DispatchArguments&) {
    return leaf::Variant(std::string_view(m_errorDetails.str()));
}

leaf::Variant CLeafcraftSDKControl::DispGetBrowseFilter(const leaf::DispatchArguments&) {
    return Guarded(leaf::Variant::NullBstr(), [&] {
        ClearError();
        if (!m_initialised) {
            SetError(LCERR_UNINITIALIZED);
            return leaf::Variant::NullBstr();
        }
        return leaf::Variant(std::string_view(m_browseFilter.str()));
    });
}

leaf::Variant CLeafcraftSDKControl::DispValidateSourceFile(const leaf::DispatchArguments& arguments) {
    return Guarded(Boolean(FALSE), [&] { return Boolean(ValidateSourceFile(arguments.Bstr(0))); });
}

leaf::Variant CLeafcraftSDKControl::DispAddSourceFile(const leaf::DispatchArguments& arguments) {
    return Guarded(Boolean(FALSE), [&] { return Boolean(AddSourceFile(arguments.Bstr(0), arguments.Long(1))); });
}

leaf::Variant CLeafcraftSDKControl::DispAddMetaData(const leaf::DispatchArguments& arguments) {
    return Guarded(Boolean(FALSE), [&] {
        return Boolean(AddMetaData(arguments.Bstr(0), arguments.Bstr(1), arguments.Bstr(2), arguments.Long(3)));
    });
}

leaf::Variant CLeafcraftSDKControl::DispAddGuideItem(const leaf::DispatchArguments& arguments) {
    return Guarded(Boolean(FALSE),
                   [&] { return Boolean(AddGuideItem(arguments.Bstr(0), arguments.Bstr(1), arguments.Bstr(2))); });
}

leaf::Variant CLeafcraftSDKControl::DispImportPackageFile(const leaf::DispatchArguments& arguments) {
    return Guarded(Boolean(FALSE), [&] { return Boolean(ImportPackageFile(arguments.Bstr(0))); });
}

leaf::Variant CLeafcraftSDKControl::DispPrepareEBook(const leaf::DispatchArguments&) {
    return Guarded(Boolean(FALSE), [&] { return Boolean(PrepareEBook()); });
}

leaf::Variant CLeafcraftSDKControl::DispGetMissingFiles(const leaf::DispatchArguments&) {
    return Guarded(leaf::Variant(static_cast<IDispatch*>(nullptr)), [&] {
        ClearError();
        if (!m_initialised) {
            SetError(LCERR_UNINITIALIZED);
            return leaf::Variant(static_cast<IDispatch*>(nullptr));
        }
        return MakeStringCollection(m_missingFiles);
    });
}

leaf::Variant CLeafcraftSDKControl::DispGetExternalFiles(const leaf::DispatchArguments&) {
    return Guarded(leaf::Variant(static_cast<IDispatch*>(nullptr)), [&] {
        ClearError();
        if (!m_initialised) {
            SetError(LCERR_UNINITIALIZED);
            return leaf::Variant(static_cast<IDispatch*>(nullptr));
        }
        return MakeStringCollection(m_externalFiles);
    });
}

leaf::Variant CLeafcraftSDKControl::DispBuildEBook(const leaf::DispatchArguments& arguments) {
    return Guarded(Boolean(FALSE), [&] {
        return Boolean(BuildEBook(arguments.Bstr(0), arguments.Bstr(1), arguments[2], arguments[3]));
    });
}

leaf::Variant CLeafcraftSDKControl::DispAbortBuild(const leaf::DispatchArguments&) {
    return Guarded(Boolean(FALSE), [&] { return Boolean(AbortBuild()); });
}

leaf::Variant CLeafcraftSDKControl::DispIsFontEmbeddingAvailable(const leaf::DispatchArguments&) {
    return Boolean(IsFontEmbeddingAvailable());
}

leaf::Variant CLeafcraftSDKControl::DispAddTour(const leaf::DispatchArguments& arguments) {
    return Guarded(leaf::Variant(LONG(0)), [&] { return leaf::Variant(AddTour(arguments.Bstr(0), arguments.Bstr(1))); });
}

leaf::Variant CLeafcraftSDKControl::DispAddTourSite(const leaf::DispatchArguments& arguments) {
    return Guarded(Boolean(FALSE), [&] {
        return Boolean(AddTourSite(arguments.Long(0), arguments.Bstr(1), arguments.Bstr(2)));
    });
}

leaf::Variant CLeafcraftSDKControl::Guarded(leaf::Variant failed, const std::function<leaf::Variant()>& method) {
    try {
        return method();
    } catch (...) {
        SetError(LCERR_UNEXPECTED);
        return failed;
    }
}

leaf::Variant CLeafcraftSDKControl::MakeStringCollection(const std::vector<CString>& strings) {
    leaf::ComPtr<IDispatch> collection = CStringCollection::SetStrings(strings);
    return leaf::Variant(collection.Get());
}

// ---------------------------------------------------------------- error convention and state

void CLeafcraftSDKControl::ClearError() {
    m_errorCode = LCERR_NONE;
    m_errorDetails.Empty();
    m_compilerErrorText.Empty();
}

void CLeafcraftSDKControl::SetError(LONG code) {
    m_errorCode = code;
    if (!m_compilerErrorText.IsEmpty())
        m_errorDetails = m_compilerErrorText;
}

void CLeafcraftSDKControl::SetError(LONG code, const CString& details) {
    m_errorDetails = details;
    SetError(code);
}

void CLeafcraftSDKControl::ResetState(BOOL releaseFilters) {
    if (releaseFilters)
        ReleaseFilters();

    m_package.Clear();
    m_htmlGuideItems.clear();
    m_convertedWorkPaths.clear();
    m_outsideWorkPaths.clear();
    m_knownPaths.clear();
    m_sourceFolder.Empty();
    m_missingFiles.clear();
    m_externalFiles.clear();

    m_progressTotal = 0;
    m_progressDone = 0;
    m_progressStep = 0;
    m_progressDetail.Empty();
    m_currentFile.Empty();
    m_currentLine = 0;
    m_compilerCallback.StopDeferring();

    m_initialised = FALSE;
    m_preparing = FALSE;
    m_prepared = FALSE;
    m_building = FALSE;
    m_abortRequested = FALSE;
    ClearError();
}

BOOL CLeafcraftSDKControl::Initialize() {
    ClearError();
    if (!m_host) {
        SetError(LCERR_UNEXPECTED);
        return FALSE;
    }
    if (IsRunning()) {
        // A handler of the running preparation's events: the run uses the filters and
        // the package that initialising would free.
        SetError(LCERR_UNEXPECTED);
        return FALSE;
    }
    if (!m_initialised) {
        // What an earlier, failed Initialize loaded is released before loading again.
        ReleaseFilters();
        if (!LoadInputFilters() || !LoadExtensionMap()) {
            SetError(LCERR_NO_FILTERS);
            return FALSE;
        }
        BuildBrowseFilter();
    }
    ResetState(FALSE);
    m_initialised = TRUE;
    return TRUE;
}

BOOL CLeafcraftSDKControl::AbortBuild() {
    if (m_abortRequested)
        return TRUE;
    ClearError();
    if (!m_initialised) {
        SetError(LCERR_UNINITIALIZED);
        return FALSE;
    }
    if (IsRunning()) {
        m_abortRequested = TRUE;
        return TRUE;
    }
    SetError(LCERR_ILLEGAL);
    return FALSE;
}

// ---------------------------------------------------------------- events and progress

void CLeafcraftSDKControl::FireAndPump(DISPID dispid, const VARIANT* arguments, size_t count) {
    // A handler may release its last reference to the control; it lives until the
    // firing and the pump are done.
    leaf::ComPtr<CLeafcraftSDKControl> keepAlive(this);
    if (leaf::ConnectionPoint* point = GetConnectionPoint(DIID__DLeafcraftSDKEvents))
        point->Fire(dispid, arguments, count);
    PumpWaitingMessages();
}

void CLeafcraftSDKControl::FireAndPump(DISPID dispid, const std::vector<leaf::Variant>& arguments) {
    FireAndPump(dispid, arguments.data(), arguments.size());
}

void CLeafcraftSDKControl::FireUpdateProgress(LONG percent, LONG step, const CString& details) {
    // The details stay the same over many events: their text is made once for them all.
    // Each firing holds what it passes, so that an event fired from a handler cannot free
    // it under the sinks still to be called.
    if (!m_progressDetailsArgument || m_progressDetailsText != details) {
        m_progressDetailsArgument = std::make_shared<const leaf::Variant>(std::string_view(details.str()));
        m_progressDetailsText = details;
    }
    const std::shared_ptr<const leaf::Variant> detailsArgument = m_progressDetailsArgument;
    const leaf::Variant percentArgument(percent);
    const leaf::Variant stepArgument(step);
    const VARIANT arguments[] = {percentArgument, stepArgument, *detailsArgument};
    FireAndPump(sdkeventid::OnUpdateProgress, arguments, std::size(arguments));
}

void CLeafcraftSDKControl::FireLITGenMessage(LONG type, LONG code, const CString& text, const CString& filePath,
                                             LONG line) {
    FireAndPump(sdkeventid::OnLITGenMessage,
                {leaf::Variant(type), leaf::Variant(code), leaf::Variant(std::string_view(text.str())),
                 leaf::Variant(std::string_view(filePath.str())), leaf::Variant(line)});
}

HRESULT CLeafcraftSDKControl::StepProgress(LONG units) {
    m_progressDone += units;
    LONG percent = -1;
    if (m_progressTotal != 0)
        percent = static_cast<LONG>(
            std::llround(100.0 * static_cast<double>(m_progressDone) / static_cast<double>(m_progressTotal)));
    percent = std::clamp<LONG>(percent, 0, 100);
    FireUpdateProgress(percent, m_progressStep, m_progressDetail);
    return m_abortRequested ? E_ABORT : S_OK;
}
