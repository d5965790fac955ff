// What reading a table file does with its bytes, including what the table
// reader does not tell its caller: how long each line was before only its
// first MaxEntryLength bytes were kept, which lines hold an LF that does not
// end them, and whether a Ctrl-Z ended the text before the physical end.
//
// The line rules are the reader's (TTextFile): a CR ends a line and an LF
// right after it belongs to that line end; any other LF is an ordinary byte;
// the text ends at the physical end or at the first Ctrl-Z; a line end at the
// very end starts no further line. Lines are numbered from 1 by these rules,
// so one "line" may be several lines in an editor.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

// A line that is longer than MaxEntryLength or holds an LF without a CR
// before it.
struct TTableLineNote {
    std::size_t line = 0;      // 1-based
    std::uint64_t length = 0;  // bytes before its line end or Ctrl-Z
    std::uint64_t loneLineFeeds = 0;
};

struct TTableScan {
    // The lines the reader gives before the end of the text: 0 for an empty
    // file. (The table still has one pair then; see LoadTablesFrom.)
    std::size_t lineCount = 0;
    std::vector<TTableLineNote> notes;  // in line order

    // The first Ctrl-Z, which ends the text. Its line is the one it stands
    // in; at the start of a line that is the line after the last one read.
    bool ctrlZ = false;
    std::size_t ctrlZLine = 0;
    std::uint64_t ctrlZColumn = 0;      // 1-based byte position in its line
    std::uint64_t bytesAfterCtrlZ = 0;  // bytes that follow it, never read
};

// Scans a table file handed over in chunks of any size; a CR at the end of
// one chunk pairs with an LF at the start of the next.
class TTableScanner {
public:
    void Feed(std::string_view chunk);
    // Ends the scan at the physical end and gives the result.
    TTableScan Finish();

private:
    void EndLine();

    TTableScan scan_;
    bool inLine_ = false;
    bool afterCR_ = false;
    bool ended_ = false;
    std::uint64_t length_ = 0;
    std::uint64_t loneLineFeeds_ = 0;
};

TTableScan ScanTableBytes(std::string_view bytes);

// Reads the file at path and scans it. Raises EInOutError (naming path) when
// it cannot be opened or read, as the table reader does.
TTableScan ScanTableFile(const std::string& path);
