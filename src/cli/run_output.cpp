#include "run_output.h"

#include "results/number_text.h"

namespace kora::cli {

void WriteDataSection(std::ostream& out, const TimeCourse& course, int precision, int position) {
    // An untitled course is known by its position, as in a results file.
    out << "[Data][" << (course.title.empty() ? std::to_string(position) : course.title) << "]\n";
    for (const std::string& name : course.names)
        out << name << '\t';
    out << '\n';
    for (int32_t row = 0; row < course.rows; ++row) {
        const double* values = course.Row(row);
        for (int32_t c = 0; c < course.columns; ++c)
            out << FormatGeneral(values[c], precision) << '\t';
        out << '\n';
    }
}

std::string ProgressLine(const ProgressSnapshot& progress) {
    return std::to_string(progress.percent) + "%  steps " + std::to_string(progress.steps) +
           "  order " + std::to_string(progress.order) + "  step " +
           FormatGeneral(progress.stepSize, 5) + "  " + std::to_string(progress.elapsedMs / 1000) +
           " s";
}

void WriteStatistics(std::ostream& out, const RunOutcome& outcome) {
    const RunStatistics& s = outcome.statistics;
    out << "method: " << s.method << '\n'
        << "status: " << s.status << '\n'
        << "steps: " << s.steps << '\n'
        << "order: " << s.order << '\n'
        << "stepsize: " << FormatGeneral(s.stepSize, 7) << '\n'
        << "rows: " << s.rows << '\n'
        << "elapsed_ms: " << s.elapsedMs << '\n';
    for (const auto& [key, value] : s.extra)
        out << key << ": " << value << '\n';
}

} // namespace kora::cli
