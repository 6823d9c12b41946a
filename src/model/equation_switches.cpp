// The switches inside equations and definitions: each flag[x] switches
// where x crosses 0, so x becomes a switching function the solvers locate.
#include <vector>

#include "krm_parser.h"
#include "model_functions.h"
#include "postfix_words.h"

namespace kora {
namespace {

constexpr int32_t kFunctionFlag = 9;

bool IsOperand(int32_t word) {
    return word >= kWordConstant && word <= kWordTime;
}

bool IsBinary(int32_t word) {
    return word >= kWordAdd && word <= kWordPower;
}

// Adds the argument of every flag in `code`: scanning the postfix code with a
// stack of where each pending operand's code begins.
void AddFlagArguments(const Statement& statement, std::vector<SwitchingFunction>& functions) {
    const std::vector<int32_t>& code = statement.code;
    std::vector<size_t> starts;
    for (size_t i = 0; i < code.size() && code[i] != kWordEnd;) {
        const int32_t word = code[i];
        if (IsOperand(word)) {
            starts.push_back(i);
            i += 2;
            continue;
        }
        if (IsBinary(word) && starts.size() >= 2) {
            starts.pop_back();
        } else if (word == kFunctionFlag && !starts.empty()) {
            SwitchingFunction function;
            function.relation = Relation::Greater;
            function.left.assign(code.begin() + static_cast<std::ptrdiff_t>(starts.back()),
                                 code.begin() + static_cast<std::ptrdiff_t>(i));
            function.left.push_back(kWordEnd);
            function.text = statement.text;
            functions.push_back(std::move(function));
        }
        ++i;
    }
}

} // namespace

void AddEquationSwitches(KRMparser& model) {
    model.triggerSwitches = model.switchingFunctions.size();
    for (const auto* list : {&model.definitions, &model.equations})
        for (const Statement& statement : *list)
            AddFlagArguments(statement, model.switchingFunctions);
}

} // namespace kora
