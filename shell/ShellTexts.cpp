#include "shell/ShellTexts.h"

#include <cstdio>

namespace kesmo {

LanguageChoice chooseLanguage(int languageMode, const std::string& systemLocale) {
    switch (languageMode) {
    case 0:
        return {0, false};
    case 1:
        return {1, false};
    default: {
        // Chinese of mainland China only: zh_CN with any encoding or modifier.
        const bool mainland =
            systemLocale.rfind("zh_CN", 0) == 0 &&
            (systemLocale.size() == 5 || systemLocale[5] == '.' || systemLocale[5] == '@');
        return {mainland ? 1 : 0, true};
    }
    }
}

std::string programLabel(int programNumber, const std::string& modeName) {
    char number[16];
    if (programNumber >= 17)
        std::snprintf(number, sizeof number, "F%d:", programNumber - 16);
    else
        std::snprintf(number, sizeof number, "%d:", programNumber);
    return number + modeName;
}

} // namespace kesmo
