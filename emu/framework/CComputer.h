#pragma once
// The machine base of a complete emulated computer: the start and stop lines,
// the chunk "_MCH" in the machine state, the model names from which the
// settings files and the settings tree key are made, the identity and
// frequency texts, and the machine settings and configuration snapshot.
//
// Chunk "_MCH", after the root device's "_CFP" and "_DEV":
//   F0 "_MCH", field "VER" u8 0, FF "_MCH"
//
// Machine settings, in the "settings" folder of the program's writable folder
// (read from the one beside the program when the writable one has none):
//   <model tag>.drv     the drive list (written and read by the drive set)
//   <model title>.ini   "NUVINI", then a registry body with one section named
//                       by the model title: the property tree of every device
// Both are replaced whole, so a failed save keeps the last good file. Every
// model of one family shares the family's files.
//
// Configuration snapshot inside every machine state:
//   F0 "_EMUINIT", field "SIZE" u64, field "DATA" blob of SIZE bytes (left out
//   when SIZE is 0), FF "_EMUINIT"
// DATA is a registry body (no header) with one section named by the model
// title: the property tree of the enabled devices. Loading it applies the
// stored properties and tells whether any differed from the running machine.
#include <cstdint>
#include <vector>

#include "common/CPath.h"
#include "common/CWideString.h"
#include "emu/framework/CMachine.h"

namespace common {
class CPath;
class CString;
class CStringList;
class CStream;
} // namespace common

namespace emu {

class CComputer : public CMachine {
public:
    CComputer();
    ~CComputer() override;

    // Logs "[INIT] Started emulation of <name>" at every attempt, then starts.
    bool Start(int32_t* value) override;
    // Stops, then logs "[DONE] Emulation stopped!".
    void Stop() override;
    // The device's chunks, then "_MCH".
    bool SaveData(common::CStreamHolder& holder) override;
    bool LoadData(common::CStreamHolder& holder, common::CNarrowString* errorText) override;

    // Factories of the front end: a fresh machine of this model or of the
    // next one; the base makes none.
    virtual CComputer* CreateSameModel();
    virtual CComputer* CreateNextModel();
    // The model's own base name (e.g. a ROM set); the base has none (null).
    virtual const char* GetConfigName();
    // The family name; the base answers GetConfigName().
    virtual const char* GetModelTag();
    // The key of the settings tree and the name of the ini file; the base
    // answers GetModelTag().
    virtual const char* GetModelTitle();
    // The base answers GetConfigName().
    virtual const char* GetSettingsName();
    // Sub-models (for instance BIOS versions) that the Computer menu lists
    // under the model: the name of sub-model `index` and whether a menu
    // separator goes before it; null after the last one. The base has none.
    virtual const char* QueryFalse33(int32_t index, bool* separatorBefore);
    // The sub-model operation: -1 asks for the current sub-model, another
    // value selects that one. The base answers 0 and changes nothing.
    virtual int32_t QueryFalse34(int32_t submodel);
    // "<processor>=<f> MHz": the measured rate while running, "=@" with the set
    // rate for a stopped processor that runs at the base frequency. Without a
    // processor `out` stays as it was.
    virtual void GetFrequencyText(common::CString& out, int32_t argument);
    // Called by the run loop on the emulation thread at every frame end and
    // while it is parked: a machine whose frequency text shows registers
    // copies them here, so the user-interface thread never reads live ones.
    // The base shows no register and keeps nothing.
    virtual void PublishStatus();
    // Adds Computer "<name>".
    virtual void GetIdentityText(common::CStringList& list);
    virtual bool UsesSyncFrequencySetting();
    virtual bool QueryFirstFlag();
    virtual common::CWideString GetWideName();
    virtual bool QuerySecondFlag();

    // Reads one name record; whether it equals `name`.
    static bool ReadChunkName(common::CStreamHolder& holder, const common::CString& name);

    // --- Machine settings and configuration snapshot ----------------------------
    // Writes the drive list and the settings file, each replacing its file
    // whole. False when either could not be written (or the model has no title).
    bool SaveSettings();
    // The files that the last SaveSettings could not write, in the order
    // written; empty when all were written.
    const std::vector<common::CPath>& GetUnsavedSettingsFiles() const { return m_unsavedSettingsFiles; }
    // Reads the settings file, then the drive list (mounting its images), after
    // removing what a killed save left of either. False when no readable
    // settings file was found (the values stay).
    bool LoadSettings();
    bool SaveInitState(common::CStreamHolder& holder);
    // *changed: whether a stored property differed from the machine's (or the
    // stored tree was damaged). False for a malformed chunk.
    bool LoadInitState(common::CStreamHolder& holder, bool* changed);

    // Section handlers of the two loads (context: the computer).
    static bool ApplyLoadedSettings(void* context, common::CStream* stream, const common::CNarrowString& name,
                                    bool* changed);
    static bool ApplyLoadedInitState(void* context, common::CStream* stream, const common::CNarrowString& name,
                                     bool* changed);

    // A settings file <name>.<extension> in the "settings" folder of the
    // program's writable folder (created with `create`), or in the one beside
    // the program.
    static common::CPath MakeSettingsPath(const char* name, const char* extension, bool create);
    static common::CPath MakeProgramSettingsPath(const char* name, const char* extension);
    // The writable one when it exists, else the one beside the program.
    static common::CPath FindSettingsFile(const char* name, const char* extension);

private:
    // The settings file alone; false when none was read.
    bool LoadSettingsFile();

    std::vector<common::CPath> m_unsavedSettingsFiles;
};

} // namespace emu
