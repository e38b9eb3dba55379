#pragma once
// A media stream that forwards every stream operation to another stream. With
// no stream to forward to it is closed, reads and writes nothing and has size 0.
#include "emu/framework/CMediaStream.h"

namespace emu {

class CMediaImageStream : public CMediaStream {
public:
    // With ownsWrapped the wrapped stream is deleted with this one.
    explicit CMediaImageStream(common::CStream* wrapped = nullptr, bool ownsWrapped = false);
    ~CMediaImageStream() override;

    bool IsOpen() const override;
    bool IsGrowable() const override;
    bool CanSeek() const override;
    bool CanRead() const override;
    bool CanWrite() const override;
    int64_t GetSize() const override;
    bool SetSize(int64_t size) override;
    int64_t GetPosition() const override;
    bool Seek(int64_t position) override;
    int64_t Read(void* buffer, int64_t count) override;
    int64_t Write(const void* buffer, int64_t count) override;
    // The wrapped stream's seek, then its read or write; 0 when the seek fails.
    int64_t ReadAt(void* buffer, int64_t position, int64_t count) override;
    int64_t WriteAt(const void* buffer, int64_t position, int64_t count) override;

protected:
    common::CStream* m_wrapped; // owned only when m_ownsWrapped
    bool m_ownsWrapped;
};

} // namespace emu
