#include "messages.h"

#include <algorithm>
#include <array>

namespace kora {
namespace {

struct Entry {
    int id;
    std::string_view text;
};

// Sorted by id; looked up by binary search.
constexpr std::array kTable{
    // Steady-state outcomes (one per status flag, then second lines).
    Entry{31600, "There are no diff equations defined!"},
    Entry{31601, "WARNING: matrix A = G - H is singular."},
    Entry{31602, "NO FINITE STEADY STATE WAS FOUND."},
    Entry{31603, "ERROR: Eigenvalue computation failed!"},
    Entry{31604, "Matrix A = G - H is singular."},
    Entry{31605, "There is more than one finite steady state."},
    Entry{31606, "No sensitivities were computed."},
    // Model text (32000 + code).
    Entry{32000, "Parsing successful."},
    Entry{32001, "Unexpected end of line in:"},
    Entry{32002, "Unexpected expression: "},
    Entry{32003, "Taylor method: invalid variable or function: "},
    Entry{32004, "Taylor method: rational expression not allowed:"},
    Entry{32005, "Taylor method: exponent must be constant: "},
    Entry{32006, "Taylor method: invalid power expression: "},
    Entry{32007, ") is missing: "},
    Entry{32008, "] is missing: "},
    Entry{32009, "Initial value must be a constant:"},
    Entry{32010, "Taylor method: the initial value is not positive: "},
    Entry{32011, "Initial values not defined: "},
    Entry{32012, "Floating point overflow:"},
    Entry{32013, "Division by zero:"},
    Entry{32014, "Power too large:"},
    Entry{32015, "Function error:"},
    Entry{32016, "Number too small:"},
    Entry{32017, "Invalid power function:"},
    Entry{32018, "No GMA equations defined."},
    Entry{32019, "Repeated declaration: "},
    Entry{32020, "hr can not be zero:"},
    Entry{32021, "@ time must be constant."},
    Entry{32022, "@ can only be used for variables or constants."},
    Entry{32040, "An event's trigger must be a condition:"},
    Entry{32041, "An event's delay must be finite and not negative:"},
    Entry{32042, "Events keep triggering each other at one time:"},
    Entry{32043, "Unknown event option:"},
    Entry{32044, "An event could not be computed:"},
    // Solver outcomes (32650 + status, or + state when Init failed).
    Entry{32647, "Problem starting the solver."},
    Entry{32648, "Too many points: Increase hr."},
    Entry{32649, "Input Error."},
    Entry{32651, "Solution complete."},
    Entry{32652, "Solution aborted by user."},
    Entry{32653, "Solution failed. Function domain error:"},
    Entry{32654, "Solution failed. Function domain error:"},
    Entry{32655, "Solution failed. Number too big"},
    Entry{32656, "Solution failed. Number too small"},
    Entry{32657, "Solution failed. Total loss of significance:"},
    Entry{32658, "Solution failed. Power function error:"},
    Entry{32659, "Solution failed. Division by zero"},
    Entry{32660, "Solution failed: Mathematical error."},
    Entry{32661, "Step too small: Solution can not progress."},
    Entry{32662, "Solution failed: The maximum number of steps was reached before reporting "
                 "the next solution point."},
    Entry{32663, "Too much accuracy requested for machine precision."},
    Entry{32664, "Illegal input."},
    Entry{32665, "Error test failed repeatedly or with abs(h) = hmin."},
    Entry{32666, "Convergence failed repeatedly or with abs(h) = hmin."},
    Entry{32667, "ErrorWeight(i) <= 0.0 for some i."},
    Entry{32668, "Work space length too small to proceed."},
};

} // namespace

std::string_view MessageText(int id) {
    auto it = std::lower_bound(kTable.begin(), kTable.end(), id,
                               [](const Entry& e, int key) { return e.id < key; });
    if (it == kTable.end() || it->id != id) return {};
    return it->text;
}

} // namespace kora
