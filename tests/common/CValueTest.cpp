#include <gtest/gtest.h>

#include <cstdint>
#include <functional>
#include <limits>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "common/CBoundValue.h"
#include "common/CMemoryStream.h"
#include "common/CNarrowString.h"
#include "common/COwnedValue.h"
#include "common/CWideString.h"

using common::CBoundValue;
using common::CMemoryStream;
using common::CNarrowString;
using common::COwnedValue;
using common::CString;
using common::CValue;
using common::CWideString;

namespace {

typedef std::vector<uint8_t> Bytes;

Bytes Written(const CValue& value, bool* result = nullptr) {
    CMemoryStream stream;
    EXPECT_TRUE(stream.Create(0, -1));
    const bool ok = value.Write(&stream);
    if (result)
        *result = ok;
    return Bytes(stream.GetBuffer(), stream.GetBuffer() + stream.GetSize());
}

// A stream over a copy of the bytes, positioned at 0.
struct ByteStream {
    explicit ByteStream(const Bytes& bytes) : data(bytes) {
        if (data.empty())
            data.push_back(0); // Attach needs a buffer; the size below stays 0
        stream.Attach(data.data(), static_cast<int64_t>(bytes.size()));
    }
    Bytes data;
    CMemoryStream stream;
};

// ---- Range-rule oracle ------------------------------------------------------
// Every 64-bit integer is exact in an x87 long double, so comparisons there are
// an independent check of the integer code under test.
static_assert(std::numeric_limits<long double>::digits >= 64, "long double must hold every 64-bit integer");

const uint32_t kIntegerTypes[] = {0x11, 0x12, 0x14, 0x18, 0x31, 0x32, 0x34, 0x38};

long double TypeMin(uint32_t type) {
    switch (type) {
    case 0x31:
        return std::numeric_limits<int8_t>::min();
    case 0x32:
        return std::numeric_limits<int16_t>::min();
    case 0x34:
        return std::numeric_limits<int32_t>::min();
    case 0x38:
        return static_cast<long double>(std::numeric_limits<int64_t>::min());
    default:
        return 0;
    }
}

long double TypeMax(uint32_t type) {
    switch (type) {
    case 0x11:
        return std::numeric_limits<uint8_t>::max();
    case 0x12:
        return std::numeric_limits<uint16_t>::max();
    case 0x14:
        return std::numeric_limits<uint32_t>::max();
    case 0x18:
        return static_cast<long double>(std::numeric_limits<uint64_t>::max());
    case 0x31:
        return std::numeric_limits<int8_t>::max();
    case 0x32:
        return std::numeric_limits<int16_t>::max();
    case 0x34:
        return std::numeric_limits<int32_t>::max();
    default:
        return static_cast<long double>(std::numeric_limits<int64_t>::max());
    }
}

bool InRange(long double v, uint32_t type) {
    return v >= TypeMin(type) && v <= TypeMax(type);
}

// Boundary values of every width, as long doubles.
std::vector<long double> BoundaryValues() {
    std::vector<long double> values = {0, 1, -1};
    for (uint32_t type : kIntegerTypes) {
        for (long double v : {TypeMin(type), TypeMax(type)}) {
            values.push_back(v);
            values.push_back(v + 1);
            values.push_back(v - 1);
        }
    }
    return values;
}

template <typename T> bool Set(CValue& value, bool (CValue::*setter)(T), long double v) {
    return (value.*setter)(static_cast<T>(v));
}

// Calls the setter of `type` with v, which fits that type.
bool SetAs(CValue& value, uint32_t type, long double v) {
    const std::map<uint32_t, std::function<bool()>> setters = {
        {0x11, [&] { return Set(value, &CValue::SetUInt8, v); }},
        {0x12, [&] { return Set(value, &CValue::SetUInt16, v); }},
        {0x14, [&] { return Set(value, &CValue::SetUInt32, v); }},
        {0x18, [&] { return Set(value, &CValue::SetUInt64, v); }},
        {0x31, [&] { return Set(value, &CValue::SetInt8, v); }},
        {0x32, [&] { return Set(value, &CValue::SetInt16, v); }},
        {0x34, [&] { return Set(value, &CValue::SetInt32, v); }},
        {0x38, [&] { return Set(value, &CValue::SetInt64, v); }},
    };
    return setters.at(type)();
}

template <typename T> bool Get(const CValue& value, bool (CValue::*getter)(T&) const, long double& out) {
    T x = 0x25;
    const bool ok = (value.*getter)(x);
    out = static_cast<long double>(x);
    return ok;
}

// Calls the getter of `type`.
bool GetAs(const CValue& value, uint32_t type, long double& out) {
    const std::map<uint32_t, std::function<bool()>> getters = {
        {0x11, [&] { return Get(value, &CValue::GetUInt8, out); }},
        {0x12, [&] { return Get(value, &CValue::GetUInt16, out); }},
        {0x14, [&] { return Get(value, &CValue::GetUInt32, out); }},
        {0x18, [&] { return Get(value, &CValue::GetUInt64, out); }},
        {0x31, [&] { return Get(value, &CValue::GetInt8, out); }},
        {0x32, [&] { return Get(value, &CValue::GetInt16, out); }},
        {0x34, [&] { return Get(value, &CValue::GetInt32, out); }},
        {0x38, [&] { return Get(value, &CValue::GetInt64, out); }},
    };
    return getters.at(type)();
}

// One variable of every integer width, each preset to a sentinel.
struct Variables {
    uint8_t u8 = 0x5A;
    uint16_t u16 = 0x5A5A;
    uint32_t u32 = 0x5A5A5A5A;
    uint64_t u64 = 0x5A5A5A5A5A5A5A5Aull;
    int8_t s8 = 0x2A;
    int16_t s16 = 0x2A2A;
    int32_t s32 = 0x2A2A2A2A;
    int64_t s64 = 0x2A2A2A2A2A2A2A2All;

