// The text utilities: line measures, length, upper-casing and whole files.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>

#include "core/text.h"
#include "report_capture.h"
#include "support/helpers.h"

namespace {

using support::TempFile;
using support::writeFile;

}  // namespace

TEST(Text, LineMeasures)
{
    EXPECT_EQ(TEXTWidth("ab\nabcd\nx"), 4) << "the unterminated tail does not count";
    EXPECT_EQ(TEXTWidth("abc"), 0);
    EXPECT_EQ(TEXTWidth("ab\n\nabcdefg"), 2);
    EXPECT_EQ(TEXTWidth("\n\n"), 0);
    EXPECT_EQ(TEXTWidth("abc\nab\n"), 3);
    EXPECT_EQ(TEXTLines("a\n\nb"), 2);
    EXPECT_EQ(TEXTLines(""), 0);
    EXPECT_EQ(TEXTLength("hello"), 5);
    EXPECT_EQ(TEXTLength(""), 0);
    EXPECT_EQ(TEXTLength("\xff\x80z"), 3);
    // A null text measures as empty instead of crashing.
    EXPECT_EQ(TEXTWidth(nullptr), 0);
    EXPECT_EQ(TEXTLines(nullptr), 0);
    EXPECT_EQ(TEXTLength(nullptr), 0);
}

TEST(Text, UpperTouchesOnlyLowerCaseLetters)
{
    char text[] = "Hello, World 09 az{`}~ \x80\xe1\xfa\xff!";
    TEXTUpper(text);
    EXPECT_STREQ(text, "HELLO, WORLD 09 AZ{`}~ \x80\xe1\xfa\xff!");
    TEXTUpper(nullptr);
}

TEST(Text, NoOperationReports)
{
    const std::string out = reported(TEXTError, [] {
        TEXTWidth(nullptr);
        TEXTFileSize("/nonexistent/kova/file");
        EXPECT_EQ(TEXTRead("/nonexistent/kova/file"), nullptr);
    });
    EXPECT_EQ(out, "");
    EXPECT_STREQ(TEXTError.line, "TEXT Error.");
}

TEST(Text, FilesRoundTrip)
{
    TempFile file("kova_text", "roundtrip");
    const std::string bytes = std::string("line one\nline two\n\x01\x7f\x80\xff", 22);
    ASSERT_EQ(TEXTWrite(bytes.c_str(), file.path.c_str()), 0);
    EXPECT_EQ(TEXTFileSize(file.path.c_str()), 22);
    char *read = TEXTRead(file.path.c_str());
    ASSERT_NE(read, nullptr);
    EXPECT_EQ(std::string(read, 23), bytes + '\0');
    std::free(read);

    // Writing again truncates.
    ASSERT_EQ(TEXTWrite("ab", file.path.c_str()), 0);
    EXPECT_EQ(TEXTFileSize(file.path.c_str()), 2);

    // A file holding a zero byte is read whole; the text ends at the zero, the buffer does not.
    writeFile(file.path, std::string("a\0b", 3));
    read = TEXTRead(file.path.c_str());
    ASSERT_NE(read, nullptr);
    EXPECT_EQ(std::string(read, 4), std::string("a\0b\0", 4));
    std::free(read);
}

TEST(Text, EmptyAndMissingFiles)
{
    TempFile empty("kova_text", "empty");
    writeFile(empty.path, "");
    EXPECT_EQ(TEXTFileSize(empty.path.c_str()), 0);
    char *read = TEXTRead(empty.path.c_str());
    ASSERT_NE(read, nullptr);
    EXPECT_EQ(read[0], 0) << "a one-byte buffer holding 0";
    std::free(read);

    TempFile missing("kova_text", "missing");
    EXPECT_EQ(TEXTFileSize(missing.path.c_str()), 0);
    EXPECT_EQ(TEXTRead(missing.path.c_str()), nullptr);
    EXPECT_EQ(TEXTFileSize(nullptr), 0);
    EXPECT_EQ(TEXTRead(nullptr), nullptr);
    EXPECT_FALSE(std::filesystem::exists(missing.path)) << "reading never creates the file";

    EXPECT_NE(TEXTWrite("x", "/nonexistent/kova/dir/file"), 0);
    EXPECT_NE(TEXTWrite(nullptr, empty.path.c_str()), 0);
    EXPECT_NE(TEXTWrite("x", nullptr), 0);

    // A device without an end reads as the size it reports (0), never without bound.
    if (std::filesystem::exists("/dev/zero")) {
        EXPECT_EQ(TEXTFileSize("/dev/zero"), 0);
        read = TEXTRead("/dev/zero");
        ASSERT_NE(read, nullptr);
        EXPECT_EQ(read[0], 0);
        std::free(read);
    }

    // A directory opens on some systems but is no file to read.
    const std::string dir = std::filesystem::temp_directory_path().string();
    EXPECT_EQ(TEXTRead(dir.c_str()), nullptr);
}
