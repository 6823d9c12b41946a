#include "fit_report.h"

#include <algorithm>
#include <cmath>

#include "results/number_text.h"

namespace kora {

namespace {

std::string JsonNumber(double value) {
    return std::isfinite(value) ? FormatGeneral(value, 17) : "null";
}

std::string JsonString(const std::string& text) {
    std::string out = "\"";
    for (char c : text) {
        if (c == '"' || c == '\\') out += '\\';
        out += c;
    }
    return out + "\"";
}

std::string Shown(double value, int digits = 6) {
    if (std::isnan(value)) return "-";
    if (std::isinf(value)) return value > 0 ? "inf" : "-inf";
    return FormatGeneral(value, digits);
}

std::string Padded(const std::string& text, size_t width) {
    return text.size() >= width ? text + " " : text + std::string(width - text.size(), ' ');
}

} // namespace

std::string FitResultJson(const FitResult& r) {
    std::string json = "{\"objective\":" + JsonNumber(r.objective) +
                       ",\"ssr\":" + JsonNumber(r.ssr) + ",\"chi2\":" + JsonNumber(r.chi2) +
                       ",\"aic\":" + JsonNumber(r.aic) + ",\"bic\":" + JsonNumber(r.bic) +
                       ",\"evaluations\":" + std::to_string(r.evaluations) +
                       ",\"converged\":" + (r.converged ? "true" : "false") + ",\"parameters\":{";
    for (size_t p = 0; p < r.parameters.size(); ++p) {
        const FittedParameter& q = r.parameters[p];
        json += (p > 0 ? "," : "") + JsonString(q.name) + ":{\"value\":" + JsonNumber(q.value) +
                ",\"se\":" + JsonNumber(q.se) + ",\"low\":" + JsonNumber(q.low) +
                ",\"high\":" + JsonNumber(q.high) + "}";
    }
    json += "},\"correlation\":[";
    for (size_t i = 0; i < r.correlation.size(); ++i) {
        json += i > 0 ? ",[" : "[";
        for (size_t j = 0; j < r.correlation[i].size(); ++j)
            json += (j > 0 ? "," : "") + JsonNumber(r.correlation[i][j]);
        json += "]";
    }
    json += "],\"not_identifiable\":[";
    for (size_t i = 0; i < r.notIdentifiable.size(); ++i)
        json += (i > 0 ? "," : "") + JsonString(r.notIdentifiable[i]);
    return json + "]}\n";
}

std::string FitResultText(const FitResult& r, const std::string& end) {
    std::string text = std::string("converged: ") + (r.converged ? "yes" : "no") +
                       (r.stopped ? " (stopped)" : "") + ", " + std::to_string(r.evaluations) +
                       " evaluations";
    if (r.startsDone > 1) text += ", " + std::to_string(r.startsDone) + " starts";
    text += end + "objective " + Shown(r.objective, 8) + "  ssr " + Shown(r.ssr, 8) + "  chi2 " +
            Shown(r.chi2, 8) + "  AIC " + Shown(r.aic) + "  BIC " + Shown(r.bic) + "  points " +
            std::to_string(r.points) + end;
    size_t width = 9;
    for (const FittedParameter& q : r.parameters)
        width = std::max(width, q.name.size() + 2);
    text += Padded("parameter", width) + Padded("value", 15) + Padded("se", 13) +
            Padded("low", 13) + "high" + end;
    for (const FittedParameter& q : r.parameters) {
        std::string se = Shown(q.se, 4);
        if (q.atBound) se = "at bound";
        if (!q.identifiable) se = "not identifiable";
        text += Padded(q.name, width) + Padded(Shown(q.value, 10), 15) + Padded(se, 13) +
                Padded(Shown(q.low), 13) + Shown(q.high) + end;
    }
    if (!r.notIdentifiable.empty()) {
        text += "not identifiable:";
        for (const std::string& name : r.notIdentifiable)
            text += " " + name;
        text += end;
    }
    text += "correlation" + end;
    for (size_t i = 0; i < r.correlation.size(); ++i) {
        text += Padded(r.parameters[i].name, width);
        for (double c : r.correlation[i])
            text += Padded(std::isnan(c) ? "-" : FormatGeneral(std::round(c * 1e4) / 1e4, 4), 9);
        text += end;
    }
    return text;
}

} // namespace kora
