#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "md5/formatted_input.h"
#include "md5/text_scan.h"

using namespace brmath;

namespace {

struct Text {
    explicit Text(const std::string& s) { EXPECT_TRUE(file.OpenText(s.data(), s.size())); }
    TextFile file;
};

}  // namespace

TEST(ReadQuotedStringTest, StoresTheTextBetweenTheQuotes) {
    Text t("  \"left arm\" 12");
    char out[64];
    EXPECT_TRUE(ReadQuotedString(t.file, out, sizeof(out)));
    EXPECT_STREQ(out, "left arm");
    EXPECT_EQ(t.file.Peek(), ' ');
    int32_t value = 0;
    EXPECT_TRUE(ScanInt(t.file, &value));
    EXPECT_EQ(value, 12);
}

TEST(ReadQuotedStringTest, EmptyAndMultiLineTexts) {
    Text t("\"\" \"two\nlines\"");
    char out[64];
    EXPECT_TRUE(ReadQuotedString(t.file, out, sizeof(out)));
    EXPECT_STREQ(out, "");
    EXPECT_TRUE(ReadQuotedString(t.file, out, sizeof(out)));
    EXPECT_STREQ(out, "two\nlines");
}

TEST(ReadQuotedStringTest, StopsAtTheEndOfTheFile) {
    Text none("no quote here");
    char out[8] = "xxxxxxx";
    EXPECT_FALSE(ReadQuotedString(none.file, out, sizeof(out)));
    EXPECT_STREQ(out, "");
    EXPECT_TRUE(none.file.AtEnd());

    Text open("\"unterminated text");
    EXPECT_FALSE(ReadQuotedString(open.file, out, sizeof(out)));
    EXPECT_STREQ(out, "untermi");  // cut at the buffer, terminated
    EXPECT_TRUE(open.file.AtEnd());
}

TEST(ReadQuotedStringTest, LongTextIsCutButPassedOverWhole) {
    Text t("\"" + std::string(5000, 'n') + "\" 7");
    char out[16];
    EXPECT_TRUE(ReadQuotedString(t.file, out, sizeof(out)));
    EXPECT_EQ(std::strlen(out), 15u);
    int32_t value = 0;
    EXPECT_TRUE(ScanInt(t.file, &value));
    EXPECT_EQ(value, 7);
}

TEST(CopyStringBoundedTest, FillsTheFieldAndTerminatesOnlyShortTexts) {
    char field[9];
    field[8] = '!';
    CopyStringBounded(field, "abc", 8);
    EXPECT_EQ(std::memcmp(field, "abc\0\0\0\0\0", 8), 0);
    CopyStringBounded(field, "abcdefgh", 8);
    EXPECT_EQ(std::memcmp(field, "abcdefgh", 8), 0);
    EXPECT_EQ(field[8], '!');
}

TEST(ReadCharsTest, ReadsCountCharactersOrSignalsTheEnd) {
    char buffer[8];
    Text ab("ab");
    EXPECT_EQ(ReadChars(ab.file, buffer, 3), -1);
    Text abc("abc");
    EXPECT_EQ(ReadChars(abc.file, buffer, 3), 3);
    EXPECT_STREQ(buffer, "abc");
    EXPECT_EQ(ReadChars(abc.file, buffer, 0), 0);
    EXPECT_STREQ(buffer, "");
}

TEST(SeekKeywordTest, StopsJustAfterTheKeyword) {
    Text t("MD5Version 10\nnumJoints 33\n");
    EXPECT_TRUE(SeekKeyword(t.file, "numJoints", 0));
    EXPECT_EQ(t.file.Peek(), ' ');
    int32_t value = 0;
    EXPECT_TRUE(ScanInt(t.file, &value));
    EXPECT_EQ(value, 33);
}

TEST(SeekKeywordTest, MatchesInsideLongerWordsAndFromThePosition) {
    Text t("meshes shader a shader b");
    EXPECT_TRUE(SeekKeyword(t.file, "mesh", 0));
    EXPECT_EQ(t.file.Peek(), 'e');
    EXPECT_TRUE(SeekKeyword(t.file, "shader", 0));
    EXPECT_TRUE(SkipWord(t.file));
    EXPECT_TRUE(SeekKeyword(t.file, "shader", 0));
    SkipSpace(t.file);
    EXPECT_EQ(t.file.Peek(), 'b');
}

