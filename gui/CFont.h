#pragma once
// The portable font: the properties and their change reports. A new font is in
// its default state (family 0, size 0, no style, no colour). The Win32 font adds
// the GDI handle that a painter makes when it first selects the font.
#include "gui/CFontInterface.h"

namespace gui {

class CFont : public CFontInterface {
public:
    CFont() = default;
    explicit CFont(CPainter* owner) : CFontInterface(owner) {}
    CFont(const CFont&) = delete;
    CFont& operator=(const CFont&) = delete;

    void Assign(const CFontInterface* other) override;
    int32_t GetFamily() const override { return m_family; }
    void SetFamily(int32_t family) override;
    int32_t GetSize() const override { return m_size; }
    // A negative size becomes 0.
    void SetSize(int32_t size) override;
    bool GetStyle(int32_t* style) const override;
    // Always marks the style as set.
    void SetStyle(int32_t style) override;
    // Replaces bits 0 and 1 of the current style (0 when unset), keeping the others.
    void SetStyleFlags(bool bold, bool italic) override;
    bool GetColor(CColor* colour) const override;
    void SetColor(const CColor& colour) override;
    void SetFamilyAndSize(int32_t family, int32_t size) override;
    void Set(int32_t family, int32_t size, const CColor& colour) override;
    bool IsDefault() const override;
    void Reset() override;

private:
    // Applies the values and answers the bits that changed.
    uint32_t Apply(int32_t family, int32_t size, bool styleSet, int32_t style, const CColor& colour);

    int32_t m_family = kFamilyDefault;
    int32_t m_size = 0; // points; 0 = the device's default height
    int32_t m_style = 0;
    bool m_styleSet = false;
    CColor m_colour;
};

} // namespace gui
