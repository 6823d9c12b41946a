#include "model_editor.h"

#include <QApplication>
#include <QKeyEvent>
#include <QMimeData>
#include <QPainter>
#include <QTextBlock>

#include "model/model_names.h"
#include "model/model_text.h"
#include "model_highlighter.h"
#include "model_span.h"
#include "qt_conversions.h"
#include "text_room.h"

namespace kora::app {
namespace {

constexpr int kMarginPadding = 6;
constexpr int kTabStopCharacters = 4;
constexpr int kNamesDelayMs = 300;

class LineNumberArea : public QWidget {
public:
    explicit LineNumberArea(ModelEditor* editor) : QWidget(editor), editor_(editor) {}
    QSize sizeHint() const override { return QSize(editor_->LineNumberAreaWidth(), 0); }

protected:
    void paintEvent(QPaintEvent* event) override { editor_->PaintLineNumbers(event); }

private:
    ModelEditor* editor_;
};

// The position in `document` of a line and a byte column of its UTF-8 text.
int DocumentPosition(const QTextDocument& document, const EditorPosition& position) {
    const QTextBlock block = document.findBlockByNumber(position.line);
    if (!block.isValid()) return document.characterCount() - 1;
    const QByteArray bytes = block.text().toUtf8();
    const qsizetype column = QString::fromUtf8(bytes.left(position.column)).size();
    return block.position() + static_cast<int>(column);
}

} // namespace

ModelEditor::ModelEditor(QWidget* parent)
    : QPlainTextEdit(parent), lineNumberArea_(new LineNumberArea(this)),
      highlighter_(new ModelHighlighter(document())), namesTimer_(new QTimer(this)) {
    setLineWrapMode(QPlainTextEdit::NoWrap);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    setTabChangesFocus(false);
    connect(this, &QPlainTextEdit::blockCountChanged, this, &ModelEditor::UpdateMarginWidth);
    connect(this, &QPlainTextEdit::updateRequest, this, &ModelEditor::UpdateMargin);
    // Names are read again once typing pauses, not on every key.
    namesTimer_->setSingleShot(true);
    namesTimer_->setInterval(kNamesDelayMs);
    connect(namesTimer_, &QTimer::timeout, this, &ModelEditor::RefreshModelNames);
    connect(document(), &QTextDocument::contentsChanged, namesTimer_, qOverload<>(&QTimer::start));
    ApplyAppearance(FontDescription{}, 0xFFFFFF);
}

void ModelEditor::ApplyAppearance(const FontDescription& font, Colour background) {
    const QFont qfont = ToQFont(font);
    setFont(qfont);
    lineNumberArea_->setFont(qfont);
    setTabStopDistance(QFontMetricsF(qfont).horizontalAdvance(QLatin1Char(' ')) *
                       kTabStopCharacters);
    QPalette colours = palette();
    colours.setColor(QPalette::Base, ToQColor(background));
    colours.setColor(QPalette::Text, ToQColor(font.colour));
    setPalette(colours);
    UpdateMarginWidth();
}

bool ModelEditor::SetModelText(const QString& text) {
    if (text.size() > kMaxCharacters) return false;
    setPlainText(text);
    document()->setModified(false);
    RefreshModelNames();
    return true;
}

void ModelEditor::RefreshModelNames() {
    namesTimer_->stop();
    const ModelNames names = ReadModelNames(SplitTextLines(toPlainText().toStdString()));
    QStringList variables;
    QStringList constants;
    for (const std::string& name : names.variables)
        variables << QString::fromStdString(name);
    for (const std::string& name : names.constants)
        constants << QString::fromStdString(name);
    highlighter_->SetModelNames(variables, constants);
}

void ModelEditor::SetVariableNames(const QStringList& names) {
    highlighter_->SetVariableNames(names);
}

bool ModelEditor::SelectLine(int line) {
    const QTextBlock block = document()->findBlockByNumber(line - 1);
    if (line < 1 || !block.isValid()) return false;
    QTextCursor cursor(block);
    cursor.movePosition(QTextCursor::EndOfBlock, QTextCursor::KeepAnchor);
    setTextCursor(cursor);
    ensureCursorVisible();
    return true;
}

bool ModelEditor::SelectModelSpan(int32_t offset, int32_t length, bool dropScript) {
    TextLines lines;
    for (QTextBlock block = document()->begin(); block.isValid(); block = block.next())
        lines.push_back(block.text().toStdString());
    const std::optional<EditorSpan> span = EditorSpanOfModelSpan(lines, offset, length, dropScript);
    if (!span) return false;
    QTextCursor cursor(document());
    cursor.setPosition(DocumentPosition(*document(), span->begin));
    cursor.setPosition(DocumentPosition(*document(), span->end), QTextCursor::KeepAnchor);
    setTextCursor(cursor);
    centerCursor();
    return true;
}

int ModelEditor::LineNumberAreaWidth() const {
    int digits = 1;
    for (int count = std::max(1, blockCount()); count >= 10; count /= 10)
        ++digits;
    return kMarginPadding * 2 + fontMetrics().horizontalAdvance(QLatin1Char('9')) * digits;
}

void ModelEditor::PaintLineNumbers(QPaintEvent* event) {
    QPainter painter(lineNumberArea_);
    painter.fillRect(event->rect(), palette().color(QPalette::Window));
    painter.setPen(palette().color(QPalette::PlaceholderText));
    const int width = lineNumberArea_->width() - kMarginPadding;
    const int height = fontMetrics().height();
    QTextBlock block = firstVisibleBlock();
    int top = qRound(blockBoundingGeometry(block).translated(contentOffset()).top());
    while (block.isValid() && top <= event->rect().bottom()) {
        const int bottom = top + qRound(blockBoundingRect(block).height());
        if (block.isVisible() && bottom >= event->rect().top())
            painter.drawText(0, top, width, height, Qt::AlignRight,
                             QString::number(block.blockNumber() + 1));
        block = block.next();
        top = bottom;
    }
}

void ModelEditor::resizeEvent(QResizeEvent* event) {
    QPlainTextEdit::resizeEvent(event);
    const QRect area = contentsRect();
    lineNumberArea_->setGeometry(
        QRect(area.left(), area.top(), LineNumberAreaWidth(), area.height()));
}

// Typing into a full editor does nothing; deleting and moving still work.
void ModelEditor::keyPressEvent(QKeyEvent* event) {
    const bool inserts = (!event->text().isEmpty() && event->text().at(0).isPrint()) ||
                         event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter ||
                         event->key() == Qt::Key_Tab;
    if (inserts && !(event->modifiers() & (Qt::ControlModifier | Qt::AltModifier)) && Room() < 1) {
        QApplication::beep();
        return;
    }
    QPlainTextEdit::keyPressEvent(event);
}

bool ModelEditor::canInsertFromMimeData(const QMimeData* source) const {
    return source->hasText();
}

// Pasted and dropped text is cut to the room left, as a full editor takes no
// more.
void ModelEditor::insertFromMimeData(const QMimeData* source) {
    InsertTextWithinRoom(*this, source, Room());
}

// Characters that may still be added, counting the selection as replaced.
qsizetype ModelEditor::Room() const {
    const QTextCursor cursor = textCursor();
    const qsizetype used = document()->characterCount() - 1;
    return kMaxCharacters - used + (cursor.selectionEnd() - cursor.selectionStart());
}

void ModelEditor::UpdateMarginWidth() {
    setViewportMargins(LineNumberAreaWidth(), 0, 0, 0);
}

void ModelEditor::UpdateMargin(const QRect& rect, int dy) {
    if (dy != 0)
        lineNumberArea_->scroll(0, dy);
    else
        lineNumberArea_->update(0, rect.y(), lineNumberArea_->width(), rect.height());
    if (rect.contains(viewport()->rect())) UpdateMarginWidth();
}

} // namespace kora::app
