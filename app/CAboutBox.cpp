#include "app/CAboutBox.h"

#include <memory>

#include "app/AboutBoxText.h"
#include "app/TextIds.h"
#include "common/CLocale.h"
#include "common/CWideString.h"
#include "common/OsHelpers.h"
#include "emu/core/CEmulator.h"
#include "emu/host/CRenderer.h"
#include "gui/Units.h"
#include "gui/windows/CButton.h"
#include "gui/windows/CDialog.h"
#include "gui/windows/CLabel.h"
#include "gui/windows/CPanel.h"

namespace emu {

namespace {

// Dock alignment codes and panel border styles.
constexpr int32_t kDockTop = 3;
constexpr int32_t kDockBottom = 4;
constexpr int32_t kDockFill = 6;
constexpr int32_t kBorderNone = 0;
constexpr int32_t kBorderEtched = 3;

constexpr uint32_t kTitleColour = 0xFF800000u;
constexpr uint32_t kTextColour = 0xFF000080u;
constexpr int32_t kLineHeight = 28;

bool IsHighDpi() {
    const gui::Windows::CDpiValues& dpi = gui::Windows::Dpi();
    return IsAboutHighDpi(dpi.m_computed, dpi.m_realKnown ? dpi.m_realX : dpi.m_layoutX);
}

gui::Windows::CLabel* MakeTextLine(const common::CWideString& text, int32_t size) {
    auto* label = new gui::Windows::CLabel(0, 0, 0, kLineHeight, text, kDockTop, true);
    label->GetFont().Set(gui::CFontInterface::kFamilySansSerif, size, gui::CColor::FromArgb(kTextColour));
    return label;
}

} // namespace

gui::Windows::CDialog* CAboutBox::Build(const common::CNarrowString& title) {
    const bool highDpi = IsHighDpi();
    auto* dialog = new gui::Windows::CDialog(kWidth, kHeight);
    dialog->SetCaption(common::CLocale::GetText(TextId::kAbout));
    dialog->SetPadding(3, 3, 3, 3);

    auto* titlePanel = new gui::Windows::CPanel(2, 3, 307, 52, kDockTop, kBorderNone, true);
    const common::CWideString titleText(title.GetText().c_str());
    auto* titleLabel = new gui::Windows::CLabel(0, 0, 0, 0, titleText, kDockFill, true);
    titleLabel->GetFont().Set(gui::CFontInterface::kFamilyArial, GetAboutTitleFontSize(titleText.GetLength(), highDpi),
                              gui::CColor::FromArgb(kTitleColour));
    titleLabel->GetFont().SetStyleFlags(true, false);
    titlePanel->AddChild(titleLabel);
    dialog->AddChild(titlePanel);

    auto* textPanel = new gui::Windows::CPanel(0, 10, 0, 92, kDockTop, kBorderEtched, true);
    const int32_t textSize = GetAboutTextFontSize(highDpi);
    common::CNarrowString build;
    common::GetBuildDescription(build);
    textPanel->AddChild(MakeTextLine(FormatAboutAuthorLine(), textSize));
    textPanel->AddChild(MakeTextLine(FormatAboutVersionLine(build.GetText().c_str()), textSize));
    textPanel->AddChild(MakeTextLine(FormatAboutOriginLine(), textSize));
    dialog->AddChild(textPanel);

    auto* ok = new gui::Windows::CButton(0, 0, 100, 34, common::CWideString("OK"), 1, kDockBottom, true);
    ok->SetFocusable(true);
    dialog->AddChild(ok);
    return dialog;
}

bool CAboutBox::Run(gui::CWidgetInterface* owner, const common::CNarrowString& title, CEmulator* emulator) {
    std::unique_ptr<gui::Windows::CDialog> dialog(Build(title));

    const bool wasInBreak = emulator && emulator->IsInBreak();
    const bool brokeIt = emulator && emulator->IsActive() && !wasInBreak;
    if (brokeIt)
        emulator->Break(false);

    dialog->RunModal(owner);

    if (emulator) {
        if (emulator->IsActive()) {
            if (brokeIt && emulator->IsInBreak())
                emulator->Resume();
        } else if (emulator->IsThreadAlive()) {
            CRenderer* renderer = emulator->IsConsoleShown() && emulator->GetConsoleView() ? emulator->GetConsoleView()
                                                                                           : emulator->GetRenderer();
            // The renderer takes its own presentation lock while it presents.
            if (renderer)
                renderer->RequestPresent(false);
        }
    }
    return true;
}

} // namespace emu
