#include "cli/messages.h"

#include <cstring>
#include <iostream>

void Complain(const std::string& file, const std::string& message)
{
    std::cerr << "velmora-convert: ";
    if (!file.empty())
        std::cerr << file << ": ";
    std::cerr << message << '\n';
}

std::string WithReason(const std::string& message, int err)
{
    if (err == 0)
        return message;
    return message + " (" + std::strerror(err) + ")";
}

int UsageError(const std::string& message)
{
    Complain({}, message);
    std::cerr << "Try 'velmora-convert --help' for more information.\n";
    return kExitUsage;
}

std::string JoinPath(const std::string& dir, const std::string& name)
{
    if (dir.empty())
        return name;
    if (dir.back() == '/')
        return dir + name;
    return dir + "/" + name;
}
