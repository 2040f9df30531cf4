// One converter child of a run: started from its three paths byte for byte,
// waited for while the window keeps working, killed on abort or when its
// wait is left early.
#pragma once

#include "conversion_run.hpp"

#include <QString>

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

// Keeps the last "ERROR[" line a tool printed on either of its two output
// streams, in the order the bytes arrive, and never more than a bounded
// piece of any line, however much the tool writes.
class ErrorLineScanner {
public:
    static constexpr std::size_t lineLimit = 4096;

    // Bytes the child wrote on stream 0 (standard output) or 1 (standard error).
    void take(int stream, std::string_view bytes);
    // The streams ended: a last line without its line feed counts as well.
    void finish();
    // The line without its line end; empty when the tool printed none.
    const std::string& lastErrorLine() const { return last_; }

private:
    void endLine(int stream);

    std::string line_[2];
    std::string last_;
};

// How one child ended.
struct ChildEnd {
    enum Kind { NotStarted, Ended, Aborted } kind = NotStarted;
    int status = 0;  // the wait status, when Ended and known
    bool statusKnown = false;
    int startError = 0;  // the errno of a start that failed
    std::string errorLine;  // the tool's last "ERROR[" line, if it printed one
};

// Starts the converter with the three paths as its arguments and waits for
// it in 10 ms slices while the Qt event loop runs, reading what it writes as
// it comes so that a full pipe never stalls it. `state` becomes RunRunning
// once the child runs; RunAborting kills it. An exception out of the event
// loop leaves no child behind: it is killed and reaped on the way out.
ChildEnd runConverter(const std::string& toolPath, const std::string& inputPath, const std::string& outputPath,
                      RunState& state);

// Why the entry was not converted, or nothing when its child converted it.
// toolName names the tool that could not be started; outputPath is what an
// aborted child leaves incomplete.
std::optional<EntryOutcome> outcomeOf(const ChildEnd& end, const QString& entry, const QString& toolName,
                                      const QString& outputPath);
