#include "tools/kesmo-cli/DeviceCommands.h"

#include "devicelink/Delivery.h"
#include "devicelink/SerialPort.h"
#include "devicelink/UsbPort.h"
#include "model/FieldCatalogue.h"
#include "model/Presets.h"
#include "shell/ConnectionControl.h"
#include "tools/kesmo-cli/TraceRelay.h"

#include <chrono>
#include <condition_variable>
#include <deque>
#include <memory>
#include <mutex>
#include <optional>
#include <utility>

namespace kesmo::cli {

DeviceEnvironment& deviceEnvironment() {
    static DeviceEnvironment environment;
    return environment;
}

namespace {

// The console face of the user interface: message boxes become lines on the error stream,
// file dialogs answer with the file named on the command line.
class ConsoleUi final : public ConnectionUi {
public:
    explicit ConsoleUi(Invocation& inv) : m_inv(inv) {}
    void showLookup() override {}
    void startBar(int) override {}
    void step(int) override {}
    void showBusy() override {}
    void hideProgress() override {}
    void showMessage(const std::string& text) override {
        report(m_inv, text);
        ++m_messages;
    }
    std::optional<std::string> saveFile(PresetFileKind, const std::filesystem::path&) override {
        return m_file;
    }
    std::optional<std::string> openFile(PresetFileKind, const std::filesystem::path&) override {
        return m_file;
    }
    void refreshAll() override {}
    void showProgram(bool) override {}
    void reloadSystemPage() override {}
    int languageFlag() const override { return 0; }

    void setFile(std::string file) { m_file = std::move(file); }
    int messages() const { return m_messages; }

private:
    Invocation& m_inv;
    std::optional<std::string> m_file;
    int m_messages = 0;
};

// The owner's message queue: the transport posts from its thread, the command drains it.
class MessageQueue final : public MessageSink {
public:
    struct Posted {
        Message message;
        std::intptr_t wParam, lParam;
    };
    void post(Message message, std::intptr_t wParam, std::intptr_t lParam) override {
        {
            std::lock_guard lock(m_mutex);
            m_posted.push_back({message, wParam, lParam});
        }
        m_ready.notify_one();
    }
    void postNotice(const char* text, const char*) override {
        {
            std::lock_guard lock(m_mutex);
            m_notices.emplace_back(text);
        }
        m_ready.notify_one();
    }
    // What arrived, waiting up to `timeout` when nothing has.
    std::deque<Posted> take(std::chrono::milliseconds timeout, std::deque<std::string>& notices) {
        std::unique_lock lock(m_mutex);
        m_ready.wait_for(lock, timeout, [&] { return !m_posted.empty() || !m_notices.empty(); });
        notices = std::exchange(m_notices, {});
        return std::exchange(m_posted, {});
    }

private:
    std::mutex m_mutex;
    std::condition_variable m_ready;
    std::deque<Posted> m_posted;
    std::deque<std::string> m_notices;
};

// --port P alone, or the candidates in Connect's order.
class CliCandidates final : public PortCandidates {
public:
    explicit CliCandidates(const Options& options) : m_options(options) {}
    std::vector<std::string> serialPorts() override {
        if (!m_options.port.empty())
            return {m_options.port};
        std::vector<std::string> names;
        for (const PortEntry& entry : discoveredSerialPorts())
            names.push_back(entry.portName);
        return names;
    }
    std::vector<std::string> usbPaths() override {
        if (!m_options.port.empty())
            return {};
        return discoveredUsbPaths();
    }

