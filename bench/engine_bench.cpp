// Conversion throughput of the engine: the indexed ConvertLine against the
// plain loop over every pair, on the shipped tables and on a large generated
// table; and the cost of loading a large table.

#include <benchmark/benchmark.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <string>

#include "corpus.h"
#include "engine/convert.h"
#include "engine/table.h"
#include "platform/rtl/sourcetext.h"
#include "platform/rtl/textfile.h"

namespace {

const std::string& Source()
{
    static const std::string text = MakeCSource(4 << 20);
    return text;
}

void LoadGenerated(std::size_t pairs)
{
    auto [cpp, pascal] = MakeTable(pairs);
    TTextFile patterns, replacements;
    patterns.ResetFromBytes(cpp);
    replacements.ResetFromBytes(pascal);
    LoadTablesFrom(patterns, replacements);
}

bool LoadShipped()
{
    std::string dir = VELMORA_SOURCE_DIR "/tables/";
    if (!std::filesystem::exists(dir + "cpp.tap")) return false;
    LoadTablesFromFiles(dir + "cpp.tap", dir + "pascal.tap");
    return true;
}

template <void (*Rewrite)(std::string&)>
void ConvertAll(benchmark::State& state)
{
    const std::string& text = Source();
    std::size_t lines = 0;
    for (auto _ : state) {
        std::string result;
        std::string line;
        lines = 0;
        for (std::string_view viewLine : ViewLines(text)) {
            line.assign(LineForConversion(viewLine));
            Rewrite(line);
            AppendViewLine(result, line);
            ++lines;
        }
        benchmark::DoNotOptimize(result);
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * text.size()));
    state.SetItemsProcessed(static_cast<int64_t>(state.iterations() * lines));
    state.counters["pairs"] = PairCount;
}

template <void (*Rewrite)(std::string&)>
void BM_ShippedTable(benchmark::State& state)
{
    if (!LoadShipped()) {
        state.SkipWithError("tables/cpp.tap not found");
        return;
    }
    ConvertAll<Rewrite>(state);
    FreeTables();
}

template <void (*Rewrite)(std::string&)>
void BM_GeneratedTable(benchmark::State& state)
{
    LoadGenerated(static_cast<std::size_t>(state.range(0)));
    ConvertAll<Rewrite>(state);
    FreeTables();
}

BENCHMARK(BM_ShippedTable<ConvertLine>)
    ->Name("Convert/shipped/indexed")
    ->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ShippedTable<ConvertLinePlain>)
    ->Name("Convert/shipped/plain")
    ->Unit(benchmark::kMillisecond);
BENCHMARK(BM_GeneratedTable<ConvertLine>)
    ->Name("Convert/generated/indexed")
    ->Arg(7000)
    ->Unit(benchmark::kMillisecond);
BENCHMARK(BM_GeneratedTable<ConvertLinePlain>)
    ->Name("Convert/generated/plain")
    ->Arg(7000)
    ->Unit(benchmark::kMillisecond)
    ->Iterations(1);

// Start-up cost of the table itself: reading both files and the first line
// conversion, which builds the index.
void BM_LoadTables(benchmark::State& state)
{
    auto [cpp, pascal] = MakeTable(static_cast<std::size_t>(state.range(0)));
    char dirName[] = "/tmp/velmora-bench-XXXXXX";
    if (!::mkdtemp(dirName)) {
        state.SkipWithError("no temporary folder");
        return;
    }
    std::string dir = dirName;
    std::ofstream(dir + "/cpp.tap", std::ios::binary) << cpp;
    std::ofstream(dir + "/pascal.tap", std::ios::binary) << pascal;
    for (auto _ : state) {
        LoadTablesFromFiles(dir + "/cpp.tap", dir + "/pascal.tap");
        std::string line = "int main(void)";
        ConvertLine(line);
        FreeTables();
    }
    std::filesystem::remove_all(dir);
}
BENCHMARK(BM_LoadTables)->Name("LoadTables")->Arg(7000)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
