#include "settings_store.h"

#include <algorithm>
#include <string>

namespace kora {

namespace {

std::string RecentFileValueName(size_t position) {
    return "MRU" + std::to_string(position + 1);
}

void AddIntOptions(Settings& s, std::vector<std::unique_ptr<RegOption>>& options) {
    // The ranges are those of the options dialog and the report's choices.
    options.push_back(std::make_unique<IntRegOption>("MLogTolerance", 6, &s.mLogTolerance, 0, 18));
    options.push_back(std::make_unique<IntRegOption>("MinOrder", 2, &s.minOrder, 2, 20));
    options.push_back(std::make_unique<IntRegOption>("MaxOrder", 20, &s.maxOrder, 2, 20));
    options.push_back(std::make_unique<IntRegOption>("SensThreshold", 0, &s.sensThreshold, 0, 8));
    options.push_back(std::make_unique<IntRegOption>("GraphDlgTCSB", 0, &s.graphDlgTCSB, 0, 1));
    options.push_back(std::make_unique<IntRegOption>("TablePrec", 7, &s.tablePrec, 4, 15));
    options.push_back(std::make_unique<IntRegOption>("FilePrec", 7, &s.filePrec, 4, 15));
    options.push_back(std::make_unique<IntRegOption>("SSPrec", 7, &s.ssPrec, 4, 15));
    options.push_back(
        std::make_unique<IntRegOption>("DefaultRepPoints", 200, &s.defaultRepPoints, 10, 1000));
}

void AddBoolOptions(Settings& s, std::vector<std::unique_ptr<RegOption>>& options) {
    options.push_back(
        std::make_unique<BoolRegOption>("SolverCreateResults", true, &s.solverCreateResults));
    options.push_back(std::make_unique<BoolRegOption>("SolverShowInfo", true, &s.solverShowInfo));
    options.push_back(std::make_unique<BoolRegOption>("AutoCloseInfo", true, &s.autoCloseInfo));
    options.push_back(
        std::make_unique<BoolRegOption>("NoAskSaveResults", false, &s.noAskSaveResults));
    options.push_back(std::make_unique<BoolRegOption>("NoWarnOverwritingResults", false,
                                                      &s.noWarnOverwritingResults));
    options.push_back(
        std::make_unique<BoolRegOption>("GraphShowHotSpots", false, &s.graphShowHotSpots));
    options.push_back(
        std::make_unique<BoolRegOption>("BeepOnCompletion", false, &s.beepOnCompletion));
}

void AddNameOptions(Settings& s, std::vector<std::unique_ptr<RegOption>>& options) {
    options.push_back(std::make_unique<StringRegOption>("InitialTimeName", &s.initialTimeName));
    options.push_back(std::make_unique<StringRegOption>("FinalTimeName", &s.finalTimeName));
    options.push_back(
        std::make_unique<StringRegOption>("ReportIntervalName", &s.reportIntervalName));
    options.push_back(std::make_unique<StringRegOption>("NpointsName", &s.nPointsName));
    options.push_back(std::make_unique<StringRegOption>("TimeVariableName", &s.timeVariableName));
    options.push_back(std::make_unique<StringRegOption>("OpenDir", &s.openDir));
}

} // namespace

std::vector<std::unique_ptr<RegOption>> CreateSettingsOptions(Settings& s) {
    std::vector<std::unique_ptr<RegOption>> options;
    options.push_back(std::make_unique<StringRegOption>("Method", &s.method));
    AddIntOptions(s, options);
    AddBoolOptions(s, options);
    AddNameOptions(s, options);
    options.push_back(std::make_unique<ColourRegOption>("EditorColor", 0xFFFFFF, &s.editorColor));
    options.push_back(std::make_unique<FontRegOption>("EditorFont", &s.editorFont));
    for (size_t i = 0; i < kStockColourCount; ++i)
        options.push_back(std::make_unique<ColourRegOption>(
            "GraphStockColor" + std::to_string(i), kDefaultStockColours[i], &s.stockColours[i]));
    return options;
}

void LoadSettings(Settings& settings, const KeyValueStore& store) {
    for (const std::unique_ptr<RegOption>& option : CreateSettingsOptions(settings))
        option->Load(store);
    // Each bound holds on its own; together they must not contradict.
    if (settings.maxOrder < settings.minOrder) settings.maxOrder = settings.minOrder;
    std::vector<std::string> recent;
    for (size_t i = 0; i < kMaxRecentFiles; ++i)
        if (std::optional<std::string> name = store.Get(RecentFileValueName(i)))
            recent.push_back(std::move(*name));
    settings.recentFiles = std::move(recent);
}

bool SaveSettings(Settings& settings, KeyValueStore& store) {
    for (const std::unique_ptr<RegOption>& option : CreateSettingsOptions(settings))
        option->Save(store);
    const size_t count = std::min(settings.recentFiles.size(), kMaxRecentFiles);
    for (size_t i = 0; i < count; ++i)
        store.Set(RecentFileValueName(i), settings.recentFiles[i]);
    return store.Flush();
}

} // namespace kora