    static std::vector<PortEntry> discoveredSerialPorts() {
        const DeviceEnvironment& env = deviceEnvironment();
        return env.serialPorts ? env.serialPorts() : discoverPorts(false);
    }
    static std::vector<std::string> discoveredUsbPaths() {
        const DeviceEnvironment& env = deviceEnvironment();
        if (env.usbPaths)
            return env.usbPaths();
        std::vector<std::string> paths;
        UsbPort::enumerate(paths);
        return paths;
    }

private:
    const Options& m_options;
};

// The serial transport, with every port behind a tracing relay when --trace asks for it.
class CliSerial final : public LinkPort {
public:
    CliSerial(SerialPort& port, Invocation& inv) : m_port(port), m_inv(inv) {}
    int open(const std::string& name) override {
        m_relay.reset();
        if (!m_inv.options.trace)
            return SerialLinkPort<SerialPort>(m_port).open(name);
        m_relay = std::make_unique<TraceRelay>(m_inv.out);
        std::string error;
        if (!m_relay->start(name, error)) {
            m_relay.reset();
            return 0;
        }
        return SerialLinkPort<SerialPort>(m_port).open(m_relay->slavePath());
    }
    int start() override { return m_port.start(); }
    void close() override {
        m_port.close();
        m_relay.reset();
    }

private:
    SerialPort& m_port;
    Invocation& m_inv;
    std::unique_ptr<TraceRelay> m_relay;
};

std::uint8_t byteOf(ParamStore& store, const ByteWrite& w, bool mirror) {
    if (w.block == FieldBlock::System)
        return (mirror ? store.mirrorSystem : store.workingSystem).byte(w.offset);
    return (mirror ? store.mirror : store.working).byte(w.offset);
}

constexpr MasterChannel kMasters[] = {MasterChannel::Effect, MasterChannel::Mic,
                                      MasterChannel::Music};

// A maximum volume goes through the model's rule, so its master volume follows it down.
void apply(ParamStore& store, const ByteWrite& w) {
    if (w.block == FieldBlock::Image) {
        store.working.setByte(w.offset, w.value);
        return;
    }
    for (const MasterChannel c : kMasters) {
        if (w.offset == masterMaxOffset(c)) {
            setMaxVolume(store.workingSystem, c, w.value);
            return;
        }
    }
    store.workingSystem.setByte(w.offset, w.value);
}

// The maximum a master volume written by `w` may not exceed, as `store` holds it now.
std::optional<int> maximumFor(const ParamStore& store, const ByteWrite& w) {
    if (w.block == FieldBlock::System)
        for (const MasterChannel c : kMasters)
            if (w.offset == masterVolumeOffset(c))
                return store.workingSystem.byte(masterMaxOffset(c));
    return std::nullopt;
}

std::string addressOf(const ByteWrite& w) {
    if (const Field* field = fieldAt(w.block, w.offset))
        return field->path;
    return (w.block == FieldBlock::System ? "system[" : "image[") + std::to_string(w.offset) + "]";
}

// One connection for the length of a command: the controller, its transport and the loop
// that hands it the transport's messages.
class DeviceSession {
public:
    explicit DeviceSession(Invocation& inv)
        : m_inv(inv), m_ui(inv), m_candidates(inv.options),
          m_port(std::make_unique<SerialPort>(
              *m_command, deviceEnvironment().clock ? *deviceEnvironment().clock : steadyClock(),
              &m_ui)),
          m_usbPort(std::make_unique<UsbPort>(
              *m_command, deviceEnvironment().clock ? *deviceEnvironment().clock : steadyClock(),
              &m_ui)),
          m_serial(*m_port, inv), m_usb(*m_usbPort),
          m_control(m_ui, *m_command, m_candidates, m_serial, &m_usb) {
        setMessageSink(&m_queue);
    }
    ~DeviceSession() {
        disconnect();
        m_port->close();
        m_usbPort->close();
        setMessageSink(nullptr);
    }
    DeviceSession(const DeviceSession&) = delete;
    DeviceSession& operator=(const DeviceSession&) = delete;

    ConnectionControl& control() { return m_control; }
    ConsoleUi& ui() { return m_ui; }
    ParamStore& store() { return *m_store; }
    LinkState& link() { return *m_link; }

    // Connects and waits until the device's state has been read.
    int connectAndRead() {
        m_control.connect();
        return pumpUntil([&] { return m_workingModeArrived; });
    }
    // Waits until every queued frame has been answered and the synchroniser has nothing
    // left to send.
    int waitDelivered() {
        return pumpUntil([&] { return delivered(); });
    }
    int waitBankSaved() {
        return pumpUntil([&] { return m_bankArrived; });
    }
    void disconnect() {
        if (m_link->connected != 0)
            m_control.disconnect();
    }

private:
    int pumpUntil(const std::function<bool()>& done) {
        for (;;) {
            if (done())
                return kExitDone;
            if (m_link->connected == 0) {
                if (m_identityArrived) {
                    report(m_inv, "the link was lost");
                    return kExitLinkLost;
                }
                return kExitNoDevice;
            }
            std::deque<std::string> notices;
            for (const MessageQueue::Posted& p : m_queue.take(kPoll, notices)) {
                m_identityArrived |= p.message == Message::IdentityArrived;
                m_workingModeArrived |= p.message == Message::WorkingModeArrived;
                m_bankArrived |= p.message == Message::BankArrived;
                m_control.handleMessage(p.message, p.wParam, p.lParam);
            }
            for (const std::string& notice : notices)
                report(m_inv, notice);
        }
    }
    // The mirror follows a change when it is composed: only a completed exchange on a port
    // that has not been lost says that the device has it.
    bool delivered() {
        std::lock_guard lock(modelLock());
        if (m_link->connected == 0 || activePort().lost())
            return false;
        return editsDelivered(*m_command);
    }

    const LinkWorker& activePort() const {
        if (m_link->transport == transport::kUsb)
            return *m_usbPort;
        return *m_port;
    }

    static constexpr std::chrono::milliseconds kPoll{20};

