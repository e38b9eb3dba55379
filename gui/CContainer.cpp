#include "gui/CContainer.h"

#include <utility>

#include "gui/CControlInterface.h"
#include "gui/CPainter.h"
#include "gui/CRect.h"
#include "gui/Units.h"

namespace gui {

namespace {

// Alignments that do not dock: a priority group means nothing for them.
bool IsFixedAlignment(int32_t alignment) {
    return alignment == 0 || alignment == 5 || alignment == 6;
}

int32_t NotBelowZero(int32_t v) {
    return v < 0 ? 0 : v;
}

bool Holds(int32_t left, int32_t top, int32_t width, int32_t height, int32_t x, int32_t y) {
    return x >= left && x < left + width && y >= top && y < top + height;
}

} // namespace

// The free area and the bookkeeping of one Layout call.
struct CContainer::CLayoutPass {
    int32_t m_pass = -1; // -1 is the first placement
    int32_t m_clientWidth = 0;
    int32_t m_clientHeight = 0;
    int32_t m_left = 0;
    int32_t m_top = 0;
    int32_t m_right = 0;
    int32_t m_bottom = 0;
    int32_t m_width = 0;
    int32_t m_height = 0;
    int32_t m_shrink = 0;    // how much the measuring children should give up
    bool m_measured = false; // some alignment-15 child measured itself so far
    bool m_groupPresent[5] = {};