    // Binds the variable of `type` and answers its value.
    long double Bind(CBoundValue& value, uint32_t type) {
        const std::map<uint32_t, std::function<long double()>> binders = {
            {0x11, [&] { return value.BindUInt8(&u8), (long double)u8; }},
            {0x12, [&] { return value.BindUInt16(&u16), (long double)u16; }},
            {0x14, [&] { return value.BindUInt32(&u32), (long double)u32; }},
            {0x18, [&] { return value.BindUInt64(&u64), (long double)u64; }},
            {0x31, [&] { return value.BindInt8(&s8), (long double)s8; }},
            {0x32, [&] { return value.BindInt16(&s16), (long double)s16; }},
            {0x34, [&] { return value.BindInt32(&s32), (long double)s32; }},
            {0x38, [&] { return value.BindInt64(&s64), (long double)s64; }},
        };
        return binders.at(type)();
    }
    long double Read(uint32_t type) {
        CBoundValue scratch;
        return Bind(scratch, type);
    }
};

} // namespace

// ---- Range rule across all widths --------------------------------------------

TEST(CValueRange, OwnedGettersFollowRangeRuleAcrossWidths) {
    for (uint32_t from : kIntegerTypes) {
        for (long double v : BoundaryValues()) {
            if (!InRange(v, from))
                continue;
            COwnedValue value;
            ASSERT_TRUE(SetAs(value, from, v));
            EXPECT_EQ(from, value.GetType());
            for (uint32_t to : kIntegerTypes) {
                long double got = 0;
                const bool ok = GetAs(value, to, got);
                EXPECT_EQ(InRange(v, to), ok) << std::hex << from << " -> " << to << " value " << std::dec << (double)v;
                if (ok) {
                    EXPECT_EQ(v, got);
                }
            }
        }
    }
}

TEST(CValueRange, BoundSettersFollowRangeRuleAcrossWidths) {
    for (uint32_t bound : kIntegerTypes) {
        for (uint32_t from : kIntegerTypes) {
            for (long double v : BoundaryValues()) {
                if (!InRange(v, from))
                    continue;
                Variables vars;
                CBoundValue value;
                const long double before = vars.Bind(value, bound);
                const bool ok = SetAs(value, from, v);
                EXPECT_EQ(InRange(v, bound), ok) << std::hex << from << " into " << bound;
                EXPECT_EQ(ok ? v : before, vars.Read(bound)) << std::hex << from << " into " << bound;
            }
        }
    }
}

