#include "cli/tablescan.h"

#include <unistd.h>

#include <cerrno>

#include "engine/table.h"
#include "platform/rtl/errors.h"
#include "platform/rtl/fileio.h"

namespace {
constexpr char kCR = 13;
constexpr char kLF = 10;
constexpr char kCtrlZ = 26;
}  // namespace

void TTableScanner::Feed(std::string_view chunk)
{
    for (std::size_t i = 0; i < chunk.size(); ++i) {
        char c = chunk[i];
        if (ended_) {
            scan_.bytesAfterCtrlZ += chunk.size() - i;
            return;
        }
        if (afterCR_) {
            afterCR_ = false;
            if (c == kLF)
                continue;
        }
        if (c == kCtrlZ) {
            ended_ = true;
            scan_.ctrlZ = true;
            scan_.ctrlZLine = scan_.lineCount + 1;
            scan_.ctrlZColumn = length_ + 1;
            if (inLine_)
                EndLine();
            continue;
        }
        inLine_ = true;
        if (c == kCR) {
            EndLine();
            afterCR_ = true;
            continue;
        }
        ++length_;
        if (c == kLF)
            ++loneLineFeeds_;
    }
}

void TTableScanner::EndLine()
{
    ++scan_.lineCount;
    if (length_ > MaxEntryLength || loneLineFeeds_ > 0) {
        scan_.notes.push_back({scan_.lineCount, length_, loneLineFeeds_});
    }
    inLine_ = false;
    length_ = 0;
    loneLineFeeds_ = 0;
}

TTableScan TTableScanner::Finish()
{
    if (inLine_)
        EndLine();
    return scan_;
}

TTableScan ScanTableBytes(std::string_view bytes)
{
    TTableScanner scanner;
    scanner.Feed(bytes);
    return scanner.Finish();
}

TTableScan ScanTableFile(const std::string& path)
{
    int fd = OpenRegularFileForReading(path);
    if (fd < 0)
        RaiseInOutError(InOutErrorCodeFromErrno(errno), path);
    struct Closer {
        int fd;
        ~Closer() { ::close(fd); }
    } closer{fd};

    TTableScanner scanner;
    std::string chunk(64 * 1024, '\0');
    for (;;) {
        long n = ReadSome(fd, chunk.data(), chunk.size());
        if (n < 0)
            RaiseInOutError(InOutErrorCodeFromErrno(errno), path);
        if (n == 0)
            break;
        scanner.Feed(std::string_view(chunk.data(), static_cast<std::size_t>(n)));
    }
    return scanner.Finish();
}
