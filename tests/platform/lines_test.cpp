#include "platform/lines.hpp"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include "../support/temp_folder.hpp"

using testsupport::TempFolder;

namespace {

std::vector<std::string> all_lines(const std::filesystem::path& p) {
    platform::LineReader r(p);
    std::vector<std::string> out;
    std::string_view line;
    while (r.next(line)) out.emplace_back(line);
    EXPECT_TRUE(r.at_end());
    EXPECT_FALSE(r.error());
    EXPECT_EQ(r.line_number(), out.size());
    return out;
}

}  // namespace

TEST(Lines, ReaderTakesCrLfAndBareLf) {
    TempFolder t;
    using V = std::vector<std::string>;
    struct Case {
        std::string bytes;
        V lines;
    } cases[] = {
        {"", {}},
        {"a\r\nb\r\n", {"a", "b"}},
        {"a\nb", {"a", "b"}},
        {"a\r\n\r\nb\r\n", {"a", "", "b"}},
        {"\r\n", {""}},
        {"a\rb\r\n", {"a\rb"}},  // a lone CR is data
        {std::string("x\0y\xD1\r\n", 6), {std::string("x\0y\xD1", 4)}},
    };
    for (const auto& c : cases) {
        auto p = t.write("f.txt", c.bytes);
        EXPECT_EQ(all_lines(p), c.lines) << testing::PrintToString(c.bytes);
    }
}

TEST(Lines, ReaderHandlesLinesLongerThanItsBuffer) {
    TempFolder t;
    std::string big(3 << 20, 'x');  // three times the reader's chunk
    std::string bytes = "short\r\n" + big + "\r\n" + big + "y";
    auto p = t.write("big.txt", bytes);
    auto lines = all_lines(p);
    ASSERT_EQ(lines.size(), 3u);
    EXPECT_EQ(lines[0], "short");
    EXPECT_EQ(lines[1], big);
    EXPECT_EQ(lines[2], big + "y");
}

TEST(Lines, AtEndTellsAnEmptyLineFromTheEndOfTheFile) {
    TempFolder t;
    auto p = t.write("f.txt", "1\r\n\r\n2\r\n");
    platform::LineReader r(p);
    std::string_view line;
    ASSERT_TRUE(r.next(line));
    ASSERT_TRUE(r.next(line));
    EXPECT_EQ(line, "");
    EXPECT_FALSE(r.at_end());
    ASSERT_TRUE(r.next(line));
    EXPECT_TRUE(r.at_end());
    EXPECT_FALSE(r.next(line));
}

TEST(Lines, MissingFileIsAnError) {
    TempFolder t;
    platform::LineReader r;
    EXPECT_FALSE(r.open(t / "none.txt"));
    EXPECT_EQ(r.error(), std::errc::no_such_file_or_directory);
    std::error_code ec;
    EXPECT_TRUE(platform::read_lines(t / "none.txt", ec).empty());
    EXPECT_TRUE(ec);
}

TEST(Lines, WriterEndsLinesWithCrLfAndAppends) {
    TempFolder t;
    auto p = t / "out.txt";
    {
        platform::LineWriter w(p, platform::LineWriter::Mode::truncate);
        ASSERT_TRUE(w.is_open());
        EXPECT_TRUE(w.write_line("uno"));
        EXPECT_TRUE(w.write_line("A\xD1O"));
        EXPECT_TRUE(w.close());
    }
    platform::LineWriter w(p, platform::LineWriter::Mode::append);
    w.write_line("dos");
    EXPECT_TRUE(w.close());
    EXPECT_EQ(testsupport::read_file(p), "uno\r\nA\xD1O\r\ndos\r\n");

    platform::LineWriter bad(t / "no/such/folder.txt", platform::LineWriter::Mode::truncate);
    EXPECT_FALSE(bad.is_open());
    EXPECT_FALSE(bad.write_line("x"));
}

TEST(Lines, WriterReportsAFullDisk) {
    if (!std::filesystem::exists("/dev/full")) GTEST_SKIP() << "no /dev/full";
    platform::LineWriter w("/dev/full", platform::LineWriter::Mode::truncate);
    ASSERT_TRUE(w.is_open());
    w.write_line("data");
    EXPECT_FALSE(w.close());
    EXPECT_EQ(w.error(), std::errc::no_space_on_device);
}

// With a bound, a line keeps only its first bytes but counts whole, whatever
// its end and wherever the read blocks fall; the bytes read are exact.
TEST(Lines, BoundedReaderKeepsTheStartAndCountsTheWhole) {
    TempFolder t;
    const std::size_t mib = std::size_t{1} << 20;
    struct Case {
        const char* name;
        std::string bytes;
        std::vector<std::pair<std::string, std::uint64_t>> lines;  // kept, whole length
    } cases[] = {
        {"ShortLinesUntouched", "abc\r\nde\n", {{"abc", 3}, {"de", 2}}},
        {"ExactlyTheBound", "abcd\r\n", {{"abcd", 4}}},
        {"CrJustPastTheBound", "abcde\r\nf", {{"abcd", 5}, {"f", 1}}},
        {"LongLineBareLf", std::string(25, 'x') + "\ny\n", {{"xxxx", 25}, {"y", 1}}},
        {"LongLastLineWithoutEnd", "ab\n" + std::string(30, 'z'), {{"ab", 2}, {"zzzz", 30}}},
        {"LongLineOverBlocks",
         std::string(3 * mib + 7, 'q') + "\r\nend",
         {{"qqqq", 3 * mib + 7}, {"end", 3}}},
        {"CrAtABlockEnd", std::string(mib - 1, 'w') + "\r\nv", {{"wwww", mib - 1}, {"v", 1}}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        auto p = t.write("f.txt", c.bytes);
        platform::LineReader r(p);
        r.set_max_line(4);
        std::vector<std::pair<std::string, std::uint64_t>> got;
        std::string_view line;
        while (r.next(line)) got.emplace_back(std::string(line), r.line_length());
        EXPECT_EQ(got, c.lines);
        EXPECT_EQ(r.bytes_read(), c.bytes.size());
    }
}

// A reader on a descriptor reads from it and closes it.
TEST(Lines, ReaderOnAnOpenDescriptor) {
    TempFolder t;
    auto p = t.write("f.txt", "a\r\nb\r\n");
    const int fd = ::open(p.c_str(), O_RDONLY);
    {
        platform::LineReader r;
        ASSERT_TRUE(r.open(fd));
        std::string_view line;
        ASSERT_TRUE(r.next(line));
        EXPECT_EQ(line, "a");
        ASSERT_TRUE(r.next(line));
        EXPECT_EQ(line, "b");
        EXPECT_FALSE(r.next(line));
    }
    EXPECT_EQ(::fcntl(fd, F_GETFD), -1);
    platform::LineReader ninguno;
    EXPECT_FALSE(ninguno.open(-1));
}
