// The pieces of a conversion run that follow from text alone: output paths,
// the child's command line, and the progress and time-estimate readings.
#pragma once

#include <QString>

#include <string>

// The folder part of a path, up to and including its last '/'.
QString FolderPartOf(const QString& path);
// What follows the last '/' of a path.
QString NamePartOf(const QString& path);
// The name with everything from its last period replaced by extension.
QString ReplaceExtension(const QString& name, const QString& extension);

// "tool" "input" "output": the command line a converter is started with.
std::string ConverterCommandLine(const std::string& toolPath, const std::string& inputPath,
                                 const std::string& outputPath);

// Percent of the bytes done, truncated; 0 while there is nothing to count.
int ProgressPosition(double doneBytes, double totalBytes);
// "evaluating" up to 2 % of the bytes, then the projected duration of the
// whole run in seconds.
QString TimeEstimateText(double doneBytes, double totalBytes, long long elapsedSeconds);
