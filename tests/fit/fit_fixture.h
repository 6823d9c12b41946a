// Fit requests made from texts, and data made from closed-form solutions.
#pragma once

#include <cmath>
#include <functional>
#include <string>
#include <vector>

#include "fit/fit_run.h"
#include "results/number_text.h"

namespace kora::testing {

inline FitRequest Request(const std::string& modelText) {
    FitRequest request;
    request.model.fileName = "m.krm";
    request.model.modelLines = ExtractModelLines(SplitTextLines(modelText), true).modelLines;
    return request;
}

inline DataTable Table(const std::string& text, const std::string& name = "d.csv") {
    DataTable table;
    const std::string problem = ReadDataTable(name, SplitTextLines(text), table);
    EXPECT_EQ(problem, "");
    return table;
}

// A CSV of `columns` at times 0, step, ..., last from `value(column, t)`.
inline std::string CsvOf(const std::vector<std::string>& columns, double step, double last,
                         const std::function<double(size_t, double)>& value,
                         const std::string& preamble = "") {
    std::string text = preamble + "t";
    for (const std::string& c : columns)
        text += "," + c;
    text += "\n";
    for (int k = 0; k * step <= last + 1e-12; ++k) {
        const double t = k * step;
        text += FormatGeneral(t, 17);
        for (size_t c = 0; c < columns.size(); ++c)
            text += "," + FormatGeneral(value(c, t), 17);
        text += "\n";
    }
    return text;
}

inline const FittedParameter& Parameter(const FitResult& result, const std::string& name) {
    for (const FittedParameter& p : result.parameters)
        if (p.name == name) return p;
    ADD_FAILURE() << name << " not in the result";
    return result.parameters.front();
}

// X -> Y -> (out), first order: X' = -k1 X, Y' = k1 X - k2 Y, with X(0) = x0, Y(0) = 0.
inline double ChainX(double k1, double x0, double t) {
    return x0 * std::exp(-k1 * t);
}
inline double ChainY(double k1, double k2, double x0, double t) {
    return x0 * k1 / (k2 - k1) * (std::exp(-k1 * t) - std::exp(-k2 * t));
}

inline const char* kChainModel = "k1 = 1\n"
                                 "k2 = 1\n"
                                 "X' = -k1 * X\n"
                                 "Y' = k1 * X - k2 * Y\n"
                                 "X = 2\n"
                                 "Y = 0\n"
                                 "tf = 10\n";

} // namespace kora::testing
