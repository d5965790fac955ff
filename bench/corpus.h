// Generated inputs for the benchmarks: C-looking source text and tables.
#pragma once

#include <random>
#include <string>
#include <utility>
#include <vector>

// About `bytes` bytes of C-looking source with CR LF line ends: declarations,
// conditions, loops, calls, comments and preprocessor lines, as real code
// mixes them.
inline std::string MakeCSource(std::size_t bytes, unsigned seed = 1)
{
    static const char* const kLines[] = {
        "#include <stdio.h>",
        "/* Reads the next record from the input and checks its header. */",
        "static int read_record(FILE *in, struct record *rec)",
        "{",
        "    int count = 0;",
        "    unsigned long total = 0;",
        "    char *name = NULL;",
        "    if (rec == NULL || in == NULL) {",
        "        return -1;",
        "    }",
        "    while (count < MAX_FIELDS && !feof(in)) {",
        "        total += rec->fields[count].size;  // running total",
        "        count++;",
        "    }",
        "    for (i = 0; i < n; i++) {",
        "        if (a[i] != b[i] && flags & MASK) break;",
        "    } else {",
        "        printf(\"%d items, %lu bytes\\n\", count, total);",
        "    x = (y >= 10) ? y % 10 : y << 2;",
        "    p->next->prev = p->prev;",
        "    double ratio = (double) hits / (double) total;",
        "",
        "    switch (kind) {",
        "    case KIND_TEXT: return parse_text(buf, len);",
        "    default: break;",
        "    }",
        "}",
    };
    std::mt19937 random(seed);
    std::string text;
    text.reserve(bytes + 128);
    while (text.size() < bytes) {
        text += kLines[random() % (sizeof kLines / sizeof *kLines)];
        text += "\r\n";
    }
    return text;
}

// A table of n pairs as the bytes of the two files: identifier-like and
// operator-like patterns, most of which do not occur in a given line.
inline std::pair<std::string, std::string> MakeTable(std::size_t n, unsigned seed = 2)
{
    std::mt19937 random(seed);
    const std::string letters = "abcdefghijklmnopqrstuvwxyz_ABCDEFGHIJKLMNOPQRSTUVWXYZ";
    const std::string symbols = "=!<>&|+-*/%^~(){}[];,.";
    std::string cpp, pascal;
    for (std::size_t k = 0; k < n; ++k) {
        std::string pattern;
        if (random() % 8 == 0) {
            std::size_t len = 1 + random() % 3;
            for (std::size_t i = 0; i < len; ++i) pattern += symbols[random() % symbols.size()];
        } else {
            std::size_t len = 3 + random() % 10;
            for (std::size_t i = 0; i < len; ++i) pattern += letters[random() % letters.size()];
        }
        cpp += pattern + "\r\n";
        pascal += "{" + pattern + "}\r\n";
    }
    return {cpp, pascal};
}
