#include "converter_child.hpp"

#include "file_list.hpp"

#include <QCoreApplication>

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <cerrno>
#include <cstring>

void ErrorLineScanner::take(int stream, std::string_view bytes)
{
    std::string& line = line_[stream];
    while (!bytes.empty()) {
        const std::size_t end = bytes.find('\n');
        const std::string_view piece = bytes.substr(0, end);
        line.append(piece.substr(0, lineLimit - std::min(line.size(), lineLimit)));
        if (end == std::string_view::npos)
            return;
        endLine(stream);
        bytes.remove_prefix(end + 1);
    }
}

void ErrorLineScanner::finish()
{
    for (int stream : {0, 1})
        if (!line_[stream].empty())
            endLine(stream);
}

void ErrorLineScanner::endLine(int stream)
{
    std::string& line = line_[stream];
    if (line.starts_with("ERROR[")) {
        if (line.ends_with('\r'))
            line.pop_back();
        last_ = line;
    }
    line.clear();
}

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

// The child's standard output and standard error: two pipes whose read ends
// the window empties without ever waiting on them.
class ChildOutput {
public:
    ChildOutput()
    {
        for (int stream : {0, 1}) {
            int ends[2];
            if (::pipe2(ends, O_CLOEXEC) != 0) {
                failure_ = errno;
                return;
            }
            read_[stream] = ends[0];
            write_[stream] = ends[1];
            ::fcntl(ends[0], F_SETFL, ::fcntl(ends[0], F_GETFL) | O_NONBLOCK);
        }
    }
    ~ChildOutput()
    {
        closeWriteEnds();
        for (int& end : read_)
            closeEnd(end);
    }
    ChildOutput(const ChildOutput&) = delete;
    ChildOutput& operator=(const ChildOutput&) = delete;

    int failure() const { return failure_; }
    int writeEnd(int stream) const { return write_[stream]; }
    void closeWriteEnds()
    {
        for (int& end : write_)
            closeEnd(end);
    }

    void addReadEnds(pollfd* ready) const
    {
        for (int stream : {0, 1})
            ready[stream] = {read_[stream], POLLIN, 0};
    }

    // Reads what waits in both pipes, up to a limit per call so that a child
    // writing without pause cannot hold the window. A pipe at its end is closed.
    void drain(ErrorLineScanner& scanner)
    {
        std::array<char, 16384> buffer;
        for (int stream : {0, 1}) {
            for (std::size_t taken = 0; read_[stream] >= 0 && taken < drainLimit;) {
                const ssize_t got = ::read(read_[stream], buffer.data(), buffer.size());
                if (got > 0) {
                    scanner.take(stream, std::string_view(buffer.data(), static_cast<std::size_t>(got)));
                    taken += static_cast<std::size_t>(got);
                } else if (got == 0 || (errno != EINTR && errno != EAGAIN)) {
                    closeEnd(read_[stream]);
                } else if (errno == EAGAIN) {
                    break;
                }
            }
        }
    }

private:
    static constexpr std::size_t drainLimit = 256 * 1024;

    static void closeEnd(int& end)
    {
        if (end >= 0)
            ::close(end);
        end = -1;
    }

    int read_[2] = {-1, -1};
    int write_[2] = {-1, -1};
    int failure_ = 0;
};

// Waits up to 10 ms for the child to end, reading its output meanwhile.
// True once it has ended and been reaped; status then holds its wait
// status, if that could be read.
bool waitSlice(pid_t pid, int processDescriptor, ChildOutput& output, ErrorLineScanner& scanner, ChildEnd& end)
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
        pollfd ready[3];
        output.addReadEnds(ready);
        ready[2] = {processDescriptor, POLLIN, 0};
        ::poll(ready, 3, 10);
        output.drain(scanner);
        return reaped();
    }
    for (int nap = 0; nap < 10; ++nap) {
        output.drain(scanner);
        if (reaped())
            return true;
        pollfd ready[2];
        output.addReadEnds(ready);
        ::poll(ready, 2, 1);
    }
    output.drain(scanner);
    return reaped();
}

// A started child and the descriptor that tells of its end. However its
// wait is left, by an exception too, a child still running is killed, and
// every child is reaped, so that none outlives its entry.
class StartedChild {
public:
    explicit StartedChild(pid_t pid) : pid_(pid), descriptor_(openProcessDescriptor(pid)) {}
    ~StartedChild()
    {
        if (!reaped_)
            killAndReap();
        if (descriptor_ >= 0)
            ::close(descriptor_);
    }
    StartedChild(const StartedChild&) = delete;
    StartedChild& operator=(const StartedChild&) = delete;

    // Waits up to 10 ms; true once the child has ended and been reaped.
    bool waitSlice(ChildOutput& output, ErrorLineScanner& scanner, ChildEnd& end)
    {
        reaped_ = reaped_ || ::waitSlice(pid_, descriptor_, output, scanner, end);
        return reaped_;
    }

