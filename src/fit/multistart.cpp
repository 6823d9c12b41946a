#include "multistart.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <memory>
#include <mutex>
#include <thread>

namespace kora {

namespace {

// splitmix64: a generator whose sequence is fixed by its definition, so
// that a seed gives the same starts on every platform.
class StartGenerator {
public:
    explicit StartGenerator(uint64_t seed) : state_(seed) {}
    uint64_t Next() {
        uint64_t z = (state_ += 0x9e3779b97f4a7c15ULL);
        z = (z ^ (z >> 30)) * 0xbf58476d1ce4e5b9ULL;
        z = (z ^ (z >> 27)) * 0x94d049bb133111ebULL;
        return z ^ (z >> 31);
    }
    double Uniform() { return static_cast<double>(Next() >> 11) * 0x1.0p-53; }

private:
    uint64_t state_;
};

// A LocalFit is better when its objective is smaller; a failed one never is.
bool Better(const LocalFit& a, const LocalFit& b) {
    if (!a.solvable || std::isnan(a.objective)) return false;
    if (!b.solvable || std::isnan(b.objective)) return true;
    return a.objective < b.objective;
}

} // namespace

std::vector<std::vector<double>> LatinHypercube(const std::vector<ParameterScale>& scales,
                                                int32_t starts, uint64_t seed) {
    StartGenerator generator(seed);
    const size_t n = scales.size();
    std::vector<std::vector<double>> points(starts, std::vector<double>(n, 0.0));
    std::vector<int32_t> strata(starts);
    for (size_t p = 0; p < n; ++p) {
        for (int32_t k = 0; k < starts; ++k)
            strata[k] = k;
        for (int32_t k = starts - 1; k > 0; --k)
            std::swap(strata[k], strata[generator.Next() % static_cast<uint64_t>(k + 1)]);
        const ParameterScale& scale = scales[p];
        const bool log = scale.logScale();
        const double a = log ? std::log(scale.low()) : scale.low();
        const double b = log ? std::log(scale.high()) : scale.high();
        for (int32_t k = 0; k < starts; ++k) {
            const double s = a + (b - a) * (strata[k] + generator.Uniform()) / starts;
            points[k][p] = scale.Clamp(log ? std::exp(s) : s);
        }
    }
    return points;
}

MultiStartOutcome RunMultiStart(const FitRequest& request, const FitObjective& prepared,
                                const std::atomic<bool>* stop,
                                const FitProgressCallback& progress) {
    std::vector<std::vector<double>> starts =
        LatinHypercube(prepared.scales(), request.options.starts, request.options.seed);
    starts.insert(starts.begin(), prepared.starts());
    const int32_t total = static_cast<int32_t>(starts.size());
    std::vector<LocalFit> fits(starts.size());
    std::vector<bool> done(starts.size(), false);

    unsigned threads = request.options.threads > 0
                           ? static_cast<unsigned>(request.options.threads)
                           : std::max(1u, std::thread::hardware_concurrency());
    threads = std::min<unsigned>(threads, static_cast<unsigned>(total));
    std::atomic<int32_t> next{0};
    std::mutex mutex;
    MultiStartOutcome outcome;
    FitProgress shown{0, total, std::numeric_limits<double>::infinity()};

    auto worker = [&]() {
        FitObjective objective;
        const std::string problem =
            objective.Prepare(request.model, request.data, request.parameters, request.options);
        if (!problem.empty()) {
            std::lock_guard<std::mutex> lock(mutex);
            outcome.message = problem;
            return;
        }
        for (;;) {
            if (stop != nullptr && stop->load(std::memory_order_relaxed)) return;
            const int32_t index = next.fetch_add(1);
            if (index >= total) return;
            LocalFit fit =
                RunLocalFit(objective, starts[index], request.options.maxEvaluations, stop);
            std::lock_guard<std::mutex> lock(mutex);
            fits[index] = std::move(fit);
            done[index] = true;
            ++shown.startsDone;
            if (fits[index].solvable)
                shown.bestObjective = std::min(shown.bestObjective, fits[index].objective);
            if (progress) progress(shown);
        }
    };
    std::vector<std::thread> pool;
    for (unsigned t = 1; t < threads; ++t)
        pool.emplace_back(worker);
    worker();
    for (std::thread& thread : pool)
        thread.join();

    // The lowest objective wins, the earlier start on a tie.
    bool any = false;
    for (size_t k = 0; k < fits.size(); ++k) {
        if (!done[k]) continue;
        ++outcome.startsDone;
        outcome.evaluations += fits[k].evaluations;
        if (!any || Better(fits[k], outcome.best)) {
            outcome.best = fits[k];
            any = true;
        }
    }
    return outcome;
}

} // namespace kora
