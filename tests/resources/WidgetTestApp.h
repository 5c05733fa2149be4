#pragma once

#include <QApplication>

// The one QApplication of a widget test executable, created before any test runs.
namespace kesmo::test {

inline int appArgc = 1;
inline char appName[] = "kesmo-widget-test";
inline char* appArgv[] = {appName, nullptr};
inline QApplication app(appArgc, appArgv);

} // namespace kesmo::test
