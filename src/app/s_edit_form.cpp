#include "s_edit_form.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QFrame>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QMouseEvent>
#include <QVBoxLayout>
#include <cmath>

#include "results/number_text.h"
#include "results/plot_ranges.h"

namespace kora::app {

namespace {

// The bound paired with `range`, and whether `range` is the lower of the two.
size_t PartnerOf(size_t range, bool& isMinimum) {
    switch (range) {
    case kXmin:
        isMinimum = true;
        return kXmax;
    case kYmin:
        isMinimum = true;
        return kYmax;
    case kXmax:
        isMinimum = false;
        return kXmin;
    case kYmax:
        isMinimum = false;
        return kYmin;
    default:
        break;
    }
    isMinimum = range < kXphasemax;
    return isMinimum ? range + 3 : range - 3;
}

char LocaleSeparator() {
    const QString point = QLocale().decimalPoint();
    return point.isEmpty() ? '.' : point.at(0).toLatin1();
}

} // namespace

TSEditForm::TSEditForm(ResultsSet& set, int index, size_t rangeIndex, QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::FramelessWindowHint), set_(set), index_(index),
      rangeIndex_(rangeIndex) {
    setObjectName(QStringLiteral("TSEditForm"));
    // Without a title bar the panel's raised edge marks the dialog off the plot.
    auto* outer = new QVBoxLayout(this);
    outer->setContentsMargins(0, 0, 0, 0);
    auto* panel = new QFrame(this);
    panel->setFrameStyle(QFrame::Panel | QFrame::Raised);
    panel->setLineWidth(2);
    outer->addWidget(panel);
    auto* layout = new QVBoxLayout(panel);
    edit_ = new QLineEdit(this);
    list_ = new QComboBox(this);
    message_ = new QLabel(this);
    message_->setStyleSheet(QStringLiteral("color: #b00000"));
    message_->hide();
    layout->addWidget(edit_);
    layout->addWidget(list_);
    layout->addWidget(message_);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    connect(buttons, &QDialogButtonBox::accepted, this, &TSEditForm::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &TSEditForm::reject);
    layout->addWidget(buttons);
    if (EditsTitle()) {
        list_->hide();
        const bool plotTitle = index_ == static_cast<int>(PlotHotSpots::kPlotTitleSpot);
        std::string text = plotTitle ? set_.title : set_.yTitle;
        if (plotTitle && text.empty() && !set_.timeCourses.empty())
            text = set_.timeCourses.front().title;
        edit_->setText(QString::fromStdString(text));
        edit_->selectAll();
        edit_->setFocus();
    } else if (EditsPhaseAxis()) {
        edit_->hide();
        if (!set_.timeCourses.empty()) {
            const TimeCourse& course = set_.timeCourses.front();
            for (size_t c = 1; c < course.names.size(); ++c)
                list_->addItem(QString::fromStdString(course.names[c]));
        }
        const int axis = index_ - kPhaseAxisBase;
        list_->setCurrentIndex(set_.phaseVar[static_cast<size_t>(axis)] - 1);
        list_->setFocus();
    } else {
        list_->hide();
        edit_->setText(QString::fromStdString(
            FormatGeneral(set_.ranges[rangeIndex_], set_.precision, LocaleSeparator())));
        edit_->selectAll();
        edit_->setFocus();
    }
}

QString TSEditForm::refusal() const {
    return message_->isVisible() ? message_->text() : QString();
}

void TSEditForm::accept() {
    if (EditsTitle()) {
        const std::string text = edit_->text().trimmed().toStdString();
        if (index_ == static_cast<int>(PlotHotSpots::kPlotTitleSpot)) {
            // An emptied title takes the plot's title away.
            set_.title = text;
            set_.showTitle = !text.empty();
        } else {
            set_.yTitle = text;
        }
    } else if (EditsPhaseAxis()) {
        if (list_->currentIndex() >= 0)
            set_.phaseVar[static_cast<size_t>(index_ - kPhaseAxisBase)] = list_->currentIndex() + 1;
    } else if (!StoreBound()) {
        return;
    }
    QDialog::accept();
}

bool TSEditForm::StoreBound() {
    const std::optional<double> value =
        ParseNumber(edit_->text().trimmed().toStdString(), LocaleSeparator());
    QString problem;
    bool isMinimum = false;
    const double other = set_.ranges[PartnerOf(rangeIndex_, isMinimum)];
    if (!value || !std::isfinite(*value))
        problem = tr("Not a number.");
    else if (IsLogRange(set_, rangeIndex_) && *value <= 0)
        problem = tr("A logarithmic axis needs a value above zero.");
    else if (isMinimum ? *value >= other : *value <= other)
        problem = isMinimum ? tr("Must be below the maximum.") : tr("Must be above the minimum.");
    if (!problem.isEmpty()) {
        message_->setText(problem);
        message_->show();
        edit_->selectAll();
        return false;
    }
    set_.ranges[rangeIndex_] = *value;
    return true;
}

void TSEditForm::mousePressEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton)
        dragOffset_ = event->globalPosition().toPoint() - frameGeometry().topLeft();
    QDialog::mousePressEvent(event);
}

void TSEditForm::mouseMoveEvent(QMouseEvent* event) {
    if (event->buttons() & Qt::LeftButton) move(event->globalPosition().toPoint() - dragOffset_);
    QDialog::mouseMoveEvent(event);
}

} // namespace kora::app
