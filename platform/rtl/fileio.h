// Thin POSIX file helpers shared by the text-file reader, the views' loading
// and saving, and the batch converter. They report failures as errno values;
// the callers decide which of the run-time library's errors to raise.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

// Opens path for reading. Only regular files are accepted: a directory, a
// named pipe or a device fails with EISDIR or ENXIO instead of blocking.
// Returns the descriptor, or -1 with errno set.
int OpenRegularFileForReading(const std::string& path);

// Reads up to size bytes, retrying interrupted calls. Returns the number of
// bytes read (0 at the end of the file), or -1 with errno set.
long ReadSome(int fd, char* buffer, std::size_t size);

// Writes all of data, retrying short and interrupted writes. Returns false
// with errno set when the system refused part of it.
bool WriteAll(int fd, std::string_view data);

// Replaces the file at path with data, or leaves it exactly as it was.
//
// The bytes go to a temporary file beside the target, which is flushed to the
// disk and then renamed over the target. An existing target keeps its
// permission bits; a symbolic link is followed and its target replaced, the
// link itself stays. A file the caller may not write is refused. Where the
// folder takes no new files but the file itself is writable, the file is
// overwritten in place, and a failed write then leaves it short.
// Returns 0 on success, otherwise one of:
//   1  the file could not be created (errno says why), nothing was changed;
//   2  writing stopped short (errno says why), nothing was changed.
int ReplaceFileContents(const std::string& path, std::string_view data);
