#pragma once
// The working set of one 8080 slice and the helpers that the slice loop
// (CProcessor_I8080_Execute.cpp) inlines: register copies, the page view of
// the memory map for the direct RAM path, the flush and reload around every
// call out of the loop, memory, port and stack steps, and the flag rules.
//
// Calls out of the loop (page handlers, ports, interrupts, the trap hook,
// traces) may read or change the registers, end or stop the slice, add wait
// cycles, request an interrupt check or change the memory map; the working
// set is flushed into the members before them and reloaded after them. The
// out-of-line parts see only the members, so that the working set never has
// its address taken and stays in machine registers.
#include <cstdint>

#include "emu/chips/CProcessor_I8080.h"
#include "emu/framework/CMemory.h"

// Every helper is inlined into the loop; only then can the working set live
// in machine registers.
#define I8080_INLINE inline __attribute__((always_inline))

namespace emu {

struct CProcessor_I8080::CSlice {
    uint32_t a;
    uint32_t f;
    uint32_t bc;
    uint32_t de;
    uint32_t hl;
    uint32_t sp;
    uint32_t pc;
    uint32_t start; // PC of the running instruction
    // ECYCL with the running instruction already charged; the members see
    // it without (the instruction is charged once it completes).
    int32_t left;
    int32_t cost; // what the running instruction is charged
    // The least `left` may be after an instruction is charged without a look
    // by the slow path: 0, or kAttention while an NMI step or an interrupt
    // check is due at the next boundary.
    int32_t floor;
    CPageView* view; // the processor's
    // The deferred instruction that began the slice is running: its paid
    // cycles stay in PCYCL until the slow path sees the next instruction.
    bool pending;

    static constexpr int32_t kAttention = INT32_MAX;

    static int32_t Run(CProcessor_I8080& cpu, int32_t budget);

    // kAttention while the slow path must see the next instruction's charge.
    static int32_t Floor(const CProcessor_I8080& cpu, const CSlice& s) {
        return s.pending || cpu.m_nmi || (cpu.m_chwi && cpu.m_ahwi) ? kAttention : 0;
    }
    static I8080_INLINE void Flush(CProcessor_I8080& cpu, const CSlice& s) {
        cpu.m_a = static_cast<uint8_t>(s.a);
        cpu.m_f = static_cast<uint8_t>(s.f);
        cpu.m_bc = static_cast<uint16_t>(s.bc);
        cpu.m_de = static_cast<uint16_t>(s.de);
        cpu.m_hl = static_cast<uint16_t>(s.hl);
        cpu.m_sp = static_cast<uint16_t>(s.sp);
        cpu.m_pc = static_cast<uint16_t>(s.pc);
        cpu.m_instructionStart = s.start;
        cpu.m_sliceLeft = s.left + s.cost;
    }
    static I8080_INLINE void Reload(const CProcessor_I8080& cpu, CSlice& s) {
        s.a = cpu.m_a;
        s.f = cpu.m_f;
        s.bc = cpu.m_bc;
        s.de = cpu.m_de;
        s.hl = cpu.m_hl;
        s.sp = cpu.m_sp;
        s.pc = cpu.m_pc;
        s.left = cpu.m_sliceLeft - s.cost;
        s.floor = Floor(cpu, s);
        // Whatever ran may have changed the memory map.
        if (!s.view->IsCurrent(s_pageTable, s_addressMask, s_memorySize))
            LoadView(*s.view);
    }

    // The page view from the memory map's table as it stands; all null (the
    // accessors decide everything) while the address mask is not 16 bits.
    static void LoadView(CPageView& view) {
        const CMemory::CPageDescriptor* pages = s_pageTable;
        view.table = pages;
        view.mask = s_addressMask;
        view.size = s_memorySize;
        view.generation = CMemory::GetLayoutGeneration();
        view.loaded = true;
        const bool direct = pages != nullptr && s_addressMask == 0xFFFF;
        for (uint32_t p = 0; p < CPageView::kPages; ++p) {
            const uintptr_t address = static_cast<uintptr_t>(p) << CMemory::kPageShift;
            view.fetch[p] = view.read[p] = view.write[p] = 0;
            if (!direct || (p + 1) << CMemory::kPageShift > s_memorySize)
                continue;
            const CMemory::CPageDescriptor& page = pages[p];
            if ((page.flags & CMemory::kTestFetch) == CMemory::kDirectRead)
                view.fetch[p] = reinterpret_cast<uintptr_t>(page.readContext) - address;
            if ((page.flags & CMemory::kTestDataRead) == CMemory::kDirectRead)
                view.read[p] = reinterpret_cast<uintptr_t>(page.readContext) - address;
            if ((page.flags & CMemory::kTestWrite) == CMemory::kDirectWrite)
                view.write[p] = reinterpret_cast<uintptr_t>(page.writeContext) - address;
        }
    }

