#include "report_windows.h"

#include <QMdiArea>
#include <QMdiSubWindow>

#include "messages_window.h"
#include "numeric/report/ss_report.h"
#include "steady_state_window.h"
#include "window_placement.h"

namespace kora::app {

namespace {

void ShowInArea(QMdiArea& area, QWidget* window) {
    const QMdiSubWindow* before = area.currentSubWindow();
    const bool maximized = before != nullptr && before->isMaximized();
    QMdiSubWindow* sub = area.addSubWindow(window);
    sub->setAttribute(Qt::WA_DeleteOnClose);
    PlaceInsideArea(area, *sub, QSize(640, 420));
    if (maximized)
        sub->showMaximized();
    else
        sub->show();
    area.setActiveSubWindow(sub);
}

} // namespace

TOutForm* ReportWindows::Messages(const std::string& writer) const {
    const auto found = messages_.find(writer);
    return found != messages_.end() ? found->second.data() : nullptr;
}

void ReportWindows::OpenMessages(const std::string& writer, const std::string& caption) {
    TOutForm* window = Messages(writer);
    if (window == nullptr) {
        window = new TOutForm(QString::fromStdString(writer), QString::fromStdString(caption));
        messages_[writer] = window;
        ShowInArea(area_, window);
    }
    window->SetBusy(true);
}

void ReportWindows::AppendMessages(const std::string& writer, const std::string& text) {
    if (TOutForm* window = Messages(writer)) window->Append(text);
}

void ReportWindows::FinishMessages(const std::string& writer) {
    if (TOutForm* window = Messages(writer)) window->SetBusy(false);
}

TSsDlg* ReportWindows::ShowSteadyState(const std::string& caption, const SsReport& report,
                                       const std::string& documentPath) {
    auto* window =
        new TSsDlg(report, QString::fromStdString(caption), QString::fromStdString(documentPath));
    ShowInArea(area_, window);
    return window;
}

} // namespace kora::app
