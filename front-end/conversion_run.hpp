// The pieces of a conversion run that follow from text alone: output paths,
// the child's command line, and the progress and time-estimate readings.
#pragma once

#include <QString>

#include <string>
#include <vector>

// The folder part of a path, up to and including its last '/'.
QString FolderPartOf(const QString& path);
// What follows the last '/' of a path.
QString NamePartOf(const QString& path);
// The name with everything from its last period replaced by extension.
QString ReplaceExtension(const QString& name, const QString& extension);

// "tool" "input" "output": the command line of a converter run, as a person
// would type it. The child itself is started from the three paths as separate
// arguments, never from this line split back into words.
std::string ConverterCommandLine(const std::string& toolPath, const std::string& inputPath,
                                 const std::string& outputPath);

// Percent of the bytes done, truncated; 0 while there is nothing to count.
int ProgressPosition(double doneBytes, double totalBytes);
// "evaluating" up to 2 % of the bytes, then the projected duration of the
// whole run in seconds.
QString TimeEstimateText(double doneBytes, double totalBytes, long long elapsedSeconds);

// Where a run stands: 0 idle, 1 a child running, 2 the user asked to abort.
// The window reads it to keep its controls in step and to refuse closing.
enum RunState : int { RunIdle = 0, RunRunning = 1, RunAborting = 2 };

// An entry whose child did not convert it, and how that child ended:
// "exit status 1", "killed by signal 11" or "could not be started".
struct ConversionFailure {
    QString entry;
    QString outcome;
};

// The text of the one message that ends a run with failures: how many of the
// entries the run reached (the whole list, unless it was aborted) failed, then
// each failed entry with its outcome, one a line.
QString ConversionFailureText(const std::vector<ConversionFailure>& failures, int entriesInRun);
