#include "platform/FakeCh9326Bridge.h"

#include <deque>

namespace kesmo {

struct FakeCh9326Bridge::Core {
    struct Bridge {
        Spec spec;
        unsigned generation = 0; // tells a re-plugged bridge from the one a handle opened
        bool present = true;
        int failingWrites = 0;
        int openCount = 0;
        std::deque<std::vector<std::uint8_t>> pending;
        std::vector<std::vector<std::uint8_t>> written;
        std::vector<std::vector<std::uint8_t>> features;
        FakeCh9326Bridge::UartPeer peer;
    };

    mutable std::mutex mutex;
    std::condition_variable changed;
    std::map<std::string, Bridge> bridges;
    unsigned generations = 0;

    // The bridge a handle of that generation still talks to, or nullptr.
    Bridge* live(const std::string& path, unsigned generation) {
        const auto it = bridges.find(path);
        if (it == bridges.end() || !it->second.present || it->second.generation != generation) {
            return nullptr;
        }
        return &it->second;
    }

    const Bridge* find(const std::string& path) const {
        const auto it = bridges.find(path);
        return it == bridges.end() ? nullptr : &it->second;
    }
};

namespace {

using Core = FakeCh9326Bridge::Core;

class FakeDevice final : public HidDevice {
public:
    FakeDevice(std::shared_ptr<Core> core, std::string path, unsigned generation)
        : m_core(std::move(core)), m_path(std::move(path)), m_generation(generation) {}

    ~FakeDevice() override {
        std::lock_guard lock(m_core->mutex);
        const auto it = m_core->bridges.find(m_path);
        if (it != m_core->bridges.end() && it->second.generation == m_generation) {
            --it->second.openCount;
        }
    }
    FakeDevice(const FakeDevice&) = delete;
    FakeDevice& operator=(const FakeDevice&) = delete;

    std::optional<HidDeviceInfo> info() override {
        std::lock_guard lock(m_core->mutex);
        const auto* b = m_core->live(m_path, m_generation);
        if (!b || b->spec.attributesFail) {
            return std::nullopt;
        }
        return HidDeviceInfo{m_path, b->spec.vendorId, b->spec.productId, b->spec.releaseNumber,
                             b->spec.product};
    }

    int write(std::span<const std::uint8_t> wireReport) override {
        FakeCh9326Bridge::UartPeer peer;
        {
            std::lock_guard lock(m_core->mutex);
            auto* b = m_core->live(m_path, m_generation);
            if (!b) {
                return -1;
            }
            if (b->failingWrites > 0) {
                --b->failingWrites;
                return -1;
            }
            b->written.emplace_back(wireReport.begin(), wireReport.end());
            peer = b->peer;
        }
        if (peer) {
            peer(ch9326::outputData(wireReport));
        }
        return static_cast<int>(wireReport.size());
    }

    int read(std::span<std::uint8_t> report, std::chrono::milliseconds timeout) override {
        std::unique_lock lock(m_core->mutex);
        Core::Bridge* b = nullptr;
        m_core->changed.wait_for(lock, timeout, [&] {
            b = m_core->live(m_path, m_generation);
            return !b || !b->pending.empty();
        });
        if (!b) {
            return -1;
        }
        if (b->pending.empty()) {
            return 0;
        }
        const std::vector<std::uint8_t> next = std::move(b->pending.front());
        b->pending.pop_front();
        const std::size_t n = std::min(report.size(), next.size());
        std::copy_n(next.begin(), n, report.begin());
        return static_cast<int>(n);
    }

    int sendFeatureReport(std::span<const std::uint8_t> wireReport) override {
        std::lock_guard lock(m_core->mutex);
        auto* b = m_core->live(m_path, m_generation);
        if (!b) {
            return -1;
        }
        b->features.emplace_back(wireReport.begin(), wireReport.end());
        return static_cast<int>(wireReport.size());
    }