TEST(CValueRange, BoundGettersFollowRangeRuleAcrossWidths) {
    for (uint32_t bound : kIntegerTypes) {
        for (long double v : BoundaryValues()) {
            if (!InRange(v, bound))
                continue;
            Variables vars;
            CBoundValue value;
            vars.Bind(value, bound);
            ASSERT_TRUE(SetAs(value, bound, v));
            for (uint32_t to : kIntegerTypes) {
                long double got = 0;
                const bool ok = GetAs(value, to, got);
                EXPECT_EQ(InRange(v, to), ok) << std::hex << bound << " -> " << to;
                if (ok) {
                    EXPECT_EQ(v, got);
                }
            }
        }
    }
}

TEST(CValueRange, BoundUInt8TakesOnlyWhatFitsAndNoBool) {
    uint8_t variable = 7;
    CBoundValue value;
    ASSERT_TRUE(value.BindUInt8(&variable));
    EXPECT_EQ(0x11u, value.GetType());
    EXPECT_TRUE(value.SetUInt64(255));
    EXPECT_EQ(255, variable);
    variable = 7;
    EXPECT_FALSE(value.SetUInt64(256));
    EXPECT_FALSE(value.SetInt8(-1));
    EXPECT_FALSE(value.SetBool(true));
    EXPECT_FALSE(value.SetPointer(1));
    EXPECT_FALSE(value.SetString(CNarrowString("1")));
    EXPECT_EQ(7, variable);
}

TEST(CValueRange, BoundInt16NegativeRefusesUnsignedGetters) {
    int16_t variable = -5;
    CBoundValue value;
    ASSERT_TRUE(value.BindInt16(&variable));
    int64_t wide = 0;
    EXPECT_TRUE(value.GetInt64(wide));
    EXPECT_EQ(-5, wide);
    uint8_t u8 = 9;
    uint64_t u64 = 9;
    EXPECT_FALSE(value.GetUInt8(u8));
    EXPECT_FALSE(value.GetUInt64(u64));
    EXPECT_EQ(9, u8);
    EXPECT_EQ(9u, u64);
}

TEST(CValueRange, OwnedNarrowSignedGettersLeaveLowBitsOnFailure) {
    COwnedValue value;
    value.SetInt8(-1);
    uint8_t u8 = 9;
    EXPECT_FALSE(value.GetUInt8(u8));
    EXPECT_EQ(9, u8);
    int32_t s32 = 0;
    EXPECT_TRUE(value.GetInt32(s32));
    EXPECT_EQ(-1, s32);

    value.SetInt32(300); // 0x12C
    int8_t s8 = 0;
    EXPECT_FALSE(value.GetInt8(s8));
    EXPECT_EQ(0x2C, s8);

    // An unsigned value that does not fit leaves the output alone.
    value.SetUInt32(300);
    s8 = 1;
    EXPECT_FALSE(value.GetInt8(s8));
    EXPECT_EQ(1, s8);
}

// ---- Owned and bound values: types, strings, reset ---------------------------

TEST(COwnedValue, KindsNeverConvert) {
    COwnedValue value;
    EXPECT_EQ(0u, value.GetType());
    value.SetPointer(reinterpret_cast<uintptr_t>(&value));
    EXPECT_EQ(0x01u, value.GetType());
    uintptr_t p = 0;
    EXPECT_TRUE(value.GetPointer(p));
    EXPECT_EQ(reinterpret_cast<uintptr_t>(&value), p);
    bool b = false;
    uint64_t q = 0;
    EXPECT_FALSE(value.GetBool(b));
    EXPECT_FALSE(value.GetQword(q));
    value.SetBool(true);
    EXPECT_FALSE(value.GetQword(q));
    EXPECT_FALSE(value.GetPointer(p));
    value.Clear();
    EXPECT_EQ(0u, value.GetType());
    EXPECT_FALSE(value.GetBool(b));
}

TEST(COwnedValue, StringKeepsItsOwnWidthAndCopies) {
    COwnedValue value;
    CWideString wide(u"\u0441AB");
    ASSERT_TRUE(value.SetString(wide));
    const CString* held = nullptr;
    ASSERT_TRUE(value.GetStringObject(held));
    EXPECT_NE(&wide, held);
    EXPECT_EQ(2, held->GetKind());
    EXPECT_EQ(0, held->CompareString(wide));

    std::unique_ptr<CString> copy(value.CopyString());
    ASSERT_TRUE(copy);
    EXPECT_NE(held, copy.get());
    EXPECT_EQ(2, copy->GetKind());

    CNarrowString narrow;
    EXPECT_TRUE(value.GetString(narrow));
    EXPECT_STREQ("AAB", narrow.GetNarrow()); // U+0441 keeps its low byte

    // Storing the held string into its own value keeps the text.
    ASSERT_TRUE(value.SetString(*held));
    ASSERT_TRUE(value.GetStringObject(held));
    EXPECT_EQ(0, held->CompareString(wide));

    value.SetUInt8(1);
    EXPECT_EQ(nullptr, value.CopyString());
    EXPECT_FALSE(value.GetString(narrow));
}

