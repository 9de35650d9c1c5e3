#pragma once

// What the control's tests share: registering modules as an installer would
// (leaf::test::RegisterModule: regsvr in a child process), creating the control by ProgID
// through the registry, calling it through IDispatch::Invoke, an event sink that records
// every event, and the message pump that this test program exports to the control.

#include <functional>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "platform/com/ComObject.h"
#include "platform/com/ConnectionPoint.h"
#include "platform/com/DispatchDriver.h"
#include "platform/com/Variant.h"
#include "sdk/LeafcraftSDK.h"
#include "tests/support/ChildProcess.h"
#include "tests/support/TempFolder.h"

namespace sdktest {

// The pump this program exports as LeafPumpWaitingMessages (TestPump.cpp; a suite
// without it runs with no application object): it counts its runs and runs the
// "messages" posted to it, in order.
int PumpCount();
void PostMessage(std::function<void()> message);
void RunPump();

// Records the events it receives, in order, as text:
//   "progress P S DETAILS" and "message TYPE CODE TEXT|FILE LINE" (OnLITGenMessage).
class EventSink final : public leaf::ComObject<EventSink, IDispatch> {
public:
    HRESULT GetTypeInfoCount(UINT* count) override;
    HRESULT GetTypeInfo(UINT, LCID, ITypeInfo**) override { return E_NOTIMPL; }
    HRESULT GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override { return E_NOTIMPL; }
    HRESULT Invoke(DISPID dispid, REFIID, LCID, WORD, DISPPARAMS* params, VARIANT*, EXCEPINFO*, UINT*) override;

    std::vector<std::string> events;
    // Called after an event is recorded, with its text.
    std::function<void(const std::string&)> handler;
};

// One control instance, driven as a foreign automation client drives it.
class SdkControl {
public:
    // Creates the control by ProgID; fails the test when it cannot.
    static SdkControl Create();
    // Installs the test font embedder under the ProgID the control asks for, then creates
    // a control whose check of the embedder passes (working) or fails.
    static SdkControl CreateWithFontEmbedder(bool working = true);

    IDispatch* Get() const { return m_object.Get(); }
    void Release() { m_object = nullptr; }

    leaf::DispatchResult Call(DISPID dispid, std::vector<leaf::Variant> arguments = {}) const;
    // The boolean answer of a method (fails the test when the call itself fails).
    bool CallBool(DISPID dispid, std::vector<leaf::Variant> arguments = {}) const;

    LONG ErrorCode() const;
    std::string ErrorDetails() const;

    // Connects the sink to the control's events.
    void Advise(EventSink* sink) const;

    bool Initialize() const { return CallBool(sdkdispid::Initialize); }
    bool AddSourceFile(const std::string& path, LONG flags) const {
        return CallBool(sdkdispid::AddSourceFile, {leaf::Variant(path), leaf::Variant(flags)});
    }
    bool PrepareEBook() const { return CallBool(sdkdispid::PrepareEBook); }

    // What is checked of the e-book of a build that succeeds: that epubcheck finds no
    // error in it, or nothing, where a test builds a book that is not valid on purpose.
    enum class EBookCheck { Epubcheck, None };
    // BuildEBook with the arguments given (the e-book's path first) and, when the build
    // succeeds, the check of its e-book.
    bool BuildEBook(std::vector<leaf::Variant> arguments, EBookCheck check = EBookCheck::Epubcheck) const;
    // The strings of a collection returned by GetMissingFiles or GetExternalFiles.
    std::vector<std::string> Collection(DISPID dispid) const;

private:
    leaf::ComPtr<IDispatch> m_object;
};

// A test with the control and the test filters registered in its own registry.
class SdkControlTest : public ::testing::Test {
protected:
    void SetUp() override;

    // Writes a source file below the test's folder and returns its path.
    std::string Source(const std::string& relativePath, const std::string& contents = "") const {
        return folder.WriteFile(relativePath, contents);
    }

    leaf::test::TempFolder folder;
    SdkControl control;
};

}  // namespace sdktest
