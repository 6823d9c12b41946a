// The text of a messages window: plain, fixed-pitch, not wrapped, at most
// kMaxCharacters long; text is appended exactly as written.
#pragma once

#include <QPlainTextEdit>

namespace kora::app {

class MessagesEditor : public QPlainTextEdit {
    Q_OBJECT

public:
    static constexpr qsizetype kMaxCharacters = 1048576;

    explicit MessagesEditor(QWidget* parent = nullptr);

    // Appends at the end and leaves the caret there. Beyond the limit the
    // oldest lines go, so that the latest output is always seen.
    void AppendVerbatim(const QString& text);

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void insertFromMimeData(const QMimeData* source) override;

private:
    qsizetype Room() const;
    void DropOldestLines();
    void ShowContextMenu(const QPoint& position);
};

} // namespace kora::app
