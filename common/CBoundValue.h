#pragma once
// A typed value bound to a variable of the program (a trace flag, an emulator
// setting): it reads and writes that variable in place, converting every
// integer request to the variable's own type under the range rule (CValue.h).
// The value never owns the variable, which must outlive it.
#include "common/CValue.h"

namespace common {

class CBoundValue : public CValue {
public:
    // Starts unbound (type 0): every setter and getter refuses.
    CBoundValue();
    ~CBoundValue() override;

    // Binding: the type code follows from the variable's type. A null variable
    // is refused and leaves the value as it was.
    bool BindUInt8(uint8_t* variable);
    bool BindUInt16(uint16_t* variable);
    bool BindUInt32(uint32_t* variable);
    bool BindUInt64(uint64_t* variable);
    bool BindInt8(int8_t* variable);
    bool BindInt16(int16_t* variable);
    bool BindInt32(int32_t* variable);
    bool BindInt64(int64_t* variable);
    bool BindBool(bool* variable);
    bool BindString(CString* variable);
    bool BindPointer(uintptr_t* variable);

    // The bound variable's address (null while unbound).
    void* GetTarget() const { return m_target; }

    // Unbinds; the variable keeps its value.
    void Clear() override;
    // Writes 0, false, null or the empty string into the variable.
    void Reset() override;

    // Integer setters accept any width and store the value when the bound
    // integer type can hold it; a bound bool, string or pointer refuses them.
    // SetBool, SetString and SetPointer need the matching bound type.
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
    bool Bind(uint32_t type, void* variable);
    // The bound integer, read with its own extension; false unless bound to one.
    bool LoadInteger(Integer& value) const;
    // Stores the integer into the bound integer variable under the range rule.
    bool StoreInteger(const Integer& value);
    template <typename T> bool GetAs(T& out, uint32_t type) const;

    void* m_target = nullptr; // the program's variable, never owned
};

} // namespace common
