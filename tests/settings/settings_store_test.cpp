#include <gtest/gtest.h>

#include <set>

#include "settings/memory_store.h"
#include "settings/option_table.h"
#include "settings/settings_store.h"
#include "settings/stored_value_check.h"

namespace kora {
namespace {

TEST(SettingsStore, EmptyStoreKeepsTheDefaultsAndWritesNothing) {
    Settings settings;
    MemoryStore store;
    LoadSettings(settings, store);
    EXPECT_EQ(settings, Settings{});
    EXPECT_TRUE(store.values.empty());
}

// Each option fills a field of its own: changing one field changes exactly
// that option's stored value.
TEST(OptionTable, EveryOptionOwnsOneField) {
    MemoryStore defaults;
    Settings settings;
    SaveSettings(settings, defaults);
    std::set<std::string> names;
    for (const OptionDescriptor& option : OptionTable()) {
        EXPECT_TRUE(names.insert(option.valueName).second) << option.valueName;
        Settings changed;
        switch (option.type) {
        case OptionType::Bool:
            option.BoolIn(changed) = !option.BoolIn(changed);
            break;
        case OptionType::Int:
            EXPECT_TRUE(option.min <= option.defaultValue && option.defaultValue <= option.max);
            option.IntIn(changed) = option.defaultValue == option.min ? option.max : option.min;
            break;
        case OptionType::Text:
            option.TextIn(changed) += "x";
            break;
        case OptionType::Colour:
            option.ColourIn(changed) ^= 1;
            break;
        case OptionType::Font:
            option.FontIn(changed).size += 1;
            break;
        }
        MemoryStore store;
        SaveSettings(changed, store);
        for (const auto& [name, value] : store.values)
            EXPECT_EQ(value != defaults.values.at(name), name == option.valueName)
                << option.valueName << " changed " << name;
    }
}

// Values that cannot be read, or lie outside the option's range, give the
// option's default, whatever the field held before.
TEST(SettingsStore, UnusableValuesFallBackToTheOptionDefault) {
    const Settings defaults;
    Settings settings;
    settings.defaultRepPoints = defaults.defaultRepPoints + 1;
    settings.filePrec = defaults.filePrec + 1;
    settings.minOrder = defaults.minOrder + 1;
    settings.solverCreateResults = !defaults.solverCreateResults;
    settings.graphShowHotSpots = !defaults.graphShowHotSpots;
    MemoryStore store;
    store.values = {{"DefaultRepPoints", "abc"},
                    {"FilePrec", "99"},
                    {"MinOrder", "4x"},
                    {"TablePrec", " 12 "},
                    {"SSPrec", "+9"},
                    {"MLogTolerance", "99999999999"},
                    {"SolverCreateResults", "yes"},
                    {"GraphShowHotSpots", "on"},
                    {"SolverShowInfo", "0"},
                    {"BeepOnCompletion", "1"}};
    LoadSettings(settings, store);
    EXPECT_EQ(settings.defaultRepPoints, defaults.defaultRepPoints);
    EXPECT_EQ(settings.filePrec, defaults.filePrec);
    EXPECT_EQ(settings.minOrder, defaults.minOrder);
    EXPECT_EQ(settings.mLogTolerance, defaults.mLogTolerance);
    EXPECT_EQ(settings.tablePrec, 12);
    EXPECT_EQ(settings.ssPrec, 9);
    EXPECT_EQ(settings.solverCreateResults, defaults.solverCreateResults);
    EXPECT_EQ(settings.graphShowHotSpots, defaults.graphShowHotSpots);
    EXPECT_FALSE(settings.solverShowInfo);
    EXPECT_TRUE(settings.beepOnCompletion);

    store.values = {{"MinOrder", "12"}, {"MaxOrder", "5"}};
    LoadSettings(settings, store);
    EXPECT_EQ(settings.maxOrder, 12); // never below MinOrder
}

// Qt writes yes/no values as true and false; both spellings read back.
TEST(SettingsStore, YesNoValuesReadAsTrueOrFalseBesideOneOrZero) {
    const Settings defaults;
    Settings settings;
    MemoryStore store;
    store.values = {{"SolverCreateResults", "false"},
                    {"GraphShowHotSpots", "true"},
                    {"SolverShowInfo", "TRUE"},
                    {"BeepOnCompletion", "False"}};
    LoadSettings(settings, store);
    EXPECT_TRUE(defaults.solverCreateResults);
    EXPECT_FALSE(settings.solverCreateResults);
    EXPECT_TRUE(settings.graphShowHotSpots);
    EXPECT_TRUE(settings.solverShowInfo);
    EXPECT_FALSE(settings.beepOnCompletion);
    EXPECT_TRUE(StoredValueProblems(store).empty());
    store.values = {{"GraphShowHotSpots", "truer"}};
    EXPECT_EQ(StoredValueProblems(store).size(), 1u);
}

TEST(SettingsStore, SaveThenLoadRestoresEveryField) {
    Settings saved;
    saved.method = "Taylor";
    saved.mLogTolerance = 9;
    saved.maxOrder = 15;
    saved.noAskSaveResults = true;
    saved.solverCreateResults = false;
    saved.openDir = "/home/u/models";
    saved.editorColor = 0x80000005; // a system-colour code survives as a signed integer
    saved.editorFont = FontDescription{
        "DejaVu Sans Mono", 12, 0x0000FF, 1, kPitchVariable, true, false, true, true};
    saved.stockColours[3] = 0x123456;
    saved.recentFiles = {"a.krm", "b.res"};
    MemoryStore store;
    ASSERT_TRUE(SaveSettings(saved, store));
    EXPECT_EQ(store.values.at("SolverCreateResults"), "0");
    EXPECT_EQ(store.values.at("GraphStockColor3"), "1193046");
    EXPECT_EQ(store.values.at("EditorFont"),
              "DejaVu Sans Mono|12|255|1|1|Bold|NotItalic|StrikeOut|Underline");

    Settings loaded;
    LoadSettings(loaded, store);
    EXPECT_EQ(loaded.method, "Taylor");
    EXPECT_EQ(loaded.mLogTolerance, 9);
    EXPECT_EQ(loaded.maxOrder, 15);
    EXPECT_TRUE(loaded.noAskSaveResults);
    EXPECT_FALSE(loaded.solverCreateResults);
    EXPECT_EQ(loaded.openDir, "/home/u/models");
    EXPECT_EQ(loaded.editorColor, 0x80000005u);
    EXPECT_EQ(loaded.editorFont, saved.editorFont);
    EXPECT_EQ(loaded.stockColours, saved.stockColours);
    EXPECT_EQ(loaded.recentFiles, saved.recentFiles);
}

TEST(SettingsStore, ShorterRecentListLeavesOlderValuesUntouched) {
    MemoryStore store;
    store.values = {{"MRU1", "old1"}, {"MRU2", "old2"}, {"MRU3", "old3"}};
    Settings settings;
    settings.recentFiles = {"new1"};
    SaveSettings(settings, store);
    EXPECT_EQ(store.values.at("MRU1"), "new1");
    EXPECT_EQ(store.values.at("MRU2"), "old2");
    EXPECT_EQ(store.values.at("MRU3"), "old3");

    settings.recentFiles.assign(12, "x");
    SaveSettings(settings, store);
    EXPECT_EQ(store.values.count("MRU9"), 1u);
    EXPECT_EQ(store.values.count("MRU10"), 0u);
}

TEST(FontDescription, PartialOrDamagedTextChangesOnlyTheFieldsItHolds) {
    const FontDescription initial;
    FontDescription font;
    ApplySerialisedFont("Arial|x|255", font);
    EXPECT_EQ(font.name, "Arial");
    EXPECT_EQ(font.size, initial.size); // not a number: unchanged
    EXPECT_EQ(font.colour, 255u);
    EXPECT_EQ(font.pitch, initial.pitch);

    ApplySerialisedFont("Arial|9|0|0|0|Bold|Italic", font);
    EXPECT_TRUE(font.bold);
    EXPECT_TRUE(font.italic);
    EXPECT_FALSE(font.underline);

    Settings settings;
    MemoryStore store;
    store.values = {{"EditorFont", ""}};
    LoadSettings(settings, store);
    EXPECT_EQ(settings.editorFont, FontDescription{});
}

} // namespace
} // namespace kora
