#pragma once
// A message box: a text, a caption (the window caption) and a kind that picks
// its buttons and icon; its answer is the dialog result (1 Yes/OK, 2 Cancel, 3 No).
#include <cstdint>

#include "common/CWideString.h"
#include "gui/CDialogInterface.h"

namespace gui {

class CMessageBoxInterface : public virtual CDialogInterface {
public:
    // Kinds: Yes and No buttons without an icon, with a question mark, with an
    // information sign; a warning that asks nothing (one OK button).
    enum : int32_t { kKindYesNo = 0, kKindQuestion = 1, kKindInformation = 2, kKindWarning = 3 };

    // SetText, SetCaption, then RunThen.
    virtual bool ShowThen(CWidgetInterface* parent, RunThenCallback callback, const common::CWideString& text,
                          const common::CWideString& caption) = 0;
    virtual const common::CWideString& GetText() const = 0;
    virtual void SetText(const common::CWideString& text) = 0;
    virtual int32_t GetKind() const = 0;
    virtual void SetKind(int32_t kind) = 0;
    // SetText, SetCaption, then Run.
    virtual bool Show(CWidgetInterface* parent, const common::CWideString& text,
                      const common::CWideString& caption) = 0;
    virtual bool RunThen(CWidgetInterface* parent, RunThenCallback callback, bool modal) = 0;
    virtual bool Run(CWidgetInterface* parent) = 0;
};

} // namespace gui
