#pragma once
// The machine's memory map service ("_MEM"): one flat emulated address space
// cut into pages of 1 KB, each described by a page descriptor in one table
// indexed by page number (address >> 10).
//
// Page descriptor flags (read and write meanings come in pairs):
//   0x001 kPageRead          readable: the read handler answers
//   0x002 kPageWrite         writable: the write handler answers
//   0x004 kPageReadHandler   the read handler is an installed one (not the
//                            stock page-relative one): call it directly
//   0x008 kPageWriteHandler  the same for writes
//   0x010 kPageReadAlias     reads go to the page's read alias page
//   0x020 kPageWriteAlias    writes go to the page's write alias page
//   0x040 kPageReadWatch     keeps processor fetches off the direct path
//   0x080 kPageWriteWatch    keeps processor writes off the direct path
//   0x100 kPageReadUnaliased  an aliased read passes the unaliased address
//   0x200 kPageWriteUnaliased the same for writes
//   0x400 kPageSaved         marked as saved in the state
//   0x800 kPageNotSaved      left out of the state
//
// Direct path (what a processor may do with one look-up and one test):
//   flags & kTestDataRead (0x15) == kDirectRead (0x01): byte = readContext[a & 0x3FF]
//                                == kHandlerRead (0x05): readHandler(readContext, a, ...)
//   flags & kTestFetch (0x55) gives the same two values for fetches; a read-watched
//   page fails the test and takes the slow path (ReadByte).
//   flags & kTestWrite (0xAA) == kDirectWrite (0x02): writeContext[a & 0x3FF] = byte
//                             == kHandlerWrite (0x0A): writeHandler(writeContext, a, ...)
//   Any other value: the slow path (ReadByte / WriteByte). A handler that declines
//   on the direct path means the plain RAM byte at GetRamBase()[a].
// Every operation that changes a descriptor keeps these invariants.
//
// Layout of the RAM block: 1 KB in front of page 0, the main area (size rounded
// up to 1 KB), a 1 KB guard page, and, with an extra area, the extra area and one
// more guard page; the table has one descriptor per page after byte 0, so the
// page count is main/1024 + 2 (+ extra/1024 + 1 with an extra area).
//
// State chunk "_MEMS": "VER" u8 0, "MSZ" u64 size, "MLM" u64 address limit,
// "VBS" u64 extra area size, then per run of saved pages n: "MDT<n>" bool true,
// "MDTS<n>" u64 (low 32 bits first page, high 32 bits page count), "MDTA<n>" blob;
// then "MDT<n>" false; with an extra area "VBA" bool (switched in) and "VBDT" blob.
//
// Emulation thread only; no access allocates or locks.
#include <atomic>
#include <cstdint>

#include "emu/framework/CObject.h"

namespace common {
class CStream;
}

namespace emu {

class CMachineInterface;

class CMemory : public CObject {
public:
    // Pages are 1 KB: page = address >> kPageShift.
    static constexpr uint32_t kPageShift = 10;
    static constexpr uint32_t kPageSize = 1u << kPageShift;
    static constexpr uint32_t kPageOffsetMask = kPageSize - 1;

    static constexpr uint32_t kPageRead = 0x001;
    static constexpr uint32_t kPageWrite = 0x002;
    static constexpr uint32_t kPageReadHandler = 0x004;
    static constexpr uint32_t kPageWriteHandler = 0x008;
    static constexpr uint32_t kPageReadAlias = 0x010;
    static constexpr uint32_t kPageWriteAlias = 0x020;
    static constexpr uint32_t kPageReadWatch = 0x040;
    static constexpr uint32_t kPageWriteWatch = 0x080;
    static constexpr uint32_t kPageReadUnaliased = 0x100;
    static constexpr uint32_t kPageWriteUnaliased = 0x200;
    static constexpr uint32_t kPageSaved = 0x400;
    static constexpr uint32_t kPageNotSaved = 0x800;

