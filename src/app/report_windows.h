// The frame's messages windows and steady-state report windows, kept apart
// from the frame so that the windows themselves can change without it.
#pragma once

#include <QPointer>
#include <map>
#include <memory>
#include <string>

class QMdiArea;

namespace kora {
class SsReport;
}

namespace kora::app {

class TOutForm;
class TSsDlg;

class ReportWindows {
public:
    explicit ReportWindows(QMdiArea& area) : area_(area) {}

    // Found by the writer's file name or created with `caption`; marked busy.
    void OpenMessages(const std::string& writer, const std::string& caption);
    void AppendMessages(const std::string& writer, const std::string& text);
    void FinishMessages(const std::string& writer);
    // The messages window of `writer`, or null.
    TOutForm* Messages(const std::string& writer) const;

    TSsDlg* ShowSteadyState(const std::string& caption, const SsReport& report,
                            const std::string& documentPath);

private:
    QMdiArea& area_;
    std::map<std::string, QPointer<TOutForm>> messages_;
};

} // namespace kora::app
