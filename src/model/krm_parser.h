// The compiled model of one document: statement lists, constants, events,
// postfix code and the evaluator.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "error_display.h"
#include "fused_code.h"
#include "gma_form.h"
#include "line_keywords.h"
#include "locate_memo.h"
#include "model_event.h"
#include "model_functions.h"
#include "name_index.h"

namespace kora {

using TextLines = std::vector<std::string>;

// Evaluator status codes (the solver outcome codes they become).
inline constexpr int kEvalDomain = 3;
inline constexpr int kEvalSingularity = 4;
inline constexpr int kEvalOverflow = 5;
inline constexpr int kEvalUnderflow = 6;
inline constexpr int kEvalTotalLoss = 7;
inline constexpr int kEvalPower = 8;
inline constexpr int kEvalDivision = 9;

// Statement states.
inline constexpr uint8_t kStateUndefined = 0;
inline constexpr uint8_t kStateDefined = 1;
inline constexpr uint8_t kStateReported = 2;
inline constexpr uint8_t kStateEventDropped = 3;

struct Statement {
    std::string name;
    std::string text; // the logical line, comment removed
    bool changed = false;
    int32_t offset = 0;
    int32_t length = 0;
    int32_t start = 0;
    std::vector<int32_t> code;  // compiled right side, ends with word 0; empty when none
    std::vector<int32_t> fused; // the same code with its common runs fused; may be empty
    double value = 0.0;
    double eventTime = 0.0;
    std::string eventTimeName;
    uint8_t state = kStateUndefined;
    int32_t reportIndex = 0;
    int32_t valueIndex = 0; // 0 means none
    int32_t eventGroup = 0; // timed events: the @ line, whose values are computed together
    // A constant that an event triggered by a condition has set: it keeps
    // that value instead of following its definition.
    bool setByEvent = false;
};

// A line ending with ">>" goes on in the next line.
bool ContinuesOnNextLine(const std::string& line);
// Physical line i joined with the lines that ">>" continues it with, cut at
// the first "//": the text of the statement that starts in line i.
std::string LogicalLine(const TextLines& lines, size_t i);

// Names on an "&&" or "!!" line, separated by commas, blanks or tabs.
std::vector<std::string> ListedNames(const Statement& line);

class KRMparser {
public:
    struct TokenRec {
        int32_t kind = 0;
        int32_t index = 0;
        double value = 0.0;
        GMAexpression expr;
        // A model-text error met while computing `value` inside a branch of a
        // conditional: it counts only if that branch is the one chosen.
        int32_t deferred = 0;
        const char* deferredDetail = "";
    };

    // Indexes into predefinedNames.
    enum PredefinedName { kInitialTime, kFinalTime, kReportInterval, kPoints, kTimeVariable, kPi };

    KRMparser(KRMForm* form, ErrorDisplay* errorSink);

    void Clear();
    bool ReadStatements();
    void Build(const TextLines& modelLines);
    bool BuildForm();

    // Kind 0: derivative of dependent variable `index`; else auxiliary `index`.
    // `stack` holds at least stackDepth doubles; nothing is allocated.
    double Evaluate(int kind, int index, double time, const double* dependent,
                    const double* auxiliary, const double* constants, int& error,
                    double* stack) const;

    // The value of equation (kind 0) or definition `index` from its fused
    // code; false when it has none or a value left the range Evaluate
    // accepts, and Evaluate must say why. The caller clears no error record.
    bool EvaluateFused(int kind, size_t index, double time, const double* dependent,
                       const double* auxiliary, const double* constants, double* stack,
                       double& value) const {
        const std::vector<Statement>& list = kind == 0 ? equations : definitions;
        if (index >= list.size() || list[index].fused.empty()) return false;
        return RunFusedCode(list[index].fused.data(), time, dependent, auxiliary, constants, random,
                            stack, value);
    }

