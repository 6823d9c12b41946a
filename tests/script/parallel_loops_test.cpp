#include "script/parallel_loops.h"

#include <gtest/gtest.h>

#include "recording_host.h"
#include "script/script_check.h"

namespace kora {
namespace {

using Lines = std::vector<std::string>;

PreparedScript Prepared(const Lines& lines) {
    testing::RecordingHost host;
    PreparedScript prepared;
    EXPECT_TRUE(Prepare(lines, ScriptDocumentInfo{""}, prepared, host));
    return prepared;
}

TEST(ParallelLoops, APassThatOnlySolvesWritesAndStoresMayRunInParallel) {
    const PreparedScript prepared =
        Prepared({"SETTING k = 1 : 3", "SET a = 2", "RUN", "W k, X@LAST", "SOLVE b = 1",
                  "SAVE RES TO out", "CLEAR RES", "SUPERIMPOSE OFF", "RESTORE", "NEXT"});
    EXPECT_EQ(SerialLoopReason(prepared, 0), "");
    EXPECT_EQ(ParallelLoopAround(prepared, 2), std::optional<size_t>(0));
    EXPECT_EQ(ParallelLoopAround(prepared, 2, {0}), std::nullopt); // known to be serial
    EXPECT_TRUE(SerialLoops(prepared).empty());
}

TEST(ParallelLoops, DependentOrForeignPassesAreRefusedWithTheirReason) {
    const std::pair<std::string, std::string> cases[] = {
        {"FIT data.txt k", "FIT changes the model from the results of a pass"},
        {"OPEN other.krm", "it opens, closes, merges or activates documents"},
        {"MERGE old.res", "it opens, closes, merges or activates documents"},
        {"ACTIVATE", "it opens, closes, merges or activates documents"},
        {"SS", "STEADY STATE runs on the document's own solver"},
    };
    for (const auto& [command, reason] : cases) {
        const PreparedScript prepared = Prepared({"SETTING k = 1 : 3", "RUN", command, "NEXT"});
        EXPECT_EQ(SerialLoopReason(prepared, 0), reason) << command;
        EXPECT_EQ(ParallelLoopAround(prepared, 1), std::nullopt) << command;
    }
}

TEST(ParallelLoops, TheOutermostLoopThatMayRunInParallelIsChosen) {
    // The outer loop fits after its inner loop; the inner one alone is free.
    const PreparedScript prepared =
        Prepared({"SETTING a = 1 : 2", "SETTING b = 1 : 2", "RUN", "SETTING c = 1 : 2", "RUN",
                  "NEXT", "NEXT", "FIT data.txt k", "NEXT"});
    EXPECT_EQ(ParallelLoopAround(prepared, 2), std::optional<size_t>(1));
    EXPECT_EQ(ParallelLoopAround(prepared, 4), std::optional<size_t>(1));
    const std::vector<SerialLoopNote> notes = SerialLoops(prepared);
    ASSERT_EQ(notes.size(), 1u);
    EXPECT_EQ(notes[0].sourceLine, 0);
}

TEST(ParallelLoops, CheckNamesEachSerialLoopByItsLine) {
    testing::RecordingHost host;
    std::vector<std::string> notes;
    const Lines text = {"X' = -X", "X = 1",      "SCRIPT", "SETTING X = 1 : 2",
                        "RUN",     "OPEN b.krm", "NEXT",   "END SCRIPT"};
    ASSERT_TRUE(CheckScript(text, ScriptDocumentInfo{""}, host, &notes));
    ASSERT_EQ(notes.size(), 1u);
    EXPECT_EQ(notes[0],
              "SETTING X = 1 : 2: runs serially, it opens, closes, merges or activates documents");
}

} // namespace
} // namespace kora
