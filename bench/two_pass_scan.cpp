// A design loading could take, measured here and not used by the library: a first pass
// that indexes where every run of number characters starts and ends, sixteen bytes at a
// time, and a second that reads the indexed plain decimals with no branch on their
// digits (eight digits at a time in a 64-bit word). It indexes and reads numbers only:
// the reader's checks and records are not in it, so it is a lower bound for the design.
#include <benchmark/benchmark.h>
#include <emmintrin.h>

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "md5/text_file.h"
#include "support/tube_model.h"

namespace {

// The file's text with sixteen zero bytes after it, so that every load of sixteen
// bytes from inside the text stays inside the buffer.
std::vector<char> PaddedText(const std::string& path) {
    brmath::TextFile file;
    std::vector<char> text;
    if (!file.Open(path.c_str())) return text;
    text.assign(file.Data(), file.Data() + file.Size());
    text.resize(text.size() + 32, '\0');
    return text;
}

// Pass one: the start and end of every run of digits, points and minus signs.
void IndexNumbers(const std::vector<char>& text, std::vector<uint32_t>& starts, std::vector<uint32_t>& ends) {
    starts.clear();
    ends.clear();
    const __m128i zero = _mm_set1_epi8('0' - 128), ten = _mm_set1_epi8(-128 + 10);
    const __m128i point = _mm_set1_epi8('.'), minus = _mm_set1_epi8('-'), flip = _mm_set1_epi8(-128);
    uint32_t inside = 0;
    const size_t size = text.size() - 32;
    for (size_t i = 0; i < size; i += 16) {
        const __m128i c = _mm_loadu_si128(reinterpret_cast<const __m128i*>(text.data() + i));
        // Digits: (c - '0') below 10, compared as signed bytes after moving the range.
        const __m128i digit = _mm_cmplt_epi8(_mm_sub_epi8(_mm_xor_si128(c, flip), _mm_xor_si128(zero, flip)), ten);
        const __m128i number = _mm_or_si128(digit, _mm_or_si128(_mm_cmpeq_epi8(c, point), _mm_cmpeq_epi8(c, minus)));
        const uint32_t mask = static_cast<uint32_t>(_mm_movemask_epi8(number));
        const uint32_t before = (mask << 1) | inside;
        uint32_t begin = mask & ~before & 0xFFFF, finish = ~mask & before & 0xFFFF;
        inside = (mask >> 15) & 1;
        for (; begin != 0; begin &= begin - 1) starts.push_back(static_cast<uint32_t>(i) + __builtin_ctz(begin));
        for (; finish != 0; finish &= finish - 1) ends.push_back(static_cast<uint32_t>(i) + __builtin_ctz(finish));
    }
    if (inside) ends.push_back(static_cast<uint32_t>(size));
}

// Up to eight digits at the start of `p`, `count` of them, as a number: the word is
// moved so the digits end at its top, then pairs, fours and eights are summed.
uint64_t EightDigits(const char* p, int count) {
    uint64_t word;
    std::memcpy(&word, p, 8);
    word = (count == 0 ? 0 : word << (64 - 8 * count)) & 0x0F0F0F0F0F0F0F0FULL;  // a conditional move
    word = (word * 10 + (word >> 8)) & 0x00FF00FF00FF00FFULL;
    word = (word * 100 + (word >> 16)) & 0x0000FFFF0000FFFFULL;
    return (word * 10000 + (word >> 32)) & 0xFFFFFFFFULL;
}

constexpr double kPowers[] = {1e0, 1e1, 1e2, 1e3, 1e4, 1e5, 1e6, 1e7, 1e8};
constexpr uint64_t kIntPowers[] = {1, 10, 100, 1000, 10000, 100000, 1000000, 10000000, 100000000};

// Pass two: [-]digits[.digits] with up to eight digits on each side; anything else (a
// rare branch) goes to strtof, as a halfway quotient does.
float ReadDecimal(const char* p, const char* end) {
    const int negative = *p == '-';
    p += negative;
    const int length = static_cast<int>(end - p);
    if (length > 16) return std::strtof(p - negative, nullptr);
    const __m128i c = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
    const uint32_t points = static_cast<uint32_t>(_mm_movemask_epi8(_mm_cmpeq_epi8(c, _mm_set1_epi8('.'))));
    const int whole = __builtin_ctz((points & ((1u << length) - 1)) | (1u << length));
    const int fraction = length - whole - (whole < length);
    if (whole > 8 || fraction > 8 || whole + fraction == 0) {
        return std::strtof(p - negative, nullptr);
    }
    const uint64_t mantissa = EightDigits(p, whole) * kIntPowers[fraction] + EightDigits(p + whole + 1, fraction);
    const double quotient = static_cast<double>(mantissa) / kPowers[fraction];
    uint64_t bits;
    std::memcpy(&bits, &quotient, 8);
    if ((bits & 0x1FFFFFFFULL) == 0x10000000ULL) return std::strtof(p - negative, nullptr);
    const float value = static_cast<float>(quotient);
    return negative ? -value : value;
}

const brmath_test::TemporaryTube& LargeModel() {
    static const brmath_test::TemporaryTube model("brmath-two-pass", brmath_test::LargeTube());
    return model;
}

// Argument 0: pass one alone; 1: both passes, every indexed run read as a number.
void BM_TwoPassScan(benchmark::State& state) {
    const std::vector<char> text = PaddedText(LargeModel().Path());
    if (text.empty()) state.SkipWithError("the model did not open");
    std::vector<uint32_t> starts, ends;
    starts.reserve(text.size() / 4);
    ends.reserve(text.size() / 4);
    for (auto _ : state) {
        IndexNumbers(text, starts, ends);
        if (state.range(0) == 1) {
            float sum = 0.0f;
            for (size_t n = 0; n < starts.size(); ++n) sum += ReadDecimal(text.data() + starts[n], text.data() + ends[n]);
            benchmark::DoNotOptimize(sum);
        }
    }
    // Runs whose value differs from strtof's (words such as "tube0.tga" hold some).
    int64_t differing = 0;
    for (size_t n = 0; n < starts.size(); ++n) {
        const float ours = ReadDecimal(text.data() + starts[n], text.data() + ends[n]);
        const float theirs = std::strtof(text.data() + starts[n], nullptr);
        differing += std::memcmp(&ours, &theirs, 4) != 0;
    }
    state.counters["numbers"] = static_cast<double>(starts.size());
    state.counters["differing"] = static_cast<double>(differing);
    state.SetBytesProcessed(state.iterations() * static_cast<int64_t>(text.size() - 32));
}
BENCHMARK(BM_TwoPassScan)->ArgName("passes")->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace
