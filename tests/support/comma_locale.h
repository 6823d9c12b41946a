// Puts the process's numbers under a locale with a decimal comma, as the
// desktop's toolkit does from the environment of a German user. When the
// system has no such locale, one is made with localedef in a scratch folder;
// when that fails too the test is skipped with the reason.
#pragma once

#include <gtest/gtest.h>

#include <clocale>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "temp_files.h"

namespace kora::testing {

class CommaLocale {
public:
    CommaLocale() {
        if (Enter()) return;
        const std::string command =
            "localedef -i de_DE -f UTF-8 '" + folder_.File("de_DE.UTF-8") + "' >/dev/null 2>&1";
        if (std::system(command.c_str()) >= 0) {
            ::setenv("LOCPATH", folder_.path.c_str(), 1);
            Enter();
        }
    }
    ~CommaLocale() {
        std::setlocale(LC_NUMERIC, "C");
        ::unsetenv("LOCPATH");
    }
    CommaLocale(const CommaLocale&) = delete;
    CommaLocale& operator=(const CommaLocale&) = delete;

    bool active() const { return active_; }
    static constexpr const char* kMissing =
        "no locale with a decimal comma, and localedef could not make de_DE "
        "(the Debian package 'locales' provides it)";

private:
    bool Enter() {
        for (const char* name : {"de_DE.UTF-8", "de_DE.utf8", "fr_FR.UTF-8", "nl_NL.UTF-8"}) {
            if (std::setlocale(LC_NUMERIC, name) == nullptr) continue;
            char probe[16];
            std::snprintf(probe, sizeof probe, "%g", 0.5);
            if (std::string(probe) == "0,5") return active_ = true;
        }
        std::setlocale(LC_NUMERIC, "C");
        return false;
    }

    ScratchDirectory folder_;
    bool active_ = false;
};

} // namespace kora::testing
