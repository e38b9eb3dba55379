#include "emu/framework/CMediaImageStream.h"

namespace emu {

CMediaImageStream::CMediaImageStream(common::CStream* wrapped, bool ownsWrapped)
    : m_wrapped(wrapped), m_ownsWrapped(ownsWrapped) {}

CMediaImageStream::~CMediaImageStream() {
    if (m_ownsWrapped)
        delete m_wrapped;
}

bool CMediaImageStream::IsOpen() const {
    return m_wrapped != nullptr && m_wrapped->IsOpen();
}

bool CMediaImageStream::IsGrowable() const {
    return m_wrapped != nullptr && m_wrapped->IsGrowable();
}

bool CMediaImageStream::CanSeek() const {
    return m_wrapped != nullptr && m_wrapped->CanSeek();
}

bool CMediaImageStream::CanRead() const {
    return m_wrapped != nullptr && m_wrapped->CanRead();
}

bool CMediaImageStream::CanWrite() const {
    return m_wrapped != nullptr && m_wrapped->CanWrite();
}

int64_t CMediaImageStream::GetSize() const {
    return m_wrapped != nullptr ? m_wrapped->GetSize() : 0;
}

bool CMediaImageStream::SetSize(int64_t size) {
    return m_wrapped != nullptr && m_wrapped->SetSize(size);
}

int64_t CMediaImageStream::GetPosition() const {
    return m_wrapped != nullptr ? m_wrapped->GetPosition() : 0;
}

bool CMediaImageStream::Seek(int64_t position) {
    return m_wrapped != nullptr && m_wrapped->Seek(position);
}

int64_t CMediaImageStream::Read(void* buffer, int64_t count) {
    return m_wrapped != nullptr ? m_wrapped->Read(buffer, count) : 0;
}

int64_t CMediaImageStream::Write(const void* buffer, int64_t count) {
    return m_wrapped != nullptr ? m_wrapped->Write(buffer, count) : 0;
}

int64_t CMediaImageStream::ReadAt(void* buffer, int64_t position, int64_t count) {
    if (m_wrapped == nullptr || !m_wrapped->Seek(position))
        return 0;
    return m_wrapped->Read(buffer, count);
}

int64_t CMediaImageStream::WriteAt(const void* buffer, int64_t position, int64_t count) {
    if (m_wrapped == nullptr || !m_wrapped->Seek(position))
        return 0;
    return m_wrapped->Write(buffer, count);
}

} // namespace emu
