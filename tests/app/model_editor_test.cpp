#include <QApplication>
#include <QClipboard>
#include <QTest>
#include <QTextBlock>
#include <QTextLayout>
#include <gtest/gtest.h>

#include "model/krm_parser.h"
#include "model_editor.h"
#include "model_span.h"

namespace kora::app {
namespace {

// A text with everything the model reader leaves out before a statement:
// comments, blank and indented lines, and a script block.
const char* const kEditorText = "// pathway\n"
                                "NAME m\n"
                                "\n"
                                "SCRIPT\n"
                                "  SET k = 2\n"
                                "END SCRIPT\n"
                                "   k = 1 // rate\n"
                                "\tX' = -k X\n"
                                "X = 2\n";

// Offsets as the model reader reports them for `statement`.
std::pair<int32_t, int32_t> Locate(const QString& editorText, const std::string& statement) {
    const TextLines modelLines =
        ExtractModelLines(SplitTextLines(editorText.toStdString()), true).modelLines;
    KRMForm form;
    ErrorDisplay sink;
    KRMparser model(&form, &sink);
    std::string text = statement;
    int32_t offset = -1;
    int32_t length = -1;
    EXPECT_TRUE(model.Locate(modelLines, text, offset, length, false)) << statement;
    return {offset, length};
}

TEST(ModelEditor, SelectsTheStatementTheReaderLocates) {
    ModelEditor editor;
    ASSERT_TRUE(editor.SetModelText(QString::fromUtf8(kEditorText)));
    for (const auto& [statement, expected] : std::vector<std::pair<std::string, QString>>{
             {"X' = 0", "X' = -k X"}, {"k = 5", "k = 1 "}, {"X = 0", "X = 2"}}) {
        const auto [offset, length] = Locate(editor.toPlainText(), statement);
        ASSERT_TRUE(editor.SelectModelSpan(offset, length));
        EXPECT_EQ(editor.textCursor().selectedText(), expected);
    }
    EXPECT_FALSE(editor.SelectModelSpan(100000, 3));
}

TEST(ModelEditor, ColumnsCountBytesOfTheLinesText) {
    const TextLines lines{"  é = 1", "X' = é"};
    const std::optional<EditorSpan> span = EditorSpanOfModelSpan(lines, 8, 7);
    ASSERT_TRUE(span.has_value());
    EXPECT_EQ(span->begin.line, 1);
    EXPECT_EQ(span->begin.column, 0);
    EXPECT_EQ(span->end.column, 7); // "é" is two bytes

    ModelEditor editor;
    editor.SetModelText(QString::fromUtf8("  \xC3\xA9 = 1\nX' = \xC3\xA9"));
    ASSERT_TRUE(editor.SelectModelSpan(8, 7));
    EXPECT_EQ(editor.textCursor().selectedText(), QString::fromUtf8("X' = \xC3\xA9"));
}

TEST(ModelEditor, TakesNoMoreThanItsLimit) {
    ModelEditor editor;
    const QString full(ModelEditor::kMaxCharacters - 3, QLatin1Char('x'));
    ASSERT_TRUE(editor.SetModelText(full));
    EXPECT_FALSE(editor.document()->isModified());
    EXPECT_FALSE(editor.SetModelText(full + QStringLiteral("1234")));
    EXPECT_EQ(editor.document()->characterCount() - 1, full.size());

    QApplication::clipboard()->setText(QStringLiteral("abcdef"));
    editor.moveCursor(QTextCursor::End);
    editor.paste();
    EXPECT_EQ(editor.document()->characterCount() - 1, ModelEditor::kMaxCharacters);
    EXPECT_TRUE(editor.toPlainText().endsWith(QStringLiteral("xabc")));
    editor.undo();
    EXPECT_EQ(editor.toPlainText(), full);
}

} // namespace
} // namespace kora::app

