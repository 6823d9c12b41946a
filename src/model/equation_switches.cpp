// The switches inside equations and definitions: every relation and flag[]
// is a switching function the solvers locate.
#include <vector>

#include "krm_parser.h"

namespace kora {

void AddEquationSwitches(KRMparser& model) {
    model.triggerSwitches = model.switchingFunctions.size();
    std::vector<ConditionSwitch> found;
    for (const auto* list : {&model.definitions, &model.equations}) {
        const int32_t kind = list == &model.equations ? 0 : 1;
        for (size_t i = 0; i < list->size(); ++i) {
            const Statement& statement = (*list)[i];
            found.clear();
            FindConditionSwitches(statement.code, found);
            for (const ConditionSwitch& at : found)
                model.switchingFunctions.push_back(
                    {statement.code, at, statement.text, kind, static_cast<int32_t>(i)});
        }
    }
}

} // namespace kora
