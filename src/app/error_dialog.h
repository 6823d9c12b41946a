// The dialog that shows a model or solver error report: the report's lines
// in a read-only text that scrolls both ways, and OK.
#pragma once

#include <QDialog>
#include <string>
#include <vector>

class QPlainTextEdit;

namespace kora::app {

class TErrorDialog : public QDialog {
    Q_OBJECT

public:
    explicit TErrorDialog(QWidget* parent = nullptr);

    void SetReport(const std::vector<std::string>& lines);
    QString reportText() const;

    // Shows the report modally, centred over `parent`.
    static void ShowReport(QWidget* parent, const std::vector<std::string>& lines);

private:
    QPlainTextEdit* text_;
};

} // namespace kora::app
