#pragma once
// The portable brush: the properties and their change reports. A new brush has
// style 0 and the colour none.
#include "gui/CBrushInterface.h"

namespace gui {

class CBrush : public CBrushInterface {
public:
    CBrush() = default;
    explicit CBrush(CPainter* owner) : CBrushInterface(owner) {}
    CBrush(const CBrush&) = delete;
    CBrush& operator=(const CBrush&) = delete;

    void Assign(const CBrushInterface* other) override;
    int32_t GetStyle() const override { return m_style; }
    void SetStyle(int32_t style) override;
    bool GetColor(CColor* colour) const override;
    void SetColor(const CColor& colour) override;
    void SetSolidColor(const CColor& colour) override;
    bool IsDefault() const override;
    void Reset() override;

private:
    uint32_t Apply(int32_t style, const CColor& colour);

    int32_t m_style = kStyleDefault;
    CColor m_colour;
};

} // namespace gui
