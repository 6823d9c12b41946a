#include "ss_report.h"

#include <algorithm>
#include <cmath>

#include "model/messages.h"
#include "report_conservation.h"
#include "report_labels.h"
#include "report_numbers.h"

namespace kora {
namespace {

int ThresholdItemOrFirst(int index) {
    return index >= 0 && static_cast<size_t>(index) < kSensThresholds.size() ? index : 0;
}

constexpr std::array<std::string_view, kReportPageCount> kPageCaptions{
    "General information", "Steady State", "EigenValues", "Variables sensitivities",
    "Fluxes sensitivities"};

bool IsPredefined(const KRMparser& model, const std::string& name) {
    return std::find(model.predefinedNames.begin(), model.predefinedNames.end(), name) !=
           model.predefinedNames.end();
}

} // namespace

std::string_view ReportPageCaption(ReportPage page) {
    return kPageCaptions[static_cast<size_t>(page)];
}

SsReport::SsReport() {
    for (ReportGrid* grid : {&varsGrid, &ssVarsGrid, &eigenGrid, &sVarsGrid, &sFluxesGrid,
                             &relationsGrid, &zeroEigenGrid})
        grid->Resize(1, grid->labelColumn ? 2 : 1);
}

ReportGrid& SsReport::Grid(ReportPage page) {
    return const_cast<ReportGrid&>(static_cast<const SsReport&>(*this).Grid(page));
}

const ReportGrid& SsReport::Grid(ReportPage page) const {
    switch (page) {
    case ReportPage::General:
        return varsGrid;
    case ReportPage::SteadyState:
        return ssVarsGrid;
    case ReportPage::Eigenvalues:
        return eigenGrid;
    case ReportPage::VariableSensitivities:
        return sVarsGrid;
    case ReportPage::FluxSensitivities:
        break;
    }
    return sFluxesGrid;
}

void SsReport::Fill(const KRMForm& form, const KRMparser& model, int digits, int thresholdItem,
                    const KRMForm_ss& computation) {
    computation_ = &computation;
    filled_ = true;
    status_ = computation.status;
    precision = digits;
    thresholdControlsVisible = false;
    integrationLine.clear();
    verdict.clear();
    sensitivityLimitLine.clear();
    thresholdIndex = ThresholdItemOrFirst(thresholdItem);
    threshold = kSensThresholds[thresholdIndex];
    SetHeadings(form, model);
    FillGeneralInformation(form, model);

    const uint32_t status = computation.status;
    if (status & SS_NO_EQUATIONS) {
        info = MessageText(kSsMessageNoEquations);
        // Nothing was computed; only the model description is worth a page.
        pageVisible = {true, false, false, false, false};
        activePage = ReportPage::General;
        computation_ = nullptr;
        return;
    }
    if (status & SS_NOT_FOUND) {
        activePage = ReportPage::General;
        pageVisible = {true, false, false, false, false};
    } else {
        FillSteadyState(model);
        FillRelations(model);
        if (status & SS_EIGEN_FAILED) {
            // The eigenvalue page stays, so that its failure text is seen.
            pageVisible[Index(ReportPage::VariableSensitivities)] = false;
            pageVisible[Index(ReportPage::FluxSensitivities)] = false;
        } else {
            FillEigenvalues();
            if (!computation.isPowerLaw) {
                pageVisible[Index(ReportPage::VariableSensitivities)] = false;
                pageVisible[Index(ReportPage::FluxSensitivities)] = false;
            } else if ((status & SS_NO_SENSITIVITIES) == 0) {
                FillSensitivityLabels(form, model);
                KeepSensitivities();
                ShowSensitivities();
            }
        }
    }
    info = ClassificationSentence(computation.classification, computation.isPowerLaw);
    if (status & SS_SENSITIVITIES_TOO_LARGE)
        sensitivityLimitLine = "Sensitivities left out: the tables would hold " +
                               std::to_string(computation.sensitivityValues) +
                               " values, more than " +
                               std::to_string(computation.maxSensitivityValues) + ".";
    if (computation.integrationHorizon > 0.0 && (status & SS_NOT_FOUND) == 0)
        integrationLine = "Steady state reached by integration to t = " +
                          ReportGeneral(computation.integrationHorizon, precision) + ".";
    ShowPanels();
    computation_ = nullptr;
}

void SsReport::SetHeadings(const KRMForm& form, const KRMparser& model) {
    const KRMForm_ss& ss = *computation_;
    varsGrid.Resize(1, 4);
    varsGrid.cells[0] = {"Name", "Internal name", "Initial value", "ODE"};
    ssVarsGrid.Resize(1, 4);
    ssVarsGrid.cells[0] = {"Variable", "Value", "Flux", "F-value"};
    eigenGrid.Resize(1, 2);
    eigenGrid.cells[0] = {"Re", "Im"};

    sVarsGrid.Resize(1, size_t{ss.nVars} + 1);
    for (uint32_t i = 0; i < ss.nVars && i < model.equations.size(); ++i)
        sVarsGrid.Cell(i + 1, 0) = model.equations[i].name;
    const std::vector<std::string> fluxes =
        ss.isPowerLaw ? FluxHeadings(form, model) : std::vector<std::string>{};
    sFluxesGrid.Resize(1, fluxes.size() + 1);
    for (size_t f = 0; f < fluxes.size(); ++f)
        sFluxesGrid.Cell(f + 1, 0) = fluxes[f];
}

void SsReport::FillGeneralInformation(const KRMForm& form, const KRMparser& model) {
    const bool powerLaw = computation_->isPowerLaw;
    const size_t n = model.equations.size();
    std::vector<std::vector<std::string>> rows;
    for (size_t i = 0; i < n; ++i) {
        const Statement& variable = model.equations[i];
        rows.push_back({variable.name, "X" + std::to_string(i + 1), ReportPlain(variable.value),
                        powerLaw && i < form.size() ? EquationText(form.equations[i], i) : ""});
    }
    for (size_t j = 0; j < static_cast<size_t>(model.nIndependent); ++j) {
        for (const Statement& constant : model.constants) {
            if (static_cast<size_t>(constant.valueIndex) != n + j || constant.valueIndex == 0)
                continue;
            rows.push_back({constant.name, "X" + std::to_string(n + j + 1) + " (indep.)",
                            ReportPlain(constant.value), ""});
        }
    }
    for (size_t k = 0; k < model.definitions.size(); ++k) {
        const Statement& definition = model.definitions[k];
        rows.push_back({definition.name, "transf " + std::to_string(k + 1),
                        ReportPlain(definition.value), ""});
    }
    // Interned numbers have no name and are never shown.
    for (size_t c = 0; c < model.constants.size(); ++c) {
        const Statement& constant = model.constants[c];
        if (constant.name.empty() || constant.valueIndex != 0 || IsPredefined(model, constant.name))
            continue;
        rows.push_back(
            {constant.name, "const " + std::to_string(c + 1), ReportPlain(constant.value), ""});
    }
    varsGrid.Resize(rows.size() + 1, 4);
    for (size_t r = 0; r < rows.size(); ++r)
        varsGrid.cells[r + 1] = rows[r];
}

void SsReport::FillSteadyState(const KRMparser& model) {
    const KRMForm_ss& ss = *computation_;
    ssVarsGrid.Resize(size_t{ss.nVars} + 1, 4);
    for (uint32_t i = 0; i < ss.nVars; ++i) {
        std::vector<std::string>& row = ssVarsGrid.cells[i + 1];
        row[0] = i < model.equations.size() ? model.equations[i].name : "";
        row[1] = ReportGeneral(ss.steadyState[i], precision);
        const bool hasFValue = ss.isPowerLaw && std::isfinite(ss.fValue[i]);
        row[2] = ss.isPowerLaw ? ReportGeneral(ss.influx[i], precision) : "N/A";
        row[3] = hasFValue ? ReportGeneral(ss.fValue[i], precision) : "N/A";
    }
}

void SsReport::FillEigenvalues() {
    const KRMForm_ss& ss = *computation_;
    const uint32_t kept = ss.ReducedCount();
    eigenGrid.Resize(size_t{kept} + 1, 2);
    zeroEigenGrid.Resize(size_t{ss.nVars - kept} + 1, 2);
    zeroEigenGrid.cells[0] = {"Re", "Im"};
    for (uint32_t i = 0; i < ss.nVars; ++i) {
        ReportGrid& grid = i < kept ? eigenGrid : zeroEigenGrid;
        const uint32_t row = i < kept ? i + 1 : i - kept + 1;
        grid.Cell(0, row) = ReportGeneral(ss.eigenvalues[i], precision);
        grid.Cell(1, row) = ReportGeneral(ss.eigenvalues[ss.nVars + i], precision);
    }
    verdict = StabilityVerdict(ss.eigenvalues, ss.eigenvalues + ss.nVars, kept);
}

void SsReport::FillRelations(const KRMparser& model) {
    const KRMForm_ss& ss = *computation_;
    relationsGrid.Resize(ss.relations.size() + 1, 2);
    relationsGrid.cells[0] = {"Relation", "Total"};
    for (size_t k = 0; k < ss.relations.size(); ++k) {
        relationsGrid.Cell(0, k + 1) = RelationText(ss.relations[k], model, precision);
        relationsGrid.Cell(1, k + 1) = ReportGeneral(ss.relations[k].total, precision);
    }
}

void SsReport::FillSensitivityLabels(const KRMForm& form, const KRMparser& model) {
    const KRMForm_ss& ss = *computation_;
    std::vector<std::string> labels = SensitivityRowLabels(form, model, ss.nIndep);
    for (size_t k = 0; k < ss.relations.size(); ++k)
        labels.push_back("total(" + std::to_string(k + 1) + ")");
    sVarsGrid.Resize(labels.size() + 1, sVarsGrid.ColumnCount());
    sFluxesGrid.Resize(labels.size() + 1, sFluxesGrid.ColumnCount());
    for (size_t r = 0; r < labels.size(); ++r) {
        sVarsGrid.Cell(0, r + 1) = labels[r];
        sFluxesGrid.Cell(0, r + 1) = labels[r];
    }
}

void SsReport::KeepSensitivities() {
    const KRMForm_ss& ss = *computation_;
    variables_ = ss.nVars;
    columnLength_ = ss.ColumnLength();
    sensitivities_.clear();
    sensitivities_.insert(sensitivities_.end(), ss.sensIndep,
                          ss.sensIndep + columnLength_ * ss.nIndep);
    sensitivities_.insert(sensitivities_.end(), ss.sensRate,
                          ss.sensRate + columnLength_ * ss.nTerms);
    sensitivities_.insert(sensitivities_.end(), ss.sensOrder,
                          ss.sensOrder + columnLength_ * ss.nFactors);
    sensitivities_.insert(sensitivities_.end(), ss.sensTotal,
                          ss.sensTotal + columnLength_ * ss.relations.size());
}

void SsReport::ShowSensitivities() {
    if (sensitivities_.empty() || columnLength_ == 0) return;
    const size_t parameters = sensitivities_.size() / columnLength_;
    if (sVarsGrid.RowCount() != parameters + 1 || sFluxesGrid.RowCount() != parameters + 1) return;
    auto text = [this](double v) {
        return std::abs(v) < threshold ? std::string(kHiddenSensitivity)
                                       : ReportFixed(v, precision);
    };
    for (size_t r = 0; r < parameters; ++r) {
        const double* column = sensitivities_.data() + r * columnLength_;
        for (size_t i = 0; i < variables_; ++i)
            sVarsGrid.Cell(i + 1, r + 1) = text(column[i]);
        for (size_t f = variables_; f < columnLength_; ++f)
            sFluxesGrid.Cell(f - variables_ + 1, r + 1) = text(column[f]);
    }
}

void SsReport::ShowPanels() {
    const uint32_t status = status_;
    singWarnPanel = (status & SS_SINGULAR) != 0;
    noSSPanel = (status & SS_NOT_FOUND) != 0;
    if (status & SS_EIGEN_FAILED) {
        eigenGrid.visible = false;
        eigenWarnPanel = true;
    }
    if (status & SS_NO_SENSITIVITIES) {
        sVarsGrid.visible = sFluxesGrid.visible = false;
        sVarsWarnPanel = sFluxesWarnPanel = true;
    }
}

void SsReport::ThresholdChange(int index) {
    thresholdIndex = ThresholdItemOrFirst(index);
    threshold = kSensThresholds[thresholdIndex];
    ShowSensitivities();
}

void SsReport::PageChange(ReportPage page) {
    activePage = page;
    const bool sensitivityPage =
        page == ReportPage::VariableSensitivities || page == ReportPage::FluxSensitivities;
    thresholdControlsVisible = sensitivityPage && filled_ && (status_ & SS_NO_SENSITIVITIES) == 0;
}

std::vector<std::string> SsReport::SaveLines(bool withVerdict) const {
    const bool relations = HasRelations();
    std::vector<std::string> lines{info};
    if (!integrationLine.empty()) lines.push_back(integrationLine);
    lines.emplace_back("\t");
    if (relations) {
        lines.emplace_back("Conservation relations (the steady state keeps their totals):");
        AppendTableLines(relationsGrid, lines);
    }
    lines.emplace_back("Steady state:");
    AppendTableLines(ssVarsGrid, lines);
    lines.emplace_back(relations ? "Eigenvalues at steady state, on the totals:"
                                 : "Eigenvalues at steady state:");
    AppendTableLines(eigenGrid, lines);
    if (relations && zeroEigenGrid.RowCount() > 1) {
        lines.emplace_back("Zero eigenvalues explained by the conservation relations:");
        AppendTableLines(zeroEigenGrid, lines);
    }
    if ((relations || withVerdict) && !verdict.empty()) lines.insert(lines.end(), {verdict, "\t"});
    if (!sensitivityLimitLine.empty()) lines.insert(lines.end(), {sensitivityLimitLine, "\t"});
    lines.emplace_back(relations ? "Sensitivities for variables (totals held):"
                                 : "Sensitivities for variables:");
    AppendTableLines(sVarsGrid, lines);
    lines.emplace_back(relations ? "Sensitivities for fluxes (totals held):"
                                 : "Sensitivities for fluxes:");
    AppendTableLines(sFluxesGrid, lines);
    return lines;
}

std::string SsReport::SaveText(std::string_view lineEnd, bool withVerdict) const {
    std::string text;
    for (const std::string& line : SaveLines(withVerdict)) {
        text += line;
        text += lineEnd;
    }
    return text;
}

} // namespace kora
