#include "script/script_resolve.h"

#include <gtest/gtest.h>

namespace kora {
namespace {

TEST(ScriptResolve, BareNamesFollowTheDocument) {
    const ScriptDocumentInfo windows{"C:\\m\\a.krm"}, posix{"/u/a.krm"}, unsaved{};
    EXPECT_EQ(Resolve(windows, "  other.krm"), "C:\\m\\other.krm");
    EXPECT_EQ(Resolve(windows, "sub\\b.res"), "sub\\b.res"); // has a directory part
    EXPECT_EQ(Resolve(windows, "D:b.res"), "D:b.res");       // a drive is enough
    EXPECT_EQ(Resolve(posix, "b.krm"), "/u/b.krm");
    EXPECT_EQ(Resolve(posix, "../b.krm"), "../b.krm");
    EXPECT_EQ(Resolve(ScriptDocumentInfo{"C:a.krm"}, "b.krm"), "C:b.krm");
    EXPECT_EQ(Resolve(unsaved, "other.krm"), "other.krm");
}

} // namespace
} // namespace kora