    // Ends the child at once, whatever it is doing.
    void killAndReap()
    {
        ::kill(pid_, SIGKILL);
        int status = 0;
        while (::waitpid(pid_, &status, 0) < 0 && errno == EINTR) {
        }
        reaped_ = true;
    }

private:
    pid_t pid_;
    int descriptor_;
    bool reaped_ = false;
};

}  // namespace

ChildEnd runConverter(const std::string& toolPath, const std::string& inputPath, const std::string& outputPath,
                      RunState& state)
{
    ChildEnd end;
    ChildOutput output;
    if ((end.startError = output.failure()) != 0)
        return end;

    posix_spawn_file_actions_t actions;
    posix_spawnattr_t attributes;
    if ((end.startError = ::posix_spawn_file_actions_init(&actions)) != 0)
        return end;
    if ((end.startError = ::posix_spawnattr_init(&attributes)) != 0) {
        ::posix_spawn_file_actions_destroy(&actions);
        return end;
    }
    // The first call that fails names why the child could not start.
    auto prepare = [&](int result) {
        if (end.startError == 0)
            end.startError = result;
    };
    prepare(::posix_spawn_file_actions_addopen(&actions, STDIN_FILENO, "/dev/null", O_RDONLY, 0));
    prepare(::posix_spawn_file_actions_adddup2(&actions, output.writeEnd(0), STDOUT_FILENO));
    prepare(::posix_spawn_file_actions_adddup2(&actions, output.writeEnd(1), STDERR_FILENO));
#if defined(__GLIBC__) && (__GLIBC__ > 2 || (__GLIBC__ == 2 && __GLIBC_MINOR__ >= 34))
    prepare(::posix_spawn_file_actions_addclosefrom_np(&actions, STDERR_FILENO + 1));
#endif
    // The child starts with every signal at its default and none blocked,
    // whatever the window's process has set for itself.
    sigset_t all, none;
    sigfillset(&all);
    sigemptyset(&none);
    prepare(::posix_spawnattr_setsigdefault(&attributes, &all));
    prepare(::posix_spawnattr_setsigmask(&attributes, &none));
    prepare(::posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETSIGDEF | POSIX_SPAWN_SETSIGMASK));

    std::string arguments[] = {toolPath, inputPath, outputPath};
    char* argv[] = {arguments[0].data(), arguments[1].data(), arguments[2].data(), nullptr};
    pid_t pid = -1;
    if (end.startError == 0)
        end.startError = ::posix_spawn(&pid, argv[0], &actions, &attributes, argv, environ);
    ::posix_spawnattr_destroy(&attributes);
    ::posix_spawn_file_actions_destroy(&actions);
    if (end.startError != 0)
        return end;
    // Only the child may hold the write ends, so the pipes end with it.
    output.closeWriteEnds();

    StartedChild child(pid);
    end.kind = ChildEnd::Ended;
    state = RunRunning;
    ErrorLineScanner scanner;
    while (!child.waitSlice(output, scanner, end) && state != RunAborting)
        QCoreApplication::processEvents();
    if (!child.waitSlice(output, scanner, end)) {
        child.killAndReap();
        end.kind = ChildEnd::Aborted;
    }
    // What the child wrote last may still wait in the pipes.
    output.drain(scanner);
    scanner.finish();
    end.errorLine = scanner.lastErrorLine();
    return end;
}

std::optional<EntryOutcome> outcomeOf(const ChildEnd& end, const QString& entry, const QString& toolName,
                                      const QString& outputPath)
{
    switch (end.kind) {
    case ChildEnd::NotStarted:
        return EntryOutcome{EntryOutcome::NotStarted, entry,
                            toolName + QStringLiteral(" could not be started: ")
                                + QString::fromLocal8Bit(std::strerror(end.startError))};
    case ChildEnd::Aborted:
        return EntryOutcome{EntryOutcome::Aborted, entry, outputPath};
    case ChildEnd::Ended:
        break;
    }
    if (end.statusKnown && WIFEXITED(end.status) && WEXITSTATUS(end.status) == 0)
        return std::nullopt;
    // The tool's own words say most; how it ended is the fallback.
    QString detail = QStringLiteral("exit status unknown");
    if (!end.errorLine.empty())
        detail = ToWideString(end.errorLine);
    else if (end.statusKnown && WIFEXITED(end.status))
        detail = QStringLiteral("exit status %1").arg(WEXITSTATUS(end.status));
    else if (end.statusKnown && WIFSIGNALED(end.status))
        detail = QStringLiteral("killed by signal %1").arg(WTERMSIG(end.status));
    return EntryOutcome{EntryOutcome::Failed, entry, detail};
}
