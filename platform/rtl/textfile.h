// Buffered reading of line-oriented text files, byte for byte.
//
// The line rules are those of the table files:
//  - a CR (13) ends a line; an LF (10) directly after that CR belongs to the
//    line end; an LF anywhere else is an ordinary character;
//  - the text ends at the physical end or at the first Ctrl-Z (26); nothing
//    from the Ctrl-Z on is read;
//  - the last line needs no line end, and a line end at the very end starts
//    no further line.
// No character-set conversion and no trimming take place.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

class TTextFile {
public:
    TTextFile();
    ~TTextFile();
    TTextFile(const TTextFile&) = delete;
    TTextFile& operator=(const TTextFile&) = delete;

    // Opens the named file for reading. Raises EInOutError (with the path as
    // its file name) when it cannot be opened; a directory or another file
    // that is not a regular file counts as one that cannot be opened.
    void Reset(const std::string& path);

    // Reads from bytes held in memory instead of a file; for tests and tools.
    void ResetFromBytes(std::string bytes);

    // True when no character is left before the end of the text or the next
    // character is a Ctrl-Z. Raises EInOutError when reading fails.
    bool Eof();

    // Reads the next line whole and its line end, and gives its first
    // maxKeep characters in line; the rest of a longer line is skipped. At the
    // end of the text the line is empty and no error arises.
    void ReadLine(std::string& line, std::size_t maxKeep = std::string::npos);

    // Closes the file. Raises EInOutError when closing fails.
    void Close();

    const std::string& Path() const { return path_; }

private:
    // Makes at least one unread byte available; false at the physical end.
    bool Fill();

    int fd_ = -1;
    bool fromMemory_ = false;
    bool ended_ = false;  // reached a Ctrl-Z or the physical end
    std::string path_;
    std::vector<char> buffer_;
    std::size_t pos_ = 0;
    std::size_t end_ = 0;
};