    Invocation& m_inv;
    ConsoleUi m_ui;
    MessageQueue m_queue;
    CliCandidates m_candidates;
    std::unique_ptr<ParamStore> m_store = std::make_unique<ParamStore>();
    std::unique_ptr<LinkState> m_link = std::make_unique<LinkState>();
    std::unique_ptr<kesmo::Command> m_command = std::make_unique<kesmo::Command>(*m_store, *m_link);
    std::unique_ptr<SerialPort> m_port;
    std::unique_ptr<UsbPort> m_usbPort;
    CliSerial m_serial;
    UsbLinkPort<UsbPort> m_usb;
    ConnectionControl m_control;
    bool m_identityArrived = false, m_workingModeArrived = false, m_bankArrived = false;
};

int expectOneFile(Invocation& inv) {
    if (inv.operands.size() != 1)
        return usageError(inv, "expects one FILE");
    return kExitDone;
}

// Checks a file the command is to send before the device is contacted.
template <class Parsed>
int checkFile(Invocation& inv, bool (*parse)(const std::vector<std::uint8_t>&, Parsed&)) {
    const FileBytes file = readWholeFile(inv.operands[0]);
    if (file.status == PresetStatus::OpenFailed) {
        report(inv, kFileOpenErrorText);
        return kExitFileError;
    }
    auto parsed = std::make_unique<Parsed>();
    if (file.status != PresetStatus::Done || !parse(file.bytes, *parsed)) {
        report(inv, kFileContentErrorText.english);
        return kExitFileError;
    }
    return kExitDone;
}

} // namespace

int runPorts(Invocation& inv) {
    if (!inv.operands.empty())
        return usageError(inv, "expects no operands");
    for (const PortEntry& entry : CliCandidates::discoveredSerialPorts())
        inv.out << entry.portName << "\t" << entry.friendlyName << "\t" << (entry.usb ? 1 : 0)
                << "\n";
    for (const std::string& path : CliCandidates::discoveredUsbPaths())
        inv.out << path << "\tCH9326 USB bridge\t1\n";
    return kExitDone;
}

namespace {

enum class Then { Done, Delivered, BankSaved };

// Connects, reads the device's state, runs one file command of the controller on FILE, then
// waits for what the command set going.
int runFileCommand(Invocation& inv, void (ConnectionControl::*command)(), Then then) {
    DeviceSession session(inv);
    if (const int status = session.connectAndRead(); status != kExitDone)
        return status;
    session.ui().setFile(inv.operands[0]);
    (session.control().*command)();
    if (then == Then::BankSaved)
        if (const int status = session.waitBankSaved(); status != kExitDone)
            return status;
    if (session.ui().messages() != 0)
        return kExitFileError;
    return then == Then::Delivered ? session.waitDelivered() : kExitDone;
}

} // namespace

int runRead(Invocation& inv) {
    if (const int status = expectOneFile(inv); status != kExitDone)
        return status;
    return runFileCommand(inv, &ConnectionControl::exportMode, Then::Done);
}

int runWrite(Invocation& inv) {
    if (const int status = expectOneFile(inv); status != kExitDone)
        return status;
    if (const int status = checkFile<SingleModeFile>(inv, parseSingleMode); status != kExitDone)
        return status;
    return runFileCommand(inv, &ConnectionControl::importMode, Then::Delivered);
}

int runBackup(Invocation& inv) {
    if (const int status = expectOneFile(inv); status != kExitDone)
        return status;
    return runFileCommand(inv, &ConnectionControl::exportAll, Then::BankSaved);
}

int runRestore(Invocation& inv) {
    if (const int status = expectOneFile(inv); status != kExitDone)
        return status;
    // Import-all passes over a name without the extension without a word.
    if (!containsExtension(inv.operands[0], kBankExtension))
        return usageError(inv, "FILE must be a .dat file");
    if (const int status = checkFile<BankFile>(inv, parseBank); status != kExitDone)
        return status;
    return runFileCommand(inv, &ConnectionControl::importAll, Then::Delivered);
}

int applySetWrites(Invocation& inv, const std::vector<ByteWrite>& writes) {
    return applyWorkingWrites(inv, [&](const ParamStore&, std::vector<ByteWrite>& out) {
        out = writes;
        return static_cast<int>(kExitDone);
    });
}

int applyWorkingWrites(Invocation& inv, const PrepareWrites& prepare) {
    DeviceSession session(inv);
    if (const int status = session.connectAndRead(); status != kExitDone)
        return status;
    {
        std::lock_guard lock(modelLock());
        std::vector<ByteWrite> writes;
        if (const int status = prepare(session.store(), writes); status != kExitDone)
            return status;
        if (writes.empty())
            return kExitDone;
        // Bytes no parameter change carries (names, passwords, scenes not being edited) would
        // stay in the working copy and never reach the device.
        SyncScratch scratch(session.store(), session.link());
        for (const ByteWrite& w : writes) {
            const std::optional<int> maximum = maximumFor(scratch.store(), w);
            const int level = w.value & layout::system::kLevelMask;
            if (maximum && level > *maximum) {
                report(inv, addressOf(w) + ": level " + std::to_string(level) +
                                " is above its maximum " + std::to_string(*maximum));
                return kExitUsage;
            }
            apply(scratch.store(), w);
        }
        scratch.drain();
        bool carried = true;
        for (const ByteWrite& w : writes) {
            if (byteOf(scratch.store(), w, false) != byteOf(scratch.store(), w, true)) {
                report(inv, addressOf(w) + " is not sent to the device by parameter changes");
                carried = false;
            }
        }
        if (!carried)
            return kExitUsage;
        for (const ByteWrite& w : writes)
            apply(session.store(), w);
    }
    return session.waitDelivered();
}

} // namespace kesmo::cli
