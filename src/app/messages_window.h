// The messages window of a document's script: what the script writes, as it
// writes it, on the "Scripts" page. It cannot be closed, and not saved,
// while the script runs.
#pragma once

#include <QString>
#include <QTimer>
#include <QWidget>
#include <string>

class QPushButton;

namespace kora::app {

class MessagesEditor;

class TOutForm : public QWidget {
    Q_OBJECT

public:
    // `writer` is the full file name of the document that writes here;
    // `caption` the window title ("Messages from " and its file name). The
    // window starts finished and deletes itself when closed.
    TOutForm(const QString& writer, const QString& caption, QWidget* parent = nullptr);

    const QString& writer() const { return writer_; }
    // Another document of the same file name writes here now.
    void SetWriter(const QString& writer) { writer_ = writer; }

    // Queues text to appear at the end, exactly as given; it is shown within
    // a few milliseconds, many appends at once. Main thread only.
    void Append(const QString& text);
    void Append(const std::string& text) { Append(QString::fromStdString(text)); }
    // While busy, Save and Close are disabled and the window refuses to close.
    void SetBusy(bool busy);
    bool busy() const { return busy_; }

    // The whole text, queued appends included.
    QString Text();
    MessagesEditor* editor() const { return editor_; }

    // Writes the text as the Save button writes it; "" on success, else the
    // reason.
    QString SaveTo(const QString& path);

protected:
    void closeEvent(QCloseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    void Flush();
    void Save();

    QString writer_;
    QString lastSavePath_;
    QString pending_;
    QTimer flushTimer_;
    bool busy_ = false;
    MessagesEditor* editor_ = nullptr;
    QPushButton* saveButton_ = nullptr;
    QPushButton* closeButton_ = nullptr;
};

} // namespace kora::app
