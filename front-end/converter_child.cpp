#include "converter_child.hpp"

#include <QCoreApplication>

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>

namespace {

// A descriptor that becomes readable when the child ends, or -1 where the
// kernel offers none; the wait then polls the child in short naps.
int openProcessDescriptor(pid_t pid)
{
#ifdef SYS_pidfd_open
    return static_cast<int>(::syscall(SYS_pidfd_open, pid, 0));
#else
    (void)pid;
    return -1;
#endif
}

// Waits up to 10 ms for the child to end. True once it has ended and been
// reaped; status then holds its wait status, if that could be read.
bool waitSlice(pid_t pid, int processDescriptor, ChildEnd& end)
{
    auto reaped = [&] {
        int status = 0;
        pid_t result;
        do
            result = ::waitpid(pid, &status, WNOHANG);
        while (result < 0 && errno == EINTR);
        if (result == pid) {
            end.status = status;
            end.statusKnown = true;
            return true;
        }
        // No such child any more: it ended, but its status is lost.
        return result < 0;
    };
    if (processDescriptor >= 0) {
        pollfd ready{processDescriptor, POLLIN, 0};
        ::poll(&ready, 1, 10);
        return reaped();
    }
    for (int nap = 0; nap < 10; ++nap) {
        if (reaped())
            return true;
        ::usleep(1000);
    }
    return reaped();
}

}  // namespace

ChildEnd runConverter(const std::string& toolPath, const std::string& inputPath, const std::string& outputPath,
                      RunState& state)
{
    ChildEnd end;

    posix_spawn_file_actions_t actions;
    posix_spawnattr_t attributes;
    if (::posix_spawn_file_actions_init(&actions) != 0)
        return end;
    if (::posix_spawnattr_init(&attributes) != 0) {
        ::posix_spawn_file_actions_destroy(&actions);
        return end;
    }
    bool prepared = true;
    for (int fd : {STDIN_FILENO, STDOUT_FILENO, STDERR_FILENO})
        prepared = prepared
                   && ::posix_spawn_file_actions_addopen(&actions, fd, "/dev/null",
                                                         fd == STDIN_FILENO ? O_RDONLY : O_WRONLY, 0) == 0;
#if defined(__GLIBC__) && (__GLIBC__ > 2 || (__GLIBC__ == 2 && __GLIBC_MINOR__ >= 34))
    prepared = prepared && ::posix_spawn_file_actions_addclosefrom_np(&actions, STDERR_FILENO + 1) == 0;
#endif
    // The child starts with every signal at its default and none blocked,
    // whatever the window's process has set for itself.
    sigset_t all, none;
    sigfillset(&all);
    sigemptyset(&none);
    prepared = prepared && ::posix_spawnattr_setsigdefault(&attributes, &all) == 0
               && ::posix_spawnattr_setsigmask(&attributes, &none) == 0
               && ::posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETSIGDEF | POSIX_SPAWN_SETSIGMASK) == 0;

    std::string arguments[] = {toolPath, inputPath, outputPath};
    char* argv[] = {arguments[0].data(), arguments[1].data(), arguments[2].data(), nullptr};
    pid_t pid = -1;
    const bool started = prepared && ::posix_spawn(&pid, argv[0], &actions, &attributes, argv, environ) == 0;
    ::posix_spawnattr_destroy(&attributes);
    ::posix_spawn_file_actions_destroy(&actions);
    if (!started)
        return end;

    end.kind = ChildEnd::Ended;
    state = RunRunning;
    const int processDescriptor = openProcessDescriptor(pid);
    bool ended;
    while (!(ended = waitSlice(pid, processDescriptor, end)) && state != RunAborting)
        QCoreApplication::processEvents();
    if (!ended && !(ended = waitSlice(pid, processDescriptor, end)) && state == RunAborting) {
        ::kill(pid, SIGKILL);
        end.kind = ChildEnd::Aborted;
    }
    // Reap the child so nothing of it outlives its entry.
    if (!ended) {
        int status = 0;
        while (::waitpid(pid, &status, 0) < 0 && errno == EINTR) {
        }
    }
    if (processDescriptor >= 0)
        ::close(processDescriptor);
    return end;
}

std::optional<QString> failureOf(const ChildEnd& end)
{
    switch (end.kind) {
    case ChildEnd::NotStarted:
        return QStringLiteral("could not be started");
    case ChildEnd::Aborted:
        return std::nullopt;
    case ChildEnd::Ended:
        break;
    }
    if (!end.statusKnown)
        return QStringLiteral("exit status unknown");
    if (WIFEXITED(end.status)) {
        if (WEXITSTATUS(end.status) == 0)
            return std::nullopt;
        return QStringLiteral("exit status %1").arg(WEXITSTATUS(end.status));
    }
    if (WIFSIGNALED(end.status))
        return QStringLiteral("killed by signal %1").arg(WTERMSIG(end.status));
    return QStringLiteral("exit status unknown");
}
