#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "emu/framework/CMemory.h"
#include "emu/framework/MemoryTestSupport.h"

namespace {

using emu::CMemory;

constexpr uint32_t kKb = 1024;

// A handler that records every call and answers with a fixed result; reads
// fill the buffer with `fill`, the first byte being `fill` + offset.
struct CProbe {
    struct CCall {
        uint32_t address;
        uint32_t size;
        uint8_t flag;
        uint32_t value; // written value, little-endian
    };
    bool answer = true;
    uint8_t fill = 0xA0;
    std::vector<CCall> calls;

    static bool Read(void* context, uint32_t address, uint32_t size, uint8_t* value, uint8_t flag) {
        CProbe* self = static_cast<CProbe*>(context);
        self->calls.push_back({address, size, flag, 0});
        if (self->answer) {
            for (uint32_t i = 0; i < size; ++i)
                value[i] = static_cast<uint8_t>(self->fill + i);
        }
        return self->answer;
    }
    static bool Write(void* context, uint32_t address, uint32_t size, uint8_t* value) {
        CProbe* self = static_cast<CProbe*>(context);
        uint32_t data = 0;
        for (uint32_t i = 0; i < size && i < 4; ++i)
            data |= static_cast<uint32_t>(value[i]) << (8 * i);
        self->calls.push_back({address, size, 0, data});
        return self->answer;
    }
};

class MemoryTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(m_memory.Allocate(64 * kKb, 0, 0)); }
    uint8_t* Ram() { return m_memory.GetRamBase(); }

    CMemory m_memory;
    CProbe m_probe;
};

// --- Layout --------------------------------------------------------------------

TEST_F(MemoryTest, AllocateBuildsPlainPagesWithGuards) {
    EXPECT_EQ(64 * kKb, m_memory.GetSize());
    EXPECT_EQ(0xFFFFu, m_memory.GetAddressLimit());
    EXPECT_EQ(66u, m_memory.GetPageCount());
    const CMemory::CPageDescriptor* table = m_memory.GetPageTable();
    for (uint32_t page = 0; page < m_memory.GetPageCount(); ++page) {
        EXPECT_EQ(CMemory::kDirectRead, table[page].flags & CMemory::kTestFetch) << page;
        EXPECT_EQ(CMemory::kDirectWrite, table[page].flags & CMemory::kTestWrite) << page;
        EXPECT_EQ(Ram() + page * kKb, table[page].readContext) << page;
        EXPECT_EQ(Ram() + page * kKb, table[page].writeContext) << page;
    }
}

TEST_F(MemoryTest, AllocateRoundsToPagesAndKeepsAGivenLimit) {
    ASSERT_TRUE(m_memory.Allocate(1500, 999, 100));
    EXPECT_EQ(2 * kKb, m_memory.GetSize());
    EXPECT_EQ(999u, m_memory.GetAddressLimit());
    EXPECT_EQ(6u, m_memory.GetPageCount()); // main 2, guard, extra, guard, one more
    EXPECT_EQ(kKb, m_memory.GetExtraAreaSize());
    EXPECT_EQ(Ram() + 3 * kKb, m_memory.GetExtraArea());
    EXPECT_EQ(0u, m_memory.GetPageAccess(2)); // the guard in front of the extra area
    EXPECT_EQ(3u, m_memory.GetPageAccess(3));
    ASSERT_TRUE(m_memory.Allocate(0, 0, 0));
    EXPECT_EQ(0u, m_memory.GetPageCount());
    EXPECT_EQ(0xFF, m_memory.ReadByte(0, 0));
}

TEST_F(MemoryTest, StartClearsRamAndPutsPagesBack) {
    m_memory.WriteByte(0x1234, 0x55);
    m_memory.SetPageAccess(0, 4, 1);
    m_memory.SetReadHandler(5, 1, &m_probe, CProbe::Read, true);
    m_memory.SetReadAlias(6, 7, 1);
    int32_t rate = 4900;
    ASSERT_TRUE(m_memory.Start(&rate));
    EXPECT_EQ(0, m_memory.ReadByte(0x1234, 0));
    for (uint32_t page : {4u, 5u, 6u}) {
        const CMemory::CPageDescriptor& d = m_memory.GetPageTable()[page];
        EXPECT_EQ(CMemory::kPageRead | CMemory::kPageWrite, d.flags) << page;
        EXPECT_EQ(page, d.readAlias);
        EXPECT_EQ(Ram() + page * kKb, d.readContext);
    }
}

// --- Plain RAM, out of range, unmapped -------------------------------------------

