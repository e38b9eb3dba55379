#pragma once
// One page of video memory: a block of bytes read and written through an
// address mask, optionally mapped into the machine's address space as the
// memory window "MEMORY". A page borrows the memory map's extra area when the
// map has one, else it allocates its own block (page size + 1 KB of slack).
// With mark-lines-on-write set, every write tells the renderer that its drawn
// lines are stale, so the video draws them again. The raster display base
// (CVideo) is itself page 0 and may own a second page as a child.
//
//   window base = window first page * 1024   (computed at a full reset)
//   offset      = (address - window base) & address mask
//
// An offset at or beyond the page size (or a page without memory) reads 0xFF
// and drops writes.
//
// State chunk "_VIDP" (after the device data "_CFP", "_DEV"):
//   "VER" u8 1, "MSZ" i32 page size in bytes, "MSK" i32 address mask,
//   "MEM" blob of MSZ bytes (own block with a positive size only).
// A page that borrows the extra area saves no bytes: the memory map saves them.
//
// Emulation thread only.
#include <cstdint>

#include "emu/framework/CDevice.h"
#include "emu/framework/CMemory.h"

namespace emu {

class CVideoMemory : public CDevice {
public:
    static constexpr uint32_t kPageBytes = 1024;
    static constexpr uint8_t kStateVersion = 1;

    CVideoMemory();
    ~CVideoMemory() override;

    // Device start, then the memory: false when the page does not fit the extra
    // area or the allocation fails (the device stays marked started).
    bool Start(int32_t* value) override;
    // Releases the memory, then the device stop.
    void Stop() override;
    // Device reset; a full reset (kResetParameters) with the window present
    // recomputes the window base. A page on the extra area follows the memory
    // map when it is reallocated.
    bool Reset(uint32_t flags) override;
    bool SaveData(common::CStreamHolder& holder) override;
    bool LoadData(common::CStreamHolder& holder, common::CNarrowString* errorText) override;

    // The byte accessors behind the hooks; they take the block as an argument
    // so that a derived display can decode writes or point them at any block.
    // Both answer true.
    virtual bool WriteByte(uint8_t* memory, uint32_t offset, uint8_t value);
    virtual bool ReadByte(uint8_t* memory, uint32_t offset, uint8_t* value, uint8_t flag);

    // Page size in KB and the address mask; false while started, for a negative
    // size or one that does not fit 32 bits of bytes. Takes effect at the next start.
    bool SetPageSize(int32_t sizeKb, uint32_t mask);
    // Declares the window again ("MEMORY" removed first); a page count of 0 or
    // less leaves the page without a window. `flag` is the parameter's
    // unconditional flag.
    bool SetMemoryWindow(int32_t firstPage, int32_t pageCount, bool present, uint8_t flag);

    // Memory-map handlers; context is the page. Single bytes only.
    static bool WriteHook(void* context, uint32_t address, uint32_t size, uint8_t* value);
    static bool ReadHook(void* context, uint32_t address, uint32_t size, uint8_t* value, uint8_t flag);

    // Clears the drawn bit of every drawn line of the renderer (nothing without one).
    void InvalidateLines();

    uint8_t* GetPageMemory() const { return m_pageMemory; }
    int32_t GetPageSize() const { return m_pageSize; }
    uint32_t GetAddressMask() const { return m_addressMask; }
    uint64_t GetWindowBase() const { return m_windowBase; }
    bool IsWindowPresent() const { return m_windowPresent; }
    bool IsOwnMemory() const { return m_ownMemory; }
    bool GetMarkLinesOnWrite() const { return m_markLinesOnWrite; }
    void SetMarkLinesOnWrite(bool on) { m_markLinesOnWrite = on; }

protected:
    // Releases what the page holds, then borrows the extra area or allocates.
    bool AcquireMemory();
    void ReleaseMemory();
    // The offset of an address inside the page, or -1 outside the page or
    // without memory.
    int64_t PageOffset(uint32_t address) const;

    bool m_windowPresent;       // "MEMORY" parameter flag: the window is mapped
    uint64_t m_windowFirstPage; // "MEMORY" parameter: first 1 KB page
    uint64_t m_windowPageCount; // "MEMORY" parameter: number of pages
    uint64_t m_windowBase;      // byte address of the window's first byte
    int32_t m_pageSize;         // bytes; 0: no memory
    uint32_t m_addressMask;     // ANDed with the window offset
    bool m_markLinesOnWrite;    // every write invalidates the drawn lines
    CMemory::ReadHandler m_readHook;
    CMemory::WriteHandler m_writeHook;
    uint8_t* m_pageMemory; // owned when m_ownMemory, else the memory map's extra area
    bool m_ownMemory;
    uint64_t m_ownAllocationSize; // bytes allocated for an own block; 0 otherwise
};

} // namespace emu
