#pragma once
// A typed value that holds its value itself and takes the type of whatever is
// stored into it: values read from a settings stream, an option node's value.
#include <memory>

#include "common/CValue.h"

namespace common {

class COwnedValue : public CValue {
public:
    COwnedValue();
    ~COwnedValue() override;

    // Frees a held string and forgets the type.
    void ClearStorage();

    void Clear() override;
    void Reset() override;

    // Every setter takes the value and its type (SetByte..SetQword the unsigned
    // codes, SetBool 0x40, SetPointer 0x01) and answers true. SetString keeps a
    // copy of the text's own width.
    bool SetUInt8(uint8_t value) override;
    bool SetUInt16(uint16_t value) override;
    bool SetUInt32(uint32_t value) override;
    bool SetUInt64(uint64_t value) override;
    bool SetByte(uint8_t value) override;
    bool SetWord(uint16_t value) override;
    bool SetDword(uint32_t value) override;
    bool SetQword(uint64_t value) override;
    bool SetInt8(int8_t value) override;
    bool SetInt16(int16_t value) override;
    bool SetInt32(int32_t value) override;
    bool SetInt64(int64_t value) override;
    bool SetBool(bool value) override;
    bool SetString(const CString& text) override;
    bool SetPointer(uintptr_t value) override;

    // Integer getters need an integer type and apply the range rule; one
    // exception: GetInt8, GetInt16 and GetInt32 on a signed value that does not
    // fit still write its low bits to `out` (and answer false).
    bool GetUInt8(uint8_t& out) const override;
    bool GetUInt16(uint16_t& out) const override;
    bool GetUInt32(uint32_t& out) const override;
    bool GetUInt64(uint64_t& out) const override;
    bool GetByte(uint8_t& out) const override;
    bool GetWord(uint16_t& out) const override;
    bool GetDword(uint32_t& out) const override;
    bool GetQword(uint64_t& out) const override;
    bool GetInt8(int8_t& out) const override;
    bool GetInt16(int16_t& out) const override;
    bool GetInt32(int32_t& out) const override;
    bool GetInt64(int64_t& out) const override;
    bool GetBool(bool& out) const override;
    bool GetString(CString& out) const override;
    bool GetStringObject(const CString*& out) const override;
    CString* CopyString() const override;
    bool GetPointer(uintptr_t& out) const override;

private:
    bool StoreInteger(uint64_t bits, uint32_t type);
    template <typename T> bool GetUnsigned(T& out, uint32_t type) const;
    template <typename T> bool GetSigned(T& out, uint32_t type) const;

    // An integer (zero- or sign-extended by its type), the bool as 0 or 1, or
    // the pointer; unused for a string.
    uint64_t m_bits = 0;
    // Owned; set only while the type is 0x80.
    std::unique_ptr<CString> m_string;
};

} // namespace common
