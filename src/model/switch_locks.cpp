#include "switch_locks.h"

#include <algorithm>

#include "krm_parser.h"
#include "postfix_words.h"

namespace kora {
namespace {

int32_t HeldWord(int8_t value) {
    return value != 0 ? kWordHeldTrue : kWordHeldFalse;
}

} // namespace

void SwitchLocks::Begin(const KRMparser& model) {
    equations_.clear();
    definitions_.clear();
    for (const Statement& equation : model.equations)
        equations_.push_back(equation.code);
    for (const Statement& definition : model.definitions)
        definitions_.push_back(definition.code);
    states_.assign(model.switchingFunctions.size(), kLive);
    held_ = 0;
}

void SwitchLocks::Clear() {
    equations_.clear();
    definitions_.clear();
    states_.clear();
    held_ = 0;
}

void SwitchLocks::Hold(const KRMparser& model, size_t k, bool value) {
    const ModelSwitch& at = model.switchingFunctions[k];
    if (at.kind < 0 || k >= states_.size()) return;
    const int8_t wanted = value ? 1 : 0;
    if (states_[k] == wanted) return;
    const bool wasLive = states_[k] == kLive;
    states_[k] = wanted;
    if (!wasLive) {
        // Only the held word changes; the skip before it is in place.
        std::vector<int32_t>& code = at.kind == 0 ? equations_[at.index] : definitions_[at.index];
        code[at.at.word] = HeldWord(wanted);
        return;
    }
    ++held_;
    Rewrite(model, at.kind, at.index);
}

void SwitchLocks::Release(const KRMparser& model, size_t k) {
    if (k >= states_.size() || states_[k] == kLive) return;
    states_[k] = kLive;
    --held_;
    const ModelSwitch& at = model.switchingFunctions[k];
    Rewrite(model, at.kind, at.index);
}

// The statement's code again from the model's, with every held switch of it
// applied in code order: the operands start with a skip to the switch's word,
// which becomes the held value. A switch inside a held one's operands shares
// or lies within the skipped part, so the outer one, applied later, wins.
void SwitchLocks::Rewrite(const KRMparser& model, int32_t kind, int32_t index) {
    const Statement& statement = kind == 0 ? model.equations[index] : model.definitions[index];
    std::vector<int32_t>& code = kind == 0 ? equations_[index] : definitions_[index];
    std::copy(statement.code.begin(), statement.code.end(), code.begin());
    for (size_t k = 0; k < states_.size(); ++k) {
        const ModelSwitch& at = model.switchingFunctions[k];
        if (states_[k] == kLive || at.kind != kind || at.index != index) continue;
        // Operands take at least one word and its operand, so the skip fits.
        code[at.at.begin] = kWordSkip;
        code[at.at.begin + 1] = at.at.word - at.at.begin - 2;
        code[at.at.word] = HeldWord(states_[k]);
    }
}

} // namespace kora