    // Direct-path tests (see above).
    static constexpr uint32_t kTestDataRead = kPageRead | kPageReadHandler | kPageReadAlias;                   // 0x15
    static constexpr uint32_t kTestFetch = kTestDataRead | kPageReadWatch;                                     // 0x55
    static constexpr uint32_t kTestWrite = kPageWrite | kPageWriteHandler | kPageWriteAlias | kPageWriteWatch; // 0xAA
    static constexpr uint32_t kDirectRead = kPageRead;                                                         // 0x01
    static constexpr uint32_t kHandlerRead = kPageRead | kPageReadHandler;                                     // 0x05
    static constexpr uint32_t kDirectWrite = kPageWrite;                                                       // 0x02
    static constexpr uint32_t kHandlerWrite = kPageWrite | kPageWriteHandler;                                  // 0x0A

    // Answers a read of `size` bytes at `address` into the little-endian buffer;
    // flag 1 is a peek that must change no device state. False: not taken.
    typedef bool (*ReadHandler)(void* context, uint32_t address, uint32_t size, uint8_t* value, uint8_t flag);
    // Takes a write of `size` bytes from the buffer; false: not taken.
    typedef bool (*WriteHandler)(void* context, uint32_t address, uint32_t size, uint8_t* value);

    // One page descriptor; `flags` first so that the direct path tests one word.
    struct CPageDescriptor {
        uint32_t flags;
        void* readContext; // the page's 1 KB for the stock page-relative handler
        ReadHandler readHandler;
        uint32_t readAlias; // the page itself unless kPageReadAlias
        void* writeContext;
        WriteHandler writeHandler;
        uint32_t writeAlias;
    };

    CMemory();
    ~CMemory() override;

    // --- Life cycle and state ----------------------------------------------
    // Clears the RAM, puts every page back to plain read-write RAM, resets the
    // hooks, switches the extra area out and forgets the processor's words.
    bool Start(int32_t* value) override;
    // Frees the RAM and the table.
    void Stop() override;
    bool SaveData(common::CStreamHolder& holder) override;
    bool LoadData(common::CStreamHolder& holder, common::CNarrowString* errorText) override;

    // (Re)builds the address space: `size` bytes of main area, `limit` the highest
    // address the processor may use directly (size - 1 when 0 or not below size),
    // `extra` bytes of extra area behind a guard page. Size 0 leaves an empty map.
    // False when the allocation fails (an empty map then). Tells the machine's
    // device tree Reset(kResetMemoryChanged) while a machine is set.
    bool Allocate(uint32_t size, uint32_t limit, uint32_t extra);
    // Switches the guard page and the extra area into the address space (the
    // size grows by 1 KB + extra) or out of it; rewrites the processor's words.
    bool SwitchExtraArea(bool on);

    // The machine that hears of page changes (its main processor's NotifyValue)
    // and of reallocations; null while the machine is not running. Not owned.
    void SetMachine(CMachineInterface* machine) { m_machine = machine; }
    CMachineInterface* GetMachine() const { return m_machine; }
    // The processor's direct-path words that SwitchExtraArea rewrites: size,
    // size - 1, size - 3. Handed over by the processor when it starts; Start,
    // Stop and Allocate forget them. Not owned.
    void SetProcessorWords(uint32_t* sizeWord, uint32_t* limitWord, uint32_t* limitMinus2Word);

    // --- Table access for the processor's direct path --------------------------
    CPageDescriptor* GetPageTable() const { return m_pages; }
    // Counts every change to any map's descriptors (and every new or freed
    // table), so that a processor's copy of the table knows when it is stale.
    static uint32_t GetLayoutGeneration() { return s_layoutGeneration.load(std::memory_order_relaxed); }
    uint8_t* GetRamBase() const { return m_ramBase; }
    // Number of addressable bytes; addresses at or above it are out of range.
    uint32_t GetSize() const { return m_size; }
    uint32_t GetAddressLimit() const { return m_addressLimit; }
    uint32_t GetPageCount() const { return m_pageCount; }
    uint8_t* GetExtraArea() const { return m_extraArea; }
    uint32_t GetExtraAreaSize() const { return m_extraSize; }
    bool IsExtraAreaSwitchedIn() const { return m_extraSwitchedIn; }

