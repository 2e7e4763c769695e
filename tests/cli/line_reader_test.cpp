// A password line read from a descriptor kst was given: the line and no more.
#include <gtest/gtest.h>

#include <unistd.h>

#include <string>

#include "file_streams.h"
#include "line_reader.h"
#include "open.h"

namespace {

std::string TextOf(const SecretBytes& line) { return std::string(line.begin(), line.end()); }

// What follows the line belongs to whoever gave kst the descriptor: a script may pass the
// password and the data on one pipe.
TEST(PasswordLine, LeavesWhatFollowsItOnTheDescriptorItWasGiven)
{
    int ends[2];
    ASSERT_EQ(::pipe(ends), 0);
    const std::string sent = "secret\r\nthe rest";
    ASSERT_EQ(::write(ends[1], sent.data(), sent.size()), ssize_t(sent.size()));
    ::close(ends[1]);

    SecretBytes line;
    {
        files::File file;
        ASSERT_TRUE(files::OpenDescriptor(ends[0], file).ok);
        files::FileSource source(file, files::FileSource::kNoReadAhead);
        ASSERT_TRUE(kst::ReadLine(source, line));
    }
    EXPECT_EQ(TextOf(line), "secret");
    char rest[32] = {};
    EXPECT_EQ(::read(ends[0], rest, sizeof rest), ssize_t(8)) << "the descriptor itself stays open";
    EXPECT_EQ(std::string(rest), "the rest");
    ::close(ends[0]);
}

TEST(PasswordLine, EndsAtTheEndOfTheStreamWithoutALineEnd)
{
    int ends[2];
    ASSERT_EQ(::pipe(ends), 0);
    ASSERT_EQ(::write(ends[1], "last\r", 5), ssize_t(5));
    ::close(ends[1]);
    files::File file(ends[0]);
    files::FileSource source(file, files::FileSource::kNoReadAhead);
    SecretBytes line(9, 'x');
    ASSERT_TRUE(kst::ReadLine(source, line));
    EXPECT_EQ(TextOf(line), "last");
    ASSERT_TRUE(kst::ReadLine(source, line));
    EXPECT_EQ(TextOf(line), "") << "nothing more";
}

// Notepad's "Unicode": a unit may hold the byte of '\n' (U+010A is 0A 01), and only the
// unit U+000A ends the line; the rest stays on the descriptor, in either byte order.
TEST(PasswordLine, AUtf16LineEndsAtItsOwnLineFeedUnit)
{
    const struct {
        const char* order;
        std::string sent, line;
    } cases[] = {
        {"little-endian", std::string("\xFF\xFEp\0\x0A\x01\r\0\n\0rest", 14),
         std::string("\xFF\xFEp\0\x0A\x01", 6)},
        {"big-endian", std::string("\xFE\xFF\0p\x01\x0A\0\r\0\nrest", 14), std::string("\xFE\xFF\0p\x01\x0A", 6)},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.order);
        int ends[2];
        ASSERT_EQ(::pipe(ends), 0);
        ASSERT_EQ(::write(ends[1], c.sent.data(), c.sent.size()), ssize_t(c.sent.size()));
        ::close(ends[1]);
        files::File file(ends[0]);
        files::FileSource source(file, files::FileSource::kNoReadAhead);
        SecretBytes line;
        ASSERT_TRUE(kst::ReadLine(source, line));
        EXPECT_EQ(TextOf(line), c.line);
        ASSERT_TRUE(kst::ReadLine(source, line));
        EXPECT_EQ(TextOf(line), "rest");
    }
}

}  // namespace
