#include "options_dialog.h"

#include <QCheckBox>
#include <QColorDialog>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QTabWidget>
#include <QVBoxLayout>

#include "editor_font_dialog.h"
#include "option_ranges.h"
#include "qt_conversions.h"

namespace kora::app {
namespace {

const char* const kTaylorRadio = "MethodTaylor";
const char* const kBdfRadio = "MethodBDF";

template <typename Control> Control* Find(const QObject& dialog, const char* name) {
    return dialog.findChild<Control*>(QLatin1String(name));
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

QSpinBox* TOptionsDialog::SpinBox(const char* settingName, int value) {
    auto* box = new QSpinBox;
    box->setObjectName(QLatin1String(settingName));
    const IntRange range = SettingRange(settingName);
    box->setRange(range.min, range.max);
    box->setValue(value);
    return box;
}

QCheckBox* TOptionsDialog::CheckBox(const QString& text, const char* settingName, bool checked) {
    auto* box = new QCheckBox(text);
    box->setObjectName(QLatin1String(settingName));
    box->setChecked(checked);
    return box;
}

QLineEdit* TOptionsDialog::NameEdit(const char* settingName, const std::string& value) {
    auto* edit = new QLineEdit(QString::fromStdString(value));
    edit->setObjectName(QLatin1String(settingName));
    return edit;
}

QGroupBox* TOptionsDialog::SolutionsGroup() {
    auto* group = new QGroupBox(tr("Solutions"));
    auto* layout = new QFormLayout(group);
    layout->addRow(
        CheckBox(tr("Show solver &information"), "SolverShowInfo", settings_.solverShowInfo));
    // The setting says what to do, the box what not to do.
    layout->addRow(CheckBox(tr("&Don't generate solutions"), "SolverCreateResults",
                            !settings_.solverCreateResults));
    layout->addRow(CheckBox(tr("&Beep on completion (long runs)"), "BeepOnCompletion",
                            settings_.beepOnCompletion));
    layout->addRow(tr("Default number of &report points:"),
                   SpinBox("DefaultRepPoints", settings_.defaultRepPoints));
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
    QSpinBox* minOrder = SpinBox("MinOrder", settings_.minOrder);
    auto* ordersLabel = new QLabel(tr("Method &order:"));
    ordersLabel->setBuddy(minOrder);
    orders->addWidget(new QLabel(tr("Min")));
    orders->addWidget(minOrder);
    orders->addWidget(new QLabel(tr("Max")));
    orders->addWidget(SpinBox("MaxOrder", settings_.maxOrder));
    orders->addStretch();
    auto* layout = new QFormLayout(group);
    layout->addRow(radios);
    layout->addRow(tr("Log10 (Error &tolerance) = -"),
                   SpinBox("MLogTolerance", settings_.mLogTolerance));
    layout->addRow(ordersLabel, orders);
    return group;
}

QWidget* TOptionsDialog::SolverPage() {
    return PageOf({SolutionsGroup(), MethodGroup()});
}

QWidget* TOptionsDialog::ResultsPage() {
    auto* precision = new QGroupBox(tr("Numerical precision (significant digits)"));
    auto* digits = new QFormLayout(precision);
    digits->addRow(tr("&Table view"), SpinBox("TablePrec", settings_.tablePrec));
    digits->addRow(tr("&Files"), SpinBox("FilePrec", settings_.filePrec));
    digits->addRow(tr("&Steady-State analysis"), SpinBox("SSPrec", settings_.ssPrec));
    auto* general = new QGroupBox(tr("General options"));
    auto* options = new QVBoxLayout(general);
    options->addWidget(CheckBox(tr("&Ask to save results on closing"), "NoAskSaveResults",
                                !settings_.noAskSaveResults));
    options->addWidget(CheckBox(tr("Ask before &overwriting results files"),
                                "NoWarnOverwritingResults", !settings_.noWarnOverwritingResults));
    options->addWidget(CheckBox(tr("Show &hot spots in graphs"), "GraphShowHotSpots",
                                settings_.graphShowHotSpots));
    return PageOf({precision, general});
}

QWidget* TOptionsDialog::EditorPage() {
    auto* names = new QGroupBox(tr("Predefined names"));
    auto* form = new QFormLayout(names);
    form->addRow(tr("TIME &variable"), NameEdit("TimeVariableName", settings_.timeVariableName));
    form->addRow(tr("&Initial time"), NameEdit("InitialTimeName", settings_.initialTimeName));
    form->addRow(tr("&Final time"), NameEdit("FinalTimeName", settings_.finalTimeName));
    form->addRow(tr("&Report interval"),
                 NameEdit("ReportIntervalName", settings_.reportIntervalName));
    form->addRow(tr("&Number of points"), NameEdit("NpointsName", settings_.nPointsName));

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
    Settings& s = settings_;
    const auto value = [this](const char* name) { return Find<QSpinBox>(*this, name)->value(); };
    const auto checked = [this](const char* name) {
        return Find<QCheckBox>(*this, name)->isChecked();
    };
    const auto text = [this](const char* name) {
        return Find<QLineEdit>(*this, name)->text().toStdString();
    };
    s.solverShowInfo = checked("SolverShowInfo");
    s.solverCreateResults = !checked("SolverCreateResults");
    s.beepOnCompletion = checked("BeepOnCompletion");
    s.defaultRepPoints = value("DefaultRepPoints");
    s.method = Find<QRadioButton>(*this, kTaylorRadio)->isChecked() ? "Taylor" : "BDF";
    s.mLogTolerance = value("MLogTolerance");
    s.minOrder = value("MinOrder");
    s.maxOrder = std::max(value("MaxOrder"), s.minOrder);
    s.tablePrec = value("TablePrec");
    s.filePrec = value("FilePrec");
    s.ssPrec = value("SSPrec");
    s.noAskSaveResults = !checked("NoAskSaveResults");
    s.noWarnOverwritingResults = !checked("NoWarnOverwritingResults");
    s.graphShowHotSpots = checked("GraphShowHotSpots");
    s.timeVariableName = text("TimeVariableName");
    s.initialTimeName = text("InitialTimeName");
    s.finalTimeName = text("FinalTimeName");
    s.reportIntervalName = text("ReportIntervalName");
    s.nPointsName = text("NpointsName");
    StoreQFont(font_, s.editorFont);
    s.editorColor = ToColour(background_);
    QDialog::accept();
}

} // namespace kora::app
