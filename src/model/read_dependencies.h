// Which dependent variables each derivative of a built model reads.
#pragma once

#include <cstdint>
#include <vector>

namespace kora {

class KRMparser;

// For each derivative, the dependent variables its right side reads,
// directly or through auxiliary definitions, in increasing order. False
// when the code cannot tell: a rand[] draw (each evaluation differs) or a
// definition read before it is defined (it would see an older value).
bool DerivativeReads(const KRMparser& model, std::vector<std::vector<int32_t>>& reads);

} // namespace kora
