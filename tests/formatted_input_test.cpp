#include <gtest/gtest.h>

#include <clocale>
#include <cmath>
#include <cstdlib>
#include <random>
#include <string>
#include <vector>

#include "md5/formatted_input.h"
#include "support/float_bits.h"

using namespace brmath;

namespace {

bool Int(const std::string& text, int32_t* value, size_t* end = nullptr) {
    TextFile file;
    file.OpenText(text.data(), text.size());
    const bool ok = ScanInt(file, value);
    if (end) *end = file.Position();
    return ok;
}

bool Float(const std::string& text, float* value, size_t* end = nullptr) {
    TextFile file;
    file.OpenText(text.data(), text.size());
    const bool ok = ScanFloat(file, value);
    if (end) *end = file.Position();
    return ok;
}

}  // namespace

TEST(ScanIntTest, DecimalOctalAndHexadecimal) {
    int32_t v = 0;
    ASSERT_TRUE(Int("  42", &v));
    EXPECT_EQ(v, 42);
    ASSERT_TRUE(Int("010", &v));
    EXPECT_EQ(v, 8);
    ASSERT_TRUE(Int("0x10", &v));
    EXPECT_EQ(v, 16);
    ASSERT_TRUE(Int("-0X1f", &v));
    EXPECT_EQ(v, -31);
    ASSERT_TRUE(Int("+7", &v));
    EXPECT_EQ(v, 7);
    ASSERT_TRUE(Int("\n\t-1", &v));
    EXPECT_EQ(v, -1);
}

TEST(ScanIntTest, StopsWhereTheNumberEnds) {
    int32_t v = 0;
    size_t end = 0;
    ASSERT_TRUE(Int("08", &v, &end));  // octal: the 8 is not a digit of it
    EXPECT_EQ(v, 0);
    EXPECT_EQ(end, 1u);
    ASSERT_TRUE(Int("12)", &v, &end));
    EXPECT_EQ(v, 12);
    EXPECT_EQ(end, 2u);
    ASSERT_TRUE(Int("0xg", &v, &end));
    EXPECT_EQ(v, 0);
    EXPECT_EQ(end, 1u);
}

TEST(ScanIntTest, RefusesWhatIsNoNumberAndSaturates) {
    int32_t v = 5;
    EXPECT_FALSE(Int("", &v));
    EXPECT_FALSE(Int("abc", &v));
    EXPECT_FALSE(Int("-", &v));
    EXPECT_EQ(v, 5);
    ASSERT_TRUE(Int("2147483648", &v));
    EXPECT_EQ(v, 2147483647);
    ASSERT_TRUE(Int("-99999999999999999999", &v));
    EXPECT_EQ(v, -2147483647 - 1);
    ASSERT_TRUE(Int("18446744073709551626", &v));  // 2^64 + 10
    EXPECT_EQ(v, 2147483647);
}

TEST(ScanFloatTest, CorrectlyRoundedSinglePrecision) {
    float f = 0;
    ASSERT_TRUE(Float("0.1", &f));
    EXPECT_EQ(f, 0.1f);
    ASSERT_TRUE(Float("-2.5e-3", &f));
    EXPECT_EQ(f, -2.5e-3f);
    ASSERT_TRUE(Float("+.5", &f));
    EXPECT_EQ(f, 0.5f);
    ASSERT_TRUE(Float("3.", &f));
    EXPECT_EQ(f, 3.0f);
    // Halfway between two floats, where rounding through double would go wrong.
    ASSERT_TRUE(Float("1.00000005960464477539062500000000001", &f));
    EXPECT_EQ(f, 1.00000011920928955078125f);
    ASSERT_TRUE(Float("-0", &f));
    EXPECT_TRUE(std::signbit(f));
}