TEST(COwnedValue, ResetKeepsTheType) {
    COwnedValue value;
    value.SetInt32(-7);
    value.Reset();
    EXPECT_EQ(0x34u, value.GetType());
    int32_t s = 1;
    EXPECT_TRUE(value.GetInt32(s));
    EXPECT_EQ(0, s);

    value.SetString(CNarrowString("abc"));
    value.Reset();
    EXPECT_EQ(0x80u, value.GetType());
    const CString* text = nullptr;
    ASSERT_TRUE(value.GetStringObject(text));
    EXPECT_TRUE(text->IsEmpty());
}

TEST(CBoundValue, StringAndBoolWorkOnTheVariable) {
    CNarrowString text("old");
    CBoundValue value;
    ASSERT_TRUE(value.BindString(&text));
    EXPECT_EQ(0x80u, value.GetType());
    EXPECT_EQ(&text, value.GetTarget());
    EXPECT_TRUE(value.SetString(CWideString(u"new")));
    EXPECT_STREQ("new", text.GetNarrow());
    const CString* object = nullptr;
    ASSERT_TRUE(value.GetStringObject(object));
    EXPECT_EQ(&text, object);
    EXPECT_FALSE(value.SetBool(true));
    EXPECT_FALSE(value.SetUInt8(1));

    bool flag = false;
    CBoundValue flagValue;
    ASSERT_TRUE(flagValue.BindBool(&flag));
    EXPECT_TRUE(flagValue.SetBool(true));
    EXPECT_TRUE(flag);
    EXPECT_FALSE(flagValue.SetString(CNarrowString("1")));
    EXPECT_FALSE(flagValue.SetInt8(0));
    EXPECT_EQ(nullptr, flagValue.CopyString());
}

TEST(CBoundValue, ResetWritesEmptyValuesAndClearUnbinds) {
    int32_t number = 12;
    bool flag = true;
    CNarrowString text("abc");
    uintptr_t pointer = 99;
    CBoundValue a, b, c, d;
    a.BindInt32(&number);
    b.BindBool(&flag);
    c.BindString(&text);
    d.BindPointer(&pointer);
    a.Reset();
    b.Reset();
    c.Reset();
    d.Reset();
    EXPECT_EQ(0, number);
    EXPECT_FALSE(flag);
    EXPECT_TRUE(text.IsEmpty());
    EXPECT_EQ(0u, pointer);

    number = 12;
    a.Clear();
    EXPECT_EQ(0u, a.GetType());
    EXPECT_EQ(nullptr, a.GetTarget());
    EXPECT_FALSE(a.SetInt32(5));
    a.Reset();
    EXPECT_EQ(12, number);

    CBoundValue unbound;
    EXPECT_FALSE(unbound.BindInt32(nullptr));
    EXPECT_EQ(0u, unbound.GetType());
}

TEST(CValueAssign, OwnedTakesSourceTypeBoundConverts) {
    int32_t number = -3;
    CBoundValue source;
    source.BindInt32(&number);
    COwnedValue owned;
    ASSERT_TRUE(owned.Assign(source));
    EXPECT_EQ(0x34u, owned.GetType());

    COwnedValue big;
    big.SetInt64(200);
    uint8_t small = 1;
    CBoundValue target;
    target.BindUInt8(&small);
    EXPECT_TRUE(target.Assign(big));
    EXPECT_EQ(200, small);
    big.SetInt64(300);
    EXPECT_FALSE(target.Assign(big));
    EXPECT_EQ(200, small);

    COwnedValue empty;
    EXPECT_FALSE(owned.Assign(empty));
    EXPECT_EQ(0x34u, owned.GetType());

    CNarrowString text;
    CBoundValue textValue;
    textValue.BindString(&text);
    COwnedValue wide;
    wide.SetString(CWideString(u"wide"));
    EXPECT_TRUE(textValue.Assign(wide));
    EXPECT_STREQ("wide", text.GetNarrow());

    COwnedValue pointer;
    pointer.SetPointer(42);
    COwnedValue pointerCopy;
    EXPECT_TRUE(pointerCopy.Assign(pointer));
    uintptr_t p = 0;
    EXPECT_TRUE(pointerCopy.GetPointer(p));
    EXPECT_EQ(42u, p);
}

