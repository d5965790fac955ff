#include "cli/batch.h"

#include <unistd.h>

#include <cerrno>
#include <set>

#include "cli/messages.h"
#include "engine/convert.h"
#include "engine/table.h"
#include "platform/rtl/errors.h"
#include "platform/rtl/fileio.h"
#include "platform/rtl/sourcetext.h"

std::string OutputNameFor(const std::string& source)
{
    auto slash = source.rfind('/');
    std::string name = slash == std::string::npos ? source : source.substr(slash + 1);
    auto dot = name.rfind('.');
    if (dot != std::string::npos && dot > 0)
        name.erase(dot);
    return name + ".pas";
}

namespace {

// Writes data to path (or standard output when path is empty). Reports a
// failure on stderr and returns false; a failed file leaves any old file whole.
bool WriteResult(const std::string& path, const std::string& data)
{
    if (path.empty()) {
        if (!WriteAll(STDOUT_FILENO, data)) {
            Complain("standard output", WithReason("Stream-Write-Fehler", errno));
            return false;
        }
        return true;
    }
    try {
        SaveViewText(path, data);
    } catch (const Exception& e) {
        Complain(path, WithReason(e.Message(), e.SystemError()));
        return false;
    }
    return true;
}

bool ConvertOne(const std::string& source, const std::string& output)
{
    std::string result;
    try {
        result = ConvertSourceText(LoadSourceText(source));
    } catch (const Exception& e) {
        Complain(source, e.Message());
        return false;
    }
    return WriteResult(output, result);
}

}  // namespace

int RunConvert(const TOptions& options)
{
    if (!options.outDir.empty()) {
        std::set<std::string> seen;
        for (const auto& source : options.sources) {
            if (!seen.insert(OutputNameFor(source)).second)
                return UsageError("two sources would both be written to " +
                                  JoinPath(options.outDir, OutputNameFor(source)));
        }
    }

    try {
        LoadTablesFromFiles(JoinPath(options.tablesDir, "cpp.tap"),
                            JoinPath(options.tablesDir, "pascal.tap"));
    } catch (const Exception& e) {
        Complain(e.FileName(), e.Message());
        FreeTables();
        return kExitFailed;
    }

    bool ok = true;
    for (const auto& source : options.sources) {
        std::string output = options.outDir.empty()
                                 ? options.output
                                 : JoinPath(options.outDir, OutputNameFor(source));
        ok = ConvertOne(source, output) && ok;
    }
    FreeTables();
    return ok ? kExitOk : kExitFailed;
}
