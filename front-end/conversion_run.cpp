#include "conversion_run.hpp"

#include "content_classifier.hpp"
#include "file_list.hpp"
#include "vesk_form.hpp"

#include <QCoreApplication>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <ctime>
#include <optional>

extern char** environ;

QString FolderPartOf(const QString& path)
{
    return path.left(path.lastIndexOf(QLatin1Char('/')) + 1);
}

QString NamePartOf(const QString& path)
{
    return path.mid(path.lastIndexOf(QLatin1Char('/')) + 1);
}

QString ReplaceExtension(const QString& name, const QString& extension)
{
    const qsizetype period = name.lastIndexOf(QLatin1Char('.'));
    return (period < 0 ? name : name.left(period)) + extension;
}

std::string ConverterCommandLine(const std::string& toolPath, const std::string& inputPath,
                                 const std::string& outputPath)
{
    return "\"" + toolPath + "\" \"" + inputPath + "\" \"" + outputPath + "\"";
}

int ProgressPosition(double doneBytes, double totalBytes)
{
    if (totalBytes <= 0)
        return 0;
    return static_cast<int>(doneBytes / totalBytes * 100.0f);
}

QString TimeEstimateText(double doneBytes, double totalBytes, long long elapsedSeconds)
{
    if (totalBytes * 0.02 >= doneBytes)
        return QStringLiteral("evaluating");
    const double projected = static_cast<double>(elapsedSeconds) / doneBytes * totalBytes;
    return QString::asprintf("%lli", static_cast<long long>(projected));
}

QString ConversionFailureText(const std::vector<ConversionFailure>& failures, int entriesInRun)
{
    QString text = QStringLiteral("%1 of %2 %3 could not be converted:")
                       .arg(failures.size())
                       .arg(entriesInRun)
                       .arg(entriesInRun == 1 ? QStringLiteral("file") : QStringLiteral("files"));
    for (const ConversionFailure& failure : failures)
        text += QLatin1Char('\n') + failure.entry + QStringLiteral(" (") + failure.outcome + QLatin1Char(')');
    return text;
}

namespace {

// How one child ended.
struct ChildEnd {
    enum Kind { NotStarted, Ended, Aborted } kind = NotStarted;
    int status = 0;          // the wait status, when Ended and known
    bool statusKnown = false;
};

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

// Starts the converter with the three paths as its arguments, byte for byte,
// with no output captured and nothing inherited but the environment and the
// current folder, and waits for it in 10 ms slices while the window keeps
// working. An abort asked for meanwhile kills the child.
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

// What went wrong with an entry's child, or nothing when it converted the
// entry or the user aborted it.
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

}  // namespace

void TVeskForm::StartBtnClick()
{
    if (State == RunAborting)
        return;
    if (State == RunRunning) {
        State = RunAborting;
        StartBtn->setText(QStringLiteral("Aborting"));
        StartBtn->setEnabled(false);
        return;
    }

    StartBtn->setText(QStringLiteral("Abort"));
    const double totalBytes = SumFileSizes(false);
    double doneBytes = 0;
    const std::time_t startTime = std::time(nullptr);
    std::vector<ConversionFailure> failures;
    int entriesInRun = 0;

    for (int i = 0; i < FileListBox->count() && State != RunAborting; ++i) {
        ++entriesInRun;
        // The entry is read once, before its child starts. Delete and Remove
        // leave the list alone while State is not 0.
        const QString entry = FileListBox->item(i)->text();
        const std::string inputPath = ToNarrowString(entry);
        const QString folder = SourceBtn->isChecked() ? FolderPartOf(entry) : DirNameEdit->text();

        std::string toolPath;
        QString extension;
        if (BrenmoFound && Pelk::vesk::HasStreamHeader(inputPath)) {
            toolPath = BrenmoPath;
            extension = AscExtEdit->text();
        } else if (CalvioFound && Pelk::vesk::HasTextHeader(inputPath)) {
            toolPath = CalvioPath;
            extension = GdsExtEdit->text();
        } else {
            continue;
        }

        const std::string outputPath = ToNarrowString(folder + ReplaceExtension(NamePartOf(entry), extension));
        // The child gets the three paths as they are: no splitting of a
        // joined line can change or lose a byte.
        const ChildEnd end = runConverter(toolPath, inputPath, outputPath, State);
        if (const std::optional<QString> failure = failureOf(end))
            failures.push_back({entry, *failure});
        if (end.kind == ChildEnd::NotStarted) {
            State = RunIdle;
            continue;
        }

        doneBytes += static_cast<double>(GetFileSize64(inputPath).value_or(0));
        ProgressBar1->setValue(ProgressPosition(doneBytes, totalBytes));
        TimeLabel->setText(TimeEstimateText(doneBytes, totalBytes, std::time(nullptr) - startTime));
    }

    State = RunIdle;
    StartBtn->setText(QStringLiteral("Start"));
    StartBtn->setEnabled(true);
    TimeLabel->setText(QStringLiteral("0"));
    ProgressBar1->setValue(0);

    // A run that did not convert everything it started says so, once.
    if (!failures.empty())
        dialogs_->showMessage(this, ConversionFailureText(failures, entriesInRun));
}
