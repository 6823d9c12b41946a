#include <gtest/gtest.h>

#include <QImage>
#include <cstdlib>
#include <fstream>
#include <iterator>

#include "batch_process.h"

namespace {

namespace fs = std::filesystem;
using kora::testing::Quoted;

// kora-batch plot without a display.
class PlotCommand : public kora::testing::BatchTest {
protected:
    void SetUp() override {
        for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"})
            ::unsetenv(name);
    }
    static std::string Data(const std::string& name) {
        return Quoted(std::string(KORA_TEST_DATA_DIR) + "/" + name);
    }
    int Plot(const std::string& data, const std::string& picture, const std::string& options = "") {
        return Batch("plot " + Data(data) + " --plot " + Quoted(dir_ / picture) + options).exitCode;
    }
};

TEST_F(PlotCommand, RendersAResultsFile) {
    ASSERT_EQ(Plot("render_decay.res", "decay.png", " --view phase3d --size 300x200"), 0);
    EXPECT_EQ(QImage(QString::fromStdString((dir_ / "decay.png").string())).size(),
              QSize(300, 200));
}

TEST_F(PlotCommand, ResolutionLogAxesAndTitle) {
    ASSERT_EQ(Plot("render_decay.res", "decay.svg",
                   " --view time --size 300x200 --dpi 192 --log y --title 'Decay, log scale'"),
              0);
    std::ifstream in(dir_ / "decay.svg");
    const std::string svg((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    EXPECT_NE(svg.find("Decay, log scale"), std::string::npos);
    EXPECT_NE(svg.find("10⁰"), std::string::npos); // decades as powers of ten
    ASSERT_EQ(Plot("render_decay.res", "decay.png", " --size 80x60mm --dpi 150"), 0);
    EXPECT_EQ(QImage(QString::fromStdString((dir_ / "decay.png").string())).size(),
              QSize(472, 354));
    EXPECT_EQ(Plot("render_decay.res", "e.png", " --log z"), 64);
    EXPECT_EQ(Plot("render_decay.res", "e.png", " --dpi 10"), 64);
    EXPECT_EQ(Plot("render_decay.res", "e.png", " --size 9000x10mm"), 64);
}

TEST_F(PlotCommand, ExitCodesTellWhatFailed) {
    EXPECT_EQ(Plot("render_missing.res", "a.png"), 66);
    EXPECT_EQ(Plot("render_bad_value.res", "b.png"), 1);
    EXPECT_EQ(Plot("render_decay.res", "no/dir/c.png"), 73);
    EXPECT_EQ(Plot("render_decay.res", "d.gif"), 64);
    for (const char* name : {"a.png", "b.png", "d.gif"})
        EXPECT_FALSE(fs::exists(dir_ / name)) << name;
}

} // namespace
