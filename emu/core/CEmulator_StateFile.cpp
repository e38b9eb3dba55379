// Whole-state save and load. The calling (user-interface) thread writes and
// reads everything but the "_EMUCORE" section while the emulation thread
// stands parked at its safe point; that section is posted to the parked loop,
// which serves it on its own thread.
#include "common/CFileStream.h"
#include "common/CPath.h"
#include "common/CScopedLock.h"
#include "common/CStreamHolder.h"
#include "common/FileReplace.h"
#include "common/OsHelpers.h"
#include "common/ProgramFolders.h"
#include "emu/core/CEmulator.h"
#include "emu/framework/CComputer.h"

namespace emu {

namespace {

typedef common::CNarrowString CName;

const char kStateSection[] = "NUVSTATE";
const char kLoopKindField[] = "_MAXCPU_";
const char kDefaultReason[] = "incorrect version or format";
const char kTemporarySuffix[] = ".tmp";
const char kCannotCreate[] = "the file cannot be created";
const char kCannotWrite[] = "the file cannot be written, the disk may be full";
const char kCannotReplace[] = "the old file cannot be replaced";

const common::WChar kProgramSubFolder[] = u"NUVKeltoEmu";
const common::WChar kStatesFolder[] = u"states";
const common::WChar kStateExtension[] = u"sav";

// The file-name part of a path as narrow text, for the messages.
common::CNarrowString FileNameOf(const common::CPath& path) {
    common::CNarrowString name;
    name.AssignString(common::CPath::GetFileName(path));
    return name;
}

} // namespace

void CEmulator::BeginStateHandshake() {
    // An emulation stopped in a deep pause must be able to reach its safe point.
    m_thread.Resume();
    PauseAndWait();
}

void CEmulator::EndStateHandshake() {
    ReleasePause();
    // Stopped in the debugger, the thread stays blocked there.
    if (m_inBreak)
        m_thread.RequestPause();
}

bool CEmulator::PostStateJob(std::atomic<common::CStreamHolder*>& slot, common::CStreamHolder* holder) {
    m_stateOperationFailed = true;
    slot = holder;
    while (slot.load() != nullptr) {
        // A loop that has left serves nothing: the job is withdrawn.
        if (!m_inRunLoop) {
            common::CStreamHolder* expected = holder;
            if (slot.compare_exchange_strong(expected, nullptr))
                return false;
            continue;
        }
        common::SleepMs(1);
    }
    return !m_stateOperationFailed;
}

common::CPath CEmulator::MakeStateFilePath(const common::CPath& folder, bool create) {
    common::CPath base(folder);
    if (base.IsEmpty()) {
        const common::CPath data = common::MakeDataPath(common::CWideString(kProgramSubFolder), create);
        base = common::MakePath(data, common::CWideString(kStatesFolder), common::CWideString(), common::CWideString());
        if (create)
            common::CreateFolder(base);
    }
    const common::CPath name(m_machine != nullptr ? m_machine->GetSettingsName() : nullptr);
    return common::MakePath(base, common::CWideString(), name, common::CWideString(kStateExtension));
}

common::CPath CEmulator::FindStateFile(const common::CPath& folder) {
    if (!folder.IsEmpty())
        return MakeStateFilePath(folder, false);
    const common::CPath preferred = MakeStateFilePath(folder, false);
    if (common::FileExists(preferred))
        return preferred;
    const common::CPath programStates = common::MakePath(common::ProgramFolder(), common::CWideString(kStatesFolder),
                                                         common::CWideString(), common::CWideString());
    const common::CPath beside = MakeStateFilePath(programStates, false);
    if (common::FileExists(beside))
        return beside;
    // The messages name the default file.
    return preferred;
}

void CEmulator::RemoveStaleStateTemporary() {
    // A save killed midway leaves its temporary beside the state; nothing reads it.
    common::RemoveStaleTemporary(MakeStateFilePath(common::CPath(), false).GetWide());
}

bool CEmulator::SaveStateToStream(common::CStream* stream, bool lockHeld) {
    if (!lockHeld)
        m_coreLock.Enter();
    if (!m_threadAlive || !m_inRunLoop || stream == nullptr || m_machine == nullptr) {
        if (!lockHeld)
            m_coreLock.Leave();
        return false;
    }
    BeginStateHandshake();
    bool done = false;
    try {
        done = stream->GetSize() == 0 || stream->Seek(0);
        done = done && stream->CanWrite();
        common::CStreamHolder holder(stream, false);
        const int8_t loopKind = static_cast<int8_t>(m_loopKind.load());
        done = done && holder.WriteMarker(common::CStreamHolder::kChunkBegin, CName(kStateSection)) &&
               holder.WriteInt8Field(loopKind, CName(kLoopKindField)) && m_machine->SaveInitState(holder) &&
               PostStateJob(m_stateWriter, &holder) && m_machine->SaveState(holder) &&
               holder.WriteMarker(common::CStreamHolder::kChunkEnd, CName(kStateSection));
    } catch (...) {
        ReleasePause();
        if (!lockHeld)
            m_coreLock.Leave();
        throw;
    }
    EndStateHandshake();
    if (!lockHeld)
        m_coreLock.Leave();
    return done;
}

bool CEmulator::SaveStateToFile(const common::CPath& folder, bool lockHeld) {
    if (!lockHeld)
        m_coreLock.Enter();
    if (!m_threadAlive || !m_inRunLoop || m_machine == nullptr) {
        if (!lockHeld)
            m_coreLock.Leave();
        return false;
    }
    const common::CPath path = MakeStateFilePath(folder, true);
    const common::CNarrowString name = FileNameOf(path);
    // The state goes to a file beside the old one, which it replaces only once
    // every byte is on the disk: a failed or interrupted save keeps the old state.
    common::CPath temporary(path);
    temporary.AppendNarrow(kTemporarySuffix);
    BeginStateHandshake();
    common::CFileStream file;
    try {
        const char* reason = nullptr;
        if (!file.Open(temporary, true))
            reason = kCannotCreate;
        else if (!SaveStateToStream(&file, true))
            reason = kCannotWrite;
        else if (!file.Flush())
            reason = kCannotWrite;
        if (!file.Close() && reason == nullptr)
            reason = kCannotWrite;
        if (reason == nullptr && !common::HostReplaceFile(temporary.GetWide(), path.GetWide()))
            reason = kCannotReplace;
        const bool done = reason == nullptr;
        if (done) {
            m_machine->ConsoleMessage("State saved to file \"%s\"", name.GetNarrow());
        } else {
            common::DeleteFileIfExists(temporary);
            m_machine->ConsoleError("[ERROR] Error while saving state to file \"%s\" (%s)", name.GetNarrow(), reason);
        }
        EndStateHandshake();
        if (!lockHeld)
            m_coreLock.Leave();
        return done;
    } catch (...) {
        file.Close();
        common::DeleteFileIfExists(temporary);
        ReleasePause();
        if (!lockHeld)
            m_coreLock.Leave();
        throw;
    }
}

bool CEmulator::LoadStateFromFile(const common::CPath& folder, bool lockHeld) {
    if (m_machine == nullptr)
        return false;
    const common::CPath path = FindStateFile(folder);
    const common::CNarrowString name = FileNameOf(path);
    if (!common::FileExists(path)) {
        if (!m_active) {
            m_console.Clear();
            if (m_console.IsChanged())
                m_console.SetCentred(false);
        }
        m_machine->ConsoleMessage("State not loaded, because file \"%s\" does not exist (no state was saved?)",
                                  name.GetNarrow());
        return true;
    }

    if (!lockHeld)
        m_coreLock.Enter();
    if (!m_threadAlive) {
        if (!lockHeld)
            m_coreLock.Leave();
        return false;
    }
    BeginStateHandshake();
    common::CNarrowString reason(kDefaultReason);
    bool startedHere = false;
    bool done = false;
    try {
        common::CFileStream file;
        done = file.OpenExisting(path, false) && file.CanRead();
        if (done)
            done = LoadStateBody(file, lockHeld, &startedHere, reason);
        file.Close();
    } catch (...) {
        ReleasePause();
        if (!lockHeld)
            m_coreLock.Leave();
        throw;
    }

    if (done) {
        m_machine->ConsoleMessage("State loaded from file \"%s\"", name.GetNarrow());
        EndStateHandshake();
        if (!lockHeld)
            m_coreLock.Leave();
        // The emulation was started for the load: it runs with the loaded state.
        if (startedHere)
            Resume();
    } else {
        m_machine->ConsoleError("[ERROR] Error while loading state from file \"%s\" (%s)", name.GetNarrow(),
                                reason.GetNarrow());
        if (!lockHeld)
            m_coreLock.Leave();
        // Part of the machine may be loaded: it is left stopped.
        Stop();
        EndStateHandshake();
    }
    m_stateLoaded = true;
    m_drivesChanged = true;
    m_statusChanged = true;
    return done;
}

bool CEmulator::LoadStateBody(common::CStream& stream, bool lockHeld, bool* startedHere,
                              common::CNarrowString& reason) {
    common::CStreamHolder holder(&stream, false);
    if (!holder.ReadMarker(CName(kStateSection), common::CStreamHolder::kChunkBegin, nullptr))
        return false;
    m_machine->AttachHost(m_renderer);
    m_machine->SetSoundOutput(m_soundOutput);
    int8_t storedKind = 0;
    bool changed = false;
    if (!holder.ReadInt8Field(storedKind, CName(kLoopKindField)) || !m_machine->LoadInitState(holder, &changed))
        return false;
    if (!changed && storedKind != m_loopKind)
        changed = true;
    // Another configuration or loop kind: the machine starts again with it.
    if (changed && m_active) {
        if (!lockHeld)
            m_coreLock.Leave();
        Stop();
        if (!lockHeld)
            m_coreLock.Enter();
    }
    m_errorText.Clear();
    if (!m_active) {
        m_machine->SetStateFlag(true);
        *startedHere = Start(true, false);
        m_machine->SetStateFlag(false);
    }
    if (!m_inRunLoop) {
        // A machine that could not start (no system disk, no ROM) says why.
        if (!m_errorText.IsEmpty())
            reason.AssignString(m_errorText);
        return false;
    }
    if (!PostStateJob(m_stateReader, &holder)) {
        if (!m_errorText.IsEmpty())
            reason.AssignString(m_errorText);
        return false;
    }
    const bool loaded = m_machine->LoadState(holder, &reason) &&
                        holder.ReadMarker(CName(kStateSection), common::CStreamHolder::kChunkEnd, nullptr);
    // The loop stays parked while this thread holds the machine: the title
    // takes the loaded registers from here.
    m_machine->PublishStatus();
    return loaded;
}

} // namespace emu
