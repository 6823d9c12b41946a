// The user's settings as plain fields, holding their initial values until
// they are loaded from the store.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "common/line_style.h"
#include "font_description.h"

namespace kora {

inline constexpr size_t kMaxRecentFiles = 9;

struct Settings {
    std::string method = "BDF"; // "Taylor" selects the Taylor method, any other LSODA
    int32_t mLogTolerance = 6;
    int32_t minOrder = 2;
    int32_t maxOrder = 20;
    int32_t sensThreshold = 0; // index into the steady-state report's threshold choices
    int32_t graphDlgTCSB = 0;
    int32_t tablePrec = 7;
    int32_t filePrec = 7;
    int32_t ssPrec = 7;
    int32_t defaultRepPoints = 200;
    bool solverCreateResults = true;
    bool solverShowInfo = true;
    bool autoCloseInfo = true;
    bool noAskSaveResults = false;
    bool noWarnOverwritingResults = false;
    bool graphShowHotSpots = false;
    bool beepOnCompletion = false;
    std::string initialTimeName = "t0";
    std::string finalTimeName = "tf";
    std::string reportIntervalName = "hr";
    std::string nPointsName = "Npoints";
    std::string timeVariableName = "_time";
    std::string openDir;
    Colour editorColor = 0xFFFFFF;
    FontDescription editorFont;
    StockColourTable stockColours = kDefaultStockColours;
    // Most recent first; at most kMaxRecentFiles are persisted.
    std::vector<std::string> recentFiles;

    bool UsesTaylor() const { return method == "Taylor"; }
};

} // namespace kora
