// Colours the model language in the editor: comments, numbers, the keyword
// lines, the script commands inside script blocks, function names before
// "[", and the names of the dependent variables.
#pragma once

#include <QRegularExpression>
#include <QStringList>
#include <QSyntaxHighlighter>
#include <QTextCharFormat>

namespace kora::app {

class ModelHighlighter : public QSyntaxHighlighter {
    Q_OBJECT

public:
    explicit ModelHighlighter(QTextDocument* document);

    // Names are matched as whole words, letters case-sensitive.
    void SetVariableNames(const QStringList& names);

protected:
    void highlightBlock(const QString& text) override;

private:
    enum BlockState { kModel = 0, kScript = 1 };

    void HighlightModelLine(const QString& text, qsizetype commentStart);
    void HighlightScriptCommand(const QString& line, qsizetype indent);

    QTextCharFormat commentFormat_;
    QTextCharFormat numberFormat_;
    QTextCharFormat keywordFormat_;
    QTextCharFormat commandFormat_;
    QTextCharFormat variableFormat_;
    QTextCharFormat functionFormat_;
    QRegularExpression functions_;
    QRegularExpression number_;
    QRegularExpression variables_;
    QStringList commands_; // the script keywords, longest first
};

} // namespace kora::app
