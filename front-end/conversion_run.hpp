// The pieces of a conversion run that need no window: its bookkeeping entry
// by entry, output paths, the child's command line, the progress and
// time-estimate readings, and the report of what was not converted.
#pragma once

#include <QString>

#include <cstdint>
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <utility>
#include <vector>

// The folder part of a path, up to and including its last '/'.
QString FolderPartOf(const QString& path);
// What follows the last '/' of a path.
QString NamePartOf(const QString& path);
// The name with everything from its last period replaced by extension.
QString ReplaceExtension(const QString& name, const QString& extension);
// The output folder a typed text names, ending in '/' so that a file name can
// follow it: empty means the current folder.
QString TypedOutputFolder(const QString& typed);

// "tool" "input" "output": the command line of a converter run, as a person
// would type it. The child itself is started from the three paths as separate
// arguments, never from this line split back into words.
std::string ConverterCommandLine(const std::string& toolPath, const std::string& inputPath,
                                 const std::string& outputPath);

// Percent of the bytes done, truncated; 0 while there is nothing to count.
int ProgressPosition(double doneBytes, double totalBytes);
// "evaluating" up to 2 % of the bytes, then the whole seconds still to go:
// the projected duration of the run less the time elapsed, never below 0.
QString TimeEstimateText(double doneBytes, double totalBytes, long long elapsedSeconds);

// Where a run stands: 0 idle, 1 a child running, 2 the user asked to abort.
// The window reads it to keep its controls in step and to refuse closing.
enum RunState : int { RunIdle = 0, RunRunning = 1, RunAborting = 2 };

// Why an entry of a run was not converted. detail holds, by cause: the
// tool's message or how it ended; the entry whose file (or, with
// ofOutput, whose output) the entry's output would have overwritten; why it
// was skipped; why its tool could not be started; the path of the
// incomplete output the stopped tool leaves behind.
struct EntryOutcome {
    enum Cause { Failed, Refused, Skipped, NotStarted, Aborted };
    Cause cause;
    QString entry;
    QString detail;
    bool ofOutput = false;
};

// Everything a run did not convert: outcomes in list order, and the entries
// an abort kept the run from reaching.
struct RunOutcomes {
    int entries = 0;
    std::vector<EntryOutcome> notConverted;
    int notReached = 0;

    bool allConverted() const { return notConverted.empty() && notReached == 0; }
};

// The message that ends a run which did not convert everything: text holds
// the count and the first entries grouped by cause, short enough for any
// screen; details holds the whole list, and is empty when text already does.
struct RunReport {
    QString text;
    QString details;
};

// Shortens a piece of the report in its middle to one line of the box that
// shows it; a piece that fits comes back as it is.
using FitToLine = std::function<QString(const QString&)>;

// An entry whose line does not fit takes two: its path, then why, each
// shortened to one line. Control characters and the marks and overrides of
// text direction in a path show as '?', also where a tool's line repeats it
// (a TAB there stays). The details then hold every path as it is.
RunReport RunReportText(const RunOutcomes& outcomes, const FitToLine& fitToLine);

// The files a run must not overwrite: the entries of the list as the run
// starts, and every output it has written or begun to write. A path names
// one of them by the path itself, or as the same file reached through a
// symbolic or hard link.
class ProtectedFiles {
public:
    explicit ProtectedFiles(const std::vector<std::string>& entries);
    // The output that the child of the entry at index has begun to write.
    void AddOutput(const std::string& outputPath, std::size_t entry);

    struct Owner {
        std::string entry;
        bool ofOutput;  // the entry's output, not the entry itself
    };
    // Whose file outputPath would overwrite, if anyone's.
    std::optional<Owner> OwnerOf(const std::string& outputPath) const;

private:
    struct Holder {
        std::size_t entry;
        bool ofOutput;
    };
    void protect(const std::string& path, std::size_t entry, bool ofOutput);

    std::vector<std::string> entries_;
    // An output that names a protected file is refused before it is added,
    // and the entries come first: the first holder of a key keeps it.
    std::map<std::string, Holder> byPath_;
    std::map<std::pair<std::uint64_t, std::uint64_t>, Holder> byIdentity_;
};

// The run's options, read from the window once as the run starts.
struct RunOptions {
    std::string brenmoPath;  // empty when brenmo was not found
    std::string calvioPath;  // empty when calvio was not found
    bool besideSource = true;
    QString outputFolder;  // as typed; used unless besideSource
    QString textExtension;    // of brenmo's output
    QString streamExtension;  // of calvio's output
};

// What the run does with one entry, worked out before its child starts:
// either a tool with its output, or why the entry is not converted.
struct EntryPlan {
    std::string toolPath;
    QString toolName;
    std::string inputPath;  // the entry as listed
    std::string outputPath;
    std::optional<EntryOutcome> refusal;  // Skipped or Refused
};

struct ChildEnd;

// The bookkeeping of one run over the list as it stood at Start: which entry
// comes next and with what tool and output, the outputs no later entry may
// replace, and what was not converted. The caller starts and waits for each
// child in between.
class ConversionRun {
public:
    ConversionRun(const std::vector<std::string>& entries, const RunOptions& options);

    // Plans entries until one has a child to run, and gives its plan; one
    // skipped or refused on the way counts as not converted. Nothing once
    // every entry is planned.
    std::optional<EntryPlan> nextEntry();
    // The child of the entry nextEntry gave has ended, or could not start:
    // what it wrote is protected from here on, and its outcome counted.
    void childEnded(const ChildEnd& end);
    // Entries never planned, as after an abort, count as not reached.
    RunOutcomes outcomes() const;

private:
    EntryPlan plan(std::size_t index) const;

    std::vector<std::string> entries_;
    RunOptions options_;
    ProtectedFiles files_;
    std::size_t planned_ = 0;
    EntryPlan current_;
    RunOutcomes outcomes_;
};
