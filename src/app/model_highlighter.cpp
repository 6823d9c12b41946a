#include "model_highlighter.h"

#include <algorithm>

#include "model/model_functions.h"
#include "script/script_command.h"

namespace kora::app {
namespace {

// The keywords that open a model line, as the model reader knows them.
const QStringList kLineKeywords{"&&", "!!", "DESCRIPTION", "NAME", "~"};

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

QTextCharFormat Format(const QColor& colour, bool bold = false, bool italic = false) {
    QTextCharFormat format;
    format.setForeground(colour);
    if (bold) format.setFontWeight(QFont::Bold);
    format.setFontItalic(italic);
    return format;
}

} // namespace

ModelHighlighter::ModelHighlighter(QTextDocument* document)
    : QSyntaxHighlighter(document), commentFormat_(Format(QColor(0x70, 0x80, 0x70), false, true)),
      numberFormat_(Format(QColor(0x98, 0x4c, 0x00))),
      keywordFormat_(Format(QColor(0x00, 0x20, 0x90), true)),
      commandFormat_(Format(QColor(0x80, 0x00, 0x80), true)),
      variableFormat_(Format(QColor(0x00, 0x60, 0x60), true)),
      functionFormat_(Format(QColor(0x00, 0x50, 0xa0))), functions_(FunctionCalls()),
      number_(QStringLiteral(R"((?<![\w.])(\d+\.?\d*|\.\d+)([eE][+-]?\d+)?(?![\w.]))")),
      commands_(ScriptKeywords()) {}

void ModelHighlighter::SetVariableNames(const QStringList& names) {
    QStringList escaped;
    for (const QString& name : names)
        if (!name.isEmpty()) escaped.append(QRegularExpression::escape(name));
    variables_ = escaped.isEmpty() ? QRegularExpression()
                                   : QRegularExpression(QStringLiteral("(?<![\\w])(") +
                                                        escaped.join(QLatin1Char('|')) +
                                                        QStringLiteral(")(?![\\w])"));
    rehighlight();
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
    for (const QString& keyword : kLineKeywords) {
        if (!line.startsWith(keyword)) continue;
        setFormat(static_cast<int>(code.indexOf(keyword)), static_cast<int>(keyword.size()),
                  keywordFormat_);
        break;
    }
    for (auto match = number_.globalMatch(code); match.hasNext();) {
        const QRegularExpressionMatch found = match.next();
        setFormat(static_cast<int>(found.capturedStart()), static_cast<int>(found.capturedLength()),
                  numberFormat_);
    }
    for (auto match = functions_.globalMatch(code); match.hasNext();) {
        const QRegularExpressionMatch found = match.next();
        setFormat(static_cast<int>(found.capturedStart()), static_cast<int>(found.capturedLength()),
                  functionFormat_);
    }
    // A variable of a function's name is the variable, as for the reader.
    if (variables_.isValid() && !variables_.pattern().isEmpty()) {
        for (auto match = variables_.globalMatch(code); match.hasNext();) {
            const QRegularExpressionMatch found = match.next();
            setFormat(static_cast<int>(found.capturedStart()),
                      static_cast<int>(found.capturedLength()), variableFormat_);
        }
    }
    if (commentStart >= 0)
        setFormat(static_cast<int>(commentStart), static_cast<int>(text.size() - commentStart),
                  commentFormat_);
}

} // namespace kora::app
