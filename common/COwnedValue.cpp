#include "common/COwnedValue.h"

#include "common/CString.h"

namespace common {

COwnedValue::COwnedValue() = default;

COwnedValue::~COwnedValue() = default;

void COwnedValue::ClearStorage() {
    m_string.reset();
    m_bits = 0;
    m_type = kTypeNone;
}

void COwnedValue::Clear() {
    ClearStorage();
}

void COwnedValue::Reset() {
    if (m_type == kTypeString) {
        if (m_string)
            m_string->Clear();
        return;
    }
    m_bits = 0;
}

bool COwnedValue::StoreInteger(uint64_t bits, uint32_t type) {
    m_string.reset();
    m_bits = bits;
    m_type = type;
    return true;
}

bool COwnedValue::SetUInt8(uint8_t value) {
    return StoreInteger(value, kTypeUInt8);
}

bool COwnedValue::SetUInt16(uint16_t value) {
    return StoreInteger(value, kTypeUInt16);
}

bool COwnedValue::SetUInt32(uint32_t value) {
    return StoreInteger(value, kTypeUInt32);
}

bool COwnedValue::SetUInt64(uint64_t value) {
    return StoreInteger(value, kTypeUInt64);
}

bool COwnedValue::SetByte(uint8_t value) {
    return SetUInt8(value);
}

bool COwnedValue::SetWord(uint16_t value) {
    return SetUInt16(value);
}

bool COwnedValue::SetDword(uint32_t value) {
    return SetUInt32(value);
}

bool COwnedValue::SetQword(uint64_t value) {
    return SetUInt64(value);
}

bool COwnedValue::SetInt8(int8_t value) {
    return StoreInteger(static_cast<uint64_t>(static_cast<int64_t>(value)), kTypeInt8);
}

bool COwnedValue::SetInt16(int16_t value) {
    return StoreInteger(static_cast<uint64_t>(static_cast<int64_t>(value)), kTypeInt16);
}

bool COwnedValue::SetInt32(int32_t value) {
    return StoreInteger(static_cast<uint64_t>(static_cast<int64_t>(value)), kTypeInt32);
}

bool COwnedValue::SetInt64(int64_t value) {
    return StoreInteger(static_cast<uint64_t>(value), kTypeInt64);
}

bool COwnedValue::SetBool(bool value) {
    return StoreInteger(value ? 1 : 0, kTypeBool);
}

bool COwnedValue::SetString(const CString& text) {
    // Copy before dropping the old text: `text` may be the held string itself.
    std::unique_ptr<CString> copy(text.Substring(0, text.GetLength()));
    m_string = std::move(copy);
    m_bits = 0;
    m_type = kTypeString;
    return true;
}

bool COwnedValue::SetPointer(uintptr_t value) {
    return StoreInteger(value, kTypePointer);
}

template <typename T> bool COwnedValue::GetUnsigned(T& out, uint32_t type) const {
    if (!IsIntegerType(m_type) || !Fits(Integer{m_bits, IsSignedType(m_type)}, type))
        return false;
    out = static_cast<T>(m_bits);
    return true;
}

template <typename T> bool COwnedValue::GetSigned(T& out, uint32_t type) const {
    if (!IsIntegerType(m_type))
        return false;
    const bool isSigned = IsSignedType(m_type);
    if (Fits(Integer{m_bits, isSigned}, type)) {
        out = static_cast<T>(static_cast<int64_t>(m_bits));
        return true;
    }
    // A signed value too wide for the getter still leaves its low bits.
    if (isSigned)
        out = static_cast<T>(static_cast<int64_t>(m_bits));
    return false;
}

bool COwnedValue::GetUInt8(uint8_t& out) const {
    return GetUnsigned(out, kTypeUInt8);
}

bool COwnedValue::GetUInt16(uint16_t& out) const {
    return GetUnsigned(out, kTypeUInt16);
}

bool COwnedValue::GetUInt32(uint32_t& out) const {
    return GetUnsigned(out, kTypeUInt32);
}

bool COwnedValue::GetUInt64(uint64_t& out) const {
    return GetUnsigned(out, kTypeUInt64);
}

bool COwnedValue::GetByte(uint8_t& out) const {
    return GetUInt8(out);
}

bool COwnedValue::GetWord(uint16_t& out) const {
    return GetUInt16(out);
}

bool COwnedValue::GetDword(uint32_t& out) const {
    return GetUInt32(out);
}

bool COwnedValue::GetQword(uint64_t& out) const {
    return GetUInt64(out);
}

bool COwnedValue::GetInt8(int8_t& out) const {
    return GetSigned(out, kTypeInt8);
}

bool COwnedValue::GetInt16(int16_t& out) const {
    return GetSigned(out, kTypeInt16);
}

bool COwnedValue::GetInt32(int32_t& out) const {
    return GetSigned(out, kTypeInt32);
}

bool COwnedValue::GetInt64(int64_t& out) const {
    return GetSigned(out, kTypeInt64);
}

bool COwnedValue::GetBool(bool& out) const {
    if (m_type != kTypeBool)
        return false;
    out = m_bits != 0;
    return true;
}

bool COwnedValue::GetString(CString& out) const {
    if (m_type != kTypeString || !m_string)
        return false;
    out.AssignString(*m_string);
    return true;
}

bool COwnedValue::GetStringObject(const CString*& out) const {
    if (m_type != kTypeString || !m_string)
        return false;
    out = m_string.get();
    return true;
}

CString* COwnedValue::CopyString() const {
    if (m_type != kTypeString || !m_string)
        return nullptr;
    return m_string->Substring(0, m_string->GetLength());
}

bool COwnedValue::GetPointer(uintptr_t& out) const {
    if (m_type != kTypePointer)
        return false;
    out = static_cast<uintptr_t>(m_bits);
    return true;
}

} // namespace common
