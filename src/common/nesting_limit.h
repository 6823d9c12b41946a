// The deepest nesting of expressions that any reader or writer accepts.
// Parsers, compilers and libSBML's own readers and writers recurse once per
// level; deeper input is refused with a message before any of them recurses
// into it. No person or converter writes anywhere near this depth, and every
// recursive path in the program (and in libSBML) survives it with room to spare.
#pragma once

namespace kora {

inline constexpr int kMaxNestingDepth = 1000;

} // namespace kora
