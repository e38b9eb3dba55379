#include "common/CStreamHolder.h"

#include <climits>
#include <new>
#include <string>

#include "common/CNarrowString.h"
#include "common/CStream.h"
#include "common/CWideString.h"
#include "common/LittleEndian.h"

namespace common {

namespace {

constexpr int kNameHeaderSize = 4;
constexpr uint8_t kNameKindFlag = 0x80; // bit 7: a name record header
constexpr int kMaxNameBytes = 0xFFFF;
constexpr uint64_t kMaxBlobSize = 0xFFFFFFFFull;
constexpr int kKindNarrow = 1;
constexpr int kKindWide = 2;

bool WriteAll(CStream* stream, const void* data, int64_t count) {
    if (count == 0)
        return true;
    return stream->Write(data, count) == count;
}

bool ReadAll(CStream* stream, void* data, int64_t count) {
    if (count == 0)
        return true;
    return stream->Read(data, count) == count;
}

// Bytes between the position and the end of the stream; -1 when the stream
// cannot say, which makes every bounded read fail.
int64_t BytesLeft(CStream* stream) {
    const int64_t size = stream->GetSize();
    const int64_t position = stream->GetPosition();
    if (position < 0 || size < position)
        return -1;
    return size - position;
}

// UTF-16 units go out little-endian whatever the host's byte order; a small
// stack buffer keeps long texts from needing a heap copy.
bool WriteUnitsLE(CStream* stream, const WChar* units, size_t count) {
    uint8_t buffer[512];
    const size_t perChunk = sizeof(buffer) / 2;
    while (count > 0) {
        const size_t n = count < perChunk ? count : perChunk;
        for (size_t i = 0; i < n; ++i)
            StoreLittle<uint64_t>(buffer + 2 * i, units[i], 2);
        if (!WriteAll(stream, buffer, static_cast<int64_t>(2 * n)))
            return false;
        units += n;
        count -= n;
    }
    return true;
}

// Reads `count` little-endian units into `text`, which is resized to hold
// them; the caller has bounded `count` by the bytes left.
bool ReadUnitsLE(CStream* stream, WideText& text, size_t count) {
    text.assign(count, WChar(0));
    if (count == 0)
        return true;
    unsigned char* bytes = reinterpret_cast<unsigned char*>(&text[0]);
    if (!ReadAll(stream, bytes, static_cast<int64_t>(2 * count)))
        return false;
    for (size_t i = 0; i < count; ++i) {
        const unsigned lo = bytes[2 * i];
        const unsigned hi = bytes[2 * i + 1];
        text[i] = static_cast<WChar>(lo | (hi << 8));
    }
    return true;
}

// The text of one name record as stored: a narrow record leaves it in
// `narrow`, a wide one in `wide` (both may hold zero characters; only the
// text up to the first one counts, as the string assignment takes it).
struct RawName {
    int kind = 0;
    std::string narrow;
    WideText wide;
};

bool ReadRawName(CStream* stream, RawName& name) {
    uint8_t header[kNameHeaderSize];
    if (!ReadAll(stream, header, kNameHeaderSize))
        return false;
    const uint8_t kind = header[0];
    const int charSize = (kind & kNameKindFlag) ? ((kind >> 4) & 7) + 1 : 0;
    if (header[1] != (kind ^ header[2] ^ header[3]))
        return false;
    name.kind = kind & 0x0F;
    if (!((name.kind == kKindNarrow && charSize == 1) || (name.kind == kKindWide && charSize == 2)))
        return false;
    const int64_t length = static_cast<int64_t>(LoadLittle<uint64_t>(header + 2, 2));
    const int64_t left = BytesLeft(stream);
    if (left < 0 || length > left)
        return false;
    try {
        if (name.kind == kKindNarrow) {
            name.narrow.assign(static_cast<size_t>(length), '\0');
            return length == 0 || ReadAll(stream, &name.narrow[0], length);
        }
        // An odd last byte cannot make a unit: it is read and dropped.
        if (!ReadUnitsLE(stream, name.wide, static_cast<size_t>(length / 2)))
            return false;
        uint8_t odd;
        return (length & 1) == 0 || ReadAll(stream, &odd, 1);
    } catch (const std::bad_alloc&) {
        return false;
    }
}

void AssignRawName(const RawName& name, CString& target) {
    if (name.kind == kKindNarrow)
        target.AssignNarrow(name.narrow.c_str(), -1);
    else
        target.AssignWide(name.wide.c_str());
}

} // namespace

bool WriteStringRecord(CStream* stream, const CString& text) {
    if (!stream)
        return false;
    const int byteLength = text.GetByteLength();
    const int charSize = text.GetCharSize();
    // Only the widths a reader accepts, so nothing unreadable is ever written.
    if (byteLength < 0 || byteLength > kMaxNameBytes || (charSize != 1 && charSize != 2))
        return false;
    uint8_t header[kNameHeaderSize];
    header[0] = static_cast<uint8_t>((text.GetKind() & 0x0F) | kNameKindFlag | ((charSize - 1) << 4));
    StoreLittle<uint64_t>(header + 2, static_cast<uint64_t>(byteLength), 2);
    header[1] = static_cast<uint8_t>(header[0] ^ header[2] ^ header[3]);
    if (!WriteAll(stream, header, kNameHeaderSize))
        return false;
    if (charSize == 1)
        return WriteAll(stream, text.GetData(), byteLength);
    return WriteUnitsLE(stream, static_cast<const WChar*>(text.GetData()), static_cast<size_t>(byteLength / 2));
}

CString* ReadStringRecord(CStream* stream, CString* into) {
    if (!stream)
        return nullptr;
    RawName name;
    if (!ReadRawName(stream, name))
        return nullptr;
    if (into) {
        AssignRawName(name, *into);
        return into;
    }
    try {
        if (name.kind == kKindNarrow)
            return new CNarrowString(name.narrow.c_str());
        return new CWideString(name.wide.c_str());
    } catch (const std::bad_alloc&) {
        return nullptr;
    }
}

CStreamHolder::CStreamHolder(CStream* stream, bool ownsStream) : m_stream(stream), m_ownsStream(ownsStream) {}

CStreamHolder::~CStreamHolder() {
    if (m_ownsStream)
        delete m_stream;
}

int64_t CStreamHolder::GetBytesLeft() const {
    const int64_t left = m_stream != nullptr ? BytesLeft(m_stream) : -1;
    return left > 0 ? left : 0;
}

bool CStreamHolder::WriteBytes(const void* data, int64_t count) {
    return m_stream && WriteAll(m_stream, data, count);
}

bool CStreamHolder::ReadBytes(void* data, int64_t count) {
    return m_stream && ReadAll(m_stream, data, count);
}

// Every write must move all its bytes: a short write in the middle of a field
// fails the field even if a later write happens to succeed.
bool CStreamHolder::WriteFieldHead(const CString& name, uint8_t type) {
    const uint8_t marker = kFieldMarker;
    return WriteBytes(&marker, 1) && WriteStringRecord(m_stream, name) && WriteBytes(&type, 1);
}

bool CStreamHolder::ReadFieldHead(const CString& name, uint8_t& type) {
    uint8_t marker = static_cast<uint8_t>(~kFieldMarker);
    if (!ReadBytes(&marker, 1) || marker != kFieldMarker)
        return false;
    if (!ReadNameAndCompare(name))
        return false;
    return ReadBytes(&type, 1);
}

bool CStreamHolder::WriteInteger(uint64_t bits, int size, uint8_t type, const CString& name) {
    uint8_t bytes[8];
    StoreLittle<uint64_t>(bytes, bits, size);
    return WriteFieldHead(name, type) && WriteBytes(bytes, size);
}

bool CStreamHolder::ReadInteger(uint64_t& bits, int size, uint8_t type, const CString& name) {
    uint8_t storedType = 0;
    if (!ReadFieldHead(name, storedType) || storedType != type)
        return false;
    uint8_t bytes[8];
    if (!ReadBytes(bytes, size))
        return false;
    bits = LoadLittle<uint64_t>(bytes, size);
    return true;
}

bool CStreamHolder::WriteUInt8Field(const uint8_t& value, const CString& name) {
    return WriteInteger(value, 1, kTypeUInt8, name);
}

bool CStreamHolder::WriteUInt16Field(const uint16_t& value, const CString& name) {
    return WriteInteger(value, 2, kTypeUInt16, name);
}

bool CStreamHolder::WriteUInt32Field(const uint32_t& value, const CString& name) {
    return WriteInteger(value, 4, kTypeUInt32, name);
}

bool CStreamHolder::WriteUInt64Field(const uint64_t& value, const CString& name) {
    return WriteInteger(value, 8, kTypeUInt64, name);
}

bool CStreamHolder::WriteInt8Field(const int8_t& value, const CString& name) {
    return WriteInteger(static_cast<uint8_t>(value), 1, kTypeInt8, name);
}

bool CStreamHolder::WriteInt16Field(const int16_t& value, const CString& name) {
    return WriteInteger(static_cast<uint16_t>(value), 2, kTypeInt16, name);
}

bool CStreamHolder::WriteInt32Field(const int32_t& value, const CString& name) {
    return WriteInteger(static_cast<uint32_t>(value), 4, kTypeInt32, name);
}

bool CStreamHolder::WriteInt64Field(const int64_t& value, const CString& name) {
    return WriteInteger(static_cast<uint64_t>(value), 8, kTypeInt64, name);
}

bool CStreamHolder::WriteBoolField(const bool& value, const CString& name) {
    return WriteInteger(value ? 1 : 0, 1, kTypeBool, name);
}

bool CStreamHolder::ReadUInt8Field(uint8_t& value, const CString& name) {
    uint64_t bits;
    if (!ReadInteger(bits, 1, kTypeUInt8, name))
        return false;
    value = static_cast<uint8_t>(bits);
    return true;
}

bool CStreamHolder::ReadUInt16Field(uint16_t& value, const CString& name) {
    uint64_t bits;
    if (!ReadInteger(bits, 2, kTypeUInt16, name))
        return false;
    value = static_cast<uint16_t>(bits);
    return true;
}

bool CStreamHolder::ReadUInt32Field(uint32_t& value, const CString& name) {
    uint64_t bits;
    if (!ReadInteger(bits, 4, kTypeUInt32, name))
        return false;
    value = static_cast<uint32_t>(bits);
    return true;
}

bool CStreamHolder::ReadUInt64Field(uint64_t& value, const CString& name) {
    return ReadInteger(value, 8, kTypeUInt64, name);
}

// Signed values travel as their two's-complement bit patterns.
bool CStreamHolder::ReadInt8Field(int8_t& value, const CString& name) {
    uint64_t bits;
    if (!ReadInteger(bits, 1, kTypeInt8, name))
        return false;
    value = static_cast<int8_t>(static_cast<uint8_t>(bits));
    return true;
}

bool CStreamHolder::ReadInt16Field(int16_t& value, const CString& name) {
    uint64_t bits;
    if (!ReadInteger(bits, 2, kTypeInt16, name))
        return false;
    value = static_cast<int16_t>(static_cast<uint16_t>(bits));
    return true;
}

bool CStreamHolder::ReadInt32Field(int32_t& value, const CString& name) {
    uint64_t bits;
    if (!ReadInteger(bits, 4, kTypeInt32, name))
        return false;
    value = static_cast<int32_t>(static_cast<uint32_t>(bits));
    return true;
}

bool CStreamHolder::ReadInt64Field(int64_t& value, const CString& name) {
    uint64_t bits;
    if (!ReadInteger(bits, 8, kTypeInt64, name))
        return false;
    value = static_cast<int64_t>(bits);
    return true;
}

bool CStreamHolder::ReadBoolField(bool& value, const CString& name) {
    uint64_t bits;
    if (!ReadInteger(bits, 1, kTypeBool, name))
        return false;
    value = bits != 0;
    return true;
}

bool CStreamHolder::WriteStringField(const CString& value, const CString& name) {
    const int charSize = value.GetCharSize();
    const int length = value.GetLength();
    if ((charSize != 1 && charSize != 2) || length < 0 || length == INT_MAX)
        return false;
    const uint8_t type = static_cast<uint8_t>(kTypeNarrowString + charSize - 1);
    uint8_t count[4];
    StoreLittle<uint64_t>(count, static_cast<uint64_t>(length) + 1, 4);
    if (!WriteFieldHead(name, type) || !WriteBytes(count, 4))
        return false;
    // The characters, then the terminating zero character.
    const uint8_t zero[2] = {0, 0};
    if (charSize == 1)
        return WriteBytes(value.GetData(), length) && WriteBytes(zero, 1);
    return m_stream &&
           WriteUnitsLE(m_stream, static_cast<const WChar*>(value.GetData()), static_cast<size_t>(length)) &&
           WriteBytes(zero, 2);
}

// The type byte is checked before the count is trusted, and the count is
// bounded by the bytes the stream still holds before anything is allocated.
bool CStreamHolder::ReadStringField(CString& value, const CString& name) {
    uint8_t type = 0;
    if (!ReadFieldHead(name, type) || (type != kTypeNarrowString && type != kTypeWideString))
        return false;
    const int64_t charSize = (type & 0x7F) + 1;
    uint8_t countBytes[4];
    if (!ReadBytes(countBytes, 4))
        return false;
    const int64_t count = static_cast<int64_t>(LoadLittle<uint64_t>(countBytes, 4));
    if (count < 1 || count - 1 > INT_MAX)
        return false;
    const int64_t left = BytesLeft(m_stream);
    if (left < 0 || count * charSize > left)
        return false;
    try {
        if (charSize == 1) {
            std::string text(static_cast<size_t>(count), '\0');
            if (!ReadBytes(&text[0], count) || text[static_cast<size_t>(count - 1)] != '\0')
                return false;
            value.AssignNarrow(text.c_str(), -1);
        } else {
            WideText text;
            if (!ReadUnitsLE(m_stream, text, static_cast<size_t>(count)) || text[static_cast<size_t>(count - 1)] != 0)
                return false;
            value.AssignWide(text.c_str());
        }
    } catch (const std::bad_alloc&) {
        return false;
    }
    // An embedded zero character cuts the text short: not the stored string.
    return value.GetLength() == count - 1;
}

bool CStreamHolder::WriteBlobField(const void* data, int64_t size, const CString& name) {
    if (size < 0 || static_cast<uint64_t>(size) > kMaxBlobSize || (!data && size > 0))
        return false;
    uint8_t count[4];
    StoreLittle<uint64_t>(count, static_cast<uint64_t>(size), 4);
    return WriteFieldHead(name, kTypeBlob) && WriteBytes(count, 4) && WriteBytes(data, size);
}

bool CStreamHolder::ReadBlobField(void* data, int64_t size, const CString& name) {
    if (size < 0 || static_cast<uint64_t>(size) > kMaxBlobSize || (!data && size > 0))
        return false;
    uint8_t type = 0;
    if (!ReadFieldHead(name, type) || type != kTypeBlob)
        return false;
    uint8_t countBytes[4];
    if (!ReadBytes(countBytes, 4) || static_cast<int64_t>(LoadLittle<uint64_t>(countBytes, 4)) != size)
        return false;
    // Refused before the caller's buffer is touched when the bytes are not there.
    const int64_t left = BytesLeft(m_stream);
    if (left < 0 || size > left)
        return false;
    return ReadBytes(data, size);
}

bool CStreamHolder::WriteMarker(uint8_t marker, const CString& name) {
    return WriteBytes(&marker, 1) && WriteStringRecord(m_stream, name);
}

bool CStreamHolder::ReadMarker(const CString& name, uint8_t marker, CString* nameOut) {
    // Preset to something other than the marker, so a read that delivers
    // nothing cannot pass.
    uint8_t stored = static_cast<uint8_t>(~marker);
    if (!ReadBytes(&stored, 1) || stored != marker)
        return false;
    if (nameOut)
        return ReadStringRecord(m_stream, nameOut) != nullptr;
    return ReadNameAndCompare(name);
}

bool CStreamHolder::ReadNameAndCompare(const CString& name) {
    if (!m_stream)
        return false;
    RawName raw;
    if (!ReadRawName(m_stream, raw))
        return false;
    try {
        if (raw.kind == kKindNarrow)
            return CNarrowString(raw.narrow.c_str()).CompareString(name) == 0;
        return CWideString(raw.wide.c_str()).CompareString(name) == 0;
    } catch (const std::bad_alloc&) {
        return false;
    }
}

} // namespace common
