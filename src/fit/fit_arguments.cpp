#include "fit_arguments.h"

#include <charconv>
#include <cstdlib>

namespace kora {

namespace {

std::vector<std::string> Words(std::string_view text) {
    std::vector<std::string> words;
    size_t i = 0;
    while (i < text.size()) {
        while (i < text.size() && (text[i] == ' ' || text[i] == '\t'))
            ++i;
        if (i >= text.size()) break;
        std::string word;
        if (text[i] == '"') {
            const size_t end = text.find('"', i + 1);
            word =
                std::string(text.substr(i + 1, end == std::string_view::npos ? end : end - i - 1));
            i = end == std::string_view::npos ? text.size() : end + 1;
        } else {
            while (i < text.size() && text[i] != ' ' && text[i] != '\t')
                word += text[i++];
        }
        words.push_back(word);
    }
    return words;
}

bool ParseBound(const std::string& text, double fallback, double& out) {
    if (text.empty()) {
        out = fallback;
        return true;
    }
    char* end = nullptr;
    out = std::strtod(text.c_str(), &end);
    return end == text.c_str() + text.size();
}

bool WholeNumber(const std::string& text, long long low, long long high, long long& out) {
    auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), out);
    return ec == std::errc() && end == text.data() + text.size() && out >= low && out <= high;
}

std::string MarkScale(FitArguments& out, const std::string& name, FitParameterSpec::Scale scale,
                      const std::string& option) {
    for (FitParameterSpec& spec : out.parameters)
        if (spec.name == name) {
            spec.scale = scale;
            return {};
        }
    return option + " " + name + ": " + name + " is not fitted";
}

std::string ApplyNumber(FitArguments& out, const std::string& option, const std::string& value) {
    long long number = 0;
    if (option == "--seed") {
        unsigned long long seed = 0;
        auto [end, ec] = std::from_chars(value.data(), value.data() + value.size(), seed);
        if (ec != std::errc() || end != value.data() + value.size())
            return "--seed takes a whole number, got '" + value + "'";
        out.options.seed = seed;
        return {};
    }
    if (option == "--tol") {
        if (!WholeNumber(value, 0, 18, number)) return "--tol takes 0 to 18, got " + value;
        out.options.logTolerance = static_cast<int32_t>(number);
        return {};
    }
    if (!WholeNumber(value, 1, 1000000, number))
        return option + " takes a whole number from 1 to 1000000, got '" + value + "'";
    (option == "--starts"    ? out.options.starts
     : option == "--threads" ? out.options.threads
                             : out.options.maxEvaluations) = static_cast<int32_t>(number);
    return {};
}

} // namespace

std::string ParseFitSpec(const std::string& text, FitParameterSpec& spec) {
    const size_t eq = text.find('=');
    spec.name = text.substr(0, eq);
    if (spec.name.empty()) return "--fit takes NAME or NAME=LOW:HIGH, got '" + text + "'";
    if (eq == std::string::npos) return {};
    const std::string range = text.substr(eq + 1);
    const size_t colon = range.find(':');
    if (colon == std::string::npos || !ParseBound(range.substr(0, colon), -kUnbounded, spec.low) ||
        !ParseBound(range.substr(colon + 1), kUnbounded, spec.high))
        return "--fit takes NAME or NAME=LOW:HIGH, got '" + text + "'";
    if (!(spec.low < spec.high)) return "--fit " + text + ": LOW must be below HIGH";
    return {};
}

std::string ParseFitArguments(std::string_view text, FitArguments& out) {
    out = FitArguments{};
    const std::vector<std::string> words = Words(text);
    for (size_t i = 0; i < words.size(); ++i) {
        const std::string& word = words[i];
        if (word.size() < 2 || word.compare(0, 2, "--") != 0) {
            out.dataFiles.push_back(word);
            continue;
        }
        if (i + 1 >= words.size()) return word + " needs a value";
        const std::string& value = words[++i];
        std::string problem;
        if (word == "--fit") {
            FitParameterSpec spec;
            problem = ParseFitSpec(value, spec);
            out.parameters.push_back(spec);
        } else if (word == "--log") {
            problem = MarkScale(out, value, FitParameterSpec::Scale::Log, word);
        } else if (word == "--linear") {
            problem = MarkScale(out, value, FitParameterSpec::Scale::Linear, word);
        } else if (word == "--method") {
            if (value == "lm")
                out.options.method = FitMethod::LevenbergMarquardt;
            else if (value == "multistart")
                out.options.method = FitMethod::MultiStart;
            else if (value == "ssystem")
                out.options.method = FitMethod::SSystem;
            else
                problem = "--method takes lm, multistart or ssystem";
        } else if (word == "--weights") {
            if (value == "sd")
                out.options.weighting = FitWeighting::StandardDeviations;
            else if (value == "range")
                out.options.weighting = FitWeighting::Range;
            else
                problem = "--weights takes sd or range";
        } else if (word == "--starts" || word == "--threads" || word == "--seed" ||
                   word == "--tol" || word == "--max-evaluations") {
            problem = ApplyNumber(out, word, value);
        } else {
            problem = "unknown option '" + word + "'";
        }
        if (!problem.empty()) return problem;
    }
    if (out.dataFiles.empty()) return "at least one data file is needed";
    if (out.parameters.empty()) return "--fit NAME is needed";
    return {};
}

} // namespace kora
