// Building small time courses for the results tests.
#pragma once

#include <initializer_list>
#include <string>
#include <vector>

#include "results/results_set.h"

namespace kora {

inline bool operator==(const LineStyle& a, const LineStyle& b) {
    return a.visible == b.visible && a.colour == b.colour && a.style == b.style &&
           a.marker == b.marker;
}

} // namespace kora

namespace kora::testing {

inline TimeCourse MakeCourse(const std::string& title, std::vector<std::string> names,
                             std::initializer_list<std::vector<double>> rows) {
    TimeCourse course(static_cast<int32_t>(names.size()), title);
    course.names = std::move(names);
    course.rows = static_cast<int32_t>(rows.size());
    course.data.Allocate(rows.size() * course.names.size());
    double* out = course.data.data();
    for (const std::vector<double>& row : rows)
        for (double value : row)
            *out++ = value;
    return course;
}

inline std::vector<double> Values(const TimeCourse& course) {
    const double* data = course.data.data();
    return std::vector<double>(data, data + static_cast<size_t>(course.rows) * course.columns);
}

} // namespace kora::testing
