#include "common/CBoundValue.h"

#include "common/CString.h"

namespace common {

CBoundValue::CBoundValue() = default;

CBoundValue::~CBoundValue() = default;

bool CBoundValue::Bind(uint32_t type, void* variable) {
    if (!variable)
        return false;
    m_type = type;
    m_target = variable;
    return true;
}

bool CBoundValue::BindUInt8(uint8_t* variable) {
    return Bind(kTypeUInt8, variable);
}

bool CBoundValue::BindUInt16(uint16_t* variable) {
    return Bind(kTypeUInt16, variable);
}

bool CBoundValue::BindUInt32(uint32_t* variable) {
    return Bind(kTypeUInt32, variable);
}

bool CBoundValue::BindUInt64(uint64_t* variable) {
    return Bind(kTypeUInt64, variable);
}

bool CBoundValue::BindInt8(int8_t* variable) {
    return Bind(kTypeInt8, variable);
}

bool CBoundValue::BindInt16(int16_t* variable) {
    return Bind(kTypeInt16, variable);
}

bool CBoundValue::BindInt32(int32_t* variable) {
    return Bind(kTypeInt32, variable);
}

bool CBoundValue::BindInt64(int64_t* variable) {
    return Bind(kTypeInt64, variable);
}

bool CBoundValue::BindBool(bool* variable) {
    return Bind(kTypeBool, variable);
}

bool CBoundValue::BindString(CString* variable) {
    return Bind(kTypeString, variable);
}

bool CBoundValue::BindPointer(uintptr_t* variable) {
    return Bind(kTypePointer, variable);
}

void CBoundValue::Clear() {
    CValue::Clear();
    m_target = nullptr;
}

void CBoundValue::Reset() {
    if (!m_target)
        return;
    if (IsIntegerType(m_type)) {
        StoreInteger(Integer{0, false});
        return;
    }
    switch (m_type) {
    case kTypeBool:
        *static_cast<bool*>(m_target) = false;
        break;
    case kTypeString:
        static_cast<CString*>(m_target)->Clear();
        break;
    case kTypePointer:
        *static_cast<uintptr_t*>(m_target) = 0;
        break;
    default:
        break;
    }
}

bool CBoundValue::LoadInteger(Integer& value) const {
    if (!m_target)
        return false;
    switch (m_type) {
    case kTypeUInt8:
        value = Integer{*static_cast<const uint8_t*>(m_target), false};
        return true;
    case kTypeUInt16:
        value = Integer{*static_cast<const uint16_t*>(m_target), false};
        return true;
    case kTypeUInt32:
        value = Integer{*static_cast<const uint32_t*>(m_target), false};
        return true;
    case kTypeUInt64:
        value = Integer{*static_cast<const uint64_t*>(m_target), false};
        return true;
    case kTypeInt8:
        value = Integer{static_cast<uint64_t>(int64_t{*static_cast<const int8_t*>(m_target)}), true};
        return true;
    case kTypeInt16:
        value = Integer{static_cast<uint64_t>(int64_t{*static_cast<const int16_t*>(m_target)}), true};
        return true;
    case kTypeInt32:
        value = Integer{static_cast<uint64_t>(int64_t{*static_cast<const int32_t*>(m_target)}), true};
        return true;
    case kTypeInt64:
        value = Integer{static_cast<uint64_t>(*static_cast<const int64_t*>(m_target)), true};
        return true;
    default:
        return false;
    }
}

bool CBoundValue::StoreInteger(const Integer& value) {
    if (!m_target || !Fits(value, m_type))
        return false;
    const int64_t signedBits = static_cast<int64_t>(value.bits);
    switch (m_type) {
    case kTypeUInt8:
        *static_cast<uint8_t*>(m_target) = static_cast<uint8_t>(value.bits);
        break;
    case kTypeUInt16:
        *static_cast<uint16_t*>(m_target) = static_cast<uint16_t>(value.bits);
        break;
    case kTypeUInt32:
        *static_cast<uint32_t*>(m_target) = static_cast<uint32_t>(value.bits);
        break;
    case kTypeUInt64:
        *static_cast<uint64_t*>(m_target) = value.bits;
        break;
    case kTypeInt8:
        *static_cast<int8_t*>(m_target) = static_cast<int8_t>(signedBits);
        break;
    case kTypeInt16:
        *static_cast<int16_t*>(m_target) = static_cast<int16_t>(signedBits);
        break;
    case kTypeInt32:
        *static_cast<int32_t*>(m_target) = static_cast<int32_t>(signedBits);
        break;
    case kTypeInt64:
        *static_cast<int64_t*>(m_target) = signedBits;
        break;
    default:
        return false;
    }
    return true;
}

bool CBoundValue::SetUInt8(uint8_t value) {
    return StoreInteger(Integer{value, false});
}

bool CBoundValue::SetUInt16(uint16_t value) {
    return StoreInteger(Integer{value, false});
}

bool CBoundValue::SetUInt32(uint32_t value) {
    return StoreInteger(Integer{value, false});
}

bool CBoundValue::SetUInt64(uint64_t value) {
    return StoreInteger(Integer{value, false});
}

bool CBoundValue::SetByte(uint8_t value) {
    return SetUInt8(value);
}

bool CBoundValue::SetWord(uint16_t value) {
    return SetUInt16(value);
}

bool CBoundValue::SetDword(uint32_t value) {
    return SetUInt32(value);
}

bool CBoundValue::SetQword(uint64_t value) {
    return SetUInt64(value);
}

bool CBoundValue::SetInt8(int8_t value) {
    return StoreInteger(Integer{static_cast<uint64_t>(int64_t{value}), true});
}

bool CBoundValue::SetInt16(int16_t value) {
    return StoreInteger(Integer{static_cast<uint64_t>(int64_t{value}), true});
}

bool CBoundValue::SetInt32(int32_t value) {
    return StoreInteger(Integer{static_cast<uint64_t>(int64_t{value}), true});
}

bool CBoundValue::SetInt64(int64_t value) {
    return StoreInteger(Integer{static_cast<uint64_t>(value), true});
}

bool CBoundValue::SetBool(bool value) {
    if (m_type != kTypeBool || !m_target)
        return false;
    *static_cast<bool*>(m_target) = value;
    return true;
}

bool CBoundValue::SetString(const CString& text) {
    if (m_type != kTypeString || !m_target)
        return false;
    CString* target = static_cast<CString*>(m_target);
    if (target != &text)
        target->AssignString(text);
    return true;
}

bool CBoundValue::SetPointer(uintptr_t value) {
    if (m_type != kTypePointer || !m_target)
        return false;
    *static_cast<uintptr_t*>(m_target) = value;
    return true;
}

template <typename T> bool CBoundValue::GetAs(T& out, uint32_t type) const {
    Integer value{0, false};
    if (!LoadInteger(value) || !Fits(value, type))
        return false;
    out = static_cast<T>(value.bits);
    return true;
}

bool CBoundValue::GetUInt8(uint8_t& out) const {
    return GetAs(out, kTypeUInt8);
}

bool CBoundValue::GetUInt16(uint16_t& out) const {
    return GetAs(out, kTypeUInt16);
}

bool CBoundValue::GetUInt32(uint32_t& out) const {
    return GetAs(out, kTypeUInt32);
}

bool CBoundValue::GetUInt64(uint64_t& out) const {
    return GetAs(out, kTypeUInt64);
}

bool CBoundValue::GetByte(uint8_t& out) const {
    return GetUInt8(out);
}

bool CBoundValue::GetWord(uint16_t& out) const {
    return GetUInt16(out);
}

bool CBoundValue::GetDword(uint32_t& out) const {
    return GetUInt32(out);
}

bool CBoundValue::GetQword(uint64_t& out) const {
    return GetUInt64(out);
}

bool CBoundValue::GetInt8(int8_t& out) const {
    return GetAs(out, kTypeInt8);
}

bool CBoundValue::GetInt16(int16_t& out) const {
    return GetAs(out, kTypeInt16);
}

bool CBoundValue::GetInt32(int32_t& out) const {
    return GetAs(out, kTypeInt32);
}

bool CBoundValue::GetInt64(int64_t& out) const {
    return GetAs(out, kTypeInt64);
}

bool CBoundValue::GetBool(bool& out) const {
    if (m_type != kTypeBool || !m_target)
        return false;
    out = *static_cast<const bool*>(m_target);
    return true;
}

bool CBoundValue::GetString(CString& out) const {
    if (m_type != kTypeString || !m_target)
        return false;
    const CString* source = static_cast<const CString*>(m_target);
    if (source != &out)
        out.AssignString(*source);
    return true;
}

bool CBoundValue::GetStringObject(const CString*& out) const {
    if (m_type != kTypeString || !m_target)
        return false;
    out = static_cast<const CString*>(m_target);
    return true;
}

CString* CBoundValue::CopyString() const {
    if (m_type != kTypeString || !m_target)
        return nullptr;
    const CString* source = static_cast<const CString*>(m_target);
    return source->Substring(0, source->GetLength());
}

bool CBoundValue::GetPointer(uintptr_t& out) const {
    if (m_type != kTypePointer || !m_target)
        return false;
    out = *static_cast<const uintptr_t*>(m_target);
    return true;
}

} // namespace common
