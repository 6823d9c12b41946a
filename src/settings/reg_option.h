// Option objects: each binds one settings field to one named value of the
// store, and loads and saves it with the rules of the field's type.
#pragma once

#include <cstdint>
#include <string>
#include <utility>

#include "font_description.h"
#include "key_value_store.h"

namespace kora {

class RegOption {
public:
    explicit RegOption(std::string name) : name_(std::move(name)) {}
    virtual ~RegOption() = default;
    virtual void Load(const KeyValueStore& store) = 0;
    virtual void Save(KeyValueStore& store) const = 0;
    const std::string& name() const { return name_; }

private:
    std::string name_;
};

// Stored "1"/"0". A missing or other text yields the default, so a default
// false option is on only for "1", a default true option off only for "0".
class BoolRegOption : public RegOption {
public:
    BoolRegOption(std::string name, bool defaultValue, bool* field);
    void Load(const KeyValueStore& store) override;
    void Save(KeyValueStore& store) const override;

private:
    bool default_;
    bool* field_;
};

// A decimal integer. Missing text, text that is not an integer, or a value
// outside [min, max] yields the default: other code relies on the ranges
// the options dialog enforces.
class IntRegOption : public RegOption {
public:
    IntRegOption(std::string name, int32_t defaultValue, int32_t* field, int32_t min = INT32_MIN,
                 int32_t max = INT32_MAX);
    void Load(const KeyValueStore& store) override;
    void Save(KeyValueStore& store) const override;

private:
    int32_t default_;
    int32_t* field_;
    int32_t min_;
    int32_t max_;
};

// A colour kept as its 32-bit pattern, stored as a signed decimal integer.
class ColourRegOption : public RegOption {
public:
    ColourRegOption(std::string name, Colour defaultValue, Colour* field);
    void Load(const KeyValueStore& store) override;
    void Save(KeyValueStore& store) const override;

private:
    Colour default_;
    Colour* field_;
};

// No default of its own: a missing value leaves the field as it is.
class StringRegOption : public RegOption {
public:
    StringRegOption(std::string name, std::string* field);
    void Load(const KeyValueStore& store) override;
    void Save(KeyValueStore& store) const override;

private:
    std::string* field_;
};

// A missing or empty value leaves the font as it is.
class FontRegOption : public RegOption {
public:
    FontRegOption(std::string name, FontDescription* field);
    void Load(const KeyValueStore& store) override;
    void Save(KeyValueStore& store) const override;

private:
    FontDescription* field_;
};

} // namespace kora
