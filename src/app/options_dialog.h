// The options dialog: the settings on three pages. OK stores every control's
// value into the settings; Cancel leaves them as they were. Each control is
// named after the option it edits and takes its range from the option table.
#pragma once

#include <QColor>
#include <QDialog>
#include <QFont>

#include "settings/settings.h"

class QCheckBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QRadioButton;
class QSpinBox;
class QTabWidget;
class QWidget;

namespace kora::app {

class TOptionsDialog : public QDialog {
    Q_OBJECT

public:
    enum class Page { Solver = 0, Results = 1, Editor = 2 };

    TOptionsDialog(Settings& settings, Page page, QWidget* parent = nullptr);

    // Applies the controls to the settings, then closes.
    void accept() override;

private:
    QWidget* SolverPage();
    QWidget* ResultsPage();
    QWidget* EditorPage();
    QGroupBox* SolutionsGroup();
    QGroupBox* MethodGroup();
    // Controls named after their option, with its range and present value.
    QSpinBox* SpinBox(const char* settingName);
    QCheckBox* CheckBox(const QString& text, const char* settingName, bool negated);
    QLineEdit* NameEdit(const char* settingName);
    void ChooseFont();
    void ChooseBackground();
    void UpdateSample();

    Settings& settings_;
    QFont font_;
    QColor background_;
    QLabel* sample_ = nullptr;
};

} // namespace kora::app
