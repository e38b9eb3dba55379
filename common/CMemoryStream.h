#pragma once
// A stream over a memory buffer: either one it owns (Create), which may grow
// by a fixed or an automatic step, or a caller's buffer used in place (Attach),
// which never changes size.
#include <cstdint>

#include "common/CStream.h"

namespace common {

class CMemoryStream : public CStream {
public:
    // The largest buffer a memory stream allocates or attaches (1 TiB, and no
    // more than the address space can hold); larger requests fail.
    static const int64_t kMaxBufferBytes;

    CMemoryStream();
    ~CMemoryStream() override;

    bool IsOpen() const override;
    bool IsGrowable() const override;
    bool CanSeek() const override;
    bool CanRead() const override;
    bool CanWrite() const override;
    int64_t GetSize() const override;
    // Reallocates an owned, growable buffer to exactly that many bytes, keeping
    // the old ones (new bytes are zeros); false for an attached or fixed buffer.
    bool SetSize(int64_t size) override;
    int64_t GetPosition() const override;
    // Succeeds for 0 <= position <= size: a memory stream never seeks past its data.
    bool Seek(int64_t position) override;
    int64_t Read(void* buffer, int64_t count) override;
    // Writes at the position, growing the storage when it may; what does not
    // fit is cut off, and the result tells how much was written.
    int64_t Write(const void* buffer, int64_t count) override;
    // A position beyond the size moves the position to the size and transfers
    // nothing; a negative one transfers nothing.
    int64_t ReadAt(void* buffer, int64_t position, int64_t count) override;
    int64_t WriteAt(const void* buffer, int64_t position, int64_t count) override;

    // Enlarges the storage by the grow step (automatic: 64 KiB, then a half,
    // a third or a quarter of the data as it grows), at least by `minimum`.
    virtual bool Grow(int64_t minimum);
    // Allocates an owned buffer of `size` data bytes (1024 bytes of room when
    // size is 0), zero-filled. growStep: 0 never grows, > 0 grows by at least
    // that many bytes, < 0 grows by the automatic step. Fails when a buffer is
    // present, size is negative, or both arguments are 0.
    virtual bool Create(int64_t size, int64_t growStep);
    // Uses the caller's buffer in place without owning it; fails for a null
    // buffer, a negative size or when a buffer is present.
    virtual bool Attach(void* buffer, int64_t size);
    // Frees an owned buffer (an attached one is left alone) and empties the stream.
    virtual void Release();
    virtual uint8_t* GetBuffer();

    // Bytes of storage allocated (or attached).
    int64_t GetCapacity() const { return m_capacity; }

protected:
    void SetPosition(int64_t position);
    // New zero-filled storage, or null when the size is out of range or the
    // allocation fails.
    static uint8_t* Allocate(int64_t size);

    uint8_t* m_buffer; // owned when m_owned, else the caller's; null when empty
    uint8_t* m_cursor; // always m_buffer + m_position
    bool m_owned;
    int64_t m_growStep;
    int64_t m_size;
    int64_t m_capacity;
    int64_t m_position;
};

} // namespace common
