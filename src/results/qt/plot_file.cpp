#include "plot_file.h"

#include <QBuffer>
#include <QByteArray>
#include <QImage>
#include <QMarginsF>
#include <QPageSize>
#include <QPdfWriter>
#include <QSvgGenerator>
#include <algorithm>
#include <string_view>

#include "common/ascii_case.h"
#include "results/atomic_file.h"

namespace kora {

namespace {

// Files are drawn at the usual screen resolution, so that a pixel of the
// requested size is a pixel of the plot.
constexpr int kFileDpi = 96;
constexpr double kPointsPerInch = 72.0;
constexpr int kDotsPerMetre = 3780; // 96 dpi

PlotDrawOptions DrawOptions(const ResultsSet& set, const PlotFileOptions& options) {
    PlotDrawOptions draw;
    draw.view = PlotViewForFile(options.view.value_or(set.view));
    draw.showHotSpots = options.showHotSpots;
    draw.font.setStyleHint(QFont::SansSerif);
    return draw;
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
    QImage image(o.width, o.height, QImage::Format_RGB32);
    if (image.isNull()) return false;
    image.setDotsPerMeterX(kDotsPerMetre);
    image.setDotsPerMeterY(kDotsPerMetre);
    bool began = false;
    status = DrawOn(image, QRect(0, 0, o.width, o.height), set, d, began);
    return began && image.save(&out, "PNG");
}

bool RenderSvg(QBuffer& out, ResultsSet& set, const PlotFileOptions& o, const PlotDrawOptions& d,
               PlotDrawStatus& status) {
    QSvgGenerator generator;
    generator.setOutputDevice(&out);
    generator.setSize(QSize(o.width, o.height));
    generator.setViewBox(QRect(0, 0, o.width, o.height));
    generator.setResolution(kFileDpi);
    generator.setTitle(QStringLiteral("KORA plot"));
    bool began = false;
    status = DrawOn(generator, QRect(0, 0, o.width, o.height), set, d, began);
    return began;
}

bool RenderPdf(QBuffer& out, ResultsSet& set, const PlotFileOptions& o, const PlotDrawOptions& d,
               PlotDrawStatus& status) {
    QPdfWriter writer(&out);
    writer.setResolution(kFileDpi);
    const QSizeF points(o.width * kPointsPerInch / kFileDpi, o.height * kPointsPerInch / kFileDpi);
    writer.setPageSize(QPageSize(points, QPageSize::Point, QString(), QPageSize::ExactMatch));
    writer.setPageMargins(QMarginsF(0, 0, 0, 0));
    writer.setTitle(QStringLiteral("KORA plot"));
    bool began = false;
    status = DrawOn(writer, QRect(0, 0, writer.width(), writer.height()), set, d, began);
    return began;
}

} // namespace

PlotFileFormat PlotFormatOf(const std::string& fileName) {
    const size_t dot = fileName.find_last_of('.');
    if (dot == std::string::npos || fileName.find_first_of("/\\", dot) != std::string::npos)
        return PlotFileFormat::Unknown;
    const std::string ext = LowerAscii(std::string_view(fileName).substr(dot + 1));
    if (ext == "png") return PlotFileFormat::Png;
    if (ext == "svg") return PlotFileFormat::Svg;
    if (ext == "pdf") return PlotFileFormat::Pdf;
    return PlotFileFormat::Unknown;
}

int8_t PlotViewForFile(int8_t view) {
    return view == kViewPhase2D || view == kViewPhase3D ? view : kViewTimePlot;
}

PlotBytes RenderPlotBytes(ResultsSet& set, PlotFileFormat format, const PlotFileOptions& options) {
    if (format == PlotFileFormat::Unknown)
        return {PlotFileStatus::UnknownFormat, "the picture must be a .png, .svg or .pdf file", {}};
    if (options.width <= 0 || options.height <= 0)
        return {PlotFileStatus::CannotWrite,
                "the size " + std::to_string(options.width) + "x" + std::to_string(options.height) +
                    " has no area",
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
