#include <gtest/gtest.h>

#include <random>

#include "results/results_file.h"
#include "results_test_util.h"

namespace kora {
namespace {

using testing::MakeCourse;

// Pieces that steer random text into the reader's interesting paths.
// clang-format off
const std::vector<std::string> kPieces = {
    "[Data]", "[Data][", "]", "[Graph]", "\n", "\r\n", "\t", " ", "1", "-2.5", "3,25", "e",
    "1e308", "1e999", "nan", "inf", "x", "Xmin=", "Ymax=", "Line1=", "Line1_1=", "Line2_1=", "|",
    "invisible", "dotted", "=", "View=", "Xticks=-5", std::string("\0", 1)};
// clang-format on

std::string RandomText(std::mt19937& random) {
    std::string text;
    const size_t pieces = std::uniform_int_distribution<size_t>(0, 80)(random);
    for (size_t i = 0; i < pieces; ++i)
        text += kPieces[std::uniform_int_distribution<size_t>(0, kPieces.size() - 1)(random)];
    return text;
}

std::string Mutated(std::string text, std::mt19937& random) {
    const int edits = std::uniform_int_distribution<int>(1, 6)(random);
    for (int e = 0; e < edits && !text.empty(); ++e) {
        const size_t at = std::uniform_int_distribution<size_t>(0, text.size() - 1)(random);
        switch (random() % 4) {
        case 0:
            text[at] = static_cast<char>(random());
            break;
        case 1:
            text.erase(at, random() % 16);
            break;
        case 2:
            text.insert(at, kPieces[random() % kPieces.size()]);
            break;
        default:
            text.insert(at, text.substr(at, random() % 64)); // repeat a stretch
        }
    }
    return text;
}

// No crash or hang (the run stays within the test timeout), and the values
// held never exceed what the text itself holds.
void CheckRead(const std::string& text, char separator) {
    ResultsSet set;
    ParseResultsText(set, text, separator);
    size_t held = 0;
    for (const TimeCourse& course : set.timeCourses) {
        ASSERT_EQ(course.names.size(), static_cast<size_t>(course.columns));
        ASSERT_EQ(course.lineStyles.size(), static_cast<size_t>(course.columns) + 4);
        ASSERT_GE(course.data.size(), static_cast<size_t>(course.rows) * course.columns);
        held += course.data.size();
    }
    ASSERT_LE(held, text.size());
    for (int32_t column : set.phaseVar)
        ASSERT_GE(column, 0);
}

TEST(ResultsReadRobustness, RandomAndMutatedFiles) {
    ResultsSet valid;
    valid.timeCourses.push_back(MakeCourse("a", {"t", "x", "y"}, {{0, 1, 2}, {1, 3.5, -4}}));
    valid.timeCourses.push_back(MakeCourse("", {"t", "z"}, {{0, 1e-3}}));
    const std::string seed = FormatResultsText(valid);

    std::mt19937 random(20261206);
    for (int i = 0; i < 5000; ++i) {
        const std::string text = i % 3 == 0 ? RandomText(random) : Mutated(seed, random);
        CheckRead(text, i % 2 ? ',' : '.');
        if (HasFatalFailure()) FAIL() << "input " << i << ":\n" << text;
    }
}

} // namespace
} // namespace kora
