#include "devicelink/Command.h"

#include "model/WorkingModel.h"

#include <algorithm>
#include <array>

namespace kesmo {

using namespace layout;

namespace {

std::atomic<Command*> g_command{nullptr};

constexpr std::uint8_t kStagingSpace = 0x20;

// Smallest length field of a frame that carries everything its code reads.
std::size_t minimumLength(std::uint8_t code) {
    switch (code) {
    case 12:
    case 24:
        return 2 + 12;
    case 127:
        return 2 + 2;
    case 128:
        return 2 + 1 + image::kNameSize;
    case 129:
        return 2 + kSystemBlockSize;
    case 130:
    case 133:
        return 2 + 1 + kModeImageSize;
    default:
        return 3;
    }
}

bool storedIndex(int n) {
    return n >= 1 && n <= kStoredModes;
}

// Drops the partial frame and hunts for the next frame start; the retry and poll counters of
// the transport survive.
void restartHunt(Frame& rx) {
    std::fill(rx.data(), rx.data() + Frame::kWireArea, std::uint8_t{0});
    rx.setField(Frame::kInFrame, 0);
    rx.setWord(Frame::kRxIndex, 0);
    rx.setWord(Frame::kRxLength, 0);
    rx.setField(Frame::kRxError, 1);
}

} // namespace

Command::Command(ParamStore& store, LinkState& link)
    : m_store(store), m_link(link), m_serialReceive(std::make_unique<Frame>()),
      m_serialInFlight(std::make_unique<Frame>()), m_usbReceive(std::make_unique<Frame>()),
      m_usbInFlight(std::make_unique<Frame>()), m_inFlight(m_serialInFlight.get()) {
    m_serialReceive->clear();
    m_usbReceive->clear();
    g_command.store(this);
}

Command::~Command() {
    Command* self = this;
    g_command.compare_exchange_strong(self, nullptr);
}

Command* Command::instance() {
    return g_command.load();
}

Frame& Command::receiveRecord(int transport) {
    return transport == transport::kUsb ? *m_usbReceive : *m_serialReceive;
}

Frame& Command::inFlightRecord(int transport) {
    return transport == transport::kUsb ? *m_usbInFlight : *m_serialInFlight;
}

void Command::resetRecords(int transport, bool alsoInFlight) {
    receiveRecord(transport).clear();
    if (alsoInFlight)
        inFlightRecord(transport).clearFromCode();
}

int Command::feedBytes(int transport, std::span<const std::uint8_t> bytes) {
    if (transport != m_link.transport.load() ||
        (transport != transport::kSerial && transport != transport::kUsb))
        return 0;
    m_inFlight = &inFlightRecord(transport);
    Frame& rx = receiveRecord(transport);
    for (const std::uint8_t byte : bytes)
        if (acceptByte(rx, byte) == Step::Done)
            return completeFrame(rx);
    return 0;
}

Command::Step Command::acceptByte(Frame& rx, std::uint8_t byte) {
    std::size_t at = rx.word(Frame::kRxIndex);
    if (rx.field(Frame::kInFrame) == 0) {
        if (byte != 0xFF && byte != 0x55 && byte != 0x03 && byte != 0xCC)
            return Step::More;
        // A whole record of lead-in bytes without a frame start: begin again.
        if (at >= Frame::kWireArea) {
            restartHunt(rx);
            at = 0;
        }
        rx[at] = byte;
        rx.setWord(Frame::kRxIndex, static_cast<std::uint16_t>(at + 1));
        if (byte == 0x55 || byte == 0xCC)
            rx.setField(Frame::kInFrame, 1);
        return Step::More;
    }

    // Still collecting after a failed frame: nothing more fits; the reply timeout resets.
    if (at >= Frame::kWireArea)
        return Step::More;
    rx[at] = byte;
    if (at == 2)
        rx.setWord(Frame::kRxLength,
                   static_cast<std::uint16_t>((rx.word(Frame::kRxLength) & 0xFF00) | byte));
    else if (at == 3)
        rx.setWord(Frame::kRxLength,
                   static_cast<std::uint16_t>((rx.word(Frame::kRxLength) & 0x00FF) | (byte << 8)));
    ++at;
    rx.setWord(Frame::kRxIndex, static_cast<std::uint16_t>(at));

    const std::size_t length = rx.word(Frame::kRxLength);
    // A length no frame can have (too long for the record, or without code and checksum).
    if (at == 4 && (length < 3 || length + 4 > Frame::kWireArea)) {
        restartHunt(rx);
        return Step::More;
    }
    if (at == length + 4) {
        rx.setField(Frame::kChecksumCopy, byte);
        return Step::Done;
    }
    return Step::More;
}

int Command::completeFrame(Frame& rx) {
    const std::size_t length = rx.word(Frame::kRxLength);
    unsigned sum = 0;
    for (std::size_t i = 2; i <= length + 2; ++i)
        sum += rx[i];
    if (static_cast<std::uint8_t>(sum & 0xFF) != rx[length + 3]) {
        rx.setField(Frame::kRxError, 1);
        return 0;
    }
    if (length == 3 && rx[4] == (*m_inFlight)[4]) {
        const std::uint8_t status = rx[5];
        if (status >= 1 && status <= 3) {
            rx.setField(Frame::kRxError, 1);
            return 0;
        }
    } else if (!dispatchFrame(rx)) {
        rx.setField(Frame::kRxError, 1);
        return 0;
    }
    endExchange(rx);
    return 1;
}

void Command::endExchange(Frame& rx) {
    if (m_inFlight->field(Frame::kAwaitReply) != 0)
        m_link.replyPending = 0;
    rx.clear();
    m_inFlight->clearFromCode();
}

bool Command::dispatchFrame(const Frame& frame) {
    const std::uint8_t code = frame[4];
    if (frame.length() < minimumLength(code))
        return false;
    const std::uint8_t* data = frame.data();
    const int requested = (*m_inFlight)[5];

    switch (code) {
    case 12:
    case 24: {
        auto& meters = code == 12 ? m_link.lamps.levels : m_link.lamps.limits;
        for (std::size_t i = 0; i < meters.size(); ++i)
            meters[i] = data[5 + i];
        int open = 1;
        if (m_systemPageCurrent && messageSink() != nullptr &&
            m_link.lamps.gate.compare_exchange_strong(open, 0))
            postMessage(Message::LampsArrived, code, 0);
        break;
    }
    case 127:
        m_link.perModeSystemBlocks = data[5];
        m_link.storeAllowed = data[6];
        postMessage(Message::IdentityArrived);
        break;
    case 128: {
        const int n = data[5];
        const std::span<const std::uint8_t> name(data + 6, image::kNameSize);
        if (n == 0)
            m_store.working.write(image::kName, name);
        else if (storedIndex(n))
            m_store.storedMode(n).write(image::kName, name);
        break;
    }
    case 129: {
        // This reply has no index byte: the request says where it belongs.
        const std::span<const std::uint8_t> block(data + 5, kSystemBlockSize);
        if (requested == 0) {
            m_store.workingSystem.write(0, block);
            m_store.mirrorSystem.assign(m_store.workingSystem);
            auto& staging = m_link.passwordStaging;
            for (std::size_t i = 0; i < 4; ++i)
                staging[8 + i] = m_store.workingSystem.byte(system::kSystemPassword + i);
            for (std::size_t i = 14; i <= 17; ++i)
                staging[i] = kStagingSpace;
            staging[20] = 0;
            postMessage(Message::SystemBlockArrived);
        } else if (storedIndex(requested)) {
            m_store.storedSystem(requested).write(0, block);
        }
        break;
    }
    case 130: {
        const int n = data[5];
        const std::span<const std::uint8_t> image(data + 6, kModeImageSize);
        if (n == 0) {
            m_store.working.write(0, image);
            takeOverImageFromDevice(m_store);
            postMessage(Message::WorkingModeArrived);
            break;
        }
        if (n != requested)
            postNotice(kModeIndexMismatchText, "");
        if (storedIndex(requested))
            m_store.storedMode(requested).write(0, image);
        if (n == kStoredModes)
            postMessage(Message::BankArrived);
        break;
    }
    case 133:
        m_store.working.write(0, std::span<const std::uint8_t>(data + 6, kModeImageSize));
        takeOverImageFromDevice(m_store);
        postMessage(Message::WorkingModeArrived);
        break;
    default:
        break;
    }
    return true;
}

void buildCommand(int code, int arg) {
    if (Command* command = Command::instance())
        buildCommand(command->queue(), command->store(), command->link(), code, arg);
}

} // namespace kesmo
