#include "options_dialog.h"

#include <QCheckBox>
#include <QColorDialog>
#include <QDialogButtonBox>
#include <QDoubleValidator>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QTabWidget>
#include <QVBoxLayout>

#include "editor_font_dialog.h"
#include "qt_conversions.h"
#include "settings/option_table.h"

namespace kora::app {
namespace {

const char* const kTaylorRadio = "MethodTaylor";
const char* const kBdfRadio = "MethodBDF";
// A check box whose text says the opposite of its setting.
const char* const kNegated = "negated";

const OptionDescriptor& Option(const QObject& control) {
    return *FindOption(control.objectName().toStdString());
}

QWidget* PageOf(std::initializer_list<QGroupBox*> groups) {
    auto* page = new QWidget;
    auto* layout = new QVBoxLayout(page);
    for (QGroupBox* group : groups)
        layout->addWidget(group);
    layout->addStretch();
    return page;
}

} // namespace

TOptionsDialog::TOptionsDialog(Settings& settings, Page page, QWidget* parent)
    : QDialog(parent), settings_(settings), font_(ToQFont(settings.editorFont)),
      background_(ToQColor(settings.editorColor)) {
    setWindowTitle(tr("Options"));
    auto* pages = new QTabWidget(this);
    pages->addTab(SolverPage(), tr("Solver"));
    pages->addTab(ResultsPage(), tr("Results"));
    pages->addTab(EditorPage(), tr("Editor"));
    pages->setCurrentIndex(static_cast<int>(page));
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    connect(buttons, &QDialogButtonBox::accepted, this, &TOptionsDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(pages);
    layout->addWidget(buttons);
    UpdateSample();
}

QSpinBox* TOptionsDialog::SpinBox(const char* settingName) {
    auto* box = new QSpinBox;
    box->setObjectName(QLatin1String(settingName));
    box->setRange(Option(*box).min, Option(*box).max);
    box->setValue(Option(*box).IntIn(settings_));
    return box;
}

QCheckBox* TOptionsDialog::CheckBox(const QString& text, const char* settingName, bool negated) {
    auto* box = new QCheckBox(text);
    box->setObjectName(QLatin1String(settingName));
    box->setProperty(kNegated, negated);
    box->setChecked(Option(*box).BoolIn(settings_) != negated);
    return box;
}

QLineEdit* TOptionsDialog::NameEdit(const char* settingName) {
    auto* edit = new QLineEdit;
    edit->setObjectName(QLatin1String(settingName));
    edit->setText(QString::fromStdString(Option(*edit).TextIn(settings_)));
    return edit;
}

QGroupBox* TOptionsDialog::SolutionsGroup() {
    auto* group = new QGroupBox(tr("Solutions"));
    auto* layout = new QFormLayout(group);
    layout->addRow(CheckBox(tr("Show solver &information"), "SolverShowInfo", false));
    // The setting says what to do, the box what not to do.
    layout->addRow(CheckBox(tr("&Don't generate solutions"), "SolverCreateResults", true));
    layout->addRow(CheckBox(tr("&Beep on completion (long runs)"), "BeepOnCompletion", false));
    layout->addRow(tr("Default number of &report points:"), SpinBox("DefaultRepPoints"));
    QSpinBox* threads = SpinBox("SweepThreads");
    threads->setSpecialValueText(tr("One per core"));
    threads->setToolTip(tr("Worker threads of a SETTING loop whose passes are independent"));
    layout->addRow(tr("Sweep thread&s:"), threads);
    return group;
}

QGroupBox* TOptionsDialog::MethodGroup() {
    auto* group = new QGroupBox(tr("Method"));
    auto* taylor = new QRadioButton(tr("&Taylor"));
    auto* bdf = new QRadioButton(tr("&Adams/BDF (LSODA)"));
    taylor->setObjectName(QLatin1String(kTaylorRadio));
    bdf->setObjectName(QLatin1String(kBdfRadio));
    (settings_.UsesTaylor() ? taylor : bdf)->setChecked(true);
    auto* radios = new QHBoxLayout;
    radios->addWidget(taylor);
    radios->addWidget(bdf);
    radios->addStretch();
    auto* orders = new QHBoxLayout;
    QSpinBox* minOrder = SpinBox("MinOrder");
    QSpinBox* maxOrder = SpinBox("MaxOrder");
    auto* ordersLabel = new QLabel(tr("Method &order:"));
    ordersLabel->setBuddy(minOrder);
    auto* minLabel = new QLabel(tr("Min"));
    auto* maxLabel = new QLabel(tr("Max"));
    orders->addWidget(minLabel);
    orders->addWidget(minOrder);
    orders->addWidget(maxLabel);
    orders->addWidget(maxOrder);
    orders->addStretch();
    // The orders are the Taylor method's alone.
    for (QWidget* taylorOnly :
         std::initializer_list<QWidget*>{ordersLabel, minLabel, minOrder, maxLabel, maxOrder}) {
        taylorOnly->setEnabled(taylor->isChecked());
        connect(taylor, &QRadioButton::toggled, taylorOnly, &QWidget::setEnabled);
    }
    auto* layout = new QFormLayout(group);
    layout->addRow(radios);
    layout->addRow(tr("Log10 (Error &tolerance) = -"), SpinBox("MLogTolerance"));
    QLineEdit* absolute = NameEdit("AbsTolerance");
    absolute->setPlaceholderText(tr("2.2e-13 (default)"));
    auto* positive = new QDoubleValidator(0.0, 1e300, 300, absolute);
    positive->setNotation(QDoubleValidator::ScientificNotation);
    positive->setLocale(QLocale::c());
    absolute->setValidator(positive);
    absolute->setToolTip(tr("LSODA's absolute tolerance; smaller for quantities far below 1e-7"));
    layout->addRow(tr("&Absolute tolerance (LSODA):"), absolute);
    QCheckBox* exact =
        CheckBox(tr("E&xact Jacobian (LSODA and steady states)"), "ExactJacobian", false);
    exact->setToolTip(tr("Derivatives from the model's expressions instead of differences"));
    layout->addRow(exact);
    layout->addRow(ordersLabel, orders);
    return group;
}

QWidget* TOptionsDialog::SolverPage() {
    return PageOf({SolutionsGroup(), MethodGroup()});
}

QWidget* TOptionsDialog::ResultsPage() {
    auto* precision = new QGroupBox(tr("Numerical precision (significant digits)"));
    auto* digits = new QFormLayout(precision);
    digits->addRow(tr("&Table view"), SpinBox("TablePrec"));
    digits->addRow(tr("&Files"), SpinBox("FilePrec"));
    digits->addRow(tr("&Steady-State analysis"), SpinBox("SSPrec"));
    auto* general = new QGroupBox(tr("General options"));
    auto* options = new QVBoxLayout(general);
    options->addWidget(CheckBox(tr("&Ask to save results on closing"), "NoAskSaveResults", true));
    options->addWidget(
        CheckBox(tr("Ask before &overwriting results files"), "NoWarnOverwritingResults", true));
    options->addWidget(CheckBox(tr("Show &hot spots in graphs"), "GraphShowHotSpots", false));
    options->addWidget(CheckBox(tr("&Ignore conservation relations in steady states"),
                                "IgnoreConservation", false));
    return PageOf({precision, general});
}

QWidget* TOptionsDialog::EditorPage() {
    auto* names = new QGroupBox(tr("Predefined names"));
    auto* form = new QFormLayout(names);
    form->addRow(tr("TIME &variable"), NameEdit("TimeVariableName"));
    form->addRow(tr("&Initial time"), NameEdit("InitialTimeName"));
    form->addRow(tr("&Final time"), NameEdit("FinalTimeName"));
    form->addRow(tr("&Report interval"), NameEdit("ReportIntervalName"));
    form->addRow(tr("&Number of points"), NameEdit("NpointsName"));

    auto* appearance = new QGroupBox(tr("Font && Color"));
    sample_ = new QLabel(QStringLiteral("X1'= -X1"));
    sample_->setObjectName(QStringLiteral("EditorSample"));
    sample_->setAutoFillBackground(true);
    sample_->setFrameStyle(QFrame::StyledPanel | QFrame::Sunken);
    sample_->setMinimumHeight(48);
    sample_->setMargin(8);
    auto* font = new QPushButton(tr("F&ont..."));
    auto* background = new QPushButton(tr("&Background..."));
    connect(font, &QPushButton::clicked, this, &TOptionsDialog::ChooseFont);
    connect(background, &QPushButton::clicked, this, &TOptionsDialog::ChooseBackground);
    auto* row = new QHBoxLayout(appearance);
    row->addWidget(sample_, 1);
    row->addWidget(font);
    row->addWidget(background);
    return PageOf({names, appearance});
}

void TOptionsDialog::ChooseFont() {
    if (const std::optional<QFont> chosen = EditorFontDialog::GetFont(font_, this)) {
        font_ = *chosen;
        UpdateSample();
    }
}

void TOptionsDialog::ChooseBackground() {
    const QColor chosen = QColorDialog::getColor(background_, this, tr("Background"));
    if (!chosen.isValid()) return;
    background_ = chosen;
    UpdateSample();
}

void TOptionsDialog::UpdateSample() {
    sample_->setFont(font_);
    QPalette colours = sample_->palette();
    colours.setColor(QPalette::Window, background_);
    colours.setColor(QPalette::WindowText, ToQColor(settings_.editorFont.colour));
    sample_->setPalette(colours);
}

void TOptionsDialog::accept() {
    for (const QSpinBox* box : findChildren<QSpinBox*>())
        Option(*box).IntIn(settings_) = box->value();
    for (const QCheckBox* box : findChildren<QCheckBox*>())
        Option(*box).BoolIn(settings_) = box->isChecked() != box->property(kNegated).toBool();
    for (const QLineEdit* edit : findChildren<QLineEdit*>())
        if (FindOption(edit->objectName().toStdString()) != nullptr) // not a spin box's own
            Option(*edit).TextIn(settings_) = edit->text().toStdString();
    settings_.method =
        findChild<QRadioButton*>(QLatin1String(kTaylorRadio))->isChecked() ? "Taylor" : "BDF";
    settings_.maxOrder = std::max(settings_.maxOrder, settings_.minOrder);
    StoreQFont(font_, settings_.editorFont);
    settings_.editorColor = ToColour(background_);
    QDialog::accept();
}

} // namespace kora::app
