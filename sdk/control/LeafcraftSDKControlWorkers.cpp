// CLeafcraftSDKControl: filter calls run ahead on worker threads (preparing and
// converting the book's files) and replayed on the client's thread, so that a run uses
// the machine's processors while its events, results and errors stay those of a run
// that calls each filter in turn.

#include <algorithm>

#include "platform/base/TextEncoding.h"
#include "platform/com/ComRuntime.h"
#include "platform/registry/RegistryKey.h"
#include "sdk/control/LeafcraftSDKControl.h"

namespace {

// True for a class registered with the threading model "Both" or "Free": its objects
// may be called on threads of their own. A filter registered so also gives the same
// result whichever of its objects makes a call; one that keeps what an earlier call
// found for a later one (as "Apartment" filters may) keeps every call on the client's
// thread, with the control's one object.
bool AllowsObjectsOnAnyThread(REFCLSID clsid) {
    leaf::RegistryKey server =
        leaf::RegistryKey::Open(HKEY_CLASSES_ROOT, "CLSID\\" + leaf::GuidToString(clsid) + "\\InprocServer32");
    if (!server.IsOpen())
        return false;
    const std::string model = leaf::ToLowerAscii(server.ReadString("ThreadingModel").value_or(std::string()));
    return model == "both" || model == "free";
}

}  // namespace

std::unique_ptr<CFilterWorkerPool> CLeafcraftSDKControl::StartFilterWorkers(const std::vector<std::string>& progIds,
                                                                            std::vector<int>& slots,
                                                                            size_t callsAheadPerWorker) {
    slots.assign(progIds.size(), -1);
    const size_t workers = CFilterWorkerPool::WorkerCount();
    if (workers < 2)
        return nullptr;
    // Every worker's objects are made here, on the client's thread: the object runtime
    // loads modules for whoever asks first.
    std::vector<std::vector<leaf::ComPtr<IInputFilter>>> filters(workers);
    int slotCount = 0;
    for (size_t i = 0; i < progIds.size(); ++i) {
        auto known = m_filterClasses.find(progIds[i]);
        if (known == m_filterClasses.end() || !AllowsObjectsOnAnyThread(known->second))
            continue;
        std::vector<leaf::ComPtr<IInputFilter>> objects;
        for (size_t worker = 0; worker < workers; ++worker) {
            leaf::ComPtr<IInputFilter> object;
            if (FAILED(CoCreateInstance(known->second, nullptr, CLSCTX_INPROC_SERVER, IID_IInputFilter,
                                        object.ReceiveVoid())) ||
                !object || FAILED(object->Initialize()))
                break;
            objects.push_back(std::move(object));
        }
        if (objects.size() != workers)
            continue;  // this filter's calls stay on the client's thread
        for (size_t worker = 0; worker < workers; ++worker)
            filters[worker].push_back(std::move(objects[worker]));
        slots[i] = slotCount++;
    }
    if (slotCount == 0)
        return nullptr;
    return std::make_unique<CFilterWorkerPool>(std::move(filters),
                                               leaf::Utf8ToUtf16(m_sourceFolder.str()),
                                               workers * callsAheadPerWorker);
}

HRESULT CLeafcraftSDKControl::RunFilterCall(IInputFilter& filter, std::unique_ptr<CFilterWorkerPool::Outcome> ahead,
                                            const std::string& identity, const CFilterWorkerPool::Call& call,
                                            const std::function<void()>& undo) {
    if (ahead && ahead->identity == identity)
        return ahead->recording->Replay(*m_host, ahead->result,
                                        [&](IFilterHost& host) { return call(filter, host); }, undo);
    return call(filter, *m_host);
}
