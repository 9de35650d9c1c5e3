#pragma once

// Test doubles of the compile step: a markup stream that records what it receives as
// text ("<name a=v>" for a start with content, "<name a=v/>" without, "</>" for an end,
// text as it is), a host that records progress and error details and answers an abort on
// demand.

#include <functional>
#include <string>
#include <vector>

#include "common/InputFilter.h"
#include "platform/base/TextEncoding.h"
#include "platform/com/ComObject.h"
#include "sdk/compiler/EBookCompiler.h"

namespace compilertest {

class RecordingElement final : public leaf::ComObject<RecordingElement, IMarkupElement> {
public:
    HRESULT SetName(LPCOLESTR name, LONG length) override {
        text = leaf::Utf16ToUtf8(std::u16string_view(name, length));
        return S_OK;
    }
    HRESULT AddAttribute(LPCOLESTR name, LONG nameLength, LPCOLESTR value, LONG valueLength) override {
        text += " " + leaf::Utf16ToUtf8(std::u16string_view(name, nameLength)) + "=" +
                leaf::Utf16ToUtf8(std::u16string_view(value, valueLength));
        return S_OK;
    }
    std::string text;
};

class RecordingMarkupStream final : public leaf::ComObject<RecordingMarkupStream, IMarkupStream> {
public:
    HRESULT GetId(BSTR*) override { return E_NOTIMPL; }
    HRESULT GetUrl(BSTR* url) override {
        *url = leaf::Bstr::FromUtf8(this->url).Detach();
        return S_OK;
    }
    HRESULT GetMediaType(BSTR*) override { return E_NOTIMPL; }
    HRESULT CreateElement(IUnknown** element) override {
        leaf::ComPtr<RecordingElement> created(new RecordingElement());
        *element = static_cast<IMarkupElement*>(created.Detach());
        return S_OK;
    }
    HRESULT StartElement(IMarkupElement* element, BOOL hasContent) override {
        out += "<" + static_cast<RecordingElement*>(element)->text + (hasContent ? ">" : "/>");
        lines.push_back(lineOut ? *lineOut : -1);
        return S_OK;
    }
    HRESULT WriteText(LPCOLESTR text, LONG count) override {
        if (++textCalls == failTextAt)
            return E_OUTOFMEMORY;
        out += leaf::Utf16ToUtf8(std::u16string_view(text, count));
        return S_OK;
    }
    HRESULT EndElement() override {
        out += "</>";
        return S_OK;
    }
    HRESULT WriteComment(LPCOLESTR, LONG) override { return E_NOTIMPL; }
    HRESULT End() override {
        ++ends;
        return S_OK;
    }

    std::string url;
    std::string out;
    std::vector<LONG> lines;  // the line out at each element start
    const LONG* lineOut = nullptr;
    int textCalls = 0;
    int failTextAt = -1;
    int ends = 0;
};

class RecordingHost final : public IFilterHost {
public:
    HRESULT QueryInterface(REFIID, void**) override { return E_NOTIMPL; }
    ULONG AddRef() override { return 0; }
    ULONG Release() override { return 0; }
    HRESULT SetErrorDetails(LPCOLESTR text) override {
        details = leaf::Utf16ToUtf8(std::u16string_view(text));
        return S_OK;
    }
    HRESULT AddDependency(LPCOLESTR, LPCOLESTR) override { return S_OK; }
    HRESULT GetSourceFolder(BSTR*) override { return E_NOTIMPL; }
    HRESULT StepProgress(LONG units) override {
        steps.push_back(units);
        if (onStep)
            onStep();
        return abort ? E_ABORT : S_OK;
    }
    HRESULT UpdateProgress(LONG, LONG, LPCOLESTR) override { return S_OK; }
    HRESULT AddOutputFile(LPCOLESTR) override { return S_OK; }
    HRESULT Message(LONG, LONG, LONG, LPCOLESTR, LPCOLESTR, LONG) override { return S_OK; }

    std::string details;
    std::vector<LONG> steps;
    bool abort = false;
    std::function<void()> onStep;
};

}  // namespace compilertest
