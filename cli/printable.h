// Shows table entries and lines so that every byte can be seen.
#pragma once

#include <string>
#include <string_view>

// Returns bytes between single quotes, with printable ASCII as it is and
// every other byte escaped: \t, \n, \r for tab, LF and CR, \xHH (two
// lower-case hex digits) for the rest, so Ctrl-Z is \x1a and 0xE4 is \xe4.
// A backslash shows as \\ and a single quote as \', so the text between the
// quotes reads back unambiguously.
std::string Quoted(std::string_view bytes);
