// The content of the steady-state report window, free of any toolkit: its
// grids as text, which pages, panels and controls show, the information line,
// and the text it copies and saves. A window only displays this.
#pragma once

#include <array>
#include <string>
#include <string_view>
#include <vector>

#include "numeric/krmform_ss.h"
#include "report_grid.h"
#include "settings/option_table.h"

namespace kora {

// The threshold choices of the report, by item index (the "SensThreshold"
// setting).
inline constexpr std::array<double, kSensThresholdCount> kSensThresholds{0, 0.001, 0.01, 0.1, 0.5,
                                                                         1, 2,     5,    10};
inline constexpr std::array<std::string_view, kSensThresholdCount> kSensThresholdTexts{
    "0", "0.001", "0.01", "0.1", "0.5", "1", "2", "5", "10"};

enum class ReportPage {
    General,
    SteadyState,
    Eigenvalues,
    VariableSensitivities,
    FluxSensitivities
};
inline constexpr size_t kReportPageCount = 5;
std::string_view ReportPageCaption(ReportPage page);

// A value smaller in magnitude than the threshold.
inline constexpr std::string_view kHiddenSensitivity = "  ---";

class SsReport {
public:
    SsReport();

    // Builds everything from a finished computation, with `precision`
    // significant digits ("SSPrec") and the threshold item `thresholdItem`
    // ("SensThreshold"; out of range reads as 0).
    void Fill(const KRMForm& form, const KRMparser& model, int precision, int thresholdItem,
              const KRMForm_ss& computation);

    // A new threshold item (out of range reads as 0); the shown values follow.
    // The window stores it as "SensThreshold" so that the next report starts
    // with it.
    void ThresholdChange(int index);
    // A new active page; the threshold controls follow it.
    void PageChange(ReportPage page);
    // The saved text file's lines, in order. The verdict stands after the
    // eigenvalues when the model has conservation relations, or when
    // `withVerdict`; a report without relations keeps its layout otherwise.
    std::vector<std::string> SaveLines(bool withVerdict = false) const;
    // The lines, each ended by `lineEnd`.
    std::string SaveText(std::string_view lineEnd, bool withVerdict = false) const;
    bool HasRelations() const { return relationsGrid.RowCount() > 1; }

    ReportGrid& Grid(ReportPage page);
    const ReportGrid& Grid(ReportPage page) const;
    bool PageVisible(ReportPage page) const { return pageVisible[Index(page)]; }

    ReportGrid varsGrid{"VarsGrid", false};
    ReportGrid ssVarsGrid{"SSVarsGrid", true};
    ReportGrid eigenGrid{"EigenGrid", false};
    ReportGrid sVarsGrid{"SVarsGrid", true};
    ReportGrid sFluxesGrid{"SFluxesGrid", true};
    // Only for models with conservation relations: each relation with its
    // total, and the zero eigenvalues they explain, listed apart.
    ReportGrid relationsGrid{"RelationsGrid", false};
    ReportGrid zeroEigenGrid{"ZeroEigenGrid", false};
    std::array<bool, kReportPageCount> pageVisible{true, true, true, true, true};
    ReportPage activePage = ReportPage::SteadyState;
    std::string info;
    // The information area's second line, empty unless the steady state was
    // reached by integration.
    std::string integrationLine;
    // "Stable steady state", ...; empty without eigenvalues.
    std::string verdict;
    // Why the sensitivity tables are missing when they would be too large;
    // empty otherwise.
    std::string sensitivityLimitLine;
    bool thresholdControlsVisible = false; // "Hide if absolute value <" and its list
    bool noSSPanel = false;
    bool singWarnPanel = false;
    bool eigenWarnPanel = false;
    bool sVarsWarnPanel = false;
    bool sFluxesWarnPanel = false;
    int precision = 7;
    int thresholdIndex = 0;
    double threshold = 0.0;

private:
    static size_t Index(ReportPage page) { return static_cast<size_t>(page); }
    void SetHeadings(const KRMForm& form, const KRMparser& model);
    void FillGeneralInformation(const KRMForm& form, const KRMparser& model);
    void FillSteadyState(const KRMparser& model);
    void FillEigenvalues();
    void FillRelations(const KRMparser& model);
    void FillSensitivityLabels(const KRMForm& form, const KRMparser& model);
    void ShowSensitivities();
    void ShowPanels();

    void KeepSensitivities();

    const KRMForm_ss* computation_ = nullptr; // only while Fill runs
    bool filled_ = false;
    uint32_t status_ = 0;
    // The report's own copy of the log gains, column after column, so that a
    // later computation or a closed document cannot change or free them.
    std::vector<double> sensitivities_;
    size_t variables_ = 0;
    size_t columnLength_ = 0;
};

// The "ODE" column: X1' = 2 X2 -(X1^0.5)  (with a blank at the end).
std::string EquationText(const GMAexpression& equation, size_t variable);

} // namespace kora
