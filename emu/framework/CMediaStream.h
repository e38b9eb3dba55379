#pragma once
// A disk, cartridge or CD image as the drives see it: a byte stream that is
// opened and closed by path, with an optional geometry of its own.
//
// An image kind that knows its own layout answers GetGeometry with true and
// then serves ReadSector and WriteSector by cylinder, head and sector (all
// 0-based). A plain image answers false; the drive then computes the flat byte
// offset ((cylinder * heads + head) * sectors + sector) * sectorSize from the
// geometry that its controller derives from the image size, and uses ReadAt
// and WriteAt.
#include <cstdint>

#include "common/CPath.h"
#include "common/CStream.h"

namespace emu {

class CMediaStream : public common::CStream {
public:
    ~CMediaStream() override;

    // Opens an existing image; false when it cannot be opened or one is open already.
    virtual bool Open(const common::CPath& path) = 0;
    virtual void Close() = 0;
    // The image's own geometry; the base has none: false, the outputs untouched.
    virtual bool GetGeometry(uint64_t* cylinders, uint64_t* heads, uint64_t* sectors, uint64_t* sectorSize);
    // One sector by position; the base transfers nothing and answers 0, which
    // a drive treats as a failed transfer.
    virtual uint64_t ReadSector(void* buffer, uint64_t cylinder, uint64_t head, uint64_t sector, uint64_t count);
    virtual uint64_t WriteSector(const void* buffer, uint64_t cylinder, uint64_t head, uint64_t sector, uint64_t count);

protected:
    CMediaStream() = default;
};

} // namespace emu
