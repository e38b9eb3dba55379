#include "app/CApplication.h"

#include "app/LanguageSwitch.h"
#include "app/CMainMenu.h"
#include "app/CMainWindow.h"
#include "gui/Units.h"

emu::CApplication* g_pApplication = nullptr;

namespace emu {

namespace {
// The program's icon group resource.
constexpr int32_t kIconGroupId = 128;
} // namespace

CApplication::~CApplication() = default;

bool CApplication::Initialize(int32_t* exitCode) {
    RegisterLanguages();

    if (m_mainWindow == nullptr) {
        CMainWindow* window = new CMainWindow(0, 0, 800, 600, gui::Windows::kUnitPixels);
        m_mainWindow = window;
        window->SetIconId(kIconGroupId);
    }
    if (m_mainWindow->GetMenuBar() == nullptr) {
        CMainMenu* menu = new CMainMenu(GetMainWindow());
        if (!m_mainWindow->SetMenuBar(menu))
            delete menu;
    }
    const bool started = gui::Windows::CApplication::Initialize(exitCode);
    if (started)
        g_pApplication = this;
    return started;
}

} // namespace emu
