#include "sdk/compiler/MarkupCallRecording.h"

#include <limits>
#include <optional>

#include "common/ReplayCursor.h"
#include "platform/com/Unknown.h"

namespace markupreplay {

// An element that its maker keeps for as long as it is used: counting references does
// nothing.
class CHeldElement : public IMarkupElement {
public:
    HRESULT QueryInterface(REFIID riid, void** object) override {
        if (object == nullptr)
            return E_POINTER;
        *object = riid == IID_IUnknown || riid == IID_IMarkupElement ? static_cast<IMarkupElement*>(this) : nullptr;
        return *object ? S_OK : E_NOINTERFACE;
    }
    ULONG AddRef() override { return 1; }
    ULONG Release() override { return 1; }

protected:
    ~CHeldElement() = default;
};

}  // namespace markupreplay

namespace {

using Call = CMarkupCallRecording::Call;
using Kind = CMarkupCallRecording::Kind;

// What the recording answered a call.
HRESULT RecordedAnswer(const Call& call) { return call.kind == Kind::Step && call.flag ? E_ABORT : S_OK; }

// The objects a replay holds between the calls: the element the live stream created
// last, until it is started.
struct LiveElement {
    leaf::ComPtr<IUnknown> object;
    leaf::ComPtr<IMarkupElement> element;
};

// The stream, element and host of an encoding run again after a replayed call was
// answered otherwise: the calls before that one are answered as they were (they reached
// the compiler and the control already), that one as the live side answered it, and the
// later ones go to the live stream, the live element and the live host.
class CContinuation {
public:
    CContinuation(const std::vector<Call>& calls, size_t divergedAt, HRESULT liveAnswer, LiveElement live,
                  IMarkupStream& stream, IFilterHost& host)
        : m_cursor(calls, divergedAt, liveAnswer, &RecordedAnswer),
          m_live(std::move(live)),
          m_element(*this),
          m_stream(*this, stream),
          m_host(*this, host) {}

    IMarkupStream& Stream() { return m_stream; }
    IFilterHost& Host() { return m_host; }

private:
    std::optional<HRESULT> Answer(Kind kind) { return m_cursor.Answer(kind); }
    void PassThrough() { m_cursor.PassThrough(); }

    // Stands for the elements the encoder makes while its calls are answered as they
    // were; its later calls go to the live element made at that point.
    class CElement final : public markupreplay::CHeldElement {
    public:
        explicit CElement(CContinuation& owner) : m_owner(owner) {}
        HRESULT SetName(LPCOLESTR name, LONG length) override {
            if (std::optional<HRESULT> answer = m_owner.Answer(Kind::SetName))
                return *answer;
            return m_owner.m_live.element ? m_owner.m_live.element->SetName(name, length) : E_UNEXPECTED;
        }
        HRESULT AddAttribute(LPCOLESTR name, LONG nameLength, LPCOLESTR value, LONG valueLength) override {
            if (std::optional<HRESULT> answer = m_owner.Answer(Kind::AddAttribute))
                return *answer;
            return m_owner.m_live.element ? m_owner.m_live.element->AddAttribute(name, nameLength, value, valueLength)
                                          : E_UNEXPECTED;
        }

    private:
        CContinuation& m_owner;
    };

