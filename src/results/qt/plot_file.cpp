#include "plot_file.h"

#include <QBuffer>
#include <QByteArray>
#include <QImage>
#include <QMarginsF>
#include <QPageSize>
#include <QPdfWriter>
#include <QSvgGenerator>
#include <algorithm>
#include <cmath>

#include "results/atomic_file.h"
#include "results/number_text.h"

namespace kora {

namespace {

constexpr double kPointsPerInch = 72.0;
constexpr double kMillimetresPerInch = 25.4;
// Text of pictures, in pixels at 96 dpi.
constexpr double kFileFontPixels = 11;

int32_t Dpi(const PlotFileOptions& o) {
    return std::clamp(o.dpi, kMinDpi, kMaxDpi);
}

int DotsPerMetre(const PlotFileOptions& o) {
    return static_cast<int>(std::lround(Dpi(o) / kMillimetresPerInch * 1000));
}

PlotDrawOptions DrawOptions(const ResultsSet& set, const PlotFileOptions& options) {
    PlotDrawOptions draw;
    draw.view = PlotViewForFile(options.view.value_or(set.view));
    draw.showHotSpots = options.showHotSpots;
    draw.font.setStyleHint(QFont::SansSerif);
    draw.font.setFamily(QStringLiteral("DejaVu Sans"));
    draw.scale = static_cast<double>(Dpi(options)) / kScreenDpi;
    draw.fontPixels = kFileFontPixels * draw.scale;
    return draw;
}

double Inches(double size, SizeUnit unit) {
    switch (unit) {
    case SizeUnit::Pixels:
        return size / kScreenDpi;
    case SizeUnit::Millimetres:
        return size / kMillimetresPerInch;
    case SizeUnit::Inches:
        break;
    }
    return size;
}

PlotDrawStatus DrawOn(QPaintDevice& device, const QRect& target, ResultsSet& set,
                      const PlotDrawOptions& draw, bool& began) {
    QPainter painter;
    began = painter.begin(&device);
    if (!began) return PlotDrawStatus::Drawn;
    const PlotDrawStatus status = DrawPlot(painter, target, set, draw).status;
    painter.end();
    return status;
}

bool RenderPng(QBuffer& out, ResultsSet& set, const PlotFileOptions& o, const PlotDrawOptions& d,
               PlotDrawStatus& status) {
    const auto [width, height] = PicturePixels(o);
    QImage image(width, height, QImage::Format_RGB32);
    if (image.isNull()) return false;
    image.setDotsPerMeterX(DotsPerMetre(o));
    image.setDotsPerMeterY(DotsPerMetre(o));
    bool began = false;
    status = DrawOn(image, QRect(0, 0, width, height), set, d, began);
    return began && image.save(&out, "PNG");
}

// Text stays text: the generator writes it as <text> elements.
bool RenderSvg(QBuffer& out, ResultsSet& set, const PlotFileOptions& o, const PlotDrawOptions& d,
               PlotDrawStatus& status) {
    const auto [width, height] = PicturePixels(o);
    QSvgGenerator generator;
    generator.setOutputDevice(&out);
    generator.setSize(QSize(width, height));
    generator.setViewBox(QRect(0, 0, width, height));
    generator.setResolution(Dpi(o));
    generator.setTitle(QStringLiteral("KORA plot"));
    bool began = false;
    status = DrawOn(generator, QRect(0, 0, width, height), set, d, began);
    return began;
}

bool RenderPdf(QBuffer& out, ResultsSet& set, const PlotFileOptions& o, const PlotDrawOptions& d,
               PlotDrawStatus& status) {
    const auto [width, height] = PicturePixels(o);
    QPdfWriter writer(&out);
    writer.setResolution(Dpi(o));
    const QSizeF points(width * kPointsPerInch / Dpi(o), height * kPointsPerInch / Dpi(o));
    writer.setPageSize(QPageSize(points, QPageSize::Point, QString(), QPageSize::ExactMatch));
    writer.setPageMargins(QMarginsF(0, 0, 0, 0));
    writer.setTitle(QStringLiteral("KORA plot"));
    bool began = false;
    status = DrawOn(writer, QRect(0, 0, writer.width(), writer.height()), set, d, began);
    return began;
}

} // namespace

std::pair<int32_t, int32_t> PicturePixels(const PlotFileOptions& o) {
    auto pixels = [&o](double size) -> int32_t {
        const double exact = Inches(size, o.unit) * Dpi(o);
        if (!(exact >= 1) || exact > kMaxPicturePixels) return 0;
        return static_cast<int32_t>(std::lround(exact));
    };
    const int32_t width = pixels(o.width);
    const int32_t height = pixels(o.height);
    if (width == 0 || height == 0) return {0, 0};
    return {width, height};
}

int8_t PlotViewForFile(int8_t view) {
    return view == kViewPhase2D || view == kViewPhase3D ? view : kViewTimePlot;
}

PlotBytes RenderPlotBytes(ResultsSet& set, PlotFileFormat format, const PlotFileOptions& options) {
    if (format == PlotFileFormat::Unknown)
        return {PlotFileStatus::UnknownFormat, "the picture must be a .png, .svg or .pdf file", {}};
    const auto [width, height] = PicturePixels(options);
    if (width <= 0 || height <= 0)
        return {PlotFileStatus::CannotWrite,
                "the size " + FormatGeneral(options.width, 6) + "x" +
                    FormatGeneral(options.height, 6) + " at " + std::to_string(Dpi(options)) +
                    " dpi has no area or is too large",
                {}};
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    const PlotDrawOptions draw = DrawOptions(set, options);
    PlotDrawStatus drawn = PlotDrawStatus::Drawn;
    bool rendered = false;
    if (format == PlotFileFormat::Png) rendered = RenderPng(buffer, set, options, draw, drawn);
    if (format == PlotFileFormat::Svg) rendered = RenderSvg(buffer, set, options, draw, drawn);
    if (format == PlotFileFormat::Pdf) rendered = RenderPdf(buffer, set, options, draw, drawn);
    buffer.close();
    if (!rendered || bytes.isEmpty())
        return {PlotFileStatus::CannotWrite, "the picture could not be drawn", {}};
    PlotBytes result;
    result.bytes.assign(bytes.constData(), static_cast<size_t>(bytes.size()));
    if (drawn == PlotDrawStatus::TooManyPoints) {
        result.status = PlotFileStatus::TooManyPoints;
        result.reason = std::string(kTooManyPointsText) + " to draw the lines";
    }
    return result;
}

PlotFileResult RenderPlotToFile(ResultsSet& set, const std::string& fileName,
                                const PlotFileOptions& options) {
    const PlotBytes picture = RenderPlotBytes(set, PlotFormatOf(fileName), options);
    if (picture.bytes.empty()) return {picture.status, "'" + fileName + "': " + picture.reason};
    const std::string failure = WriteFileAtomically(fileName, picture.bytes);
    if (!failure.empty()) return {PlotFileStatus::CannotWrite, failure};
    if (picture.status != PlotFileStatus::Written)
        return {picture.status, "'" + fileName + "': " + picture.reason};
    return {};
}

} // namespace kora
