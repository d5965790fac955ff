// The body every fuzz target shares: run one check, and stop with the
// difference on stderr when it finds one, so that libFuzzer keeps the input.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>

#define VELMORA_FUZZ_TARGET(check)                                                    \
    extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) \
    {                                                                                 \
        std::string difference =                                                      \
            check(std::string_view(reinterpret_cast<const char*>(data), size));       \
        if (!difference.empty()) {                                                    \
            std::fprintf(stderr, "\n%s: %s\n", #check, difference.c_str());           \
            std::abort();                                                             \
        }                                                                             \
        return 0;                                                                     \
    }
