#include "script/script_resolve.h"

#include <gtest/gtest.h>

namespace kora {
namespace {

TEST(ScriptResolve, BareNamesFollowTheDocument) {
    const ScriptDocumentInfo windows{"C:\\m\\a.krm"};
    EXPECT_EQ(Resolve(windows, "other.krm"), "C:\\m\\other.krm");
    EXPECT_EQ(Resolve(windows, "  other.krm"), "C:\\m\\other.krm");
    EXPECT_EQ(Resolve(windows, "D:\\x\\b.res"), "D:\\x\\b.res");
    EXPECT_EQ(Resolve(windows, "sub\\b.res"), "sub\\b.res"); // has a directory part
    EXPECT_EQ(Resolve(windows, "D:b.res"), "D:b.res");       // a drive is enough
    EXPECT_EQ(Resolve(windows, "out"), "C:\\m\\out");        // no extension is added here

    const ScriptDocumentInfo posix{"/home/u/models/a.krm"};
    EXPECT_EQ(Resolve(posix, "b.krm"), "/home/u/models/b.krm");
    EXPECT_EQ(Resolve(posix, "../b.krm"), "../b.krm");
    EXPECT_EQ(Resolve(posix, "/tmp/b.krm"), "/tmp/b.krm");

    const ScriptDocumentInfo drive{"C:a.krm"};
    EXPECT_EQ(Resolve(drive, "b.krm"), "C:b.krm");
}

TEST(ScriptResolve, UnsavedDocumentKeepsTheName) {
    const ScriptDocumentInfo unsaved{};
    EXPECT_EQ(Resolve(unsaved, "other.krm"), "other.krm");
    EXPECT_EQ(Resolve(unsaved, "C:\\x\\b.krm"), "C:\\x\\b.krm");
}

} // namespace
} // namespace kora
