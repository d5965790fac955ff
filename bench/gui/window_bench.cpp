// How long the window's views take with a large source: loading it into the
// source view, "Convert source" into the result view, and reading the result
// back after an edit (what "Save dest" does first).
//
// Runs on Qt's offscreen platform unless QT_QPA_PLATFORM names another.
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTextCursor>
#include <string>

#include "app/Main.h"
#include "engine/table.h"

namespace {

QTemporaryDir* Folder = nullptr;

std::string Path(const char* name) { return (Folder->path() + "/" + name).toStdString(); }

void Write(const std::string& path, const std::string& bytes)
{
    QFile file(QString::fromStdString(path));
    if (!file.open(QIODevice::WriteOnly)) std::abort();
    file.write(bytes.data(), static_cast<qint64>(bytes.size()));
}

// A C source of n lines of ordinary width, and a table of C-to-Pascal pairs.
void WriteInputs(int lines)
{
    const char* body[] = {"int main(int argc, char** argv) {", "    if (a == b && c != d) {",
                          "        x = y->next; /* follow the list */", "    } else {",
                          "        printf(\"%d\\n\", x);", "    }", "    return 0;", "}"};
    std::string source;
    for (int i = 0; i < lines; ++i) source += std::string(body[i % 8]) + "\r\n";
    Write(Path("big.c"), source);
    Write(Path("cpp.tap"), "==\r\n!=\r\n&&\r\n||\r\n->\r\n/*\r\n*/\r\n{\r\n}\r\n=\r\nint \r\nreturn\r\n");
    Write(Path("pascal.tap"), "=\r\n<>\r\nand\r\nor\r\n^.\r\n{\r\n}\r\nbegin\r\nend;\r\n:=\r\nInteger \r\nexit\r\n");
}

void BM_LoadSource(benchmark::State& state)
{
    WriteInputs(static_cast<int>(state.range(0)));
    TMainForm form;
    for (auto _ : state) {
        form.SourceMemo->LoadFromFile(Path("big.c"));
        benchmark::DoNotOptimize(form.SourceMemo->document()->blockCount());
    }
    state.SetItemsProcessed(state.iterations() * state.range(0));
}

void BM_ConvertSource(benchmark::State& state)
{
    WriteInputs(static_cast<int>(state.range(0)));
    LoadTablesFromFiles(Path("cpp.tap"), Path("pascal.tap"));
    TMainForm form;
    form.SourceMemo->LoadFromFile(Path("big.c"));
    SourceLoaded = true;
    for (auto _ : state) {
        form.ConvertItemClick(nullptr);
        benchmark::DoNotOptimize(form.DestMemo->document()->blockCount());
    }
    FreeTables();
    state.SetItemsProcessed(state.iterations() * state.range(0));
}

void BM_ReadEditedResult(benchmark::State& state)
{
    WriteInputs(static_cast<int>(state.range(0)));
    TMainForm form;
    form.DestMemo->LoadFromFile(Path("big.c"));
    for (auto _ : state) {
        state.PauseTiming();
        QTextCursor(form.DestMemo->document()).insertText(QStringLiteral("x"));
        state.ResumeTiming();
        benchmark::DoNotOptimize(form.DestMemo->Text().size());
    }
    state.SetItemsProcessed(state.iterations() * state.range(0));
}

BENCHMARK(BM_LoadSource)->Arg(10000)->Arg(100000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ConvertSource)->Arg(10000)->Arg(100000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ReadEditedResult)->Arg(100000)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    QTemporaryDir folder;
    Folder = &folder;
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
