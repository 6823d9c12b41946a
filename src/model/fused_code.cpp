// The fusing pass: a left-to-right match of short word patterns.
#include "fused_code.h"

#include <initializer_list>
#include <span>

#include "postfix_words.h"

namespace kora {

int FusedOperandCount(int32_t word) {
    switch (word) {
    case kFusedMultiplyConstant:
    case kFusedMultiplyVariable:
    case kFusedStoreDefinition:
    case kFusedStoreRate:
    case kFusedSubtractStoreRate:
        return 1;
    case kFusedPower:
    case kFusedPowerNegated:
    case kFusedMultiplyPower:
    case kFusedMultiplyPowerNegated:
        return 2;
    case kFusedTerm:
    case kFusedTermNegated:
        return 3;
    default:
        return WordHasOperand(word) ? 1 : 0;
    }
}

namespace {

// Plain arithmetic and one-argument functions other than rand[]: what fused
// code may carry through unchanged.
bool Fusable(int32_t word) {
    if (word < kWordConstant) return word != kFunctionRand;
    return word <= kWordPower;
}

// A variable raised to a constant power at `at`: "V v C c ^" or
// "V v C c - ^". The number of words it spans, or 0.
size_t PowerAt(std::span<const int32_t> code, size_t at, bool& negated) {
    if (at + 4 >= code.size() || code[at] != kWordVariable || code[at + 2] != kWordConstant)
        return 0;
    if (code[at + 4] == kWordPower) {
        negated = false;
        return 5;
    }
    if (code[at + 4] == kWordNegate && at + 5 < code.size() && code[at + 5] == kWordPower) {
        negated = true;
        return 6;
    }
    return 0;
}

class Fuser {
public:
    explicit Fuser(std::span<const int32_t> code) : code_(code) {}

    // The fused code without its end word, or nothing when a word cannot be
    // carried through; `fused` tells whether any run was fused.
    std::vector<int32_t> Run(bool& fused) {
        for (size_t at = 0; at < code_.size();) {
            const int32_t word = code_[at];
            if (word == kWordEnd) break;
            if (!Fusable(word)) return {};
            at += FuseAt(at);
        }
        fused = fused_;
        return std::move(out_);
    }

    // The last word emitted, without its operands.
    int32_t LastWord() const { return lastWord_; }

private:
    // Emits the word or pattern at `at`; the number of code words used.
    size_t FuseAt(size_t at) {
        const int32_t word = code_[at];
        bool negated = false;
        if (word == kWordConstant) {
            if (const size_t power = PowerAt(code_, at + 2, negated);
                power != 0 && MultiplyAt(at + 2 + power)) {
                Emit(negated ? kFusedTermNegated : kFusedTerm,
                     {code_[at + 1], code_[at + 3], code_[at + 5]});
                return 2 + power + 1;
            }
            if (MultiplyAt(at + 2)) {
                Emit(kFusedMultiplyConstant, {code_[at + 1]});
                return 3;
            }
        }
        if (word == kWordVariable) {
            if (const size_t power = PowerAt(code_, at, negated); power != 0) {
                const bool multiplied = MultiplyAt(at + power);
                const int32_t fusedWord =
                    multiplied ? (negated ? kFusedMultiplyPowerNegated : kFusedMultiplyPower)
                               : (negated ? kFusedPowerNegated : kFusedPower);
                Emit(fusedWord, {code_[at + 1], code_[at + 3]});
                return power + (multiplied ? 1 : 0);
            }
            if (MultiplyAt(at + 2)) {
                Emit(kFusedMultiplyVariable, {code_[at + 1]});
                return 3;
            }
        }
        const size_t length = WordHasOperand(word) ? 2 : 1;
        lastWord_ = word;
        out_.insert(out_.end(), code_.begin() + static_cast<std::ptrdiff_t>(at),
                    code_.begin() + static_cast<std::ptrdiff_t>(at + length));
        return length;
    }

    // "C k" then a power then "*" fuses only when the constant is the left
    // factor of that product; a multiplication right after a pushed operand
    // always is.
    bool MultiplyAt(size_t at) const { return at < code_.size() && code_[at] == kWordMultiply; }

    void Emit(int32_t word, std::initializer_list<int32_t> operands) {
        lastWord_ = word;
        out_.push_back(word);
        out_.insert(out_.end(), operands);
        fused_ = true;
    }

    std::span<const int32_t> code_;
    std::vector<int32_t> out_;
    bool fused_ = false;
    int32_t lastWord_ = kWordEnd;
};

} // namespace

std::vector<int32_t> FuseCode(const std::vector<int32_t>& code) {
    bool fused = false;
    std::vector<int32_t> out = Fuser(code).Run(fused);
    if (!fused) return {};
    out.push_back(kWordEnd);
    return out;
}

std::vector<int32_t> FuseSystem(const std::vector<std::span<const int32_t>>& definitionCodes,
                                const std::vector<std::span<const int32_t>>& equationCodes) {
    // Fused code is never longer than its code, so one allocation holds it
    // all, however many statements a large model has.
    size_t words = 1;
    for (const auto* codes : {&definitionCodes, &equationCodes})
        for (const std::span<const int32_t> code : *codes)
            words += code.size() + 2;
    std::vector<int32_t> program;
    program.reserve(words);
    const auto append = [&program](const std::vector<std::span<const int32_t>>& codes,
                                   int32_t store) {
        for (size_t k = 0; k < codes.size(); ++k) {
            bool fused = false;
            Fuser fuser(codes[k]);
            const std::vector<int32_t> part = fuser.Run(fused);
            if (part.empty()) return false;
            program.insert(program.end(), part.begin(), part.end());
            // Most rate laws end in production minus consumption: the
            // difference and its store take one turn of the loop.
            if (store == kFusedStoreRate && fuser.LastWord() == kWordSubtract)
                program.back() = kFusedSubtractStoreRate;
            else
                program.push_back(store);
            program.push_back(static_cast<int32_t>(k));
        }
        return true;
    };
    if (!append(definitionCodes, kFusedStoreDefinition) || !append(equationCodes, kFusedStoreRate))
        return {};
    program.push_back(kWordEnd);
    return program;
}

} // namespace kora
