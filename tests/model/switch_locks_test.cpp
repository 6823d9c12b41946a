// Held switches: the solver's copies of the code give a held switch's value
// without evaluating its operands, nested switches included, and give the
// model's own answer again once released.
#include <vector>

#include "model/switch_locks.h"
#include "model_fixture.h"

namespace kora::test {
namespace {

struct HeldModel : BuiltModel {
    SwitchLocks locks;
    std::vector<double> x = Values(model.equations);
    std::vector<double> stack = std::vector<double>(model.stackDepth + 1);

    explicit HeldModel(TextLines text) : BuiltModel(std::move(text)) { locks.Begin(model); }

    double Held(int index, int& error) {
        const std::vector<double> a = Values(model.definitions), c = Values(model.constants);
        return model.EvaluateCode(locks.Code(0, static_cast<size_t>(index)).data(), 0.0, x.data(),
                                  a.data(), c.data(), error, stack.data());
    }
};

TEST(SwitchLocks, HeldSwitchesSkipTheirOperandsAndNestedOnesFollowTheOuter) {
    // Y's switches in code order: X > 5, flag[X - 5], the flag around it,
    // ln[X] > 0. At X = -1 the last cannot be evaluated live.
    HeldModel m({"X' = 1", "Y' = if[X > 5, 1, 2] + 10*flag[flag[X - 5] - 0.5] + 100*(ln[X] > 0)",
                 "X = 0.5", "Y = 0"});
    ASSERT_EQ(m.Code(), 0);
    m.x[0] = -1.0;
    ASSERT_EQ(m.model.switchingFunctions.size(), 4u);
    for (const ModelSwitch& at : m.model.switchingFunctions) {
        EXPECT_EQ(at.kind, 0);
        EXPECT_EQ(at.index, 1);
    }
    int error = 0;
    m.Held(1, error);
    EXPECT_NE(error, 0); // nothing held: the model's own code, ln[-1] included

    m.locks.Hold(m.model, 0, true);
    m.locks.Hold(m.model, 2, true);
    m.locks.Hold(m.model, 3, true);
    EXPECT_EQ(m.Held(1, error), 111.0);
    EXPECT_EQ(error, 0);

    // The inner flag held inside the held outer one changes nothing ...
    m.locks.Hold(m.model, 1, false);
    EXPECT_EQ(m.Held(1, error), 111.0);
    // ... until the outer one is live again.
    m.locks.Release(m.model, 2);
    EXPECT_EQ(m.Held(1, error), 101.0);
    m.locks.Hold(m.model, 1, true);
    EXPECT_EQ(m.Held(1, error), 111.0);
    m.locks.Hold(m.model, 0, false);
    EXPECT_EQ(m.Held(1, error), 112.0);

    for (size_t k : {0u, 1u})
        m.locks.Release(m.model, k);
    EXPECT_EQ(m.Held(1, error), 102.0);
    EXPECT_TRUE(m.locks.Any());
    m.locks.Release(m.model, 3);
    EXPECT_FALSE(m.locks.Any());
    m.Held(1, error);
    EXPECT_NE(error, 0);
    EXPECT_EQ(m.locks.Code(0, 1), m.model.equations[1].code);
}

} // namespace
} // namespace kora::test
