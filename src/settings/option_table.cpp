#include "option_table.h"

#include <cmath>
#include <cstdlib>

namespace kora {
namespace {

OptionDescriptor Option(std::string name, OptionType type, int32_t defaultValue) {
    OptionDescriptor d;
    d.valueName = std::move(name);
    d.type = type;
    d.defaultValue = defaultValue;
    return d;
}

OptionDescriptor IntOption(std::string name, int32_t Settings::*field, int32_t defaultValue,
                           int32_t min, int32_t max) {
    OptionDescriptor d = Option(std::move(name), OptionType::Int, defaultValue);
    d.min = min;
    d.max = max;
    d.intField = field;
    return d;
}

OptionDescriptor BoolOption(std::string name, bool Settings::*field, bool defaultValue) {
    OptionDescriptor d = Option(std::move(name), OptionType::Bool, defaultValue ? 1 : 0);
    d.boolField = field;
    return d;
}

OptionDescriptor TextOption(std::string name, std::string Settings::*field,
                            std::string defaultText) {
    OptionDescriptor d = Option(std::move(name), OptionType::Text, 0);
    d.defaultText = std::move(defaultText);
    d.textField = field;
    return d;
}

OptionDescriptor ColourOption(std::string name, Colour defaultValue) {
    return Option(std::move(name), OptionType::Colour, static_cast<int32_t>(defaultValue));
}

std::vector<OptionDescriptor> BuildTable() {
    using S = Settings;
    // The integer ranges are those of the options dialog and the report's
    // threshold list; other code relies on them.
    std::vector<OptionDescriptor> t{
        TextOption("Method", &S::method, "BDF"),
        IntOption("MLogTolerance", &S::mLogTolerance, 6, 0, 18),
        TextOption("AbsTolerance", &S::absTolerance, ""),
        IntOption("MinOrder", &S::minOrder, 2, 2, 20),
        IntOption("MaxOrder", &S::maxOrder, 20, 2, 20),
        IntOption("SensThreshold", &S::sensThreshold, 0, 0, kSensThresholdCount - 1),
        IntOption("GraphDlgTCSB", &S::graphDlgTCSB, 0, 0, 1),
        IntOption("TablePrec", &S::tablePrec, 7, 4, 15),
        IntOption("FilePrec", &S::filePrec, 7, 4, 15),
        IntOption("SSPrec", &S::ssPrec, 7, 4, 15),
        IntOption("DefaultRepPoints", &S::defaultRepPoints, 200, 10, 1000),
        IntOption("MaxRunValues", &S::maxRunValues, 50'000'000, 1000, INT32_MAX),
        IntOption("SweepThreads", &S::sweepThreads, 0, 0, 1024),
        BoolOption("SolverCreateResults", &S::solverCreateResults, true),
        BoolOption("SolverShowInfo", &S::solverShowInfo, true),
        BoolOption("AutoCloseInfo", &S::autoCloseInfo, true),
        BoolOption("NoAskSaveResults", &S::noAskSaveResults, false),
        BoolOption("NoWarnOverwritingResults", &S::noWarnOverwritingResults, false),
        BoolOption("GraphShowHotSpots", &S::graphShowHotSpots, false),
        BoolOption("BeepOnCompletion", &S::beepOnCompletion, false),
        BoolOption("IgnoreConservation", &S::ignoreConservation, false),
        BoolOption("ExactJacobian", &S::exactJacobian, false),
        TextOption("InitialTimeName", &S::initialTimeName, "t0"),
        TextOption("FinalTimeName", &S::finalTimeName, "tf"),
        TextOption("ReportIntervalName", &S::reportIntervalName, "hr"),
        TextOption("NpointsName", &S::nPointsName, "Npoints"),
        TextOption("TimeVariableName", &S::timeVariableName, "_time"),
        TextOption("OpenDir", &S::openDir, ""),
    };
    t.push_back(ColourOption("EditorColor", 0xFFFFFF));
    t.back().colourField = &S::editorColor;
    OptionDescriptor font = Option("EditorFont", OptionType::Font, 0);
    font.fontField = &S::editorFont;
    t.push_back(std::move(font));
    for (size_t i = 0; i < kStockColourCount; ++i) {
        t.push_back(ColourOption("GraphStockColor" + std::to_string(i), kDefaultStockColours[i]));
        t.back().stockIndex = i;
    }
    return t;
}

} // namespace

const std::vector<OptionDescriptor>& OptionTable() {
    static const std::vector<OptionDescriptor> table = BuildTable();
    return table;
}

const OptionDescriptor* FindOption(std::string_view valueName) {
    for (const OptionDescriptor& option : OptionTable())
        if (option.valueName == valueName) return &option;
    return nullptr;
}

void ApplyOptionDefaults(Settings& s) {
    for (const OptionDescriptor& option : OptionTable()) {
        switch (option.type) {
        case OptionType::Bool:
            option.BoolIn(s) = option.defaultValue != 0;
            break;
        case OptionType::Int:
            option.IntIn(s) = option.defaultValue;
            break;
        case OptionType::Text:
            option.TextIn(s) = option.defaultText;
            break;
        case OptionType::Colour:
            option.ColourIn(s) = static_cast<Colour>(option.defaultValue);
            break;
        case OptionType::Font:
            option.FontIn(s) = FontDescription{};
            break;
        }
    }
}

Settings::Settings() {
    ApplyOptionDefaults(*this);
}

double Settings::AbsoluteTolerance() const {
    const char* text = absTolerance.c_str();
    char* end = nullptr;
    const double value = std::strtod(text, &end);
    while (end != nullptr && (*end == ' ' || *end == '\t'))
        ++end;
    const bool whole = end != text && end != nullptr && *end == '\0';
    return whole && std::isfinite(value) && value > 0 ? value : 0.0;
}

} // namespace kora
