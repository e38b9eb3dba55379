#pragma once
// Typed values: one setting or property value with a run-time type. Two kinds
// share this interface: COwnedValue holds its value and takes the type of what
// is stored into it; CBoundValue reads and writes a program variable in place,
// converting every request to that variable's type.
//
// Type codes (GetType):
//   0x00 none (unbound or cleared)      0x01 pointer (uintptr_t, never stored)
//   0x11 0x12 0x14 0x18 unsigned 8, 16, 32, 64 bits
//   0x31 0x32 0x34 0x38 signed 8, 16, 32, 64 bits
//   0x40 bool                           0x80 string object (CString)
// In an integer code bit 0x10 marks an integer, 0x20 a signed one, and the low
// four bits give the size in bytes.
//
// No conversion happens between integers, bools, strings and pointers. Integers
// convert among all eight widths under the range rule: a request succeeds only
// when the value lies within the destination type's range (negative values never
// fit an unsigned type, unsigned values above the signed maximum never fit a
// signed type of that width); otherwise the result is false and the destination
// is left alone.
//
// Typed value record (how the settings registry stores a value):
//   check byte ((t >> 4) ^ t) & 0x0F, type code t, then the value: 1, 2, 4 or 8
//   little-endian bytes for an integer, FF/00 for a bool, a name record (see
//   CStreamHolder.h) for a string. Types 0x00 and 0x01 have no record.
//   Examples: bool true 04 40 FF; signed 32-bit 3 07 34 03 00 00 00;
//   the narrow string "ab" 08 80 81 83 02 00 61 62.
#include <cstdint>

namespace common {

class CStream;
class CString;

class CValue {
public:
    static constexpr uint32_t kTypeNone = 0x00;
    static constexpr uint32_t kTypePointer = 0x01;
    static constexpr uint32_t kTypeUInt8 = 0x11;
    static constexpr uint32_t kTypeUInt16 = 0x12;
    static constexpr uint32_t kTypeUInt32 = 0x14;
    static constexpr uint32_t kTypeUInt64 = 0x18;
    static constexpr uint32_t kTypeInt8 = 0x31;
    static constexpr uint32_t kTypeInt16 = 0x32;
    static constexpr uint32_t kTypeInt32 = 0x34;
    static constexpr uint32_t kTypeInt64 = 0x38;
    static constexpr uint32_t kTypeBool = 0x40;
    static constexpr uint32_t kTypeString = 0x80;

    static constexpr uint32_t kIntegerFlag = 0x10;
    static constexpr uint32_t kSignedFlag = 0x20;
    static constexpr uint32_t kSizeMask = 0x0F;

    // One of the eight integer codes.
    static bool IsIntegerType(uint32_t type);
    static bool IsSignedType(uint32_t type) { return IsIntegerType(type) && (type & kSignedFlag) != 0; }
    static bool IsUnsignedType(uint32_t type) { return IsIntegerType(type) && (type & kSignedFlag) == 0; }
    // The record's check byte for a type code.
    static uint8_t RecordCheckByte(uint32_t type) { return static_cast<uint8_t>(((type >> 4) ^ type) & 0x0F); }

    virtual ~CValue();

    CValue(const CValue&) = delete;
    CValue& operator=(const CValue&) = delete;

    uint32_t GetType() const { return m_type; }

    // Forgets the value's type (an owned value frees its string; a bound value
    // unbinds and leaves its variable alone).
    virtual void Clear();
    // Keeps the type; the value becomes 0, false, null or the empty string.
    virtual void Reset() = 0;

    // Setters answer whether the value was taken. SetByte to SetQword are the
    // same operations as SetUInt8 to SetUInt64.
    virtual bool SetUInt8(uint8_t value) = 0;
    virtual bool SetUInt16(uint16_t value) = 0;
    virtual bool SetUInt32(uint32_t value) = 0;
    virtual bool SetUInt64(uint64_t value) = 0;
    virtual bool SetByte(uint8_t value) = 0;
    virtual bool SetWord(uint16_t value) = 0;
    virtual bool SetDword(uint32_t value) = 0;
    virtual bool SetQword(uint64_t value) = 0;
    virtual bool SetInt8(int8_t value) = 0;
    virtual bool SetInt16(int16_t value) = 0;
    virtual bool SetInt32(int32_t value) = 0;
    virtual bool SetInt64(int64_t value) = 0;
    virtual bool SetBool(bool value) = 0;
    // The text is copied (an owned value) or assigned to the bound string.
    virtual bool SetString(const CString& text) = 0;
    virtual bool SetPointer(uintptr_t value) = 0;

    // Getters answer whether `out` was filled. Integer getters apply the range
    // rule from the value's integer type to their own.
    virtual bool GetUInt8(uint8_t& out) const = 0;
    virtual bool GetUInt16(uint16_t& out) const = 0;
    virtual bool GetUInt32(uint32_t& out) const = 0;
    virtual bool GetUInt64(uint64_t& out) const = 0;
    virtual bool GetByte(uint8_t& out) const = 0;
    virtual bool GetWord(uint16_t& out) const = 0;
    virtual bool GetDword(uint32_t& out) const = 0;
    virtual bool GetQword(uint64_t& out) const = 0;
    virtual bool GetInt8(int8_t& out) const = 0;
    virtual bool GetInt16(int16_t& out) const = 0;
    virtual bool GetInt32(int32_t& out) const = 0;
    virtual bool GetInt64(int64_t& out) const = 0;
    virtual bool GetBool(bool& out) const = 0;
    // Assigns the held text to `out` (AssignString).
    virtual bool GetString(CString& out) const = 0;
    // The held (or bound) string object itself; the value keeps it.
    virtual bool GetStringObject(const CString*& out) const = 0;
    // A new copy of the text of the string's own width, owned by the caller;
    // null when the value is not a string.
    virtual CString* CopyString() const = 0;
    virtual bool GetPointer(uintptr_t& out) const = 0;

    // Copies `source` into this value in the source's type: an owned value takes
    // that type, a bound value converts under the range rule. False when the
    // source has no value or this value refuses it.
    bool Assign(const CValue& source);
    // Writes the typed value record. Types 0x00 and 0x01 write their two header
    // bytes and answer false, as does a string longer than a name record holds
    // (0xFFFF bytes).
    bool Write(CStream* stream) const;
    // Reads one typed value record and stores it. A record this value refuses
    // (wrong type, out of range) is consumed all the same and answers false.
    bool Read(CStream* stream);
    // As Read; `changed` tells whether the stored value differed from the
    // current one (also true when the current value cannot be read in the
    // stored type). Left alone when no whole record could be read.
    bool ReadAndCompare(CStream* stream, bool& changed);

protected:
    CValue() = default;

    // An integer on its way between two types: its 64 bits, sign-extended when
    // it is signed, zero-extended otherwise.
    struct Integer {
        uint64_t bits;
        bool isSigned;
    };
    // The range rule: whether the integer lies within the range of the integer
    // type `type`.
    static bool Fits(const Integer& value, uint32_t type);

    uint32_t m_type = kTypeNone;
};

} // namespace common
