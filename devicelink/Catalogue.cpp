#include "devicelink/Catalogue.h"

#include <memory>

namespace kesmo {

namespace {

using layout::kModeImageSize;
using layout::kStoredModes;
using layout::kSystemBlockSize;
namespace sys = layout::system;

constexpr std::size_t kData = 5; // first data byte

// Collects the frames of one command; each starts zero-filled with its header.
class Builder {
public:
    Builder(CommandQueue& queue, LinkState& link) : m_queue(queue), m_link(link) {}

    Frame& start(CommandCode code, std::size_t dataBytes) {
        m_item = std::make_unique<SendData>();
        Frame& f = m_item->frame();
        f.setLength(static_cast<std::uint16_t>(dataBytes + 2));
        f.setCode(static_cast<std::uint8_t>(code));
        return f;
    }
    Frame& indexed(CommandCode code, std::size_t dataBytes, int n) {
        Frame& f = start(code, dataBytes);
        f[kData] = static_cast<std::uint8_t>(n);
        return f;
    }
    void awaitReply(Frame& f) {
        f.setField(Frame::kAwaitReply, 1);
        m_link.replyPending = 1;
    }
    void finish() {
        frameChecksum(m_item->frame());
        m_queue.append(std::move(m_item));
    }

private:
    CommandQueue& m_queue;
    LinkState& m_link;
    std::unique_ptr<SendData> m_item;
};

template <std::size_t N>
void copyPayload(Frame& f, std::size_t at, const ByteImage<N>& from, std::size_t offset,
                 std::size_t length) {
    for (std::size_t i = 0; i < length; ++i)
        f[at + i] = from.byte(offset + i);
}

void copyStaging(Frame& f, std::size_t at, const LinkState& link, std::size_t offset,
                 std::size_t length) {
    for (std::size_t i = 0; i < length; ++i)
        f[at + i] = link.passwordStaging[offset + i].load(std::memory_order_relaxed);
}

// Single-byte requests with no payload: one frame for n = 0, or 21 for n = 1 .. 21.
void buildRead(Builder& b, CommandCode code, int first, int last, bool bulk) {
    for (int n = first; n <= last; ++n) {
        Frame& f = b.indexed(code, 1, n);
        if (bulk)
            f.setField(Frame::kBulkTransfer, 1);
        b.finish();
    }
}

void buildWriteSystemBlock(Builder& b, ParamStore& store, const LinkState& link, int arg) {
    constexpr std::size_t kBytes = 1 + kSystemBlockSize;
    const bool bank = link.bankHasSystemBlocks != 0;
    const bool perMode = link.perModeSystemBlocks != 0;
    auto frame = [&](int n, const SystemBlock& payload, bool longPause) {
        Frame& f = b.indexed(CommandCode::WriteSystemBlock, kBytes, n);
        copyPayload(f, kData + 1, payload, 0, kSystemBlockSize);
        if (longPause)
            f.setField(Frame::kLongPause, 1);
        b.finish();
    };
    if (bank && arg != 0 && perMode) {
        for (int n = 1; n <= kStoredModes; ++n)
            frame(n, store.storedSystem(n), n == kStoredModes);
    } else if (bank) {
        frame(arg, arg == 0 && perMode ? store.workingSystem : store.storedSystem(1), true);
    } else if (arg != 0 && perMode) {
        frame(arg, store.workingSystem, true);
        frame(kStoredModes, store.workingSystem, true);
    } else {
        frame(arg, store.workingSystem, true);
    }
}

void buildWriteMode(Builder& b, ParamStore& store, int arg) {
    constexpr std::size_t kBytes = 1 + kModeImageSize;
    if (arg == 0) {
        Frame& f = b.indexed(CommandCode::WriteMode, kBytes, 0);
        copyPayload(f, kData + 1, store.working, 0, kModeImageSize);
        f.setField(Frame::kLongPause, 1);
        b.awaitReply(f);
        b.finish();
        return;
    }
    for (int n = 1; n <= kStoredModes; ++n) {
        Frame& f = b.indexed(CommandCode::WriteMode, kBytes, n);
        copyPayload(f, kData + 1, store.storedMode(n), 0, kModeImageSize);
        f.setField(Frame::kBulkTransfer, 1);
        b.finish();
    }
}

// Old password as the block holds it, then the staged new one, which the working block
// takes at once.
void buildPasswordChange(Builder& b, ParamStore& store, LinkState& link, CommandCode code,
                         std::size_t blockOffset, std::size_t stagingOffset, std::size_t size) {
    Frame& f = b.start(code, 2 * size);
    copyPayload(f, kData, store.workingSystem, blockOffset, size);
    copyStaging(f, kData + size, link, stagingOffset, size);
    b.finish();
    for (std::size_t i = 0; i < size; ++i)
        store.workingSystem.setByte(blockOffset + i, f[kData + size + i]);
}

bool isModeIndex(int n) {
    return n >= 0 && n <= kStoredModes;
}

} // namespace

void buildCommand(CommandQueue& queue, ParamStore& store, LinkState& link, int code, int arg) {
    Builder b(queue, link);
    const int all = arg != 0 ? 1 : 0;
    switch (code) {
    case codeValue(CommandCode::ReadIdentity): {
        Frame& f = b.indexed(CommandCode::ReadIdentity, 1, 0);
        f.setField(Frame::kIdentityQuery, 1);
        b.finish();
        return;
    }
    case codeValue(CommandCode::ReadNames):
        buildRead(b, CommandCode::ReadNames, 0, kStoredModes, false);
        return;
    case codeValue(CommandCode::ReadSystemBlock):
        buildRead(b, CommandCode::ReadSystemBlock, all, all * kStoredModes, false);
        return;
    case codeValue(CommandCode::ReadMode):
        buildRead(b, CommandCode::ReadMode, all, all * kStoredModes, all != 0);
        return;
    case codeValue(CommandCode::WriteSystemBlock):
        // The argument travels as the index byte, so it must name a mode slot.
        if (isModeIndex(arg))
            buildWriteSystemBlock(b, store, link, arg);
        return;
    case codeValue(CommandCode::WriteMode):
        buildWriteMode(b, store, arg);
        return;
    case codeValue(CommandCode::RecallMode): {
        if (!isModeIndex(arg))
            return;
        Frame& f = b.indexed(CommandCode::RecallMode, 1, arg);
        if (arg != 0) {
            f.setField(Frame::kLongPause, 1);
            b.awaitReply(f);
        }
        b.finish();
        return;
    }
    case codeValue(CommandCode::WriteName): {
        // Only stored modes have a name to write.
        if (arg < 1 || arg > kStoredModes)
            return;
        Frame& f = b.indexed(CommandCode::WriteName, 1 + layout::image::kNameSize, arg);
        copyPayload(f, kData + 1, store.storedMode(arg), layout::image::kName,
                    layout::image::kNameSize);
        b.awaitReply(f);
        b.finish();
        return;
    }
    case codeValue(CommandCode::ChangeSystemPassword):
        buildPasswordChange(b, store, link, CommandCode::ChangeSystemPassword, sys::kSystemPassword,
                            passwordstaging::kNewSystemPassword, sys::kSystemPasswordSize);
        return;
    case codeValue(CommandCode::ChangePanelPassword):
        buildPasswordChange(b, store, link, CommandCode::ChangePanelPassword, sys::kPanelPassword,
                            passwordstaging::kNewPanelPassword, sys::kPanelPasswordSize);
        return;
    default:
        return;
    }
}

} // namespace kesmo