// Decimals of up to nineteen digits are computed in double. 4.014026880264282 and
// 0.5336968004703522 lie just off halfway between two floats and round in double onto
// that halfway point: they must still round as strtof rounds them.
TEST(ScanFloatTest, LongPlainDecimalsMatchStrtofToTheBit) {
    std::mt19937_64 random(26);
    std::vector<std::string> texts = {"4.014026880264282", "0.5336968004703522", "16777217", "0.1234567890",
                                      "-33554433.00",      "1234567890123456789", "0.0000000000000000001"};
    for (int i = 0; i < 100000; ++i) {
        std::string text = std::to_string(random() % 10000000000000000000ull).substr(0, 9 + random() % 11);
        text.insert(random() % (text.size() + 1), ".");
        texts.push_back(text);
    }
    for (const std::string& text : texts) {
        float f = 0;
        ASSERT_TRUE(Float(text, &f)) << text;
        EXPECT_EQ(brmath_test::Bits(f), brmath_test::Bits(std::strtof(text.c_str(), nullptr))) << text;
    }
}

TEST(ScanFloatTest, SpecialValuesHexAndRange) {
    float f = 0;
    ASSERT_TRUE(Float("inf", &f));
    EXPECT_TRUE(std::isinf(f));
    ASSERT_TRUE(Float("-Infinity", &f));
    EXPECT_TRUE(std::isinf(f) && f < 0);
    ASSERT_TRUE(Float("nan", &f));
    EXPECT_TRUE(std::isnan(f));
    ASSERT_TRUE(Float("0x1.8p1", &f));
    EXPECT_EQ(f, 3.0f);
    ASSERT_TRUE(Float("1e40", &f));
    EXPECT_TRUE(std::isinf(f));
    ASSERT_TRUE(Float("-1e-60", &f));
    EXPECT_EQ(f, 0.0f);
    EXPECT_TRUE(std::signbit(f));
    ASSERT_TRUE(Float("1e-40", &f));
    EXPECT_GT(f, 0.0f);  // a subnormal, not zero
}

TEST(ScanFloatTest, RefusesWhatIsNoNumber) {
    float f = 9;
    EXPECT_FALSE(Float("(", &f));
    EXPECT_FALSE(Float("", &f));
    EXPECT_FALSE(Float("+-1", &f));
    EXPECT_FALSE(Float(".", &f));
    EXPECT_EQ(f, 9.0f);
    size_t end = 0;
    ASSERT_TRUE(Float("0.5)", &f, &end));
    EXPECT_EQ(end, 3u);
}

TEST(ScanFloatTest, IgnoresTheHostLocale) {
    // A host that set a decimal-comma locale still reads "0.5" as one half.
    const char* previous = std::setlocale(LC_NUMERIC, nullptr);
    const std::string saved = previous ? previous : "C";
    const bool changed = std::setlocale(LC_NUMERIC, "de_DE.UTF-8") != nullptr ||
                         std::setlocale(LC_NUMERIC, "fr_FR.UTF-8") != nullptr;
    float f = 0;
    EXPECT_TRUE(Float("0.5", &f));
    EXPECT_EQ(f, 0.5f);
    std::setlocale(LC_NUMERIC, saved.c_str());
#if !defined(_WIN32)
    // The test command installs one; only a machine set up by hand may lack it.
    if (!changed && std::getenv("CI") != nullptr) FAIL() << "no decimal-comma locale (de_DE.UTF-8, fr_FR.UTF-8) installed";
#endif
    if (!changed) GTEST_SKIP() << "no decimal-comma locale installed";
}

TEST(SkipWordTest, PassesOverOneRunOfNonSpace) {
    TextFile file;
    const std::string text = "  vert\t0 (";
    file.OpenText(text.data(), text.size());
    EXPECT_TRUE(SkipWord(file));
    EXPECT_EQ(file.Position(), 6u);
    EXPECT_TRUE(SkipWord(file));
    EXPECT_TRUE(SkipWord(file));
    EXPECT_FALSE(SkipWord(file));
}
