#include "tools/build-book/BuildEventSink.h"

#include <vector>

#include "platform/com/Variant.h"
#include "sdk/LeafcraftSDK.h"

namespace {

// The stage a progress event's step number names.
const char* StageName(LONG step) {
    switch (step) {
    case 1:
        return "preparing";
    case 2:
        return "converting";
    case 3:
        return "compiling";
    default:
        return "working";
    }
}

const char* MessageKind(LONG type) {
    switch (type) {
    case 0:
        return "error";
    case 1:
        return "warning";
    default:
        return "message";
    }
}

}  // namespace

HRESULT CBuildEventSink::GetTypeInfoCount(UINT* count) {
    if (count == nullptr)
        return E_POINTER;
    *count = 0;
    return S_OK;
}

HRESULT CBuildEventSink::Invoke(DISPID dispid, REFIID, LCID, WORD, DISPPARAMS* params, VARIANT* result,
                                EXCEPINFO*, UINT*) {
    if (result != nullptr)
        VariantInit(result);
    // The arguments arrive last first; take them in their natural order.
    std::vector<leaf::Variant> arguments;
    if (params != nullptr)
        for (UINT i = params->cArgs; i > 0; --i)
            arguments.emplace_back(params->rgvarg[i - 1]);

    if (dispid == sdkeventid::OnUpdateProgress && arguments.size() == 3)
        OnUpdateProgress(arguments[0].ToLong(), arguments[1].ToLong(), arguments[2].ToUtf8());
    else if ((dispid == sdkeventid::OnLITGenMessage || dispid == sdkeventid::OnSDKMessage) && arguments.size() == 5)
        OnMessage(dispid == sdkeventid::OnLITGenMessage, arguments[0].ToLong(),
                  arguments[1].ToLong(), arguments[2].ToUtf8(), arguments[3].ToUtf8(), arguments[4].ToLong());
    // Events of other shapes are not this client's business; they are accepted unseen.
    return S_OK;
}

void CBuildEventSink::OnUpdateProgress(LONG percent, LONG step, const std::string& details) {
    // A stage fires many percentages for one item: one line per item and stage.
    if (step == m_lastStep && details == m_lastDetails)
        return;
    m_lastStep = step;
    m_lastDetails = details;
    if (details.empty())
        std::fprintf(m_out, "[%3d%%] %s\n", static_cast<int>(percent), StageName(step));
    else
        std::fprintf(m_out, "[%3d%%] %s %s\n", static_cast<int>(percent), StageName(step), details.c_str());
    std::fflush(m_out);
}

void CBuildEventSink::OnMessage(bool fromCompiler, LONG type, LONG code, const std::string& text,
                                const std::string& filePath, LONG line) {
    if (fromCompiler && IsIgnoredCompilerMessage(code))
        return;
    std::fprintf(m_out, "%s %s %d: %s", fromCompiler ? "compiler" : "control", MessageKind(type),
                 static_cast<int>(code), text.c_str());
    if (!filePath.empty()) {
        if (line >= 1)
            std::fprintf(m_out, " (%s, line %d)", filePath.c_str(), static_cast<int>(line));
        else
            std::fprintf(m_out, " (%s)", filePath.c_str());
    }
    std::fputc('\n', m_out);
    std::fflush(m_out);
}
