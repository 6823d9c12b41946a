// Builds models from lines and evaluates them, for the model tests.
#pragma once

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "model/krm_parser.h"

namespace kora::test {

struct BuiltModel {
    TextLines lines;
    KRMForm form;
    ErrorDisplay sink;
    KRMparser model{&form, &sink};

    explicit BuiltModel(TextLines text) : lines(std::move(text)) { model.Build(lines); }

    int Code() const { return sink.code; }

    static std::vector<double> Values(const std::vector<Statement>& list) {
        std::vector<double> values;
        for (const Statement& s : list)
            values.push_back(s.value);
        return values;
    }
    std::vector<double> Constants() const { return Values(model.constants); }

    // Derivative of equation `index` (kind 0) or definition `index` at the
    // initial state and time t0.
    double Eval(int kind, int index, int& error, double time = 0.0) const {
        std::vector<double> stack(model.stackDepth + 1);
        std::vector<double> x = Values(model.equations), a = Values(model.definitions),
                            c = Values(model.constants);
        return model.Evaluate(kind, index, time, x.data(), a.data(), c.data(), error, stack.data());
    }

    const Statement* Constant(const std::string& name) const {
        for (const Statement& s : model.constants)
            if (s.name == name) return &s;
        return nullptr;
    }
};

// Value of the constant `k` after building "k = <expression>"; the error code
// goes to `code`.
inline double ConstantValue(const std::string& expression, int& code) {
    BuiltModel built({"k = " + expression});
    code = built.Code();
    const Statement* k = built.Constant("k");
    return k != nullptr ? k->value : 0.0;
}

} // namespace kora::test
