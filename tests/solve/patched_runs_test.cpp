// Solves whose lines change only plain values take the last build back
// patched: what they give must be what a fresh build gives.
#include <gtest/gtest.h>

#include <string>

#include "driver_document.h"
#include "model/model_patch.h"
#include "model_files.h"

namespace kora {
namespace {

using Document = testing::DriverDocument;

void ExpectSameOutcome(const RunOutcome& patched, const RunOutcome& fresh) {
    EXPECT_EQ(patched.category, fresh.category);
    EXPECT_EQ(patched.code, fresh.code);
    EXPECT_EQ(patched.context, fresh.context);
    EXPECT_EQ(patched.detail, fresh.detail);
    EXPECT_EQ(patched.statistics.status, fresh.statistics.status);
    EXPECT_EQ(patched.statistics.steps, fresh.statistics.steps);
    EXPECT_EQ(patched.statistics.rows, fresh.statistics.rows);
    EXPECT_EQ(patched.statistics.extra, fresh.statistics.extra);
    ASSERT_EQ(patched.timeCourse.has_value(), fresh.timeCourse.has_value());
    if (!fresh.timeCourse) return;
    const TimeCourse& a = *patched.timeCourse;
    const TimeCourse& b = *fresh.timeCourse;
    EXPECT_EQ(a.names, b.names);
    EXPECT_EQ(a.title, b.title);
    ASSERT_EQ(a.rows, b.rows);
    ASSERT_EQ(a.columns, b.columns);
    int differing = 0;
    for (int32_t r = 0; r < a.rows; ++r)
        for (int32_t c = 0; c < a.columns; ++c)
            if (a.Value(r, c) != b.Value(r, c)) ++differing;
    EXPECT_EQ(differing, 0);
}

// Solves each variant with one driver, one after the other, and each with a
// driver of its own; returns how many of the first driver's builds patched.
int ExpectSameAsFreshSolves(const std::vector<TextLines>& variants, SolverMethod method) {
    RunConfiguration configuration;
    configuration.method = method;
    Document kept;
    int patched = 0;
    for (size_t i = 0; i < variants.size(); ++i) {
        SCOPED_TRACE("variant " + std::to_string(i));
        const RunOutcome outcome = kept.Run(variants[i], configuration);
        if (kept.driver.BuiltByPatch()) ++patched;
        Document fresh;
        ExpectSameOutcome(outcome, fresh.Run(variants[i], configuration));
        EXPECT_EQ(kept.sink.code, fresh.sink.code);
        EXPECT_EQ(kept.sink.context, fresh.sink.context);
    }
    return patched;
}

TEST(PatchedRuns, EveryExampleAndTestModelSolvesAsIfBuiltAfresh) {
    int patched = 0;
    for (const auto& file : test::ExampleAndTestModels()) {
        const TextLines lines = test::ModelLinesOf(file);
        const KRMparser reader(nullptr, nullptr);
        std::vector<TextLines> variants{lines};
        ValueLine line;
        // Up to three values changed one after the other, then back.
        for (size_t i = 0; i < lines.size() && variants.size() < 4; ++i) {
            if (!ReadValueLine(reader, lines, i, line)) continue;
            TextLines next = variants.back();
            next[i] = line.name + " = " + std::to_string(line.value * 1.25 + 0.125);
            variants.push_back(std::move(next));
        }
        variants.push_back(lines);
        for (SolverMethod method : {SolverMethod::Lsoda, SolverMethod::Taylor}) {
            SCOPED_TRACE(file.filename().string() +
                         (method == SolverMethod::Taylor ? " taylor" : " lsoda"));
            patched += ExpectSameAsFreshSolves(variants, method);
        }
    }
    EXPECT_GE(patched, 20);
}

TEST(PatchedRuns, AnInvalidValueFailsAsBeforeAndTheNextSolvesAgain) {
    // The build computes X^g at the start: X = 0 fails there.
    const TextLines power{"X' = -X^g", "g = -0.5", "X = 1", "tf = 2"};
    EXPECT_GE(ExpectSameAsFreshSolves({power,
                                       {"X' = -X^g", "g = -0.5", "X = 0", "tf = 2"},
                                       {"X' = -X^g", "g = -0.5", "X = 2", "tf = 2"},
                                       power},
                                      SolverMethod::Lsoda),
              1);
    // The power-law form refuses a non-positive initial value.
    const TextLines form{"X' = 2*X^0.5 - X", "X = 1"};
    EXPECT_GE(ExpectSameAsFreshSolves(
                  {form, {"X' = 2*X^0.5 - X", "X = -1"}, {"X' = 2*X^0.5 - X", "X = 0.5"}, form},
                  SolverMethod::Taylor),
              1);
    // A solve that fails on the way leaves its failure in the sink.
    const TextLines onTheWay{"X' = -k", "X = 1", "Y' = ln[X]", "Y = 0", "k = 1", "tf = 2"};
    TextLines slower = onTheWay;
    slower[4] = "k = 0.1";
    EXPECT_EQ(ExpectSameAsFreshSolves({onTheWay, slower, onTheWay}, SolverMethod::Lsoda), 2);
}

} // namespace
} // namespace kora
