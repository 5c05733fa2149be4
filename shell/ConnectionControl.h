#pragma once

#include "devicelink/Command.h"
#include "devicelink/Messages.h"
#include "devicelink/Progress.h"
#include "model/Presets.h"

#include <cstdint>
#include <deque>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

namespace kesmo {

// A text the user sees, in both languages; LanguageFlag picks one when it is shown.
struct UiText {
    const char* chinese;
    const char* english;
    const char* pick(int languageFlag) const { return languageFlag != 0 ? chinese : english; }
};

inline constexpr UiText kNoDeviceText{"不能打开设备!", "Unable to Open Device!"};
inline constexpr UiText kFileContentErrorText{"音乐文件读错误", "MusicFile read Error"};
// One language only.
inline constexpr const char* kFileOpenErrorText = "File read Error";
inline constexpr const char* kFileWriteErrorText = "MusicFile Write Error";

enum class PresetFileKind { SingleMode, Bank }; // ".dia" and ".dat"

// What connection control needs of the user interface: the main window implements it with
// widgets, kesmo-cli with console output. Everything but step runs on the owner's thread.
class ConnectionUi : public ProgressSink {
public:
    // Progress window faces.
    virtual void showLookup() = 0;
    virtual void startBar(int count) = 0;
    // ProgressSink::step: the transport thread, holding ModelLock, moves the bar.
    virtual void showBusy() = 0;
    virtual void hideProgress() = 0;

    // A modal message box with an OK button.
    virtual void showMessage(const std::string& text) = 0;
    // File dialogs starting at `start` (a folder and pattern); nullopt when cancelled.
    virtual std::optional<std::string> saveFile(PresetFileKind kind,
                                                const std::filesystem::path& start) = 0;
    virtual std::optional<std::string> openFile(PresetFileKind kind,
                                                const std::filesystem::path& start) = 0;

    // Every page reloads from the model.
    virtual void refreshAll() = 0;
    // The program label and Connect button; `updateLabel` is show program's flag.
    virtual void showProgram(bool updateLabel) = 0;
    // The System page reloads when it is the current page.
    virtual void reloadSystemPage() = 0;
    virtual int languageFlag() const = 0;
};

// One transport as Connect drives it: open a port (a name or a path), start its worker, close.
class LinkPort {
public:
    virtual ~LinkPort() = default;
    virtual int open(const std::string& port) = 0;
    virtual int start() = 0;
    virtual void close() = 0;
};

// The serial line settings Connect opens every port with.
inline constexpr unsigned kLinkBaud = 115200;
inline constexpr char kLinkParity = 'N';
inline constexpr int kLinkDataBits = 8, kLinkStopBitsCode = 0;
inline constexpr unsigned kLinkEventMask = 9;
inline constexpr std::size_t kLinkBufferSize = 115200;

// Adapts the serial transport (anything with SerialPort's open, start and close).
template <class Port> class SerialLinkPort final : public LinkPort {
public:
    explicit SerialLinkPort(Port& port) : m_port(port) {}
    int open(const std::string& port) override {
        return m_port.open(port, kLinkBaud, kLinkParity, kLinkDataBits, kLinkStopBitsCode,
                           kLinkEventMask, kLinkBufferSize);
    }
    int start() override { return m_port.start(); }
    void close() override { m_port.close(); }

private:
    Port& m_port;
};

// Adapts the USB transport, which opens a device path.
template <class Port> class UsbLinkPort final : public LinkPort {
public:
    explicit UsbLinkPort(Port& port) : m_port(port) {}
    int open(const std::string& path) override { return m_port.open(path); }
    int start() override { return m_port.start(); }
    void close() override { m_port.close(); }

private:
    Port& m_port;
};

// Where Connect finds the ports to try, fresh for every Connect.
class PortCandidates {
public:
    virtual ~PortCandidates() = default;
    // Port names (or paths) from serial port discovery, in its order.
    virtual std::vector<std::string> serialPorts() = 0;
    // Device paths of the USB bridges found.
    virtual std::vector<std::string> usbPaths() = 0;
};

// Connection control and the device side of the file commands. Every operation runs on the
// owner's thread, which also hands it the device link's messages through handleMessage.
class ConnectionControl {
public:
    // `usb` may be null where there is no USB transport.
    ConnectionControl(ConnectionUi& ui, Command& command, PortCandidates& candidates,
                      LinkPort& serial, LinkPort* usb);
    ConnectionControl(const ConnectionControl&) = delete;
    ConnectionControl& operator=(const ConnectionControl&) = delete;

    // The Connect button and StartConnect: disconnects when connected.
    void connect();
    void disconnect();
    // Acts on PortLost, IdentityArrived, BankArrived and StartConnect; false for any other
    // message, which is the owner's.
    bool handleMessage(Message message, std::intptr_t wParam, std::intptr_t lParam);

    void portLost(int transportLost, bool identityQuery);
    void readDeviceState();
    void bankArrived();

    // The locked command service pages use for bulk commands.
    void sendCommand(int code, int arg);
    void sendCommand(CommandCode code, int arg) { sendCommand(codeValue(code), arg); }
    // Numbers the queued frames 1, 2, ... and starts the bar over them.
    void numberProgressSteps();

    void exportMode();
    void importMode();
    // Reads the bank from the device (or, offline, saves the bank loaded before).
    void exportAll() { sendCommand(CommandCode::ReadMode, 1); }
    void importAll();

    // The port being tried or in use, empty when none.
    const std::string& currentPort() const { return m_currentPort; }

private:
    // Opens candidates from the lists in order; true when one opened and its worker runs.
    bool openNextCandidate(bool serialFirst, bool copyMirror);
    bool tryOpen(int transportKind, const std::string& port, bool copyMirror);
    LinkPort* portOf(int transportKind);
    void goOffline();
    void saveBank();
    void saveAs(PresetFileKind kind, const std::filesystem::path& start,
                PresetStatus (*write)(ParamStore&, const std::string&));
    void showText(const UiText& text);
    // "File read Error" or "MusicFile read Error"; called without ModelLock held.
    void reportReadFailure(PresetStatus status);

    ConnectionUi& m_ui;
    Command& m_command;
    PortCandidates& m_candidates;
    LinkPort& m_serial;
    LinkPort* m_usb;
    std::deque<std::string> m_serialCandidates, m_usbCandidates;
    std::string m_currentPort;
};

} // namespace kesmo
