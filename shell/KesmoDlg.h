#pragma once

#include "controls/Messaging.h"
#include "pages/PageHost.h"
#include "platform/Clock.h"
#include "resources/DialogBuilder.h"
#include "shell/ConnectionControl.h"
#include "shell/ShellTexts.h"

#include <QSize>
#include <array>
#include <chrono>
#include <memory>
#include <optional>
#include <string>

class QComboBox;
class QScrollBar;

namespace kesmo {

class BandSets;
class BitButton;
class BitmapSlider;
class Edit_Static;
class EnTabCtrl;
class FontStatic;
class PageDlg;
class MainDlg;
class SerialPort;
class Show_Dlg;
class SysDlg;
class UsbPort;

// What a main window is made with; the defaults are the delivered program's.
struct KesmoSetup {
    int languageMode = kDeliveredLanguageMode;
    // The system's default locale name; empty reads it from the system.
    std::string systemLocale;
    // The screen the window opens on; unset takes the primary screen's size.
    std::optional<QSize> screenSize;
    // Where Connect finds ports; null uses port discovery and the USB bridges.
    PortCandidates* candidates = nullptr;
    // The transports' clock; null is the steady clock.
    Clock* clock = nullptr;
};

// The main window: the top bar with the master volumes, the page mode and the Connect and
// language buttons, the ten tabs over six pages, the device link and connection control.
class KesmoDlg final : public MessageTarget, public ConnectionUi, public PageHost {
    Q_OBJECT
public:
    explicit KesmoDlg(const KesmoSetup& setup = {});
    ~KesmoDlg() override;

    // The main window constructed last and not yet destroyed, or nullptr.
    static KesmoDlg* instance();

    // ConnectionUi
    void showLookup() override;
    void startBar(int count) override;
    void step(int progressStep) override;
    void showBusy() override;
    void hideProgress() override;
    void showMessage(const std::string& text) override;
    std::optional<std::string> saveFile(PresetFileKind kind,
                                        const std::filesystem::path& start) override;
    std::optional<std::string> openFile(PresetFileKind kind,
                                        const std::filesystem::path& start) override;
    void refreshAll() override;
    void showProgram(bool updateLabel) override;
    void reloadSystemPage() override;
    int languageFlag() const override { return m_languageFlag; }

    // PageHost
    ParamStore& store() override;
    BandSets* bandSets() override { return m_bands; }
    int uiMode() const override { return m_uiMode; }
    int currentPage() const override { return m_currentPage; }
    void sendCommand(int code, int arg) override;
    void maximumLowered(int channel) override;
    void exportMode() override;
    void importMode() override;
    void exportAll() override;
    void importAll() override;

    void applyLanguage();
    void switchPage(int tab);
    void refreshTopBar();
    void showAbout();
    // Stops the link: the port's worker is joined and the port closed.
    void closeLink();
    // While connected: waits, under the busy face and at most kCloseDeliveryLimit, until the
    // processor has acknowledged every edit.
    void deliverLastEdits();
    static constexpr std::chrono::milliseconds kCloseDeliveryLimit{2000};

    QWidget* control(int id) const { return m_built.control(id); }
    template <typename T> T* control(int id) const { return m_built.control<T>(id); }
    // The page shown for a tab 0..9 (tabs 4..8 share one).
    PageDlg* page(int tab) const;
    Show_Dlg* progress() const { return m_progress; }
    ConnectionControl& connection() { return *m_connection; }
    Command& command() { return *m_command; }
    // The client area the template is built in; it moves when a small screen scrolls.
    QWidget* client() const { return m_client; }
    QScrollBar* horizontalBar() const { return m_hBar; }
    QScrollBar* verticalBar() const { return m_vBar; }
    bool languageButtonShown() const;

protected:
    bool onMessage(Message message, std::intptr_t wParam, std::intptr_t lParam) override;
    void keyPressEvent(QKeyEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

private:
    struct Volume {
        int slider, label, mute;
        std::size_t level, maximum; // system block offsets
    };
    static const std::array<Volume, 3> kVolumes; // music, mic, effect

    void buildTopBar();
    void buildPages();
    void setUpSmallScreen(QSize screen);
    void scrollBy(QScrollBar* bar, int request);
    void volumeMoved(const Volume& volume, int position);
    void muteClicked(const Volume& volume);
    void pageModeChanged(int index);
    void languageClicked();
    void connectClicked();
    void lampsArrived(int which);
    void layoutScrollBars();

    KesmoSetup m_setup;
    int m_languageFlag = 0;
    bool m_languageButtonVisible = false;
    bool m_closing = false;
    int m_uiMode = 0;
    int m_currentPage = 8; // so that the first switch, to 9, takes effect

    QWidget* m_client = nullptr;
    BuiltDialog m_built;
    EnTabCtrl* m_tabs = nullptr;
    QComboBox* m_pageMode = nullptr;

    BandSets* m_bands = nullptr;
    std::unique_ptr<BandSets> m_ownBands;
    std::unique_ptr<Command> m_command;
    std::unique_ptr<PostingSink> m_sink;
    std::unique_ptr<SerialPort> m_serialPort;
    std::unique_ptr<UsbPort> m_usbPort;
    std::unique_ptr<LinkPort> m_serialLink;
    std::unique_ptr<LinkPort> m_usbLink;
    std::unique_ptr<PortCandidates> m_ownCandidates;
    std::unique_ptr<ConnectionControl> m_connection;

    std::array<PageDlg*, 6> m_pages{};
    MainDlg* m_outputPage = nullptr;
    SysDlg* m_systemPage = nullptr;
    Show_Dlg* m_progress = nullptr;

    QScrollBar* m_hBar = nullptr;
    QScrollBar* m_vBar = nullptr;
    int m_previousH = 0;
    int m_previousV = 0;
};

} // namespace kesmo
