#pragma once
// A media stream over an image file of the host. The file is opened for
// reading and writing when the host allows it, else for reading only; CanWrite
// then tells the drives whether the image may be written.
#include "common/CFileStream.h"
#include "emu/framework/CMediaImageStream.h"

namespace emu {

class CMediaFileStream : public CMediaImageStream {
public:
    CMediaFileStream();
    ~CMediaFileStream() override;

    // Opens an existing file (never creates one); false for an empty path, a
    // missing or unreadable file, or when a file is open already.
    bool Open(const common::CPath& path) override;
    void Close() override;

    const common::CFileStream& GetFile() const { return m_file; }

private:
    common::CFileStream m_file; // the stream forwarded to
};

} // namespace emu
