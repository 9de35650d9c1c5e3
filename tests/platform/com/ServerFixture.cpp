#include "tests/platform/com/ServerFixture.h"

#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <fstream>
#include <sstream>

#include "platform/com/ComRuntime.h"
#include "tests/support/TempFolder.h"

namespace leaf::test {

ProcessResult RunProgram(const std::string& program, const std::vector<std::string>& arguments) {
    TempFolder folder;
    std::string outputPath = folder / "output.txt";
    ProcessResult result;
    pid_t child = fork();
    if (child == 0) {
        int out = open(outputPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
        if (out >= 0) {
            dup2(out, STDOUT_FILENO);
            dup2(out, STDERR_FILENO);
            close(out);
        }
        std::vector<char*> argv;
        argv.push_back(const_cast<char*>(program.c_str()));
        for (const std::string& argument : arguments)
            argv.push_back(const_cast<char*>(argument.c_str()));
        argv.push_back(nullptr);
        execv(program.c_str(), argv.data());
        _exit(127);
    }
    int status = 0;
    if (child > 0 && waitpid(child, &status, 0) == child && WIFEXITED(status))
        result.exitCode = WEXITSTATUS(status);
    std::ifstream in(outputPath);
    std::stringstream text;
    text << in.rdbuf();
    result.output = text.str();
    return result;
}

std::string RegsvrPath() { return BinDir() + "/regsvr"; }
std::string TestObjectModulePath() { return BinDir() + "/testcomobject.so"; }
std::string NoEntryModulePath() { return BinDir() + "/testnoentry.so"; }

ProcessResult RunRegsvr(const std::vector<std::string>& arguments) { return RunProgram(RegsvrPath(), arguments); }

void RegisteredServerTest::SetUp() {
    ProcessResult result = RunRegsvr({TestObjectModulePath()});
    ASSERT_EQ(result.exitCode, 0) << result.output;
}

ComPtr<IDispatch> RegisteredServerTest::CreateTestObject() {
    CLSID clsid{};
    EXPECT_EQ(CLSIDFromProgID("LeafTest.TestObject", &clsid), S_OK);
    ComPtr<IDispatch> object;
    EXPECT_EQ(CoCreateInstance(clsid, nullptr, CLSCTX_INPROC_SERVER, IID_IDispatch, object.ReceiveVoid()), S_OK);
    return object;
}

}  // namespace leaf::test
