// The user's settings as plain fields, holding their defaults (from the
// option table) until they are loaded from the store.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "common/line_style.h"
#include "font_description.h"

namespace kora {

inline constexpr size_t kMaxRecentFiles = 9;

struct Settings {
    Settings(); // every option at its default

    std::string method; // "Taylor" selects the Taylor method, any other LSODA
    int32_t mLogTolerance{};
    // LSODA's absolute tolerance as a number; empty (or not a positive
    // number) keeps the published default, 1000 times the machine precision.
    std::string absTolerance;
    int32_t minOrder{};
    int32_t maxOrder{};
    int32_t sensThreshold{}; // index into the steady-state report's threshold choices
    int32_t graphDlgTCSB{};
    int32_t tablePrec{};
    int32_t filePrec{};
    int32_t ssPrec{};
    int32_t defaultRepPoints{};
    // Rows times reported columns one run may produce before a front end
    // refuses it (or asks).
    int32_t maxRunValues{};
    // Worker threads of a parallel SETTING loop in kora-batch; 0: one per core.
    int32_t sweepThreads{};
    bool solverCreateResults{};
    bool solverShowInfo{};
    bool autoCloseInfo{};
    bool noAskSaveResults{};
    bool noWarnOverwritingResults{};
    bool graphShowHotSpots{};
    bool beepOnCompletion{};
    // Steady states of the full system, as if no conservation relation held.
    bool ignoreConservation{};
    // LSODA's iteration matrix and the steady-state search take the model's
    // exact Jacobian instead of differences.
    bool exactJacobian{};
    std::string initialTimeName;
    std::string finalTimeName;
    std::string reportIntervalName;
    std::string nPointsName;
    std::string timeVariableName;
    std::string openDir;
    Colour editorColor{};
    FontDescription editorFont;
    StockColourTable stockColours{};
    // Most recent first; at most kMaxRecentFiles are persisted.
    std::vector<std::string> recentFiles;

    bool UsesTaylor() const { return method == "Taylor"; }
    // The absolute tolerance asked for; 0 for the default.
    double AbsoluteTolerance() const;
    bool operator==(const Settings&) const = default;
};

} // namespace kora
