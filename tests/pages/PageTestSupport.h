#pragma once

#include "controls/BitmapSlider.h"
#include "devicelink/LinkState.h"
#include "filters/BandSets.h"
#include "model/ModeImage.h"
#include "model/WorkingModel.h"
#include "pages/PageHost.h"
#include "resources/DialogBuilder.h"
#include "resources/Skin.h"

#include <QCoreApplication>
#include <QGroupBox>
#include <QTest>
#include <cmath>
#include <filesystem>
#include <gtest/gtest.h>
#include <memory>
#include <string>
#include <vector>

// A page's host without the main window: its own store with defaults and bound band sets, and
// a record of what the page asked of the main window.
namespace kesmo::test {

class FakePageHost final : public PageHost {
public:
    FakePageHost()
        : m_dir(std::filesystem::temp_directory_path() / "kesmo-page-test"),
          m_store(std::make_unique<ParamStore>()), m_bands(std::make_unique<BandSets>(*m_store)) {
        std::filesystem::create_directories(m_dir);
        initialiseModel(*m_store, m_dir);
    }

    ParamStore& store() override { return *m_store; }
    BandSets* bandSets() override { return m_bands.get(); }
    int languageFlag() const override { return language; }
    int uiMode() const override { return mode; }
    int currentPage() const override { return page; }
    void sendCommand(int code, int arg) override { commands.push_back({code, arg}); }
    void maximumLowered(int channel) override { lowered.push_back(channel); }
    void exportMode() override { files.push_back("exportMode"); }
    void importMode() override { files.push_back("importMode"); }
    void exportAll() override { files.push_back("exportAll"); }
    void importAll() override { files.push_back("importAll"); }
    void refreshAll() override { ++refreshes; }
    void showProgram(bool updateLabel) override { programs.push_back(updateLabel); }
    void showMessage(const std::string& text) override { messages.push_back(text); }

    int language = 0;
    int mode = 1;
    int page = 9;
    struct Sent {
        int code, arg;
    };
    std::vector<Sent> commands;
    std::vector<int> lowered;
    std::vector<std::string> files;
    std::vector<bool> programs;
    std::vector<std::string> messages;
    int refreshes = 0;

private:
    std::filesystem::path m_dir;
    std::unique_ptr<ParamStore> m_store;
    std::unique_ptr<BandSets> m_bands;
};

// A thumb dragged along a horizontal page slider to a position; the page handles what the slider
// posted before this returns.
inline void dragPageSlider(BitmapSlider& s, int position) {
    const int thumb = skinBitmapSize(bitmap::kSliderThumb).width();
    // The first pixel whose position is v.
    auto xOf = [&](int v) {
        const double travel = s.width() - thumb;
        return static_cast<int>(
                   std::ceil(travel * (v - s.minimum()) / (s.maximum() - s.minimum()))) +
               thumb / 2;
    };
    const int y = s.height() / 2;
    QTest::mousePress(&s, Qt::LeftButton, {}, QPoint(xOf(s.getPos()), y));
    QTest::mouseMove(&s, QPoint(xOf(position), y));
    QTest::mouseRelease(&s, Qt::LeftButton, {}, QPoint(xOf(position), y));
    QCoreApplication::sendPostedEvents();
}

// Every control shown on a page (group boxes aside) lies inside it and covers no other.
inline void expectNoControlCovers(const QWidget& page) {
    std::vector<QWidget*> widgets;
    for (QWidget* w : page.findChildren<QWidget*>(Qt::FindDirectChildrenOnly))
        if (w->isVisible() && qobject_cast<QGroupBox*>(w) == nullptr)
            widgets.push_back(w);
    for (std::size_t i = 0; i < widgets.size(); ++i) {
        ASSERT_TRUE(page.rect().contains(widgets[i]->geometry())) << controlId(widgets[i]);
        for (std::size_t j = i + 1; j < widgets.size(); ++j)
            EXPECT_FALSE(widgets[i]->geometry().intersects(widgets[j]->geometry()))
                << controlId(widgets[i]) << " and " << controlId(widgets[j]);
    }
}

} // namespace kesmo::test
