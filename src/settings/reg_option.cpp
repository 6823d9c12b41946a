#include "reg_option.h"

#include <cassert>

#include "int_text.h"

namespace kora {

BoolRegOption::BoolRegOption(std::string name, bool defaultValue, bool* field)
    : RegOption(std::move(name)), default_(defaultValue), field_(field) {
    assert(field_);
}

void BoolRegOption::Load(const KeyValueStore& store) {
    const std::optional<std::string> text = store.Get(name());
    const std::optional<bool> value = text ? ParseBoolText(*text) : std::nullopt;
    *field_ = value.value_or(default_);
}

void BoolRegOption::Save(KeyValueStore& store) const {
    store.Set(name(), *field_ ? "1" : "0");
}

IntRegOption::IntRegOption(std::string name, int32_t defaultValue, int32_t* field, int32_t min,
                           int32_t max)
    : RegOption(std::move(name)), default_(defaultValue), field_(field), min_(min), max_(max) {
    assert(field_ && min_ <= default_ && default_ <= max_);
}

void IntRegOption::Load(const KeyValueStore& store) {
    const std::optional<std::string> text = store.Get(name());
    const std::optional<int32_t> value = text ? ParseInt32(*text) : std::nullopt;
    *field_ = (value && *value >= min_ && *value <= max_) ? *value : default_;
}

void IntRegOption::Save(KeyValueStore& store) const {
    store.Set(name(), std::to_string(*field_));
}

ColourRegOption::ColourRegOption(std::string name, Colour defaultValue, Colour* field)
    : RegOption(std::move(name)), default_(defaultValue), field_(field) {
    assert(field_);
}

void ColourRegOption::Load(const KeyValueStore& store) {
    const std::optional<std::string> text = store.Get(name());
    const std::optional<int32_t> value = text ? ParseInt32(*text) : std::nullopt;
    *field_ = value ? static_cast<Colour>(*value) : default_;
}

void ColourRegOption::Save(KeyValueStore& store) const {
    store.Set(name(), std::to_string(static_cast<int32_t>(*field_)));
}

StringRegOption::StringRegOption(std::string name, std::string* field)
    : RegOption(std::move(name)), field_(field) {
    assert(field_);
}

void StringRegOption::Load(const KeyValueStore& store) {
    if (std::optional<std::string> text = store.Get(name())) *field_ = std::move(*text);
}

void StringRegOption::Save(KeyValueStore& store) const {
    store.Set(name(), *field_);
}

FontRegOption::FontRegOption(std::string name, FontDescription* field)
    : RegOption(std::move(name)), field_(field) {
    assert(field_);
}

void FontRegOption::Load(const KeyValueStore& store) {
    const std::optional<std::string> text = store.Get(name());
    if (text && !text->empty()) ApplySerialisedFont(*text, *field_);
}

void FontRegOption::Save(KeyValueStore& store) const {
    store.Set(name(), SerialiseFont(*field_));
}

} // namespace kora
