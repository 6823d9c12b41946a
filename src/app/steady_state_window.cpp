#include "steady_state_window.h"

#include <QComboBox>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>
#include <QTabWidget>
#include <QVBoxLayout>

#include "model/messages.h"
#include "report_grid_view.h"
#include "subwindow_close.h"
#include "text_file_save.h"

namespace kora::app {
namespace {

const QString kSaveFilter = QStringLiteral("Text Files (TXT) (*.txt);;All Files (*)");

QString Text(std::string_view text) {
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

QString Lines(int first, int second) {
    return Text(MessageText(first)) + QLatin1Char('\n') + Text(MessageText(second));
}

// A warning panel: bold, so that it is not taken for part of a table.
QLabel* Panel(const QString& name, const QString& text, bool shown) {
    auto* panel = new QLabel(text);
    panel->setObjectName(name);
    QFont font = panel->font();
    font.setBold(true);
    panel->setFont(font);
    panel->setVisible(shown);
    return panel;
}

QLabel* Note(const QString& name, const QString& text) {
    auto* note = new QLabel(text);
    note->setObjectName(name);
    note->setWordWrap(true);
    note->setTextInteractionFlags(Qt::TextSelectableByMouse);
    return note;
}

// "Conservation relations (the steady state keeps their totals):" and one
// line per relation, "1: E + ES = 2.5".
QString RelationsText(const SsReport& report) {
    QString text = QObject::tr("Conservation relations (the steady state keeps their totals):");
    const ReportGrid& grid = report.relationsGrid;
    for (size_t row = 1; row < grid.RowCount(); ++row)
        text += QStringLiteral("\n%1: %2 = %3")
                    .arg(row)
                    .arg(QString::fromStdString(grid.Cell(0, row)),
                         QString::fromStdString(grid.Cell(1, row)));
    return text;
}

// The zeros the relations add to the full Jacobian, apart from the table.
QString ZeroEigenText(const SsReport& report) {
    const auto zeros = static_cast<int>(report.zeroEigenGrid.RowCount() - 1);
    return zeros == 1
               ? QObject::tr("Also 1 zero eigenvalue, explained by the conservation relation.")
               : QObject::tr("Also %1 zero eigenvalues, explained by the conservation relations.")
                     .arg(zeros);
}

} // namespace

TSsDlg::TSsDlg(const SsReport& report, const QString& caption, const QString& documentPath,
               QWidget* parent)
    : QWidget(parent), report_(report), lastSavePath_(documentPath) {
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowTitle(caption);
    pages_ = new QTabWidget;
    pages_->setObjectName(QStringLiteral("PageControl1"));
    for (size_t p = 0; p < kReportPageCount; ++p) {
        const auto page = static_cast<ReportPage>(p);
        pages_->addTab(BuildPage(page), Text(ReportPageCaption(page)));
    }
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(BuildTopBar());
    layout->addWidget(pages_, 1);
    layout->addWidget(BuildBottomBar());
    ShowPages();
    connect(pages_, &QTabWidget::currentChanged, this, &TSsDlg::PageChanged);
    resize(720, 480);
}

QWidget* TSsDlg::BuildTopBar() {
    auto* bar = new QWidget;
    auto* layout = new QHBoxLayout(bar);
    layout->setContentsMargins(0, 0, 0, 0);
    auto* save = new QPushButton(tr("&Save"));
    save->setObjectName(QStringLiteral("SaveButton"));
    connect(save, &QPushButton::clicked, this, &TSsDlg::Save);
    auto* close = new QPushButton(tr("&Close"));
    close->setObjectName(QStringLiteral("CancelButton"));
    connect(close, &QPushButton::clicked, this, [this] { CloseWithFrame(*this); });
    absoluteLabel_ = new QLabel(tr("Hide if absolute value <"));
    absoluteLabel_->setObjectName(QStringLiteral("AbsoluteLabel"));
    thresholdCombo_ = new QComboBox;
    thresholdCombo_->setObjectName(QStringLiteral("ThresholdCombo"));
    for (std::string_view item : kSensThresholdTexts)
        thresholdCombo_->addItem(Text(item));
    thresholdCombo_->setCurrentIndex(report_.thresholdIndex);
    connect(thresholdCombo_, &QComboBox::currentIndexChanged, this, &TSsDlg::ThresholdChanged);
    absoluteLabel_->setBuddy(thresholdCombo_);
    layout->addWidget(save);
    layout->addWidget(close);
    layout->addSpacing(24);
    layout->addWidget(absoluteLabel_);
    layout->addWidget(thresholdCombo_);
    layout->addStretch(1);
    return bar;
}

QWidget* TSsDlg::BuildPage(ReportPage page) {
    auto* widget = new QWidget;
    auto* layout = new QVBoxLayout(widget);
    auto* view = new ReportGridView;
    const ReportGrid& grid = report_.Grid(page);
    view->setObjectName(QString::fromStdString(grid.name));
    view->SetGrid(&grid);
    view->setVisible(grid.visible);
    views_[static_cast<size_t>(page)] = view;
    if (page == ReportPage::SteadyState && report_.HasRelations())
        layout->addWidget(Note(QStringLiteral("RelationsNote"), RelationsText(report_)));
    layout->addWidget(view, 1);
    const QString noSensitivities =
        Lines(kSsMessageNoSensitivities, kSsMessageNoSensitivitiesComputed);
    if (page == ReportPage::Eigenvalues) {
        layout->addWidget(Panel(QStringLiteral("EigenWarnPanel"),
                                Text(MessageText(kSsMessageEigenFailed)), report_.eigenWarnPanel));
        if (report_.HasRelations() && report_.zeroEigenGrid.RowCount() > 1)
            layout->addWidget(Note(QStringLiteral("ZeroEigenNote"), ZeroEigenText(report_)));
        if (!report_.verdict.empty())
            layout->addWidget(Panel(QStringLiteral("VerdictLabel"),
                                    QString::fromStdString(report_.verdict), true));
    }
    if (page == ReportPage::VariableSensitivities || page == ReportPage::FluxSensitivities) {
        if (!report_.sensitivityLimitLine.empty())
            layout->addWidget(Note(QStringLiteral("SensLimitNote"),
                                   QString::fromStdString(report_.sensitivityLimitLine)));
        else if (report_.HasRelations())
            layout->addWidget(Note(QStringLiteral("TotalsHeldNote"),
                                   tr("Computed with the totals of the conservation relations "
                                      "held; total(k) is the total of relation k.")));
    }
    if (page == ReportPage::VariableSensitivities)
        layout->addWidget(
            Panel(QStringLiteral("SVarsWarnPanel"), noSensitivities, report_.sVarsWarnPanel));
    if (page == ReportPage::FluxSensitivities)
        layout->addWidget(
            Panel(QStringLiteral("SFluxesWarnPanel"), noSensitivities, report_.sFluxesWarnPanel));
    // A hidden grid leaves its panel at the top rather than in the middle.
    if (!grid.visible) layout->addStretch(1);
    return widget;
}

QWidget* TSsDlg::BuildBottomBar() {
    auto* bar = new QWidget;
    auto* layout = new QVBoxLayout(bar);
    layout->setContentsMargins(0, 0, 0, 0);
    QString infoText = QString::fromStdString(report_.info);
    if (!report_.integrationLine.empty())
        infoText += QLatin1Char('\n') + QString::fromStdString(report_.integrationLine);
    auto* info = new QLabel(infoText);
    info->setObjectName(QStringLiteral("info"));
    info->setTextInteractionFlags(Qt::TextSelectableByMouse);
    layout->addWidget(info);
    layout->addWidget(Panel(QStringLiteral("NoSSPanel"), Text(MessageText(kSsMessageNotFound)),
                            report_.noSSPanel));
    layout->addWidget(Panel(QStringLiteral("SingWarnPanel"),
                            Lines(kSsMessageSingular, kSsMessageManySteadyStates),
                            report_.singWarnPanel));
    return bar;
}

void TSsDlg::ShowPages() {
    for (size_t p = 0; p < kReportPageCount; ++p)
        pages_->setTabVisible(static_cast<int>(p), report_.PageVisible(static_cast<ReportPage>(p)));
    pages_->setCurrentIndex(static_cast<int>(report_.activePage));
    PageChanged(pages_->currentIndex());
}

void TSsDlg::PageChanged(int index) {
    if (index < 0 || static_cast<size_t>(index) >= kReportPageCount) return;
    report_.PageChange(static_cast<ReportPage>(index));
    absoluteLabel_->setVisible(report_.thresholdControlsVisible);
    thresholdCombo_->setVisible(report_.thresholdControlsVisible);
}

void TSsDlg::ThresholdChanged(int index) {
    QGuiApplication::setOverrideCursor(Qt::WaitCursor);
    report_.ThresholdChange(index);
    gridView(ReportPage::VariableSensitivities)->Refresh();
    gridView(ReportPage::FluxSensitivities)->Refresh();
    QGuiApplication::restoreOverrideCursor();
    emit thresholdChosen(report_.thresholdIndex);
}

QString TSsDlg::SaveTo(const QString& path) {
    // Text files of the system end their lines with CR LF.
    return WriteTextFile(path, report_.SaveText("\r\n"));
}

void TSsDlg::Save() {
    const QString path = AskTextFileName(this, kSaveFilter, lastSavePath_);
    if (path.isEmpty()) return;
    if (const QString failure = SaveTo(path); !failure.isEmpty()) {
        ShowWriteFailure(this, path, failure);
        return;
    }
    lastSavePath_ = path;
}

void TSsDlg::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Escape && event->modifiers() == Qt::NoModifier) {
        CloseWithFrame(*this);
        return;
    }
    QWidget::keyPressEvent(event);
}

} // namespace kora::app
