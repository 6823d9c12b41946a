// Locate following a script's value changes from what it read before gives
// the answers of a model that reads the changed lines afresh.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "model/krm_parser.h"
#include "model_files.h"

namespace kora::test {
namespace {

struct Answer {
    bool found = false;
    int32_t offset = -1;
    int32_t length = -1;
    std::string text;

    bool operator==(const Answer&) const = default;
};

Answer LocateIn(KRMparser& model, const TextLines& lines, const std::string& query) {
    Answer answer;
    answer.text = query;
    answer.found = model.Locate(lines, answer.text, answer.offset, answer.length, true);
    return answer;
}

Answer LocateAfresh(const TextLines& lines, const std::string& query) {
    KRMForm form;
    ErrorDisplay sink;
    KRMparser model(&form, &sink);
    return LocateIn(model, lines, query);
}

// What a script asks: every statement by its name, the keyword lines, and a
// name the model does not have.
std::vector<std::string> QueriesOf(const TextLines& lines) {
    std::vector<std::string> queries{"NoSuchName = 1", "NAME x", "@ 1 X = 2", "&& X"};
    for (const std::string& line : lines) {
        const size_t equals = line.find('=');
        if (equals != std::string::npos && line.find("//") > equals)
            queries.push_back(line.substr(0, equals + 1) + " 7");
    }
    return queries;
}

// Each line "name = number" given a longer, then a shorter number.
std::vector<TextLines> ValueChangesOf(const TextLines& lines) {
    std::vector<TextLines> changes;
    TextLines changed = lines;
    for (size_t i = 0; i < lines.size(); ++i) {
        const size_t equals = lines[i].find('=');
        if (equals == std::string::npos || lines[i].find_first_of("'@[") != std::string::npos)
            continue;
        for (const char* number : {" 123.456789e-3", " 2"}) {
            changed[i] = lines[i].substr(0, equals + 1) + number;
            changes.push_back(changed);
        }
    }
    return changes;
}

TEST(LocateMemo, FollowsValueChangesAsAFreshReadingWould) {
    int compared = 0;
    for (const auto& file : ExampleAndTestModels()) {
        const TextLines original = ModelLinesOf(file);
        KRMForm form;
        ErrorDisplay sink;
        KRMparser model(&form, &sink);
        const std::vector<std::string> queries = QueriesOf(original);
        for (const TextLines& lines : ValueChangesOf(original)) {
            for (const std::string& query : queries) {
                ASSERT_EQ(LocateIn(model, lines, query), LocateAfresh(lines, query))
                    << file << ": " << query;
                ++compared;
            }
        }
    }
    EXPECT_GT(compared, 1000);
}

TEST(LocateMemo, ReadsAgainWhenMoreThanAValueChanged) {
    KRMForm form;
    ErrorDisplay sink;
    KRMparser model(&form, &sink);
    const TextLines first{"k = 1", "X' = -k*X", "X = 1", "tf = 2"};
    const std::vector<TextLines> next{
        {"k = 1", "X' = -k*X", "X = 1", "tf = 2", "k2 = 3"}, // a line added
        {"k2 = 1", "X' = -k2*X", "X = 1", "tf = 2"},         // a name changed
        {"k = 1 + 1", "X' = -k*X", "X = 1", "tf = 2"},       // an expression
        {"k = 1 >>", "  + 1", "X = 1", "tf = 2"},            // a continuation
        {"k = 1", "X' = -k*X", "@ 1 X = 2", "tf = 2"},       // an event
        {"k = 1", "X' = -k*X", "X = 1", "X = 2"},            // unreadable
        {"k = 1", "X' = -k*X", "X = 1", "tf = 2"},           // back again
    };
    LocateIn(model, first, "k = 2");
    for (const TextLines& lines : next)
        for (const char* query : {"k = 5", "k2 = 5", "X' = 0", "X = 3", "tf = 1"})
            EXPECT_EQ(LocateIn(model, lines, query), LocateAfresh(lines, query))
                << lines[0] << " / " << lines.back() << ": " << query;
}

} // namespace
} // namespace kora::test