    // --- Slow path: aliases, hooks and handlers ------------------------------
    // flag 1: a peek. Multi-byte values are little-endian; an access inside one
    // page is offered whole to the answering handler, otherwise it is split
    // into smaller accesses in ascending address order.
    uint8_t ReadByte(uint32_t address, uint8_t flag);
    uint16_t ReadWord(uint32_t address, uint8_t flag);
    uint32_t ReadDword(uint32_t address, uint8_t flag);
    void WriteByte(uint32_t address, uint8_t value);
    void WriteWord(uint32_t address, uint16_t value);
    void WriteDword(uint32_t address, uint32_t value);

    // --- Page set-up -----------------------------------------------------------
    // mode 0 none, 1 read, 2 write, 3 both. False for a mode above 3 or a range
    // running past the table (the pages before it are set).
    bool SetPageAccess(uint32_t mode, uint32_t firstPage, uint32_t count);
    // The page's mode; 0 beyond the table.
    uint32_t GetPageAccess(uint32_t page) const;
    // Installs the handler with its context on `count` pages from `firstPage`
    // (passUnaliased: an aliased access passes the unaliased address). A null
    // handler installs the stock absolute handler over the plain RAM instead.
    // Count 0 succeeds doing nothing; a page beyond the table fails, leaving the
    // pages before it set.
    virtual bool SetReadHandler(uint32_t firstPage, uint32_t count, void* context, ReadHandler handler,
                                bool passUnaliased);
    virtual bool SetWriteHandler(uint32_t firstPage, uint32_t count, void* context, WriteHandler handler,
                                 bool passUnaliased);
    // Points `count` pages from `page` at the pages from `target` (one hop
    // only); page equal to target takes the alias away. False when a page of
    // either range lies beyond the table.
    bool SetReadAlias(uint32_t page, uint32_t target, uint32_t count);
    bool SetWriteAlias(uint32_t page, uint32_t target, uint32_t count);
    // Puts back the stock page-relative handlers over the pages' own RAM
    // (access, alias, watch and state bits stay). False past the table.
    bool ResetPages(uint32_t firstPage, uint32_t count);
    // As ResetPages, over successive 1 KB pieces of the caller's block (not
    // owned; null: the pages' own RAM).
    bool MapExternal(uint32_t firstPage, uint32_t count, uint8_t* block);
    // The read side only of MapExternal: reads (the direct path's too) come
    // from the caller's block, writes keep what they had. False past the table.
    bool MapExternalRead(uint32_t firstPage, uint32_t count, uint8_t* block);
    // Sets or clears the write watch. False past the table.
    bool SetPageWatch(uint32_t firstPage, uint32_t count, bool on);
    // Marks pages as saved in the state or left out of it. False past the table.
    bool SetPageSaved(bool saved, uint32_t firstPage, uint32_t count);

    // Hooks for reads and writes out of range (at or above the size) and of
    // pages without access. A null handler puts the default back (reads give
    // 0xFF, writes are dropped).
    void SetOutOfRangeHooks(void* readContext, ReadHandler read, void* writeContext, WriteHandler write);
    void SetUnmappedHooks(void* readContext, ReadHandler read, void* writeContext, WriteHandler write);