namespace kora::app {
namespace {

// The format the highlighter gave the character at `column` of line `line`.
QTextCharFormat FormatAt(const QTextDocument& document, int line, int column) {
    const QTextBlock block = document.findBlockByNumber(line);
    for (const QTextLayout::FormatRange& range : block.layout()->formats())
        if (column >= range.start && column < range.start + range.length) return range.format;
    return {};
}

TEST(ModelHighlighter, CommandsOnlyInsideScriptsAndNamedVariables) {
    ModelEditor editor;
    editor.SetModelText(QStringLiteral("RUN = 2 // not a command here\n"
                                       "X1' = -RUN*X1\n"
                                       "SCRIPT\n"
                                       "  RUN\n"
                                       "END SCRIPT\n"));
    editor.SetVariableNames({QStringLiteral("X1")});
    const QTextDocument& text = *editor.document();
    const QBrush plain = FormatAt(text, 0, 0).foreground();
    EXPECT_EQ(FormatAt(text, 1, 8).foreground(), plain);  // "RUN" in the model
    EXPECT_NE(FormatAt(text, 3, 2).foreground(), plain);  // "RUN" in the script
    EXPECT_NE(FormatAt(text, 1, 0).foreground(), plain);  // the variable X1
    EXPECT_NE(FormatAt(text, 0, 10).foreground(), plain); // the comment
    EXPECT_NE(FormatAt(text, 0, 6).foreground(), plain);  // the number 2
}

TEST(ModelHighlighter, NamesOfTheTextAsWrittenButNotInNamesOrQuotes) {
    ModelEditor editor;
    editor.SetModelText(QStringLiteral("NAME X decay 2\n"
                                       "X' = -k*X\n"
                                       "X = 1\n"
                                       "k = 0.5\n"
                                       "SCRIPT\n"
                                       "W \"X and k\"\n"
                                       "END SCRIPT\n"));
    const QTextDocument& text = *editor.document();
    const QBrush plain = FormatAt(text, 2, 1).foreground(); // the blank after X
    const QBrush variable = FormatAt(text, 1, 0).foreground();
    const QBrush constant = FormatAt(text, 1, 6).foreground();
    EXPECT_NE(variable, plain); // no run needed
    EXPECT_NE(constant, plain);
    EXPECT_NE(constant, variable);
    EXPECT_EQ(FormatAt(text, 0, 5).foreground(), plain);  // X on the NAME line
    EXPECT_EQ(FormatAt(text, 0, 13).foreground(), plain); // 2 on the NAME line
    EXPECT_EQ(FormatAt(text, 5, 3).foreground(), plain);  // X inside quotes

    // Names follow the text as the user changes it.
    editor.setPlainText(QStringLiteral("Y' = -Y\nY = 1\n"));
    EXPECT_TRUE(QTest::qWaitFor(
        [&] { return FormatAt(*editor.document(), 0, 0).foreground() != plain; }, 2000));
}

TEST(ModelHighlighter, FunctionNamesOnlyBeforeABracket) {
    ModelEditor editor;
    editor.SetModelText(QStringLiteral("if = 2\n"
                                       "X' = if[X > if, arccoth [X], max[X, 1]]\n"));
    editor.SetVariableNames({QStringLiteral("X")});
    const QTextDocument& text = *editor.document();
    const QBrush plain = FormatAt(text, 0, 0).foreground();    // "if" as a name
    const QBrush function = FormatAt(text, 1, 5).foreground(); // "if["
    EXPECT_NE(function, plain);
    EXPECT_EQ(FormatAt(text, 1, 13).foreground(), plain);    // "if" as a name
    EXPECT_EQ(FormatAt(text, 1, 17).foreground(), function); // "arccoth ["
    EXPECT_EQ(FormatAt(text, 1, 29).foreground(), function); // "max["
    EXPECT_NE(FormatAt(text, 1, 25).foreground(), function); // the variable X
}

TEST(ModelHighlighter, EventOptionsOnlyAfterTheConditionInsideItsBrackets) {
    ModelEditor editor;
    editor.SetModelText(
        QStringLiteral("delay = 2\n"
                       "@ [X > delay; delay = delay/2; persistent = no; values = fire] X = 0\n"
                       "X' = 1\n"));
    editor.SetVariableNames({QStringLiteral("X")});
    const QTextDocument& text = *editor.document();
    const QBrush plain = FormatAt(text, 1, 1).foreground();   // the blank after "@"
    const QBrush keyword = FormatAt(text, 1, 0).foreground(); // "@"
    EXPECT_NE(keyword, plain);
    EXPECT_NE(FormatAt(text, 0, 0).foreground(), keyword);  // "delay" as a constant
    EXPECT_NE(FormatAt(text, 1, 7).foreground(), keyword);  // ... in the condition
    EXPECT_EQ(FormatAt(text, 1, 14).foreground(), keyword); // the option "delay"
    EXPECT_NE(FormatAt(text, 1, 22).foreground(), keyword); // "delay" in its expression
    EXPECT_EQ(FormatAt(text, 1, 31).foreground(), keyword); // "persistent"
    EXPECT_EQ(FormatAt(text, 1, 44).foreground(), keyword); // "no"
    EXPECT_EQ(FormatAt(text, 1, 48).foreground(), keyword); // "values"
    EXPECT_EQ(FormatAt(text, 1, 57).foreground(), keyword); // "fire"
    EXPECT_NE(FormatAt(text, 1, 63).foreground(), keyword); // the assigned X
}

} // namespace
} // namespace kora::app
