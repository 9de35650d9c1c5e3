// The watchdog lets an open that waits on its FIFO return, and tells of it; a call that
// never touches the FIFO is left alone.

#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "tests/support/FifoWatchdog.h"
#include "tests/support/TempFolder.h"

TEST(FifoWatchdogTest, AnOpenThatWaitsIsLetGoAndReported) {
    leaf::test::TempFolder folder;
    const std::string fifo = folder / "pipe";
    ASSERT_EQ(mkfifo(fifo.c_str(), 0644), 0);
    {
        leaf::test::FifoWatchdog watchdog(fifo, std::chrono::seconds(1));
        const int reader = ::open(fifo.c_str(), O_RDONLY);  // waits for a writer
        ASSERT_GE(reader, 0);
        char byte = 0;
        EXPECT_EQ(::read(reader, &byte, 1), 0) << "the writer said nothing";
        ::close(reader);
        EXPECT_TRUE(watchdog.Fired());
    }
    leaf::test::FifoWatchdog quiet(fifo, std::chrono::seconds(1));
    EXPECT_FALSE(quiet.Fired());
}
