#include "tests/support/KilledChild.h"

#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>

namespace leaf::test {

pid_t RunUntilKilled(const std::function<void()>& work) {
    return RunUntilKilled([&work](const KillHere&) { work(); });
}

pid_t RunUntilKilled(const std::function<void(const KillHere&)>& work) {
    int done[2];
    if (pipe(done) != 0)
        return 0;
    const pid_t child = fork();
    if (child < 0) {
        ::close(done[0]);
        ::close(done[1]);
        return 0;
    }
    if (child == 0) {
        ::close(done[0]);
        const KillHere killHere = [&done] {
            const char ready = 'r';
            [[maybe_unused]] const ssize_t written = ::write(done[1], &ready, 1);
            for (;;)
                pause();
        };
        work(killHere);
        killHere();
    }
    ::close(done[1]);
    char ready = 0;
    ssize_t got;
    do {
        got = ::read(done[0], &ready, 1);
    } while (got < 0 && errno == EINTR);
    ::close(done[0]);
    kill(child, SIGKILL);
    int status = 0;
    while (waitpid(child, &status, 0) < 0 && errno == EINTR) {
    }
    return got == 1 && WIFSIGNALED(status) && WTERMSIG(status) == SIGKILL ? child : 0;
}

}  // namespace leaf::test
