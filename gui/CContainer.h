#pragma once
// The portable container: the owned child list in insertion order, hit testing,
// the repaint walk over the children, the padding and the font that children
// without a font of their own paint with, and the dock layout.
//
// Dock layout. Each child control carries an alignment code (0..15) saying at
// which side of the free area it docks, how it is sized and whether it takes
// space from the free area, and a priority group (0 never hidden, 1..4 hidden in
// this order when the children do not fit). Layout places the children in
// vector order; while they overflow it hides whole priority groups in turn and,
// between those steps, shrinks children that measure their content (code 15).
//
//   code  position                        size        takes
//    0    its stored rectangle (1st pass)  own         nothing
//    1    L, T                             cw, H       left
//    2    R-cw, T                          cw, H       right
//    3    L, T                             W, ch       top
//    4    L, B-ch                          W, ch       bottom
//    5    centred in the whole client area own         nothing (1st pass)
//    6    L, T (fill, after all others)    W, H        see Layout
//    7    L, T+(H-ch)/2                    cw, ch      left
//    8    R-cw, T+(H-ch)/2                 cw, ch      right
//    9    L+(W-cw)/2, T                    cw, ch      top
//   10    L+(W-cw)/2, B-ch                 cw, ch      bottom
//   11    L, T                             cw, ch      left
//   12    R-cw, T                          cw, ch      right
//   13    L, B-ch                          cw, ch      left
//   14    R-cw, B-ch                       cw, ch      right
//   15    L, T                             measured, H left
//
// L, T, R, B are the edges of the free area and W, H its size; cw, ch the
// child's current size. The edge moves by the size the child took after its
// size limits. A layout requested while one runs (a size callback, say) is
// dropped; a container being destroyed lays nothing out.
#include <cstdint>
#include <vector>

#include "gui/CContainerInterface.h"
#include "gui/CFont.h"

namespace gui {

class CControlInterface;

class CContainer : public virtual CContainerInterface {
public:
    CContainer() = default;
    // Destroys every created child's window, then detaches and deletes every child.
    ~CContainer() override;
    CContainer(const CContainer&) = delete;
    CContainer& operator=(const CContainer&) = delete;

    // Paints the container (unless it is invisible) and then the children over the part.
    bool Repaint(int32_t x, int32_t y, int32_t width, int32_t height, CRect* painted) override;
    CWidgetInterface* HitTest(int32_t* x, int32_t* y) override;
    bool AddChild(CControlInterface* child) override;
    bool RemoveChild(CControlInterface* child) override;
    bool DeleteChild(CControlInterface* child) override;
    void DeleteAllChildren() override;
    int32_t GetChildCount() const override { return static_cast<int32_t>(m_children.size()); }
    CControlInterface* GetChild(int32_t index) const override;
    void Layout() override;
    CControlInterface* GetChildAt(int32_t x, int32_t y) override;
    CFont& GetFont() override { return m_font; }
    void SetPadding(int32_t left, int32_t top, int32_t right, int32_t bottom) override;
    // Forwards to the parent container; without one it does nothing.
    void RequestLayout() override;

    void GetPadding(int32_t* left, int32_t* top, int32_t* right, int32_t* bottom) const;
    bool IsBeingDestroyed() const { return m_beingDestroyed; }

    // The repaint of a widget and, when container is not null, of its children.
    // Callers check visibility (and the redraw lock for controls) first.
    static bool RepaintWidget(CWidgetInterface& widget, CContainerInterface* container, int32_t x, int32_t y,
                              int32_t width, int32_t height, CRect* painted);
    // Hit testing of a widget and, when container is not null, of its children.
    static CWidgetInterface* HitTestWidget(CWidgetInterface& widget, CContainerInterface* container, int32_t* x,
                                           int32_t* y);

protected:
    struct CLayoutPass;

    // One placement of the children from the full free area; see Layout.
    void PlaceChildren(CLayoutPass& pass, CPainter* painter, int32_t count);
    // Hides the visible children of a priority group that dock; true when any was hidden.
    bool HideGroup(int32_t group, int32_t count);

    std::vector<CControlInterface*> m_children; // owned, in insertion order
    bool m_inLayout = false;
    bool m_beingDestroyed = false;
    int32_t m_paddingLeft = 0;
    int32_t m_paddingTop = 0;
    int32_t m_paddingRight = 0;
    int32_t m_paddingBottom = 0;
    CFont m_font; // the children's paint font while it is not default; no owner
};

} // namespace gui
