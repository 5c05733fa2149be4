#pragma once

#include <string>

namespace kesmo {

class ParamStore;
class BandSets;

// What a page needs of the main window. The main window implements it; page tests use a small
// fake. Pages write codes into the store and never build frames; bulk and authority actions go
// through sendCommand.
class PageHost {
public:
    virtual ~PageHost() = default;

    virtual ParamStore& store() = 0;
    // The band sets of the store's working image; nullptr where none are bound.
    virtual BandSets* bandSets() = 0;

    virtual int languageFlag() const = 0; // 1 Chinese, 0 English
    virtual int uiMode() const = 0;       // 0 Easy, 1 Full
    virtual int currentPage() const = 0;  // tab 0..9

    // The locked command service for bulk commands.
    virtual void sendCommand(int code, int arg) = 0;
    // The System page lowered a top-bar maximum: 0 music, 1 mic, 2 effect.
    virtual void maximumLowered(int channel) = 0;
    // The file commands of the System page.
    virtual void exportMode() = 0;
    virtual void importMode() = 0;
    virtual void exportAll() = 0;
    virtual void importAll() = 0;
    // Every page reloads from the model, the top bar too.
    virtual void refreshAll() = 0;
    // The program label and the Connect button.
    virtual void showProgram(bool updateLabel) = 0;
    // A modal message box with an OK button.
    virtual void showMessage(const std::string& text) = 0;
};

} // namespace kesmo
