#pragma once
// The portable pen: the properties and their change reports. A new pen has
// every number 0 and the colour none.
#include "gui/CPenInterface.h"

namespace gui {

class CPen : public CPenInterface {
public:
    CPen() = default;
    explicit CPen(CPainter* owner) : CPenInterface(owner) {}
    CPen(const CPen&) = delete;
    CPen& operator=(const CPen&) = delete;

    void Assign(const CPenInterface* other) override;
    int32_t GetStyle() const override { return m_style; }
    void SetStyle(int32_t style) override;
    int32_t GetMode() const override { return m_mode; }
    void SetMode(int32_t mode) override;
    int32_t GetWidth() const override { return m_width; }
    // A negative width becomes 0.
    void SetWidth(int32_t width) override;
    bool GetColor(CColor* colour) const override;
    void SetColor(const CColor& colour) override;
    void Set(const CColor& colour, int32_t width, int32_t style, int32_t mode) override;
    bool IsDefault() const override;
    void Reset() override;

private:
    // Applies the values and answers the bits that changed.
    uint32_t Apply(int32_t style, int32_t mode, int32_t width, const CColor& colour);

    int32_t m_style = kStyleDefault;
    int32_t m_mode = kModeDefault;
    int32_t m_width = 0;
    CColor m_colour;
};

} // namespace gui
