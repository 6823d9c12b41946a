// The record of the last mathematical error of a library function, kept per
// thread so that two models may evaluate at once.
#pragma once

namespace kora {

enum class MathErrorKind { None = 0, Domain, Singularity, Overflow, Underflow, TotalLoss };

struct MathErrorRecord {
    MathErrorKind kind = MathErrorKind::None;
    const char* function = ""; // the model's name of the function ("ln", "pow", ...)
    double arg1 = 0.0;
    double arg2 = 0.0;
    int argCount = 0;

    bool IsSet() const { return kind != MathErrorKind::None; }
};

// This thread's record.
MathErrorRecord& CurrentMathError();
inline void ClearMathError() { CurrentMathError() = MathErrorRecord{}; }

} // namespace kora
