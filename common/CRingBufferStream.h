#pragma once
// A memory stream whose buffer is used as a ring: bytes are appended at the
// tail (CopyIn) and taken from the head (CopyOut, Discard) without moving the
// rest. The inherited size is the ring's length; held byte k lies at index
// (head + k) modulo that length. GetSize answers the bytes held, and the
// position counts from the head within them.
#include "common/CMemoryStream.h"

namespace common {

class CRingBufferStream : public CMemoryStream {
public:
    CRingBufferStream();
    ~CRingBufferStream() override;

    int64_t GetSize() const override;
    // Makes the whole ring of `size` bytes count as held.
    bool SetSize(int64_t size) override;
    // Succeeds for 0 <= position <= held bytes.
    bool Seek(int64_t position) override;
    // Reads held bytes from the position without consuming them.
    int64_t Read(void* buffer, int64_t count) override;
    // Overwrites or extends the held bytes at the position, growing the ring
    // when it may.
    int64_t Write(const void* buffer, int64_t count) override;
    int64_t ReadAt(void* buffer, int64_t position, int64_t count) override;
    int64_t WriteAt(const void* buffer, int64_t position, int64_t count) override;
    bool Create(int64_t size, int64_t growStep) override;
    bool Attach(void* buffer, int64_t size) override;
    void Release() override;
    // The held bytes, made contiguous first when they wrap; null when empty.
    uint8_t* GetBuffer() override;

    // Rearranges the ring so that the held bytes start at index 0 and resizes
    // it to hold `count` more bytes than it holds (count < 0: keep the length).
    // The bytes are rearranged even when the resize fails (a fixed buffer).
    bool Reserve(int64_t count);
    // Appends at the tail, growing the ring when needed; 0 when it cannot.
    int64_t CopyIn(const void* buffer, int64_t count);
    // Copies up to `count` held bytes from the head; with consume they leave the ring.
    int64_t CopyOut(void* buffer, int64_t count, bool consume);
    // Drops up to `count` bytes from the head (count < 0: all of them).
    void Discard(int64_t count);

private:
    // Copies `count` bytes between the ring at held offset `offset` and `data`.
    void CopyFromRing(void* data, int64_t offset, int64_t count) const;
    void CopyToRing(const void* data, int64_t offset, int64_t count);
    void CutPosition();

    int64_t m_fill; // bytes held
    int64_t m_head; // index of the first held byte
};

} // namespace common
