// SBML import and export through kora-batch, the way a user meets them.
#include <gtest/gtest.h>

#include <cmath>
#include <map>
#include <sstream>

#include "batch_process.h"
#include "model/model_text.h"
#include "sbml/sbml_exchange.h"

namespace kora::testing {
namespace {

const std::string kData = std::string(KORA_TEST_DATA_DIR) + "/sbml/";

using Columns = std::map<std::string, std::vector<double>>;

// The data block of a results file, by column title.
Columns ReadColumns(const std::string& text) {
    std::istringstream in(text);
    std::string line;
    while (std::getline(in, line) && line.rfind("[Data]", 0) != 0) {
    }
    std::vector<std::string> titles;
    Columns columns;
    while (std::getline(in, line)) {
        std::istringstream cells(line);
        std::string cell;
        for (size_t i = 0; std::getline(cells, cell, '\t'); ++i) {
            if (titles.size() <= i)
                titles.push_back(cell);
            else if (!cell.empty() && cell != "\r")
                columns[titles[i]].push_back(std::stod(cell));
        }
        if (line.empty()) break;
    }
    return columns;
}

class SbmlExchange : public TempDirTest {
protected:
    void SetUp() override {
        if (!SbmlAvailable()) GTEST_SKIP() << "built without libSBML";
        TempDirTest::SetUp();
    }

    // Imports `xml` into a model file and solves it.
    Columns ImportAndRun(const std::string& xml, const std::string& method = "lsoda") {
        const auto model = dir_ / "imported.krm";
        BatchOutcome imported = RunBatch(dir_, "import " + Quoted(xml) + " -o " + Quoted(model));
        EXPECT_EQ(imported.exitCode, 0) << imported.err;
        return Run(model, method);
    }

    Columns Run(const std::filesystem::path& model, const std::string& method = "lsoda") {
        const auto results = dir_ / "run.res";
        BatchOutcome run = RunBatch(dir_, "run " + Quoted(model) + " --method " + method +
                                              " --tol 10 -o " + Quoted(results));
        EXPECT_EQ(run.exitCode, 0) << run.err;
        return ReadColumns(ReadAll(results));
    }

