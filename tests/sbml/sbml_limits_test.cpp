// SBML import and export at their limits: nesting, size, and the model
// texts that export used to get wrong. Time bounds only guard against
// blow-up; the figures are in docs/performance.md.
#include <gtest/gtest.h>

#include <chrono>
#include <cmath>
#include <sstream>

#include "batch_process.h"
#include "sbml/sbml_exchange.h"

namespace kora::testing {
namespace {

const std::string kData = std::string(KORA_TEST_DATA_DIR) + "/";

class SbmlLimits : public TempDirTest {
protected:
    void SetUp() override {
        if (!SbmlAvailable()) GTEST_SKIP() << "built without libSBML";
        TempDirTest::SetUp();
    }

    // The last value of `column` in `run`'s data output.
    static double Last(const BatchOutcome& run, size_t column) {
        std::istringstream in(run.out);
        std::string line, last;
        while (std::getline(in, line))
            if (!line.empty() &&
                (std::isdigit(static_cast<unsigned char>(line[0])) || line[0] == '-'))
                last = line;
        std::istringstream cells(last);
        double value = NAN;
        for (size_t i = 0; i <= column; ++i)
            cells >> value;
        return value;
    }

    // Exports `text`, imports the export, and runs both.
    void ExpectSameEndAfterExportAndImport(const std::string& text, size_t column) {
        const auto model = Write("model.krm", text);
        const auto xml = dir_ / "model.xml", back = dir_ / "back.krm";
        const BatchOutcome exported =
            RunBatch(dir_, "export " + Quoted(model) + " -o " + Quoted(xml));
        ASSERT_EQ(exported.exitCode, 0) << exported.err;
        const BatchOutcome imported =
            RunBatch(dir_, "import " + Quoted(xml) + " -o " + Quoted(back));
        ASSERT_EQ(imported.exitCode, 0) << imported.err;
        const BatchOutcome original = RunBatch(dir_, "run " + Quoted(model) + " --tol 10");
        const BatchOutcome again = RunBatch(dir_, "run " + Quoted(back) + " --tol 10");
        ASSERT_EQ(original.exitCode, 0) << original.err;
        ASSERT_EQ(again.exitCode, 0) << again.err << "\n" << ReadAll(back);
        EXPECT_NEAR(Last(again, column), Last(original, column), 1e-6) << ReadAll(back);
    }
};

double Seconds(std::chrono::steady_clock::time_point since) {
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - since).count();
}

TEST_F(SbmlLimits, NestingBeyondTheLimitIsRefusedBeforeAnyRecursion) {
    const BatchOutcome deepMath =
        RunBatch(dir_, "import " + Quoted(kData + "sbml/deep_math_l3.xml"));
    EXPECT_EQ(deepMath.exitCode, 1);
    EXPECT_NE(deepMath.err.find("math nested more than 1000 levels deep"), std::string::npos)
        << deepMath.err;

    const BatchOutcome deepText = RunBatch(dir_, "export " + Quoted(kData + "deep_expression.krm"));
    EXPECT_EQ(deepText.exitCode, 1);
    EXPECT_NE(deepText.err.find("1000"), std::string::npos) << deepText.err;
    EXPECT_TRUE(deepText.out.empty());

    // 900 levels are well inside: exported and read back.
    std::string nested = "X";
    for (int i = 0; i < 899; ++i)
        nested = "abs[" + nested + "]";
    ExpectSameEndAfterExportAndImport("X = 1\r\nX' = -" + nested + "\r\ntf = 1\r\n", 1);
}

// 2,000 species in 2,000 reactions took 9 s before on a loaded machine
// (linear look-ups per element); 1,000 exported variables took 15 s with the
// unit checks on a normal one.
TEST_F(SbmlLimits, LargeModelsConvertInTimeThatGrowsWithTheirSize) {
    std::string species, reactions;
    const int n = 2000;
    for (int i = 0; i < n; ++i) {
        const std::string id = "S" + std::to_string(i);
        species += "<species id=\"" + id +
                   "\" compartment=\"c\" initialAmount=\"1\" hasOnlySubstanceUnits=\"true\" "
                   "boundaryCondition=\"false\" constant=\"false\"/>\n";
        reactions += "<reaction id=\"R" + std::to_string(i) +
                     "\" reversible=\"false\"><listOfReactants><speciesReference species=\"" + id +
                     "\" stoichiometry=\"1\" constant=\"true\"/></listOfReactants><kineticLaw>"
                     "<math xmlns=\"http://www.w3.org/1998/Math/MathML\"><apply><times/><ci>k</ci>"
                     "<ci>" +
                     id + "</ci></apply></math></kineticLaw></reaction>\n";
    }
    const auto xml =
        Write("large.xml",
              "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<sbml "
              "xmlns=\"http://www.sbml.org/sbml/level3/version2/core\" level=\"3\" version=\"2\">\n"
              "<model id=\"large\"><listOfCompartments><compartment id=\"c\" size=\"1\" "
              "constant=\"true\"/></listOfCompartments>\n<listOfSpecies>\n" +
                  species +
                  "</listOfSpecies>\n<listOfParameters><parameter id=\"k\" value=\"0.5\" "
                  "constant=\"true\"/></listOfParameters>\n<listOfReactions>\n" +
                  reactions + "</listOfReactions></model></sbml>\n");
    const auto model = dir_ / "large.krm";
    auto start = std::chrono::steady_clock::now();
    const BatchOutcome imported = RunBatch(dir_, "import " + Quoted(xml) + " -o " + Quoted(model));
    ASSERT_EQ(imported.exitCode, 0) << imported.err;
    EXPECT_LT(Seconds(start), 60.0);

    std::string text = "k = 0.5\r\n";
    for (int i = 0; i < 1000; ++i) {
        const std::string x = "X" + std::to_string(i);
        text += x + "' = -k*" + x + "\r\n" + x + " = 1\r\n";
    }
    const auto large = Write("export.krm", text);
    start = std::chrono::steady_clock::now();
    const BatchOutcome exported = RunBatch(dir_, "export " + Quoted(large));
    ASSERT_EQ(exported.exitCode, 0) << exported.err;
    EXPECT_LT(Seconds(start), 60.0);
}

// Each of these changed meaning or failed between export and import.
TEST_F(SbmlLimits, ExportKeepsTheMeaningOfEveryKindOfStatement) {
    // A constant defined from one that a timed assignment changes follows it.
    ExpectSameEndAfterExportAndImport(
        "k = 1\r\nk2 = 2*k\r\nX' = k2 - 0.3*X\r\nX = 1\r\n@ 5 k = 3\r\ntf = 10\r\n", 1);
    // A span of no length.
    ExpectSameEndAfterExportAndImport("X' = -X\r\nX = 2\r\nt0 = 3\r\ntf = 3\r\n", 1);
    // Conditions, functions and events triggered by conditions, with options.
    ExpectSameEndAfterExportAndImport(
        "k = 1\r\nX' = k*piecewise[1, X < 2, 0.5] - 0.1*X + max[0, sinh[_time - 8]]\r\nX = 0\r\n"
        "@ [X > 1.5; delay = 0.5; priority = 2] k = 3, X = X/2\r\n"
        "@ [and[_time >= 4, X < 5]; values = fire; persistent = no] k = k + log[2, 8]\r\n"
        "tf = 10\r\n",
        1);
    // Names that the export uses for its own elements.
    ExpectSameEndAfterExportAndImport(
        "model = 2\r\ncompartment = 3\r\nX' = model - compartment*X\r\nX = 1\r\n", 1);
}

} // namespace
} // namespace kora::testing
