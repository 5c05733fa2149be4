#pragma once

#include "controls/BitmapSlider.h"
#include "controls/SliderGeometry.h"
#include "devicelink/LinkState.h"
#include "filters/BandSets.h"
#include "model/WorkingModel.h"
#include "resources/Skin.h"
#include "shell/DialogSeam.h"
#include "shell/KesmoDlg.h"
#include "tests/connection/ConnectionTestSupport.h"

#include <QApplication>
#include <QTest>
#include <filesystem>
#include <memory>
#include <vector>

namespace kesmo::test {

inline QApplication& app() {
    static int argc = 1;
    static char name[] = "shell-test";
    static char* argv[] = {name, nullptr};
    static auto* application = new QApplication(argc, argv);
    return *application;
}

// Answers the program's message boxes and file dialogs instead of a person.
class AnsweringDialogs final : public DialogSeam {
public:
    AnsweringDialogs() { setDialogSeam(this); }
    ~AnsweringDialogs() override { setDialogSeam(nullptr); }
    void message(QWidget*, const QString& text, const QString&) override {
        messages.push_back(text.toStdString());
    }
    std::optional<QString> openFile(QWidget*, const QString& folder,
                                    const QString& filter) override {
        asked.push_back(folder.toStdString() + "|" + filter.toStdString());
        return chosen;
    }
    std::optional<QString> saveFile(QWidget*, const QString& folder,
                                    const QString& filter) override {
        asked.push_back(folder.toStdString() + "|" + filter.toStdString());
        return chosen;
    }
    std::vector<std::string> messages;
    std::vector<std::string> asked;
    std::optional<QString> chosen;
};

// A fresh process-wide model for each window: defaults, band sets, presets in a scratch folder.
class FreshModel {
public:
    FreshModel() : m_dir(std::filesystem::temp_directory_path() / "kesmo-shell-test") {
        app();
        std::filesystem::create_directories(m_dir);
        linkState().reset();
        initialiseModel(paramStore(), m_dir);
    }
    const std::filesystem::path& dir() const { return m_dir; }

private:
    std::filesystem::path m_dir;
};

// Waits for what the transport thread brings, handling the window's messages meanwhile.
inline bool waitFor(const std::function<bool()>& done, int ms = 30000) {
    return QTest::qWaitFor(done, ms);
}

// Drags a horizontal bitmap slider's thumb to the pixel of a position (or past an end).
inline void dragSlider(BitmapSlider& slider, int targetPixel) {
    const SliderAxis axis{slider.width(), 0, 0, skinBitmapSize(bitmap::kTopBarThumb).width()};
    const int y = slider.height() / 2;
    const QPoint from(thumbCentre(axis, slider.minimum(), slider.maximum(), slider.getPos()), y);
    QTest::mousePress(&slider, Qt::LeftButton, {}, from);
    QTest::mouseMove(&slider, QPoint((from.x() + targetPixel) / 2, y));
    QTest::mouseMove(&slider, QPoint(targetPixel, y));
    QTest::mouseRelease(&slider, Qt::LeftButton, {}, QPoint(targetPixel, y));
    // The slider posts its changes to the window.
    QCoreApplication::sendPostedEvents();
}

// The first pixel whose thumb centre means the position.
inline int pixelOf(const BitmapSlider& slider, int position) {
    const SliderAxis axis{slider.width(), 0, 0, skinBitmapSize(bitmap::kTopBarThumb).width()};
    for (int x = 0; x < slider.width(); ++x)
        if (positionAt(axis, slider.minimum(), slider.maximum(), x) >= position)
            return x;
    return slider.width();
}

} // namespace kesmo::test
