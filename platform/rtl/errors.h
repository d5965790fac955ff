// Errors raised by the run-time library.
//
// Every failure of the file and text routines leaves the routine as one of the
// exceptions below. Their messages are the user-visible German texts; the
// program never catches them itself: start-up turns any of them into the
// runtime-error box, a menu command into the application's error box, and the
// batch converter into a line on stderr.
//
// Raise them with the Raise... helpers rather than a bare throw, so that each
// error records the code address it was raised from.
#pragma once

#include <cstdint>
#include <exception>
#include <string>

// The root of every error the run-time library raises.
class Exception : public std::exception {
public:
    explicit Exception(std::string message) : message_(std::move(message)) {}

    // The user-visible message (UTF-8), without a final full stop.
    const std::string& Message() const noexcept { return message_; }
    const char* what() const noexcept override { return message_.c_str(); }

    // The code address the error was raised from, or 0 when unknown.
    std::uintptr_t RaiseAddress() const noexcept { return address_; }
    void SetRaiseAddress(std::uintptr_t address) noexcept { address_ = address; }

    // The file the failing operation was working on; empty when none. Not part
    // of the message, so that the window shows the message as it stands.
    const std::string& FileName() const noexcept { return fileName_; }
    void SetFileName(std::string name) { fileName_ = std::move(name); }

    // The errno value of the failing system call when the error was raised, or
    // 0; for reports that add the system's reason to the message.
    int SystemError() const noexcept { return systemError_; }
    void SetSystemError(int err) noexcept { systemError_ = err; }

private:
    std::string message_;
    std::string fileName_;
    std::uintptr_t address_ = 0;
    int systemError_ = 0;
};

// A file could not be opened, read, written or closed by the text-file
// routines. ErrorCode() is the run-time library's error number (2 file not
// found, 3 path not found, 5 access denied, ...).
class EInOutError : public Exception {
public:
    EInOutError(int code, std::string message) : Exception(std::move(message)), code_(code) {}
    int ErrorCode() const noexcept { return code_; }

private:
    int code_;
};

// Failures of whole-file reading and writing (views loading and saving).
class EStreamError : public Exception {
public:
    using Exception::Exception;
};

class EFOpenError : public EStreamError {  // "Datei %s kann nicht geöffnet werden"
public:
    using EStreamError::EStreamError;
};

class EFCreateError : public EStreamError {  // "Datei %s kann nicht erstellt werden"
public:
    using EStreamError::EStreamError;
};

class EReadError : public EStreamError {  // "Stream-Read-Fehler"
public:
    using EStreamError::EStreamError;
};

class EWriteError : public EStreamError {  // "Stream-Write-Fehler"
public:
    using EStreamError::EStreamError;
};

// A text does not fit into a text view: "Text überschreitet Memo-Kapazität".
class ETextCapacityError : public Exception {
public:
    using Exception::Exception;
};

// The German message for a run-time library error number: 2 gives
// "Datei nicht gefunden". Unknown numbers give "E/A-Fehler <n>".
std::string InOutErrorMessage(int code);

// Maps a POSIX errno value to the run-time library's error number.
int InOutErrorCodeFromErrno(int err);

// Raise helpers. Each records the address of its caller and attaches fileName
// (where given) without putting it into the message.
[[noreturn]] void RaiseInOutError(int code, const std::string& fileName = {});
[[noreturn]] void RaiseFOpenError(const std::string& path);
[[noreturn]] void RaiseFCreateError(const std::string& path);
[[noreturn]] void RaiseReadError(const std::string& path);
[[noreturn]] void RaiseWriteError(const std::string& path);
[[noreturn]] void RaiseTextCapacityError(const std::string& path);