    // Every definition and then every equation in one run of the fused
    // system program, into `auxiliary` and `rates`; false when there is no
    // such program or a value left the range Evaluate accepts, and each
    // statement must be evaluated on its own to say why.
    bool EvaluateFusedSystem(double time, const double* dependent, double* auxiliary,
                             const double* constants, double* stack, double* rates) const {
        return !fusedSystem.empty() && RunFusedSystem(fusedSystem.data(), time, dependent,
                                                      auxiliary, constants, random, stack, rates);
    }

    // Runs compiled code (ending with word 0) the same way.
    double EvaluateCode(const int32_t* code, double time, const double* dependent,
                        const double* auxiliary, const double* constants, int& error,
                        double* stack) const;

    bool ApplyEvent(const TextLines& modelLines, bool rebuildForm);
    // Assigns an event's computed values (one per assignment); constants
    // defined from an assigned constant follow it.
    bool AssignEventValues(const ModelEvent& event, const double* values);
    // Constants defined after a changed one from it are computed again.
    bool FollowChangedConstants();
    bool Locate(const TextLines& modelLines, std::string& text, int32_t& offset, int32_t& length,
                bool returnText);

    // Returns 0 on failure, 1 when not constant, 2 when constant.
    int Compile(int mode, const std::string& text, int32_t start, double& value,
                std::vector<int32_t>* code, GMAexpression* expr, bool wantConstancy);
    int32_t NextToken(const std::string& text, int32_t& position, TokenRec& token) const;

    // Number of dependent variables and of reported columns (1 + reported).
    size_t VariableCount() const { return equations.size(); }
    int32_t ReportedColumns() const;
    bool HasErrors() const { return errorSink != nullptr && errorSink->code != 0; }

    // Writes a model-text error into the sink (when there is one).
    void SetError(int32_t code, const std::string& context, const std::string& detail = {});
    // The model lines joined as the offsets count them (each line end is 2).
    std::string WholeText() const;

    const TextLines* lines = nullptr;
    std::vector<std::string> keywords =
        std::vector<std::string>(kModelLineKeywords.begin(), kModelLineKeywords.end());
    std::vector<std::string> predefinedNames{"t0", "tf", "hr", "Npoints", "_time", "_pi"};
    KRMForm* form = nullptr;
    ErrorDisplay* errorSink = nullptr;

    // What Build sets from here on is also what KeptModel keeps and puts
    // back between solves (kept_model.cpp): a new field belongs there too.
    std::vector<Statement> equations;
    std::vector<Statement> constants;
    std::vector<Statement> definitions;
    std::vector<Statement> events;
    std::vector<Statement> keywordLines;
    // "@ [" lines as read, and the events the build compiles from them.
    std::vector<Statement> eventLines;
    std::vector<ModelEvent> stateEvents;
    // Every place the model switches: triggers first, then conditions
    // inside equations and definitions.
    std::vector<ModelSwitch> switchingFunctions;
    size_t triggerSwitches = 0; // how many of them belong to triggers
    // Assignments as read, before the build sorts them into initial values,
    // constants and definitions.
    std::vector<Statement> assignments;
    // The definitions' and equations' code as one fused program; may be empty.
    std::vector<int32_t> fusedSystem;

    uint32_t eventIndex = 0;
    int32_t nIndependent = 0;
    int32_t nParameters = 0;
    uint32_t stackDepth = 0;
    int32_t defaultPoints = 200;
    int32_t nPoints = 200;
    double t0 = 0.0;
    double tf = 1.0;
    double hr = 0.1;
    double tCurrent = 0.0;
    bool backward = false;
    std::string title;
    RandomSource random; // rand[x]; restarted by every build
    // Name and number lookups of the compiler and the build; Clear resets them.
    mutable ModelNameIndexes nameIndexes;
    // What Locate last read, to follow a script's value changes with.
    LocateMemo locateMemo;
};

// The build's step that compiles the "@ [" lines into events.
bool CompileStateEvents(KRMparser& model);
// The build's step that adds the switches inside equations and definitions.
void AddEquationSwitches(KRMparser& model);

} // namespace kora
