#include <gtest/gtest.h>

#include <algorithm>
#include <csignal>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <sys/resource.h>
#include <sys/stat.h>
#include <thread>

#include "results/results_file.h"
#include "results/text_lines.h"
#include "results_test_util.h"

namespace kora {
namespace {

using testing::MakeCourse;
using testing::Values;
namespace fs = std::filesystem;

ResultsSet ThreeCourses() {
    ResultsSet set;
    set.precision = 15;
    set.timeCourses.push_back(
        MakeCourse("", {"t", "X1", "X2"}, {{0, 0.1, -3e-200}, {0.5, 1.23456789012345, 1e300}}));
    set.timeCourses.push_back(MakeCourse("second", {"t", "Y"}, {{0, 2.5}, {1, -7}, {2, 1e-5}}));
    set.timeCourses.push_back(MakeCourse("third [x]", {"t"}, {{3}}));
    return set;
}

std::string ReadText(const fs::path& path) {
    std::ifstream file(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(file), {});
}

TEST(ResultsFile, RoundTripKeepsSectionsTitlesNamesAndValues) {
    const ResultsSet written = ThreeCourses();
    for (char separator : {'.', ','}) {
        const std::string text = FormatResultsText(written, separator);
        for (char locale : {'.', ','}) {
            ResultsSet read;
            ASSERT_TRUE(ParseResultsText(read, text, locale)) << separator << locale;
            ASSERT_EQ(read.timeCourses.size(), 3u);
            EXPECT_EQ(read.timeCourses[0].title, "0");
            EXPECT_EQ(read.timeCourses[1].title, "second");
            EXPECT_EQ(read.timeCourses[2].title, "third [x]");
            for (size_t k = 0; k < 3; ++k) {
                EXPECT_EQ(read.timeCourses[k].names, written.timeCourses[k].names);
                EXPECT_EQ(Values(read.timeCourses[k]), Values(written.timeCourses[k]));
            }
        }
    }
}

TEST(ResultsFile, LayoutHasGraphBlankLineAndTabTerminatedCells) {
    ResultsSet set = ThreeCourses();
    set.precision = 4;
    const std::string text = FormatResultsText(set, ',');
    EXPECT_EQ(text.rfind("[Graph]\r\nView=1\r\n", 0), 0u);
    EXPECT_NE(
        text.find("\r\n \r\n[Data][0]\r\nt\tX1\tX2\t\r\n0\t0,1\t-3e-200\t\r\n0,5\t1,235\t1e+300\t"
                  "\r\n[Data][second]"),
        std::string::npos);
}

TEST(ResultsFile, LenientReading) {
    ResultsSet set;
    set.xTicks = 7;
    // No "[Graph]" first line: lines before the data are ignored and the
    // description stays; blank lines and surplus values are skipped.
    ASSERT_TRUE(
        ParseResultsText(set, "junk\nXticks=3\n[Data] [ T ]\n t  A \n\n1 2 3 4\n  \n5\t6\n"));
    EXPECT_EQ(set.xTicks, 7);
    EXPECT_FALSE(set.rangesKnown);
    ASSERT_EQ(set.timeCourses.size(), 1u);
    EXPECT_EQ(set.timeCourses[0].title, "T");
    EXPECT_EQ(Values(set.timeCourses[0]), (std::vector<double>{1, 2, 5, 6}));

    // A settled description ignores the file's section.
    std::string text = FormatResultsText(ThreeCourses());
    set.yTicks = 9;
    set.rangesKnown = true;
    ASSERT_TRUE(ParseResultsText(set, text));
    EXPECT_EQ(set.yTicks, 9);
}

TEST(ResultsFile, MalformedFilesFailWithAReason) {
    const std::vector<std::string> bad = {
        "",
        "[Graph]\nView=1\n",                   // no data section
        "[Data][a]\n   \n1 2\n",               // empty header
        "[Data][a]\nt x\n\n[Data][b]\nt\n1\n", // section without rows
        "[Data][a]\nt x\n1 2\n3 4x\n",         // not a number
        "[Data][a]\nt x\n1 2\n3\n4 5\n",       // a short row must not shift values
        "[Graph]\nXmin=0\n[Data][a]\nt\n1\n"   // ranges missing
    };
    for (const std::string& text : bad) {
        ResultsSet set;
        const ResultsFileResult result = ParseResultsText(set, text);
        EXPECT_FALSE(result.ok) << text;
        EXPECT_FALSE(result.reason.empty()) << text;
    }
    // Sections completed before the fault stay.
    ResultsSet set;
    EXPECT_FALSE(ParseResultsText(set, "[Data][a]\nt\n1\n[Data][b]\nt\nq\n"));
    ASSERT_EQ(set.timeCourses.size(), 1u);
    EXPECT_EQ(set.timeCourses[0].title, "a");
}

class ResultsFileOnDisk : public ::testing::Test {
protected:
    void SetUp() override {
        dir_ = fs::temp_directory_path() /
               ("kora_results_" + std::to_string(::getpid()) + "_" +
                ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::create_directories(dir_);
    }
    void TearDown() override { fs::remove_all(dir_); }
    size_t FileCount() const {
        return static_cast<size_t>(std::distance(fs::directory_iterator(dir_), {}));
    }

    fs::path dir_;
};

TEST_F(ResultsFileOnDisk, WriteThenReadAndKeepPermissionsAndLinks) {
    const fs::path target = dir_ / "model.res";
    std::ofstream(target) << "old";
    ::chmod(target.c_str(), 0640);
    const fs::path link = dir_ / "link.res";
    fs::create_symlink(target, link);

    ASSERT_TRUE(WriteResultsFile(ThreeCourses(), link.string()));
    EXPECT_TRUE(fs::is_symlink(link));
    EXPECT_EQ(fs::status(target).permissions() & fs::perms::mask,
              fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
    EXPECT_EQ(FileCount(), 2u);
    ResultsSet read;
    ASSERT_TRUE(ReadResultsFile(read, target.string()));
    EXPECT_EQ(read.timeCourses.size(), 3u);
}

TEST_F(ResultsFileOnDisk, FailedWriteLeavesTheOldFileIntact) {
    const fs::path target = dir_ / "model.res";
    std::ofstream(target) << "old contents";

    // A file size limit makes the write itself fail part-way, as a full
    // disk would; it binds root as well.
    ResultsSet big;
    big.timeCourses.push_back(MakeCourse("", {"t", "x"}, {}));
    big.timeCourses[0].rows = 20000;
    big.timeCourses[0].data.Allocate(40000);
    std::fill_n(big.timeCourses[0].data.data(), 40000, 1.0 / 3.0);
    rlimit old{};
    ::getrlimit(RLIMIT_FSIZE, &old);
    const auto oldHandler = std::signal(SIGXFSZ, SIG_IGN);
    rlimit small = old;
    small.rlim_cur = 4096;
    ::setrlimit(RLIMIT_FSIZE, &small);
    const ResultsFileResult result = WriteResultsFile(big, target.string());
    ::setrlimit(RLIMIT_FSIZE, &old);
    std::signal(SIGXFSZ, oldHandler);

    EXPECT_FALSE(result.ok);
    EXPECT_FALSE(result.reason.empty());
    EXPECT_EQ(ReadText(target), "old contents");
    EXPECT_EQ(FileCount(), 1u); // no temporary left behind

    EXPECT_FALSE(WriteResultsFile(big, (dir_ / "missing" / "x.res").string()));
    fs::create_directory(dir_ / "adir");
    std::ofstream(dir_ / "adir" / "keep") << "k";
    EXPECT_FALSE(WriteResultsFile(big, (dir_ / "adir").string()));
    EXPECT_EQ(FileCount(), 2u);
}

TEST(ResultsFile, CrLfAndCrAloneEndLinesAndNeverJoinValues) {
    const std::string crlf = FormatResultsText(ThreeCourses());
    std::string cr;
    std::copy_if(crlf.begin(), crlf.end(), std::back_inserter(cr),
                 [](char c) { return c != '\n'; });
    ResultsSet fromCrLf;
    ResultsSet fromCr;
    ASSERT_TRUE(ParseResultsText(fromCrLf, crlf));
    const ResultsFileResult read = ParseResultsText(fromCr, cr);
    ASSERT_TRUE(read) << read.reason;
    EXPECT_EQ(fromCr.xTicks, fromCrLf.xTicks);
    ASSERT_EQ(fromCr.timeCourses.size(), 3u);
    for (size_t i = 0; i < 3; ++i)
        EXPECT_EQ(Values(fromCr.timeCourses[i]), Values(fromCrLf.timeCourses[i]));
    EXPECT_EQ(SplitLines("a\r\nb\rc\n\rd"),
              (std::vector<std::string_view>{"a", "b", "c", "", "d"}));
}

TEST_F(ResultsFileOnDisk, AFolderOrAPipeIsReadWithoutSizingByItsLength) {
    // A folder opens on some systems and seeks to a huge length; it must
    // fail as unreadable, not with an allocation of that size.
    ResultsSet set;
    const ResultsFileResult folder = ReadResultsFile(set, dir_.string());
    EXPECT_FALSE(folder);
    EXPECT_TRUE(folder.unreadable);

    const fs::path cr = dir_ / "cr.res";
    std::ofstream(cr, std::ios::binary) << "[Graph]\rXticks=4\r[Data][T]\rt\tA\r1\t2\r";
    EXPECT_EQ(ReadGraphSectionLines(cr.string()), std::vector<std::string>{"Xticks=4"});

    const fs::path fifo = dir_ / "pipe.res";
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    std::thread writer([&] { std::ofstream(fifo, std::ios::binary) << "[Data][T]\nt\n5\n"; });
    const ResultsFileResult piped = ReadResultsFile(set, fifo.string());
    writer.join();
    ASSERT_TRUE(piped) << piped.reason;
    EXPECT_EQ(Values(set.timeCourses[0]), std::vector<double>{5});
}

TEST(ResultsFile, ReadsAFileWrittenWithDecimalCommas) {
    ResultsSet set;
    ASSERT_TRUE(ReadResultsFile(set, KORA_TEST_DATA_DIR "/results_comma.res"));
    ASSERT_EQ(set.timeCourses.size(), 2u);
    EXPECT_EQ(set.timeCourses[1].title, "1");
    EXPECT_EQ(Values(set.timeCourses[0])[4], 2.75);
    EXPECT_DOUBLE_EQ(set.ranges[kYmax], 3.5);
    EXPECT_FALSE(set.timeCourses[0].lineStyles[2].visible);
    EXPECT_EQ(set.timeCourses[0].lineStyles[1].style, 4);
}

} // namespace
} // namespace kora
