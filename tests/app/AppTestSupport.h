#pragma once
// Shared pieces of the front-end tests. A scratch program folder: the module
// path and the application-data folder are injected, so the program's
// folders, its settings file and its state files all lie below the test's own
// folder and never touch the user's. The program started with its main
// window, the texts the window system shows, and an answerer for the modal
// boxes that come up meanwhile.
#include <windows.h>

#include <cstdio>
#include <string>
#include <vector>

#include "app/CApplication.h"
#include "app/CEmulatorManager.h"
#include "app/CEmulatorSettings.h"
#include "app/CMainMenu.h"
#include "app/CMainWindow.h"
#include "common/CPath.h"
#include "common/HostFiles.h"
#include "common/ProgramFolders.h"
#include "common/Types.h"
#include "gui/CMenuItem.h"
#include "gui/CPopupMenu.h"

namespace apptest {

inline common::WideText Widen(const std::string& text) {
    return common::WideText(text.begin(), text.end());
}

inline bool CopyBinaryFile(const std::string& from, const std::string& to) {
    std::FILE* in = std::fopen(from.c_str(), "rb");
    if (in == nullptr)
        return false;
    std::FILE* out = std::fopen(to.c_str(), "wb");
    if (out == nullptr) {
        std::fclose(in);
        return false;
    }
    char buffer[4096];
    size_t count = 0;
    bool ok = true;
    while ((count = std::fread(buffer, 1, sizeof(buffer), in)) > 0)
        ok = ok && std::fwrite(buffer, 1, count, out) == count;
    std::fclose(in);
    std::fclose(out);
    return ok;
}

inline bool FileExistsNarrow(const std::string& path) {
    std::FILE* file = std::fopen(path.c_str(), "rb");
    if (file == nullptr)
        return false;
    std::fclose(file);
    return true;
}

// A program folder "<temp>/frontend/<name>/" with the program "KorvetEmu.exe"
// in it, and the application-data folder "<temp>/frontend/<name>/appdata/".
// The data folder is then the program folder itself (only a program below a
// drive's "Program Files" folder writes to the application-data folder).
class CProgramFolder {
public:
    explicit CProgramFolder(const std::string& name) {
        const std::string root = std::string(KORVET_TEST_TEMP) + "/frontend";
        common::HostCreateFolder(Widen(root).c_str());
        m_base = root + "/" + name + "/";
        common::HostCreateFolder(Widen(m_base).c_str());
        m_folder = m_base;
        m_appData = m_base + "appdata/";
        common::HostCreateFolder(Widen(m_appData).c_str());
        std::remove((m_folder + "KorvetEmu.ini").c_str());
        std::remove((m_appData + "NUVKeltoEmu/KorvetEmu.ini").c_str());
        common::SetModulePathOverride(Widen(m_folder + "KorvetEmu.exe"));
        common::SetDataFolderOverride(Widen(m_appData));
        common::ResetAppFolders();
    }
    ~CProgramFolder() {
        common::ClearModulePathOverride();
        common::ClearDataFolderOverride();
        common::ResetAppFolders();
    }
    CProgramFolder(const CProgramFolder&) = delete;
    CProgramFolder& operator=(const CProgramFolder&) = delete;

    // Copies the shared ROM images beside the program (the program ships none).
    bool AddRoms() const {
        const std::string roms = std::string(KORVET_SHARED_DATA) + "/roms/";
        return CopyBinaryFile(roms + "korvet20.rom", m_folder + "korvet20.rom") &&
               CopyBinaryFile(roms + "korvet11.rom", m_folder + "korvet11.rom") &&
               CopyBinaryFile(roms + "kontur.rom", m_folder + "kontur.rom");
    }

    const std::string& GetFolder() const { return m_folder; }
    const std::string& GetAppData() const { return m_appData; }

private:
    std::string m_base;
    std::string m_folder;
    std::string m_appData;
};

// Saves the settings the program starts from: the configuration, no sound
// (the tests need no sound device) and whatever `adjust` sets besides.
inline bool SaveStartSettings(const char* config, void (*adjust)(emu::CEmulatorManager&) = nullptr) {
    emu::CEmulatorManager settings;
    settings.EmuDefaultConfig.AssignNarrow(config);
    settings.EmuDefaultSound.AssignNarrow("No Sound");
    if (adjust != nullptr)
        adjust(settings);
    return emu::CEmulatorSettings::Save(settings);
}

// For SaveStartSettings: the computer waits for Start.
inline void WithoutAutoStart(emu::CEmulatorManager& settings) {
    settings.guiAutoStartEmulation = false;
}

// The program started for one test with its main window; at the end the
// window closes and the program quits, after a failed assertion too.
class CStartedProgram {
public:
    CStartedProgram() = default;
    ~CStartedProgram() {
        if (m_window != nullptr)
            m_window->Close();
        m_application.Quit();
        g_pApplication = nullptr;
    }
    CStartedProgram(const CStartedProgram&) = delete;
    CStartedProgram& operator=(const CStartedProgram&) = delete;

