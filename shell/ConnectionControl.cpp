#include "shell/ConnectionControl.h"

#include "model/Presets.h"
#include "model/WorkingModel.h"

#include <algorithm>
#include <mutex>

namespace kesmo {

namespace {

bool isModeIndex(int n) {
    return n >= 0 && n <= layout::kStoredModes;
}

} // namespace

ConnectionControl::ConnectionControl(ConnectionUi& ui, Command& command, PortCandidates& candidates,
                                     LinkPort& serial, LinkPort* usb)
    : m_ui(ui), m_command(command), m_candidates(candidates), m_serial(serial), m_usb(usb) {}

void ConnectionControl::showText(const UiText& text) {
    m_ui.showMessage(text.pick(m_ui.languageFlag()));
}

LinkPort* ConnectionControl::portOf(int transportKind) {
    return transportKind == transport::kUsb ? m_usb : &m_serial;
}

void ConnectionControl::connect() {
    LinkState& link = m_command.link();
    if (link.connected != 0) {
        disconnect();
        return;
    }
    m_serialCandidates.clear();
    for (std::string& name : m_candidates.serialPorts())
        if (!name.empty())
            m_serialCandidates.push_back(std::move(name));
    if (!m_serialCandidates.empty())
        link.connectAttempt = 1;
    m_usbCandidates.clear();
    if (m_usb)
        for (std::string& path : m_candidates.usbPaths())
            if (!path.empty())
                m_usbCandidates.push_back(std::move(path));

    if (openNextCandidate(true, true))
        return;
    link.connectAttempt = 0;
    showText(kNoDeviceText);
}

bool ConnectionControl::openNextCandidate(bool serialFirst, bool copyMirror) {
    if (serialFirst) {
        while (!m_serialCandidates.empty()) {
            const std::string name = m_serialCandidates.front();
            m_serialCandidates.pop_front();
            if (tryOpen(transport::kSerial, name, copyMirror))
                return true;
        }
    }
    while (!m_usbCandidates.empty()) {
        const std::string path = m_usbCandidates.front();
        m_usbCandidates.pop_front();
        if (tryOpen(transport::kUsb, path, copyMirror))
            return true;
    }
    return false;
}

bool ConnectionControl::tryOpen(int transportKind, const std::string& port, bool copyMirror) {
    LinkPort* linkPort = portOf(transportKind);
    if (!linkPort || linkPort->open(port) == 0)
        return false;
    LinkState& link = m_command.link();
    m_currentPort = port;
    {
        std::lock_guard lock(modelLock());
        link.transport = transportKind;
        link.connected = 1;
        m_command.queue().clear();
        if (copyMirror) {
            link.connectAttempt = 1;
            takeOverImage(m_command.store(), true);
        }
        buildCommand(m_command.queue(), m_command.store(), link, CommandCode::ReadIdentity, 0);
    }
    if (copyMirror)
        m_ui.showLookup();
    if (linkPort->start() != 0)
        return true;
    // A worker that cannot run makes the port as good as absent.
    linkPort->close();
    std::lock_guard lock(modelLock());
    link.transport = transport::kNone;
    link.connected = 0;
    m_command.queue().clear();
    m_currentPort.clear();
    return false;
}

void ConnectionControl::goOffline() {
    LinkState& link = m_command.link();
    link.transport = transport::kNone;
    link.connected = 0;
    link.replyPending = 0;
    m_currentPort.clear();
    m_ui.hideProgress();
    m_ui.showProgram(true);
}

void ConnectionControl::disconnect() {
    LinkState& link = m_command.link();
    if (LinkPort* active = portOf(link.transport); active && link.transport != transport::kNone)
        active->close();
    goOffline();
    m_ui.reloadSystemPage();
}

void ConnectionControl::portLost(int transportLost, bool identityQuery) {
    LinkState& link = m_command.link();
    // A report from a port already closed (a Disconnect or an earlier loss overtook it) must
    // not close or replace the port now in use.
    if (link.connected == 0 || transportLost != link.transport)
        return;
    if (LinkPort* failed = portOf(transportLost))
        failed->close();
    if (identityQuery) {
        if (openNextCandidate(transportLost == transport::kSerial, false))
            return;
        goOffline();
        showText(kNoDeviceText);
        return;
    }
    goOffline();
    showText(kNoDeviceText);
    m_ui.reloadSystemPage();
}

bool ConnectionControl::handleMessage(Message message, std::intptr_t wParam, std::intptr_t lParam) {
    switch (message) {
    case Message::PortLost:
        portLost(static_cast<int>(wParam), lParam != 0);
        return true;
    case Message::IdentityArrived:
        readDeviceState();
        return true;
    case Message::BankArrived:
        bankArrived();
        return true;
    case Message::StartConnect:
        connect();
        return true;
    default:
        return false;
    }
}

void ConnectionControl::readDeviceState() {
    // A late reply of a link that has gone would start a bar no frame ever advances.
    if (m_command.link().connected == 0)
        return;
    std::lock_guard lock(modelLock());
    buildCommand(m_command.queue(), m_command.store(), m_command.link(), CommandCode::ReadNames, 0);
    sendCommand(CommandCode::ReadSystemBlock, 0);
    sendCommand(CommandCode::ReadMode, 0);
    numberProgressSteps();
}

void ConnectionControl::numberProgressSteps() {
    std::lock_guard lock(modelLock());
    CommandQueue& queue = m_command.queue();
    // The step is one byte; a longer series would wrap and close the bar early.
    const std::size_t count = std::min<std::size_t>(queue.count(), 255);
    if (count == 0)
        return;
    for (std::size_t i = 0; i < count; ++i)
        queue.at(i).frame().setField(Frame::kProgressStep, static_cast<std::uint8_t>(i + 1));
    m_ui.startBar(static_cast<int>(count));
}

void ConnectionControl::sendCommand(int code, int arg) {
    ParamStore& store = m_command.store();
    LinkState& link = m_command.link();
    if (link.connected == 0) {
        bool save = false;
        {
            std::lock_guard lock(modelLock());
            if (code == codeValue(CommandCode::RecallMode) && link.bankValid != 0) {
                recallOffline(store, arg);
            } else if (code == codeValue(CommandCode::ReadMode) && arg != 0 &&
                       link.bankValid != 0) {
                store.fileHeaderSystem.assign(store.workingSystem);
                save = true;
            }
        }
        if (save)
            saveBank();
        return;
    }
    std::lock_guard lock(modelLock());
    const bool modeArg = isModeIndex(arg);
    if (code == codeValue(CommandCode::ReadMode) && arg != 0)
        buildCommand(m_command.queue(), store, link, CommandCode::ReadSystemBlock, arg);
    buildCommand(m_command.queue(), store, link, code, arg);
    if (code == codeValue(CommandCode::RecallMode) && modeArg) {
        store.workingSystem.setByte(layout::system::kCurrentMode, static_cast<std::uint8_t>(arg));
    } else if (code == codeValue(CommandCode::WriteName)) {
        if (arg != 0 && modeArg)
            store.workingSystem.setByte(layout::system::kCurrentMode,
                                        static_cast<std::uint8_t>(arg));
        m_ui.showProgram(true);
    } else if (code == codeValue(CommandCode::ReadMode) && arg != 0) {
        numberProgressSteps();
    }
    if (link.replyPending != 0)
        m_ui.showBusy();
}

void ConnectionControl::bankArrived() {
    ParamStore& store = m_command.store();
    LinkState& link = m_command.link();
    {
        std::lock_guard lock(modelLock());
        if (link.perModeSystemBlocks == 0) {
            store.storedSystem(1).assign(store.workingSystem);
            store.fileHeaderSystem.assign(store.workingSystem);
        }
        link.bankValid = 1;
        store.bankLoadedFromFile = 1;
    }
    saveBank();
}

void ConnectionControl::saveBank() {
    saveAs(PresetFileKind::Bank, presetFolders(m_command.store()).bankStart, kesmo::exportAll);
}

void ConnectionControl::exportMode() {
    saveAs(PresetFileKind::SingleMode, presetFolders(m_command.store()).singleModeStart,
           kesmo::exportMode);
}

void ConnectionControl::saveAs(PresetFileKind kind, const std::filesystem::path& start,
                               PresetStatus (*write)(ParamStore&, const std::string&)) {
    const std::optional<std::string> chosen = m_ui.saveFile(kind, start);
    if (!chosen)
        return;
    PresetStatus status;
    {
        std::lock_guard lock(modelLock());
        status = write(m_command.store(), *chosen);
    }
    if (status != PresetStatus::Done)
        m_ui.showMessage(kFileWriteErrorText);
}

void ConnectionControl::importMode() {
    const std::optional<std::string> chosen =
        m_ui.openFile(PresetFileKind::SingleMode, presetFolders(m_command.store()).singleModeStart);
    if (!chosen)
        return;
    LinkState& link = m_command.link();
    PresetStatus status;
    {
        std::lock_guard lock(modelLock());
        const bool perMode = link.perModeSystemBlocks != 0;
        status = kesmo::importMode(m_command.store(), *chosen, perMode);
        if (status == PresetStatus::Done) {
            m_ui.refreshAll();
            if (link.connected == 0)
                return;
            m_ui.showProgram(true);
            sendCommand(CommandCode::WriteMode, 0);
            if (perMode)
                sendCommand(CommandCode::WriteSystemBlock, 0);
            return;
        }
    }
    // The box waits for the user: the worker must not wait behind it for the lock.
    reportReadFailure(status);
}

void ConnectionControl::importAll() {
    const std::optional<std::string> chosen =
        m_ui.openFile(PresetFileKind::Bank, presetFolders(m_command.store()).bankStart);
    if (!chosen)
        return;
    LinkState& link = m_command.link();
    ImportAllResult result;
    {
        std::lock_guard lock(modelLock());
        // A failed read changes nothing, so nothing half-read can reach the device's stored modes.
        result = kesmo::importAll(m_command.store(), *chosen, link.perModeSystemBlocks != 0);
        if (result.ignored)
            return;
        if (result.status == PresetStatus::Done) {
            link.bankHasSystemBlocks = result.bankHasSystemBlocks;
            // The loaded bank serves offline recall and export as a bank read from the device
            // does.
            link.bankValid = 1;
            m_ui.refreshAll();
            m_ui.showProgram(true);
            if (link.connected == 0)
                return;
            sendCommand(CommandCode::WriteMode, 1);
            sendCommand(CommandCode::WriteSystemBlock, 1);
            link.bankHasSystemBlocks = 1;
            numberProgressSteps();
            return;
        }
    }
    reportReadFailure(result.status);
}

void ConnectionControl::reportReadFailure(PresetStatus status) {
    if (status == PresetStatus::OpenFailed)
        m_ui.showMessage(kFileOpenErrorText);
    else
        showText(kFileContentErrorText);
}

} // namespace kesmo
