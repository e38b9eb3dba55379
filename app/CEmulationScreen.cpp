#include "app/CEmulationScreen.h"

namespace emu {

namespace {
const wchar_t kScreenClassName[] = L"KorvetEmuScreen";
}

CEmulationScreen::CEmulationScreen(int32_t x, int32_t y, int32_t width, int32_t height, int32_t alignment,
                                   bool visible)
    : gui::Windows::CControl(x, y, width, height, alignment, visible) {}

CEmulationScreen::~CEmulationScreen() {
    BeginTeardown();
}

bool CEmulationScreen::RegisterScreenClass(HINSTANCE instance) {
    WNDCLASSEXW existing = {};
    existing.cbSize = sizeof(existing);
    if (GetClassInfoExW(instance, kScreenClassName, &existing))
        return true;
    WNDCLASSEXW windowClass = {};
    windowClass.cbSize = sizeof(windowClass);
    windowClass.style = CS_DBLCLKS | CS_HREDRAW | CS_VREDRAW;
    windowClass.lpfnWndProc = DefWindowProcW;
    windowClass.hInstance = instance;
    windowClass.hCursor = LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(IDC_ARROW));
    windowClass.lpszClassName = kScreenClassName;
    return RegisterClassExW(&windowClass) != 0;
}

bool CEmulationScreen::Create() {
    if (IsCreated())
        return true;
    HWND parentWindow = nullptr;
    int32_t originX = 0;
    int32_t originY = 0;
    HINSTANCE instance = GetInstance();
    if (!GetParentFrame(&parentWindow, &originX, &originY) || !RegisterScreenClass(instance)) {
        Destroy();
        return false;
    }
    int32_t x = 0;
    int32_t y = 0;
    int32_t width = 0;
    int32_t height = 0;
    GetRect(&x, &y, &width, &height);
    const DWORD style = WS_CHILD | WS_CLIPSIBLINGS | (IsVisible(false) ? WS_VISIBLE : 0u);
    m_window = CreateWindowExW(0, kScreenClassName, L"", style, x + originX, y + originY, width, height,
                               parentWindow, nullptr, instance, nullptr);
    if (m_window == nullptr) {
        Destroy();
        return false;
    }
    return gui::Windows::CControl::Create();
}

bool CEmulationScreen::Recreate() {
    if (IsCreated())
        Destroy();
    return Create();
}

bool CEmulationScreen::Paint(gui::CPainter* painter, const gui::CRect&, const gui::CRect&, gui::CRect* measure) {
    if (measure != nullptr)
        return false;
    if (m_onPaint != nullptr)
        m_onPaint(this, painter);
    return true;
}

} // namespace emu
