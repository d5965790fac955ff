// Replays every fuzz input kept in the tree through the engine-against-
// reference checks, in the ordinary and the sanitizer builds alike: the seed
// corpora under fuzz/corpus/TARGET and the findings under
// tests/badinput/findings/TARGET (inputs that once made a fuzz target fail).

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

#include "tests/badinput/badinput_support.h"
#include "tests/support/differential_checks.h"

namespace badinput {
namespace {

struct Target {
    const char* name;
    std::string (*check)(std::string_view input);
};

// Cases show up by name in test listings.
void PrintTo(const Target& c, std::ostream* os)
{
    *os << c.name;
}

class CorpusReplay : public ::testing::TestWithParam<Target> {};

std::vector<fs::path> InputsOf(const char* target)
{
    std::vector<fs::path> inputs;
    for (const char* root : {"fuzz/corpus", "tests/badinput/findings"}) {
        fs::path folder = fs::path(VELMORA_SOURCE_DIR) / root / target;
        if (!fs::is_directory(folder)) continue;
        for (const auto& entry : fs::directory_iterator(folder))
            if (entry.is_regular_file()) inputs.push_back(entry.path());
    }
    std::sort(inputs.begin(), inputs.end());
    return inputs;
}

TEST_P(CorpusReplay, EngineAgreesWithReference)
{
    const std::vector<fs::path> inputs = InputsOf(GetParam().name);
    ASSERT_FALSE(inputs.empty()) << "no inputs for " << GetParam().name;
    for (const fs::path& input : inputs)
        EXPECT_EQ(GetParam().check(ReadFile(input.string())), "") << input;
}

INSTANTIATE_TEST_SUITE_P(
    Fuzz, CorpusReplay,
    ::testing::Values(Target{"table_fuzzer", differential::CheckTableLoading},
                      Target{"sourcetext_fuzzer", differential::CheckSourceText},
                      Target{"convert_fuzzer", differential::CheckLineRewriting}),
    [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace badinput
