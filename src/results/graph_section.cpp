#include "graph_section.h"

#include <algorithm>
#include <cmath>
#include <map>
#include <optional>
#include <string_view>

#include "common/ascii_case.h"
#include "line_record.h"
#include "number_text.h"
#include "settings/int_text.h"

namespace kora {

namespace {

constexpr std::array<const char*, kRangeCount> kRangeKeys{
    "Xmin",      "Ymin",      "Xmax",      "Ymax",      "Xphasemin",
    "Yphasemin", "Zphasemin", "Xphasemax", "Yphasemax", "Zphasemax"};
constexpr std::array<const char*, 3> kPhaseVarKeys{"XphaseVar", "YphaseVar", "ZphaseVar"};
constexpr std::array<const char*, 4> kPhaseRecordNames{"Traj", "Proj1", "Proj2", "Proj3"};
constexpr int32_t kRangeDigits = 15;

// Integer keys whose values, if out of these bounds, would break drawing.
constexpr int32_t kMaxTicks = 1000;
constexpr int32_t kMaxPlotPixels = 16384;

std::string Flag(bool on) {
    return on ? "1" : "0";
}

// Keys compare without regard to case; the first of repeated keys counts.
class SectionValues {
public:
    explicit SectionValues(const std::vector<std::string>& lines) {
        for (const std::string& line : lines) {
            const size_t equals = line.find('=');
            if (equals != std::string::npos)
                values_.emplace(LowerAscii(std::string_view(line).substr(0, equals)),
                                line.substr(equals + 1));
        }
    }

    const std::string* Find(std::string_view key) const {
        const auto found = values_.find(LowerAscii(key));
        return found == values_.end() ? nullptr : &found->second;
    }

    // On unless the value is exactly "0" (a missing key is on).
    bool OnUnlessZero(std::string_view key) const {
        const std::string* value = Find(key);
        return !(value && *value == "0");
    }

    bool OnOnlyIfOne(std::string_view key) const {
        const std::string* value = Find(key);
        return value && *value == "1";
    }

