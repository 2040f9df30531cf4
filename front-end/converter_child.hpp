// One converter child of a run: started from its three paths byte for byte,
// waited for while the window keeps working, killed on abort.
#pragma once

#include "conversion_run.hpp"

#include <QString>

#include <optional>
#include <string>

// How one child ended.
struct ChildEnd {
    enum Kind { NotStarted, Ended, Aborted } kind = NotStarted;
    int status = 0;  // the wait status, when Ended and known
    bool statusKnown = false;
};

// Starts the converter with the three paths as its arguments, with no output
// captured, and waits for it in 10 ms slices while the Qt event loop runs.
// `state` becomes RunRunning once the child runs; RunAborting kills it.
ChildEnd runConverter(const std::string& toolPath, const std::string& inputPath, const std::string& outputPath,
                      RunState& state);

// What went wrong with an entry's child, or nothing when it converted the
// entry or the user aborted it.
std::optional<QString> failureOf(const ChildEnd& end);
