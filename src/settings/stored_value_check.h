// What loading the settings would quietly replace, said in words, so that a
// front end can tell the user which stored value was not taken and why.
#pragma once

#include <string>
#include <vector>

#include "key_value_store.h"

namespace kora {

// One line per stored value that loading does not take as written: an
// integer option that is not a number or is out of its range, a yes/no
// option that is neither "1" nor "0". Each names the key, the stored value
// and the value used instead.
std::vector<std::string> StoredValueProblems(const KeyValueStore& store);

// One line per key of `keys` that names no option.
std::vector<std::string> UnknownKeyProblems(const std::vector<std::string>& keys);

} // namespace kora
