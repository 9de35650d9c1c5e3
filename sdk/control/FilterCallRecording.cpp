#include "sdk/control/FilterCallRecording.h"

#include <optional>

#include "common/ReplayCursor.h"
#include "platform/com/Bstr.h"
#include "platform/com/ExceptionBarrier.h"

namespace {

using Call = CFilterCallRecording::Call;
using Kind = CFilterCallRecording::Kind;

const OLECHAR* TextOf(const std::u16string& text, bool present) { return present ? text.c_str() : nullptr; }

// The folder a host names, as text; empty when it names none.
HRESULT ReadSourceFolder(IFilterHost& host, std::u16string& folder) {
    BSTR text = nullptr;
    const HRESULT result = host.GetSourceFolder(&text);
    folder = text != nullptr ? std::u16string(text, SysStringLen(text)) : std::u16string();
    SysFreeString(text);
    return result;
}

// Makes one recorded call on a host; `folder` receives the folder a GetSourceFolder names.
HRESULT Perform(IFilterHost& host, const Call& call, std::u16string& folder) {
    switch (call.kind) {
    case Kind::ErrorDetails:
        return host.SetErrorDetails(TextOf(call.text, call.hasText));
    case Kind::Dependency:
        return host.AddDependency(TextOf(call.text, call.hasText), TextOf(call.secondText, call.hasSecondText));
    case Kind::SourceFolder:
        return ReadSourceFolder(host, folder);
    case Kind::Step:
        return host.StepProgress(call.values[0]);
    case Kind::Update:
        return host.UpdateProgress(call.values[0], call.values[1], TextOf(call.text, call.hasText));
    case Kind::OutputFile:
        return host.AddOutputFile(TextOf(call.text, call.hasText));
    case Kind::Message:
        return host.Message(call.values[0], call.values[1], call.values[2], TextOf(call.text, call.hasText),
                            TextOf(call.secondText, call.hasSecondText), call.values[3]);
    }
    return E_UNEXPECTED;
}

// The host of a filter call run again after a replayed call was answered otherwise: the
// calls before that one are answered as they were (they reached the control already),
// that one as the control answered it, and the later ones go to the control's host.
class CContinuingHost final : public IFilterHost {
public:
    CContinuingHost(const std::vector<Call>& calls, size_t divergedAt, HRESULT liveAnswer,
                    std::u16string liveFolder, IFilterHost& live)
        : m_calls(calls),
          m_cursor(calls, divergedAt, liveAnswer, [](const Call& call) { return call.result; }),
          m_liveFolder(std::move(liveFolder)),
          m_live(live) {}

    HRESULT QueryInterface(REFIID, void** object) override {
        if (object != nullptr)
            *object = nullptr;
        return E_NOTIMPL;
    }
    ULONG AddRef() override { return 0; }
    ULONG Release() override { return 0; }

    HRESULT SetErrorDetails(LPCOLESTR text) override {
        if (std::optional<HRESULT> answer = Answer(Kind::ErrorDetails))
            return *answer;
        return m_live.SetErrorDetails(text);
    }
    HRESULT AddDependency(LPCOLESTR path, LPCOLESTR mappedPath) override {
        if (std::optional<HRESULT> answer = Answer(Kind::Dependency))
            return *answer;
        return m_live.AddDependency(path, mappedPath);
    }
    HRESULT GetSourceFolder(BSTR* folder) override {
        if (folder == nullptr)
            return E_POINTER;
        const size_t index = m_cursor.Next();
        if (std::optional<HRESULT> answer = Answer(Kind::SourceFolder)) {
            const std::u16string& text = index == m_cursor.DivergedAt() ? m_liveFolder : m_calls[index].text;
            *folder = SysAllocStringLen(text.data(), static_cast<UINT>(text.size()));
            return *answer;
        }
        return m_live.GetSourceFolder(folder);
    }
    HRESULT StepProgress(LONG units) override {
        if (std::optional<HRESULT> answer = Answer(Kind::Step))
            return *answer;
        return m_live.StepProgress(units);
    }
    HRESULT UpdateProgress(LONG percent, LONG step, LPCOLESTR details) override {
        if (std::optional<HRESULT> answer = Answer(Kind::Update))
            return *answer;
        return m_live.UpdateProgress(percent, step, details);
    }
    HRESULT AddOutputFile(LPCOLESTR path) override {
        if (std::optional<HRESULT> answer = Answer(Kind::OutputFile))
            return *answer;
        return m_live.AddOutputFile(path);
    }
    HRESULT Message(LONG reserved, LONG type, LONG code, LPCOLESTR text, LPCOLESTR filePath, LONG line) override {
        if (std::optional<HRESULT> answer = Answer(Kind::Message))
            return *answer;
        return m_live.Message(reserved, type, code, text, filePath, line);
    }

private:
    std::optional<HRESULT> Answer(Kind kind) { return m_cursor.Answer(kind); }

