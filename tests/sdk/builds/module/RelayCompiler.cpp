// relaylitgen.so: a test-only e-book compiler that passes every call to the real one
// (the module that LEAF_TEST_RELAY_TARGET names) and, before it passes the first request
// of a kind, reports the messages the test scripted for that moment:
//   LEAF_TEST_RELAY_MESSAGES  records separated by ';', each "WHEN|TYPE|CODE|TEXT", WHEN
//                             one of css, html, bin (the first Next...Item call of that
//                             kind) or finish.
// Put beside a copy of the control under the name LITGen.so, it lets a whole build show
// how the control treats the compiler's messages.

#include <dlfcn.h>

#include <cstdlib>
#include <sstream>
#include <string>
#include <vector>

#include "platform/base/TextEncoding.h"
#include "platform/com/ComObject.h"
#include "sdk/compiler/EBookCompiler.h"

namespace {

struct ScriptedMessage {
    std::string when;
    LONG type = 0;
    LONG code = 0;
    std::string text;
};

std::vector<ScriptedMessage> ScriptedMessages() {
    std::vector<ScriptedMessage> messages;
    const char* script = std::getenv("LEAF_TEST_RELAY_MESSAGES");
    std::istringstream records(script ? script : "");
    for (std::string record; std::getline(records, record, ';');) {
        std::istringstream fields(record);
        ScriptedMessage message;
        std::string type, code;
        if (std::getline(fields, message.when, '|') && std::getline(fields, type, '|') &&
            std::getline(fields, code, '|') && std::getline(fields, message.text)) {
            message.type = std::atoi(type.c_str());
            message.code = std::atoi(code.c_str());
            messages.push_back(std::move(message));
        }
    }
    return messages;
}

// The real compiler's entry point; the module stays loaded for the process.
CreateWriterFunction RealCreateWriter() {
    const char* target = std::getenv("LEAF_TEST_RELAY_TARGET");
    if (target == nullptr)
        return nullptr;
    void* module = dlopen(target, RTLD_NOW | RTLD_LOCAL);
    return module ? reinterpret_cast<CreateWriterFunction>(dlsym(module, kCreateWriterEntryPoint)) : nullptr;
}

class RelayWriter final : public leaf::ComObject<RelayWriter, IEBookWriter> {
public:
    explicit RelayWriter(leaf::ComPtr<IEBookWriter> real) : m_real(std::move(real)), m_script(ScriptedMessages()) {}

    HRESULT Initialize(ICompilerCallback* callback) override {
        m_callback = callback;
        return m_real->Initialize(callback);
    }
    HRESULT BeginEBook(LPCOLESTR eBook, LPCOLESTR folder, LPCOLESTR source, void* reserved) override {
        return m_real->BeginEBook(eBook, folder, source, reserved);
    }
    HRESULT GetPackageStream(LONG flags, IUnknown** stream) override { return m_real->GetPackageStream(flags, stream); }
    HRESULT NextCssItem(IUnknown** stream) override {
        Report("css");
        return m_real->NextCssItem(stream);
    }
    HRESULT NextHtmlItem(IUnknown** stream) override {
        Report("html");
        return m_real->NextHtmlItem(stream);
    }
    HRESULT NextBinaryItem(IUnknown** stream) override {
        Report("bin");
        return m_real->NextBinaryItem(stream);
    }
    HRESULT Finish() override {
        Report("finish");
        return m_real->Finish();
    }
    HRESULT Cancel() override { return m_real->Cancel(); }

private:
    // The messages scripted for the moment, once.
    void Report(const std::string& when) {
        for (ScriptedMessage& message : m_script) {
            if (message.when != when || m_callback == nullptr)
                continue;
            m_callback->Message(message.type, message.code, leaf::Utf8ToUtf16(message.text).c_str());
            message.when.clear();
        }
    }

    leaf::ComPtr<IEBookWriter> m_real;
    ICompilerCallback* m_callback = nullptr;
    std::vector<ScriptedMessage> m_script;
};

}  // namespace

LEAF_EXPORT_C HRESULT CreateWriter(IUnknown** writer) {
    *writer = nullptr;
    CreateWriterFunction create = RealCreateWriter();
    if (create == nullptr)
        return E_FAIL;
    leaf::ComPtr<IUnknown> object;
    HRESULT hr = create(object.Receive());
    if (FAILED(hr))
        return hr;
    leaf::ComPtr<IEBookWriter> real = object.As<IEBookWriter>();
    if (!real)
        return E_NOINTERFACE;
    leaf::ComPtr<RelayWriter> created(new RelayWriter(std::move(real)));
    *writer = static_cast<IEBookWriter*>(created.Detach());
    return S_OK;
}
