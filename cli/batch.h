// Batch conversion: the bytes that opening a source in the window, "Convert
// source" and "Save dest" produce with the same tables, without a window.
#pragma once

#include <string>

#include "cli/options.h"

// DIR/NAME.pas for a source: its file name without directory and extension.
std::string OutputNameFor(const std::string& source);

// Converts options.sources with the tables in options.tablesDir and writes
// each result to standard output, options.output or options.outDir. Every
// failure is reported on standard error, naming its file; a failed result
// never replaces an existing file. Returns 0 when every source was converted
// and written, 1 otherwise, 2 when two sources would be written to one file.
int RunConvert(const TOptions& options);
