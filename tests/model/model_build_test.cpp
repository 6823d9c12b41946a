#include "model_fixture.h"

namespace kora::test {
namespace {

TEST(ModelBuild, ConstantsMayUseConstantsDefinedLater) {
    BuiltModel built({"a = b + 1", "c = 2 a", "b = 2"});
    ASSERT_EQ(built.Code(), 0);
    EXPECT_EQ(built.Constant("a")->value, 3.0);
    EXPECT_EQ(built.Constant("c")->value, 6.0);
}

TEST(ModelBuild, InitialValuesMustExistAndBeConstant) {
    BuiltModel missing({"X' = -X", "Y' = X", "Z' = 1", "Z = 1"});
    EXPECT_EQ(missing.Code(), 11);
    EXPECT_EQ(missing.sink.context, "X Y ");
    BuiltModel notConstant({"X' = Y", "Y' = X", "Y = 1", "X = 2*Y"});
    EXPECT_EQ(notConstant.Code(), 9);
    EXPECT_EQ(notConstant.sink.context, "X = 2*Y");
}

TEST(ModelBuild, ReportIntervalAndNumberOfPoints) {
    const struct {
        TextLines lines;
        int code;
        double hr;
    } cases[] = {
        {{"hr = -0.5"}, 0, 0.5},
        {{"tf = 10", "Npoints = 50"}, 0, 0.2},
        {{"tf = 10", "Npoints = 50", "hr = 1"}, 0, 1.0},
        {{"X' = 1", "X = 1"}, 0, 1.0 / 200},
        {{"hr = 0"}, 20, 0},
        {{"Npoints = 0.5"}, 20, 0},
        {{"k = hr"}, 2, 0}, // not usable before the model assigns it
    };
    for (const auto& c : cases) {
        BuiltModel built(c.lines);
        EXPECT_EQ(built.Code(), c.code) << c.lines.back();
        if (c.code == 0) {
            EXPECT_DOUBLE_EQ(built.model.hr, c.hr) << c.lines.back();
        } else {
            EXPECT_EQ(built.sink.context, c.lines.back());
        }
    }
}

TEST(ModelBuild, RenamedTimeSettingsFollowTheNames) {
    TextLines lines{"Tstart = 1", "Tend = 5", "step = 0.5"};
    KRMForm form;
    ErrorDisplay sink;
    KRMparser model(&form, &sink);
    model.predefinedNames[KRMparser::kInitialTime] = "Tstart";
    model.predefinedNames[KRMparser::kFinalTime] = "Tend";
    model.predefinedNames[KRMparser::kReportInterval] = "step";
    model.predefinedNames[KRMparser::kPoints] = "";
    model.Build(lines);
    ASSERT_EQ(sink.code, 0);
    EXPECT_EQ(model.t0, 1.0);
    EXPECT_EQ(model.tf, 5.0);
    EXPECT_EQ(model.hr, 0.5);
}

TEST(ModelBuild, BackwardRunsAreMirroredAndEndEventsDropped) {
    BuiltModel backward({"t0 = 10", "tf = 0", "k = 0", "@ 4 k = 1", "@ 10 k = 2"});
    ASSERT_EQ(backward.Code(), 0);
    EXPECT_TRUE(backward.model.backward);
    EXPECT_EQ(backward.model.tf, 20.0);
    ASSERT_EQ(backward.model.events.size(), 1u);
    EXPECT_EQ(backward.model.events[0].eventTime, 16.0);

    BuiltModel ends({"k = 0", "@ 0 k = 1", "@ 1 k = 2", "@ 0.5 k = 3"});
    ASSERT_EQ(ends.model.events.size(), 1u);
    EXPECT_EQ(ends.model.events[0].value, 3.0);
}

TEST(ModelBuild, EventsAreSortedAndChecked) {
    BuiltModel sorted({"tf = 10", "k = 0", "te = 3", "@ 7 k = 1", "@ te k = 2", "@ 5 k = 3"});
    ASSERT_EQ(sorted.Code(), 0);
    ASSERT_EQ(sorted.model.events.size(), 3u);
    EXPECT_EQ(sorted.model.events[0].eventTime, 3.0);
    EXPECT_EQ(sorted.model.events[1].eventTime, 5.0);
    EXPECT_EQ(sorted.model.events[2].eventTime, 7.0);

    const std::string base[] = {"tf = 10", "X' = 1", "X = 1", "k = 1"};
    auto build = [&](const std::string& extra) {
        TextLines lines(std::begin(base), std::end(base));
        lines.push_back(extra);
        return BuiltModel(lines);
    };
    // A value of the state is compiled, to be computed when the event happens.
    BuiltModel dependent = build("@ 5 k = X");
    EXPECT_EQ(dependent.Code(), 0);
    ASSERT_EQ(dependent.model.events.size(), 1u);
    EXPECT_FALSE(dependent.model.events[0].code.empty());
    EXPECT_EQ(build("@ 5 Z = 1").Code(), 22);
    EXPECT_EQ(build("@ nowhere k = 1").Code(), 21);
    EXPECT_EQ(build("@ 5 k = 1/0").Code(), 13);
}

TEST(ModelBuild, IndependentVariablesTakePositionsAfterTheVariables) {
    BuiltModel built(
        {"X' = k - X", "Y' = X", "X = 1", "Y = 1", "k = 2", "m = 3", "&& m, nothing k,m"});
    ASSERT_EQ(built.Code(), 0);
    EXPECT_EQ(built.Constant("m")->valueIndex, 2);
    EXPECT_EQ(built.Constant("k")->valueIndex, 3);
    EXPECT_EQ(built.model.nIndependent, 2);
}

TEST(ModelBuild, OutputsFollowTheListOrDefinitionsThenVariables) {
    BuiltModel listed(
        {"X' = 1", "Y' = 1", "X = 1", "Y = 1", "f = 2X", "k = 1", "!! Y, f Y, ghost, k"});
    ASSERT_EQ(listed.Code(), 0);
    EXPECT_EQ(listed.model.equations[1].reportIndex, 1);
    EXPECT_EQ(listed.model.definitions[0].reportIndex, 2);
    EXPECT_EQ(listed.Constant("k")->reportIndex, 3);
    EXPECT_NE(listed.model.equations[0].state, kStateReported);
    EXPECT_EQ(listed.model.ReportedColumns(), 4);

    BuiltModel unlisted({"X' = 1", "Y' = 1", "X = 1", "Y = 1", "f = 2X", "g = f"});
    ASSERT_EQ(unlisted.Code(), 0);
    EXPECT_EQ(unlisted.model.definitions[0].reportIndex, 1);
    EXPECT_EQ(unlisted.model.definitions[1].reportIndex, 2);
    EXPECT_EQ(unlisted.model.equations[0].reportIndex, 3);
    EXPECT_EQ(unlisted.model.equations[1].reportIndex, 4);
}

TEST(ModelBuild, DefinitionsSeeOnlyEarlierDefinitions) {
    BuiltModel built({"X' = g", "X = 1", "f = 2X", "g = f + 1"});
    ASSERT_EQ(built.Code(), 0);
    EXPECT_EQ(built.model.definitions[1].value, 3.0);
    BuiltModel forward({"X' = f", "X = 1", "f = g", "g = 2X"});
    EXPECT_EQ(forward.Code(), 2);
    EXPECT_EQ(forward.sink.context, "f = g");
}

} // namespace
} // namespace kora::test
