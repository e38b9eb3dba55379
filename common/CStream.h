#pragma once
// Abstract byte stream with 64-bit sizes, positions and counts. Files, memory
// buffers and disk images all sit behind this interface, and the record
// serializer sees nothing else. No operation throws: a failure is a false
// result or a count of 0.
#include <cstdint>

namespace common {

class CStream {
public:
    virtual ~CStream();

    CStream(const CStream&) = delete;
    CStream& operator=(const CStream&) = delete;

    // The stream has a file or a buffer.
    virtual bool IsOpen() const = 0;
    // The stream can enlarge its storage by itself.
    virtual bool IsGrowable() const = 0;
    virtual bool CanSeek() const = 0;
    virtual bool CanRead() const = 0;
    virtual bool CanWrite() const = 0;
    // Bytes in the stream.
    virtual int64_t GetSize() const = 0;
    virtual bool SetSize(int64_t size) = 0;
    virtual int64_t GetPosition() const = 0;
    // Sets the position, counted from the start.
    virtual bool Seek(int64_t position) = 0;
    // Transfer at the position and advance it; the result is the number of
    // bytes moved (0 for a count of 0 or below).
    virtual int64_t Read(void* buffer, int64_t count) = 0;
    virtual int64_t Write(const void* buffer, int64_t count) = 0;
    // Seek, then Read or Write; 0 when the seek fails.
    virtual int64_t ReadAt(void* buffer, int64_t position, int64_t count);
    virtual int64_t WriteAt(const void* buffer, int64_t position, int64_t count);

protected:
    CStream() = default;
};

} // namespace common
