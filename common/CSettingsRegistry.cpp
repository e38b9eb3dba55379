#include "common/CSettingsRegistry.h"

#include <cstring>
#include <string>

#include "common/CBoundValue.h"
#include "common/CMemoryStream.h"
#include "common/COwnedValue.h"
#include "common/CStream.h"
#include "common/CStreamHolder.h"
#include "common/FileReplace.h"

namespace common {

namespace {

constexpr uint8_t kTagValue = 0x01;
constexpr uint8_t kTagSection = 0x80;
constexpr uint8_t kTagEnd = 0xFF;

// Bodies being loaded on this thread, nested ones included: a section is read
// by a recursive load (CheckStream, or an owner's handler loading a child), so
// this bounds the stack whatever the file holds.
thread_local int s_loadDepth = 0;

class DepthGuard {
public:
    DepthGuard() : m_allowed(++s_loadDepth <= CSettingsRegistry::kMaxNestingDepth) {}
    ~DepthGuard() { --s_loadDepth; }
    DepthGuard(const DepthGuard&) = delete;
    DepthGuard& operator=(const DepthGuard&) = delete;
    bool IsAllowed() const { return m_allowed; }

private:
    bool m_allowed;
};

bool WriteAll(CStream* stream, const void* data, int64_t count) {
    return count == 0 || stream->Write(data, count) == count;
}

bool ReadAll(CStream* stream, void* data, int64_t count) {
    return count == 0 || stream->Read(data, count) == count;
}

bool WriteText(CStream* stream, const char* text) {
    return !text || WriteAll(stream, text, static_cast<int64_t>(std::strlen(text)));
}

// The next bytes must be the text's characters exactly (nothing to check for a
// null or empty text).
bool ReadAndMatchText(CStream* stream, const char* text) {
    if (!text || !*text)
        return true;
    const size_t length = std::strlen(text);
    std::string bytes(length, '\0');
    return ReadAll(stream, &bytes[0], static_cast<int64_t>(length)) && std::memcmp(bytes.data(), text, length) == 0;
}

// Whether a stored value leaves the current one as it is, judged by the
// current value's type.
bool StoredEqualsCurrent(const CValue& current, const CValue& stored) {
    const uint32_t type = current.GetType();
    if (CValue::IsUnsignedType(type)) {
        uint64_t a = 0, b = 0;
        return current.GetQword(a) && stored.GetQword(b) && a == b;
    }
    if (CValue::IsSignedType(type)) {
        int64_t a = 0, b = 0;
        return current.GetInt64(a) && stored.GetInt64(b) && a == b;
    }
    if (type != stored.GetType())
        return false;
    switch (type) {
    case CValue::kTypeBool: {
        bool a = false, b = false;
        return current.GetBool(a) && stored.GetBool(b) && a == b;
    }
    case CValue::kTypeString: {
        const CString* a = nullptr;
        const CString* b = nullptr;
        return current.GetStringObject(a) && stored.GetStringObject(b) && (a == b || a->CompareString(*b) == 0);
    }
    case CValue::kTypePointer: {
        uintptr_t a = 0, b = 0;
        return current.GetPointer(a) && stored.GetPointer(b) && a == b;
    }
    default:
        return false;
    }
}

} // namespace

CSettingsRegistry::CSettingsRegistry() = default;

CSettingsRegistry::~CSettingsRegistry() = default;

CBoundValue* CSettingsRegistry::BindBool(const CNarrowString& name, bool* variable) {
    if (!variable)
        return nullptr;
    CBoundValue* value = AddBinding(name);
    if (value)
        value->BindBool(variable);
    return value;
}

CBoundValue* CSettingsRegistry::BindUInt8(const CNarrowString& name, uint8_t* variable) {
    if (!variable)
        return nullptr;
    CBoundValue* value = AddBinding(name);
    if (value)
        value->BindUInt8(variable);
    return value;
}

CBoundValue* CSettingsRegistry::BindString(const CNarrowString& name, CString* variable) {
    if (!variable)
        return nullptr;
    CBoundValue* value = AddBinding(name);
    if (value)
        value->BindString(variable);
    return value;
}

CBoundValue* CSettingsRegistry::AddBinding(const CNarrowString& name) {
    CBoundValue* value = new CBoundValue();
    return InsertValue(name, value) ? value : nullptr;
}

CValue* CSettingsRegistry::InsertValue(const CNarrowString& name, CValue* value) {
    std::unique_ptr<CValue> owned(value);
    if (!owned)
        return nullptr;
    auto result = m_values.emplace(name, std::move(owned));
    return result.second ? value : nullptr;
}

CSettingsRegistry* CSettingsRegistry::InsertChild(const CNarrowString& name, CSettingsRegistry* child) {
    std::unique_ptr<CSettingsRegistry> owned(child);
    if (!owned)
        return nullptr;
    auto result = m_children.emplace(name, std::move(owned));
    return result.second ? child : nullptr;
}

CValue* CSettingsRegistry::FindValue(const CNarrowString& name) const {
    auto it = m_values.find(name);
    return it == m_values.end() ? nullptr : it->second.get();
}

CSettingsRegistry* CSettingsRegistry::FindChild(const CNarrowString& name) const {
    auto it = m_children.find(name);
    return it == m_children.end() ? nullptr : it->second.get();
}

bool CSettingsRegistry::Save(CStream* stream, const char* header, const char* trailer) const {
    return stream && WriteText(stream, header) && SaveBody(stream) && WriteText(stream, trailer);
}

bool CSettingsRegistry::SaveBody(CStream* stream) const {
    const uint8_t head[4] = {0, 0, 0, 0}; // reserved word, extension length
    if (!WriteAll(stream, head, sizeof(head)))
        return false;
    for (const auto& entry : m_values) {
        if (!entry.second || !WriteAll(stream, &kTagValue, 1) || !WriteStringRecord(stream, entry.first) ||
            !entry.second->Write(stream))
            return false;
    }
    for (const auto& entry : m_children) {
        if (!entry.second || !WriteAll(stream, &kTagSection, 1) || !WriteStringRecord(stream, entry.first) ||
            !entry.second->SaveBody(stream))
            return false;
    }
    return WriteAll(stream, &kTagEnd, 1);
}

bool CSettingsRegistry::Load(CStream* stream, const char* header, const char* trailer) {
    return LoadWith(stream, nullptr, false, header, trailer);
}

bool CSettingsRegistry::LoadAndCompare(CStream* stream, bool* changed, const char* header, const char* trailer) {
    return LoadWith(stream, changed, true, header, trailer);
}

bool CSettingsRegistry::CheckStream(CStream* stream) {
    CSettingsRegistry scratch;
    return scratch.Load(stream, nullptr, nullptr);
}

bool CSettingsRegistry::LoadWith(CStream* stream, bool* changed, bool compare, const char* header,
                                 const char* trailer) {
    return stream && ReadAndMatchText(stream, header) && LoadBody(stream, changed, compare, trailer);
}

bool CSettingsRegistry::LoadBody(CStream* stream, bool* changed, bool compare, const char* trailer) {
    DepthGuard depth;
    if (!depth.IsAllowed())
        return false;
    uint8_t head[4];
    if (!ReadAll(stream, head, sizeof(head)))
        return false;
    const unsigned reserved = head[0] | (head[1] << 8);
    const unsigned extension = head[2] | (head[3] << 8);
    if (reserved != 0)
        return false;
    if (extension != 0) {
        const int64_t position = stream->GetPosition();
        if (position < 0 || !stream->Seek(position + extension))
            return false;
    }
    // A plain load hands handlers a flag that nobody reads.
    bool ignoredFlag = false;
    bool* handlerFlag = compare && changed ? changed : &ignoredFlag;
    bool hadSection = false;
    CNarrowString name;
    COwnedValue stored;
    for (;;) {
        uint8_t tag = 0;
        if (!ReadAll(stream, &tag, 1))
            return false;
        if (tag == kTagValue) {
            if (!ReadStringRecord(stream, &name) || !stored.Read(stream))
                return false;
            CValue* current = FindValue(name);
            if (!current)
                continue; // unknown names are dropped
            if (compare && changed && !StoredEqualsCurrent(*current, stored))
                *changed = true;
            current->Assign(stored); // a value the variable cannot take is left out
        } else if (tag == kTagSection) {
            if (!hadSection) {
                hadSection = true;
                if (m_sectionNotify && !m_sectionNotify(m_context, nullptr))
                    return false;
            }
            if (!ReadStringRecord(stream, &name))
                return false;
            const int64_t start = stream->GetPosition();
            if (start < 0)
                return false;
            if (m_sectionHandler && !m_sectionHandler(m_context, stream, name, handlerFlag) && !stream->Seek(start))
                return false;
            // A section nobody read (or whose reader gave up) is skipped whole.
            if (stream->GetPosition() == start && !CheckStream(stream))
                return false;
            if (m_sectionNotify && !m_sectionNotify(m_context, &name))
                return false;
        } else if (tag == kTagEnd) {
            if (!ReadAndMatchText(stream, trailer))
                return false;
            if (!hadSection && m_sectionNotify)
                return m_sectionNotify(m_context, nullptr);
            return true;
        } else {
            return false;
        }
    }
}

bool CSettingsRegistry::SaveToFile(const CString& path, const char* header, const char* trailer) const {
    CMemoryStream bytes;
    if (!bytes.Create(0, -1) || !Save(&bytes, header, trailer))
        return false;
    return WriteFileReplacing(path.GetWide(), bytes.GetBuffer(), bytes.GetSize());
}

} // namespace common
