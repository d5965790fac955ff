// Exit statuses and the one-line messages that velmora-convert writes to
// standard error.
#pragma once

#include <string>

inline constexpr int kExitOk = 0;
inline constexpr int kExitFailed = 1;
inline constexpr int kExitUsage = 2;

// --check: 1 says that facts were reported, so a table that cannot be read or
// a report that cannot be written ends with 2.
inline constexpr int kExitCheckFindings = 1;
inline constexpr int kExitCheckTrouble = 2;

// Writes "velmora-convert: FILE: MESSAGE" (without "FILE: " when file is
// empty) to standard error.
void Complain(const std::string& file, const std::string& message);

// The message of a failed operation, with the system's reason where errno has
// one (err is 0 when it has none).
std::string WithReason(const std::string& message, int err);

// Reports a usage error and points to --help; returns kExitUsage.
int UsageError(const std::string& message);

// DIR/NAME, or NAME alone when dir is empty.
std::string JoinPath(const std::string& dir, const std::string& name);