    bool Fits() const { return m_left <= m_right && m_top <= m_bottom; }
    bool Overflows() const { return m_left > m_right; }
};

CContainer::~CContainer() {
    m_beingDestroyed = true;
    std::vector<CControlInterface*> children;
    children.swap(m_children);
    for (CControlInterface* child : children) {
        if (child != nullptr && child->IsCreated())
            child->Destroy();
    }
    for (CControlInterface* child : children) {
        if (child == nullptr)
            continue;
        child->SetParent(nullptr);
        delete child;
    }
}

// ---- Children ----------------------------------------------------------------

bool CContainer::AddChild(CControlInterface* child) {
    if (child == nullptr)
        return false;
    CWidgetInterface* self = this;
    CWidgetInterface* childWidget = child;
    if (childWidget == self)
        return false;
    CWidgetInterface* parent = child->GetParent();
    if (parent == self) {
        if (IsCreated())
            return child->Create();
        return true;
    }
    if (parent != nullptr)
        return false;
    // A child that is an ancestor of this container would make the tree a cycle.
    CWidgetInterface* ancestor = GetParent();
    for (int depth = 0; depth < 4096 && ancestor != nullptr; ++depth) {
        if (ancestor == childWidget)
            return false;
        ancestor = ancestor->GetParent();
    }
    m_children.push_back(child);
    if (!child->SetParent(this)) {
        m_children.pop_back();
        return false;
    }
    if (IsCreated() && !child->Create()) {
        for (auto it = m_children.begin(); it != m_children.end(); ++it) {
            if (*it == child) {
                m_children.erase(it);
                break;
            }
        }
        child->SetParent(nullptr);
        return false;
    }
    Layout();
    return true;
}

bool CContainer::RemoveChild(CControlInterface* child) {
    if (child == nullptr)
        return false;
    for (auto it = m_children.begin(); it != m_children.end(); ++it) {
        if (*it != child)
            continue;
        m_children.erase(it);
        child->Destroy();
        child->SetParent(nullptr);
        Layout();
        return true;
    }
    return false;
}

bool CContainer::DeleteChild(CControlInterface* child) {
    if (!RemoveChild(child))
        return false;
    delete child;
    return true;
}

void CContainer::DeleteAllChildren() {
    if (m_children.empty())
        return;
    std::vector<CControlInterface*> children;
    children.swap(m_children);
    for (CControlInterface* child : children) {
        if (child == nullptr)
            continue;
        child->Destroy();
        child->SetParent(nullptr);
        delete child;
    }
    Layout();
}

CControlInterface* CContainer::GetChild(int32_t index) const {
    if (index < 0 || index >= GetChildCount())
        return nullptr;
    return m_children[static_cast<size_t>(index)];
}

CControlInterface* CContainer::GetChildAt(int32_t x, int32_t y) {
    for (size_t i = m_children.size(); i-- > 0;) {
        CControlInterface* child = m_children[i];
        if (child == nullptr || !child->IsVisible(false))
            continue;
        int32_t left = 0;
        int32_t top = 0;
        int32_t width = 0;
        int32_t height = 0;
        child->GetRect(&left, &top, &width, &height);
        if (Holds(left, top, width, height, x, y))
            return child;
    }
    return nullptr;
}

void CContainer::SetPadding(int32_t left, int32_t top, int32_t right, int32_t bottom) {
    if (left == m_paddingLeft && top == m_paddingTop && right == m_paddingRight && bottom == m_paddingBottom)
        return;
    m_paddingLeft = left;
    m_paddingTop = top;
    m_paddingRight = right;
    m_paddingBottom = bottom;
    Layout();
}

void CContainer::GetPadding(int32_t* left, int32_t* top, int32_t* right, int32_t* bottom) const {
    if (left != nullptr)
        *left = m_paddingLeft;
    if (top != nullptr)
        *top = m_paddingTop;
    if (right != nullptr)
        *right = m_paddingRight;
    if (bottom != nullptr)
        *bottom = m_paddingBottom;
}

void CContainer::RequestLayout() {
    CContainerInterface* parent = dynamic_cast<CContainerInterface*>(GetParent());
    if (parent != nullptr)
        parent->RequestLayout();
}

// ---- Painting and hit testing --------------------------------------------------

bool CContainer::Repaint(int32_t x, int32_t y, int32_t width, int32_t height, CRect* painted) {
    if (!IsVisible(false))
        return false;
    return RepaintWidget(*this, this, x, y, width, height, painted);
}

bool CContainer::RepaintWidget(CWidgetInterface& widget, CContainerInterface* container, int32_t x, int32_t y,
                               int32_t width, int32_t height, CRect* painted) {
    int32_t ownX = 0;
    int32_t ownY = 0;
    int32_t ownWidth = 0;
    int32_t ownHeight = 0;
    widget.GetRect(&ownX, &ownY, &ownWidth, &ownHeight);
    if (width < 0)
        width = ownWidth;
    if (height < 0)
        height = ownHeight;
    if (x < 0) {
        width += x;
        x = 0;
    }
    if (y < 0) {
        height += y;
        y = 0;
    }
    if (x + width > ownWidth)
        width = ownWidth - x;
    if (y + height > ownHeight)
        height = ownHeight - y;
    if (width <= 0 || height <= 0)
        return false;

    int32_t originX = 0;
    int32_t originY = 0;
    CPainter* painter = widget.GetPainter(&originX, &originY);
    CRect savedClip;
    const bool hadClip = painter != nullptr && painter->GetClip(&savedClip);
    const CRect dirty(originX + x, originY + y, originX + x + width - 1, originY + y + height - 1);
    CRect result;
    bool anything = false;

    if (painter != nullptr && painter->Begin()) {
        painter->SetClip(hadClip ? savedClip.Intersect(dirty) : dirty);
        const CRect whole(originX, originY, originX + ownWidth - 1, originY + ownHeight - 1);
        if (widget.Paint(painter, whole, dirty, nullptr)) {
            result = dirty;
            anything = true;
        }
        painter->End();
    }

    const int32_t count = container != nullptr ? container->GetChildCount() : 0;
    if (count > 0) {
        int32_t clientX = 0;
        int32_t clientY = 0;
        int32_t clientWidth = 0;
        int32_t clientHeight = 0;
        if (!widget.GetClientRect(&clientX, &clientY, &clientWidth, &clientHeight)) {
            clientX = 0;
            clientY = 0;
            clientWidth = ownWidth;
            clientHeight = ownHeight;
        }
        CRect clip;
        if (painter != nullptr && painter->GetClip(&clip)) {
            const CRect client(originX + clientX, originY + clientY, originX + clientX + clientWidth - 1,
                               originY + clientY + clientHeight - 1);
            painter->SetClip(clip.Intersect(client));
        }
        const CRect area(x, y, x + width - 1, y + height - 1);
        for (int32_t i = 0; i < container->GetChildCount(); ++i) {
            CControlInterface* child = container->GetChild(i);
            if (child == nullptr || !child->IsVisible(false))
                continue;
            int32_t childX = 0;
            int32_t childY = 0;
            int32_t childWidth = 0;
            int32_t childHeight = 0;
            child->GetRect(&childX, &childY, &childWidth, &childHeight);
            if (childWidth <= 0 || childHeight <= 0)
                continue;
            const CRect bounds(clientX + childX, clientY + childY, clientX + childX + childWidth - 1,
                               clientY + childY + childHeight - 1);
            const CRect overlap = bounds.Intersect(area);
            if (overlap.IsEmpty())
                continue;
            CRect childPainted;
            if (child->Repaint(overlap.m_left - bounds.m_left, overlap.m_top - bounds.m_top,
                               overlap.m_right - overlap.m_left + 1, overlap.m_bottom - overlap.m_top + 1,
                               &childPainted)) {
                result = anything ? result.Union(childPainted) : childPainted;
                anything = true;
            }
        }
    }

    if (hadClip)
        painter->SetClip(savedClip);
    if (anything && painted != nullptr)
        *painted = result;
    return anything;
}

CWidgetInterface* CContainer::HitTest(int32_t* x, int32_t* y) {
    return HitTestWidget(*this, this, x, y);
}

CWidgetInterface* CContainer::HitTestWidget(CWidgetInterface& widget, CContainerInterface* container, int32_t* x,
                                            int32_t* y) {
    if (x == nullptr || y == nullptr || !widget.IsVisible(false))
        return nullptr;
    int32_t ownX = 0;
    int32_t ownY = 0;
    int32_t ownWidth = 0;
    int32_t ownHeight = 0;
    widget.GetRect(&ownX, &ownY, &ownWidth, &ownHeight);
    if (!Holds(ownX, ownY, ownWidth, ownHeight, *x, *y))
        return nullptr;
    const int32_t localX = *x - ownX;
    const int32_t localY = *y - ownY;
    const int32_t count = container != nullptr ? container->GetChildCount() : 0;
    if (count > 0) {
        int32_t clientX = 0;
        int32_t clientY = 0;
        int32_t clientWidth = 0;
        int32_t clientHeight = 0;
        int32_t innerX = localX;
        int32_t innerY = localY;
        if (widget.GetClientRect(&clientX, &clientY, &clientWidth, &clientHeight)) {
            innerX -= clientX;
            innerY -= clientY;
        }
        for (int32_t i = count; i-- > 0;) {
            CControlInterface* child = container->GetChild(i);
            if (child == nullptr || !child->IsVisible(false))
                continue;
            int32_t childX = 0;
            int32_t childY = 0;
            int32_t childWidth = 0;
            int32_t childHeight = 0;
            child->GetRect(&childX, &childY, &childWidth, &childHeight);
            if (!Holds(childX, childY, childWidth, childHeight, innerX, innerY))
                continue;
            *x = innerX;
            *y = innerY;
            return child->HitTest(x, y);
        }
    }
    *x = localX;
    *y = localY;
    return &widget;
}

// ---- Dock layout -----------------------------------------------------------------

void CContainer::Layout() {
    if (m_beingDestroyed || m_inLayout)
        return;
    m_inLayout = true;
    int32_t clientX = 0;
    int32_t clientY = 0;
    CLayoutPass pass;
    if (!GetClientRect(&clientX, &clientY, &pass.m_clientWidth, &pass.m_clientHeight)) {
        m_inLayout = false;
        return;
    }
    const int32_t count = GetChildCount();
    int32_t originX = 0;
    int32_t originY = 0;
    CPainter* painter = GetPainter(&originX, &originY);
    LockRedraw(true);
    for (int32_t i = 0; i < count; ++i) {
        if (CControlInterface* child = GetChild(i))
            child->LockRedraw(true);
    }

    pass.m_pass = -1;
    pass.m_shrink = 0;
    PlaceChildren(pass, painter, count);
    if (!pass.Fits()) {
        for (int32_t step = 0; step <= 7; ++step) {
            pass.m_pass = step;
            bool placed = false;
            bool done = false;
            switch (step) {
            case 0:
            case 3:
            case 6:
            case 7: {
                const int32_t group = step == 0 ? 1 : step == 3 ? 2 : step == 6 ? 3 : 4;
                if (pass.m_groupPresent[group] && HideGroup(group, count)) {
                    pass.m_shrink = 0;
                    PlaceChildren(pass, painter, count);
                    placed = true;
                }
                break;
            }
            case 2:
                if (pass.Overflows() && pass.m_measured) {
                    pass.m_shrink = pass.m_left - pass.m_right;
                    PlaceChildren(pass, painter, count);
                    placed = true;
                }
                break;
            case 4:
            case 5:
                if (pass.Overflows() && pass.m_measured) {
                    pass.m_shrink = pass.m_left - pass.m_right;
                    PlaceChildren(pass, painter, count);
                    placed = true;
                } else if (!pass.m_groupPresent[3] && !pass.m_groupPresent[4]) {
                    done = true;
                }
                break;
            default:
                break;
            }
            if ((placed && pass.Fits()) || done)
                break;
        }
    }

    for (int32_t i = 0; i < count; ++i) {
        if (CControlInterface* child = GetChild(i))
            child->LockRedraw(false);
    }
    LockRedraw(false);
    m_inLayout = false;
}

bool CContainer::HideGroup(int32_t group, int32_t count) {
    bool hid = false;
    for (int32_t i = 0; i < count; ++i) {
        CControlInterface* child = GetChild(i);
        if (child == nullptr || child->GetPriorityGroup() != group || IsFixedAlignment(child->GetAlignment()))
            continue;
        if (!child->IsVisible(false))
            continue;
        child->SetVisible(false);
        hid = true;
    }
    return hid;
}

void CContainer::PlaceChildren(CLayoutPass& pass, CPainter* painter, int32_t count) {
    const bool first = pass.m_pass == -1;
    pass.m_left = 0;
    pass.m_top = 0;
    pass.m_right = pass.m_clientWidth;
    pass.m_bottom = pass.m_clientHeight;
    pass.m_width = pass.m_clientWidth;
    pass.m_height = pass.m_clientHeight;
    int32_t fillCount = 0;
    CControlInterface* lastFill = nullptr;

    // Places the child and answers the size it actually took.
    auto place = [](CControlInterface* child, int32_t x, int32_t y, int32_t width, int32_t height, int32_t* takenWidth,
                    int32_t* takenHeight) {
        child->SetRect(x, y, width, height, Windows::kUnitPixels);
        child->GetRect(nullptr, nullptr, takenWidth, takenHeight);
    };
    auto fromLeft = [&pass](int32_t width) {
        pass.m_left += width;
        pass.m_width = NotBelowZero(pass.m_width - width);
    };
    auto fromRight = [&pass](int32_t width) {
        pass.m_right -= width;
        pass.m_width = NotBelowZero(pass.m_width - width);
    };
    auto fromTop = [&pass](int32_t height) {
        pass.m_top += height;
        pass.m_height = NotBelowZero(pass.m_height - height);
    };
    auto fromBottom = [&pass](int32_t height) {
        pass.m_bottom -= height;
        pass.m_height = NotBelowZero(pass.m_height - height);
    };

    for (int32_t i = 0; i < count; ++i) {
        CControlInterface* child = GetChild(i);
        if (child == nullptr)
            continue;
        const int32_t alignment = child->GetAlignment();
        if (first) {
            const int32_t group = child->GetPriorityGroup();
            if (group >= 1 && group <= 4 && !IsFixedAlignment(alignment)) {
                child->SetVisible(true);
                pass.m_groupPresent[group] = true;
            }
        }
        if (!child->IsVisible(false))
            continue;
        int32_t cx = 0;
        int32_t cy = 0;
        int32_t cw = 0;
        int32_t ch = 0;
        child->GetRect(&cx, &cy, &cw, &ch);
        int32_t w = 0;
        int32_t h = 0;
        const int32_t L = pass.m_left;
        const int32_t T = pass.m_top;
        const int32_t R = pass.m_right;
        const int32_t B = pass.m_bottom;
        const int32_t W = pass.m_width;
        const int32_t H = pass.m_height;
        switch (alignment) {
        case 0:
            if (first)
                child->ApplyStoredRect(this);
            break;
        case 1:
            place(child, L, T, cw, H, &w, &h);
            fromLeft(w);
            break;
        case 2:
            place(child, R - cw, T, cw, H, &w, &h);
            fromRight(w);
            break;
        case 3:
            place(child, L, T, W, ch, &w, &h);
            fromTop(h);
            break;
        case 4:
            place(child, L, B - ch, W, ch, &w, &h);
            fromBottom(h);
            break;
        case 5:
            if (first)
                child->SetRect((pass.m_clientWidth - cw) / 2, (pass.m_clientHeight - ch) / 2, cw, ch,
                               Windows::kUnitPixels);
            break;
        case 6:
            ++fillCount;
            lastFill = child;
            break;
        case 7:
            place(child, L, T + (H - ch) / 2, cw, ch, &w, &h);
            fromLeft(w);
            break;
        case 8:
            place(child, R - cw, T + (H - ch) / 2, cw, ch, &w, &h);
            fromRight(w);
            break;
        case 9:
            place(child, L + (W - cw) / 2, T, cw, ch, &w, &h);
            fromTop(h);
            break;
        case 10:
            place(child, L + (W - cw) / 2, B - ch, cw, ch, &w, &h);
            fromBottom(h);
            break;
        case 11:
            place(child, L, T, cw, ch, &w, &h);
            fromLeft(w);
            break;
        case 12:
            place(child, R - cw, T, cw, ch, &w, &h);
            fromRight(w);
            break;
        case 13:
            place(child, L, B - ch, cw, ch, &w, &h);
            fromLeft(w);
            break;
        case 14:
            place(child, R - cw, B - ch, cw, ch, &w, &h);
            fromRight(w);
            break;
        case 15: {
            int32_t constructX = 0;
            int32_t constructWidth = 0;
            child->GetConstructionRect(&constructX, nullptr, &constructWidth, nullptr);
            int32_t width = first ? constructWidth : cw;
            if ((first || pass.m_shrink > 0) && painter != nullptr) {
                const CRect bounds(cx, cy, cx + cw - 1, cy + ch - 1);
                CRect measure;
                if (child->Paint(painter, bounds, bounds, &measure)) {
                    pass.m_measured = true;
                    if (first)
                        width = constructWidth > measure.m_right ? constructWidth : measure.m_right;
                    else if (pass.m_pass <= 3)
                        width = measure.m_right;
                    else
                        width = measure.m_left;
                }
            }
            const int32_t placedWidth = width > constructX ? width : constructX;
            place(child, L, T, placedWidth, H, &w, &h);
            pass.m_shrink += w - width;
            fromLeft(w);
            break;
        }
        default:
            break;
        }
    }

    // Fill children take what is left, after every other child.
    if (fillCount < 2) {
        if (lastFill != nullptr) {
            int32_t w = 0;
            int32_t h = 0;
            place(lastFill, pass.m_left, pass.m_top, pass.m_width, pass.m_height, &w, &h);
            pass.m_right -= w;
            pass.m_bottom -= h;
        }
        return;
    }
    int32_t placedFills = 0;
    for (int32_t i = 0; i < count && placedFills < fillCount; ++i) {
        CControlInterface* child = GetChild(i);
        if (child == nullptr || child->GetAlignment() != 6 || !child->IsVisible(false))
            continue;
        int32_t w = 0;
        int32_t h = 0;
        place(child, pass.m_left, pass.m_top, pass.m_width, pass.m_height, &w, &h);
        pass.m_right -= w;
        pass.m_bottom -= h;
        ++placedFills;
    }
}

} // namespace gui
