// Construction, clearing and the reading of model lines into statements.
#include "krm_parser.h"

#include "common/text_trim.h"
#include "event_text.h"
#include "lexical.h"

namespace kora {
namespace {

// Keyword positions in KRMparser::keywords.
constexpr size_t kNameKeyword = 3;
constexpr size_t kTildeKeyword = 4;

bool EndsWithContinuationAt(const std::string& text, size_t& at) {
    size_t last = text.find_last_not_of(" \t");
    if (last == std::string::npos || last < 1) return false;
    if (text[last] != '>' || text[last - 1] != '>') return false;
    at = last - 1;
    return true;
}

Statement MakeStatement(const std::string& name, const std::string& text, int32_t offset,
                        int32_t start) {
    Statement statement;
    statement.name = name;
    statement.text = text;
    statement.offset = offset;
    statement.length = static_cast<int32_t>(text.size());
    statement.start = start;
    return statement;
}

} // namespace

bool ContinuesOnNextLine(const std::string& line) {
    size_t at = 0;
    return EndsWithContinuationAt(line, at);
}

std::string LogicalLine(const TextLines& lines, size_t i) {
    std::string text = lines[i];
    size_t at = 0;
    for (size_t next = i + 1; next < lines.size() && EndsWithContinuationAt(text, at); ++next) {
        text.replace(at, 2, "  ");
        std::string appended = lines[next];
        size_t first = appended.find_first_not_of(" \t");
        if (first != std::string::npos && appended.compare(first, 2, ">>") == 0)
            appended.replace(first, 2, "  ");
        text += ' ';
        text += appended;
    }
    size_t comment = text.find("//");
    if (comment != std::string::npos) text.resize(comment);
    return text;
}

KRMparser::KRMparser(KRMForm* form, ErrorDisplay* errorSink) : form(form), errorSink(errorSink) {}

void KRMparser::Clear() {
    equations.clear();
    constants.clear();
    definitions.clear();
    events.clear();
    keywordLines.clear();
    eventLines.clear();
    stateEvents.clear();
    switchingFunctions.clear();
    triggerSwitches = 0;
    assignments.clear();
    fusedSystem.clear();
    nameIndexes.Reset();
    nIndependent = 0;
    nParameters = 0;
    t0 = 0.0;
    tf = 1.0;
    hr = 0.1;
    nPoints = 200;
    tCurrent = 0.0;
    backward = false;
}

void KRMparser::SetError(int32_t code, const std::string& context, const std::string& detail) {
    if (errorSink == nullptr) return;
    errorSink->code = code;
    errorSink->category = kCategoryModel;
    errorSink->context = context;
    errorSink->detail = detail;
}

std::string KRMparser::WholeText() const {
    std::string whole;
    if (lines == nullptr) return whole;
    for (const std::string& line : *lines) {
        whole += line;
        whole += "\r\n";
    }
    return whole;
}

int32_t KRMparser::ReportedColumns() const {
    int32_t columns = 1;
    for (const auto* list : {&equations, &definitions, &constants})
        for (const Statement& statement : *list)
            if (statement.state == kStateReported) ++columns;
    return columns;
}

// A timed event's assignments: one statement each, sharing the time and the
// group. Each one's text ends where its right side ends, so that it compiles
// alone and is still found in the model line. A list that does not read as
// assignments stays one statement, to fail as it always has.
static void ReadTimedAssignments(KRMparser& model, Statement first) {
    const std::vector<TextPiece> pieces =
        SplitTopLevel(first.text, first.start, static_cast<int32_t>(first.text.size()), ',');
    std::vector<Statement> statements;
    for (size_t i = 0; i < pieces.size(); ++i) {
        Statement statement = first;
        if (i > 0) {
            int32_t position = pieces[i].begin;
            if (!ReadName(first.text, position, statement.name) || statement.name[0] == '_' ||
                !Expect(first.text, position, "=")) {
                model.events.push_back(std::move(first));
                return;
            }
            statement.start = position;
        }
        if (i + 1 < pieces.size()) statement.text.resize(static_cast<size_t>(pieces[i].end));
        statements.push_back(std::move(statement));
    }
    for (Statement& statement : statements)
        model.events.push_back(std::move(statement));
}

// One logical line: keyword statements, then at most one equation,
// assignment or event. Returns false on a repeated declaration.
static bool ReadStatement(KRMparser& model, const std::string& text, int32_t offset) {
    int32_t position = 0;
    for (const std::string& keyword : model.keywords) {
        if (!keyword.empty() && Expect(text, position, keyword))
            model.keywordLines.push_back(MakeStatement(keyword, text, offset, position));
    }
    bool isEvent = Expect(text, position, "@");
    if (isEvent) {
        int32_t bracket = position;
        if (Expect(text, bracket, "[")) {
            model.eventLines.push_back(MakeStatement({}, text, offset, bracket));
            return true;
        }
    }
    double eventTime = 0.0;
    std::string eventTimeName;
    if (isEvent && !ReadNumber(text, position, eventTime) &&
        !ReadName(text, position, eventTimeName))
        return true;
    if (text.find('=') == std::string::npos) return true;
    std::string name;
    if (!ReadName(text, position, name) || name[0] == '_') return true;
    bool derivative = Expect(text, position, "'");
    if (!Expect(text, position, "=")) return true;

    Statement statement = MakeStatement(name, text, offset, position);
    if (isEvent && !derivative) {
        statement.eventTime = eventTime;
        statement.eventTimeName = eventTimeName;
        statement.eventGroup = model.events.empty() ? 1 : model.events.back().eventGroup + 1;
        ReadTimedAssignments(model, std::move(statement));
        return true;
    }
    std::vector<Statement>& list = derivative ? model.equations : model.assignments;
    NameIndex& index = derivative ? model.nameIndexes.equations : model.nameIndexes.assignments;
    if (index.Find(list, name) >= 0) {
        model.SetError(19, text);
        return false;
    }
    list.push_back(std::move(statement));
    return true;
}

bool KRMparser::ReadStatements() {
    Clear();
    if (lines == nullptr) return true;
    int32_t offset = 0;
    for (size_t i = 0; i < lines->size(); ++i) {
        if (!ReadStatement(*this, LogicalLine(*lines, i), offset)) return false;
        offset += static_cast<int32_t>((*lines)[i].size()) + 2;
    }
    // The model's name: the NAME line's text, else the "~" line's.
    title.clear();
    for (size_t which : {kNameKeyword, kTildeKeyword}) {
        for (const Statement& statement : keywordLines) {
            if (which >= keywords.size() || statement.name != keywords[which]) continue;
            title =
                std::string(TrimBlanks(std::string_view(statement.text).substr(statement.start)));
            return true;
        }
    }
    return true;
}

} // namespace kora
