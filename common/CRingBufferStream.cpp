#include "common/CRingBufferStream.h"

#include <algorithm>
#include <cstring>
#include <memory>
#include <new>

namespace common {

namespace {

// Room left beyond the bytes needed when the ring grows: a quarter of the old
// length plus 1 KiB, so that steady appends do not reallocate every time.
int64_t Slack(int64_t length) {
    return length / 4 + 1024;
}

} // namespace

CRingBufferStream::CRingBufferStream() : m_fill(0), m_head(0) {}

CRingBufferStream::~CRingBufferStream() = default;

void CRingBufferStream::CopyFromRing(void* data, int64_t offset, int64_t count) const {
    if (count <= 0)
        return;
    const int64_t start = (m_head + offset) % m_size;
    const int64_t first = std::min(count, m_size - start);
    uint8_t* out = static_cast<uint8_t*>(data);
    std::memcpy(out, m_buffer + start, static_cast<size_t>(first));
    if (count > first)
        std::memcpy(out + first, m_buffer, static_cast<size_t>(count - first));
}

void CRingBufferStream::CopyToRing(const void* data, int64_t offset, int64_t count) {
    if (count <= 0)
        return;
    const int64_t start = (m_head + offset) % m_size;
    const int64_t first = std::min(count, m_size - start);
    const uint8_t* in = static_cast<const uint8_t*>(data);
    std::memcpy(m_buffer + start, in, static_cast<size_t>(first));
    if (count > first)
        std::memcpy(m_buffer, in + first, static_cast<size_t>(count - first));
}

void CRingBufferStream::CutPosition() {
    if (m_position > m_fill)
        SetPosition(m_fill);
}

int64_t CRingBufferStream::GetSize() const {
    return m_fill;
}

bool CRingBufferStream::SetSize(int64_t size) {
    if (size < 0 || !Reserve(-1))
        return false;
    if (!CMemoryStream::SetSize(size))
        return false;
    m_fill = size;
    CutPosition();
    return true;
}

bool CRingBufferStream::Seek(int64_t position) {
    if (position < 0 || position > m_fill)
        return false;
    SetPosition(position);
    return true;
}

int64_t CRingBufferStream::Read(void* buffer, int64_t count) {
    if (!buffer || count <= 0 || !m_buffer)
        return 0;
    count = std::min(count, m_fill - m_position);
    if (count <= 0)
        return 0;
    CopyFromRing(buffer, m_position, count);
    SetPosition(m_position + count);
    return count;
}

int64_t CRingBufferStream::Write(const void* buffer, int64_t count) {
    if (!buffer || count <= 0)
        return 0;
    count = std::min(count, kMaxBufferBytes);
    int64_t written = 0;
    if (m_buffer && m_head + m_position + count <= m_size) {
        std::memcpy(m_buffer + m_head + m_position, buffer, static_cast<size_t>(count));
        SetPosition(m_position + count);
        written = count;
    } else {
        const int64_t end = m_position + count;
        if (end <= m_size)
            Reserve(-1);
        else
            Reserve(std::max(m_fill, end) - m_fill + Slack(m_size));
        if (m_head != 0)
            return 0; // could not be made contiguous
        written = CMemoryStream::Write(buffer, count);
    }
    if (m_position > m_fill)
        m_fill = m_position;
    return written;
}

int64_t CRingBufferStream::ReadAt(void* buffer, int64_t position, int64_t count) {
    if (position < 0)
        return 0;
    SetPosition(std::min(position, m_fill));
    return Read(buffer, count);
}

int64_t CRingBufferStream::WriteAt(const void* buffer, int64_t position, int64_t count) {
    if (position < 0)
        return 0;
    if (position > m_fill) {
        SetPosition(m_fill);
        return 0;
    }
    SetPosition(position);
    return Write(buffer, count);
}

bool CRingBufferStream::Create(int64_t size, int64_t growStep) {
    if (!CMemoryStream::Create(size, growStep))
        return false;
    m_fill = 0;
    m_head = 0;
    return true;
}

bool CRingBufferStream::Attach(void* buffer, int64_t size) {
    if (!CMemoryStream::Attach(buffer, size))
        return false;
    m_fill = 0;
    m_head = 0;
    return true;
}

void CRingBufferStream::Release() {
    CMemoryStream::Release();
    m_fill = 0;
    m_head = 0;
}

uint8_t* CRingBufferStream::GetBuffer() {
    if (!m_buffer)
        return nullptr;
    if (m_head + m_fill > m_size) {
        Reserve(-1);
        if (m_head != 0)
            return nullptr;
    }
    return m_buffer + m_head;
}

bool CRingBufferStream::Reserve(int64_t count) {
    const int64_t target = count < 0 ? m_size : m_fill + std::min(count, kMaxBufferBytes);
    bool resized;
    if (m_fill == 0 || m_head == 0) {
        resized = CMemoryStream::SetSize(target);
    } else {
        std::unique_ptr<uint8_t[]> held(new (std::nothrow) uint8_t[static_cast<size_t>(m_fill)]);
        if (!held)
            return false;
        CopyFromRing(held.get(), 0, m_fill);
        resized = CMemoryStream::SetSize(target);
        std::memcpy(m_buffer, held.get(), static_cast<size_t>(std::min(m_fill, m_size)));
    }
    m_head = 0;
    m_fill = std::min(m_fill, m_size);
    CutPosition();
    return resized;
}

int64_t CRingBufferStream::CopyIn(const void* buffer, int64_t count) {
    if (!buffer || count <= 0)
        return 0;
    count = std::min(count, kMaxBufferBytes);
    if (m_fill + count > m_size) {
        if (!Reserve(count + Slack(m_size)) || m_fill + count > m_size)
            return 0;
    }
    CopyToRing(buffer, m_fill, count);
    m_fill += count;
    return count;
}

int64_t CRingBufferStream::CopyOut(void* buffer, int64_t count, bool consume) {
    if (!buffer || count <= 0)
        return 0;
    count = std::min(count, m_fill);
    if (count == 0)
        return 0;
    CopyFromRing(buffer, 0, count);
    if (consume) {
        m_fill -= count;
        m_head = (m_head + count) % m_size;
        CutPosition();
    }
    return count;
}

void CRingBufferStream::Discard(int64_t count) {
    if (count < 0 || count > m_fill)
        count = m_fill;
    m_head += count;
    if (m_head >= m_size)
        m_head -= m_size;
    m_fill -= count;
    if (m_fill == 0)
        m_head = 0;
    // The position stays where it was unless the held bytes no longer reach it.
    CutPosition();
}

} // namespace common