// ---- Typed value records -------------------------------------------------------

TEST(CValueRecord, WritesEveryTypeByteForByte) {
    struct Row {
        const char* what;
        void (*set)(COwnedValue&);
        Bytes bytes;
    };
    const Row rows[] = {
        {"u8", [](COwnedValue& v) { v.SetUInt8(0x12); }, {0x00, 0x11, 0x12}},
        {"u16", [](COwnedValue& v) { v.SetUInt16(0x1234); }, {0x03, 0x12, 0x34, 0x12}},
        {"u32", [](COwnedValue& v) { v.SetUInt32(0x12345678); }, {0x05, 0x14, 0x78, 0x56, 0x34, 0x12}},
        {"u64",
         [](COwnedValue& v) { v.SetUInt64(0x0102030405060708ull); },
         {0x09, 0x18, 0x08, 0x07, 0x06, 0x05, 0x04, 0x03, 0x02, 0x01}},
        {"s8", [](COwnedValue& v) { v.SetInt8(-1); }, {0x02, 0x31, 0xFF}},
        {"s16", [](COwnedValue& v) { v.SetInt16(-2); }, {0x01, 0x32, 0xFE, 0xFF}},
        {"s32", [](COwnedValue& v) { v.SetInt32(3); }, {0x07, 0x34, 0x03, 0x00, 0x00, 0x00}},
        {"s64", [](COwnedValue& v) { v.SetInt64(-2); }, {0x0B, 0x38, 0xFE, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF}},
        {"true", [](COwnedValue& v) { v.SetBool(true); }, {0x04, 0x40, 0xFF}},
        {"false", [](COwnedValue& v) { v.SetBool(false); }, {0x04, 0x40, 0x00}},
        {"narrow",
         [](COwnedValue& v) { v.SetString(CNarrowString("ab")); },
         {0x08, 0x80, 0x81, 0x83, 0x02, 0x00, 0x61, 0x62}},
        {"wide",
         [](COwnedValue& v) { v.SetString(CWideString(u"AB")); },
         {0x08, 0x80, 0x92, 0x96, 0x04, 0x00, 0x41, 0x00, 0x42, 0x00}},
        {"empty", [](COwnedValue& v) { v.SetString(CNarrowString()); }, {0x08, 0x80, 0x81, 0x81, 0x00, 0x00}},
    };
    for (const Row& row : rows) {
        COwnedValue value;
        row.set(value);
        bool ok = false;
        EXPECT_EQ(row.bytes, Written(value, &ok)) << row.what;
        EXPECT_TRUE(ok) << row.what;

        // And each reads back into an owned value as the same type and value.
        ByteStream in(row.bytes);
        COwnedValue back;
        ASSERT_TRUE(back.Read(&in.stream)) << row.what;
        EXPECT_EQ(value.GetType(), back.GetType()) << row.what;
        EXPECT_EQ(static_cast<int64_t>(row.bytes.size()), in.stream.GetPosition()) << row.what;
        EXPECT_EQ(row.bytes, Written(back)) << row.what;
    }
}

TEST(CValueRecord, BoundBoolTrueWritesFF) {
    bool flag = true;
    CBoundValue value;
    value.BindBool(&flag);
    EXPECT_EQ((Bytes{0x04, 0x40, 0xFF}), Written(value));
}

TEST(CValueRecord, PointerAndNoneWriteOnlyTheirHeader) {
    COwnedValue pointer;
    pointer.SetPointer(5);
    bool ok = true;
    EXPECT_EQ((Bytes{0x01, 0x01}), Written(pointer, &ok));
    EXPECT_FALSE(ok);
    CBoundValue unbound;
    ok = true;
    EXPECT_EQ((Bytes{0x00, 0x00}), Written(unbound, &ok));
    EXPECT_FALSE(ok);
}