TEST_F(MemoryTest, PlainRamAnswersEveryWidthLittleEndian) {
    m_memory.WriteByte(0x100, 0x12);
    m_memory.WriteWord(0x200, 0x3456);
    m_memory.WriteDword(0x300, 0x89ABCDEF);
    EXPECT_EQ(0x12, m_memory.ReadByte(0x100, 0));
    EXPECT_EQ(0x56, Ram()[0x200]);
    EXPECT_EQ(0x34, Ram()[0x201]);
    EXPECT_EQ(0x3456, m_memory.ReadWord(0x200, 0));
    EXPECT_EQ(0x89ABCDEFu, m_memory.ReadDword(0x300, 0));
    EXPECT_EQ(0xCDEF, m_memory.ReadWord(0x300, 0));
}

TEST_F(MemoryTest, OutOfRangeReadsFFAndDropsWrites) {
    const uint32_t size = m_memory.GetSize();
    m_memory.WriteByte(size, 0x11);
    m_memory.WriteWord(size + 4, 0x2222);
    EXPECT_EQ(0, Ram()[size]); // the guard page stays untouched
    EXPECT_EQ(0, Ram()[size + 4]);
    EXPECT_EQ(0xFF, m_memory.ReadByte(size, 0));
    EXPECT_EQ(0xFFFF, m_memory.ReadWord(0xFFFFFFFE, 0));
    EXPECT_EQ(0xFFFFFFFFu, m_memory.ReadDword(size + 100, 0));
}

TEST_F(MemoryTest, WordStraddlingTheEndKeepsItsInRangeByte) {
    const uint32_t last = m_memory.GetSize() - 1;
    Ram()[last] = 0x42;
    EXPECT_EQ(0xFF42, m_memory.ReadWord(last, 0));
    m_memory.WriteWord(last, 0x1234);
    EXPECT_EQ(0x34, Ram()[last]);
    EXPECT_EQ(0, Ram()[last + 1]);
}

TEST_F(MemoryTest, HooksSeeOutOfRangeAndUnmappedAccesses) {
    CProbe range, unmapped;
    m_memory.SetOutOfRangeHooks(&range, CProbe::Read, &range, CProbe::Write);
    m_memory.SetUnmappedHooks(&unmapped, CProbe::Read, &unmapped, CProbe::Write);
    m_memory.SetPageAccess(0, 2, 1);
    EXPECT_EQ(0xA0, m_memory.ReadByte(0x10000, 1));
    m_memory.WriteByte(0x10001, 7);
    EXPECT_EQ(0xA0, m_memory.ReadByte(0x805, 0));
    m_memory.WriteByte(0x806, 9);
    ASSERT_EQ(2u, range.calls.size());
    EXPECT_EQ(0x10000u, range.calls[0].address);
    EXPECT_EQ(1, range.calls[0].flag);
    EXPECT_EQ(7u, range.calls[1].value);
    ASSERT_EQ(2u, unmapped.calls.size());
    EXPECT_EQ(0x806u, unmapped.calls[1].address);
    // A null hook puts the default back.
    m_memory.SetUnmappedHooks(nullptr, nullptr, nullptr, nullptr);
    EXPECT_EQ(0xFF, m_memory.ReadByte(0x805, 0));
}

TEST_F(MemoryTest, PageWithoutAccessIgnoresItsHandlers) {
    m_memory.SetReadHandler(3, 1, &m_probe, CProbe::Read, false);
    m_memory.SetWriteHandler(3, 1, &m_probe, CProbe::Write, false);
    ASSERT_TRUE(m_memory.SetPageAccess(0, 3, 1));
    Ram()[0xC00] = 0x77;
    EXPECT_EQ(0xFF, m_memory.ReadByte(0xC00, 0));
    m_memory.WriteByte(0xC01, 0x12);
    EXPECT_EQ(0, Ram()[0xC01]);
    EXPECT_TRUE(m_probe.calls.empty());
    // Read-only and write-only modes.
    m_memory.SetPageAccess(1, 3, 1);
    m_memory.SetReadHandler(3, 1, nullptr, nullptr, false);
    m_memory.SetWriteHandler(3, 1, nullptr, nullptr, false);
    m_memory.WriteByte(0xC00, 0x12);
    EXPECT_EQ(0x77, m_memory.ReadByte(0xC00, 0));
    m_memory.SetPageAccess(2, 3, 1);
    m_memory.WriteByte(0xC00, 0x12);
    EXPECT_EQ(0xFF, m_memory.ReadByte(0xC00, 0));
    EXPECT_EQ(0x12, Ram()[0xC00]);
}

TEST_F(MemoryTest, PageAccessRangeChecks) {
    EXPECT_FALSE(m_memory.SetPageAccess(4, 0, 1));
    EXPECT_FALSE(m_memory.SetPageAccess(1, 65, 2));
    EXPECT_EQ(1u, m_memory.GetPageAccess(65)); // the pages before the end are set
    EXPECT_EQ(0u, m_memory.GetPageAccess(66));
    EXPECT_TRUE(m_memory.SetPageAccess(2, 0, 0));
    EXPECT_EQ(3u, m_memory.GetPageAccess(0));
}

// --- Handlers ----------------------------------------------------------------------

