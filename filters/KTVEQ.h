#pragma once

#include "filters/Filter.h"

#include <memory>
#include <optional>
#include <vector>

namespace kesmo {

// A channel's band set: band filters 0..n-1, then the high-pass and the low-pass filter when
// the channel has them, and the combined curve of all of them.
class CKTVEQ final {
public:
    CKTVEQ() = default;
    CKTVEQ(const CKTVEQ&) = delete;
    CKTVEQ& operator=(const CKTVEQ&) = delete;

    // n band filters numbered 1..n on consecutive EqBand records from bandOffset; the high-
    // and low-pass filters take setupNumber.
    void build(int n, ModeImage& image, std::size_t bandOffset, int setupNumber,
               std::optional<CrossoverView> highPassRecord,
               std::optional<CrossoverView> lowPassRecord);
    // Three dynamic bands on consecutive DynEqBand records from dynEqOffset.
    void buildDynamic(ModeImage& image, std::size_t dynEqOffset);
    // Every filter re-reads its record.
    void rebind();

    // nullptr when the set has no such filter (or i is out of range).
    CFilter* highPass() const;
    CFilter* lowPass() const;
    CFilter* filter(int i) const;
    int count() const { return static_cast<int>(m_filters.size()); }
    int bandCount() const { return m_bandCount; }
    int highPassIndex() const { return m_highPassIndex; }
    int lowPassIndex() const { return m_lowPassIndex; }

    void layout(const Rect& plotRect);
    void combine();
    const std::array<PointF, kGridPoints>& combinedPoints() const { return m_combinedPoints; }
    int plotWidth() const { return m_plot.width; }
    int plotHeight() const { return m_plot.height; }

private:
    std::vector<std::unique_ptr<CFilter>> m_filters;
    std::array<PointF, kGridPoints> m_combinedPoints{};
    PlotSize m_plot;
    int m_bandCount = 0;
    int m_highPassIndex = -1;
    int m_lowPassIndex = -1;
};

} // namespace kesmo
