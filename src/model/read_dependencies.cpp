#include "read_dependencies.h"

#include <algorithm>

#include "krm_parser.h"
#include "model_functions.h"
#include "postfix_words.h"

namespace kora {

namespace {

// Adds what `code` reads to `out` (unsorted); false when it cannot be told.
// `definitionReads` holds the reads of the definitions before `visible`.
bool CollectReads(const std::vector<int32_t>& code, size_t visible, size_t variables,
                  const std::vector<std::vector<int32_t>>& definitionReads,
                  std::vector<int32_t>& out) {
    for (size_t k = 0; k < code.size(); ++k) {
        const int32_t word = code[k];
        if (word == kFunctionRand) return false;
        if (!WordHasOperand(word)) continue;
        if (++k >= code.size()) return false;
        const int32_t index = code[k];
        if (word == kWordVariable) {
            if (index < 0 || static_cast<size_t>(index) >= variables) return false;
            out.push_back(index);
        } else if (word == kWordDefinition) {
            if (index < 0 || static_cast<size_t>(index) >= visible) return false;
            const std::vector<int32_t>& inner = definitionReads[static_cast<size_t>(index)];
            out.insert(out.end(), inner.begin(), inner.end());
        }
    }
    return true;
}

void SortUnique(std::vector<int32_t>& list) {
    std::sort(list.begin(), list.end());
    list.erase(std::unique(list.begin(), list.end()), list.end());
}

} // namespace

bool DerivativeReads(const KRMparser& model, std::vector<std::vector<int32_t>>& reads) {
    const size_t variables = model.equations.size();
    std::vector<std::vector<int32_t>> definitionReads(model.definitions.size());
    for (size_t j = 0; j < model.definitions.size(); ++j) {
        if (!CollectReads(model.definitions[j].code, j, variables, definitionReads,
                          definitionReads[j]))
            return false;
        SortUnique(definitionReads[j]);
    }
    reads.assign(variables, {});
    for (size_t i = 0; i < variables; ++i) {
        if (!CollectReads(model.equations[i].code, definitionReads.size(), variables,
                          definitionReads, reads[i]))
            return false;
        SortUnique(reads[i]);
    }
    return true;
}

} // namespace kora