TEST_F(MemoryTest, ReadHandlerAnswersOrFallsBackToRam) {
    ASSERT_TRUE(m_memory.SetReadHandler(8, 2, &m_probe, CProbe::Read, false));
    const CMemory::CPageDescriptor& d = m_memory.GetPageTable()[8];
    EXPECT_EQ(CMemory::kHandlerRead, d.flags & CMemory::kTestDataRead);
    EXPECT_EQ(&m_probe, d.readContext);
    EXPECT_EQ(0xA0, m_memory.ReadByte(0x2001, 1));
    ASSERT_EQ(1u, m_probe.calls.size());
    EXPECT_EQ(0x2001u, m_probe.calls[0].address);
    EXPECT_EQ(1u, m_probe.calls[0].size);
    EXPECT_EQ(1, m_probe.calls[0].flag);
    m_probe.answer = false;
    Ram()[0x2002] = 0x5A;
    EXPECT_EQ(0x5A, m_memory.ReadByte(0x2002, 0));
}

TEST_F(MemoryTest, WriteHandlerTakesOrLeavesToRam) {
    ASSERT_TRUE(m_memory.SetWriteHandler(8, 1, &m_probe, CProbe::Write, false));
    EXPECT_EQ(CMemory::kHandlerWrite, m_memory.GetPageTable()[8].flags & CMemory::kTestWrite);
    m_memory.WriteByte(0x2003, 0x44);
    EXPECT_EQ(0, Ram()[0x2003]);
    m_probe.answer = false;
    m_memory.WriteByte(0x2003, 0x45);
    EXPECT_EQ(0x45, Ram()[0x2003]);
    ASSERT_EQ(2u, m_probe.calls.size());
    EXPECT_EQ(0x44u, m_probe.calls[0].value);
}

TEST_F(MemoryTest, HandlerSettersCheckTheirRange) {
    EXPECT_TRUE(m_memory.SetReadHandler(100, 0, &m_probe, CProbe::Read, false));
    EXPECT_TRUE(m_memory.SetWriteHandler(100, 0, &m_probe, CProbe::Write, false));
    EXPECT_FALSE(m_memory.SetReadHandler(65, 2, &m_probe, CProbe::Read, false));
    EXPECT_FALSE(m_memory.SetWriteHandler(65, 2, &m_probe, CProbe::Write, false));
    EXPECT_FALSE(m_memory.SetWriteHandler(0xFFFFFFFF, 2, &m_probe, CProbe::Write, false));
    EXPECT_EQ(&m_probe, m_memory.GetPageTable()[65].readContext);
    EXPECT_EQ(&m_probe, m_memory.GetPageTable()[65].writeContext);
}

TEST_F(MemoryTest, NullHandlerReadsAndWritesPlainRam) {
    m_memory.SetReadHandler(2, 1, &m_probe, CProbe::Read, true);
    m_memory.SetWriteHandler(2, 1, &m_probe, CProbe::Write, true);
    m_memory.SetReadHandler(2, 1, nullptr, nullptr, true);
    m_memory.SetWriteHandler(2, 1, nullptr, nullptr, true);
    m_memory.WriteWord(0x810, 0xBEEF);
    EXPECT_EQ(0xBEEF, m_memory.ReadWord(0x810, 0));
    EXPECT_EQ(0xEF, Ram()[0x810]);
    EXPECT_TRUE(m_probe.calls.empty());
    const uint32_t flags = m_memory.GetPageTable()[2].flags;
    EXPECT_EQ(0u, flags & (CMemory::kPageReadUnaliased | CMemory::kPageWriteUnaliased));
    EXPECT_EQ(CMemory::kHandlerRead, flags & CMemory::kTestDataRead);
}

// --- Multi-byte splitting ----------------------------------------------------------

TEST_F(MemoryTest, WordInsideAPageIsOfferedWhole) {
    m_memory.SetReadHandler(1, 1, &m_probe, CProbe::Read, false);
    m_memory.SetWriteHandler(1, 1, &m_probe, CProbe::Write, false);
    EXPECT_EQ(0xA1A0, m_memory.ReadWord(0x500, 0));
    EXPECT_EQ(0xA3A2A1A0u, m_memory.ReadDword(0x7FC, 0));
    m_memory.WriteDword(0x404, 0x01020304);
    ASSERT_EQ(3u, m_probe.calls.size());
    EXPECT_EQ(2u, m_probe.calls[0].size);
    EXPECT_EQ(4u, m_probe.calls[1].size);
    EXPECT_EQ(0x01020304u, m_probe.calls[2].value);
}

TEST_F(MemoryTest, WordOnAPageEdgeIsTwoByteReadsThroughTheirOwnPages) {
    CProbe next;
    next.fill = 0xB0;
    m_memory.SetReadHandler(0, 1, &m_probe, CProbe::Read, false);
    m_memory.SetReadHandler(1, 1, &next, CProbe::Read, false);
    EXPECT_EQ(0xB0A0, m_memory.ReadWord(0x3FF, 0));
    ASSERT_EQ(1u, m_probe.calls.size());
    EXPECT_EQ(0x3FFu, m_probe.calls[0].address);
    EXPECT_EQ(1u, m_probe.calls[0].size);
    ASSERT_EQ(1u, next.calls.size());
    EXPECT_EQ(0x400u, next.calls[0].address);
}

