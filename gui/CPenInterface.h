#pragma once
// A pen as a set of portable properties: style (0 default, 1 solid, 2 dotted),
// drawing mode (0 the device's own, 1 copy, 2 exclusive or), width in pixels
// (0 = 1 pixel) and colour (none = black). Every change is reported to the
// owner, the painter that made the pen, with a mask of what changed.
#include <cstdint>

#include "gui/CColor.h"

namespace gui {

class CPainter;

class CPenInterface {
public:
    // Change-mask bits.
    static constexpr uint32_t kChangedStyle = 1;
    static constexpr uint32_t kChangedWidth = 2;
    static constexpr uint32_t kChangedColor = 4;
    static constexpr uint32_t kChangedMode = 8; // applied without a new pen

    enum : int32_t { kStyleDefault = 0, kStyleSolid = 1, kStyleDot = 2 };
    enum : int32_t { kModeDefault = 0, kModeCopy = 1, kModeXor = 2 };

    // Tells the owner (when there is one) which properties changed.
    virtual void Changed(uint32_t mask);
    virtual ~CPenInterface();
    // Copies the other pen (null: Reset); one Changed with the bits that changed.
    virtual void Assign(const CPenInterface* other) = 0;
    virtual int32_t GetStyle() const = 0;
    virtual void SetStyle(int32_t style) = 0;
    virtual int32_t GetMode() const = 0;
    virtual void SetMode(int32_t mode) = 0;
    virtual int32_t GetWidth() const = 0;
    virtual void SetWidth(int32_t width) = 0;
    // False when the colour is none.
    virtual bool GetColor(CColor* colour) const = 0;
    virtual void SetColor(const CColor& colour) = 0;
    virtual void Set(const CColor& colour, int32_t width, int32_t style, int32_t mode) = 0;
    // Style 0, mode 0, width 0 and colour none.
    virtual bool IsDefault() const = 0;
    virtual void Reset() = 0;

    CPainter* GetOwner() const { return m_owner; }
    void SetOwner(CPainter* owner) { m_owner = owner; }

protected:
    CPenInterface() = default;
    explicit CPenInterface(CPainter* owner) : m_owner(owner) {}

private:
    CPainter* m_owner = nullptr; // not owned
};

} // namespace gui
