// Import of models too large, or with rules too entangled, for libSBML's
// own checks: the same model text as through them, and the same refusals of
// broken references.
#include <gtest/gtest.h>

#include "batch_process.h"
#include "sbml/sbml_exchange.h"

namespace kora::testing {
namespace {

std::string Ci(const std::string& name) {
    return "<ci>" + name + "</ci>";
}

std::string Math(const std::string& content) {
    return "<math xmlns=\"http://www.w3.org/1998/Math/MathML\">" + content + "</math>";
}

// n species in a ring of reactions whose rates call a function, an initial
// assignment for each species, and a chain of n assignment rules listed
// last-first; `extraSpecies` and `extraRules` stand first in their lists.
std::string RingWithRules(int n, const std::string& extraSpecies = {},
                          const std::string& extraRules = {}) {
    std::string xml =
        "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<sbml "
        "xmlns=\"http://www.sbml.org/sbml/level3/version2/core\" level=\"3\" version=\"2\">\n"
        "<model id=\"ring\"><listOfCompartments><compartment id=\"c\" size=\"1\" "
        "constant=\"true\"/></listOfCompartments>\n<listOfFunctionDefinitions>"
        "<functionDefinition id=\"rate\">" +
        Math("<lambda><bvar><ci>a</ci></bvar><bvar><ci>b</ci></bvar><apply><times/>" + Ci("a") +
             Ci("b") + "</apply></lambda>") +
        "</functionDefinition></listOfFunctionDefinitions>\n<listOfSpecies>\n" + extraSpecies;
    for (int i = 0; i < n; ++i)
        xml += "<species id=\"S" + std::to_string(i) +
               "\" compartment=\"c\" initialAmount=\"0\" hasOnlySubstanceUnits=\"true\" "
               "boundaryCondition=\"false\" constant=\"false\"/>\n";
    xml += "</listOfSpecies>\n<listOfParameters><parameter id=\"k\" value=\"0.5\" "
           "constant=\"true\"/>\n";
    for (int i = 0; i < n; ++i)
        xml += "<parameter id=\"P" + std::to_string(i) + "\" constant=\"false\"/>\n";
    xml += "</listOfParameters>\n<listOfInitialAssignments>\n";
    for (int i = 0; i < n; ++i)
        xml += "<initialAssignment symbol=\"S" + std::to_string(i) + "\">" +
               Math("<apply><divide/><cn>" + std::to_string(i + 1) + "</cn><cn>" +
                    std::to_string(n) + "</cn></apply>") +
               "</initialAssignment>\n";
    xml += "</listOfInitialAssignments>\n<listOfRules>\n" + extraRules;
    for (int i = 0; i < n; ++i) {
        const std::string s = Ci("S" + std::to_string(i));
        const std::string math =
            i + 1 < n ? "<apply><plus/>" + Ci("P" + std::to_string(i + 1)) + s + "</apply>" : s;
        xml += "<assignmentRule variable=\"P" + std::to_string(i) + "\">" + Math(math) +
               "</assignmentRule>\n";
    }
    xml += "</listOfRules>\n<listOfReactions>\n";
    for (int i = 0; i < n; ++i) {
        const std::string id = std::to_string(i), next = std::to_string((i + 1) % n);
        xml += "<reaction id=\"R" + id +
               "\" reversible=\"false\"><listOfReactants><speciesReference species=\"S" + id +
               "\" stoichiometry=\"1\" constant=\"true\"/></listOfReactants><listOfProducts>"
               "<speciesReference species=\"S" +
               next + "\" stoichiometry=\"1\" constant=\"true\"/></listOfProducts><kineticLaw>" +
               Math("<apply><ci>rate</ci>" + Ci("k") + Ci("S" + id) + "</apply>") +
               "</kineticLaw></reaction>\n";
    }
    return xml + "</listOfReactions></model></sbml>\n";
}

// The text that the import wrote for RingWithRules(n) when libSBML checked
// every model.
std::string ExpectedText(int n) {
    auto s = [](int i) { return "S" + std::to_string(i); };
    auto p = [](int i) { return "P" + std::to_string(i); };
    std::vector<std::string> lines{"// Converted from the SBML file 'ring.xml' (Level 3 Version 2)",
                                   "NAME ring",
                                   "// Constants",
                                   "c = 1",
                                   "k = 0.5",
                                   "// Equations",
                                   "S0' = -k*S0 + k*" + s(n - 1)};
    for (int i = 1; i < n; ++i)
        lines.push_back(s(i) + "' = k*" + s(i - 1) + " - k*" + s(i));
    lines.push_back("// Initial values");
    for (int i = 0; i < n; ++i)
        lines.push_back(s(i) + " = " + std::to_string(i + 1) + "/" + std::to_string(n));
    lines.push_back("// Auxiliary definitions");
    lines.push_back(p(n - 1) + " = " + s(n - 1));
    for (int i = 0; i < n; ++i)
        lines.push_back("R" + std::to_string(i) + " = k*" + s(i));
    for (int i = n - 2; i >= 0; --i)
        lines.push_back(p(i) + " = " + p(i + 1) + " + " + s(i));
    for (const char* setting : {"// Time settings", "t0 = 0", "tf = 10", "hr = 0.1"})
        lines.push_back(setting);
    std::string text;
    for (const std::string& line : lines)
        text += line + "\r\n";
    return text;
}

class SbmlLargeImport : public TempDirTest {
protected:
    void SetUp() override {
        if (!SbmlAvailable()) GTEST_SKIP() << "built without libSBML";
        TempDirTest::SetUp();
    }