    const std::vector<Call>& m_calls;
    CReplayCursor<Call> m_cursor;
    const std::u16string m_liveFolder;
    IFilterHost& m_live;
};

Call TextCall(Kind kind, LPCOLESTR text, LPCOLESTR secondText = nullptr) {
    Call call;
    call.kind = kind;
    if (text != nullptr) {
        call.text = text;
        call.hasText = true;
    }
    if (secondText != nullptr) {
        call.secondText = secondText;
        call.hasSecondText = true;
    }
    return call;
}

}  // namespace

HRESULT CFilterCallRecording::QueryInterface(REFIID, void** object) {
    if (object != nullptr)
        *object = nullptr;
    return E_NOTIMPL;
}

HRESULT CFilterCallRecording::Record(Call call) {
    const HRESULT result = call.result;
    m_calls.push_back(std::move(call));
    return result;
}

HRESULT CFilterCallRecording::SetErrorDetails(LPCOLESTR text) {
    return leaf::CallWithoutThrowing([&] { return Record(TextCall(Kind::ErrorDetails, text)); }, E_UNEXPECTED);
}

HRESULT CFilterCallRecording::AddDependency(LPCOLESTR path, LPCOLESTR mappedPath) {
    return leaf::CallWithoutThrowing([&] { return Record(TextCall(Kind::Dependency, path, mappedPath)); },
                                     E_UNEXPECTED);
}

HRESULT CFilterCallRecording::GetSourceFolder(BSTR* folder) {
    if (folder == nullptr)
        return E_POINTER;
    return leaf::CallWithoutThrowing([&] {
        Call call;
        call.kind = Kind::SourceFolder;
        call.text = m_sourceFolder;
        call.hasText = true;
        Record(std::move(call));
        *folder = SysAllocStringLen(m_sourceFolder.data(), static_cast<UINT>(m_sourceFolder.size()));
        return S_OK;
    }, E_UNEXPECTED);
}

HRESULT CFilterCallRecording::StepProgress(LONG units) {
    return leaf::CallWithoutThrowing([&] {
        Call call;
        call.kind = Kind::Step;
        call.values[0] = units;
        call.result = m_stop.load(std::memory_order_relaxed) ? E_ABORT : S_OK;
        return Record(std::move(call));
    }, E_UNEXPECTED);
}

HRESULT CFilterCallRecording::UpdateProgress(LONG percent, LONG step, LPCOLESTR details) {
    return leaf::CallWithoutThrowing([&] {
        Call call = TextCall(Kind::Update, details);
        call.values[0] = percent;
        call.values[1] = step;
        call.result = m_stop.load(std::memory_order_relaxed) ? E_ABORT : S_OK;
        return Record(std::move(call));
    }, E_UNEXPECTED);
}

HRESULT CFilterCallRecording::AddOutputFile(LPCOLESTR path) {
    return leaf::CallWithoutThrowing([&] {
        // The control takes any file with a name that it does not know yet.
        Call call = TextCall(Kind::OutputFile, path);
        call.result = call.text.empty() ? S_FALSE : S_OK;
        return Record(std::move(call));
    }, E_UNEXPECTED);
}

HRESULT CFilterCallRecording::Message(LONG reserved, LONG type, LONG code, LPCOLESTR text, LPCOLESTR filePath,
                                      LONG line) {
    return leaf::CallWithoutThrowing([&] {
        Call call = TextCall(Kind::Message, text, filePath);
        call.values[0] = reserved;
        call.values[1] = type;
        call.values[2] = code;
        call.values[3] = line;
        return Record(std::move(call));
    }, E_UNEXPECTED);
}

HRESULT CFilterCallRecording::Replay(IFilterHost& live, HRESULT recordedResult, const FilterCall& call,
                                     const std::function<void()>& undo) const {
    for (size_t index = 0; index < m_calls.size(); ++index) {
        std::u16string folder;
        const HRESULT answer = Perform(live, m_calls[index], folder);
        const bool same = answer == m_calls[index].result &&
                          (m_calls[index].kind != Kind::SourceFolder || folder == m_calls[index].text);
        if (!same) {
            if (undo)
                undo();
            CContinuingHost continuing(m_calls, index, answer, std::move(folder), live);
            return call(continuing);
        }
    }
    return recordedResult;
}
