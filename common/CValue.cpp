#include "common/CValue.h"

#include <memory>

#include "common/COwnedValue.h"
#include "common/CStream.h"
#include "common/CStreamHolder.h"
#include "common/CString.h"
#include "common/LittleEndian.h"

namespace common {

namespace {

constexpr uint8_t kBoolTrue = 0xFF;
constexpr uint8_t kBoolFalse = 0x00;

bool WriteAll(CStream* stream, const void* data, int64_t count) {
    return stream->Write(data, count) == count;
}

bool ReadAll(CStream* stream, void* data, int64_t count) {
    return stream->Read(data, count) == count;
}

// Reads one typed value record whole into `out`, which takes the record's type.
bool ReadRecord(CStream* stream, COwnedValue& out) {
    if (!stream)
        return false;
    uint8_t head[2];
    if (!ReadAll(stream, head, 2) || head[0] != CValue::RecordCheckByte(head[1]))
        return false;
    const uint32_t type = head[1];
    if (CValue::IsIntegerType(type)) {
        const int size = static_cast<int>(type & CValue::kSizeMask);
        uint8_t bytes[8];
        if (!ReadAll(stream, bytes, size))
            return false;
        const uint64_t bits = LoadLittle<uint64_t>(bytes, size);
        switch (type) {
        case CValue::kTypeUInt8:
            return out.SetByte(static_cast<uint8_t>(bits));
        case CValue::kTypeUInt16:
            return out.SetWord(static_cast<uint16_t>(bits));
        case CValue::kTypeUInt32:
            return out.SetDword(static_cast<uint32_t>(bits));
        case CValue::kTypeUInt64:
            return out.SetQword(bits);
        case CValue::kTypeInt8:
            return out.SetInt8(static_cast<int8_t>(bits));
        case CValue::kTypeInt16:
            return out.SetInt16(static_cast<int16_t>(bits));
        case CValue::kTypeInt32:
            return out.SetInt32(static_cast<int32_t>(bits));
        default:
            return out.SetInt64(static_cast<int64_t>(bits));
        }
    }
    if (type == CValue::kTypeBool) {
        uint8_t byte = 0;
        return ReadAll(stream, &byte, 1) && out.SetBool(byte != 0);
    }
    if (type == CValue::kTypeString) {
        std::unique_ptr<CString> text(ReadStringRecord(stream, nullptr));
        return text && out.SetString(*text);
    }
    return false;
}

// Whether `current` holds the same value as `stored`, read in the stored type.
bool HoldsSameValue(const CValue& current, const CValue& stored) {
    switch (stored.GetType()) {
    case CValue::kTypeUInt8: {
        uint8_t a = 0, b = 0;
        return current.GetByte(a) && stored.GetByte(b) && a == b;
    }
    case CValue::kTypeUInt16: {
        uint16_t a = 0, b = 0;
        return current.GetWord(a) && stored.GetWord(b) && a == b;
    }
    case CValue::kTypeUInt32: {
        uint32_t a = 0, b = 0;
        return current.GetDword(a) && stored.GetDword(b) && a == b;
    }
    case CValue::kTypeUInt64: {
        uint64_t a = 0, b = 0;
        return current.GetQword(a) && stored.GetQword(b) && a == b;
    }
    case CValue::kTypeInt8: {
        int8_t a = 0, b = 0;
        return current.GetInt8(a) && stored.GetInt8(b) && a == b;
    }
    case CValue::kTypeInt16: {
        int16_t a = 0, b = 0;
        return current.GetInt16(a) && stored.GetInt16(b) && a == b;
    }
    case CValue::kTypeInt32: {
        int32_t a = 0, b = 0;
        return current.GetInt32(a) && stored.GetInt32(b) && a == b;
    }
    case CValue::kTypeInt64: {
        int64_t a = 0, b = 0;
        return current.GetInt64(a) && stored.GetInt64(b) && a == b;
    }
    case CValue::kTypeBool: {
        bool a = false, b = false;
        return current.GetBool(a) && stored.GetBool(b) && a == b;
    }
    case CValue::kTypeString: {
        const CString* a = nullptr;
        const CString* b = nullptr;
        return current.GetStringObject(a) && stored.GetStringObject(b) && a->CompareString(*b) == 0;
    }
    default:
        return false;
    }
}

} // namespace

bool CValue::IsIntegerType(uint32_t type) {
    switch (type) {
    case kTypeUInt8:
    case kTypeUInt16:
    case kTypeUInt32:
    case kTypeUInt64:
    case kTypeInt8:
    case kTypeInt16:
    case kTypeInt32:
    case kTypeInt64:
        return true;
    default:
        return false;
    }
}

bool CValue::Fits(const Integer& value, uint32_t type) {
    if (!IsIntegerType(type))
        return false;
    const unsigned bits = 8 * (type & kSizeMask);
    const bool toSigned = (type & kSignedFlag) != 0;
    const bool negative = value.isSigned && static_cast<int64_t>(value.bits) < 0;
    if (negative) {
        if (!toSigned)
            return false;
        if (bits == 64)
            return true;
        // The smallest value of the type, as a sign-extended bit pattern.
        const uint64_t minimum = ~uint64_t(0) << (bits - 1);
        return value.bits >= minimum;
    }
    const unsigned valueBits = toSigned ? bits - 1 : bits;
    return valueBits == 64 || value.bits <= (uint64_t(1) << valueBits) - 1;
}

CValue::~CValue() = default;

void CValue::Clear() {
    m_type = kTypeNone;
}

bool CValue::Assign(const CValue& source) {
    switch (source.GetType()) {
    case kTypeUInt8: {
        uint8_t v = 0;
        return source.GetByte(v) && SetByte(v);
    }
    case kTypeUInt16: {
        uint16_t v = 0;
        return source.GetWord(v) && SetWord(v);
    }
    case kTypeUInt32: {
        uint32_t v = 0;
        return source.GetDword(v) && SetDword(v);
    }
    case kTypeUInt64: {
        uint64_t v = 0;
        return source.GetQword(v) && SetQword(v);
    }
    case kTypeInt8: {
        int8_t v = 0;
        return source.GetInt8(v) && SetInt8(v);
    }
    case kTypeInt16: {
        int16_t v = 0;
        return source.GetInt16(v) && SetInt16(v);
    }
    case kTypeInt32: {
        int32_t v = 0;
        return source.GetInt32(v) && SetInt32(v);
    }
    case kTypeInt64: {
        int64_t v = 0;
        return source.GetInt64(v) && SetInt64(v);
    }
    case kTypeBool: {
        bool v = false;
        return source.GetBool(v) && SetBool(v);
    }
    case kTypeString: {
        std::unique_ptr<CString> copy(source.CopyString());
        return copy && SetString(*copy);
    }
    case kTypePointer: {
        uintptr_t v = 0;
        return source.GetPointer(v) && SetPointer(v);
    }
    default:
        return false;
    }
}

bool CValue::Write(CStream* stream) const {
    if (!stream)
        return false;
    const uint8_t head[2] = {RecordCheckByte(m_type), static_cast<uint8_t>(m_type)};
    if (!WriteAll(stream, head, 2))
        return false;
    if (IsIntegerType(m_type)) {
        uint64_t bits = 0;
        bool ok = false;
        switch (m_type) {
        case kTypeUInt8: {
            uint8_t v = 0;
            ok = GetByte(v);
            bits = v;
            break;
        }
        case kTypeUInt16: {
            uint16_t v = 0;
            ok = GetWord(v);
            bits = v;
            break;
        }
        case kTypeUInt32: {
            uint32_t v = 0;
            ok = GetDword(v);
            bits = v;
            break;
        }
        case kTypeUInt64:
            ok = GetQword(bits);
            break;
        case kTypeInt8: {
            int8_t v = 0;
            ok = GetInt8(v);
            bits = static_cast<uint64_t>(v);
            break;
        }
        case kTypeInt16: {
            int16_t v = 0;
            ok = GetInt16(v);
            bits = static_cast<uint64_t>(v);
            break;
        }
        case kTypeInt32: {
            int32_t v = 0;
            ok = GetInt32(v);
            bits = static_cast<uint64_t>(v);
            break;
        }
        default: {
            int64_t v = 0;
            ok = GetInt64(v);
            bits = static_cast<uint64_t>(v);
            break;
        }
        }
        if (!ok)
            return false;
        const int size = static_cast<int>(m_type & kSizeMask);
        uint8_t bytes[8];
        StoreLittle<uint64_t>(bytes, bits, size);
        return WriteAll(stream, bytes, size);
    }
    if (m_type == kTypeBool) {
        bool v = false;
        if (!GetBool(v))
            return false;
        const uint8_t byte = v ? kBoolTrue : kBoolFalse;
        return WriteAll(stream, &byte, 1);
    }
    if (m_type == kTypeString) {
        std::unique_ptr<CString> copy(CopyString());
        return copy && WriteStringRecord(stream, *copy);
    }
    return false;
}

bool CValue::Read(CStream* stream) {
    COwnedValue stored;
    return ReadRecord(stream, stored) && Assign(stored);
}

bool CValue::ReadAndCompare(CStream* stream, bool& changed) {
    COwnedValue stored;
    if (!ReadRecord(stream, stored))
        return false;
    changed = !HoldsSameValue(*this, stored);
    return Assign(stored);
}

} // namespace common