    class CStream final : public IMarkupStream {
    public:
        CStream(CContinuation& owner, IMarkupStream& live) : m_owner(owner), m_live(live) {}
        HRESULT QueryInterface(REFIID riid, void** object) override { return m_live.QueryInterface(riid, object); }
        ULONG AddRef() override { return 1; }
        ULONG Release() override { return 1; }
        HRESULT GetId(BSTR* id) override {
            m_owner.PassThrough();
            return m_live.GetId(id);
        }
        HRESULT GetUrl(BSTR* url) override {
            m_owner.PassThrough();
            return m_live.GetUrl(url);
        }
        HRESULT GetMediaType(BSTR* mediaType) override {
            m_owner.PassThrough();
            return m_live.GetMediaType(mediaType);
        }
        HRESULT CreateElement(IUnknown** element) override {
            const size_t index = m_owner.m_cursor.Next();
            std::optional<HRESULT> answer = m_owner.Answer(Kind::CreateElement);
            if (!answer || element == nullptr)
                return m_live.CreateElement(element);
            // The element the live stream made at the point where the answers differed is
            // the encoder's from there; before it, the stand-in answers.
            *element = index == m_owner.m_cursor.DivergedAt() ? m_owner.m_live.object.Get()
                                                              : static_cast<IMarkupElement*>(&m_owner.m_element);
            if (*element != nullptr)
                (*element)->AddRef();
            return *answer;
        }
        HRESULT StartElement(IMarkupElement* element, BOOL hasContent) override {
            if (std::optional<HRESULT> answer = m_owner.Answer(Kind::StartElement))
                return *answer;
            return m_live.StartElement(element == &m_owner.m_element ? m_owner.m_live.element.Get() : element,
                                       hasContent);
        }
        HRESULT WriteText(LPCOLESTR text, LONG count) override {
            if (std::optional<HRESULT> answer = m_owner.Answer(Kind::Text))
                return *answer;
            return m_live.WriteText(text, count);
        }
        HRESULT EndElement() override {
            if (std::optional<HRESULT> answer = m_owner.Answer(Kind::EndElement))
                return *answer;
            return m_live.EndElement();
        }
        HRESULT WriteComment(LPCOLESTR text, LONG count) override {
            m_owner.PassThrough();
            return m_live.WriteComment(text, count);
        }
        HRESULT End() override {
            m_owner.PassThrough();
            return m_live.End();
        }

    private:
        CContinuation& m_owner;
        IMarkupStream& m_live;
    };

    class CHost final : public IFilterHost {
    public:
        CHost(CContinuation& owner, IFilterHost& live) : m_owner(owner), m_live(live) {}
        HRESULT QueryInterface(REFIID riid, void** object) override { return m_live.QueryInterface(riid, object); }
        ULONG AddRef() override { return 0; }
        ULONG Release() override { return 0; }
        HRESULT SetErrorDetails(LPCOLESTR text) override {
            if (std::optional<HRESULT> answer = m_owner.Answer(Kind::ErrorDetails))
                return *answer;
            return m_live.SetErrorDetails(text);
        }
        HRESULT StepProgress(LONG units) override {
            if (std::optional<HRESULT> answer = m_owner.Answer(Kind::Step))
                return *answer;
            return m_live.StepProgress(units);
        }
        HRESULT AddDependency(LPCOLESTR path, LPCOLESTR mappedPath) override {
            m_owner.PassThrough();
            return m_live.AddDependency(path, mappedPath);
        }
        HRESULT GetSourceFolder(BSTR* folder) override {
            m_owner.PassThrough();
            return m_live.GetSourceFolder(folder);
        }
        HRESULT UpdateProgress(LONG percent, LONG step, LPCOLESTR details) override {
            m_owner.PassThrough();
            return m_live.UpdateProgress(percent, step, details);
        }
        HRESULT AddOutputFile(LPCOLESTR path) override {
            m_owner.PassThrough();
            return m_live.AddOutputFile(path);
        }
        HRESULT Message(LONG reserved, LONG type, LONG code, LPCOLESTR text, LPCOLESTR filePath, LONG line) override {
            m_owner.PassThrough();
            return m_live.Message(reserved, type, code, text, filePath, line);
        }

    private:
        CContinuation& m_owner;
        IFilterHost& m_live;
    };

    CReplayCursor<Call> m_cursor;
    LiveElement m_live;
    CElement m_element;
    CStream m_stream;
    CHost m_host;
};

}  // namespace

// ---------------------------------------------------------------- the recording side

// The one element the encoder fills at a time.
class CMarkupCallRecording::CElement final : public markupreplay::CHeldElement {
public:
    explicit CElement(CMarkupCallRecording& owner) : m_owner(owner) {}
    HRESULT SetName(LPCOLESTR name, LONG length) override {
        if (!m_owner.m_elementOpen || name == nullptr || length <= 0)
            return m_owner.Refuse();
        return m_owner.Record(Kind::SetName, name, static_cast<size_t>(length));
    }
    HRESULT AddAttribute(LPCOLESTR name, LONG nameLength, LPCOLESTR value, LONG valueLength) override {
        if (!m_owner.m_elementOpen || name == nullptr || nameLength < 0 || valueLength < 0 ||
            (value == nullptr && valueLength > 0))
            return m_owner.Refuse();
        if (nameLength > std::numeric_limits<std::uint16_t>::max())
            return m_owner.Refuse();
        std::u16string both(name, static_cast<size_t>(nameLength));
        if (valueLength > 0)
            both.append(value, static_cast<size_t>(valueLength));
        return m_owner.Record(Kind::AddAttribute, both.data(), both.size(), false,
                              static_cast<std::uint16_t>(nameLength));
    }

private:
    CMarkupCallRecording& m_owner;
};

