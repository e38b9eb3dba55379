#pragma once
// The machine's memory map service ("_MEM"): one flat address space in pages
// of 1 KB. This class declares the part of the service that the parameter
// binder installs device handlers through; the memory map proper completes it.
#include <cstdint>

#include "emu/framework/CObject.h"

namespace emu {

class CMemory : public CObject {
public:
    // Pages are 1 KB: page = address >> kPageShift.
    static constexpr uint32_t kPageShift = 10;

    // Answers a read of `size` bytes at `address` into the little-endian buffer;
    // flag 1 is a peek that must change no device state. False: not taken.
    typedef bool (*ReadHandler)(void* context, uint32_t address, uint32_t size, uint8_t* value, uint8_t flag);
    // Takes a write of `size` bytes from the buffer; false: not taken.
    typedef bool (*WriteHandler)(void* context, uint32_t address, uint32_t size, uint8_t* value);

    CMemory();
    ~CMemory() override;

    // Installs the handler with its context on `count` pages from `firstPage`
    // (passUnaliased: an aliased access passes the unaliased address). A null
    // handler takes the pages' handler away again (plain RAM). Count 0 succeeds
    // doing nothing; a page beyond the map fails, leaving the pages before it set.
    virtual bool SetReadHandler(uint32_t firstPage, uint32_t count, void* context, ReadHandler handler,
                                bool passUnaliased) = 0;
    virtual bool SetWriteHandler(uint32_t firstPage, uint32_t count, void* context, WriteHandler handler,
                                 bool passUnaliased) = 0;
};

} // namespace emu
