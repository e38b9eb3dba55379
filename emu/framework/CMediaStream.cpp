#include "emu/framework/CMediaStream.h"

namespace emu {

CMediaStream::~CMediaStream() = default;

bool CMediaStream::GetGeometry(uint64_t* /*cylinders*/, uint64_t* /*heads*/, uint64_t* /*sectors*/,
                               uint64_t* /*sectorSize*/) {
    return false;
}

uint64_t CMediaStream::ReadSector(void* /*buffer*/, uint64_t /*cylinder*/, uint64_t /*head*/, uint64_t /*sector*/,
                                  uint64_t /*count*/) {
    return 0;
}

uint64_t CMediaStream::WriteSector(const void* /*buffer*/, uint64_t /*cylinder*/, uint64_t /*head*/,
                                   uint64_t /*sector*/, uint64_t /*count*/) {
    return 0;
}

} // namespace emu
