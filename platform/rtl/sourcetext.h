// The byte rules of the text views, shared by the window and the batch
// converter so that both produce the same bytes.
//
// A view's text is a string of single-byte characters whose line breaks are
// all CR LF. Loading a file turns every CR LF, lone CR and lone LF into one
// such break (LF followed by CR is two) and ends the text at the first NUL.
// The view's lines are the pieces between the breaks; a break at the very end
// of the text starts no further line.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

// The most bytes a view's text may hold: 16 MiB. Loading a larger text raises
// ETextCapacityError ("Text überschreitet Memo-Kapazität").
inline constexpr std::size_t MemoCapacity = std::size_t{16} * 1024 * 1024;

// A line is handed to conversion with at most this many characters.
inline constexpr std::size_t MaxConvertedLineLength = 4096;

// Turns raw file bytes into a view's text by the rules above.
// Raises ETextCapacityError (naming fileName) when the text would exceed
// capacity bytes.
std::string SourceTextFromBytes(std::string_view bytes, const std::string& fileName = {},
                                std::size_t capacity = MemoCapacity);

// Reads the file at path whole and turns it into a view's text, as loading a
// view does. Raises EFOpenError when the file cannot be opened (missing, a
// directory, a named pipe, a device), EReadError when reading fails, and
// ETextCapacityError as soon as the text would exceed capacity bytes, so
// memory stays bounded whatever the size of the file.
std::string LoadSourceText(const std::string& path, std::size_t capacity = MemoCapacity);

// The lines of a view's text (its pieces between CR LF breaks).
std::vector<std::string_view> ViewLines(std::string_view text);

// Appends a line to a view's text: on an empty text, or one that ends in a
// line break, the line and then CR LF go at the end; otherwise CR LF and then
// the line.
void AppendViewLine(std::string& text, std::string_view line);

// Saves a view's text to path byte for byte, replacing the file only once
// every byte is written (ReplaceFileContents in fileio.h). Raises
// EFCreateError when the file cannot be created and EWriteError when writing
// stops short; the old file stays as it was in both cases.
void SaveViewText(const std::string& path, std::string_view text);

// The part of a view line that conversion sees: its first
// MaxConvertedLineLength characters.
std::string_view LineForConversion(std::string_view line);
