#include <gtest/gtest.h>

#include <QFile>
#include <QXmlStreamReader>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "render_test_util.h"
#include "results/qt/plot_file.h"

namespace kora {
namespace {

using namespace kora::testing;
namespace fs = std::filesystem;

class PlotFile : public ::testing::Test {
protected:
    void SetUp() override {
        EnsureGuiApplication();
        dir_ = fs::temp_directory_path() /
               ("kora_render_" + std::to_string(::testing::UnitTest::GetInstance()->random_seed()) +
                "_" + ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::create_directories(dir_);
        set_ = MakeSet();
        set_.legend = true;
        set_.timeCourses.push_back(
            MakeCourse("", {"t", "X", "Y", "Z"}, 50,
                       [](int32_t r, int32_t c) { return 5 + 4 * std::sin(r * 0.2 + c); }));
    }
    void TearDown() override { fs::remove_all(dir_); }

    std::string PathOf(const std::string& name) const { return (dir_ / name).string(); }
    static std::string Contents(const std::string& path) {
        std::ifstream in(path, std::ios::binary);
        std::stringstream text;
        text << in.rdbuf();
        return text.str();
    }

    fs::path dir_;
    ResultsSet set_;
};

TEST_F(PlotFile, FormatsByExtension) {
    EXPECT_EQ(PlotFormatOf("a.PNG"), PlotFileFormat::Png);
    EXPECT_EQ(PlotFormatOf("dir.x/b.svg"), PlotFileFormat::Svg);
    EXPECT_EQ(PlotFormatOf("c.Pdf"), PlotFileFormat::Pdf);
    EXPECT_EQ(PlotFormatOf("dir.png/plot"), PlotFileFormat::Unknown);
    EXPECT_EQ(PlotFormatOf("plot.jpg"), PlotFileFormat::Unknown);
    EXPECT_EQ(PlotViewForFile(kViewTable), kViewTimePlot);
    EXPECT_EQ(PlotViewForFile(kViewPhase3D), kViewPhase3D);
}

TEST_F(PlotFile, EachFormatWritesACompleteFile) {
    PlotFileOptions options;
    options.width = 320;
    options.height = 240;
    options.view = kViewPhase3D;
    ASSERT_TRUE(RenderPlotToFile(set_, PathOf("plot.png"), options).ok());
    EXPECT_EQ(QImage(QString::fromStdString(PathOf("plot.png"))).size(), QSize(320, 240));

    set_.view = kViewTable; // drawn as the time plot
    ASSERT_TRUE(RenderPlotToFile(set_, PathOf("plot.svg"), PlotFileOptions{}).ok());
    QFile file(QString::fromStdString(PathOf("plot.svg")));
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    QXmlStreamReader xml(&file);
    int elements = 0;
    while (!xml.atEnd())
        elements += xml.readNext() == QXmlStreamReader::StartElement;
    EXPECT_FALSE(xml.hasError()) << xml.errorString().toStdString();
    EXPECT_GT(elements, 10);

    ASSERT_TRUE(RenderPlotToFile(set_, PathOf("plot.pdf"), PlotFileOptions{}).ok());
    const std::string pdf = Contents(PathOf("plot.pdf"));
    ASSERT_GT(pdf.size(), 500u);
    EXPECT_EQ(pdf.rfind("%PDF-", 0), 0u);
    EXPECT_NE(pdf.find("%%EOF", pdf.size() - 16), std::string::npos);
}

TEST_F(PlotFile, FailuresLeaveNoFile) {
    const std::string jpg = PathOf("plot.jpg");
    EXPECT_EQ(RenderPlotToFile(set_, jpg, PlotFileOptions{}).status, PlotFileStatus::UnknownFormat);
    EXPECT_FALSE(fs::exists(jpg));

    const PlotFileResult missing =
        RenderPlotToFile(set_, PathOf("no/such/dir/plot.png"), PlotFileOptions{});
    EXPECT_EQ(missing.status, PlotFileStatus::CannotWrite);
    EXPECT_FALSE(missing.reason.empty());

    // A failed write keeps the picture that was there.
    const std::string path = PathOf("kept.png");
    ASSERT_TRUE(RenderPlotToFile(set_, path, PlotFileOptions{}).ok());
    const std::string before = Contents(path);
    PlotFileOptions empty;
    empty.width = 0;
    EXPECT_EQ(RenderPlotToFile(set_, path, empty).status, PlotFileStatus::CannotWrite);
    EXPECT_EQ(Contents(path), before);
}

} // namespace
} // namespace kora
