#include "plot_format.h"

#include <string_view>

#include "common/ascii_case.h"

namespace kora {

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

} // namespace kora
