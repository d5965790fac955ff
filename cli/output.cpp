#include "cli/output.h"

#include <cerrno>

#include "cli/messages.h"
#include "platform/rtl/fileio.h"

namespace {
constexpr std::size_t kFlushAt = 64 * 1024;
}

TReportOutput::TReportOutput(int fd) : fd_(fd) {}

void TReportOutput::Write(std::string_view text)
{
    if (failed_)
        return;
    pending_.append(text);
    if (pending_.size() >= kFlushAt)
        Flush();
}

bool TReportOutput::Flush()
{
    if (failed_)
        return false;
    if (!WriteAll(fd_, pending_)) {
        failed_ = true;
        error_ = errno;
    }
    pending_.clear();
    return !failed_;
}

void ComplainAboutOutput(const TReportOutput& output)
{
    Complain("standard output", WithReason("Stream-Write-Fehler", output.Error()));
}
