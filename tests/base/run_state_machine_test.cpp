#include <gtest/gtest.h>

#include <string>

#include "base/winintegrator.h"

namespace kora {
namespace {

// A solver whose steps only record themselves; its slice ends the segment
// after `slicesToRun` calls with `endStatus`.
class ScriptedSolver : public winintegrator {
public:
    ScriptedSolver() : winintegrator(nullptr) {}

    std::string calls;
    int slicesToRun = 2;
    int32_t endStatus = kStatusComplete;

private:
    void InitialiseSegment() override {
        calls += 'I';
        state = kSolverStepping;
    }
    void StepSlice() override {
        calls += 'S';
        if (--slicesToRun == 0) status = endStatus;
    }
    void Close() override {
        calls += 'C';
        state = kSolverFinished;
    }
};

void RunUntilFinished(ScriptedSolver& solver, int limit = 20) {
    for (int i = 0; i < limit && solver.state != kSolverFinished; ++i)
        solver.Run();
}

TEST(RunStateMachine, StartsStepsWhileRunningThenClosesOnce) {
    ScriptedSolver solver;
    RunUntilFinished(solver);
    EXPECT_EQ(solver.calls, "ISSC");
    // A finished solver ignores further calls until a new segment is asked for.
    solver.Run();
    EXPECT_EQ(solver.calls, "ISSC");
    solver.state = kSolverInitialise;
    solver.status = kStatusRunning;
    solver.slicesToRun = 1;
    RunUntilFinished(solver);
    EXPECT_EQ(solver.calls, "ISSCISC");
}

TEST(RunStateMachine, AFailureClosesTheSegmentOnTheNextCall) {
    ScriptedSolver solver;
    solver.slicesToRun = 1;
    solver.endStatus = kStatusStepTooSmall;
    solver.Run();
    solver.Run();
    EXPECT_EQ(solver.calls, "IS");
    solver.Run();
    EXPECT_EQ(solver.calls, "ISC");
    EXPECT_EQ(solver.status, kStatusStepTooSmall);
}

TEST(RunStateMachine, FailedStatesDoNothing) {
    for (int8_t failed : {kSolverModelError, kSolverNoMemory, kSolverException}) {
        ScriptedSolver solver;
        solver.state = failed;
        solver.Run();
        EXPECT_EQ(solver.calls, "") << int(failed);
    }
}

} // namespace
} // namespace kora