TEST_F(MemoryTest, DwordOnAPageEdgeSplitsIntoWordsThenBytes) {
    m_memory.SetWriteHandler(0, 2, &m_probe, CProbe::Write, false);
    m_probe.answer = false;
    m_memory.WriteDword(0x3FE, 0x44332211);
    // A word at 0x3FE (whole), then a word at 0x400 (whole): both refused, so bytes.
    std::vector<uint32_t> sizes;
    for (const CProbe::CCall& call : m_probe.calls)
        sizes.push_back(call.size);
    EXPECT_EQ((std::vector<uint32_t>{2, 1, 1, 2, 1, 1}), sizes);
    EXPECT_EQ(0x44332211u, m_memory.ReadDword(0x3FE, 0));
}

TEST_F(MemoryTest, RefusedWordFallsBackToBytes) {
    m_memory.SetReadHandler(4, 1, &m_probe, CProbe::Read, false);
    m_probe.answer = false;
    Ram()[0x1010] = 0x34;
    Ram()[0x1011] = 0x12;
    EXPECT_EQ(0x1234, m_memory.ReadWord(0x1010, 0));
    EXPECT_EQ(3u, m_probe.calls.size()); // once whole, then each byte
}

// --- Aliases -----------------------------------------------------------------------

TEST_F(MemoryTest, ReadAliasReadsTheTargetPage) {
    Ram()[5 * kKb + 7] = 0x99;
    ASSERT_TRUE(m_memory.SetReadAlias(2, 5, 1));
    EXPECT_EQ(0x99, m_memory.ReadByte(2 * kKb + 7, 0));
    EXPECT_NE(CMemory::kDirectRead, m_memory.GetPageTable()[2].flags & CMemory::kTestDataRead);
    // Writes still land on the page itself.
    m_memory.WriteByte(2 * kKb + 7, 0x11);
    EXPECT_EQ(0x11, Ram()[2 * kKb + 7]);
    // Undo: the page reads its own bytes again on the direct path.
    ASSERT_TRUE(m_memory.SetReadAlias(2, 2, 1));
    EXPECT_EQ(0x11, m_memory.ReadByte(2 * kKb + 7, 0));
    const CMemory::CPageDescriptor& d = m_memory.GetPageTable()[2];
    EXPECT_EQ(CMemory::kDirectRead, d.flags & CMemory::kTestDataRead);
    EXPECT_EQ(Ram() + 2 * kKb, d.readContext);
}

TEST_F(MemoryTest, WriteAliasWritesTheTargetPage) {
    ASSERT_TRUE(m_memory.SetWriteAlias(10, 20, 2));
    m_memory.WriteByte(11 * kKb + 3, 0x66);
    EXPECT_EQ(0x66, Ram()[21 * kKb + 3]);
    EXPECT_EQ(0, Ram()[11 * kKb + 3]);
    m_memory.WriteWord(10 * kKb + 0x10, 0x1234);
    EXPECT_EQ(0x1234, m_memory.ReadWord(20 * kKb + 0x10, 0));
    EXPECT_FALSE(m_memory.SetWriteAlias(65, 10, 2));
}

TEST_F(MemoryTest, AliasedAccessReachesTheTargetHandler) {
    m_memory.SetReadHandler(5, 1, &m_probe, CProbe::Read, false);
    m_memory.SetReadAlias(2, 5, 1);
    m_memory.ReadByte(2 * kKb + 7, 0);
    m_memory.SetReadHandler(5, 1, &m_probe, CProbe::Read, true); // pass the unaliased address
    m_memory.ReadByte(2 * kKb + 7, 0);
    ASSERT_EQ(2u, m_probe.calls.size());
    EXPECT_EQ(5 * kKb + 7, m_probe.calls[0].address);
    EXPECT_EQ(2 * kKb + 7, m_probe.calls[1].address);
    // A declined aliased read gives the target's RAM byte.
    m_probe.answer = false;
    Ram()[5 * kKb + 7] = 0x3C;
    EXPECT_EQ(0x3C, m_memory.ReadByte(2 * kKb + 7, 0));
}

TEST_F(MemoryTest, AliasFollowsOneHopOnly) {
    CProbe middle;
    middle.fill = 0xC0;
    m_memory.SetReadHandler(5, 1, &middle, CProbe::Read, true);
    m_memory.SetReadHandler(9, 1, &m_probe, CProbe::Read, false);
    m_memory.SetReadAlias(5, 9, 1);
    m_memory.SetReadAlias(2, 5, 1);
    // Page 2 answers through page 5's own handler at page 5's address.
    EXPECT_EQ(0xC0, m_memory.ReadByte(2 * kKb + 1, 0));
    ASSERT_EQ(1u, middle.calls.size());
    EXPECT_EQ(5 * kKb + 1, middle.calls[0].address);
    EXPECT_TRUE(m_probe.calls.empty());
    // A word on such a page is split into bytes rather than offered whole.
    m_memory.ReadWord(2 * kKb + 4, 0);
    EXPECT_EQ(1u, middle.calls.back().size);
}