    // --- Memory: the page view, else the accessors with the set flushed -------------------
    // The out-of-line parts see only the members, so that the working set
    // never has its address taken.
    static I8080_INLINE bool ReadFrom(CProcessor_I8080& cpu, CSlice& s, const uintptr_t* pages, bool fetch,
                                      uint32_t address, uint32_t& value) {
        const uintptr_t page = pages[address >> CMemory::kPageShift];
        if (__builtin_expect(page != 0, 1)) {
            value = *CPageView::At(page, address);
            return true;
        }
        Flush(cpu, s);
        uint8_t byte = 0;
        const bool ok = ReadOut(cpu, fetch, address, &byte);
        Reload(cpu, s);
        value = byte;
        return ok;
    }
    static bool ReadOut(CProcessor_I8080& cpu, bool fetch, uint32_t address, uint8_t* value) {
        uint32_t counter = 0;
        const bool ok = fetch ? cpu.ReadByteFastCounted(address, value, &counter) : cpu.ReadByte(address, value);
        return ok && !cpu.m_fault;
    }
    static I8080_INLINE bool Read(CProcessor_I8080& cpu, CSlice& s, uint32_t address, uint32_t& value) {
        return ReadFrom(cpu, s, s.view->read, false, address, value);
    }
    static I8080_INLINE bool Write(CProcessor_I8080& cpu, CSlice& s, uint32_t address, uint32_t value) {
        const uintptr_t page = s.view->write[address >> CMemory::kPageShift];
        if (__builtin_expect(page != 0, 1)) {
            *CPageView::WritableAt(page, address) = static_cast<uint8_t>(value);
            return true;
        }
        Flush(cpu, s);
        const bool ok = WriteOut(cpu, address, value);
        Reload(cpu, s);
        return ok;
    }
    static bool WriteOut(CProcessor_I8080& cpu, uint32_t address, uint32_t value) {
        return cpu.WriteByte(address, static_cast<uint8_t>(value)) && !cpu.m_fault;
    }
    // Words: both bytes from one page at once, else byte by byte, low first.
    static I8080_INLINE bool ReadWordFrom(CProcessor_I8080& cpu, CSlice& s, const uintptr_t* pages, bool fetch,
                                          uint32_t address, uint32_t& value) {
        const uintptr_t page = pages[address >> CMemory::kPageShift];
        if (__builtin_expect(page != 0 && (address & CMemory::kPageOffsetMask) != CMemory::kPageOffsetMask, 1)) {
            const uint8_t* bytes = CPageView::At(page, address);
            value = bytes[0] | (static_cast<uint32_t>(bytes[1]) << 8);
            return true;
        }
        uint32_t low = 0;
        uint32_t high = 0;
        if (!ReadFrom(cpu, s, pages, fetch, address, low) ||
            !ReadFrom(cpu, s, pages, fetch, (address + 1) & 0xFFFF, high))
            return false;
        value = low | (high << 8);
        return true;
    }
    static I8080_INLINE bool ReadWord(CProcessor_I8080& cpu, CSlice& s, uint32_t address, uint32_t& value) {
        return ReadWordFrom(cpu, s, s.view->read, false, address, value);
    }
    static I8080_INLINE bool WriteWord(CProcessor_I8080& cpu, CSlice& s, uint32_t address, uint32_t value) {
        const uintptr_t page = s.view->write[address >> CMemory::kPageShift];
        if (__builtin_expect(page != 0 && (address & CMemory::kPageOffsetMask) != CMemory::kPageOffsetMask, 1)) {
            uint8_t* bytes = CPageView::WritableAt(page, address);
            bytes[0] = static_cast<uint8_t>(value);
            bytes[1] = static_cast<uint8_t>(value >> 8);
            return true;
        }
        return Write(cpu, s, address, value & 0xFF) && Write(cpu, s, (address + 1) & 0xFFFF, value >> 8);
    }
    static I8080_INLINE bool FetchByte(CProcessor_I8080& cpu, CSlice& s, uint32_t& value) {
        if (!ReadFrom(cpu, s, s.view->fetch, true, s.pc, value))
            return false;
        s.pc = (s.pc + 1) & 0xFFFF;
        return true;
    }
    static I8080_INLINE bool FetchWord(CProcessor_I8080& cpu, CSlice& s, uint32_t& value) {
        if (!ReadWordFrom(cpu, s, s.view->fetch, true, s.pc, value))
            return false;
        s.pc = (s.pc + 2) & 0xFFFF;
        return true;
    }
    // SP moves only when the whole word went through.
    static I8080_INLINE bool Push(CProcessor_I8080& cpu, CSlice& s, uint32_t value) {
        const uint32_t top = (s.sp - 2) & 0xFFFF;
        if (!WriteWord(cpu, s, top, value))
            return false;
        s.sp = top;
        return true;
    }
    static I8080_INLINE bool Pop(CProcessor_I8080& cpu, CSlice& s, uint32_t& value) {
        if (!ReadWord(cpu, s, s.sp, value))
            return false;
        s.sp = (s.sp + 2) & 0xFFFF;
        return true;
    }

