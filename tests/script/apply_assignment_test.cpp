// An assignment put into the model lines in place gives the lines that
// joining them, replacing the located statement and splitting again gives.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "common/text_trim.h"
#include "model/krm_parser.h"
#include "model_files.h"
#include "script/script_execution.h"

namespace kora::test {
namespace {

TextLines JoinReplaceSplit(const TextLines& lines, const std::string& untrimmed) {
    const std::string assignment(TrimSpaceAndControls(untrimmed));
    KRMForm form;
    ErrorDisplay sink;
    KRMparser model(&form, &sink);
    std::string located = assignment;
    int32_t offset = 0;
    int32_t length = 0;
    TextLines result = lines;
    if (!model.Locate(lines, located, offset, length, false)) {
        result.push_back(assignment);
        return result;
    }
    std::string whole;
    for (const std::string& line : lines)
        whole += line + "\r\n";
    const size_t begin = std::min(static_cast<size_t>(std::max(offset, 0)), whole.size());
    whole.replace(begin, std::min(static_cast<size_t>(std::max(length, 0)), whole.size() - begin),
                  assignment);
    result.clear();
    for (size_t start = 0; start < whole.size();) {
        size_t end = whole.find("\r\n", start);
        if (end == std::string::npos) end = whole.size();
        result.push_back(whole.substr(start, end - start));
        start = end + 2;
    }
    return result;
}

// Every name assigned a value and an expression, and a new name.
std::vector<std::string> AssignmentsOf(const TextLines& lines) {
    std::vector<std::string> assignments{"NewName = 3"};
    for (const std::string& line : lines) {
        const size_t equals = line.find('=');
        if (equals == std::string::npos || line.find("//") < equals) continue;
        assignments.push_back(line.substr(0, equals + 1) + " 0.125");
        assignments.push_back(line.substr(0, equals + 1) + " 2 * 3 + 1e-3");
    }
    return assignments;
}

TEST(ApplyAssignment, GivesTheLinesOfAWholeTextReplacement) {
    std::vector<TextLines> models;
    for (const auto& file : ExampleAndTestModels())
        models.push_back(ModelLinesOf(file));
    // Statements over several lines, and lines ending in a carriage return.
    models.push_back({"X' = -k *", "  X", "k = 1 +", " 2", "X = 1"});
    models.push_back({"X' = -k * X\r", "k = 2\r", "X = 1\r", ""});
    int compared = 0;
    for (const TextLines& lines : models) {
        for (const std::string& assignment : AssignmentsOf(lines)) {
            KRMForm form;
            ErrorDisplay sink;
            KRMparser model(&form, &sink);
            TextLines applied = lines;
            ApplyAssignment(model, applied, assignment);
            ASSERT_EQ(applied, JoinReplaceSplit(lines, assignment)) << assignment;
            ++compared;
        }
    }
    EXPECT_GT(compared, 200);
}

} // namespace
} // namespace kora::test
