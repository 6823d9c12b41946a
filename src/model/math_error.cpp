#include "math_error.h"

namespace kora {

MathErrorRecord& CurrentMathError() {
    // Per thread: a solver thread and a script's steady state may evaluate
    // two models at once.
    thread_local MathErrorRecord record;
    return record;
}

} // namespace kora
