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
#include <sys/resource.h>

#include "bench/corpus.h"

#include "app/Main.h"
#include "engine/convert.h"
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

// "Convert source" on the shipped tables.
void BM_ConvertSource(benchmark::State& state)
{
    WriteInputs(static_cast<int>(state.range(0)));
    const std::string tables = VELMORA_SOURCE_DIR "/tables/";
    LoadTablesFromFiles(tables + "cpp.tap", tables + "pascal.tap");
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

// Peak resident memory of the process so far, in MiB.
double PeakMiB()
{
    struct rusage usage;
    getrusage(RUSAGE_SELF, &usage);
    return static_cast<double>(usage.ru_maxrss) / 1024.0;
}

// The whole round on the shipped tables: open a source of n lines of
// C-looking text (about 40 bytes each), convert it, save the result.
void BM_OpenConvertSave(benchmark::State& state)
{
    const std::string tables = VELMORA_SOURCE_DIR "/tables/";
    LoadTablesFromFiles(tables + "cpp.tap", tables + "pascal.tap");
    Write(Path("real.c"), MakeCSource(static_cast<std::size_t>(state.range(0)) * 40));
    TMainForm form;
    form.show();
    for (auto _ : state) {
        form.SourceMemo->LoadFromFile(Path("real.c"));
        SourceLoaded = true;
        form.ConvertItemClick(nullptr);
        form.DestMemo->SaveToFile(Path("real.pas"));
    }
    FreeTables();
    state.SetItemsProcessed(state.iterations() * state.range(0));
    state.counters["peak_MiB"] = PeakMiB();
}

// Start-up with a large table: loading it, the first conversion (which
// prepares the table for fast rewriting) and creating and showing the window.
void BM_StartUpWithLargeTable(benchmark::State& state)
{
    auto [cpp, pascal] = MakeTable(static_cast<std::size_t>(state.range(0)));
    Write(Path("big-cpp.tap"), cpp);
    Write(Path("big-pascal.tap"), pascal);
    for (auto _ : state) {
        LoadTablesFromFiles(Path("big-cpp.tap"), Path("big-pascal.tap"));
        std::string line = "int main(void)";
        ConvertLine(line);
        TMainForm form;
        form.show();
        QApplication::processEvents();
        FreeTables();
    }
}

BENCHMARK(BM_OpenConvertSave)->Arg(100000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_StartUpWithLargeTable)->Arg(7000)->Unit(benchmark::kMillisecond);
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
