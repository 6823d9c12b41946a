#include <gtest/gtest.h>

#include "settings/memory_store.h"
#include "settings/recent_files.h"

namespace kora {
namespace {

TEST(RecentFiles, KeepsTheNineNewestAndStoresThemInOrder) {
    RecentFiles recent;
    for (int i = 0; i < 10; ++i)
        recent.Add("f" + std::to_string(i) + ".krm");
    recent.Add("f5.krm"); // again: moves to the top
    recent.Add("");
    ASSERT_EQ(recent.entries().size(), 9u);
    EXPECT_EQ(recent.entries().front(), "f5.krm");
    EXPECT_EQ(recent.entries().back(), "f1.krm");

    recent.Remove("f9.krm");
    recent.Remove("f1.krm");
    recent.Add("a.RES");
    EXPECT_EQ(recent.MenuOrder().back(), "a.RES"); // model files come first
    EXPECT_EQ(recent.MenuOrder().front(), "f5.krm");

    MemoryStore store;
    store.values["MRU9"] = "older value, beyond the list";
    recent.Save(store);
    EXPECT_EQ(store.values["MRU1"], "a.RES");
    RecentFiles loaded;
    loaded.Load(store);
    EXPECT_EQ(loaded.entries().size(), 9u); // the stale ninth value is read back
    EXPECT_EQ(loaded.entries()[1], "f5.krm");
}

} // namespace
} // namespace kora