    // --- Bulk transfers ------------------------------------------------------
    // Copies chunks of 1-8 bytes from the stream straight into RAM (no
    // handlers) from `address`, advancing by `stride`, until the stream does
    // not deliver a whole chunk or the next chunk would pass the size (true).
    // False for a bad chunk size, an address out of range, or when not even
    // one chunk fits.
    bool LoadBytes(common::CStream* stream, uint32_t address, int32_t chunk, int32_t stride);
    // Through the byte read or write path; each address is ANDed with `mask`
    // (0: the address limit).
    bool ReadBlock(uint32_t address, uint8_t* buffer, uint32_t count, uint32_t mask);
    bool WriteBlock(uint32_t address, const uint8_t* buffer, uint32_t count, uint32_t mask);
    // False as soon as the stream does not deliver a byte.
    bool WriteFromStream(uint32_t address, common::CStream* stream, uint32_t count, uint32_t mask);
    bool CopyBlock(uint32_t source, uint32_t destination, uint32_t count, uint32_t mask);
    // Each byte becomes a zero-extended word at destination + 2i.
    bool CopyBytesToWords(uint32_t source, uint32_t destination, uint32_t count, uint32_t mask);

    // --- Stock handlers --------------------------------------------------------
    // Page-relative: context[address & 0x3FF]; absolute: context[address].
    // Reads answer sizes 1, 2, 4, 6, 8 and 10, writes 1, 2, 4 and 8.
    static bool ReadPageRelative(void* context, uint32_t address, uint32_t size, uint8_t* value, uint8_t flag);
    static bool ReadAbsolute(void* context, uint32_t address, uint32_t size, uint8_t* value, uint8_t flag);
    static bool WritePageRelative(void* context, uint32_t address, uint32_t size, uint8_t* value);
    static bool WriteAbsolute(void* context, uint32_t address, uint32_t size, uint8_t* value);
    static bool DefaultReadFalse(void* context, uint32_t address, uint32_t size, uint8_t* value, uint8_t flag);
    static bool DefaultReadTrue(void* context, uint32_t address, uint32_t size, uint8_t* value, uint8_t flag);
    static bool DefaultWriteFalse(void* context, uint32_t address, uint32_t size, uint8_t* value);
    static bool DefaultWriteTrue(void* context, uint32_t address, uint32_t size, uint8_t* value);

private:
    struct CReadHook {
        void* context;
        ReadHandler handler;
    };
    struct CWriteHook {
        void* context;
        WriteHandler handler;
    };

    void Release();
    void ResetHooks();
    uint8_t* OwnBytes(uint32_t page) const { return m_ramBase + static_cast<size_t>(page) * kPageSize; }
    void ResetPage(uint32_t page);
    void ResetAllPages();
    void NotifyPage(int32_t page);
    // MapExternal's work; the write side too when `writes`.
    bool MapBlock(uint32_t firstPage, uint32_t count, uint8_t* block, bool writes);
    static void CountLayoutChange() { s_layoutGeneration.fetch_add(1, std::memory_order_relaxed); }
    bool ReadInPage(uint32_t address, uint32_t size, uint8_t* value, uint8_t flag);
    bool WriteInPage(uint32_t address, uint32_t size, uint8_t* value);

    uint32_t m_size;
    uint32_t m_pageCount;
    uint32_t m_addressLimit;
    uint8_t* m_allocation;    // owned, m_allocationBytes + 1 KB
    uint8_t* m_ramBase;       // inside m_allocation: emulated byte 0
    CPageDescriptor* m_pages; // owned, m_pageCount entries
    static std::atomic<uint32_t> s_layoutGeneration;
    uint8_t m_defaultValue[8];
    CReadHook m_outOfRangeRead;
    CWriteHook m_outOfRangeWrite;
    CReadHook m_unmappedRead;
    CWriteHook m_unmappedWrite;
    uint32_t m_extraSize;
    uint8_t* m_extraArea; // inside m_allocation; null without an extra area
    bool m_extraSwitchedIn;
    uint32_t m_allocationBytes;   // page count * 1 KB
    uint32_t m_mainSize;          // the size with the extra area switched out
    CMachineInterface* m_machine; // not owned
    // The processor's direct-path words; not owned.
    uint32_t* m_sizeWord;
    uint32_t* m_limitWord;
    uint32_t* m_limitMinus2Word;
};

} // namespace emu