    // Saves the start settings first when `config` is given (else the program
    // starts from the settings file there is, or its defaults). False when the
    // settings, the program or its main window fail.
    bool Start(const char* config = nullptr, void (*adjust)(emu::CEmulatorManager&) = nullptr, int show = SW_HIDE) {
        if (config != nullptr && !SaveStartSettings(config, adjust))
            return false;
        if (!m_application.Startup(&m_exitCode, GetModuleHandleW(nullptr), nullptr, std::vector<common::CWideString>(),
                                   show))
            return false;
        m_window = dynamic_cast<emu::CMainWindow*>(m_application.GetMainFrame());
        return m_window != nullptr;
    }
    // The message loop until the window closes; the program's exit code.
    int32_t Run() {
        m_exitCode = m_application.Run();
        m_window = nullptr; // the close destroyed it
        return m_exitCode;
    }

    emu::CApplication& Application() { return m_application; }
    emu::CMainWindow* Window() const { return m_window; }

private:
    int32_t m_exitCode = -1;
    emu::CApplication m_application;
    emu::CMainWindow* m_window = nullptr; // owned by the application
};

// An earlier window's quit message would end the next modal loop at once.
inline void DropPendingQuit() {
    MSG pending;
    while (PeekMessageW(&pending, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE)) {
    }
}

inline std::u16string WindowText(HWND window) {
    wchar_t text[512] = {};
    GetWindowTextW(window, text, 512);
    return std::u16string(text, text + wcslen(text));
}

inline std::u16string MenuText(HMENU menu, int32_t position) {
    wchar_t text[512] = {};
    GetMenuStringW(menu, static_cast<UINT>(position), text, 512, MF_BYPOSITION);
    return std::u16string(text, text + wcslen(text));
}

inline std::u16string MenuText(gui::CPopupMenu* menu, int32_t position) {
    return MenuText(menu->GetHandle(), position);
}

// The first item of the menu with the handler; null when there is none.
inline gui::CMenuItem* ItemWithHandler(gui::CMenuItem* menu, gui::CMenuItem::Handler handler) {
    for (int32_t i = 0; i < menu->GetItemCount(); ++i) {
        gui::CMenuItem* item = menu->GetItem(i);
        if (item != nullptr && item->GetHandler() == handler)
            return item;
    }
    return nullptr;
}

// The language submenu's item of the language.
inline gui::CMenuItem* LanguageItem(emu::CMainMenu* menu, int32_t language) {
    for (int32_t i = 0; i < menu->m_settingsMenu->GetItemCount(); ++i) {
        gui::CMenuItem* submenu = menu->m_settingsMenu->GetItem(i);
        for (int32_t j = 0; submenu != nullptr && j < submenu->GetItemCount(); ++j) {
            gui::CMenuItem* item = submenu->GetItem(j);
            if (item->GetHandler() == &emu::CMainWindow::OnMenuLanguage && item->DataValue() == language)
                return item;
        }
    }
    return nullptr;
}

// The modal boxes and dialogs that show up on this thread, answered from a
// thread timer (AnswerBoxes) that runs inside their modal loops: each one's
// caption and text are kept, then it gets `button`'s command, or a close for
// 0, or for kYesOrOk a Yes when it asks a question and an OK otherwise.
struct CBoxSeen {
    std::wstring caption;
    std::wstring text;
};

struct CBoxAnswers {
    static constexpr int kYesOrOk = -1;
    int button = kYesOrOk;
    std::vector<CBoxSeen> seen;

    std::wstring LastCaption() const { return seen.empty() ? std::wstring() : seen.back().caption; }
};

inline CBoxAnswers& Boxes() {
    static CBoxAnswers s_answers;
    return s_answers;
}

// Forgets the boxes seen so far; the next ones get `button`.
inline void AnswerNextBoxesWith(int button) {
    Boxes() = CBoxAnswers();
    Boxes().button = button;
}

inline BOOL CALLBACK AnswerBox(HWND window, LPARAM) {
    wchar_t className[16] = {};
    GetClassNameW(window, className, 16);
    if (!IsWindowVisible(window) || std::wstring(className) != L"#32770")
        return TRUE;
    wchar_t caption[128] = {};
    wchar_t text[512] = {};
    GetWindowTextW(window, caption, 128);
    GetDlgItemTextW(window, 0xFFFF, text, 512); // a message box's text control
    Boxes().seen.push_back({caption, text});
    int button = Boxes().button;
    if (button == CBoxAnswers::kYesOrOk)
        button = GetDlgItem(window, IDYES) != nullptr ? IDYES : IDOK;
    if (button == 0)
        PostMessageW(window, WM_CLOSE, 0, 0);
    else
        PostMessageW(window, WM_COMMAND, static_cast<WPARAM>(button), 0);
    return FALSE;
}

inline void CALLBACK AnswerBoxes(HWND, UINT, UINT_PTR, DWORD) {
    EnumThreadWindows(GetCurrentThreadId(), &AnswerBox, 0);
}

} // namespace apptest