class CMarkupCallRecording::CStream final : public IMarkupStream {
public:
    explicit CStream(CMarkupCallRecording& owner) : m_owner(owner) {}
    HRESULT QueryInterface(REFIID riid, void** object) override {
        if (object == nullptr)
            return E_POINTER;
        *object = riid == IID_IUnknown || riid == IID_IMarkupStream ? static_cast<IMarkupStream*>(this) : nullptr;
        return *object ? S_OK : E_NOINTERFACE;
    }
    ULONG AddRef() override { return 1; }
    ULONG Release() override { return 1; }
    HRESULT GetId(BSTR*) override { return m_owner.Refuse(); }
    HRESULT GetUrl(BSTR*) override { return m_owner.Refuse(); }
    HRESULT GetMediaType(BSTR*) override { return m_owner.Refuse(); }
    HRESULT CreateElement(IUnknown** element) override {
        if (element == nullptr || m_owner.m_elementOpen)
            return m_owner.Refuse();
        *element = static_cast<IMarkupElement*>(m_owner.m_element.get());
        m_owner.m_elementOpen = true;
        return m_owner.Record(Kind::CreateElement);
    }
    HRESULT StartElement(IMarkupElement* element, BOOL hasContent) override {
        if (!m_owner.m_elementOpen || element != m_owner.m_element.get())
            return m_owner.Refuse();
        if (hasContent != FALSE && hasContent != TRUE)
            return m_owner.Refuse();
        m_owner.m_elementOpen = false;
        return m_owner.Record(Kind::StartElement, nullptr, 0, hasContent == TRUE);
    }
    HRESULT WriteText(LPCOLESTR text, LONG count) override {
        if (count < 0 || (text == nullptr && count > 0))
            return m_owner.Refuse();
        return m_owner.Record(Kind::Text, text, static_cast<size_t>(count));
    }
    HRESULT EndElement() override { return m_owner.Record(Kind::EndElement); }
    HRESULT WriteComment(LPCOLESTR, LONG) override { return m_owner.Refuse(); }
    HRESULT End() override { return m_owner.Refuse(); }

private:
    CMarkupCallRecording& m_owner;
};

class CMarkupCallRecording::CHost final : public IFilterHost {
public:
    explicit CHost(CMarkupCallRecording& owner) : m_owner(owner) {}
    HRESULT QueryInterface(REFIID, void** object) override {
        if (object != nullptr)
            *object = nullptr;
        return E_NOTIMPL;
    }
    ULONG AddRef() override { return 0; }
    ULONG Release() override { return 0; }
    HRESULT SetErrorDetails(LPCOLESTR text) override {
        const size_t length = text != nullptr ? std::char_traits<char16_t>::length(text) : 0;
        return m_owner.Record(Kind::ErrorDetails, text, length, text != nullptr);
    }
    HRESULT StepProgress(LONG units) override {
        const HRESULT answer = m_owner.Record(Kind::Step, nullptr, 0, m_owner.m_stop.load(std::memory_order_relaxed));
        if (m_owner.m_complete)  // the units are kept where a text keeps its length
            m_owner.m_calls.back().length = static_cast<std::uint32_t>(units);
        return answer;
    }
    HRESULT AddDependency(LPCOLESTR, LPCOLESTR) override { return m_owner.Refuse(); }
    HRESULT GetSourceFolder(BSTR*) override { return m_owner.Refuse(); }
    HRESULT UpdateProgress(LONG, LONG, LPCOLESTR) override { return m_owner.Refuse(); }
    HRESULT AddOutputFile(LPCOLESTR) override { return m_owner.Refuse(); }
    HRESULT Message(LONG, LONG, LONG, LPCOLESTR, LPCOLESTR, LONG) override { return m_owner.Refuse(); }

private:
    CMarkupCallRecording& m_owner;
};

