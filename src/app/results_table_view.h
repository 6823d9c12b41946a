// The table view of a document's results; Ctrl+C copies the selected cells.
#pragma once

#include <QTableView>

namespace kora::app {

class ResultsTableModel;

class ResultsTableView : public QTableView {
    Q_OBJECT

public:
    explicit ResultsTableView(QWidget* parent = nullptr);

    ResultsTableModel* resultsModel() const { return model_; }

    // The text Copy puts on the clipboard: the rectangle spanning the
    // selection, or nothing without one.
    QString SelectionText() const;

public slots:
    void CopySelection();

protected:
    void keyPressEvent(QKeyEvent* event) override;

private:
    ResultsTableModel* model_;
};

} // namespace kora::app
