// The two views (emulated screen and debugger console), their presentation
// from the user-interface timer and paint callback, and the status text.
#include "common/CLocale.h"
#include "common/CScopedLock.h"
#include "common/CStringList.h"
#include "common/CWideString.h"
#include "emu/core/CEmulator.h"
#include "emu/framework/CComputer.h"

namespace emu {

bool CEmulator::OnRendererRepaint(void* context) {
    CEmulator* core = static_cast<CEmulator*>(context);
    if (core == nullptr || core->m_consoleView == nullptr || !core->m_console.IsChanged())
        return false;
    return core->m_console.Redraw(core->m_consoleView);
}

void CEmulator::ShowConsole(bool on, bool pause) {
    if (on == m_consoleShown)
        return;
    common::CScopedLock lock(&m_coreLock);
    if (!m_threadAlive)
        return;
    const bool paused = pause && m_inRunLoop;
    if (paused)
        PauseAndWait();
    m_consoleShown = on;
    if (on) {
        if (m_consoleView == nullptr && m_hostView != nullptr)
            m_consoleView = m_hostView->CreateInstance();
        if (m_consoleView != nullptr)
            HookConsoleView();
    } else if (m_renderer != nullptr) {
        m_renderer->InvalidateBackground();
        m_renderer->RequestPresent(true);
    }
    // The keyboard now belongs to the console: the machine lets every key go.
    if (on && m_inRunLoop && m_threadAlive)
        PostInputWord(kInputReleaseAll);
    if (paused)
        ReleasePause();
}

void CEmulator::ShowConsoleOnThread() {
    if (m_consoleShown)
        return;
    m_consoleShown = true;
    MarkConsoleChanged();
    PostInputWord(kInputReleaseAll);
}

bool CEmulator::PresentFrame(bool refreshBanner, bool force) {
    common::CScopedLock lock(&m_coreLock);
    if (!m_threadAlive)
        return true;
    if (m_consoleShown && m_consoleView != nullptr) {
        if (m_outputWindow != nullptr)
            m_consoleView->SetWindow(m_outputWindow);
        if (refreshBanner && m_machine != nullptr) {
            m_console.Clear();
            common::CStringList lines;
            m_machine->GetIdentityText(lines);
            m_console.AppendLines(lines);
        }
        if (m_consoleView->FitToClient())
            MarkConsoleChanged();
        // The frame end runs the repaint hook, which draws the console text.
        if (m_console.IsChanged())
            m_consoleView->EndFrame(false, 0.0f);
        m_consoleView->RequestPresent(force);
    } else if (m_renderer != nullptr && !m_stopRequested) {
        if (m_outputWindow != nullptr)
            m_renderer->SetWindow(m_outputWindow);
        m_renderer->RequestPresent(force);
    }
    return true;
}

void CEmulator::FormatStatusText(common::CString& out) {
    common::CScopedLock lock(&m_coreLock);
    out.Clear();
    if (!m_threadAlive || m_machine == nullptr)
        return;
    const char* name = m_machine->GetName();
    out.AssignNarrow(name != nullptr && name[0] != '\0' ? name : "Unknown");
    const int32_t speed = m_active ? m_speedPercent.load() : -1;
    common::CWideString text;
    m_machine->GetFrequencyText(text, speed);
    // A machine stopped in the debugger shows no speed: only a running one has one.
    if (speed >= 0 && !m_inBreak) {
        text.AppendNarrow(", ");
        text.AppendWideString(common::CLocale::GetText(kTextSpeed, "Speed"));
        text.AppendFormat("=%ld", static_cast<long>(speed));
    }
    if (m_renderer != nullptr && !m_consoleShown && m_renderer->IsVSync(false))
        text.AppendNarrow(", VSYNC ON is Slower!");
    if (!text.IsEmpty()) {
        out.AppendNarrow(" (");
        out.AppendString(text);
        out.AppendNarrow(")");
    }
}

} // namespace emu