TEST_F(MemoryTest, AliasToUnmappedPageUsesTheUnmappedHook) {
    m_memory.SetPageAccess(0, 7, 1);
    m_memory.SetWriteAlias(3, 7, 1);
    m_memory.SetReadAlias(3, 7, 1);
    m_memory.WriteByte(3 * kKb, 0x12);
    EXPECT_EQ(0, Ram()[7 * kKb]);
    EXPECT_EQ(0, Ram()[3 * kKb]);
    EXPECT_EQ(0xFF, m_memory.ReadByte(3 * kKb, 0));
}

// --- External blocks, watches, saved marks ----------------------------------------

TEST_F(MemoryTest, MapExternalUsesTheCallersBlockUntilReset) {
    std::vector<uint8_t> block(2 * kKb, 0);
    block[kKb + 5] = 0xEE;
    m_memory.SetReadHandler(12, 2, &m_probe, CProbe::Read, true);
    ASSERT_TRUE(m_memory.MapExternal(12, 2, block.data()));
    EXPECT_EQ(0xEE, m_memory.ReadByte(13 * kKb + 5, 0));
    m_memory.WriteByte(12 * kKb, 0x21);
    EXPECT_EQ(0x21, block[0]);
    const CMemory::CPageDescriptor& d = m_memory.GetPageTable()[13];
    EXPECT_EQ(CMemory::kDirectRead, d.flags & CMemory::kTestFetch);
    EXPECT_EQ(block.data() + kKb, d.readContext);
    ASSERT_TRUE(m_memory.ResetPages(12, 2));
    EXPECT_EQ(0, m_memory.ReadByte(12 * kKb, 0));
    EXPECT_EQ(Ram() + 13 * kKb, d.readContext);
    EXPECT_FALSE(m_memory.ResetPages(60, 10));
}

TEST_F(MemoryTest, MapExternalReadReadsTheBlockAndWritesOwnRam) {
    std::vector<uint8_t> block(kKb, 0);
    block[5] = 0xEE;
    m_memory.SetReadHandler(12, 1, &m_probe, CProbe::Read, true);
    ASSERT_TRUE(m_memory.MapExternalRead(12, 1, block.data()));
    EXPECT_EQ(0xEE, m_memory.ReadByte(12 * kKb + 5, 0));
    m_memory.WriteByte(12 * kKb + 5, 0x21);
    EXPECT_EQ(0xEE, block[5]);
    EXPECT_EQ(0x21, Ram()[12 * kKb + 5]);
    EXPECT_EQ(CMemory::kDirectRead, m_memory.GetPageTable()[12].flags & CMemory::kTestFetch);
    EXPECT_FALSE(m_memory.MapExternalRead(65, 2, block.data()));
}

TEST_F(MemoryTest, AliasesKeepExternalBlocksMapped) {
    std::vector<uint8_t> target(kKb, 0x71), source(kKb, 0x72);
    ASSERT_TRUE(m_memory.MapExternal(12, 1, target.data()));
    ASSERT_TRUE(m_memory.MapExternal(3, 1, source.data()));
    ASSERT_TRUE(m_memory.SetReadAlias(3, 12, 1));
    ASSERT_TRUE(m_memory.SetWriteAlias(3, 12, 1));
    EXPECT_EQ(0x71, m_memory.ReadByte(3 * kKb + 9, 0));
    EXPECT_EQ(0x71, m_memory.ReadByte(12 * kKb + 9, 0));
    m_memory.WriteByte(3 * kKb + 9, 0x05);
    EXPECT_EQ(0x05, target[9]);
    // Taking the aliases away gives the page its own block back.
    ASSERT_TRUE(m_memory.SetReadAlias(3, 3, 1));
    ASSERT_TRUE(m_memory.SetWriteAlias(3, 3, 1));
    EXPECT_EQ(0x72, m_memory.ReadByte(3 * kKb + 9, 0));
    m_memory.WriteByte(3 * kKb + 10, 0x06);
    EXPECT_EQ(0x06, source[10]);
    EXPECT_EQ(CMemory::kDirectRead, m_memory.GetPageTable()[3].flags & CMemory::kTestFetch);
}

