// A short solve with both methods. The run is declined when it would report
// many values, and stopped after a bounded number of slices, so that a slow
// model is a short input rather than a hang.
#include "fuzz_input.h"
#include "model/krm_parser.h"
#include "model/run_size.h"
#include "solve/run_driver.h"

namespace {

constexpr int64_t kMaxValues = 20'000;
constexpr int kMaxSlices = 2'000;
constexpr int kMaxSegments = 50;

void SolveBriefly(const kora::TextLines& lines, kora::SolverMethod method) {
    using namespace kora;
    KRMForm form;
    ErrorDisplay sink;
    KRMparser model(&form, &sink);
    RunDriver driver(model, form, sink);
    RunConfiguration configuration;
    configuration.method = method;
    const auto small = [](const KRMparser& built) {
        return ExpectedRunSize(built).values <= kMaxValues;
    };
    if (driver.Start(lines, configuration, small)) {
        int slices = 0;
        int segments = 0;
        do {
            while (!driver.SegmentFinished())
                driver.Slice(++slices > kMaxSlices);
        } while (++segments < kMaxSegments && driver.ContinueAfterEvent());
    }
    driver.Finish();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    using namespace kora;
    if (fuzz::TooLarge(size)) return -1;
    const TextLines lines = fuzz::ModelLinesOf(fuzz::AsText(data, size));
    SolveBriefly(lines, SolverMethod::Lsoda);
    SolveBriefly(lines, SolverMethod::Taylor);
    return 0;
}
