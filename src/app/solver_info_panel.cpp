#include "solver_info_panel.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QProgressBar>
#include <QStyle>
#include <QToolButton>
#include <algorithm>

#include "results/number_text.h"

namespace kora::app {
namespace {

constexpr int32_t kStepSizeDigits = 4;
constexpr int64_t kMillisecondsBelowMs = 10000;

QLabel* Field(QHBoxLayout* layout, const QString& caption, QWidget* parent) {
    layout->addWidget(new QLabel(caption, parent));
    auto* value = new QLabel(parent);
    value->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    value->setMinimumWidth(value->fontMetrics().horizontalAdvance(QStringLiteral("0000000")));
    layout->addWidget(value);
    return value;
}

} // namespace

SolverInfoPanel::SolverInfoPanel(QWidget* parent) : QFrame(parent) {
    setFrameStyle(QFrame::StyledPanel | QFrame::Raised);
    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(6, 2, 2, 2);
    method_ = new QLabel(this);
    QFont bold = method_->font();
    bold.setBold(true);
    method_->setFont(bold);
    layout->addWidget(method_);
    steps_ = Field(layout, tr("Steps:"), this);
    order_ = Field(layout, tr("Order:"), this);
    stepSize_ = Field(layout, tr("Step size:"), this);
    elapsed_ = Field(layout, tr("Time:"), this);
    percent_ = new QLabel(this);
    layout->addWidget(percent_);
    bar_ = new QProgressBar(this);
    bar_->setRange(0, 100);
    bar_->setTextVisible(false);
    layout->addWidget(bar_, 1);
    auto* close = new QToolButton(this);
    close->setIcon(style()->standardIcon(QStyle::SP_TitleBarCloseButton));
    close->setAutoRaise(true);
    close->setToolTip(tr("Hide the solver information"));
    connect(close, &QToolButton::clicked, this, &SolverInfoPanel::closeRequested);
    layout->addWidget(close);
    Reset(QString());
}

QString SolverInfoPanel::ElapsedText(int64_t elapsedMs) {
    // Whole seconds hide every short run's time.
    if (elapsedMs < kMillisecondsBelowMs) return tr("%1 ms").arg(elapsedMs);
    return tr("%1 s").arg(elapsedMs / 1000);
}

void SolverInfoPanel::Reset(const QString& method) {
    SolverProgressView start;
    start.method = method;
    ShowProgress(start);
}

void SolverInfoPanel::ShowProgress(const SolverProgressView& progress) {
    const int32_t percent = std::clamp(progress.percent, 0, 100);
    method_->setText(progress.method);
    steps_->setText(QString::number(progress.steps));
    order_->setText(QString::number(progress.order));
    stepSize_->setText(QString::fromStdString(FormatGeneral(progress.stepSize, kStepSizeDigits)));
    elapsed_->setText(ElapsedText(progress.elapsedMs));
    percent_->setText(tr("%1%").arg(percent));
    ShowBarValue(percent);
}

// QProgressBar::setValue repaints the whole window at once: after every run
// of a sweep it would draw the plot again, so the bar takes only the last of
// the values that came before the event loop turns.
void SolverInfoPanel::ShowBarValue(int32_t percent) {
    barValue_ = percent;
    if (barValueQueued_) return;
    barValueQueued_ = true;
    QMetaObject::invokeMethod(
        this,
        [this] {
            barValueQueued_ = false;
            bar_->setValue(barValue_);
        },
        Qt::QueuedConnection);
}

} // namespace kora::app
