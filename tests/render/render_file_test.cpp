#include <gtest/gtest.h>

#include <QFile>
#include <QXmlStreamReader>
#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <optional>
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

// The texts of every <text> element of an SVG file.
std::vector<std::string> SvgTexts(const std::string& path) {
    QFile file(QString::fromStdString(path));
    std::vector<std::string> texts;
    if (!file.open(QIODevice::ReadOnly)) return texts;
    QXmlStreamReader xml(&file);
    while (!xml.atEnd())
        if (xml.readNext() == QXmlStreamReader::StartElement && xml.name() == u"text")
            texts.push_back(xml.readElementText(QXmlStreamReader::IncludeChildElements)
                                .trimmed()
                                .toStdString());
    return texts;
}

bool Holds(const std::vector<std::string>& texts, const std::string& text) {
    return std::find(texts.begin(), texts.end(), text) != texts.end();
}

// What pdftotext extracts, or nothing without poppler's tools.
std::optional<std::string> PdfText(const std::string& path) {
    const std::string command = "pdftotext -layout '" + path + "' - 2>/dev/null";
    FILE* pipe = popen(command.c_str(), "r");
    if (pipe == nullptr) return std::nullopt;
    std::string text;
    char buffer[4096];
    size_t n = 0;
    while ((n = fread(buffer, 1, sizeof buffer, pipe)) > 0)
        text.append(buffer, n);
    const int status = pclose(pipe);
    if (status != 0) return std::nullopt;
    return text;
}

TEST_F(PlotFile, SvgAndPdfKeepTheTextAsText) {
    set_.showTitle = true;
    set_.title = "Oscillation";
    set_.yTitle = "Amount";
    ASSERT_TRUE(RenderPlotToFile(set_, PathOf("plot.svg"), PlotFileOptions{}).ok());
    const std::vector<std::string> texts = SvgTexts(PathOf("plot.svg"));
    for (const char* expected : {"Oscillation", "Amount", "t", "X", "0", "2", "4", "6", "8", "10"})
        EXPECT_TRUE(Holds(texts, expected)) << expected;

    PlotFileOptions phase;
    phase.view = kViewPhase3D;
    ASSERT_TRUE(RenderPlotToFile(set_, PathOf("phase.pdf"), phase).ok());
    const std::optional<std::string> pdf = PdfText(PathOf("phase.pdf"));
    if (!pdf) GTEST_SKIP() << "pdftotext (poppler-utils) is not installed";
    for (const char* expected : {"Oscillation", "10"})
        EXPECT_NE(pdf->find(expected), std::string::npos) << expected << " in\n" << *pdf;
    // The phase axes are titled by their variables.
    for (const char* name : {"X", "Y", "Z"})
        EXPECT_NE(pdf->find(name), std::string::npos) << name;
}

// No label reaches the edge of the picture, in any view or size.
TEST_F(PlotFile, NothingIsCutAtThePicturesEdge) {
    set_.showTitle = true;
    set_.title = "A title that is fairly long";
    set_.yTitle = "Values";
    set_.ranges[kXmax] = 49;
    for (int8_t view : {kViewTimePlot, kViewPhase2D, kViewPhase3D}) {
        for (QSize size : {QSize(800, 600), QSize(400, 250), QSize(1200, 500)}) {
            PlotFileOptions options;
            options.view = view;
            options.width = size.width();
            options.height = size.height();
            const PlotBytes png = RenderPlotBytes(set_, PlotFileFormat::Png, options);
            const QImage image = QImage::fromData(
                QByteArray(png.bytes.data(), static_cast<qsizetype>(png.bytes.size())), "PNG");
            ASSERT_EQ(image.size(), size);
            const QRgb white = qRgb(255, 255, 255);
            const int w = image.width(), h = image.height();
            EXPECT_EQ(InkIn(image, white, QRect(0, 0, w, 2)), 0) << int(view) << " top";
            EXPECT_EQ(InkIn(image, white, QRect(0, h - 2, w, 2)), 0) << int(view) << " bottom";
            EXPECT_EQ(InkIn(image, white, QRect(0, 0, 2, h)), 0) << int(view) << " left";
            EXPECT_EQ(InkIn(image, white, QRect(w - 2, 0, 2, h)), 0) << int(view) << " right";
        }
    }
}

TEST_F(PlotFile, ResolutionAndPhysicalSizes) {
    PlotFileOptions options;
    options.width = 400;
    options.height = 300;
    options.dpi = 300;
    // Screen pixels drawn 300/96 times finer: the same picture, sharper.
    EXPECT_EQ(PicturePixels(options), std::make_pair(1250, 938));
    options.unit = SizeUnit::Millimetres;
    options.width = 160;
    options.height = 120;
    EXPECT_EQ(PicturePixels(options), std::make_pair(1890, 1417));
    options.unit = SizeUnit::Inches;
    options.width = 1000; // 300000 pixels: refused, not half drawn
    EXPECT_EQ(PicturePixels(options), std::make_pair(0, 0));
    EXPECT_EQ(RenderPlotBytes(set_, PlotFileFormat::Png, options).status,
              PlotFileStatus::CannotWrite);

    options.unit = SizeUnit::Millimetres;
    options.width = 80;
    options.height = 60;
    const PlotBytes png = RenderPlotBytes(set_, PlotFileFormat::Png, options);
    const QImage image = QImage::fromData(
        QByteArray(png.bytes.data(), static_cast<qsizetype>(png.bytes.size())), "PNG");
    EXPECT_EQ(image.size(), QSize(945, 709));
    EXPECT_NEAR(image.dotsPerMeterX() * 0.0254, 300, 0.5);
}

} // namespace
} // namespace kora
