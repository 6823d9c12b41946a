#include <QCheckBox>
#include <QLineEdit>
#include <QRadioButton>
#include <QSpinBox>
#include <gtest/gtest.h>

#include "options_dialog.h"
#include "settings/memory_store.h"
#include "settings/option_table.h"
#include "settings/settings_store.h"

namespace kora::app {
namespace {

std::map<std::string, std::string> Stored(Settings settings) {
    MemoryStore store;
    SaveSettings(settings, store);
    return store.values;
}

// Every control away from its setting's value (a spin box pushed past its
// range stops at the bound).
void ChangeEveryControl(TOptionsDialog& dialog) {
    for (QSpinBox* box : dialog.findChildren<QSpinBox*>())
        box->setValue(box->value() == box->maximum() ? box->minimum() : box->maximum());
    for (QCheckBox* box : dialog.findChildren<QCheckBox*>())
        box->toggle();
    for (QLineEdit* edit : dialog.findChildren<QLineEdit*>())
        if (FindOption(edit->objectName().toStdString()) != nullptr)
            edit->setText(edit->text() + QStringLiteral("_new"));
    dialog.findChild<QRadioButton*>(QStringLiteral("MethodTaylor"))->setChecked(true);
}

TEST(OptionsDialog, CancelLeavesEverySetting) {
    Settings settings;
    const auto before = Stored(settings);
    TOptionsDialog dialog(settings, TOptionsDialog::Page::Editor);
    ChangeEveryControl(dialog);
    dialog.reject();
    EXPECT_EQ(Stored(settings), before);
}

TEST(OptionsDialog, OkStoresEveryControl) {
    Settings settings;
    TOptionsDialog dialog(settings, TOptionsDialog::Page::Solver);
    ChangeEveryControl(dialog);
    dialog.accept();
    EXPECT_EQ(settings.method, "Taylor");
    EXPECT_EQ(settings.defaultRepPoints, 1000);
    EXPECT_EQ(settings.tablePrec, 15);
    EXPECT_FALSE(settings.solverShowInfo);
    EXPECT_FALSE(settings.solverCreateResults); // "Don't generate solutions" ticked
    EXPECT_TRUE(settings.noAskSaveResults);     // "Ask to save results" cleared
    EXPECT_TRUE(settings.noWarnOverwritingResults);
    EXPECT_TRUE(settings.graphShowHotSpots);
    EXPECT_EQ(settings.nPointsName, "Npoints_new");
    EXPECT_TRUE(settings.exactJacobian);
    EXPECT_EQ(settings.sweepThreads, 1024);
}

// Stored, read back and shown again by the next dialog.
TEST(OptionsDialog, TheRunSettingsRoundTrip) {
    Settings settings;
    {
        TOptionsDialog dialog(settings, TOptionsDialog::Page::Solver);
        auto* exact = dialog.findChild<QCheckBox*>(QStringLiteral("ExactJacobian"));
        auto* threads = dialog.findChild<QSpinBox*>(QStringLiteral("SweepThreads"));
        ASSERT_NE(exact, nullptr);
        ASSERT_NE(threads, nullptr);
        EXPECT_FALSE(exact->isChecked());
        EXPECT_EQ(threads->value(), 0);
        EXPECT_EQ(threads->text(), QStringLiteral("One per core"));
        exact->setChecked(true);
        threads->setValue(3);
        dialog.accept();
    }
    MemoryStore store;
    SaveSettings(settings, store);
    EXPECT_EQ(store.values["ExactJacobian"], "1");
    EXPECT_EQ(store.values["SweepThreads"], "3");
    Settings loaded;
    LoadSettings(loaded, store);
    TOptionsDialog dialog(loaded, TOptionsDialog::Page::Solver);
    EXPECT_TRUE(dialog.findChild<QCheckBox*>(QStringLiteral("ExactJacobian"))->isChecked());
    EXPECT_EQ(dialog.findChild<QSpinBox*>(QStringLiteral("SweepThreads"))->value(), 3);
}

TEST(OptionsDialog, MaxOrderBelowMinOrderIsRaisedToIt) {
    Settings settings;
    TOptionsDialog dialog(settings, TOptionsDialog::Page::Solver);
    dialog.findChild<QSpinBox*>(QStringLiteral("MinOrder"))->setValue(8);
    dialog.findChild<QSpinBox*>(QStringLiteral("MaxOrder"))->setValue(5);
    dialog.accept();
    EXPECT_EQ(settings.minOrder, 8);
    EXPECT_EQ(settings.maxOrder, 8);
}

TEST(OptionsDialog, ControlsKeepValuesInRange) {
    Settings settings;
    TOptionsDialog dialog(settings, TOptionsDialog::Page::Results);
    QSpinBox* points = dialog.findChild<QSpinBox*>(QStringLiteral("DefaultRepPoints"));
    points->setValue(5);
    QSpinBox* digits = dialog.findChild<QSpinBox*>(QStringLiteral("SSPrec"));
    digits->setValue(40);
    dialog.accept();
    EXPECT_EQ(settings.defaultRepPoints, 10);
    EXPECT_EQ(settings.ssPrec, 15);
}

TEST(OptionsDialog, TheOrderBoxesServeOnlyTheTaylorMethod) {
    Settings settings; // LSODA
    TOptionsDialog dialog(settings, TOptionsDialog::Page::Solver);
    auto* minOrder = dialog.findChild<QSpinBox*>(QStringLiteral("MinOrder"));
    auto* maxOrder = dialog.findChild<QSpinBox*>(QStringLiteral("MaxOrder"));
    EXPECT_FALSE(minOrder->isEnabled());
    EXPECT_FALSE(maxOrder->isEnabled());
    EXPECT_TRUE(dialog.findChild<QSpinBox*>(QStringLiteral("MLogTolerance"))->isEnabled());
    dialog.findChild<QRadioButton*>(QStringLiteral("MethodTaylor"))->setChecked(true);
    EXPECT_TRUE(minOrder->isEnabled());
    EXPECT_TRUE(maxOrder->isEnabled());
    dialog.findChild<QRadioButton*>(QStringLiteral("MethodBDF"))->setChecked(true);
    EXPECT_FALSE(maxOrder->isEnabled());
}

} // namespace
} // namespace kora::app
