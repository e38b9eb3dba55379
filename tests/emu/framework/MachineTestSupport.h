#pragma once
// Shared pieces of the machine, computer, settings and device-file tests: a
// device that records what the machine does to it, a test renderer, a
// computer with model names, a small processor stand-in, console capture and
// scratch folders with an injected program location.
#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "TestScratchFolder.h"
#include "common/CSettingsRegistry.h"
#include "common/CTextConsole.h"
#include "common/HostFiles.h"
#include "common/ProgramFolders.h"
#include "emu/framework/CComputer.h"
#include "emu/framework/CDevice.h"
#include "emu/framework/CProcessor.h"
#include "emu/host/CRenderer.h"

namespace machinetest {

// Where two saved states part, with the record names before it, for a
// readable failure.
inline std::string FirstDifference(const std::vector<uint8_t>& a, const std::vector<uint8_t>& b) {
    size_t at = 0;
    while (at < a.size() && at < b.size() && a[at] == b[at])
        ++at;
    if (at == a.size() && at == b.size())
        return "none";
    std::string context;
    for (size_t i = at > 48 ? at - 48 : 0; i < at + 16 && i < a.size(); ++i)
        context.push_back(a[i] >= 0x20 && a[i] < 0x7F ? static_cast<char>(a[i]) : '.');
    return "offset " + std::to_string(at) + " of " + std::to_string(a.size()) + "/" + std::to_string(b.size()) + ": " +
           context;
}


typedef std::vector<std::string> Log;

inline std::string Hex(uint32_t value) {
    char text[16];
    std::snprintf(text, sizeof(text), "%X", static_cast<unsigned>(value));
    return text;
}

// A device that logs its starts, stops, resets and events, and publishes one
// settings property "Mode".
class CRecordingDevice : public emu::CDevice {
public:
    explicit CRecordingDevice(Log* log = nullptr) : m_log(log) {}

    bool Start(int32_t* value) override {
        Record("start");
        return m_startResult && CDevice::Start(value);
    }
    void Stop() override {
        CDevice::Stop();
        Record("stop");
    }
    bool Reset(uint32_t flags) override {
        Record("reset " + Hex(flags));
        return CDevice::Reset(flags);
    }
    bool HandleEvent(uint32_t event, uint8_t, uintptr_t) override {
        Record("event " + std::to_string(event));
        return event == m_acceptedEvent;
    }
    bool CollectProperties(common::CSettingsRegistry* registry, bool enabledOnly) override {
        if (registry != nullptr)
            registry->BindUInt8(common::CNarrowString("Mode"), &m_mode);
        return CDevice::CollectProperties(registry, enabledOnly);
    }

    void Record(const std::string& what) {
        if (m_log != nullptr)
            m_log->push_back(std::string(GetName()) + " " + what);
    }

    Log* m_log;
    bool m_startResult = true;
    uint32_t m_acceptedEvent = 0xFFFFFFFF;
    uint8_t m_mode = 0;
};

// A renderer that can announce a new output size.
class CTestRenderer : public emu::CRenderer {
public:
    void Resize() { NotifyReset(); }
};

// The processor base with a clock: enough for the machine's processor list,
// the frequency text and a state round trip with one cycle-timed event.
class CTestProcessor : public emu::CProcessor {
public:
    CTestProcessor() { SetFrequency(2500000); }

    bool Start(int32_t* value) override {
        if (!CProcessor::Start(value))
            return false;
        return AddEvent(1000, OnTick, this, "TestTick", 1, 2);
    }

    void CallSetChwiFlag() override { SetChwiFlag(); }

    static bool OnTick(emu::CObject*, int32_t*, uint32_t*, emu::CProcessorInterface*) { return true; }
};

// A computer of a family "korvet" whose model names can be chosen.
class CTestComputer : public emu::CComputer {
public:
    CTestComputer(const char* configName = "korvet20", const char* modelTag = "korvet")
        : m_configName(configName), m_modelTag(modelTag) {}

    const char* GetConfigName() override { return m_configName; }
    const char* GetModelTag() override { return m_modelTag; }

    const char* m_configName;
    const char* m_modelTag;
};

// Every console line as "text" (or "!text" for one in the error colour).
inline std::vector<std::string> ConsoleLines(common::CTextConsole& console) {
    console.FlushPendingLines();
    std::vector<std::string> lines;
    for (int32_t i = 0; i < console.GetLineCount(); ++i) {
        common::CNarrowString text;
        common::ARGB colour = 0;
        console.GetLine(i, text, colour);
        const bool error = colour == emu::CObject::kErrorColour;
        lines.push_back((error ? "!" : "") + std::string(text.GetNarrow()));
    }
    return lines;
}

// A fresh, empty folder below KORVET_TEST_TEMP named after the running test,
// ending with '/'.
inline std::string MakeScratchFolder() {
    return MakeTestScratchFolder("machine_");
}

inline common::WideText Wide(const std::string& text) {
    return common::WideText(text.begin(), text.end());
}

// Puts the program into a scratch folder for the test's lifetime. Installed
// below "Program Files" the program writes into <base>appdata/NUVKeltoEmu/;
// anywhere else into its own folder. The program-files rule looks at the
// second component of the program's path, so that install is reached through
// a relative path from the scratch folder, made the working folder meanwhile.
class CProgramLocation {
public:
    explicit CProgramLocation(bool programFiles) {
        m_base = MakeScratchFolder();
        const std::string appData = m_base + "appdata/";
        std::filesystem::create_directories(appData);
        if (programFiles) {
            m_savedFolder = std::filesystem::current_path();
            std::filesystem::current_path(m_base);
            m_programFolder = "pf/Program Files/Emu/";
            m_dataFolder = appData + "NUVKeltoEmu/";
        } else {
            m_programFolder = m_base + "emu/";
            m_dataFolder = m_programFolder;
        }
        std::filesystem::create_directories(m_programFolder);
        common::SetModulePathOverride(Wide(m_programFolder + "emu.exe"));
        common::SetDataFolderOverride(Wide(appData));
        common::ResetAppFolders();
    }
    ~CProgramLocation() {
        common::ClearModulePathOverride();
        common::ClearDataFolderOverride();
        common::ResetAppFolders();
        if (!m_savedFolder.empty())
            std::filesystem::current_path(m_savedFolder);
    }
    CProgramLocation(const CProgramLocation&) = delete;
    CProgramLocation& operator=(const CProgramLocation&) = delete;

    const std::string& Base() const { return m_base; }
    // Relative to the working folder for a program-files install.
    const std::string& ProgramFolder() const { return m_programFolder; }
    // The program's writable folder (it may not exist yet).
    const std::string& DataFolder() const { return m_dataFolder; }

private:
    std::string m_base;
    std::string m_programFolder;
    std::string m_dataFolder;
    std::filesystem::path m_savedFolder;
};

} // namespace machinetest
