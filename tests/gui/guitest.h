// Helpers for the window tests: files in temporary folders, tables of the
// tests' own, and the bytes every round trip must keep.
#pragma once

#include <QDir>
#include <QFile>
#include <QString>
#include <string>

#include "engine/table.h"

namespace guitest {

inline void WriteBytes(const QString& path, const std::string& bytes)
{
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate)) qFatal("cannot write %s", qPrintable(path));
    file.write(bytes.data(), static_cast<qint64>(bytes.size()));
}

inline std::string ReadBytes(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) return "<missing>";
    return file.readAll().toStdString();
}

// Writes "cpp.tap" and "pascal.tap" into dir.
inline void WriteTables(const QString& dir, const std::string& cpp, const std::string& pascal)
{
    WriteBytes(dir + "/cpp.tap", cpp);
    WriteBytes(dir + "/pascal.tap", pascal);
}

// Makes the table the one given, replacing whatever was loaded.
inline void UseTables(const QString& dir, const std::string& cpp, const std::string& pascal)
{
    FreeTables();
    WriteTables(dir, cpp, pascal);
    LoadTablesFromFiles((dir + "/cpp.tap").toStdString(), (dir + "/pascal.tap").toStdString());
}

// Every byte value but NUL, in order.
inline std::string AllNonNulBytes()
{
    std::string bytes;
    for (int b = 1; b < 256; ++b) bytes += static_cast<char>(b);
    return bytes;
}

}  // namespace guitest
