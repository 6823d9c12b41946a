#include <gtest/gtest.h>

#include <QImage>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <sys/wait.h>

namespace {

namespace fs = std::filesystem;

class PlotCommand : public ::testing::Test {
protected:
    void SetUp() override {
        dir_ = fs::temp_directory_path() /
               ("kora_plot_cli_" +
                std::string(::testing::UnitTest::GetInstance()->current_test_info()->name()));
        fs::create_directories(dir_);
    }
    void TearDown() override { fs::remove_all(dir_); }

    static std::string Data(const std::string& name) {
        return std::string(KORA_TEST_DATA_DIR) + "/" + name;
    }
    std::string Out(const std::string& name) const { return (dir_ / name).string(); }

    // The exit code of kora-batch with `args`, without a display.
    static int Batch(const std::string& args) {
        const std::string command = "env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM '" +
                                    std::string(KORA_BATCH_EXE) + "' " + args + " 2>/dev/null";
        const int status = std::system(command.c_str());
        return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    }

    fs::path dir_;
};

TEST_F(PlotCommand, RendersAResultsFile) {
    const std::string png = Out("decay.png");
    ASSERT_EQ(Batch("plot '" + Data("render_decay.res") + "' --view phase3d --plot '" + png +
                    "' --size 300x200"),
              0);
    EXPECT_EQ(QImage(QString::fromStdString(png)).size(), QSize(300, 200));
}

TEST_F(PlotCommand, ExitCodesTellWhatFailed) {
    EXPECT_EQ(Batch("plot '" + Data("render_missing.res") + "' --plot '" + Out("a.png") + "'"), 66);
    EXPECT_EQ(Batch("plot '" + Data("render_bad_value.res") + "' --plot '" + Out("b.png") + "'"),
              1);
    EXPECT_EQ(Batch("plot '" + Data("render_decay.res") + "' --plot '" + Out("no/dir/c.png") + "'"),
              73);
    EXPECT_EQ(Batch("plot '" + Data("render_decay.res") + "' --plot '" + Out("d.gif") + "'"), 64);
    EXPECT_FALSE(fs::exists(Out("a.png")));
    EXPECT_FALSE(fs::exists(Out("b.png")));
    EXPECT_FALSE(fs::exists(Out("d.gif")));
}

} // namespace
