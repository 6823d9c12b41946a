// The toolkit's own diagnostics (its runtime folder, a stored value it
// cannot decode) mean nothing to the user of a batch tool, whose every
// message is the tool's own: they never reach the terminal.
#pragma once

namespace kora::cli {

void SilenceToolkitMessages();

} // namespace kora::cli
