#include "engine/convert.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <vector>

#include "engine/table.h"
#include "platform/rtl/sourcetext.h"

std::size_t LastPos = 0;

std::size_t FirstOccurrence(const std::string& pattern, const std::string& line)
{
    if (pattern.empty()) return 0;
    std::size_t at = line.find(pattern);
    return at == std::string::npos ? 0 : at + 1;
}

void ReplaceAt(const std::string& pattern, const std::string& replacement, std::size_t pos,
               std::string& line)
{
    LastPos = pos;
    line.replace(pos - 1, pattern.size(), replacement);
}

void ReplacePattern(const std::string& pattern, const std::string& replacement, std::string& line)
{
    std::size_t p = FirstOccurrence(pattern, line);
    if (p == 0 || p == LastPos) return;
    ReplaceAt(pattern, replacement, p, line);
}

void ConvertLinePlain(std::string& line)
{
    LastPos = 0;
    if (line.empty()) return;
    for (std::size_t k = 1; k <= PairCount; ++k) {
        ReplacePattern(PatternTable[k], ReplacementTable[k], line);
    }
}

namespace {

// Which pairs can possibly match a line.
//
// A pattern can only occur in a line that holds each of its bytes and each of
// its byte pairs. Every pattern is filed under one key: its byte when it is one
// byte long, otherwise the byte pair of it that the fewest other patterns are
// filed under. Rewriting a line then visits only the pairs filed under keys
// the line holds, still in table order and with the very same search, so the
// result and LastPos are those of applying every pair in turn.
//
// Keys that a replacement brings into the line (inside the replacement and
// where it meets its neighbours) add their pairs as the line changes. Keys that
// a replacement takes out are not withdrawn: a pair then merely searches and
// finds nothing, as it would have anyway.
class PairIndex {
public:
    void Build()
    {
        pairCount_ = PairCount;
        std::vector<std::uint32_t> count(kKeys, 0);
        std::vector<std::uint32_t> keyOf(pairCount_ + 1, kNoKey);
        // Byte-pair keys are chosen greedily, least used first.
        for (std::size_t k = 1; k <= pairCount_; ++k) {
            const std::string& p = PatternTable[k];
            if (p.empty()) continue;
            std::uint32_t key;
            if (p.size() == 1) {
                key = kPairKeys + Byte(p[0]);
            } else {
                key = PairKey(p[0], p[1]);
                for (std::size_t i = 1; i + 1 < p.size(); ++i) {
                    std::uint32_t candidate = PairKey(p[i], p[i + 1]);
                    if (count[candidate] < count[key]) key = candidate;
                }
            }
            keyOf[k] = key;
            ++count[key];
        }
        start_.assign(kKeys + 1, 0);
        for (std::uint32_t key = 0; key < kKeys; ++key) start_[key + 1] = start_[key] + count[key];
        pairs_.assign(start_[kKeys], 0);
        std::vector<std::uint32_t> fill(start_.begin(), start_.end() - 1);
        for (std::size_t k = 1; k <= pairCount_; ++k)
            if (keyOf[k] != kNoKey) pairs_[fill[keyOf[k]]++] = static_cast<std::uint32_t>(k);
        // Every byte pair of every pattern, for the check before the search.
        keysStart_.assign(pairCount_ + 2, 0);
        keys_.clear();
        for (std::size_t k = 1; k <= pairCount_; ++k) {
            keysStart_[k] = static_cast<std::uint32_t>(keys_.size());
            const std::string& p = PatternTable[k];
            for (std::size_t i = 0; i + 1 < p.size(); ++i) {
                std::uint32_t key = PairKey(p[i], p[i + 1]);
                if (key != keyOf[k]) keys_.push_back(key);
            }
        }
        keysStart_[pairCount_ + 1] = static_cast<std::uint32_t>(keys_.size());
        candidates_.assign(pairCount_ / 64 + 1, 0);
        seen_.fill(0);
        touched_.clear();
        built_ = true;
    }

    bool IsCurrent() const { return built_ && pairCount_ == PairCount; }
    void Invalidate() { built_ = false; }

