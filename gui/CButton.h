#pragma once
// The portable button: text, owned image, focusable, flat and pushed flags,
// dialog result code and click action. Redrawing and the window's text are the
// Win32 button's.
#include <cstdint>

#include "gui/CButtonInterface.h"

namespace gui {

class CButton : public virtual CButtonInterface {
public:
    CButton() = default;
    CButton(const common::CWideString& text, int32_t dialogResult) : m_text(text), m_dialogResult(dialogResult) {}
    // Deletes the image.
    ~CButton() override;
    CButton(const CButton&) = delete;
    CButton& operator=(const CButton&) = delete;

    const common::CWideString& GetText() const override { return m_text; }
    void SetText(const common::CWideString& text) override { m_text = text; }
    void SetImage(common::CImage* image) override;
    void SetFocusable(bool focusable) override { m_focusable = focusable; }
    void SetFlat(bool flat) override { m_flat = flat; }
    void SetPushed(bool pushed) override { m_pushed = pushed; }
    int32_t GetDialogResult() const override { return m_dialogResult; }
    void SetDialogResult(int32_t code) override { m_dialogResult = code; }
    ClickAction& GetClickAction() override { return m_clickAction; }

    common::CImage* GetImage() const { return m_image; }
    bool IsFocusable() const { return m_focusable; }
    bool IsFlat() const { return m_flat; }
    bool IsPushed() const { return m_pushed; }

protected:
    common::CWideString m_text;
    common::CImage* m_image = nullptr; // owned
    bool m_focusable = true;
    int32_t m_dialogResult = kDialogNone;
    bool m_flat = false;
    bool m_pushed = false;
    ClickAction m_clickAction;
};

} // namespace gui
