#include "tests/studio/project/build/BuildTestEnvironment.h"

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QThread>
#include <cstdlib>
#include <functional>
#include <memory>

#include "tests/support/ChildProcess.h"
#include "tests/support/TempFolder.h"

namespace buildtest {

namespace {

class TestApplication : public CWinApp {
public:
    TestApplication() : CWinApp("Leafcraft") { SetRegistryKey("Tallbrook Systems, Inc."); }
};

}  // namespace

CWinApp& TestApp() {
    static TestApplication app;
    return app;
}

bool RegisterBuildModules() {
    for (const char* module : {"leafsdk.so", "markupintake.so", "pictureintake.so", "plainintake.so"})
        if (!leaf::test::RegisterModule(module))
            return false;
    return true;
}

bool WaitFor(const std::function<bool()>& condition, int milliseconds) {
    QElapsedTimer timer;
    timer.start();
    while (!condition()) {
        if (timer.elapsed() > milliseconds)
            return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents, 50);
    }
    return true;
}

}  // namespace buildtest