    // --- Ports, restarts, the trap and the boundary: through the members ------------------
    // False when the access faulted (the slice stops with the instruction undone).
    static I8080_INLINE bool Output(CProcessor_I8080& cpu, CSlice& s, uint32_t port) {
        Flush(cpu, s);
        cpu.OutputPort(port);
        Reload(cpu, s);
        return !cpu.m_fault;
    }
    static I8080_INLINE bool Input(CProcessor_I8080& cpu, CSlice& s, uint32_t port) {
        Flush(cpu, s);
        const bool ok = cpu.InputPort(port, s.start);
        Reload(cpu, s);
        return ok;
    }
    // False when a break or a fault stopped the restart.
    static I8080_INLINE bool Restart(CProcessor_I8080& cpu, CSlice& s, int32_t n) {
        Flush(cpu, s);
        uint64_t extra = 0;
        const bool ok = cpu.ExecuteRst(n, &extra) && !cpu.m_fault;
        Reload(cpu, s);
        if (ok)
            s.left -= static_cast<int32_t>(extra);
        return ok;
    }
    // The opcode to run for D9, or -1 when the hook stopped the slice.
    static I8080_INLINE int32_t Trap(CProcessor_I8080& cpu, CSlice& s) {
        Flush(cpu, s);
        const int32_t substitute = cpu.CallTrapHook(static_cast<uint16_t>(s.start));
        Reload(cpu, s);
        return substitute;
    }
    // The boundary's NMI step or interrupt check.
    static I8080_INLINE int32_t Boundary(CProcessor_I8080& cpu, CSlice& s) {
        Flush(cpu, s);
        const int32_t action = cpu.ServiceBoundary();
        Reload(cpu, s);
        return action;
    }

    // --- Flags ----------------------------------------------------------------------------
    // Bits 5, 3 and 1 always come from the old F.
    static I8080_INLINE uint32_t MergeFlags(const CSlice& s, uint32_t computed) {
        return (computed & kFlagsComputed) | (s.f & kFlagsFixed);
    }
    // The same for flags computed from the tables, which never set those bits.
    static I8080_INLINE uint32_t KeepFixed(const CSlice& s, uint32_t computed) {
        return computed | (s.f & kFlagsFixed);
    }
    static I8080_INLINE void Add(CSlice& s, uint32_t v) {
        const uint32_t r = s.a + v;
        s.f = KeepFixed(s, s_flagTables.szp[r & 0xFF] | ((s.a ^ v ^ r) & kFlagAC) | (r >> 8));
        s.a = r & 0xFF;
    }
    static I8080_INLINE void Adc(CSlice& s, uint32_t v) {
        const uint32_t r = s.a + v + (s.f & kFlagCY);
        s.f = KeepFixed(s, s_flagTables.szp[r & 0xFF] | ((s.a ^ v ^ r) & kFlagAC) | (r >> 8));
        s.a = r & 0xFF;
    }
    // A borrow sets CY; AC is set when bit 3 did not borrow.
    static I8080_INLINE uint32_t Subtract(CSlice& s, uint32_t v, uint32_t borrow) {
        const uint32_t r = s.a - v - borrow;
        s.f = KeepFixed(s, s_flagTables.szp[r & 0xFF] | (~(s.a ^ v ^ r) & kFlagAC) | ((r >> 8) & kFlagCY));
        return r & 0xFF;
    }
    static I8080_INLINE void Sub(CSlice& s, uint32_t v) { s.a = Subtract(s, v, 0); }
    static I8080_INLINE void Sbb(CSlice& s, uint32_t v) { s.a = Subtract(s, v, s.f & kFlagCY); }
    static I8080_INLINE void Cmp(CSlice& s, uint32_t v) { Subtract(s, v, 0); }
    static I8080_INLINE void Ana(CSlice& s, uint32_t v) {
        // AC is bit 3 of the operands' OR.
        s.f = KeepFixed(s, s_flagTables.szp[s.a & v] | (((s.a | v) << 1) & kFlagAC));
        s.a &= v;
    }
    static I8080_INLINE void Xra(CSlice& s, uint32_t v) {
        s.a ^= v;
        s.f = KeepFixed(s, s_flagTables.szp[s.a]);
    }
    static I8080_INLINE void Ora(CSlice& s, uint32_t v) {
        s.a |= v;
        s.f = KeepFixed(s, s_flagTables.szp[s.a]);
    }
    // INR and DCR keep CY; AC tells whether the low nibble carried or borrowed.
    static I8080_INLINE uint32_t IncrementFlags(const CSlice& s, uint32_t r) {
        return KeepFixed(s, s_flagTables.szp[r] | ((r & 0x0F) == 0 ? kFlagAC : 0) | (s.f & kFlagCY));
    }
    static I8080_INLINE uint32_t DecrementFlags(const CSlice& s, uint32_t r) {
        return KeepFixed(s, s_flagTables.szp[r] | ((r & 0x0F) != 0x0F ? kFlagAC : 0) | (s.f & kFlagCY));
    }
};

} // namespace emu
