// Standard output for reports that may run long (table checks, traces).
#pragma once

#include <string>
#include <string_view>

class TReportOutput {
public:
    // Writes to the descriptor fd, in pieces of some 64 KiB.
    explicit TReportOutput(int fd);
    TReportOutput(const TReportOutput&) = delete;
    TReportOutput& operator=(const TReportOutput&) = delete;

    // Adds text to the report. Once a write has failed, text is dropped.
    void Write(std::string_view text);

    // Writes out what is still held. Returns false when any write of the
    // report failed; Error() then gives its errno value.
    bool Flush();

    bool Failed() const { return failed_; }
    int Error() const { return error_; }

private:
    int fd_;
    std::string pending_;
    bool failed_ = false;
    int error_ = 0;
};

// Reports a failed report on standard error, naming standard output.
void ComplainAboutOutput(const TReportOutput& output);
