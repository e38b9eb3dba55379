#pragma once
// A font as a set of portable properties: family, size in points, style (bit 0
// bold, bit 1 italic, or unset) and text colour (none = leave the device's).
// Every change is reported to the owner, the painter that made the font, with
// a mask of the properties that changed; the painter reselects it at once.
#include <cstdint>

#include "gui/CColor.h"

namespace gui {

class CPainter;

class CFontInterface {
public:
    // Change-mask bits.
    static constexpr uint32_t kChangedFamily = 1;
    static constexpr uint32_t kChangedStyle = 2;
    static constexpr uint32_t kChangedSize = 4;
    static constexpr uint32_t kChangedColor = 8; // applied without a new font

    // Families.
    enum : int32_t {
        kFamilyDefault = 0,
        kFamilyArial = 1,
        kFamilyCourierNew = 2,
        kFamilyTimes = 3,
        kFamilySansSerif = 4
    };
    // Style bits.
    static constexpr int32_t kStyleBold = 1;
    static constexpr int32_t kStyleItalic = 2;

    // Tells the owner (when there is one) which properties changed.
    virtual void Changed(uint32_t mask);
    virtual ~CFontInterface();
    // Copies the other font's properties (null: Reset); one Changed with the bits that changed.
    virtual void Assign(const CFontInterface* other) = 0;
    virtual int32_t GetFamily() const = 0;
    virtual void SetFamily(int32_t family) = 0;
    virtual int32_t GetSize() const = 0;
    virtual void SetSize(int32_t size) = 0;
    // False when the style is unset.
    virtual bool GetStyle(int32_t* style) const = 0;
    virtual void SetStyle(int32_t style) = 0;
    virtual void SetStyleFlags(bool bold, bool italic) = 0;
    // False when the colour is none.
    virtual bool GetColor(CColor* colour) const = 0;
    virtual void SetColor(const CColor& colour) = 0;
    virtual void SetFamilyAndSize(int32_t family, int32_t size) = 0;
    virtual void Set(int32_t family, int32_t size, const CColor& colour) = 0;
    // Family 0, size 0, style unset and colour none.
    virtual bool IsDefault() const = 0;
    virtual void Reset() = 0;

    CPainter* GetOwner() const { return m_owner; }
    void SetOwner(CPainter* owner) { m_owner = owner; }

protected:
    CFontInterface() = default;
    explicit CFontInterface(CPainter* owner) : m_owner(owner) {}

private:
    CPainter* m_owner = nullptr; // the painter to notify; not owned
};

} // namespace gui
