// The switches inside equations and definitions: every relation and flag[]
// is a switching function the solvers locate.
#include <vector>

#include "krm_parser.h"

namespace kora {

void AddEquationSwitches(KRMparser& model) {
    model.triggerSwitches = model.switchingFunctions.size();
    std::vector<ConditionSwitch> found;
    for (const auto* list : {&model.definitions, &model.equations}) {
        for (const Statement& statement : *list) {
            found.clear();
            FindConditionSwitches(statement.code, found);
            for (const ConditionSwitch& at : found)
                model.switchingFunctions.push_back({statement.code, at, statement.text});
        }
    }
}

} // namespace kora