    std::vector<std::uint8_t> reportDescriptor() override {
        std::lock_guard lock(m_core->mutex);
        const auto* b = m_core->live(m_path, m_generation);
        return b ? b->spec.descriptor : std::vector<std::uint8_t>{};
    }

private:
    std::shared_ptr<Core> m_core;
    std::string m_path;
    unsigned m_generation;
};

} // namespace

FakeCh9326Bridge::FakeCh9326Bridge() : m_core(std::make_shared<Core>()) {}

void FakeCh9326Bridge::plugIn(Spec spec) {
    {
        std::lock_guard lock(m_core->mutex);
        Core::Bridge bridge;
        bridge.generation = ++m_core->generations;
        const std::string path = spec.path;
        bridge.spec = std::move(spec);
        m_core->bridges.insert_or_assign(path, std::move(bridge));
    }
    m_core->changed.notify_all();
}

void FakeCh9326Bridge::pullOut(const std::string& path) {
    {
        std::lock_guard lock(m_core->mutex);
        const auto it = m_core->bridges.find(path);
        if (it != m_core->bridges.end()) {
            it->second.present = false;
            it->second.pending.clear();
        }
    }
    m_core->changed.notify_all();
}

void FakeCh9326Bridge::failWrites(const std::string& path, int count) {
    std::lock_guard lock(m_core->mutex);
    const auto it = m_core->bridges.find(path);
    if (it != m_core->bridges.end()) {
        it->second.failingWrites = count;
    }
}

void FakeCh9326Bridge::injectReport(const std::string& path, std::span<const std::uint8_t> report) {
    {
        std::lock_guard lock(m_core->mutex);
        const auto it = m_core->bridges.find(path);
        if (it == m_core->bridges.end() || !it->second.present) {
            return;
        }
        std::vector<std::uint8_t> r(ch9326::usableSizes(it->second.spec.descriptor).input, 0);
        std::copy_n(report.begin(), std::min(report.size(), r.size()), r.begin());
        it->second.pending.push_back(std::move(r));
    }
    m_core->changed.notify_all();
}

void FakeCh9326Bridge::injectUartBytes(const std::string& path,
                                       std::span<const std::uint8_t> bytes) {
    std::size_t size = 0;
    {
        std::lock_guard lock(m_core->mutex);
        const auto* b = m_core->find(path);
        if (!b) {
            return;
        }
        size = ch9326::usableSizes(b->spec.descriptor).input;
    }
    for (const auto piece : ch9326::reportPieces(bytes, size)) {
        injectReport(path, ch9326::inputReport(piece, size));
    }
}

void FakeCh9326Bridge::setUartPeer(const std::string& path, UartPeer peer) {
    std::lock_guard lock(m_core->mutex);
    const auto it = m_core->bridges.find(path);
    if (it != m_core->bridges.end()) {
        it->second.peer = std::move(peer);
    }
}

std::vector<std::vector<std::uint8_t>>
FakeCh9326Bridge::writtenReports(const std::string& path) const {
    std::lock_guard lock(m_core->mutex);
    const auto* b = m_core->find(path);
    return b ? b->written : std::vector<std::vector<std::uint8_t>>{};
}

std::vector<std::uint8_t> FakeCh9326Bridge::writtenUartBytes(const std::string& path) const {
    std::vector<std::uint8_t> bytes;
    for (const auto& report : writtenReports(path)) {
        const auto data = ch9326::outputData(report);
        bytes.insert(bytes.end(), data.begin(), data.end());
    }
    return bytes;
}

std::vector<std::vector<std::uint8_t>>
FakeCh9326Bridge::featureReports(const std::string& path) const {
    std::lock_guard lock(m_core->mutex);
    const auto* b = m_core->find(path);
    return b ? b->features : std::vector<std::vector<std::uint8_t>>{};
}

std::optional<ch9326::UartSettings> FakeCh9326Bridge::uartSettings(const std::string& path) const {
    const auto reports = featureReports(path);
    return reports.empty() ? std::nullopt : ch9326::uartSettingsOf(reports.back());
}

int FakeCh9326Bridge::openCount(const std::string& path) const {
    std::lock_guard lock(m_core->mutex);
    const auto* b = m_core->find(path);
    return b ? b->openCount : 0;
}

std::size_t FakeCh9326Bridge::pendingReports(const std::string& path) const {
    std::lock_guard lock(m_core->mutex);
    const auto* b = m_core->find(path);
    return b ? b->pending.size() : 0;
}

std::vector<HidDeviceInfo> FakeCh9326Bridge::enumerate(std::uint16_t vendorId) {
    std::lock_guard lock(m_core->mutex);
    std::vector<HidDeviceInfo> found;
    for (const auto& [path, b] : m_core->bridges) {
        if (b.present && b.spec.vendorId == vendorId) {
            found.push_back(
                {path, b.spec.vendorId, b.spec.productId, b.spec.releaseNumber, b.spec.product});
        }
    }
    return found;
}

std::unique_ptr<HidDevice> FakeCh9326Bridge::open(const std::string& path) {
    std::lock_guard lock(m_core->mutex);
    const auto it = m_core->bridges.find(path);
    if (it == m_core->bridges.end() || !it->second.present) {
        return nullptr;
    }
    ++it->second.openCount;
    return std::make_unique<FakeDevice>(m_core, path, it->second.generation);
}

} // namespace kesmo
