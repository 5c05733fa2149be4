#include "pages/PageBindings.h"

#include "controls/BitmapSlider.h"
#include "controls/Edit_Static.h"
#include "controls/NumEdit.h"

#include <QComboBox>
#include <QSignalBlocker>
#include <algorithm>

namespace kesmo {

std::uint8_t FieldRef::byte(std::size_t at) const {
    if (m_image != nullptr)
        return m_image->byte(m_offset + at);
    if (m_system != nullptr)
        return m_system->byte(m_offset + at);
    return 0;
}

void FieldRef::setByte(std::uint8_t value, std::size_t at) const {
    if (m_image != nullptr)
        m_image->setByte(m_offset + at, value);
    else if (m_system != nullptr)
        m_system->setByte(m_offset + at, value);
}

int readField(const FieldRef& field, const FieldShape& shape) {
    int raw = 0;
    if (shape.width == 2)
        raw = field.byte(0) | (field.byte(1) << 8);
    else
        raw = (field.byte(0) & shape.mask) >> shape.shift;
    return shape.scale > 1 ? raw / shape.scale : raw;
}

void writeField(const FieldRef& field, const FieldShape& shape, int value) {
    const int raw = value * std::max(shape.scale, 1);
    if (shape.width == 2) {
        // Two byte stores; the synchroniser re-sends a word it read half-written.
        field.setByte(static_cast<std::uint8_t>(raw & 0xFF), 0);
        field.setByte(static_cast<std::uint8_t>((raw >> 8) & 0xFF), 1);
        return;
    }
    const int kept = field.byte(0) & ~shape.mask;
    const int bits = (raw << shape.shift) & shape.mask;
    field.setByte(static_cast<std::uint8_t>(kept | bits));
}

FieldBinder::FieldBinder(const BuiltDialog& built, std::span<const SliderRow> sliders,
                         std::span<const ComboRow> combos, Resolve resolve)
    : m_built(built), m_sliders(sliders), m_combos(combos), m_resolve(std::move(resolve)) {}

void FieldBinder::setUp() const {
    for (const SliderRow& row : m_sliders) {
        if (auto* slider = m_built.control<BitmapSlider>(row.sliderId))
            slider->setRange(row.minimum, row.maximum);
        if (auto* label = m_built.control<Edit_Static>(row.labelId)) {
            label->setRange(row.minimum, row.maximum);
            label->setKind(row.kind);
            const QString unit = QString::fromUtf8(row.unit);
            if (row.kind == 14)
                label->setRealFormat(row.realScale, row.realOffset, unit);
            else
                label->setIntegerFormat(row.integerScale, row.integerOffset, unit);
        }
        if (auto* edit = m_built.control<NumEdit>(row.editId)) {
            edit->setKind(row.editKind, QString::fromUtf8(row.unit));
            edit->setRange(row.minimum, row.maximum);
        }
    }
}

const SliderRow* FieldBinder::rowOfEdit(int editId) const {
    for (const SliderRow& row : m_sliders)
        if (row.editId != 0 && row.editId == editId)
            return &row;
    return nullptr;
}

const SliderRow* FieldBinder::editCommitted(int editId) const {
    const SliderRow* row = rowOfEdit(editId);
    auto* edit = m_built.control<NumEdit>(editId);
    if (row == nullptr || edit == nullptr)
        return nullptr;
    const int value = std::clamp(edit->getValue(), row->minimum, row->maximum);
    writeField(field(*row), row->shape, value);
    if (auto* slider = m_built.control<BitmapSlider>(row->sliderId))
        slider->setPos(value);
    if (auto* label = m_built.control<Edit_Static>(row->labelId))
        label->setValue(value);
    return row;
}

const SliderRow* FieldBinder::sliderRow(int sliderId) const {
    for (const SliderRow& row : m_sliders)
        if (row.sliderId == sliderId)
            return &row;
    return nullptr;
}

const ComboRow* FieldBinder::comboRow(int comboId) const {
    for (const ComboRow& row : m_combos)
        if (row.comboId == comboId)
            return &row;
    return nullptr;
}

const SliderRow* FieldBinder::sliderMoved(int sliderId, int position) const {
    const SliderRow* row = sliderRow(sliderId);
    if (row == nullptr)
        return nullptr;
    const int value = std::clamp(position, row->minimum, row->maximum);
    writeField(field(*row), row->shape, value);
    if (auto* label = m_built.control<Edit_Static>(row->labelId))
        label->setValue(value);
    if (auto* edit = m_built.control<NumEdit>(row->editId))
        edit->setValue(value);
    return row;
}

const ComboRow* FieldBinder::comboChanged(int comboId, int index) const {
    const ComboRow* row = comboRow(comboId);
    if (row == nullptr || index < 0)
        return row;
    writeField(field(*row), row->shape, index);
    return row;
}

void FieldBinder::refreshSlider(const SliderRow& row) const {
    const int value = readField(field(row), row.shape);
    if (auto* slider = m_built.control<BitmapSlider>(row.sliderId))
        slider->setPos(std::clamp(value, row.minimum, row.maximum));
    if (auto* label = m_built.control<Edit_Static>(row.labelId))
        label->setValue(value);
    if (auto* edit = m_built.control<NumEdit>(row.editId))
        edit->setValue(value);
}

void FieldBinder::refresh() const {
    for (const SliderRow& row : m_sliders)
        refreshSlider(row);
    for (const ComboRow& row : m_combos) {
        if (auto* combo = m_built.control<QComboBox>(row.comboId)) {
            const QSignalBlocker quiet(combo);
            const int value = readField(field(row), row.shape);
            combo->setCurrentIndex(value < combo->count() ? value : -1);
        }
    }
}

void FieldBinder::connectCombos(std::function<void(int, int)> changed) const {
    for (const ComboRow& row : m_combos) {
        auto* combo = m_built.control<QComboBox>(row.comboId);
        if (combo == nullptr)
            continue;
        const int id = row.comboId;
        QObject::connect(combo, &QComboBox::activated, combo,
                         [changed, id](int index) { changed(id, index); });
    }
}

} // namespace kesmo
