// kora-batch never destroys a file it did not make.
#include <gtest/gtest.h>

#include "batch_process.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

namespace fs = std::filesystem;
using kora::testing::Quoted;
using kora::testing::ReadAll;

const std::string kDecay = "X' = -X\nX = 1\nhr = 0.5\n";

class OutputSafety : public kora::testing::BatchTest {};

TEST_F(OutputSafety, AFifoIsWrittenInPlaceAndALinkKeepsPointingAtTheNewFile) {
    const fs::path model = Write("m.krm", kDecay);
    const fs::path fifo = dir_ / "pipe.res";
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    // A reader that never blocks, so a failing writer cannot hang the test.
    const int reader = ::open(fifo.c_str(), O_RDONLY | O_NONBLOCK);
    ASSERT_GE(reader, 0);
    const auto fifoRun = Batch("run " + Quoted(model) + " --method taylor -o " + Quoted(fifo));
    char buffer[8192] = {};
    const ssize_t got = ::read(reader, buffer, sizeof buffer - 1);
    ::close(reader);
    EXPECT_EQ(fifoRun.exitCode, 0) << fifoRun.err;
    EXPECT_TRUE(fs::is_fifo(fifo));
    ASSERT_GT(got, 0);
    EXPECT_EQ(std::string(buffer).rfind("[Graph]", 0), 0u);

    const fs::path target = Write("target.res", "old");
    const fs::path link = dir_ / "link.res";
    fs::create_symlink(target.filename(), link);
    const auto linkRun = Batch("run " + Quoted(model) + " -o " + Quoted(link));
    EXPECT_EQ(linkRun.exitCode, 0) << linkRun.err;
    EXPECT_TRUE(fs::is_symlink(link));
    EXPECT_NE(ReadAll(target), "old");
}

TEST_F(OutputSafety, AnOutputNamingTheModelIsRefusedBeforeAnyWork) {
    const fs::path model = Write("m.krm", kDecay);
    const fs::path twin = dir_ / "twin.krm";
    fs::create_hard_link(model, twin);
    for (const std::string command : {"run ", "ss "}) {
        const auto refused = Batch(command + Quoted(model) + " -o " + Quoted(twin));
        EXPECT_EQ(refused.exitCode, 64) << command;
        EXPECT_NE(refused.err.find("twin.krm"), std::string::npos) << refused.err;
        EXPECT_NE(refused.err.find("m.krm"), std::string::npos) << refused.err;
        EXPECT_EQ(refused.out, "");
    }
    EXPECT_EQ(ReadAll(model), kDecay);
}

TEST_F(OutputSafety, NothingIsWrittenWhenThereIsNothingToWriteOrAnOptionIsWrong) {
    const fs::path kept = Write("kept.res", "earlier results");
    const fs::path broken = Write("broken.krm", "X' = -X\n");
    EXPECT_EQ(Batch("run " + Quoted(broken) + " -o " + Quoted(kept)).exitCode, 1);
    EXPECT_EQ(ReadAll(kept), "earlier results");

    const fs::path model = Write("m.krm", kDecay);
    const auto wrongPicture = Batch("run " + Quoted(model) + " -o " + Quoted(dir_ / "new.res") +
                                    " --plot " + Quoted(dir_ / "x.gif"));
    EXPECT_EQ(wrongPicture.exitCode, 64);
    EXPECT_EQ(wrongPicture.out, "");
    EXPECT_FALSE(fs::exists(dir_ / "new.res"));
    const auto noFolder = Batch("run " + Quoted(model) + " -o " + Quoted(dir_ / "no" / "r.res"));
    EXPECT_EQ(noFolder.exitCode, 73);
    EXPECT_EQ(noFolder.out, "");
}

} // namespace
