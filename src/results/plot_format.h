// The picture formats a results set can be drawn into, told apart by the
// file's extension. Kept apart from the drawing so that a front end can
// refuse a bad name without loading the toolkit that draws.
#pragma once

#include <string>

namespace kora {

enum class PlotFileFormat { Unknown, Png, Svg, Pdf };

// By extension, in any case.
PlotFileFormat PlotFormatOf(const std::string& fileName);

} // namespace kora
