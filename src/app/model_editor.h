// The model editor of a document: plain text with a line-number margin,
// highlighting of the model language, and a limit on the text's length.
#pragma once

#include <QPlainTextEdit>
#include <QStringList>
#include <QTimer>
#include <cstdint>

#include "settings/font_description.h"

namespace kora::app {

class ModelHighlighter;

class ModelEditor : public QPlainTextEdit {
    Q_OBJECT

public:
    static constexpr qsizetype kMaxCharacters = 1500000;

    explicit ModelEditor(QWidget* parent = nullptr);

    // The "EditorFont" and "EditorColor" settings.
    void ApplyAppearance(const FontDescription& font, Colour background);

    // Replaces the whole text, leaving the editor unmodified. A text longer
    // than the limit is refused rather than cut, so that saving it again
    // cannot lose its end.
    bool SetModelText(const QString& text);

    void SetVariableNames(const QStringList& names);
    // Colours the names the text defines as it stands now; also done by
    // itself shortly after each change.
    void RefreshModelNames();

    // Selects the span the model reader names by `offset` and `length` in its
    // model lines, and scrolls it into view; false when it is not there.
    bool SelectModelSpan(int32_t offset, int32_t length, bool dropScript = true);

    // Selects 1-based line `line` and scrolls it into view; false when the
    // text has no such line.
    bool SelectLine(int line);

    int LineNumberAreaWidth() const;
    void PaintLineNumbers(QPaintEvent* event);

protected:
    void resizeEvent(QResizeEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    bool canInsertFromMimeData(const QMimeData* source) const override;
    void insertFromMimeData(const QMimeData* source) override;

private:
    qsizetype Room() const;
    void UpdateMarginWidth();
    void UpdateMargin(const QRect& rect, int dy);

    QWidget* lineNumberArea_;
    ModelHighlighter* highlighter_;
    QTimer* namesTimer_;
};

} // namespace kora::app