TEST_F(MemoryTest, WriteWatchKeepsWritesOffTheDirectPathOnly) {
    ASSERT_TRUE(m_memory.SetPageWatch(6, 1, true));
    const CMemory::CPageDescriptor& d = m_memory.GetPageTable()[6];
    EXPECT_NE(CMemory::kDirectWrite, d.flags & CMemory::kTestWrite);
    EXPECT_EQ(CMemory::kDirectRead, d.flags & CMemory::kTestFetch);
    m_memory.WriteByte(6 * kKb, 0x5E);
    EXPECT_EQ(0x5E, m_memory.ReadByte(6 * kKb, 0));
    ASSERT_TRUE(m_memory.SetPageWatch(6, 1, false));
    EXPECT_EQ(CMemory::kDirectWrite, d.flags & CMemory::kTestWrite);
    EXPECT_FALSE(m_memory.SetPageWatch(65, 2, true));
}

TEST_F(MemoryTest, ReadWatchKeepsOnlyFetchesOffTheDirectPath) {
    CMemory::CPageDescriptor& d = m_memory.GetPageTable()[6];
    d.flags |= CMemory::kPageReadWatch;
    EXPECT_EQ(CMemory::kDirectRead, d.flags & CMemory::kTestDataRead);
    EXPECT_NE(CMemory::kDirectRead, d.flags & CMemory::kTestFetch);
    Ram()[6 * kKb] = 0x31;
    EXPECT_EQ(0x31, m_memory.ReadByte(6 * kKb, 0));
}

TEST_F(MemoryTest, SavedMarksReplaceEachOther) {
    ASSERT_TRUE(m_memory.SetPageSaved(false, 1, 2));
    EXPECT_EQ(CMemory::kPageNotSaved, m_memory.GetPageTable()[1].flags & 0xC00);
    ASSERT_TRUE(m_memory.SetPageSaved(true, 1, 1));
    EXPECT_EQ(CMemory::kPageSaved, m_memory.GetPageTable()[1].flags & 0xC00);
    EXPECT_FALSE(m_memory.SetPageSaved(true, 65, 2));
}

// --- Extra area ---------------------------------------------------------------------

TEST_F(MemoryTest, ExtraAreaSwitchesIntoTheAddressSpace) {
    ASSERT_TRUE(m_memory.Allocate(16 * kKb, 0, 4 * kKb));
    uint32_t size = 0, limit = 0, limitMinus2 = 0;
    m_memory.SetProcessorWords(&size, &limit, &limitMinus2);
    const uint32_t extraStart = 17 * kKb;
    m_memory.GetExtraArea()[3] = 0x4D;
    EXPECT_EQ(0xFF, m_memory.ReadByte(extraStart + 3, 0));
    ASSERT_TRUE(m_memory.SwitchExtraArea(true));
    EXPECT_TRUE(m_memory.IsExtraAreaSwitchedIn());
    EXPECT_EQ(21 * kKb, m_memory.GetSize());
    EXPECT_EQ(21 * kKb, size);
    EXPECT_EQ(21 * kKb - 1, limit);
    EXPECT_EQ(21 * kKb - 3, limitMinus2);
    EXPECT_EQ(0x4D, m_memory.ReadByte(extraStart + 3, 0));
    EXPECT_EQ(0xFF, m_memory.ReadByte(16 * kKb, 0)); // the guard answers nothing
    ASSERT_TRUE(m_memory.SwitchExtraArea(true));     // already in: unchanged
    EXPECT_EQ(21 * kKb, m_memory.GetSize());
    ASSERT_TRUE(m_memory.SwitchExtraArea(false));
    EXPECT_EQ(16 * kKb, size);
    EXPECT_EQ(16 * kKb, m_memory.GetSize());
}

// --- Bulk transfers ----------------------------------------------------------------

TEST_F(MemoryTest, LoadBytesRefusesBadArguments) {
    test::CTestStream stream(test::Bytes(16, 0x11));
    EXPECT_FALSE(m_memory.LoadBytes(&stream.Stream(), 0, 0, 1));
    EXPECT_FALSE(m_memory.LoadBytes(&stream.Stream(), 0, 9, 1));
    EXPECT_FALSE(m_memory.LoadBytes(&stream.Stream(), m_memory.GetSize(), 1, 1));
    // Not even one chunk fits: nothing copied, and said so.
    EXPECT_FALSE(m_memory.LoadBytes(&stream.Stream(), m_memory.GetSize() - 2, 4, 4));
    EXPECT_EQ(0, stream.GetPosition());
    EXPECT_EQ(0, Ram()[m_memory.GetSize() - 2]);
}

TEST_F(MemoryTest, LoadBytesSpreadsChunksByStride) {
    struct CCase {
        int32_t chunk;
        int32_t stride;
    };
    for (const CCase& c : {CCase{1, 2}, CCase{2, 4}, CCase{4, 4}, CCase{8, 16}}) {
        ASSERT_TRUE(m_memory.Allocate(4 * kKb, 0, 0));
        test::Bytes bytes;
        for (int i = 0; i < 3 * c.chunk; ++i)
            bytes.push_back(static_cast<uint8_t>(i + 1));
        test::CTestStream stream(bytes);
        EXPECT_TRUE(m_memory.LoadBytes(&stream.Stream(), 0x100, c.chunk, c.stride)) << c.chunk;
        // Every chunk arrives whole, then the stream runs dry.
        for (int n = 0; n < 3; ++n) {
            for (int i = 0; i < c.chunk; ++i)
                EXPECT_EQ(n * c.chunk + i + 1, Ram()[0x100 + n * c.stride + i]) << c.chunk << " " << n;
        }
        EXPECT_EQ(0, Ram()[0x100 + 3 * c.stride]);
    }
}

