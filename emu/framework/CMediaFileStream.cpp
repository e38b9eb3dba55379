#include "emu/framework/CMediaFileStream.h"

namespace emu {

CMediaFileStream::CMediaFileStream() : CMediaImageStream(nullptr, false) {
    m_wrapped = &m_file;
}

CMediaFileStream::~CMediaFileStream() {
    m_file.Close();
}

bool CMediaFileStream::Open(const common::CPath& path) {
    return m_file.OpenExisting(path, false);
}

void CMediaFileStream::Close() {
    m_file.Close();
}

} // namespace emu
