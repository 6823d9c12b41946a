// Analysis > Fit to Data: data files, the parameters to fit with their
// bounds and scales, the method; the fit runs on worker threads with
// progress and Stop, its result is shown in a table, the data are drawn over
// the results pane, and the fitted values can be written into the model text
// (one undoable edit).
#pragma once

#include <QDialog>
#include <atomic>
#include <memory>
#include <thread>

#include "fit/fit_run.h"
#include "settings/settings.h"

class QComboBox;
class QLabel;
class QListWidget;
class QPushButton;
class QSpinBox;
class QTableView;
class QTableWidget;

namespace kora::app {

class FitParameterModel;
class TSystemFile;

class TFitDialog : public QDialog {
    Q_OBJECT

public:
    TFitDialog(TSystemFile& file, const Settings& settings, QWidget* parent = nullptr);
    // Stops a running fit and waits for it.
    ~TFitDialog() override;

    void AddDataFiles(const QStringList& files);
    // Reads the data and starts the fit on a worker thread; false (with a
    // message box) when the choices cannot make a fit.
    bool StartFit();
    void StopFit() { stop_.store(true); }
    // Replaces the values of the fitted names in the editor, as one undoable
    // edit, and runs the model so that the fitted time courses are drawn.
    void WriteValuesIntoModel();

    bool running() const { return worker_.joinable(); }
    const FitResult& result() const { return result_; }
    FitParameterModel* parameterModel() const { return model_; }
    QComboBox* methodBox() const { return method_; }
    QSpinBox* startsBox() const { return starts_; }
    QTableWidget* resultTable() const { return results_; }
    QLabel* progressLabel() const { return progress_; }
    QPushButton* writeButton() const { return write_; }

signals:
    void fitFinished();

private:
    void BrowseDataFiles();
    void ShowProgress(const FitProgress& progress);
    void FitDone(FitResult result);
    void ShowResult();
    void DrawData();
    void SetRunning(bool running);
    QString Problem(const std::string& text);

    TSystemFile& file_;
    Settings settings_;
    FitParameterModel* model_;
    QListWidget* files_;
    QTableView* table_;
    QComboBox* method_;
    QSpinBox* starts_;
    QPushButton* fit_;
    QPushButton* stopButton_;
    QPushButton* write_;
    QLabel* progress_;
    QTableWidget* results_;

    FitRequest request_;
    FitResult result_;
    std::atomic<bool> stop_{false};
    std::thread worker_;
};

} // namespace kora::app
