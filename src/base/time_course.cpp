#include "time_course.h"

#include <utility>

#include "model/krm_parser.h"
#include "winintegrator.h"

namespace kora {

TimeCourse::TimeCourse(int32_t columnCount, std::string courseTitle, const StockColourTable& stock)
    : columns(columnCount), title(std::move(courseTitle)) {
    names.resize(static_cast<size_t>(columns));
    lineStyles.resize(static_cast<size_t>(columns) + 4);
    for (int32_t c = 0; c < columns; ++c)
        lineStyles[c] = LineStyle{true, stock[static_cast<size_t>(c) % kStockColourCount], 1};
    PhaseRecord(kTrajectoryRecord) = LineStyle{true, stock[1], 1};
    PhaseRecord(kProjectionRecord1) = LineStyle{false, stock[2], 1};
    PhaseRecord(kProjectionRecord2) = LineStyle{false, stock[3], 1};
    PhaseRecord(kProjectionRecord3) = LineStyle{false, stock[4], 1};
}

namespace {

// The name reported in `column`: dependent variables first, then auxiliary
// quantities, then constants.
std::string ColumnName(const KRMparser& model, int32_t column) {
    for (const auto* list : {&model.equations, &model.definitions, &model.constants})
        for (const Statement& statement : *list)
            if (statement.state == kStateReported && statement.reportIndex == column)
                return statement.name;
    return std::string();
}

} // namespace

TimeCourse MakeRunTimeCourse(const winintegrator& solver, const KRMparser& model,
                             const StockColourTable& stock) {
    TimeCourse course(solver.columns, model.title, stock);
    course.data.Share(solver.results);
    course.rows = solver.rows;
    // Built, not assigned from a literal: GCC 12 warns falsely (-Wrestrict) there.
    if (course.columns > 0) course.names[0] = std::string(1, 't');
    for (int32_t c = 1; c < course.columns; ++c)
        course.names[c] = ColumnName(model, c);
    return course;
}

void AppendRunTimeCourse(const winintegrator& solver, const KRMparser& model,
                         std::vector<TimeCourse>& courses, bool replace) {
    if (replace) courses.clear();
    courses.push_back(MakeRunTimeCourse(solver, model));
}

} // namespace kora
