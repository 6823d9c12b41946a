#include "plot_cache.h"

namespace kora::app {

PlotCacheKey::Course CourseKey(const TimeCourse& course) {
    return {course.data.data(), course.rows, course.columns};
}

} // namespace kora::app
