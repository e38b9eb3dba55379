#include "common/CMemoryStream.h"

#include <cstddef>
#include <cstring>
#include <new>

namespace common {

namespace {

constexpr int64_t kEmptyCapacity = 1024;

// Integer fields of the record serializer are 1, 2, 4 or 8 bytes wide: those
// are stored directly, anything else is a block copy.
inline void CopyBytes(uint8_t* dst, const void* src, int64_t count) {
    switch (count) {
    case 1:
        *dst = *static_cast<const uint8_t*>(src);
        break;
    case 2:
        std::memcpy(dst, src, 2);
        break;
    case 4:
        std::memcpy(dst, src, 4);
        break;
    case 8:
        std::memcpy(dst, src, 8);
        break;
    default:
        std::memcpy(dst, src, static_cast<size_t>(count));
        break;
    }
}

} // namespace

const int64_t CMemoryStream::kMaxBufferBytes =
    PTRDIFF_MAX < (int64_t(1) << 40) ? static_cast<int64_t>(PTRDIFF_MAX) : (int64_t(1) << 40);

CMemoryStream::CMemoryStream()
    : m_buffer(nullptr), m_cursor(nullptr), m_owned(false), m_growStep(0), m_size(0), m_capacity(0), m_position(0) {}

CMemoryStream::~CMemoryStream() {
    CMemoryStream::Release();
}

uint8_t* CMemoryStream::Allocate(int64_t size) {
    if (size <= 0 || size > kMaxBufferBytes)
        return nullptr;
    return new (std::nothrow) uint8_t[static_cast<size_t>(size)]();
}

void CMemoryStream::SetPosition(int64_t position) {
    m_position = position;
    m_cursor = m_buffer ? m_buffer + position : nullptr;
}

bool CMemoryStream::IsOpen() const {
    return m_buffer != nullptr;
}

bool CMemoryStream::IsGrowable() const {
    return m_growStep != 0;
}

bool CMemoryStream::CanSeek() const {
    return true;
}

bool CMemoryStream::CanRead() const {
    return true;
}

bool CMemoryStream::CanWrite() const {
    return true;
}

int64_t CMemoryStream::GetSize() const {
    return m_size;
}

bool CMemoryStream::SetSize(int64_t size) {
    if (size == m_size)
        return true;
    if (m_growStep == 0 || size < 0)
        return false;
    const int64_t capacity = size == 0 ? kEmptyCapacity : size;
    uint8_t* buffer = Allocate(capacity);
    if (!buffer)
        return false;
    const int64_t kept = size < m_size ? size : m_size;
    if (kept > 0)
        std::memcpy(buffer, m_buffer, static_cast<size_t>(kept));
    if (m_owned)
        delete[] m_buffer;
    m_buffer = buffer;
    m_owned = true;
    m_capacity = capacity;
    m_size = size;
    SetPosition(m_position > size ? size : m_position);
    return true;
}

int64_t CMemoryStream::GetPosition() const {
    return m_position;
}

bool CMemoryStream::Seek(int64_t position) {
    if (position < 0 || position > m_size)
        return false;
    SetPosition(position);
    return true;
}

int64_t CMemoryStream::Read(void* buffer, int64_t count) {
    if (!buffer || count <= 0 || !m_buffer)
        return 0;
    if (count > m_size - m_position)
        count = m_size - m_position;
    if (count <= 0)
        return 0;
    CopyBytes(static_cast<uint8_t*>(buffer), m_cursor, count);
    SetPosition(m_position + count);
    return count;
}

int64_t CMemoryStream::Write(const void* buffer, int64_t count) {
    if (!buffer || count <= 0)
        return 0;
    if (count > kMaxBufferBytes)
        count = kMaxBufferBytes; // cannot fit anyway; keeps the sums below in range
    const int64_t end = m_position + count;
    if (end > m_size) {
        if (end <= m_capacity) {
            m_size = end;
        } else if (m_growStep != 0 && Grow(end - m_size + 1) && end <= m_capacity) {
            m_size = end;
        } else {
            count = m_capacity - m_position;
            m_size = m_capacity;
        }
    }
    if (count <= 0 || !m_buffer)
        return 0;
    CopyBytes(m_cursor, buffer, count);
    SetPosition(m_position + count);
    return count;
}

int64_t CMemoryStream::ReadAt(void* buffer, int64_t position, int64_t count) {
    if (position < 0)
        return 0;
    if (position > m_size) {
        SetPosition(m_size);
        return 0;
    }
    SetPosition(position);
    return Read(buffer, count);
}

int64_t CMemoryStream::WriteAt(const void* buffer, int64_t position, int64_t count) {
    if (position < 0)
        return 0;
    if (position > m_size) {
        SetPosition(m_size);
        return 0;
    }
    SetPosition(position);
    return Write(buffer, count);
}

bool CMemoryStream::Grow(int64_t minimum) {
    if (m_growStep == 0)
        return false;
    const int64_t data = m_size;
    int64_t increment = m_growStep;
    if (m_growStep < 0) {
        if (data < 65536)
            increment = 65536;
        else if (data <= 1048576)
            increment = data / 2;
        else if (data <= 10485760)
            increment = data / 3;
        else
            increment = data / 4;
    }
    if (minimum > increment)
        increment = minimum;
    if (increment > kMaxBufferBytes - data)
        return false;
    uint8_t* buffer = Allocate(data + increment);
    if (!buffer)
        return false;
    if (data > 0)
        std::memcpy(buffer, m_buffer, static_cast<size_t>(data));
    if (m_owned)
        delete[] m_buffer;
    m_buffer = buffer;
    m_owned = true;
    m_capacity = data + increment;
    SetPosition(m_position);
    return true;
}

bool CMemoryStream::Create(int64_t size, int64_t growStep) {
    if (m_buffer || size < 0 || (size == 0 && growStep == 0))
        return false;
    const int64_t capacity = size == 0 ? kEmptyCapacity : size;
    uint8_t* buffer = Allocate(capacity);
    if (!buffer)
        return false;
    m_buffer = buffer;
    m_owned = true;
    m_capacity = capacity;
    m_size = size;
    m_growStep = growStep;
    SetPosition(0);
    return true;
}

bool CMemoryStream::Attach(void* buffer, int64_t size) {
    if (!buffer || size < 0 || size > kMaxBufferBytes || m_buffer)
        return false;
    m_buffer = static_cast<uint8_t*>(buffer);
    m_owned = false;
    m_capacity = size;
    m_size = size;
    m_growStep = 0;
    SetPosition(0);
    return true;
}

void CMemoryStream::Release() {
    if (!m_buffer)
        return;
    if (m_owned)
        delete[] m_buffer;
    m_buffer = nullptr;
    m_cursor = nullptr;
    m_owned = false;
    m_growStep = 0;
    m_size = 0;
    m_capacity = 0;
    m_position = 0;
}

uint8_t* CMemoryStream::GetBuffer() {
    return m_buffer;
}

} // namespace common
