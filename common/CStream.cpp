#include "common/CStream.h"

namespace common {

CStream::~CStream() = default;

int64_t CStream::ReadAt(void* buffer, int64_t position, int64_t count) {
    return Seek(position) ? Read(buffer, count) : 0;
}

int64_t CStream::WriteAt(const void* buffer, int64_t position, int64_t count) {
    return Seek(position) ? Write(buffer, count) : 0;
}

} // namespace common