TEST_F(MemoryTest, LoadBytesStopsBeforeTheEnd) {
    test::CTestStream stream(test::Bytes(100, 0x22));
    const uint32_t size = m_memory.GetSize();
    EXPECT_TRUE(m_memory.LoadBytes(&stream.Stream(), size - 10, 4, 4));
    EXPECT_EQ(8, stream.GetPosition());
    EXPECT_EQ(0x22, Ram()[size - 3]);
    EXPECT_EQ(0, Ram()[size - 2]);
    EXPECT_EQ(0, Ram()[size]);
}

TEST_F(MemoryTest, BlocksGoThroughTheByteAccessesAndWrapAtTheMask) {
    const uint8_t data[4] = {1, 2, 3, 4};
    m_memory.SetWriteHandler(0, 1, &m_probe, CProbe::Write, false);
    m_probe.answer = false;
    ASSERT_TRUE(m_memory.WriteBlock(0xFFFE, data, 4, 0));
    EXPECT_EQ(1, Ram()[0xFFFE]);
    EXPECT_EQ(3, Ram()[0]);
    EXPECT_EQ(2u, m_probe.calls.size());
    uint8_t out[4] = {};
    ASSERT_TRUE(m_memory.ReadBlock(0x7FE, out, 4, 0x7FF));
    EXPECT_EQ(0, std::memcmp(out, "\0\0\x03\x04", 4));
    ASSERT_TRUE(m_memory.CopyBlock(0xFFFE, 0x100, 4, 0));
    EXPECT_EQ(0x0201, m_memory.ReadWord(0x100, 0));
    ASSERT_TRUE(m_memory.CopyBytesToWords(0x100, 0x200, 2, 0));
    EXPECT_EQ(0x00020001u, m_memory.ReadDword(0x200, 0));
    EXPECT_EQ(0x0002u, m_memory.ReadWord(0x202, 0));
}

TEST_F(MemoryTest, WriteFromStreamFailsWhenTheStreamRunsDry) {
    test::CTestStream stream(test::Bytes{7, 8, 9});
    EXPECT_FALSE(m_memory.WriteFromStream(0x40, &stream.Stream(), 4, 0));
    EXPECT_EQ(9, Ram()[0x42]);
    test::CTestStream whole(test::Bytes{7, 8});
    EXPECT_TRUE(m_memory.WriteFromStream(0x50, &whole.Stream(), 2, 0));
}

// --- Listener -----------------------------------------------------------------------

TEST_F(MemoryTest, MachineHearsOfPageChangesAndReallocations) {
    memtest::CRecordingMachine machine;
    memtest::CNotifiedProcessor processor;
    machine.m_processor = &processor;
    m_memory.SetMachine(&machine);
    m_memory.SetPageAccess(1, 3, 2);
    m_memory.SetReadHandler(7, 1, &m_probe, CProbe::Read, false);
    m_memory.SetPageWatch(8, 1, true); // no notification
    EXPECT_EQ((std::vector<int32_t>{3, 4, 7}), processor.m_notified);
    processor.m_notified.clear();
    ASSERT_TRUE(m_memory.Allocate(8 * kKb, 0, kKb));
    EXPECT_EQ((std::vector<int32_t>{-1, 8}), processor.m_notified);
    EXPECT_EQ((std::vector<uint32_t>{emu::CDevice::kResetMemoryChanged}), machine.m_resets);
    m_memory.SetMachine(nullptr);
    ASSERT_TRUE(m_memory.Allocate(8 * kKb, 0, 0));
    EXPECT_EQ(1u, machine.m_resets.size());
}

// --- State --------------------------------------------------------------------------

TEST_F(MemoryTest, StateSavesLoadsAndSavesAgainIdentically) {
    ASSERT_TRUE(m_memory.Allocate(8 * kKb, 0x1FFF, 2 * kKb));
    for (uint32_t i = 0; i < 8 * kKb; ++i)
        Ram()[i] = static_cast<uint8_t>(i * 7);
    m_memory.GetExtraArea()[100] = 0x5C;
    m_memory.SwitchExtraArea(true);
    const test::Bytes saved = memtest::SaveBytes(m_memory);

    CMemory other;
    ASSERT_TRUE(memtest::LoadBytes(other, saved));
    EXPECT_EQ(8 * kKb + kKb + 2 * kKb, other.GetSize());
    EXPECT_TRUE(other.IsExtraAreaSwitchedIn());
    EXPECT_EQ(0x1FFFu, other.GetAddressLimit());
    EXPECT_EQ(static_cast<uint8_t>(1234 * 7), other.ReadByte(1234, 0));
    EXPECT_EQ(0x5C, other.GetExtraArea()[100]);
    EXPECT_EQ(saved, memtest::SaveBytes(other));
    // A second load into the same layout keeps it and gives the same bytes.
    ASSERT_TRUE(memtest::LoadBytes(other, saved));
    EXPECT_EQ(saved, memtest::SaveBytes(other));
}