TEST(SeekKeywordTest, NegativeOffsetLeavesThePositionOnAOneCharacterKeyword) {
    Text t("abc \"name\"");
    EXPECT_TRUE(SeekKeyword(t.file, "\"", -1));
    EXPECT_EQ(t.file.Peek(), '"');
    EXPECT_EQ(t.file.Position(), 4u);
}

TEST(SeekKeywordTest, MissingKeywordEndsAtTheEndAndIsCaseSensitive) {
    Text t("numframes 5");
    EXPECT_FALSE(SeekKeyword(t.file, "numFrames", 0));
    EXPECT_TRUE(t.file.AtEnd());
    int32_t value = -1;
    EXPECT_FALSE(ScanInt(t.file, &value));
    EXPECT_EQ(value, -1);
}

TEST(SeekKeywordTest, LineBreaksAreTranslatedBeforeScanning) {
    Text crlf("a\r\nnumJoints\r\n 4\r\n");
    Text lf("a\nnumJoints\n 4\n");
    EXPECT_EQ(crlf.file.Size(), lf.file.Size());
    EXPECT_TRUE(SeekKeyword(crlf.file, "numJoints", 0));
    EXPECT_TRUE(SeekKeyword(lf.file, "numJoints", 0));
    EXPECT_EQ(crlf.file.Position(), lf.file.Position());
    Text lone("a\rb");
    EXPECT_EQ(lone.file.Size(), 3u);  // a carriage return alone stays
}

TEST(PathTest, Folder) {
    char out[64];
    ASSERT_TRUE(GetPathFolder("C:\\models\\hero.md5mesh", out, sizeof(out)));
    EXPECT_STREQ(out, "C:\\models");
    ASSERT_TRUE(GetPathFolder("hero.md5mesh", out, sizeof(out)));
    EXPECT_STREQ(out, "hero.md5mesh");
    // Forward slashes separate folders too.
    ASSERT_TRUE(GetPathFolder("C:/models/hero.md5mesh", out, sizeof(out)));
    EXPECT_STREQ(out, "C:/models");
    ASSERT_TRUE(GetPathFolder("\\hero", out, sizeof(out)));
    EXPECT_STREQ(out, "\\hero");
    EXPECT_FALSE(GetPathFolder(std::string(64, 'a').c_str(), out, sizeof(out)));
}

TEST(PathTest, MeshFolder) {
    char out[64];
    ASSERT_TRUE(GetMeshFolder("C:\\models\\hero.md5mesh", out, sizeof(out)));
    EXPECT_STREQ(out, "C:\\models");
    ASSERT_TRUE(GetMeshFolder("models/hero.md5mesh", out, sizeof(out)));
    EXPECT_STREQ(out, "models");
    ASSERT_TRUE(GetMeshFolder("hero.md5mesh", out, sizeof(out)));
    EXPECT_STREQ(out, ".");
    ASSERT_TRUE(GetMeshFolder("/hero.md5mesh", out, sizeof(out)));
    EXPECT_STREQ(out, "");
    ASSERT_TRUE(GetMeshFolder("\\hero.md5mesh", out, sizeof(out)));
    EXPECT_STREQ(out, "");
    EXPECT_FALSE(GetMeshFolder(std::string(80, 'a').c_str(), out, sizeof(out)));
}

TEST(PathTest, BaseName) {
    char out[64];
    GetPathBaseName("C:\\models\\hero.md5mesh", out, sizeof(out));
    EXPECT_STREQ(out, "hero");
    GetPathBaseName("C:/models/hero.md5mesh", out, sizeof(out));
    EXPECT_STREQ(out, "hero");
    GetPathBaseName("hero", out, sizeof(out));
    EXPECT_STREQ(out, "hero");
    GetPathBaseName("a.b.c", out, sizeof(out));
    EXPECT_STREQ(out, "a");
    GetPathBaseName("dir\\run.fast.md5anim", out, sizeof(out));
    EXPECT_STREQ(out, "run");
    char small[4];
    GetPathBaseName("walking.md5anim", small, sizeof(small));
    EXPECT_STREQ(small, "wal");
}

TEST(PathTest, Extension) {
    char out[64];
    GetPathExtension("models/hero.md5mesh", out, sizeof(out));
    EXPECT_STREQ(out, "md5mesh");
    GetPathExtension("a.tga", out, sizeof(out));
    EXPECT_STREQ(out, "tga");
    GetPathExtension("C:\\art.old\\hero", out, sizeof(out));
    EXPECT_STREQ(out, "old\\hero");
    GetPathExtension("no dot", out, sizeof(out));
    EXPECT_STREQ(out, "");
}
