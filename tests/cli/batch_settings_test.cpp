#include <gtest/gtest.h>

#include "batch_settings.h"
#include "temp_files.h"

#ifdef KORA_WITH_QT
#include "settings/qt/qt_settings_store.h"
#include "settings/settings_store.h"
#endif

namespace kora::cli {
namespace {

#ifdef KORA_WITH_QT

class BatchSettingsTest : public kora::testing::TempDirTest {
protected:
    std::string WriteIni(const std::string& text) { return Write("settings.ini", text).string(); }
};

TEST_F(BatchSettingsTest, IniGeneralGroupOverridesOnlyTheValuesItHolds) {
    CliOptions options;
    options.settingsFile = WriteIni("[General]\nMethod=Taylor\nFilePrec=12\n"
                                    "DefaultRepPoints=abc\nNoWarnOverwritingResults=1\n"
                                    "EditorFont=Mono|11|0|0|2|Bold|NotItalic|NotStrikeOut|"
                                    "NotUnderline\n");
    const BatchSettings loaded = LoadBatchSettings(options);
    ASSERT_TRUE(loaded.ok()) << loaded.error;
    EXPECT_TRUE(loaded.settings.UsesTaylor());
    EXPECT_EQ(loaded.settings.filePrec, 12);
    EXPECT_EQ(loaded.settings.defaultRepPoints, Settings{}.defaultRepPoints); // not a number
    EXPECT_TRUE(loaded.settings.noWarnOverwritingResults);
    EXPECT_EQ(loaded.settings.editorFont.name, "Mono");
    EXPECT_TRUE(loaded.settings.editorFont.bold);
    EXPECT_EQ(loaded.settings.mLogTolerance, Settings{}.mLogTolerance);
}

TEST_F(BatchSettingsTest, MissingOrUnreadableIniIsAnError) {
    CliOptions options;
    options.settingsFile = (dir_ / "absent.ini").string();
    EXPECT_FALSE(LoadBatchSettings(options).ok());
    options.settingsFile = dir_.string(); // a directory
    EXPECT_FALSE(LoadBatchSettings(options).ok());
}

TEST_F(BatchSettingsTest, QtStoreRoundTripsThroughAnIniFile) {
    const std::string path = (dir_ / "saved.ini").string();
    Settings saved;
    saved.openDir = "C:\\models, old";
    saved.recentFiles = {"one.krm", "two.res"};
    saved.stockColours[17] = 0xABCDEF;
    {
        QtSettingsStore store(path);
        ASSERT_TRUE(SaveSettings(saved, store));
    }
    CliOptions options;
    options.settingsFile = path;
    const BatchSettings loaded = LoadBatchSettings(options);
    ASSERT_TRUE(loaded.ok()) << loaded.error;
    EXPECT_EQ(loaded.settings.openDir, saved.openDir);
    EXPECT_EQ(loaded.settings.recentFiles, saved.recentFiles);
    EXPECT_EQ(loaded.settings.stockColours, saved.stockColours);
    EXPECT_EQ(loaded.settings.editorFont, saved.editorFont);
}

#endif

} // namespace
} // namespace kora::cli
