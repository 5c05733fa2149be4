#pragma once

#include <QApplication>

// The one application of a page test program, created before any test runs and never destroyed:
// the skin's cached bitmaps and the pages' fonts are released after main returns.
namespace kesmo::test {

inline QApplication& pageTestApp() {
    static int argc = 1;
    static char name[] = "kesmo-page-test";
    static char* argv[] = {name, nullptr};
    static auto* application = new QApplication(argc, argv);
    return *application;
}

inline QApplication& pageApp = pageTestApp();

} // namespace kesmo::test
