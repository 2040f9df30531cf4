// Test support: runs a program file with arguments and collects its exit
// status, standard output and standard error.
#pragma once

#include "test_files.hpp"

#include <sys/wait.h>

#include <cstdlib>
#include <string>
#include <vector>

namespace Pelk::testing {

struct ProgramRun {
    int status = -1;
    std::string out;
    std::string err;
};

inline std::string shellQuote(const std::string& s)
{
    std::string q = "'";
    for (char c : s)
        q += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return q + "'";
}

// The stack each console program must run within: a shell's `ulimit -s 256`.
inline constexpr int programStackKilobytes = 256;

// A `stackKilobytes` above 0 limits the program's stack to that many KB; a
// program that overflows it dies of SIGSEGV, status 139.
inline ProgramRun runProgram(const std::string& program, const std::vector<std::string>& args,
                             int stackKilobytes = 0)
{
    TemporaryFile outFile("run_out"), errFile("run_err");
    const std::string& outPath = outFile.path();
    const std::string& errPath = errFile.path();
    std::string command = shellQuote(program);
    if (stackKilobytes > 0) {
        std::string limited = "ulimit -s ";
        limited += std::to_string(stackKilobytes);
        limited += " && exec ";
        command.insert(0, limited);
    }
    for (const auto& a : args) {
        command += ' ';
        command += shellQuote(a);
    }
    command += " >";
    command += shellQuote(outPath);
    command += " 2>";
    command += shellQuote(errPath);
    command += " </dev/null";
    ProgramRun run;
    int raw = std::system(command.c_str());
    run.status = WIFEXITED(raw) ? WEXITSTATUS(raw) : 128 + WTERMSIG(raw);
    run.out = readWholeFile(outPath);
    run.err = readWholeFile(errPath);
    return run;
}

} // namespace Pelk::testing
