#include "model_highlighter.h"

#include <algorithm>

#include "model/event_text.h"
#include "model/line_keywords.h"
#include "model/model_functions.h"
#include "script/script_command.h"

namespace kora::app {
namespace {

QStringList ScriptKeywords() {
    QStringList keywords;
    for (const ScriptCommandSignature& command : kScriptCommandTable) {
        QString keyword = QString::fromLatin1(command.keyword.data(),
                                              static_cast<qsizetype>(command.keyword.size()))
                              .trimmed();
        if (!keywords.contains(keyword)) keywords.append(keyword);
    }
    keywords.append(QStringLiteral("END SCRIPT"));
    keywords.append(QStringLiteral("ENDSCRIPT"));
    // "SOLVE" must not claim the start of a longer keyword it shares.
    std::sort(keywords.begin(), keywords.end(),
              [](const QString& a, const QString& b) { return a.size() > b.size(); });
    return keywords;
}

// The language's function names, matched as the reader matches them: as a
// whole word followed by "[" (blanks between allowed).
QRegularExpression FunctionCalls() {
    QStringList names;
    const auto add = [&names](int number) {
        names.append(QString::fromLatin1(FunctionName(number)));
    };
    for (int number = 1; number <= kFunctionCount; ++number)
        add(number);
    for (int number = kFunctionFirstSpecial; number <= kFunctionLastSpecial; ++number)
        add(number);
    return QRegularExpression(QStringLiteral("(?<![\\w])(") + names.join(QLatin1Char('|')) +
                              QStringLiteral(")(?=[ \\t]*\\[)"));
}

bool IsNameCharacter(QChar c) {
    return c.isLetterOrNumber() || c == QLatin1Char('_');
}

bool IsOneOf(const QString& word, const auto& list) {
    const QByteArray latin = word.toLatin1();
    const std::string_view view(latin.constData(), static_cast<size_t>(latin.size()));
    return std::find(list.begin(), list.end(), view) != list.end();
}

// The name starting at `position` of `text` after blanks: its start and
// length, or a length of 0.
std::pair<qsizetype, qsizetype> NameAt(const QString& text, qsizetype position, qsizetype end) {
    while (position < end && text.at(position).isSpace())
        ++position;
    qsizetype last = position;
    while (last < end && IsNameCharacter(text.at(last)))
        ++last;
    return {position, last - position};
}

QTextCharFormat Format(const QColor& colour, bool bold = false, bool italic = false) {
    QTextCharFormat format;
    format.setForeground(colour);
    if (bold) format.setFontWeight(QFont::Bold);
    format.setFontItalic(italic);
    return format;
}

QRegularExpression WholeWords(const QStringList& names) {
    QStringList escaped;
    for (const QString& name : names)
        if (!name.isEmpty()) escaped.append(QRegularExpression::escape(name));
    if (escaped.isEmpty()) return {};
    return QRegularExpression(QStringLiteral("(?<![\\w])(") + escaped.join(QLatin1Char('|')) +
                              QStringLiteral(")(?![\\w])"));
}

// Whether `position` of `code` lies between a pair of double quotes.
bool InsideQuotes(const QString& code, qsizetype position) {
    bool inside = false;
    for (qsizetype i = 0; i < position && i < code.size(); ++i)
        if (code.at(i) == QLatin1Char('"')) inside = !inside;
    return inside;
}

} // namespace

ModelHighlighter::ModelHighlighter(QTextDocument* document)
    : QSyntaxHighlighter(document), commentFormat_(Format(QColor(0x70, 0x80, 0x70), false, true)),
      numberFormat_(Format(QColor(0x98, 0x4c, 0x00))),
      keywordFormat_(Format(QColor(0x00, 0x20, 0x90), true)),
      commandFormat_(Format(QColor(0x80, 0x00, 0x80), true)),
      variableFormat_(Format(QColor(0x00, 0x60, 0x60), true)),
      constantFormat_(Format(QColor(0x60, 0x40, 0x00))),
      functionFormat_(Format(QColor(0x00, 0x50, 0xa0))), functions_(FunctionCalls()),
      number_(QStringLiteral(R"((?<![\w.])(\d+\.?\d*|\.\d+)([eE][+-]?\d+)?(?![\w.]))")),
      commands_(ScriptKeywords()) {}

void ModelHighlighter::SetVariableNames(const QStringList& names) {
    SetModelNames(names, {});
}

void ModelHighlighter::SetModelNames(const QStringList& variables, const QStringList& constants) {
    if (variables == variableNames_ && constants == constantNames_) return;
    variableNames_ = variables;
    constantNames_ = constants;
    variables_ = WholeWords(variables);
    constants_ = WholeWords(constants);
    rehighlight();
}

void ModelHighlighter::FormatMatches(const QRegularExpression& pattern, const QString& code,
                                     const QTextCharFormat& format) {
    if (!pattern.isValid() || pattern.pattern().isEmpty()) return;
    for (auto match = pattern.globalMatch(code); match.hasNext();) {
        const QRegularExpressionMatch found = match.next();
        if (InsideQuotes(code, found.capturedStart())) continue;
        setFormat(static_cast<int>(found.capturedStart()), static_cast<int>(found.capturedLength()),
                  format);
    }
}

void ModelHighlighter::highlightBlock(const QString& text) {
    const QString line = text.trimmed();
    qsizetype indent = 0;
    while (indent < text.size() && text.at(indent).isSpace())
        ++indent;
    const QString upper = line.toUpper();
    const bool startsScript = upper == QLatin1String("SCRIPT");
    const bool endsScript =
        upper == QLatin1String("END SCRIPT") || upper == QLatin1String("ENDSCRIPT");
    const bool inScript = startsScript || (previousBlockState() == kScript && !endsScript);
    setCurrentBlockState(inScript ? kScript : kModel);

    if (line.startsWith(QLatin1String("//"))) {
        setFormat(0, static_cast<int>(text.size()), commentFormat_);
    } else if (startsScript || endsScript) {
        setFormat(static_cast<int>(indent), static_cast<int>(line.size()), keywordFormat_);
    } else {
        HighlightModelLine(text, text.indexOf(QLatin1String("//")));
        if (inScript) HighlightScriptCommand(line, indent);
    }
}

void ModelHighlighter::HighlightScriptCommand(const QString& line, qsizetype indent) {
    for (const QString& command : commands_) {
        if (!line.startsWith(command, Qt::CaseInsensitive)) continue;
        const bool wholeWord = line.size() == command.size() || !IsNameCharacter(command.back()) ||
                               !IsNameCharacter(line.at(command.size()));
        if (!wholeWord) continue;
        setFormat(static_cast<int>(indent), static_cast<int>(command.size()), commandFormat_);
        return;
    }
}

void ModelHighlighter::HighlightModelLine(const QString& text, qsizetype commentStart) {
    const QString code = commentStart >= 0 ? text.left(commentStart) : text;
    const QString line = code.trimmed();
    bool freeText = false;
    for (const std::string_view name : kModelLineKeywords) {
        const QString keyword =
            QString::fromLatin1(name.data(), static_cast<qsizetype>(name.size()));
        if (!line.startsWith(keyword)) continue;
        setFormat(static_cast<int>(code.indexOf(keyword)), static_cast<int>(keyword.size()),
                  keywordFormat_);
        freeText = IsFreeTextKeyword(name);
        break;
    }
    if (!freeText) {
        FormatMatches(number_, code, numberFormat_);
        FormatMatches(functions_, code, functionFormat_);
        // A constant or variable of a function's name is that name, as for the reader.
        FormatMatches(constants_, code, constantFormat_);
        FormatMatches(variables_, code, variableFormat_);
    }
    if (line.startsWith(QLatin1Char('@'))) HighlightEvent(code);
    if (commentStart >= 0)
        setFormat(static_cast<int>(commentStart), static_cast<int>(text.size() - commentStart),
                  commentFormat_);
}

// "@", and in `@ [condition; option = answer; ...]` the option names and the
// answers they take; a name in the condition or in an expression stays a name.
void ModelHighlighter::HighlightEvent(const QString& code) {
    const qsizetype at = code.indexOf(QLatin1Char('@'));
    setFormat(static_cast<int>(at), 1, keywordFormat_);
    qsizetype open = at + 1;
    while (open < code.size() && code.at(open).isSpace())
        ++open;
    if (open >= code.size() || code.at(open) != QLatin1Char('[')) return;
    // One byte per character, so that positions stay those of the line.
    const std::string latin = code.toLatin1().toStdString();
    const int32_t close = MatchingClose(latin, static_cast<int32_t>(open + 1), ']');
    const int32_t end = close >= 0 ? close : static_cast<int32_t>(latin.size());
    const std::vector<TextPiece> pieces =
        SplitTopLevel(latin, static_cast<int32_t>(open + 1), end, ';');
    for (size_t p = 1; p < pieces.size(); ++p) {
        const auto [start, length] = NameAt(code, pieces[p].begin, pieces[p].end);
        const QString option = code.mid(start, length);
        if (length == 0 || !IsOneOf(option, kEventOptions)) continue;
        setFormat(static_cast<int>(start), static_cast<int>(length), keywordFormat_);
        // Delay and priority take expressions, whose names stay names.
        if (IsOneOf(option, std::array{kEventDelay, kEventPriority})) continue;
        const qsizetype equals = code.indexOf(QLatin1Char('='), start + length);
        if (equals < 0 || equals >= pieces[p].end) continue;
        const auto [answerStart, answerLength] = NameAt(code, equals + 1, pieces[p].end);
        if (answerLength > 0 && IsOneOf(code.mid(answerStart, answerLength), kEventAnswers))
            setFormat(static_cast<int>(answerStart), static_cast<int>(answerLength),
                      keywordFormat_);
    }
}

} // namespace kora::app
