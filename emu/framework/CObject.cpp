#include "emu/framework/CObject.h"

#include <cstdarg>

#include "common/CStreamHolder.h"
#include "common/CTextConsole.h"

namespace emu {

namespace {

const uint8_t kStateVersion = 0;

// Formats a log line; false when the text could not be formatted (the string
// family throws for texts beyond its limit, which must not leave a device).
bool FormatLine(common::CNarrowString& text, const char* format, va_list args) {
    try {
        text.FormatV(format, args);
    } catch (const char*) {
        return false;
    }
    return true;
}

} // namespace

CObject::CObject() : m_parent(nullptr), m_console(nullptr), m_enabled(true) {}

CObject::~CObject() {}

CObject* CObject::FindUnnamed() {
    return m_name.IsEmpty() ? this : nullptr;
}

CObject* CObject::FindDuplicateName(NameMap& names, bool rejectUnnamed) {
    if (rejectUnnamed && m_name.IsEmpty())
        return this;
    if (!names.emplace(m_name, this).second)
        return this;
    return nullptr;
}

bool CObject::CollectProperties(common::CSettingsRegistry* registry, bool /*enabledOnly*/) {
    return registry != nullptr;
}

bool CObject::ValidateProperties(bool /*enabledOnly*/) {
    return true;
}

bool CObject::Start(int32_t* /*value*/) {
    return true;
}

void CObject::Stop() {}

void CObject::BuildMenu(COptionTree* /*menu*/, int32_t /*kind*/) {}

bool CObject::IsProcessor() const {
    return false;
}

bool CObject::IsDevice() const {
    return false;
}

bool CObject::SaveState(common::CStreamHolder& holder) {
    const common::CNarrowString version("_VER");
    const common::CNarrowString enabled("_ENBL");
    return holder.WriteMarker(common::CStreamHolder::kChunkBegin, m_name) &&
           holder.WriteUInt8Field(kStateVersion, version) && holder.WriteBoolField(m_enabled, enabled) &&
           SaveData(holder) && holder.WriteMarker(common::CStreamHolder::kChunkEnd, m_name);
}

bool CObject::LoadState(common::CStreamHolder& holder, common::CNarrowString* errorText) {
    const common::CNarrowString versionName("_VER");
    const common::CNarrowString enabledName("_ENBL");
    uint8_t version = 0xFF;
    return holder.ReadMarker(m_name, common::CStreamHolder::kChunkBegin, nullptr) &&
           holder.ReadUInt8Field(version, versionName) && version == kStateVersion &&
           holder.ReadBoolField(m_enabled, enabledName) && LoadData(holder, errorText) &&
           holder.ReadMarker(m_name, common::CStreamHolder::kChunkEnd, nullptr);
}

bool CObject::SaveData(common::CStreamHolder& /*holder*/) {
    return true;
}

bool CObject::LoadData(common::CStreamHolder& /*holder*/, common::CNarrowString* /*errorText*/) {
    return true;
}

const char* CObject::GetName() const {
    return m_name.GetNarrow();
}

void CObject::SetConsole(common::CTextConsole* console) {
    m_console = console;
}

CObject* CObject::FindNameConflict(bool checkUnnamed, bool checkDuplicates) {
    if (checkUnnamed && !checkDuplicates)
        return FindUnnamed();
    NameMap names;
    return FindDuplicateName(names, checkUnnamed);
}

bool CObject::ReturnZero() {
    return false;
}

void CObject::LogMessage(const char* format, ...) {
    if (m_console == nullptr)
        return;
    common::CNarrowString text;
    va_list args;
    va_start(args, format);
    const bool formatted = FormatLine(text, format, args);
    va_end(args);
    if (formatted)
        m_console->AppendLine(text, true);
}

void CObject::LogError(const char* format, ...) {
    if (m_console == nullptr)
        return;
    common::CNarrowString text;
    va_list args;
    va_start(args, format);
    const bool formatted = FormatLine(text, format, args);
    va_end(args);
    if (formatted && !text.IsEmpty()) {
        const common::ARGB colour = kErrorColour;
        m_console->AppendColoredLine(text, &colour, true);
    }
}

} // namespace emu
