// The pieces of a conversion run that follow from text alone: output paths,
// the child's command line, and the progress and time-estimate readings.
#pragma once

#include <QString>

#include <cstdint>
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
// tool's message or how it ended; the entry the output would have
// overwritten; why it was skipped; why its tool could not be started; the
// path of the incomplete output the stopped tool leaves behind.
struct EntryOutcome {
    enum Cause { Failed, Refused, Skipped, NotStarted, Aborted };
    Cause cause;
    QString entry;
    QString detail;
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

RunReport RunReportText(const RunOutcomes& outcomes);

// The files of the list as a run starts, so that an output path can be told
// apart from every one of them: by the path itself, or as the same file
// reached through a symbolic or hard link.
class ListedFiles {
public:
    explicit ListedFiles(const std::vector<std::string>& entries);
    // The index of the entry that outputPath would overwrite, if any.
    std::optional<std::size_t> EntryNamedBy(const std::string& outputPath) const;

private:
    std::map<std::string, std::size_t> paths_;
    std::map<std::pair<std::uint64_t, std::uint64_t>, std::size_t> files_;
};
