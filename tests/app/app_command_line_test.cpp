#include <gtest/gtest.h>

#include "app_command_line.h"

namespace kora::app {
namespace {

TEST(AppCommandLine, TakesOneFileAndASettingsFile) {
    AppOptions options = ParseAppCommandLine({"--settings", "my.ini", "model.krm"});
    ASSERT_TRUE(options.ok()) << options.error;
    EXPECT_EQ(options.file, "model.krm");
    EXPECT_EQ(options.settingsFile, "my.ini");
    EXPECT_FALSE(options.help || options.version);

    options = ParseAppCommandLine({"--", "-odd name.krm"});
    ASSERT_TRUE(options.ok()) << options.error;
    EXPECT_EQ(options.file, "-odd name.krm");
    EXPECT_FALSE(ParseAppCommandLine({}).file.has_value());
}

TEST(AppCommandLine, RejectsWhatItCannotHonour) {
    for (const std::vector<std::string>& args : std::vector<std::vector<std::string>>{
             {"a.krm", "b.krm"}, {"--settings"}, {"--settings="}, {"--verbose"}, {"a", "--", "b"}})
        EXPECT_FALSE(ParseAppCommandLine(args).ok()) << args.front();
    EXPECT_TRUE(ParseAppCommandLine({"--help"}).help);
    EXPECT_TRUE(ParseAppCommandLine({"--version"}).version);
}

} // namespace
} // namespace kora::app
