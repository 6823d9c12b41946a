// Colours the model language in the editor: comments, numbers, the keyword
// lines, the script commands inside script blocks, function names before
// "[", the names of the dependent variables and constants, and the options of
// events triggered by a condition.
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

    // Names are matched as whole words, letters case-sensitive; never
    // inside quotes or on a NAME or DESCRIPTION line.
    void SetVariableNames(const QStringList& names);
    void SetModelNames(const QStringList& variables, const QStringList& constants);

protected:
    void highlightBlock(const QString& text) override;

private:
    enum BlockState { kModel = 0, kScript = 1 };

    void HighlightModelLine(const QString& text, qsizetype commentStart);
    void HighlightScriptCommand(const QString& line, qsizetype indent);
    void HighlightEvent(const QString& code);
    void FormatMatches(const QRegularExpression& pattern, const QString& code,
                       const QTextCharFormat& format);

    QTextCharFormat commentFormat_;
    QTextCharFormat numberFormat_;
    QTextCharFormat keywordFormat_;
    QTextCharFormat commandFormat_;
    QTextCharFormat variableFormat_;
    QTextCharFormat constantFormat_;
    QTextCharFormat functionFormat_;
    QRegularExpression functions_;
    QRegularExpression number_;
    QRegularExpression variables_;
    QRegularExpression constants_;
    QStringList variableNames_;
    QStringList constantNames_;
    QStringList commands_; // the script keywords, longest first
};

} // namespace kora::app