    void Convert(std::string& line)
    {
        NoteKeys(line, 0, line.size());
        for (std::size_t k = NextCandidate(1); k != 0; k = NextCandidate(k + 1)) {
            if (!MayOccur(k)) continue;
            const std::string& pattern = PatternTable[k];
            std::size_t p = FirstOccurrence(pattern, line);
            if (p == 0 || p == LastPos) continue;
            const std::string& replacement = ReplacementTable[k];
            ReplaceAt(pattern, replacement, p, line);
            // The new text and the byte pairs where it meets its neighbours.
            std::size_t from = p >= 2 ? p - 2 : 0;
            std::size_t to = std::min(line.size(), p - 1 + replacement.size() + 1);
            NoteKeys(line, from, to);
        }
        Reset();
    }

private:
    static constexpr std::uint32_t kPairKeys = 65536;
    static constexpr std::uint32_t kKeys = kPairKeys + 256;
    static constexpr std::uint32_t kNoKey = ~std::uint32_t{0};

    static std::uint32_t Byte(char c) { return static_cast<unsigned char>(c); }
    static std::uint32_t PairKey(char a, char b) { return Byte(a) << 8 | Byte(b); }

    // Marks the keys held by line[from, to) and makes their pairs candidates.
    void NoteKeys(const std::string& line, std::size_t from, std::size_t to)
    {
        for (std::size_t i = from; i < to; ++i) {
            Note(kPairKeys + Byte(line[i]));
            if (i + 1 < to) Note(PairKey(line[i], line[i + 1]));
        }
    }

    void Note(std::uint32_t key)
    {
        std::uint64_t bit = std::uint64_t{1} << (key & 63);
        std::uint64_t& word = seen_[key >> 6];
        if (word & bit) return;
        word |= bit;
        touched_.push_back(key);
        for (std::uint32_t i = start_[key]; i < start_[key + 1]; ++i) {
            std::uint32_t k = pairs_[i];
            candidates_[k >> 6] |= std::uint64_t{1} << (k & 63);
        }
    }

    // False when some byte pair of pattern k has never been in the line.
    bool MayOccur(std::size_t k) const
    {
        for (std::uint32_t i = keysStart_[k]; i < keysStart_[k + 1]; ++i) {
            std::uint32_t key = keys_[i];
            if (!(seen_[key >> 6] >> (key & 63) & 1)) return false;
        }
        return true;
    }

    // The first candidate pair at or after k, or 0 when there is none.
    std::size_t NextCandidate(std::size_t k) const
    {
        std::size_t w = k >> 6;
        if (w >= candidates_.size()) return 0;
        std::uint64_t word = candidates_[w] & (~std::uint64_t{0} << (k & 63));
        while (word == 0) {
            if (++w == candidates_.size()) return 0;
            word = candidates_[w];
        }
        return w * 64 + static_cast<std::size_t>(__builtin_ctzll(word));
    }

    void Reset()
    {
        for (std::uint32_t key : touched_) seen_[key >> 6] &= ~(std::uint64_t{1} << (key & 63));
        touched_.clear();
        std::fill(candidates_.begin(), candidates_.end(), 0);
    }

    bool built_ = false;
    std::size_t pairCount_ = 0;
    std::vector<std::uint32_t> start_;      // pairs of key c: pairs_[start_[c] .. start_[c + 1])
    std::vector<std::uint32_t> pairs_;      // pair numbers, ascending within each key
    std::vector<std::uint32_t> keysStart_;  // byte pairs of pattern k: keys_[keysStart_[k] ..
    std::vector<std::uint32_t> keys_;       //   keysStart_[k + 1])
    std::vector<std::uint64_t> candidates_;
    std::array<std::uint64_t, kKeys / 64> seen_{};
    std::vector<std::uint32_t> touched_;
};

PairIndex Index;

}  // namespace

void ConvertLine(std::string& line)
{
    LastPos = 0;
    if (line.empty()) return;
    if (!Index.IsCurrent()) Index.Build();
    Index.Convert(line);
}

void TablesChanged()
{
    Index.Invalidate();
}

std::string ConvertSourceText(const std::string& text)
{
    std::string result;
    result.reserve(text.size() + text.size() / 8);
    std::string line;
    for (std::string_view viewLine : ViewLines(text)) {
        line.assign(LineForConversion(viewLine));
        ConvertLine(line);
        AppendViewLine(result, line);
    }
    return result;
}
