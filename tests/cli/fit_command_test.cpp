// kora-batch fit end to end: the printed result, JSON, the fitted model copy
// and the exit codes.
#include <gtest/gtest.h>

#include <filesystem>

#include "batch_process.h"

namespace {

using kora::testing::Quoted;
using kora::testing::ReadAll;

class FitBatch : public kora::testing::BatchTest {
protected:
    const std::string folder_ = std::string(KORA_EXAMPLES_DIR) + "/fit/";
    const std::string model_ = Quoted(folder_ + "alpha_pinene.krm");
    const std::string data_ = Quoted(folder_ + "alpha_pinene.csv");
    const std::string rates_ = " --fit k1 --fit k2 --fit k3 --fit k4 --fit k5";
};

TEST_F(FitBatch, FitsAndWritesJsonAndAFittedModelCopy) {
    const auto json = dir_ / "fit.json";
    const auto fitted = dir_ / "fitted.krm";
    const std::string before = ReadAll(folder_ + "alpha_pinene.krm");
    const auto ok = Batch("fit " + model_ + " " + data_ + rates_ + " --json " + Quoted(json) +
                          " -o " + Quoted(fitted));
    EXPECT_EQ(ok.exitCode, 0) << ok.err;
    EXPECT_NE(ok.out.find("converged: yes"), std::string::npos) << ok.out;
    EXPECT_NE(ok.out.find("ssr 19.87216"), std::string::npos) << ok.out;
    const std::string text = ReadAll(json);
    for (const char* key :
         {"{\"objective\":", "\"ssr\":19.87216", "\"chi2\":", "\"aic\":", "\"bic\":",
          "\"evaluations\":", "\"converged\":true", "\"parameters\":{\"k1\":{\"value\":5.925",
          "\"se\":", "\"low\":null", "\"high\":null", "\"correlation\":[[1,"})
        EXPECT_NE(text.find(key), std::string::npos) << key << " in " << text;
    const std::string copy = ReadAll(fitted);
    EXPECT_NE(copy.find("k1 = 5.925"), std::string::npos) << copy;
    EXPECT_NE(copy.find("y1' = -(k1 + k2) * y1\r\n"), std::string::npos);
    EXPECT_EQ(ReadAll(folder_ + "alpha_pinene.krm"), before); // the model is unchanged
    // The copy fits again at once to the same optimum.
    const auto again = Batch("fit " + Quoted(fitted) + " " + data_ + rates_);
    EXPECT_EQ(again.exitCode, 0);
    EXPECT_NE(again.out.find("ssr 19.87216"), std::string::npos) << again.out;
}

TEST_F(FitBatch, ExitsTwoWhenTheFitDoesNotConverge) {
    const auto out = Batch("fit " + model_ + " " + data_ + rates_ + " --max-evaluations 8");
    EXPECT_EQ(out.exitCode, 2);
    EXPECT_NE(out.out.find("converged: no"), std::string::npos);
}

TEST_F(FitBatch, RefusesBadOptionsWithUsageCode) {
    for (const std::string& arguments :
         {"fit " + model_ + rates_,                             // no data file
          "fit " + model_ + " " + data_,                        // nothing to fit
          "fit " + model_ + " " + data_ + " --fit k1=2:1",      // empty bounds
          "fit " + model_ + " " + data_ + " --fit k1=a:b",      // not numbers
          "fit " + model_ + " " + data_ + " --fit k1 --log k2", // not fitted
          "fit " + model_ + " " + data_ + rates_ + " --method newton",
          "fit " + model_ + " " + data_ + rates_ + " --starts 0",
          "fit " + model_ + " " + data_ + rates_ + " --weights none",
          "fit " + model_ + " " + data_ + rates_ + " --json " + model_}) {
        const auto out = Batch(arguments);
        EXPECT_EQ(out.exitCode, 64) << arguments << "\n" << out.err;
        EXPECT_FALSE(out.err.empty());
    }
}

TEST_F(FitBatch, RefusesBadDataAndModelsWithCodeOne) {
    const auto bad = Write("bad.csv", "t,y1\n1230,88.35\n3060,x\n");
    const auto data = Batch("fit " + model_ + " " + Quoted(bad) + rates_);
    EXPECT_EQ(data.exitCode, 1);
    EXPECT_NE(data.err.find("bad.csv:3:6: error: 'x' is not a number"), std::string::npos)
        << data.err;
    const auto broken = Write("broken.krm", "X' = -k *\nX = 1\n");
    EXPECT_EQ(Batch("fit " + Quoted(broken) + " " + data_ + " --fit k").exitCode, 1);
    EXPECT_EQ(Batch("fit " + model_ + " " + data_ + " --fit nothing").exitCode, 1);
    EXPECT_EQ(Batch("fit " + model_ + " " + Quoted(dir_ / "missing.csv") + rates_).exitCode, 66);
}

} // namespace

namespace {

class ScriptFit : public kora::testing::BatchTest {
protected:
    std::string Model(const std::string& script) {
        const std::string folder = std::string(KORA_EXAMPLES_DIR) + "/fit/";
        Write("alpha_pinene.csv", ReadAll(folder + "alpha_pinene.csv"));
        return Quoted(Write("m.krm", ReadAll(folder + "alpha_pinene.krm") + "SCRIPT\n" + script +
                                         "END SCRIPT\n"));
    }
};

// The fitted values stand in the model for the next solve; WRITE reads them
// and the fit's figures.
TEST_F(ScriptFit, AppliesFittedValuesAndOffersFiguresToWrite) {
    const auto out = Batch("run " + Model("FIT alpha_pinene.csv --fit k1 --fit k2 --fit k3 "
                                          "--fit k4 --fit k5\n"
                                          "W :SSR; \" \"; k1; \" \"; :CONVERGED; \" \"; :se(k4)\n"
                                          "RUN\nW y2@LAST\n"));
    EXPECT_EQ(out.exitCode, 0) << out.err;
    EXPECT_NE(out.out.find("19.87217 5.92585e-05 1 2.32"), std::string::npos) << out.out;
    EXPECT_NE(out.out.find("\n64.0456"), std::string::npos) << out.out; // fitted y2 at the end
}

TEST_F(ScriptFit, ABadFitEndsTheScriptWithAWarning) {
    const auto out = Batch("run " + Model("FIT missing.csv --fit k1\nW \"after\"\n"));
    EXPECT_EQ(out.exitCode, 1);
    EXPECT_NE(out.err.find("Could not fit"), std::string::npos) << out.err;
    EXPECT_NE(out.err.find("missing.csv: error: cannot read the file"), std::string::npos);
    EXPECT_EQ(out.out.find("after"), std::string::npos);
    EXPECT_EQ(Batch("run " + Model("FIT alpha_pinene.csv --fit k1 --method newton\n")).exitCode, 1);
}

} // namespace
