#pragma once
// Record serializer: the byte format of machine states, device data sections
// and the names inside settings files.
//
// Three layers, every integer little-endian:
//   name record   kind, check, u16 byte length, text bytes (no terminator)
//                   kind = 0x80 | (charSize - 1) << 4 | string kind
//                   (0x81 narrow, 0x92 wide; wide text is UTF-16LE)
//                   check = kind ^ (length & 0xFF) ^ (length >> 8)
//   typed field   F8, name record, type byte, value
//                   00/01/03/07 unsigned 8..64 bit, 40/41/43/47 signed
//                   8..64 bit (a bool is 40), 80/81 narrow/wide string
//                   (u32 count including the terminator, then the
//                   characters), C0 blob (u32 size, then the bytes)
//   chunk         F0 name record, fields and chunks, FF name record
//
// The format has no lengths for chunks and no directory: a reader asks for
// exactly what the writer wrote, in order, and the first mismatch fails.
// Every count found in a stream is checked against the bytes the stream still
// holds before anything is allocated or read, so damaged or hostile input is
// refused with false instead of a huge allocation or a read past the end.
#include <cstdint>

namespace common {

class CStream;
class CString;

// Writes the name record of any string object; false when the text is longer
// than 0xFFFF bytes, its character size is not 1 or 2 (nothing written then),
// or a write falls short.
bool WriteStringRecord(CStream* stream, const CString& text);

// Reads one name record. With `into` the text is assigned to that string
// (converted by its own assignment when the widths differ) and `into` is
// returned; without it a new CNarrowString or CWideString of the record's
// kind is returned and the caller owns it. Null on any failure.
CString* ReadStringRecord(CStream* stream, CString* into);

class CStreamHolder {
public:
    static constexpr uint8_t kFieldMarker = 0xF8;
    static constexpr uint8_t kChunkBegin = 0xF0;
    static constexpr uint8_t kChunkEnd = 0xFF;

    static constexpr uint8_t kTypeUInt8 = 0x00;
    static constexpr uint8_t kTypeUInt16 = 0x01;
    static constexpr uint8_t kTypeUInt32 = 0x03;
    static constexpr uint8_t kTypeUInt64 = 0x07;
    static constexpr uint8_t kTypeInt8 = 0x40;
    static constexpr uint8_t kTypeInt16 = 0x41;
    static constexpr uint8_t kTypeInt32 = 0x43;
    static constexpr uint8_t kTypeInt64 = 0x47;
    static constexpr uint8_t kTypeBool = 0x40;
    static constexpr uint8_t kTypeNarrowString = 0x80;
    static constexpr uint8_t kTypeWideString = 0x81;
    static constexpr uint8_t kTypeBlob = 0xC0;

    // The holder works on `stream` for one save or load; with `ownsStream`
    // it deletes the stream when it is destroyed.
    explicit CStreamHolder(CStream* stream, bool ownsStream = false);
    virtual ~CStreamHolder();

    CStreamHolder(const CStreamHolder&) = delete;
    CStreamHolder& operator=(const CStreamHolder&) = delete;

    CStream* GetStream() const { return m_stream; }
    // The bytes from the stream's position to its end (0 without a stream):
    // what a reader checks a loaded size against before it allocates.
    int64_t GetBytesLeft() const;

    // Typed fields. Writers take (value, name), readers (variable, expected
    // name); a reader requires the exact name and type byte (no widening) and
    // leaves the variable untouched unless the whole value arrived.
    bool WriteUInt8Field(const uint8_t& value, const CString& name);
    bool WriteUInt16Field(const uint16_t& value, const CString& name);
    bool WriteUInt32Field(const uint32_t& value, const CString& name);
    bool WriteUInt64Field(const uint64_t& value, const CString& name);
    bool WriteInt8Field(const int8_t& value, const CString& name);
    bool WriteInt16Field(const int16_t& value, const CString& name);
    bool WriteInt32Field(const int32_t& value, const CString& name);
    bool WriteInt64Field(const int64_t& value, const CString& name);
    bool WriteBoolField(const bool& value, const CString& name);

    bool ReadUInt8Field(uint8_t& value, const CString& name);
    bool ReadUInt16Field(uint16_t& value, const CString& name);
    bool ReadUInt32Field(uint32_t& value, const CString& name);
    bool ReadUInt64Field(uint64_t& value, const CString& name);
    bool ReadInt8Field(int8_t& value, const CString& name);
    bool ReadInt16Field(int16_t& value, const CString& name);
    bool ReadInt32Field(int32_t& value, const CString& name);
    bool ReadInt64Field(int64_t& value, const CString& name);
    bool ReadBoolField(bool& value, const CString& name); // any non-zero byte is true

    // A string field stores the string's own width (0x80 narrow, 0x81 wide)
    // and its terminator. The reader accepts either width and assigns the text
    // to `value` through its own conversion; a text that does not come back
    // whole (an embedded zero character) is reported as a failure.
    bool WriteStringField(const CString& value, const CString& name);
    bool ReadStringField(CString& value, const CString& name);

    // A blob of `size` bytes (below 2^32). The reader requires the stored
    // size to equal `size` and fills the caller's buffer.
    bool WriteBlobField(const void* data, int64_t size, const CString& name);
    bool ReadBlobField(void* data, int64_t size, const CString& name);

    // Chunks: WriteMarker(kChunkBegin, name), contents, WriteMarker(kChunkEnd,
    // name); read back with ReadMarker(name, kChunkBegin, nullptr), the same
    // reads, ReadMarker(name, kChunkEnd, nullptr).
    bool WriteMarker(uint8_t marker, const CString& name);
    // Reads a marker byte that must equal `marker`; then, with `nameOut`, reads
    // the following name into it (any name is accepted), else requires the
    // name to equal `name`.
    bool ReadMarker(const CString& name, uint8_t marker, CString* nameOut);
    // Reads one name record and compares it exactly with `name`.
    bool ReadNameAndCompare(const CString& name);

private:
    bool WriteBytes(const void* data, int64_t count);
    bool ReadBytes(void* data, int64_t count);
    bool WriteFieldHead(const CString& name, uint8_t type);
    bool ReadFieldHead(const CString& name, uint8_t& type);
    bool WriteInteger(uint64_t bits, int size, uint8_t type, const CString& name);
    bool ReadInteger(uint64_t& bits, int size, uint8_t type, const CString& name);

    CStream* m_stream; // the caller's, or ours when m_ownsStream
    bool m_ownsStream;
};

} // namespace common
