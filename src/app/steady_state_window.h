// The window of one steady-state report: the report's pages as grids, the
// threshold that hides small sensitivities, copying and saving. It keeps its
// own copy of the report, so that closing or re-running the document that
// computed it changes nothing here.
#pragma once

#include <QWidget>
#include <array>

#include "numeric/report/ss_report.h"

class QComboBox;
class QLabel;
class QPushButton;
class QTabWidget;

namespace kora::app {

class ReportGridView;

class TSsDlg : public QWidget {
    Q_OBJECT

public:
    // `caption` is the window title ("Steady state for " and the document's
    // file name); `documentPath`, the document's full file name, is where the
    // save dialog starts. The window deletes itself when closed.
    TSsDlg(const SsReport& report, const QString& caption, const QString& documentPath,
           QWidget* parent = nullptr);

    const SsReport& report() const { return report_; }
    ReportGridView* gridView(ReportPage page) const { return views_[static_cast<size_t>(page)]; }
    QTabWidget* pages() const { return pages_; }
    QComboBox* thresholdCombo() const { return thresholdCombo_; }

    // Writes the report as the text file the Save button writes; "" on
    // success, else the reason.
    QString SaveTo(const QString& path);

signals:
    // The user chose another threshold item; new reports should start with it.
    void thresholdChosen(int index);

protected:
    void keyPressEvent(QKeyEvent* event) override;

private:
    QWidget* BuildTopBar();
    QWidget* BuildPage(ReportPage page);
    QWidget* BuildBottomBar();
    void ShowPages();
    void PageChanged(int index);
    void ThresholdChanged(int index);
    void Save();

    SsReport report_;
    QString lastSavePath_;
    QTabWidget* pages_ = nullptr;
    QLabel* absoluteLabel_ = nullptr;
    QComboBox* thresholdCombo_ = nullptr;
    std::array<ReportGridView*, kReportPageCount> views_{};
};

} // namespace kora::app
