// Runs velmora-convert as a separate process, for the end-to-end tests.
#pragma once

#include <string>
#include <vector>

struct TRunResult {
    int status = -1;  // exit status; -1 when the program did not exit normally
    std::string out;
    std::string err;
};

// Runs program with args in the folder cwd. Its standard output goes to
// stdoutPath when that is given (e.g. "/dev/full"), else it is captured.
TRunResult RunProgram(const std::string& program, const std::vector<std::string>& args,
                      const std::string& cwd, const std::string& stdoutPath = {});