    std::string ImportText(const std::string& xml) {
        BatchOutcome imported = RunBatch(dir_, "import " + Quoted(xml));
        EXPECT_EQ(imported.exitCode, 0) << imported.err;
        return imported.out;
    }
};

// A -> 2B (concentration A, amount B, in a compartment of size 2), B -> C
// with a local rate constant: the closed-form solution, to the seven digits
// a results file holds.
TEST_F(SbmlExchange, MassActionMatchesTheClosedFormWithBothMethods) {
    for (const char* method : {"lsoda", "taylor"}) {
        Columns c = ImportAndRun(kData + "mass_action_l3.xml", method);
        ASSERT_EQ(c["t"].size(), 101u) << method;
        for (size_t i = 0; i < c["t"].size(); ++i) {
            const double t = c["t"][i], a = std::exp(-0.5 * t), b3 = std::exp(-0.3 * t);
            const double b = 10 * (b3 - a) + 0.5 * b3;
            const double cc =
                0.25 + 0.15 * (10 * ((1 - b3) / 0.3 - (1 - a) / 0.5) + 0.5 * (1 - b3) / 0.3);
            EXPECT_NEAR(c["A"][i], a, 1e-6 * (1 + a)) << method << " t=" << t;
            EXPECT_NEAR(c["B"][i], b, 1e-6 * (1 + b)) << method << " t=" << t;
            EXPECT_NEAR(c["C"][i], cc, 1e-6 * (1 + cc)) << method << " t=" << t;
        }
    }
}

TEST_F(SbmlExchange, RulesFunctionsAndMathAreWrittenInTheModelLanguage) {
    const std::string text = ImportText(kData + "rules_functions_l2.xml");
    for (const char* line :
         {"(Level 2 Version 4)", "NAME Rules and functions", "bad = 3", "x_tf = 4", "x_NAMEd = 5",
          "x' = bad*x_tf*x_NAMEd - x", "x = k*3", "S' = -k*S/c", "early = x + S^2/(1 + S^2)",
          "mix = exp[-_time] + ln[2] + log[100] + sqrt[k] + abs[-1] + sin[_pi] + cos[0] + "
          "atan[1] + floor[2.5] + exp[1] + 2^3^2 + 2^(3^2) + (-k^2) + (-k)^2 + 1/(k*k) + "
          "1 - (k - 1)"})
        EXPECT_NE(text.find(line), std::string::npos) << line << "\n" << text;
    // Each definition uses only definitions above it.
    EXPECT_LT(text.find("early ="), text.find("late = early*2"));
    Columns c = ImportAndRun(kData + "rules_functions_l2.xml");
    EXPECT_NEAR(c["mix"][0], 588.8610407347895, 1e-3); // seven digits are written
}

TEST_F(SbmlExchange, TimedEventsConversionFactorsAndReactionRates) {
    const std::string text = ImportText(kData + "events_factor_l3.xml");
    for (const char* line :
         {"Src = 4", "P' = k*Src*g", "Q' = k*Src*f", "R = k*Src", "flux = R",
          "@ [_time > tev; initial = false] k = 0", "@ [_time >= 2*tev; initial = false] Q = g"})
        EXPECT_NE(text.find(line), std::string::npos) << line << "\n" << text;
    Columns c = ImportAndRun(kData + "events_factor_l3.xml");
    EXPECT_NEAR(c["P"].back(), 24, 1e-6);
    EXPECT_NEAR(c["Q"].back(), 3, 1e-6);
}

// A growing compartment (amount held, concentration derived), a conservation
// relation solved for its free species, a stoichiometry set by an initial
// assignment and changed by an event, an event at the start, two events at
// one time ordered by priority, an initial assignment that reads a species.
TEST_F(SbmlExchange, QuantitiesSetByRulesEventsAndSizesKeepTheirMeaning) {
    const auto model = dir_ / "converted.krm";
    BatchOutcome imported =
        RunBatch(dir_, "import " + Quoted(kData + "converted_l3.xml") + " -o " + Quoted(model));
    ASSERT_EQ(imported.exitCode, 0) << imported.err;
    const std::string text = ReadAll(model);
    for (const char* line :
         {"A = A_amount/V", "@ [_time >= 5; priority = 2; initial = false] r = 1", "P' = n*1"})
        EXPECT_NE(text.find(line), std::string::npos) << line << "\n" << text;
    Write("converted.krm", text + "!! A, C, P, V, q, r, s0\r\n");
    Columns c = Run(model);
    ASSERT_GE(c["t"].size(), 101u);
    for (size_t i = 0; i < c["t"].size(); ++i) {
        const double t = c["t"][i];
        const double a = std::exp(-0.2 * t) / (1 + 0.1 * t);
        EXPECT_NEAR(c["A"][i], a, 1e-6) << t;
        EXPECT_NEAR(c["C"][i], 5 - a, 1e-6) << t;
        EXPECT_NEAR(c["P"][i], t <= 2 ? t : 2 + 3 * (t - 2), 1e-6) << t;
    }
    EXPECT_EQ(c["q"][1], 7); // the event at the start has fired
    EXPECT_EQ(c["q"].back(), 7);
    EXPECT_EQ(c["r"].back(), 2);
    EXPECT_EQ(c["s0"].front(), 2);
}

// rateOf of a species, a rate-ruled parameter, a constant and a local
// parameter, also at the start; every reaction rate kept by name; two
// events of one priority that touch different quantities.
TEST_F(SbmlExchange, RatesOfChangeReactionRatesAndIndependentEventsOfOnePriority) {
    const auto model = dir_ / "rates.krm";
    BatchOutcome imported = RunBatch(dir_, "import " + Quoted(kData + "rates_priorities_l3.xml") +
                                               " -o " + Quoted(model));
    ASSERT_EQ(imported.exitCode, 0) << imported.err;
    const std::string text = ReadAll(model);
    for (const char* line : {"R1 = cell*k1*A", "R2 = B*(0.5 + 0)", "dA = (-1*R1)/cell",
                             "dB = -2*R2", "dp = 3", "dk = 0"})
        EXPECT_NE(text.find(line), std::string::npos) << line << "\n" << text;
    Write("rates.krm", text + "!! A, B, R1, R2, dA, dB, dp, dk, start, q1, q2\r\n");
    Columns c = Run(model);
    ASSERT_GE(c["t"].size(), 101u);
    for (size_t i = 0; i < c["t"].size(); ++i) {
        const double t = c["t"][i], a = std::exp(-0.5 * t), b = 4 * std::exp(-t);
        EXPECT_NEAR(c["dA"][i], -0.5 * a, 1e-6) << t;
        EXPECT_NEAR(c["dB"][i], -b, 1e-6) << t;
        EXPECT_NEAR(c["R1"][i], a, 1e-6) << t;
        EXPECT_NEAR(c["R2"][i], 0.5 * b, 1e-6) << t;
        EXPECT_EQ(c["dp"][i], 3);
        EXPECT_EQ(c["dk"][i], 0);
        EXPECT_EQ(c["start"][i], -0.5);
    }
    EXPECT_EQ(c["q1"].back(), 1);
    EXPECT_EQ(c["q2"].back(), 2);
}

// Events of one priority setting the same quantity would end in a random
// order; a rate in a compartment that grows is not held by the model; a
// delay is named as such whatever its csymbol says.
TEST_F(SbmlExchange, EventsWhoseOrderMattersAndRatesNotHeldAreRefused) {
    BatchOutcome refused = RunBatch(dir_, "import " + Quoted(kData + "refused_order_l3.xml"));
    EXPECT_EQ(refused.exitCode, 1);
    for (const char* why : {"rule for 'dw': the rate of 'S', in a compartment whose size changes",
                            "event 'second': has the priority of event 'first'",
                            "rule for 'z': 'delay' cannot be expressed"})
        EXPECT_NE(refused.err.find(why), std::string::npos) << why << "\n" << refused.err;
    EXPECT_EQ(refused.err.find("  event 'first':"), std::string::npos) << refused.err;
}

// A submodel defined in another file is found beside the importing one.
TEST_F(SbmlExchange, ExternalSubmodelsAreReadFromBesideTheFile) {
    const std::string math = "<math xmlns=\"http://www.w3.org/1998/Math/MathML\">";
    Write("inner.xml", "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
                       "<sbml xmlns=\"http://www.sbml.org/sbml/level3/version1/core\" level=\"3\" "
                       "version=\"1\"><model id=\"decay\"><listOfParameters>"
                       "<parameter id=\"x\" value=\"2\" constant=\"false\"/></listOfParameters>"
                       "<listOfRules><rateRule variable=\"x\">" +
                           math +
                           "<apply><minus/><ci>x</ci></apply></math></rateRule></listOfRules>"
                           "</model></sbml>\n");
    const auto outer = Write(
        "outer model.xml",
        "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
        "<sbml xmlns=\"http://www.sbml.org/sbml/level3/version1/core\" "
        "xmlns:comp=\"http://www.sbml.org/sbml/level3/version1/comp/version1\" level=\"3\" "
        "version=\"1\" comp:required=\"true\"><model id=\"outer\"><comp:listOfSubmodels>"
        "<comp:submodel comp:id=\"A\" comp:modelRef=\"inner\"/></comp:listOfSubmodels></model>"
        "<comp:listOfExternalModelDefinitions><comp:externalModelDefinition comp:id=\"inner\" "
        "comp:source=\"inner.xml\" comp:modelRef=\"decay\"/>"
        "</comp:listOfExternalModelDefinitions></sbml>\n");
    const std::string text = ImportText(outer.string());
    EXPECT_NE(text.find("A__x' = -A__x"), std::string::npos) << text;
    EXPECT_NE(text.find("A__x = 2"), std::string::npos) << text;
}

TEST_F(SbmlExchange, EveryInexpressibleElementIsListedAndNothingWritten) {
    const auto out = dir_ / "out.krm";
    BatchOutcome refused =
        RunBatch(dir_, "import " + Quoted(kData + "refused_l3.xml") + " -o " + Quoted(out));
    EXPECT_EQ(refused.exitCode, 1);
    for (const char* id : {"'alg'", "'Rdelay'", "'Rfast'"})
        EXPECT_NE(refused.err.find(id), std::string::npos) << id << "\n" << refused.err;
    EXPECT_FALSE(std::filesystem::exists(out));

    BatchOutcome package = RunBatch(dir_, "import " + Quoted(kData + "package_l3.xml"));
    EXPECT_EQ(package.exitCode, 1);
    EXPECT_NE(package.err.find("package 'fbc'"), std::string::npos) << package.err;
    EXPECT_TRUE(package.out.empty());

    BatchOutcome invalid = RunBatch(dir_, "import " + Quoted(kData + "invalid_l2.xml"));
    EXPECT_EQ(invalid.exitCode, 1);
    EXPECT_NE(invalid.err.find("line 6: "), std::string::npos) << invalid.err;
    EXPECT_NE(invalid.err.find("'nowhere'"), std::string::npos) << invalid.err;
}

TEST_F(SbmlExchange, TheShippedExamplesAreTheConversionsOfTheirSources) {
    for (const char* name : {"enzyme_mass_action", "predator_prey"}) {
        const std::string base = std::string(KORA_EXAMPLES_DIR) + "/sbml/" + name;
        EXPECT_EQ(ImportText(base + ".xml"), ReadAll(base + ".krm")) << name;
    }
}

// Export passes libSBML's checks, and import gives back the same time course.
TEST_F(SbmlExchange, ExportThenImportKeepsTheTimeCourse) {
    const std::string models[] = {
        std::string(KORA_EXAMPLES_DIR) + "/two_step_pathway.krm",
        std::string(KORA_EXAMPLES_DIR) + "/feedback_s_system.krm",
        Write("events.krm", "NAME events\r\nk = 1\r\nX' = k*(1 + 0.1*sin[_time]) - X^0.5\r\n"
                            "X = 1\r\nrate = sqrt[X]*abs[k] + ln[X + 1] - log[2]\r\n"
                            "@ 3 k = 2\r\n@ 6 X = 4\r\nt0 = 0\r\ntf = 8\r\nhr = 0.5\r\n")
            .string()};
    for (const std::string& model : models) {
        TextLines lines;
        ASSERT_EQ(ReadTextLines(model, lines), TextReadStatus::Ok) << model;
        std::string xml;
        std::vector<std::string> problems;
        ASSERT_EQ(ExportSbml(lines, xml, problems), SbmlStatus::Ok) << model;
        EXPECT_TRUE(SbmlTextErrors(xml).empty()) << model << "\n" << SbmlTextErrors(xml)[0];

        const auto exported = dir_ / "exported.xml";
        BatchOutcome written =
            RunBatch(dir_, "export " + Quoted(model) + " -o " + Quoted(exported));
        ASSERT_EQ(written.exitCode, 0) << written.err;
        const Columns original = Run(model);
        const Columns back = ImportAndRun(exported.string());
        for (const auto& [title, values] : original) {
            ASSERT_EQ(back.count(title), 1u) << model << " " << title;
            ASSERT_EQ(back.at(title).size(), values.size()) << model << " " << title;
            for (size_t i = 0; i < values.size(); ++i)
                EXPECT_NEAR(back.at(title)[i], values[i], 1e-6 * (1 + std::fabs(values[i])))
                    << model << " " << title << " row " << i;
        }
    }
}

TEST_F(SbmlExchange, ConditionsAreWrittenAsPiecewiseAndRelations) {
    const TextLines lines{"X' = if[X > 1, -X, 1] + piecewise[2, and[X < 0, _time >= 2], 0]",
                          "X = 0.5", "tf = 4"};
    std::string xml;
    std::vector<std::string> problems;
    ASSERT_EQ(ExportSbml(lines, xml, problems), SbmlStatus::Ok)
        << (problems.empty() ? "" : problems[0]);
    EXPECT_TRUE(SbmlTextErrors(xml).empty()) << SbmlTextErrors(xml)[0];
    for (const char* element : {"<piecewise>", "<gt/>", "<lt/>", "<geq/>", "<and/>", "<otherwise>"})
        EXPECT_NE(xml.find(element), std::string::npos) << element;
}

TEST_F(SbmlExchange, TheNewerFunctionsAreWrittenAsMathML) {
    const TextLines lines{"X' = min[X, 2, 3] - root[3, X] + log[2, X] + arccot[X] + "
                          "quotient[7, 2] + factorial[3] + implies[X > 1, X < 2]",
                          "X = 0.5", "tf = 1"};
    std::string xml;
    std::vector<std::string> problems;
    ASSERT_EQ(ExportSbml(lines, xml, problems), SbmlStatus::Ok)
        << (problems.empty() ? "" : problems[0]);
    for (const char* element : {"<min/>", "<degree>", "<logbase>", "<arccot/>", "<quotient/>",
                                "<factorial/>", "<implies/>"})
        EXPECT_NE(xml.find(element), std::string::npos) << element;
}

} // namespace
} // namespace kora::testing
