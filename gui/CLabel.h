#pragma once
// The portable label: its text and text alignment (0, centred, at construction).
#include "gui/CLabelInterface.h"

namespace gui {

class CLabel : public virtual CLabelInterface {
public:
    CLabel() = default;
    explicit CLabel(const common::CWideString& text) : m_text(text) {}
    ~CLabel() override;

    const common::CWideString& GetText() const override { return m_text; }
    void SetText(const common::CWideString& text) override { m_text = text; }
    int32_t GetTextAlignment() const override { return m_textAlignment; }
    void SetTextAlignment(int32_t alignment) override { m_textAlignment = alignment; }

protected:
    common::CWideString m_text;
    int32_t m_textAlignment = 0;
};

} // namespace gui
