#include "run_model_file.h"

#include <algorithm>
#include <cctype>
#include <fstream>

namespace kora::cli {

namespace {

std::string Trimmed(const std::string& line) {
    const size_t first = line.find_first_not_of(" \t");
    if (first == std::string::npos) return std::string();
    const size_t last = line.find_last_not_of(" \t");
    return line.substr(first, last - first + 1);
}

std::string Upper(std::string text) {
    std::transform(text.begin(), text.end(), text.begin(),
                   [](unsigned char c) { return static_cast<char>(std::toupper(c)); });
    return text;
}

} // namespace

bool ReadTextLines(const std::string& path, TextLines& lines) {
    std::ifstream in(path, std::ios::binary);
    if (!in) return false;
    lines.clear();
    std::string line;
    while (std::getline(in, line)) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        lines.push_back(line);
    }
    return !in.bad();
}

TextLines ModelLinesOf(const TextLines& text) {
    TextLines model;
    bool inScript = false;
    for (const std::string& raw : text) {
        const std::string line = Trimmed(raw);
        const std::string upper = Upper(line);
        bool scriptLine = inScript;
        if (upper == "SCRIPT") {
            inScript = true;
            scriptLine = true;
        } else if (upper == "END SCRIPT" || upper == "ENDSCRIPT") {
            inScript = false;
            scriptLine = false; // the line ending the block belongs to the model
        }
        if (line.empty() || line.rfind("//", 0) == 0 || scriptLine) continue;
        model.push_back(line);
    }
    return model;
}

void ApplyModelSettings(KRMparser& model, const Settings& settings) {
    model.predefinedNames[KRMparser::kInitialTime] = settings.initialTimeName;
    model.predefinedNames[KRMparser::kFinalTime] = settings.finalTimeName;
    model.predefinedNames[KRMparser::kReportInterval] = settings.reportIntervalName;
    model.predefinedNames[KRMparser::kPoints] = settings.nPointsName;
    model.predefinedNames[KRMparser::kTimeVariable] = settings.timeVariableName;
    model.defaultPoints = settings.defaultRepPoints;
}

} // namespace kora::cli
