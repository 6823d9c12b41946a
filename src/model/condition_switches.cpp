#include "condition_switches.h"

#include "model_functions.h"
#include "postfix_words.h"

namespace kora {

// Walks the code as plain postfix (jumps ignored), keeping the stack height
// before every word. The operands of a word taking k values start at the
// last earlier word before which the height was k lower.
void FindConditionSwitches(const std::vector<int32_t>& code, std::vector<ConditionSwitch>& out) {
    std::vector<int32_t> positions; // words read so far
    std::vector<int32_t> heights;   // stack height before each of them
    int32_t height = 0;
    for (size_t k = 0; k < code.size() && code[k] != kWordEnd; ++k) {
        const int32_t word = code[k];
        const int32_t at = static_cast<int32_t>(k);
        const int inputs = WordInputs(word);
        if (IsRelationalWord(word) || word == kFunctionFlag) {
            const int32_t wanted = height - inputs;
            for (size_t j = positions.size(); j-- > 0;) {
                if (heights[j] != wanted) continue;
                out.push_back({positions[j], at, word, inputs});
                break;
            }
        }
        positions.push_back(at);
        heights.push_back(height);
        height += WordOutputs(word) - inputs;
        if (WordHasOperand(word)) ++k;
    }
}

} // namespace kora
