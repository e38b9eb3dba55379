#pragma once
// A brush as a set of portable properties: style (0 default, 1 solid, 2 hollow)
// and colour (none = black). Every change is reported to the owner, the
// painter that made the brush.
#include <cstdint>

#include "gui/CColor.h"

namespace gui {

class CPainter;

class CBrushInterface {
public:
    static constexpr uint32_t kChangedStyle = 1;
    static constexpr uint32_t kChangedColor = 2;

    enum : int32_t { kStyleDefault = 0, kStyleSolid = 1, kStyleHollow = 2 };

    virtual void Changed(uint32_t mask);
    virtual ~CBrushInterface();
    // Copies the other brush (null: Reset); one Changed with the bits that changed.
    virtual void Assign(const CBrushInterface* other) = 0;
    virtual int32_t GetStyle() const = 0;
    virtual void SetStyle(int32_t style) = 0;
    // False when the colour is none.
    virtual bool GetColor(CColor* colour) const = 0;
    virtual void SetColor(const CColor& colour) = 0;
    // Style 1 and the colour.
    virtual void SetSolidColor(const CColor& colour) = 0;
    // Style 0 and colour none.
    virtual bool IsDefault() const = 0;
    virtual void Reset() = 0;

    CPainter* GetOwner() const { return m_owner; }
    void SetOwner(CPainter* owner) { m_owner = owner; }

protected:
    CBrushInterface() = default;
    explicit CBrushInterface(CPainter* owner) : m_owner(owner) {}

private:
    CPainter* m_owner = nullptr; // not owned
};

} // namespace gui