CMarkupCallRecording::CMarkupCallRecording(const std::atomic<bool>& stop)
    : m_stop(stop),
      m_element(std::make_unique<CElement>(*this)),
      m_stream(std::make_unique<CStream>(*this)),
      m_host(std::make_unique<CHost>(*this)) {}

CMarkupCallRecording::~CMarkupCallRecording() = default;

IMarkupStream& CMarkupCallRecording::Stream() { return *m_stream; }
IFilterHost& CMarkupCallRecording::Host() { return *m_host; }

HRESULT CMarkupCallRecording::Refuse() {
    // The live side may answer this otherwise: the page is encoded there instead, and
    // the encoding here ends as soon as it can.
    m_complete = false;
    return E_UNEXPECTED;
}

void CMarkupCallRecording::Compact() {
    m_calls.shrink_to_fit();
    m_text.shrink_to_fit();
}

HRESULT CMarkupCallRecording::Record(Kind kind, const char16_t* text, size_t length, bool flag, std::uint16_t split) {
    if (!m_complete)
        return E_UNEXPECTED;
    if (length > std::numeric_limits<std::uint32_t>::max() - m_text.size())
        return Refuse();
    Call call;
    call.kind = kind;
    call.flag = flag;
    call.line = m_line;
    call.offset = static_cast<std::uint32_t>(m_text.size());
    call.length = static_cast<std::uint32_t>(length);
    call.split = split;
    if (length > 0)
        m_text.append(text, length);
    m_calls.push_back(call);
    return RecordedAnswer(call);
}

// ---------------------------------------------------------------- the replay

namespace {

// Makes one recorded call on the live side.
HRESULT Perform(const Call& call, const std::u16string& allText, IMarkupStream& stream, IFilterHost& host,
                LiveElement& live) {
    const char16_t* text = allText.data() + call.offset;
    switch (call.kind) {
    case Kind::CreateElement: {
        live = LiveElement();
        const HRESULT result = stream.CreateElement(live.object.Receive());
        if (SUCCEEDED(result) && live.object)
            live.object->QueryInterface(IID_IMarkupElement, live.element.ReceiveVoid());
        return result;
    }
    case Kind::SetName:
        return live.element->SetName(text, static_cast<LONG>(call.length));
    case Kind::AddAttribute:
        return live.element->AddAttribute(text, static_cast<LONG>(call.split), text + call.split,
                                          static_cast<LONG>(call.length - call.split));
    case Kind::StartElement: {
        const HRESULT result = stream.StartElement(live.element, call.flag ? TRUE : FALSE);
        live = LiveElement();  // the encoder lets go of its element once it is started
        return result;
    }
    case Kind::Text:
        return stream.WriteText(text, static_cast<LONG>(call.length));
    case Kind::EndElement:
        return stream.EndElement();
    case Kind::Step:
        return host.StepProgress(static_cast<LONG>(call.length));
    case Kind::ErrorDetails:
        return host.SetErrorDetails(call.flag ? std::u16string(text, call.length).c_str() : nullptr);
    }
    return E_UNEXPECTED;
}

}  // namespace

BOOL CMarkupCallRecording::Replay(IMarkupStream& stream, IFilterHost& host, LONG* lineOut, BOOL recordedResult,
                                  const Encoding& encode) const {
    LiveElement live;
    for (size_t index = 0; index < m_calls.size(); ++index) {
        const Call& call = m_calls[index];
        if (lineOut != nullptr)
            *lineOut = call.line;
        const HRESULT answer = Perform(call, m_text, stream, host, live);
        // An element that does not answer as one is a different answer too.
        const bool same = answer == RecordedAnswer(call) && (call.kind != Kind::CreateElement || live.element);
        if (!same) {
            CContinuation continuation(m_calls, index, answer, std::move(live), stream, host);
            return encode(continuation.Stream(), continuation.Host(), lineOut);
        }
    }
    if (lineOut != nullptr)
        *lineOut = m_line;
    return recordedResult;
}