TEST(CValueRecord, ReadChecksTheHeader) {
    bool flag = false;
    CBoundValue value;
    value.BindBool(&flag);
    {
        ByteStream in({0x04, 0x40, 0x07});
        EXPECT_TRUE(value.Read(&in.stream));
        EXPECT_TRUE(flag);
    }
    flag = false;
    const Bytes refused[] = {
        {0x05, 0x40, 0xFF},                         // wrong check byte
        {0x01, 0x01, 0x00},                         // pointer: no record
        {0x00, 0x00},                               // none: no record
        {0x01, 0x41, 0x00},                         // unknown type
        {0x04, 0x40},                               // value missing
        {0x04},                                     // header cut short
        {0x08, 0x80, 0x81, 0x83, 0x02, 0x00, 0x61}, // string cut short
    };
    for (const Bytes& bytes : refused) {
        ByteStream in(bytes);
        EXPECT_FALSE(value.Read(&in.stream));
        EXPECT_FALSE(flag);
    }
}

TEST(CValueRecord, WrongTypeReadConsumesRecordAndAnswersFalse) {
    const Bytes records[] = {
        {0x00, 0x11, 0x05},
        {0x07, 0x34, 0x03, 0x00, 0x00, 0x00},
        {0x04, 0x40, 0xFF},
        {0x08, 0x80, 0x81, 0x83, 0x02, 0x00, 0x61, 0x62},
    };
    for (const Bytes& record : records) {
        Variables vars;
        bool flag = false;
        CNarrowString text("keep");
        CBoundValue asInteger, asBool, asString;
        vars.Bind(asInteger, 0x31);
        asBool.BindBool(&flag);
        asString.BindString(&text);
        const uint32_t recordType = record[1];
        for (CBoundValue* value : {&asInteger, &asBool, &asString}) {
            const bool matches = value->GetType() == recordType ||
                                 (CValue::IsIntegerType(value->GetType()) && CValue::IsIntegerType(recordType));
            ByteStream in(record);
            EXPECT_EQ(matches, value->Read(&in.stream)) << std::hex << recordType << " into " << value->GetType();
            EXPECT_EQ(static_cast<int64_t>(record.size()), in.stream.GetPosition());
        }
        if (recordType != 0x40) {
            EXPECT_FALSE(flag);
        }
        if (recordType != 0x80) {
            EXPECT_STREQ("keep", text.GetNarrow());
        }
    }
}

TEST(CValueRecord, StringRecordAssignsTheBoundString) {
    CWideString text(u"old");
    CBoundValue value;
    value.BindString(&text);
    ByteStream in({0x08, 0x80, 0x81, 0x83, 0x02, 0x00, 0x61, 0x62});
    EXPECT_TRUE(value.Read(&in.stream));
    EXPECT_EQ(0, text.CompareNarrow("ab"));
}

TEST(CValueRecord, ReadAndCompareTellsAChange) {
    uint8_t variable = 5;
    CBoundValue value;
    value.BindUInt8(&variable);
    struct Row {
        Bytes record;
        bool result;
        bool changed;
        uint8_t after;
    };
    const Row rows[] = {
        {{0x00, 0x11, 0x05}, true, false, 5},
        {{0x07, 0x34, 0x05, 0x00, 0x00, 0x00}, true, false, 5}, // same value, other width
        {{0x00, 0x11, 0x06}, true, true, 6},
        {{0x03, 0x12, 0x2C, 0x01}, false, true, 6}, // 300 does not fit
        {{0x04, 0x40, 0x00}, false, true, 6},       // not an integer
    };
    for (const Row& row : rows) {
        ByteStream in(row.record);
        bool changed = !row.changed;
        EXPECT_EQ(row.result, value.ReadAndCompare(&in.stream, changed));
        EXPECT_EQ(row.changed, changed);
        EXPECT_EQ(row.after, variable);
    }

    CNarrowString text("ab");
    CBoundValue textValue;
    textValue.BindString(&text);
    ByteStream same({0x08, 0x80, 0x92, 0x96, 0x04, 0x00, 0x61, 0x00, 0x62, 0x00});
    bool changed = true;
    EXPECT_TRUE(textValue.ReadAndCompare(&same.stream, changed));
    EXPECT_FALSE(changed);

    ByteStream truncated({0x00, 0x11});
    changed = true;
    EXPECT_FALSE(value.ReadAndCompare(&truncated.stream, changed));
    EXPECT_TRUE(changed);
}