    BatchOutcome Import(const std::string& xml) {
        return RunBatch(dir_, "import " + Quoted(Write("ring.xml", xml)));
    }

    void ExpectRefused(const std::string& xml, const std::string& message) {
        const BatchOutcome refused = Import(xml);
        EXPECT_EQ(refused.exitCode, 1) << message;
        EXPECT_NE(refused.err.find(message), std::string::npos) << refused.err;
        EXPECT_TRUE(refused.out.empty());
    }
};

TEST_F(SbmlLargeImport, GivesTheSameModelAsWhenLibSbmlCheckedIt) {
    // 5,000 species make 25,000 elements; 60 rules in a chain would keep
    // libSBML's check for cycles busy for seconds.
    for (int n : {3, 60, 5000}) {
        const BatchOutcome imported = Import(RingWithRules(n));
        ASSERT_EQ(imported.exitCode, 0) << n << "\n" << imported.err;
        // One line in 5,000 that differs would drown in a full comparison.
        const std::string expected = ExpectedText(n);
        EXPECT_TRUE(imported.out == expected) << n << "\n" << imported.out.substr(0, 400);
    }
}

TEST_F(SbmlLargeImport, BrokenReferencesAreRefusedWithTheirLine) {
    // 1,000 species make 5,000 elements, past what libSBML checks itself.
    const int n = 1000;
    std::string xml = RingWithRules(n);
    const std::string firstProduct = "species=\"S1\" stoichiometry";
    xml.replace(xml.find(firstProduct), firstProduct.size(), "species=\"S99999\" stoichiometry");
    ExpectRefused(xml, "reaction 'R0': the species 'S99999' is not defined");

    const std::string badSpecies = "<species id=\"Y\" compartment=\"nowhere\" initialAmount=\"0\" "
                                   "hasOnlySubstanceUnits=\"true\" boundaryCondition=\"false\" "
                                   "constant=\"false\"/>\n";
    ExpectRefused(RingWithRules(n, badSpecies),
                  "line 6: species 'Y': the compartment 'nowhere' is not defined");
    // A small model whose rules form a long chain is checked the same way.
    ExpectRefused(RingWithRules(60, badSpecies),
                  "line 6: species 'Y': the compartment 'nowhere' is not defined");

    auto rule = [](const std::string& variable, const std::string& math) {
        return "<assignmentRule variable=\"" + variable + "\">" + Math(math) +
               "</assignmentRule>\n";
    };
    ExpectRefused(RingWithRules(n, {}, rule("k", "<cn>1</cn>")), "rule for 'k': 'k' is constant");
    ExpectRefused(RingWithRules(n, {}, rule("S3", "<cn>1</cn>")),
                  "rule for 'S3': the species 'S3' is also changed by reactions");
    ExpectRefused(RingWithRules(n, {}, rule("nothing", "<cn>1</cn>")),
                  "rule for 'nothing': 'nothing' is not defined");
    ExpectRefused(RingWithRules(n, {}, rule("S0", Ci("missing"))), "'missing' is not defined");
    ExpectRefused(RingWithRules(n, {}, rule("S0", "<apply><ci>rate</ci>" + Ci("k") + "</apply>")),
                  "the function 'rate' takes 2 arguments");
}

TEST_F(SbmlLargeImport, CyclesAreRefusedByTheConversion) {
    // P0 uses P1 and so on; P59 using P0 closes the chain.
    std::string xml = RingWithRules(60);
    const std::string last =
        "<assignmentRule variable=\"P59\">" + Math(Ci("S59")) + "</assignmentRule>";
    xml.replace(xml.find(last), last.size(),
                "<assignmentRule variable=\"P59\">" +
                    Math("<apply><plus/>" + Ci("P0") + Ci("S59") + "</apply>") +
                    "</assignmentRule>");
    const BatchOutcome refused = Import(xml);
    EXPECT_NE(refused.exitCode, 0);
    EXPECT_NE(refused.err.find("assignment rule for 'P0': depends on itself"), std::string::npos)
        << refused.err;
}

} // namespace
} // namespace kora::testing
