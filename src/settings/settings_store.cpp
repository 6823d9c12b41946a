#include "settings_store.h"

#include <algorithm>
#include <string>

#include "option_table.h"

namespace kora {

namespace {

std::string RecentFileValueName(size_t position) {
    return "MRU" + std::to_string(position + 1);
}

std::unique_ptr<RegOption> Bind(const OptionDescriptor& o, Settings& s) {
    switch (o.type) {
    case OptionType::Bool:
        return std::make_unique<BoolRegOption>(o.valueName, o.defaultValue != 0, &o.BoolIn(s));
    case OptionType::Int:
        return std::make_unique<IntRegOption>(o.valueName, o.defaultValue, &o.IntIn(s), o.min,
                                              o.max);
    case OptionType::Text:
        return std::make_unique<StringRegOption>(o.valueName, &o.TextIn(s));
    case OptionType::Colour:
        return std::make_unique<ColourRegOption>(o.valueName, static_cast<Colour>(o.defaultValue),
                                                 &o.ColourIn(s));
    case OptionType::Font:
        break;
    }
    return std::make_unique<FontRegOption>(o.valueName, &o.FontIn(s));
}

} // namespace

std::vector<std::unique_ptr<RegOption>> CreateSettingsOptions(Settings& s) {
    std::vector<std::unique_ptr<RegOption>> options;
    for (const OptionDescriptor& option : OptionTable())
        options.push_back(Bind(option, s));
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
