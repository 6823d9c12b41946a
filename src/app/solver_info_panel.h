// The solver information panel of a document: what the running solver is
// doing (method, steps, order, step size), the elapsed time and how far it
// has come, with a button that hides the panel.
#pragma once

#include <QFrame>
#include <QString>
#include <cstdint>

class QLabel;
class QProgressBar;

namespace kora::app {

struct SolverProgressView {
    QString method; // "TAYLOR" or "LSODA"
    int64_t steps = 0;
    int32_t order = 0;
    double stepSize = 0.0;
    int64_t elapsedMs = 0;
    int32_t percent = 0; // 0..100
};

class SolverInfoPanel : public QFrame {
    Q_OBJECT

public:
    explicit SolverInfoPanel(QWidget* parent = nullptr);

    // A solve starts: the counters go back to 0.
    void Reset(const QString& method);
    void ShowProgress(const SolverProgressView& progress);
    // "850 ms" below ten seconds, whole seconds ("12 s") from there.
    static QString ElapsedText(int64_t elapsedMs);

signals:
    void closeRequested();

private:
    void ShowBarValue(int32_t percent);

    QLabel* method_;
    QLabel* steps_;
    QLabel* order_;
    QLabel* stepSize_;
    QLabel* elapsed_;
    QLabel* percent_;
    QProgressBar* bar_;
    int32_t barValue_ = 0;        // shown at the next turn of the event loop
    bool barValueQueued_ = false; // the turn that shows barValue_ is queued
};

} // namespace kora::app
