#include "emu/framework/CComputer.h"

#include <memory>

#include "common/CFileStream.h"
#include "common/CMemoryStream.h"
#include "common/CPath.h"
#include "common/CSettingsRegistry.h"
#include "common/CStreamHolder.h"
#include "common/CStringList.h"
#include "common/CTextConsole.h"
#include "common/FileReplace.h"
#include "common/ProgramFolders.h"
#include "emu/framework/CDrives.h"
#include "emu/framework/CProcessorInterface.h"
#include "emu/framework/PropertyTree.h"

namespace emu {

namespace {

const char kMachineChunk[] = "_MCH";
const char kInitChunk[] = "_EMUINIT";
const uint8_t kChunkVersion = 0;
const char kSettingsHeader[] = "NUVINI";
const char16_t kDataFolder[] = u"NUVKeltoEmu";
const char16_t kSettingsFolder[] = u"settings";
const char kSettingsExtension[] = "ini";
const char kDriveListExtension[] = "drv";

// A blob of the snapshot is held in memory whole; the record format counts it in 32 bits.
const uint64_t kMaxSnapshotBytes = 0xFFFFFFFFull;

// The text a model name query answered, or the empty text for none.
const char* TextOrEmpty(const char* text) {
    return text != nullptr ? text : "";
}

} // namespace

CComputer::CComputer() {
    SetShortName("PC");
}

CComputer::~CComputer() {}

bool CComputer::Start(int32_t* value) {
    LogMessage("[INIT] Started emulation of %s", GetName());
    return CMachine::Start(value);
}

void CComputer::Stop() {
    CMachine::Stop();
    if (m_console != nullptr)
        m_console->AppendLine(common::CNarrowString("[DONE] Emulation stopped!"), true);
}

bool CComputer::SaveData(common::CStreamHolder& holder) {
    const common::CNarrowString chunk(kMachineChunk);
    const common::CNarrowString version("VER");
    return CMachine::SaveData(holder) && holder.WriteMarker(common::CStreamHolder::kChunkBegin, chunk) &&
           holder.WriteUInt8Field(kChunkVersion, version) &&
           holder.WriteMarker(common::CStreamHolder::kChunkEnd, chunk);
}

bool CComputer::LoadData(common::CStreamHolder& holder, common::CNarrowString* errorText) {
    const common::CNarrowString chunk(kMachineChunk);
    const common::CNarrowString versionName("VER");
    if (!CMachine::LoadData(holder, errorText))
        return false;
    uint8_t marker = 0;
    if (holder.GetStream()->Read(&marker, 1) != 1 || marker != common::CStreamHolder::kChunkBegin ||
        !ReadChunkName(holder, chunk))
        return false;
    uint8_t version = 0xFF;
    if (!holder.ReadUInt8Field(version, versionName) || version != kChunkVersion)
        return false;
    if (holder.GetStream()->Read(&marker, 1) != 1 || marker != common::CStreamHolder::kChunkEnd)
        return false;
    return ReadChunkName(holder, chunk);
}

CComputer* CComputer::CreateSameModel() {
    return nullptr;
}

CComputer* CComputer::CreateNextModel() {
    return nullptr;
}

const char* CComputer::GetConfigName() {
    return nullptr;
}

const char* CComputer::GetModelTag() {
    return GetConfigName();
}

const char* CComputer::GetModelTitle() {
    return GetModelTag();
}

const char* CComputer::GetSettingsName() {
    return GetConfigName();
}

const char* CComputer::QueryFalse33(int32_t /*index*/, bool* /*separatorBefore*/) {
    return nullptr;
}

int32_t CComputer::QueryFalse34(int32_t /*submodel*/) {
    return 0;
}

void CComputer::GetFrequencyText(common::CString& out, int32_t /*argument*/) {
    CProcessorInterface* processor = GetMainProcessor();
    if (processor == nullptr)
        return;
    CObject* device = dynamic_cast<CObject*>(processor);
    const char* name = device != nullptr ? device->GetName() : "";
    const double kHzToMHz = 0.000001;
    if (IsStarted())
        out.Format("%s=%.2f MHz", name, processor->GetEffectiveFrequency() * kHzToMHz);
    else if (processor->UsesBaseFrequency())
        out.Format("%s=@%.2f MHz", name, processor->GetFrequency() * kHzToMHz);
    else
        out.Format("%s=%.2f MHz", name, processor->GetFrequency() * kHzToMHz);
}

void CComputer::PublishStatus() {}

void CComputer::GetIdentityText(common::CStringList& list) {
    common::CWideString text;
    text.Format("Computer \"%s\"", GetName());
    list.Add(text);
}

bool CComputer::UsesSyncFrequencySetting() {
    return true;
}

bool CComputer::QueryFirstFlag() {
    return false;
}

common::CWideString CComputer::GetWideName() {
    common::CWideString name;
    name.AssignNarrowString(m_name);
    return name;
}

bool CComputer::QuerySecondFlag() {
    return true;
}

bool CComputer::ReadChunkName(common::CStreamHolder& holder, const common::CString& name) {
    common::CNarrowString read;
    if (common::ReadStringRecord(holder.GetStream(), &read) == nullptr)
        return false;
    return read.CompareString(name) == 0;
}

// --- Machine settings ---------------------------------------------------------

common::CPath CComputer::MakeSettingsPath(const char* name, const char* extension, bool create) {
    const common::CPath folder = common::MakePath(common::MakeDataPath(kDataFolder, create), kSettingsFolder, u"", u"");
    return common::MakePath(folder, u"", common::CWideString(TextOrEmpty(name)), common::CWideString(extension));
}

common::CPath CComputer::MakeProgramSettingsPath(const char* name, const char* extension) {
    const common::CPath folder = common::MakePath(common::ProgramFolder(), kSettingsFolder, u"", u"");
    return common::MakePath(folder, u"", common::CWideString(TextOrEmpty(name)), common::CWideString(extension));
}

common::CPath CComputer::FindSettingsFile(const char* name, const char* extension) {
    common::CPath path = MakeSettingsPath(name, extension, false);
    if (common::FileExists(path))
        return path;
    return MakeProgramSettingsPath(name, extension);
}

bool CComputer::SaveSettings() {
    m_unsavedSettingsFiles.clear();
    const char* title = GetModelTitle();
    const char* tag = GetModelTag();
    const common::CPath folder = common::MakePath(common::MakeDataPath(kDataFolder, true), kSettingsFolder, u"", u"");
    common::CreateFolder(folder);
    bool drivesSaved = true;
    if (m_serviceDrives != nullptr && tag != nullptr && *tag != '\0') {
        const common::CPath drives = MakeSettingsPath(tag, kDriveListExtension, true);
        drivesSaved = m_serviceDrives->SaveSettings(drives);
        if (!drivesSaved)
            m_unsavedSettingsFiles.push_back(drives);
    }

    // A model without a title has no file of its own to write.
    if (title == nullptr || *title == '\0')
        return false;
    const common::CPath settings = MakeSettingsPath(title, kSettingsExtension, true);
    std::unique_ptr<common::CSettingsRegistry> child(new common::CSettingsRegistry());
    common::CSettingsRegistry root;
    const bool saved = ExportPropertyTree(this, child.get(), false) &&
                       root.InsertChild(common::CNarrowString(title), child.release()) != nullptr &&
                       root.SaveToFile(settings, kSettingsHeader, nullptr);
    if (!saved)
        m_unsavedSettingsFiles.push_back(settings);
    return saved && drivesSaved;
}

bool CComputer::LoadSettings() {
    const bool loaded = LoadSettingsFile();
    // After the settings: whether a listed image fits its drive depends on
    // the drive controller's configuration.
    const char* tag = GetModelTag();
    if (m_serviceDrives != nullptr && tag != nullptr && *tag != '\0') {
        // A save killed midway leaves its temporary beside the file; nothing reads it.
        common::RemoveStaleTemporary(MakeSettingsPath(tag, kDriveListExtension, false).GetWide());
        m_serviceDrives->LoadSettings(FindSettingsFile(tag, kDriveListExtension));
    }
    return loaded;
}

bool CComputer::LoadSettingsFile() {
    const char* title = GetModelTitle();
    if (title == nullptr || *title == '\0')
        return false;
    common::RemoveStaleTemporary(MakeSettingsPath(title, kSettingsExtension, false).GetWide());
    common::CFileStream file;
    if (!file.OpenExisting(FindSettingsFile(title, kSettingsExtension), false))
        return false;
    common::CSettingsRegistry root;
    root.SetContext(this);
    root.SetSectionHandler(ApplyLoadedSettings);
    return root.Load(&file, kSettingsHeader, nullptr);
}

bool CComputer::ApplyLoadedSettings(void* context, common::CStream* stream, const common::CNarrowString& name,
                                    bool* changed) {
    auto* computer = static_cast<CComputer*>(context);
    if (computer == nullptr || name.CompareNarrow(TextOrEmpty(computer->GetModelTitle())) != 0)
        return false;
    return TransferPropertyTree(computer, stream, false, changed);
}

// --- Configuration snapshot ---------------------------------------------------

bool CComputer::SaveInitState(common::CStreamHolder& holder) {
    std::unique_ptr<common::CSettingsRegistry> child(new common::CSettingsRegistry());
    if (!ExportPropertyTree(this, child.get(), true))
        return false;
    common::CSettingsRegistry root;
    if (root.InsertChild(common::CNarrowString(TextOrEmpty(GetModelTitle())), child.release()) == nullptr)
        return false;
    common::CMemoryStream body;
    if (!body.Create(0, -1) || !root.Save(&body, nullptr, nullptr))
        return false;

    const common::CNarrowString chunk(kInitChunk);
    const uint64_t size = static_cast<uint64_t>(body.GetSize());
    if (!holder.WriteMarker(common::CStreamHolder::kChunkBegin, chunk) ||
        !holder.WriteUInt64Field(size, common::CNarrowString("SIZE")))
        return false;
    if (size != 0 && !holder.WriteBlobField(body.GetBuffer(), body.GetSize(), common::CNarrowString("DATA")))
        return false;
    return holder.WriteMarker(common::CStreamHolder::kChunkEnd, chunk);
}

bool CComputer::LoadInitState(common::CStreamHolder& holder, bool* changed) {
    const common::CNarrowString chunk(kInitChunk);
    common::CStream* stream = holder.GetStream();
    uint8_t marker = 0;
    if (stream == nullptr || stream->Read(&marker, 1) != 1 || marker != common::CStreamHolder::kChunkBegin ||
        !ReadChunkName(holder, chunk))
        return false;
    uint64_t size = 0;
    if (!holder.ReadUInt64Field(size, common::CNarrowString("SIZE")))
        return false;
    bool scratch = false;
    if (changed == nullptr)
        changed = &scratch;
    *changed = false;

    if (size != 0) {
        // The size comes from the file: nothing is allocated for more than the
        // record format can hold or the stream still has.
        const int64_t left = stream->GetSize() - stream->GetPosition();
        if (size > kMaxSnapshotBytes || left < 0 || size > static_cast<uint64_t>(left))
            return false;
        common::CMemoryStream body;
        if (!body.Create(static_cast<int64_t>(size), 0))
            return false;
        if (!holder.ReadBlobField(body.GetBuffer(), static_cast<int64_t>(size), common::CNarrowString("DATA")))
            return false;
        body.Seek(0);
        common::CSettingsRegistry root;
        root.SetContext(this);
        root.SetSectionHandler(ApplyLoadedInitState);
        if (!root.LoadAndCompare(&body, changed, nullptr, nullptr))
            *changed = true;
    }

    if (stream->Read(&marker, 1) != 1 || marker != common::CStreamHolder::kChunkEnd)
        return false;
    return ReadChunkName(holder, chunk);
}

bool CComputer::ApplyLoadedInitState(void* context, common::CStream* stream, const common::CNarrowString& name,
                                     bool* changed) {
    auto* computer = static_cast<CComputer*>(context);
    if (computer == nullptr || name.CompareNarrow(TextOrEmpty(computer->GetModelTitle())) != 0)
        return false;
    return TransferPropertyTree(computer, stream, true, changed);
}

} // namespace emu
