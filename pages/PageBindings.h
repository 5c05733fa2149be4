#pragma once

#include "model/ModeImage.h"
#include "resources/DialogBuilder.h"

#include <cstddef>
#include <cstdint>
#include <functional>
#include <span>

// Controls bound to model fields through tables: a page lists its sliders (with their value
// labels) and combos as rows, and one binder sets them up, writes a user's change into the field
// and reloads them from the model. Adding a control to a page is adding a row.
namespace kesmo {

// A byte or 16-bit field of the working image or system block.
class FieldRef {
public:
    FieldRef() = default;
    FieldRef(ModeImage& image, std::size_t offset) : m_image(&image), m_offset(offset) {}
    FieldRef(SystemBlock& system, std::size_t offset) : m_system(&system), m_offset(offset) {}

    bool valid() const { return m_image != nullptr || m_system != nullptr; }
    std::uint8_t byte(std::size_t at = 0) const;
    void setByte(std::uint8_t value, std::size_t at = 0) const;

private:
    ModeImage* m_image = nullptr;
    SystemBlock* m_system = nullptr;
    std::size_t m_offset = 0;
};

// How a row's field holds the value: the whole byte, some bits of it, or a little-endian word.
// The slider position is the field value divided by `scale` (a delay in 0.1 ms on a 1 ms slider).
struct FieldShape {
    int width = 1;            // 1 or 2 bytes
    std::uint8_t mask = 0xFF; // bits of a 1-byte field that hold the value
    int shift = 0;            // lowest bit of the value in that byte
    int scale = 1;            // field = position * scale
};
inline constexpr FieldShape kByteField{};
inline constexpr FieldShape kWordField{2, 0xFF, 0, 1};

// A slider, its value label and the field they edit. `block` is the page's own name for the
// block the field sits in (which channel, which scene); the page resolves it when it binds.
struct SliderRow {
    int sliderId;
    int labelId; // 0: no label
    int minimum, maximum;
    int kind; // label display kind
    int block;
    std::size_t offset; // within the block
    FieldShape shape = kByteField;
    const char* unit = "";
    int integerScale = 1;
    int integerOffset = 0;
    double realScale = 0.0;
    double realOffset = 0.0;
    // A numeric edit showing the same value (a frequency box beside its slider), with its
    // NumEdit kind; the unit is the row's.
    int editId = 0;
    int editKind = 0;
};

// A drop-down list whose selection index is the field value.
struct ComboRow {
    int comboId;
    int block;
    std::size_t offset;
    FieldShape shape = kByteField;
};

// Reads and writes a value through a field's shape.
int readField(const FieldRef& field, const FieldShape& shape);
void writeField(const FieldRef& field, const FieldShape& shape, int value);

// Walks a page's tables. The resolver turns a row's block and offset into a field of the model
// at the moment of the access, so a row follows the page's shown channel and edited scene.
class FieldBinder {
public:
    using Resolve = std::function<FieldRef(int block, std::size_t offset)>;

    FieldBinder(const BuiltDialog& built, std::span<const SliderRow> sliders,
                std::span<const ComboRow> combos, Resolve resolve);

    // Gives every slider and label its range, kind and format (once, after the page is built).
    void setUp() const;
    // A slider moved: writes its field and label. Returns the row, or nullptr when the id is
    // not a bound slider.
    const SliderRow* sliderMoved(int sliderId, int position) const;
    // A value was typed into a row's edit: writes its field and moves the slider. Returns the
    // row, or nullptr when the id is not a bound edit.
    const SliderRow* editCommitted(int editId) const;
    // The row a slider or its edit belongs to.
    const SliderRow* rowOfEdit(int editId) const;
    // A combo's selection changed. Returns the row, or nullptr when the id is not bound.
    const ComboRow* comboChanged(int comboId, int index) const;
    // Reloads every bound control from the model; a stored value beyond a slider's range puts
    // the slider at its end while the label shows the stored value.
    void refresh() const;
    void refreshSlider(const SliderRow& row) const;
    // The combos call comboChanged when the user picks an item (not when refresh sets them).
    void connectCombos(std::function<void(int comboId, int index)> changed) const;

    const SliderRow* sliderRow(int sliderId) const;
    const ComboRow* comboRow(int comboId) const;
    FieldRef field(const SliderRow& row) const { return m_resolve(row.block, row.offset); }
    FieldRef field(const ComboRow& row) const { return m_resolve(row.block, row.offset); }

private:
    const BuiltDialog& m_built;
    std::span<const SliderRow> m_sliders;
    std::span<const ComboRow> m_combos;
    Resolve m_resolve;
};

} // namespace kesmo