    int32_t Int(std::string_view key, int32_t fallback, int32_t min, int32_t max) const {
        const std::string* text = Find(key);
        const std::optional<int32_t> value = text ? ParseInt32(*text) : std::nullopt;
        return value && *value >= min && *value <= max ? *value : fallback;
    }

private:
    std::map<std::string, std::string> values_;
};

constexpr std::array<const char*, 3> kLogPhaseKeys{"LogXphase", "LogYphase", "LogZphase"};
constexpr std::array<const char*, kMarkerCount> kMarkerNames{"none", "circle", "square", "triangle",
                                                             "cross"};

// Texts stay on their one line.
std::string OneLine(std::string text) {
    for (char& c : text)
        if (c == '\r' || c == '\n') c = ' ';
    return text;
}

std::string MarkerKey(size_t record, size_t position) {
    return "Marker" + LineRecordKey(record, position).substr(4);
}

std::string RunLabelKey(size_t position) {
    return "RunLabel" + std::to_string(position);
}

// Marker shapes and run labels are written only where they are set, so a
// plain plot's section holds exactly the keys it always had.
void WriteMarkersAndRunLabels(const ResultsSet& set, std::vector<std::string>& lines) {
    for (size_t k = 0; k < set.timeCourses.size(); ++k) {
        const TimeCourse& course = set.timeCourses[k];
        for (size_t j = 1; j < course.lineStyles.size(); ++j) {
            const auto marker = static_cast<size_t>(course.lineStyles[j].marker);
            if (marker != 0 && marker < kMarkerNames.size())
                lines.push_back(MarkerKey(j, k) + "=" + kMarkerNames[marker]);
        }
        if (!course.runLabel.empty())
            lines.push_back(RunLabelKey(k) + "=" + OneLine(course.runLabel));
    }
}

Marker MarkerNamed(const std::string& text) {
    const std::string name = LowerAscii(text);
    for (size_t i = 0; i < kMarkerNames.size(); ++i)
        if (name == kMarkerNames[i]) return static_cast<Marker>(i);
    return Marker::None;
}

void WriteLineRecords(const ResultsSet& set, std::vector<std::string>& lines) {
    for (size_t k = 0; k < set.timeCourses.size(); ++k) {
        const TimeCourse& course = set.timeCourses[k];
        const size_t columns = static_cast<size_t>(course.columns);
        for (size_t j = 1; j < columns + 4 && j < course.lineStyles.size(); ++j) {
            const std::string name = j < columns ? (j < course.names.size() ? course.names[j] : "")
                                                 : kPhaseRecordNames[j - columns];
            lines.push_back(LineRecordKey(j, k) + "=" +
                            FormatLineRecord(course.lineStyles[j], name));
        }
    }
}

// The records keyed for one position. A written position holds its column
// records and then the four phase records; fewer than four entries can
// only be column records.
DisplaySet ReadDisplaySet(const SectionValues& values, size_t position,
                          const StockColourTable& stock) {
    size_t count = 0;
    while (values.Find(LineRecordKey(count + 1, position)))
        ++count;
    const int32_t columns = static_cast<int32_t>(count >= 4 ? count - 3 : count + 1);
    DisplaySet set = DisplaySet::Fresh(columns, stock);
    for (size_t j = 1; j <= count; ++j)
        ParseLineRecord(*values.Find(LineRecordKey(j, position)), set.records[j]);
    for (size_t j = 1; j < set.records.size(); ++j)
        if (const std::string* marker = values.Find(MarkerKey(j, position)))
            set.records[j].marker = MarkerNamed(*marker);
    return set;
}

void ReadDisplaySets(ResultsSet& set, const SectionValues& values, const StockColourTable& stock) {
    for (size_t position = 0;; ++position) {
        if (!values.Find(LineRecordKey(1, position))) {
            if (position == 0) continue; // position 0 may be absent while later ones exist
            break;
        }
        if (set.displaySets.size() <= position) set.displaySets.resize(position + 1);
        set.displaySets[position] = ReadDisplaySet(values, position, stock);
    }
    for (size_t k = 0; k < set.timeCourses.size(); ++k) {
        set.ApplyDisplaySet(k, set.timeCourses[k]);
        if (const std::string* label = values.Find(RunLabelKey(k)))
            set.timeCourses[k].runLabel = *label;
    }
}

// Keys added after the first files were written; a file without them reads
// as before (no titles, linear axes, every line in its own record's colour).
void WriteAppearance(const ResultsSet& set, std::vector<std::string>& lines) {
    lines.push_back("ShowTitle=" + Flag(set.showTitle));
    lines.push_back("Title=" + OneLine(set.title));
    lines.push_back("YTitle=" + OneLine(set.yTitle));
    lines.push_back("LogX=" + Flag(set.logX));
    lines.push_back("LogY=" + Flag(set.logY));
    for (size_t i = 0; i < kLogPhaseKeys.size(); ++i)
        lines.push_back(std::string(kLogPhaseKeys[i]) + "=" + Flag(set.logPhase[i]));
    lines.push_back("RunColors=" + Flag(set.runColours));
}

void ReadAppearance(ResultsSet& set, const SectionValues& values) {
    set.showTitle = values.OnOnlyIfOne("ShowTitle");
    const std::string* title = values.Find("Title");
    set.title = title ? *title : std::string();
    const std::string* yTitle = values.Find("YTitle");
    set.yTitle = yTitle ? *yTitle : std::string();
    set.logX = values.OnOnlyIfOne("LogX");
    set.logY = values.OnOnlyIfOne("LogY");
    for (size_t i = 0; i < kLogPhaseKeys.size(); ++i)
        set.logPhase[i] = values.OnOnlyIfOne(kLogPhaseKeys[i]);
    set.runColours = values.OnOnlyIfOne("RunColors");
}

} // namespace

std::string LineRecordKey(size_t record, size_t position) {
    std::string key = "Line" + std::to_string(record);
    if (position > 0) key += "_" + std::to_string(position);
    return key;
}

void WriteGraphSection(const ResultsSet& set, std::vector<std::string>& lines,
                       char decimalSeparator) {
    lines.push_back("View=" + std::to_string(set.view));
    lines.push_back("Axis=" + Flag(set.axis));
    lines.push_back("Grid=" + Flag(set.grid));
    lines.push_back("Legend=" + Flag(set.legend));
    for (size_t i = 0; i < kRangeCount; ++i)
        lines.push_back(std::string(kRangeKeys[i]) + "=" +
                        FormatGeneral(set.ranges[i], kRangeDigits, decimalSeparator));
    for (size_t i = 0; i < kPhaseVarKeys.size(); ++i)
        lines.push_back(std::string(kPhaseVarKeys[i]) + "=" + std::to_string(set.phaseVar[i]));
    lines.push_back("Xticks=" + std::to_string(set.xTicks));
    lines.push_back("Yticks=" + std::to_string(set.yTicks));
    lines.push_back("Xphaseticks=" + std::to_string(set.xPhaseTicks));
    lines.push_back("Yphaseticks=" + std::to_string(set.yPhaseTicks));
    lines.push_back("Zphaseticks=" + std::to_string(set.zPhaseTicks));
    lines.push_back("Resize=" + Flag(set.resize));
    lines.push_back("WidthInPx=" + std::to_string(set.widthInPx));
    lines.push_back("HeightInPx=" + std::to_string(set.heightInPx));
    WriteLineRecords(set, lines);
    WriteAppearance(set, lines);
    WriteMarkersAndRunLabels(set, lines);
}

GraphReadResult ReadGraphSection(ResultsSet& set, const std::vector<std::string>& lines,
                                 char localeSeparator, const StockColourTable& stock) {
    const SectionValues values(lines);
    std::array<double, kRangeCount> ranges{};
    for (size_t i = 0; i < kRangeCount; ++i) {
        const std::string* text = values.Find(kRangeKeys[i]);
        if (!text)
            return {false, std::string("the plot range \"") + kRangeKeys[i] + "\" is missing"};
        const std::optional<double> value = ParseNumber(*text, localeSeparator);
        // Drawing maps values through the ranges, so they must be finite.
        if (!value || !std::isfinite(*value))
            return {false, std::string("the plot range \"") + kRangeKeys[i] + "=" + *text +
                               "\" is not a finite number"};
        ranges[i] = *value;
    }
    set.ranges = ranges;
    set.view = static_cast<int8_t>(values.Int("View", kViewTimePlot, kViewTable, kViewPhase3D));
    set.axis = values.OnUnlessZero("Axis");
    set.grid = values.OnOnlyIfOne("Grid");
    set.legend = values.OnUnlessZero("Legend");
    for (size_t i = 0; i < kPhaseVarKeys.size(); ++i)
        set.phaseVar[i] = values.Int(kPhaseVarKeys[i], static_cast<int32_t>(i + 1), 0, INT32_MAX);
    set.xTicks = values.Int("Xticks", 4, 1, kMaxTicks);
    set.yTicks = values.Int("Yticks", 4, 1, kMaxTicks);
    set.xPhaseTicks = values.Int("Xphaseticks", 10, 1, kMaxTicks);
    set.yPhaseTicks = values.Int("Yphaseticks", 10, 1, kMaxTicks);
    set.zPhaseTicks = values.Int("Zphaseticks", 10, 1, kMaxTicks);
    set.resize = values.OnUnlessZero("Resize");
    set.widthInPx = values.Int("WidthInPx", 200, 1, kMaxPlotPixels);
    set.heightInPx = values.Int("HeightInPx", 150, 1, kMaxPlotPixels);
    ReadAppearance(set, values);
    ReadDisplaySets(set, values, stock);
    set.rangesKnown = true;
    return {};
}

} // namespace kora