TEST_F(MemoryTest, PagesLeftOutOfTheStateSplitTheBlocks) {
    ASSERT_TRUE(m_memory.SetPageSaved(false, 32, 16));
    Ram()[40 * kKb] = 0x77;
    const test::Bytes saved = memtest::SaveBytes(m_memory);
    // Read the chunk back field by field: two blocks, 0-31 and 48 to the table's end.
    test::CTestStream stream(saved);
    common::CStreamHolder holder(&stream.Stream());
    uint8_t version = 1;
    uint64_t value = 0;
    bool present = false;
    ASSERT_TRUE(holder.ReadMarker(common::CNarrowString("_MEMS"), common::CStreamHolder::kChunkBegin, nullptr));
    ASSERT_TRUE(holder.ReadUInt8Field(version, common::CNarrowString("VER")));
    EXPECT_EQ(0, version);
    ASSERT_TRUE(holder.ReadUInt64Field(value, common::CNarrowString("MSZ")));
    EXPECT_EQ(64 * kKb, value);
    ASSERT_TRUE(holder.ReadUInt64Field(value, common::CNarrowString("MLM")));
    ASSERT_TRUE(holder.ReadUInt64Field(value, common::CNarrowString("VBS")));
    EXPECT_EQ(0u, value);
    const uint64_t expected[2] = {0 | (32ull << 32), 48 | (18ull << 32)};
    for (int n = 0; n < 2; ++n) {
        common::CNarrowString name;
        name.Format("MDT%ld", static_cast<long>(n));
        ASSERT_TRUE(holder.ReadBoolField(present, name));
        EXPECT_TRUE(present);
        name.Format("MDTS%ld", static_cast<long>(n));
        ASSERT_TRUE(holder.ReadUInt64Field(value, name));
        EXPECT_EQ(expected[n], value);
        std::vector<uint8_t> bytes(static_cast<size_t>(value >> 32) * kKb);
        name.Format("MDTA%ld", static_cast<long>(n));
        ASSERT_TRUE(holder.ReadBlobField(bytes.data(), static_cast<int64_t>(bytes.size()), name));
    }
    ASSERT_TRUE(holder.ReadBoolField(present, common::CNarrowString("MDT2")));
    EXPECT_FALSE(present);
    ASSERT_TRUE(holder.ReadMarker(common::CNarrowString("_MEMS"), common::CStreamHolder::kChunkEnd, nullptr));

    // The excluded pages keep what they had across a load.
    Ram()[40 * kKb] = 0x78;
    ASSERT_TRUE(memtest::LoadBytes(m_memory, saved));
    EXPECT_EQ(0x78, Ram()[40 * kKb]);
}

TEST_F(MemoryTest, LoadRefusesWrongVersionAndBadBlocks) {
    const test::Bytes saved = memtest::SaveBytes(m_memory);
    test::Bytes wrongVersion = saved;
    // "VER" is the first field: marker, chunk name record (4 + 5 bytes), F8, name (4 + 3), type, value.
    const size_t versionAt = 1 + 4 + 5 + 1 + 4 + 3 + 1;
    ASSERT_EQ(0, wrongVersion[versionAt]);
    wrongVersion[versionAt] = 1;
    CMemory other;
    EXPECT_FALSE(memtest::LoadBytes(other, wrongVersion));
    // A block covering a page that this map leaves out of the state is refused.
    ASSERT_TRUE(other.Allocate(64 * kKb, 0, 0));
    other.SetPageSaved(false, 3, 1);
    EXPECT_FALSE(memtest::LoadBytes(other, saved));
    // A truncated state fails.
    test::Bytes truncated(saved.begin(), saved.begin() + static_cast<long>(saved.size() / 2));
    EXPECT_FALSE(memtest::LoadBytes(m_memory, truncated));
}

TEST_F(MemoryTest, LoadReallocatesADifferentLayout) {
    const test::Bytes saved = memtest::SaveBytes(m_memory);
    CMemory other;
    ASSERT_TRUE(other.Allocate(4 * kKb, 0, kKb));
    ASSERT_TRUE(memtest::LoadBytes(other, saved));
    EXPECT_EQ(64 * kKb, other.GetSize());
    EXPECT_EQ(66u, other.GetPageCount());
    EXPECT_EQ(nullptr, other.GetExtraArea());
}

} // namespace
