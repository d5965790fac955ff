#include "platform/rtl/errors.h"

#include <cerrno>

namespace {

// Formats a message template with one "%s" in it.
std::string WithPath(const char* before, const std::string& path, const char* after)
{
    std::string s(before);
    s += path;
    s += after;
    return s;
}

template <typename E>
[[noreturn]] void Raise(int systemError, E error, void* caller, const std::string& fileName)
{
    error.SetRaiseAddress(reinterpret_cast<std::uintptr_t>(caller));
    error.SetFileName(fileName);
    error.SetSystemError(systemError);
    throw error;
}

}  // namespace

std::string InOutErrorMessage(int code)
{
    switch (code) {
        case 2:
            return "Datei nicht gefunden";
        case 3:
            return "Ungültiger Pfad";
        case 4:
            return "Zu viele geöffnete Dateien";
        case 5:
            return "Zugriff verweigert";
        case 8:
            return "Zu wenig Arbeitsspeicher";
        case 100:
            return "Lesefehler";
        case 101:
            return "Schreibfehler";
        case 102:
            return "Dateivariable nicht zugewiesen";
        case 103:
            return "Datei nicht geöffnet";
        case 106:
            return "Ungültige numerische Eingabe";
    }
    return "E/A-Fehler " + std::to_string(code);
}

int InOutErrorCodeFromErrno(int err)
{
    switch (err) {
        case ENOENT:
            return 2;
        case ENOTDIR:
        case ENAMETOOLONG:
        case ELOOP:
            return 3;
        case EMFILE:
        case ENFILE:
            return 4;
        case EACCES:
        case EPERM:
        case EISDIR:
        case EROFS:
        case ETXTBSY:
        case ENXIO:
        case ENODEV:
            return 5;
        case ENOMEM:
            return 8;
        case EIO:
            return 100;
        case ENOSPC:
        case EFBIG:
        case EDQUOT:
            return 101;
    }
    return err > 0 ? err : 100;
}

// noinline keeps __builtin_return_address(0) pointing at the raising code.
__attribute__((noinline)) void RaiseInOutError(int code, const std::string& fileName)
{
    const int err = errno;  // before building the message can change it
    Raise(err, EInOutError(code, InOutErrorMessage(code)), __builtin_return_address(0), fileName);
}

__attribute__((noinline)) void RaiseFOpenError(const std::string& path)
{
    const int err = errno;  // before building the message can change it
    Raise(err, EFOpenError(WithPath("Datei ", path, " kann nicht geöffnet werden")),
          __builtin_return_address(0), path);
}

__attribute__((noinline)) void RaiseFCreateError(const std::string& path)
{
    const int err = errno;  // before building the message can change it
    Raise(err, EFCreateError(WithPath("Datei ", path, " kann nicht erstellt werden")),
          __builtin_return_address(0), path);
}

__attribute__((noinline)) void RaiseReadError(const std::string& path)
{
    const int err = errno;  // before building the message can change it
    Raise(err, EReadError("Stream-Read-Fehler"), __builtin_return_address(0), path);
}

__attribute__((noinline)) void RaiseWriteError(const std::string& path)
{
    const int err = errno;  // before building the message can change it
    Raise(err, EWriteError("Stream-Write-Fehler"), __builtin_return_address(0), path);
}

__attribute__((noinline)) void RaiseTextCapacityError(const std::string& path)
{
    const int err = errno;  // before building the message can change it
    Raise(err, ETextCapacityError("Text überschreitet Memo-Kapazität"), __builtin_return_address(0),
          path);
}
