#include "plot_cache.h"

#include "results/graph_section.h"

namespace kora::app {

void AddResultsKey(const ResultsSet& set, PlotCacheKey& key) {
    key.set = &set;
    for (const TimeCourse& course : set.timeCourses)
        key.courses.push_back({course.data.data(), course.rows, course.columns, course.title});
    // A few lines per time course: cheap beside drawing its rows.
    WriteGraphSection(set, key.settings);
}

} // namespace kora::app
