#include "emu/framework/CMemory.h"

#include <cstring>
#include <new>

#include "common/CNarrowString.h"
#include "common/CStream.h"
#include "common/CStreamHolder.h"
#include "common/LittleEndian.h"
#include "common/OsHelpers.h"
#include "emu/framework/CDevice.h"
#include "emu/framework/CMachineInterface.h"
#include "emu/framework/CProcessorInterface.h"

namespace emu {

namespace {

constexpr uint8_t kStateVersion = 0;
constexpr uint32_t kAccessMask = CMemory::kPageRead | CMemory::kPageWrite;
constexpr uint32_t kStateMask = CMemory::kPageSaved | CMemory::kPageNotSaved;
// Read side: readable and aliased bits; write side likewise.
constexpr uint32_t kReadRoute = CMemory::kPageRead | CMemory::kPageReadAlias;
constexpr uint32_t kWriteRoute = CMemory::kPageWrite | CMemory::kPageWriteAlias;

bool CopySizeRead(uint32_t size) {
    return size == 1 || size == 2 || size == 4 || size == 6 || size == 8 || size == 10;
}

bool CopySizeWrite(uint32_t size) {
    return size == 1 || size == 2 || size == 4 || size == 8;
}

} // namespace

std::atomic<uint32_t> CMemory::s_layoutGeneration{0};

CMemory::CMemory()
    : m_size(0), m_pageCount(0), m_addressLimit(0), m_allocation(nullptr), m_ramBase(nullptr), m_pages(nullptr),
      m_extraSize(0), m_extraArea(nullptr), m_extraSwitchedIn(false), m_allocationBytes(0), m_mainSize(0),
      m_machine(nullptr), m_sizeWord(nullptr), m_limitWord(nullptr), m_limitMinus2Word(nullptr) {
    SetName("_MEM");
    ResetHooks();
}

CMemory::~CMemory() {
    Release();
}

// ---------------------------------------------------------------------------
// Life cycle

void CMemory::Release() {
    CountLayoutChange();
    m_sizeWord = nullptr;
    m_limitWord = nullptr;
    m_limitMinus2Word = nullptr;
    m_extraSwitchedIn = false;
    if (m_allocation != nullptr)
        common::FreeVirtualMemory(m_allocation, static_cast<int64_t>(m_allocationBytes) + kPageSize);
    delete[] m_pages;
    m_allocation = nullptr;
    m_ramBase = nullptr;
    m_pages = nullptr;
    m_extraArea = nullptr;
    m_size = 0;
    m_mainSize = 0;
    m_pageCount = 0;
    m_addressLimit = 0;
    m_extraSize = 0;
    m_allocationBytes = 0;
    ResetHooks();
}

void CMemory::ResetHooks() {
    std::memset(m_defaultValue, 0xFF, sizeof(m_defaultValue));
    m_outOfRangeRead = {nullptr, DefaultReadFalse};
    m_outOfRangeWrite = {nullptr, DefaultWriteTrue};
    m_unmappedRead = {nullptr, DefaultReadFalse};
    m_unmappedWrite = {nullptr, DefaultWriteTrue};
}

void CMemory::ResetPage(uint32_t page) {
    CPageDescriptor& d = m_pages[page];
    uint8_t* bytes = OwnBytes(page);
    d.flags = kAccessMask;
    d.readContext = bytes;
    d.readHandler = ReadPageRelative;
    d.readAlias = page;
    d.writeContext = bytes;
    d.writeHandler = WritePageRelative;
    d.writeAlias = page;
}

void CMemory::ResetAllPages() {
    CountLayoutChange();
    for (uint32_t page = 0; page < m_pageCount; ++page)
        ResetPage(page);
    // The guard page in front of an extra area answers nothing.
    if (m_extraSize != 0)
        m_pages[m_mainSize >> kPageShift].flags &= ~kAccessMask;
}

void CMemory::NotifyPage(int32_t page) {
    CountLayoutChange();
    if (m_machine == nullptr)
        return;
    CProcessorInterface* processor = m_machine->GetMainProcessor();
    if (processor != nullptr)
        processor->NotifyValue(page);
}

namespace {

const uint64_t kMaxLoadedLayoutBytes = uint64_t(64) << 20;

} // namespace

bool CMemory::Allocate(uint32_t size, uint32_t limit, uint32_t extra) {
    NotifyPage(-1);
    Release();
    if (size == 0)
        return true;
    const uint64_t mainBytes =
        (static_cast<uint64_t>(size) + kPageOffsetMask) & ~static_cast<uint64_t>(kPageOffsetMask);
    const uint64_t extraBytes =
        (static_cast<uint64_t>(extra) + kPageOffsetMask) & ~static_cast<uint64_t>(kPageOffsetMask);
    const uint64_t allocationBytes =
        extraBytes != 0 ? mainBytes + extraBytes + 3 * kPageSize : mainBytes + 2 * kPageSize;
    // Addresses are 32 bits wide: the whole layout, guards included, must fit.
    if (allocationBytes + kPageSize > 0xFFFFFFFFull)
        return false;
    const uint32_t pageCount = static_cast<uint32_t>(allocationBytes >> kPageShift);
    uint8_t* block =
        static_cast<uint8_t*>(common::AllocateVirtualMemory(static_cast<int64_t>(allocationBytes) + kPageSize, false));
    if (block == nullptr)
        return false;
    CPageDescriptor* pages = new (std::nothrow) CPageDescriptor[pageCount];
    if (pages == nullptr) {
        common::FreeVirtualMemory(block, static_cast<int64_t>(allocationBytes) + kPageSize);
        return false;
    }
    m_allocation = block;
    m_allocationBytes = static_cast<uint32_t>(allocationBytes);
    m_ramBase = block + kPageSize;
    m_pages = pages;
    m_pageCount = pageCount;
    m_mainSize = static_cast<uint32_t>(mainBytes);
    m_size = m_mainSize;
    m_extraSize = static_cast<uint32_t>(extraBytes);
    m_extraArea = m_extraSize != 0 ? m_ramBase + m_mainSize + kPageSize : nullptr;
    m_addressLimit = limit != 0 && limit < m_size ? limit : m_size - 1;
    ResetAllPages();
    if (m_extraSize != 0)
        NotifyPage(static_cast<int32_t>(m_mainSize >> kPageShift));
    // The processors and devices holding table pointers take the new layout.
    if (m_machine != nullptr) {
        CDevice* root = dynamic_cast<CDevice*>(m_machine);
        if (root != nullptr)
            root->Reset(CDevice::kResetMemoryChanged);
    }
    return true;
}

bool CMemory::Start(int32_t* /*value*/) {
    if (m_ramBase != nullptr)
        common::ZeroMemory(m_ramBase - kPageSize, m_allocationBytes + kPageSize);
    m_size = m_mainSize;
    m_extraSwitchedIn = false;
    ResetAllPages();
    ResetHooks();
    m_sizeWord = nullptr;
    m_limitWord = nullptr;
    m_limitMinus2Word = nullptr;
    return true;
}

void CMemory::Stop() {
    Release();
}

void CMemory::SetProcessorWords(uint32_t* sizeWord, uint32_t* limitWord, uint32_t* limitMinus2Word) {
    m_sizeWord = sizeWord;
    m_limitWord = limitWord;
    m_limitMinus2Word = limitMinus2Word;
}

bool CMemory::SwitchExtraArea(bool on) {
    if (m_extraSize == 0 || on == m_extraSwitchedIn)
        return true;
    m_extraSwitchedIn = on;
    m_size = on ? m_mainSize + kPageSize + m_extraSize : m_mainSize;
    if (m_sizeWord != nullptr)
        *m_sizeWord = m_size;
    if (m_limitWord != nullptr)
        *m_limitWord = m_size - 1;
    if (m_limitMinus2Word != nullptr)
        *m_limitMinus2Word = m_size - 3;
    NotifyPage(-1);
    return true;
}

void CMemory::SetOutOfRangeHooks(void* readContext, ReadHandler read, void* writeContext, WriteHandler write) {
    m_outOfRangeRead = read != nullptr ? CReadHook{readContext, read} : CReadHook{nullptr, DefaultReadFalse};
    m_outOfRangeWrite = write != nullptr ? CWriteHook{writeContext, write} : CWriteHook{nullptr, DefaultWriteTrue};
}

void CMemory::SetUnmappedHooks(void* readContext, ReadHandler read, void* writeContext, WriteHandler write) {
    m_unmappedRead = read != nullptr ? CReadHook{readContext, read} : CReadHook{nullptr, DefaultReadFalse};
    m_unmappedWrite = write != nullptr ? CWriteHook{writeContext, write} : CWriteHook{nullptr, DefaultWriteTrue};
}

// ---------------------------------------------------------------------------
// Slow path

uint8_t CMemory::ReadByte(uint32_t address, uint8_t flag) {
    uint8_t value = m_defaultValue[0];
    if (address >= m_size) {
        if (!m_outOfRangeRead.handler(m_outOfRangeRead.context, address, 1, &value, flag))
            value = m_defaultValue[0];
        return value;
    }
    const uint32_t page = address >> kPageShift;
    const CPageDescriptor& d = m_pages[page];
    uint32_t route = d.flags & kReadRoute;
    const CPageDescriptor* answering = &d;
    uint32_t handlerAddress = address;
    uint32_t ramAddress = address;
    if (route & kPageReadAlias) {
        const uint32_t target = d.readAlias;
        if (target != page) {
            // One hop: the target's own access and handler decide.
            const CPageDescriptor& e = m_pages[target];
            ramAddress = (address & kPageOffsetMask) | (target << kPageShift);
            answering = &e;
            route = e.flags & kReadRoute;
            if (route == kPageRead)
                handlerAddress = (e.flags & kPageReadUnaliased) ? address : ramAddress;
            else
                handlerAddress = ramAddress;
        }
        route &= kPageRead;
    }
    if (route == 0) {
        if (!m_unmappedRead.handler(m_unmappedRead.context, ramAddress, 1, &value, flag))
            value = m_defaultValue[0];
        return value;
    }
    if (!answering->readHandler(answering->readContext, handlerAddress, 1, &value, flag))
        value = m_ramBase[ramAddress];
    return value;
}

void CMemory::WriteByte(uint32_t address, uint8_t value) {
    if (address >= m_size) {
        m_outOfRangeWrite.handler(m_outOfRangeWrite.context, address, 1, &value);
        return;
    }
    const uint32_t page = address >> kPageShift;
    const CPageDescriptor& d = m_pages[page];
    uint32_t route = d.flags & kWriteRoute;
    const CPageDescriptor* answering = &d;
    uint32_t handlerAddress = address;
    uint32_t ramAddress = address;
    if (route & kPageWriteAlias) {
        const uint32_t target = d.writeAlias;
        if (target != page) {
            const CPageDescriptor& e = m_pages[target];
            ramAddress = (address & kPageOffsetMask) | (target << kPageShift);
            answering = &e;
            route = e.flags & kWriteRoute;
            if (route == kPageWrite)
                handlerAddress = (e.flags & kPageWriteUnaliased) ? address : ramAddress;
            else
                handlerAddress = ramAddress;
        }
        route &= kPageWrite;
    }
    if (route == 0) {
        m_unmappedWrite.handler(m_unmappedWrite.context, ramAddress, 1, &value);
        return;
    }
    if (!answering->writeHandler(answering->writeContext, handlerAddress, 1, &value))
        m_ramBase[ramAddress] = value;
}

// Offers a multi-byte read lying inside one page and inside the size to the
// handler or hook that answers it; false: split it into smaller reads.
bool CMemory::ReadInPage(uint32_t address, uint32_t size, uint8_t* value, uint8_t flag) {
    const uint32_t page = address >> kPageShift;
    const CPageDescriptor& d = m_pages[page];
    const uint32_t route = d.flags & kReadRoute;
    if (route == kPageRead)
        return d.readHandler(d.readContext, address, size, value, flag);
    if (route == 0)
        return m_unmappedRead.handler(m_unmappedRead.context, address, size, value, flag);
    const uint32_t target = d.readAlias;
    if (target == page)
        return false;
    const CPageDescriptor& e = m_pages[target];
    const uint32_t aliased = (address & kPageOffsetMask) | (target << kPageShift);
    const uint32_t targetRoute = e.flags & kReadRoute;
    if (targetRoute == kPageRead)
        return e.readHandler(e.readContext, (e.flags & kPageReadUnaliased) ? address : aliased, size, value, flag);
    if (targetRoute == 0)
        return m_unmappedRead.handler(m_unmappedRead.context, aliased, size, value, flag);
    return false;
}

bool CMemory::WriteInPage(uint32_t address, uint32_t size, uint8_t* value) {
    const uint32_t page = address >> kPageShift;
    const CPageDescriptor& d = m_pages[page];
    const uint32_t route = d.flags & kWriteRoute;
    if (route == kPageWrite)
        return d.writeHandler(d.writeContext, address, size, value);
    if (route == 0)
        return m_unmappedWrite.handler(m_unmappedWrite.context, address, size, value);
    const uint32_t target = d.writeAlias;
    if (target == page)
        return false;
    const CPageDescriptor& e = m_pages[target];
    const uint32_t aliased = (address & kPageOffsetMask) | (target << kPageShift);
    const uint32_t targetRoute = e.flags & kWriteRoute;
    if (targetRoute == kPageWrite)
        return e.writeHandler(e.writeContext, (e.flags & kPageWriteUnaliased) ? address : aliased, size, value);
    if (targetRoute == 0)
        return m_unmappedWrite.handler(m_unmappedWrite.context, aliased, size, value);
    return false;
}

uint16_t CMemory::ReadWord(uint32_t address, uint8_t flag) {
    uint8_t value[2];
    if (address >= m_size || m_size - address < 2) {
        if (m_outOfRangeRead.handler(m_outOfRangeRead.context, address, 2, value, flag))
            return common::LoadLittle<uint16_t>(value);
    } else if ((address & kPageOffsetMask) <= kPageSize - 2 && ReadInPage(address, 2, value, flag)) {
        return common::LoadLittle<uint16_t>(value);
    }
    const uint32_t low = ReadByte(address, flag);
    return static_cast<uint16_t>(low | (static_cast<uint32_t>(ReadByte(address + 1, flag)) << 8));
}

uint32_t CMemory::ReadDword(uint32_t address, uint8_t flag) {
    uint8_t value[4];
    if (address >= m_size || m_size - address < 4) {
        if (m_outOfRangeRead.handler(m_outOfRangeRead.context, address, 4, value, flag))
            return common::LoadLittle<uint32_t>(value);
    } else if ((address & kPageOffsetMask) <= kPageSize - 4 && ReadInPage(address, 4, value, flag)) {
        return common::LoadLittle<uint32_t>(value);
    }
    const uint32_t low = ReadWord(address, flag);
    return low | (static_cast<uint32_t>(ReadWord(address + 2, flag)) << 16);
}

// A write starting in range but reaching past the size is split at once, so
// that its in-range bytes land in memory; only a write wholly out of range
// goes to the out-of-range hook as a whole.
void CMemory::WriteWord(uint32_t address, uint16_t data) {
    uint8_t value[2];
    common::StoreLittle<uint16_t>(value, data);
    if (address >= m_size) {
        if (m_outOfRangeWrite.handler(m_outOfRangeWrite.context, address, 2, value))
            return;
    } else if (m_size - address >= 2 && (address & kPageOffsetMask) <= kPageSize - 2 &&
               WriteInPage(address, 2, value)) {
        return;
    }
    WriteByte(address, value[0]);
    WriteByte(address + 1, value[1]);
}

void CMemory::WriteDword(uint32_t address, uint32_t data) {
    uint8_t value[4];
    common::StoreLittle<uint32_t>(value, data);
    if (address >= m_size) {
        if (m_outOfRangeWrite.handler(m_outOfRangeWrite.context, address, 4, value))
            return;
    } else if (m_size - address >= 4 && (address & kPageOffsetMask) <= kPageSize - 4 &&
               WriteInPage(address, 4, value)) {
        return;
    }
    WriteWord(address, static_cast<uint16_t>(data));
    WriteWord(address + 2, static_cast<uint16_t>(data >> 16));
}

// ---------------------------------------------------------------------------
// Page set-up

bool CMemory::SetPageAccess(uint32_t mode, uint32_t firstPage, uint32_t count) {
    if (mode > kAccessMask)
        return false;
    for (uint32_t i = 0; i < count; ++i) {
        const uint32_t page = firstPage + i;
        if (page < firstPage || page >= m_pageCount)
            return false;
        m_pages[page].flags = (m_pages[page].flags & ~kAccessMask) | mode;
        NotifyPage(static_cast<int32_t>(page));
    }
    return true;
}

uint32_t CMemory::GetPageAccess(uint32_t page) const {
    return page < m_pageCount ? m_pages[page].flags & kAccessMask : 0;
}

bool CMemory::SetReadHandler(uint32_t firstPage, uint32_t count, void* context, ReadHandler handler,
                             bool passUnaliased) {
    for (uint32_t i = 0; i < count; ++i) {
        const uint32_t page = firstPage + i;
        if (page < firstPage || page >= m_pageCount)
            return false;
        CPageDescriptor& d = m_pages[page];
        d.flags &= ~kPageReadUnaliased;
        if (handler != nullptr) {
            d.readContext = context;
            d.readHandler = handler;
            if (passUnaliased)
                d.flags |= kPageReadUnaliased;
        } else {
            d.readContext = m_ramBase;
            d.readHandler = ReadAbsolute;
        }
        d.flags |= kPageReadHandler;
        NotifyPage(static_cast<int32_t>(page));
    }
    return true;
}

bool CMemory::SetWriteHandler(uint32_t firstPage, uint32_t count, void* context, WriteHandler handler,
                              bool passUnaliased) {
    for (uint32_t i = 0; i < count; ++i) {
        const uint32_t page = firstPage + i;
        if (page < firstPage || page >= m_pageCount)
            return false;
        CPageDescriptor& d = m_pages[page];
        d.flags &= ~kPageWriteUnaliased;
        if (handler != nullptr) {
            d.writeContext = context;
            d.writeHandler = handler;
            if (passUnaliased)
                d.flags |= kPageWriteUnaliased;
        } else {
            d.writeContext = m_ramBase;
            d.writeHandler = WriteAbsolute;
        }
        d.flags |= kPageWriteHandler;
        NotifyPage(static_cast<int32_t>(page));
    }
    return true;
}

// The aliased page's own descriptor is left as it is: while its alias bit is
// set, only the target answers, and taking the alias away gives the page back
// whatever it answered before (its own RAM or an external block).
bool CMemory::SetReadAlias(uint32_t page, uint32_t target, uint32_t count) {
    for (uint32_t i = 0; i < count; ++i) {
        const uint32_t p = page + i;
        const uint32_t t = target + i;
        if (p < page || t < target || p >= m_pageCount || t >= m_pageCount)
            return false;
        CPageDescriptor& d = m_pages[p];
        if (p == t) {
            d.flags &= ~kPageReadAlias;
            d.readAlias = p;
            NotifyPage(static_cast<int32_t>(p));
            continue;
        }
        d.flags |= kPageReadAlias;
        d.readAlias = t;
        // A target over its own RAM is read through the absolute handler from
        // now on; one over an external block keeps its block.
        CPageDescriptor& e = m_pages[t];
        if (e.readHandler == ReadPageRelative && e.readContext == OwnBytes(t)) {
            e.readHandler = ReadAbsolute;
            e.readContext = m_ramBase;
            e.flags |= kPageReadHandler;
        }
        NotifyPage(static_cast<int32_t>(p));
        NotifyPage(static_cast<int32_t>(t));
    }
    return true;
}

bool CMemory::SetWriteAlias(uint32_t page, uint32_t target, uint32_t count) {
    for (uint32_t i = 0; i < count; ++i) {
        const uint32_t p = page + i;
        const uint32_t t = target + i;
        if (p < page || t < target || p >= m_pageCount || t >= m_pageCount)
            return false;
        CPageDescriptor& d = m_pages[p];
        const uint32_t before = d.flags;
        if (p == t) {
            d.flags &= ~kPageWriteAlias;
            d.writeAlias = p;
            if (d.flags != before)
                NotifyPage(static_cast<int32_t>(p));
            continue;
        }
        d.flags |= kPageWriteAlias;
        d.writeAlias = t;
        CPageDescriptor& e = m_pages[t];
        const uint32_t targetBefore = e.flags;
        if (e.writeHandler == WritePageRelative && e.writeContext == OwnBytes(t)) {
            e.writeHandler = WriteAbsolute;
            e.writeContext = m_ramBase;
            e.flags |= kPageWriteHandler;
        }
        if (d.flags != before)
            NotifyPage(static_cast<int32_t>(p));
        if (e.flags != targetBefore)
            NotifyPage(static_cast<int32_t>(t));
    }
    return true;
}

bool CMemory::MapExternal(uint32_t firstPage, uint32_t count, uint8_t* block) {
    return MapBlock(firstPage, count, block, true);
}

bool CMemory::MapExternalRead(uint32_t firstPage, uint32_t count, uint8_t* block) {
    return MapBlock(firstPage, count, block, false);
}

bool CMemory::MapBlock(uint32_t firstPage, uint32_t count, uint8_t* block, bool writes) {
    for (uint32_t i = 0; i < count; ++i) {
        const uint32_t page = firstPage + i;
        if (page < firstPage || page >= m_pageCount)
            return false;
        CPageDescriptor& d = m_pages[page];
        uint8_t* bytes = block != nullptr ? block + static_cast<size_t>(i) * kPageSize : OwnBytes(page);
        d.flags &= ~(kPageReadHandler | kPageReadUnaliased);
        d.readContext = bytes;
        d.readHandler = ReadPageRelative;
        d.readAlias = page;
        if (writes) {
            d.flags &= ~(kPageWriteHandler | kPageWriteUnaliased);
            d.writeContext = bytes;
            d.writeHandler = WritePageRelative;
            d.writeAlias = page;
        }
        NotifyPage(static_cast<int32_t>(page));
    }
    return true;
}

bool CMemory::ResetPages(uint32_t firstPage, uint32_t count) {
    return MapExternal(firstPage, count, nullptr);
}

bool CMemory::SetPageWatch(uint32_t firstPage, uint32_t count, bool on) {
    CountLayoutChange();
    for (uint32_t i = 0; i < count; ++i) {
        const uint32_t page = firstPage + i;
        if (page < firstPage || page >= m_pageCount)
            return false;
        if (on)
            m_pages[page].flags |= kPageWriteWatch;
        else
            m_pages[page].flags &= ~kPageWriteWatch;
    }
    return true;
}

bool CMemory::SetPageSaved(bool saved, uint32_t firstPage, uint32_t count) {
    for (uint32_t i = 0; i < count; ++i) {
        const uint32_t page = firstPage + i;
        if (page < firstPage || page >= m_pageCount)
            return false;
        m_pages[page].flags = (m_pages[page].flags & ~kStateMask) | (saved ? kPageSaved : kPageNotSaved);
    }
    return true;
}

// ---------------------------------------------------------------------------
// Bulk transfers

bool CMemory::LoadBytes(common::CStream* stream, uint32_t address, int32_t chunk, int32_t stride) {
    if (stream == nullptr || chunk < 1 || chunk > 8 || address >= m_size)
        return false;
    int64_t at = address;
    if (at + chunk > m_size)
        return false; // not even one chunk fits
    for (;;) {
        if (stream->Read(m_ramBase + at, chunk) != chunk)
            return true; // the stream ran dry
        const int64_t next = at + stride;
        if (next < 0 || next + chunk > m_size)
            return true;
        at = next;
    }
}

bool CMemory::ReadBlock(uint32_t address, uint8_t* buffer, uint32_t count, uint32_t mask) {
    if (mask == 0)
        mask = m_addressLimit;
    for (uint32_t i = 0; i < count; ++i) {
        address &= mask;
        buffer[i] = ReadByte(address, 0);
        ++address;
    }
    return true;
}

bool CMemory::WriteBlock(uint32_t address, const uint8_t* buffer, uint32_t count, uint32_t mask) {
    if (mask == 0)
        mask = m_addressLimit;
    for (uint32_t i = 0; i < count; ++i) {
        address &= mask;
        WriteByte(address, buffer[i]);
        ++address;
    }
    return true;
}

bool CMemory::WriteFromStream(uint32_t address, common::CStream* stream, uint32_t count, uint32_t mask) {
    if (stream == nullptr)
        return false;
    if (mask == 0)
        mask = m_addressLimit;
    for (uint32_t i = 0; i < count; ++i) {
        uint8_t value = 0;
        if (stream->Read(&value, 1) != 1)
            return false;
        address &= mask;
        WriteByte(address, value);
        ++address;
    }
    return true;
}

bool CMemory::CopyBlock(uint32_t source, uint32_t destination, uint32_t count, uint32_t mask) {
    if (mask == 0)
        mask = m_addressLimit;
    for (uint32_t i = 0; i < count; ++i)
        WriteByte((destination + i) & mask, ReadByte((source + i) & mask, 0));
    return true;
}

bool CMemory::CopyBytesToWords(uint32_t source, uint32_t destination, uint32_t count, uint32_t mask) {
    if (mask == 0)
        mask = m_addressLimit;
    for (uint32_t i = 0; i < count; ++i)
        WriteWord((destination + 2 * i) & mask, ReadByte((source + i) & mask, 0));
    return true;
}

// ---------------------------------------------------------------------------
// Stock handlers

bool CMemory::ReadPageRelative(void* context, uint32_t address, uint32_t size, uint8_t* value, uint8_t /*flag*/) {
    if (!CopySizeRead(size))
        return false;
    std::memcpy(value, static_cast<uint8_t*>(context) + (address & kPageOffsetMask), size);
    return true;
}

bool CMemory::ReadAbsolute(void* context, uint32_t address, uint32_t size, uint8_t* value, uint8_t /*flag*/) {
    if (!CopySizeRead(size))
        return false;
    std::memcpy(value, static_cast<uint8_t*>(context) + address, size);
    return true;
}

bool CMemory::WritePageRelative(void* context, uint32_t address, uint32_t size, uint8_t* value) {
    if (!CopySizeWrite(size))
        return false;
    std::memcpy(static_cast<uint8_t*>(context) + (address & kPageOffsetMask), value, size);
    return true;
}

bool CMemory::WriteAbsolute(void* context, uint32_t address, uint32_t size, uint8_t* value) {
    if (!CopySizeWrite(size))
        return false;
    std::memcpy(static_cast<uint8_t*>(context) + address, value, size);
    return true;
}

bool CMemory::DefaultReadFalse(void*, uint32_t, uint32_t, uint8_t*, uint8_t) {
    return false;
}

bool CMemory::DefaultReadTrue(void*, uint32_t, uint32_t, uint8_t*, uint8_t) {
    return true;
}

bool CMemory::DefaultWriteFalse(void*, uint32_t, uint32_t, uint8_t*) {
    return false;
}

bool CMemory::DefaultWriteTrue(void*, uint32_t, uint32_t, uint8_t*) {
    return true;
}

// ---------------------------------------------------------------------------
// State

namespace {

const common::CNarrowString& ChunkName() {
    static const common::CNarrowString s_name("_MEMS");
    return s_name;
}

common::CNarrowString Numbered(const char* pattern, uint32_t n) {
    common::CNarrowString name;
    name.Format(pattern, static_cast<long>(n));
    return name;
}

} // namespace

bool CMemory::SaveData(common::CStreamHolder& holder) {
    if (!holder.WriteMarker(common::CStreamHolder::kChunkBegin, ChunkName()))
        return false;
    const uint8_t version = kStateVersion;
    const uint64_t size = m_mainSize;
    const uint64_t limit = m_addressLimit;
    const uint64_t extra = m_extraSize;
    if (!holder.WriteUInt8Field(version, common::CNarrowString("VER")) ||
        !holder.WriteUInt64Field(size, common::CNarrowString("MSZ")) ||
        !holder.WriteUInt64Field(limit, common::CNarrowString("MLM")) ||
        !holder.WriteUInt64Field(extra, common::CNarrowString("VBS")))
        return false;
    uint32_t block = 0;
    uint32_t page = 0;
    while (page < m_pageCount) {
        if ((m_pages[page].flags & kStateMask) == kPageNotSaved) {
            ++page;
            continue;
        }
        const uint32_t first = page;
        while (page < m_pageCount && (m_pages[page].flags & kStateMask) != kPageNotSaved)
            ++page;
        const uint32_t count = page - first;
        const bool present = true;
        const uint64_t range = first | (static_cast<uint64_t>(count) << 32);
        if (!holder.WriteBoolField(present, Numbered("MDT%ld", block)) ||
            !holder.WriteUInt64Field(range, Numbered("MDTS%ld", block)) ||
            !holder.WriteBlobField(m_ramBase + static_cast<size_t>(first) * kPageSize,
                                   static_cast<int64_t>(count) * kPageSize, Numbered("MDTA%ld", block)))
            return false;
        ++block;
    }
    const bool more = false;
    if (!holder.WriteBoolField(more, Numbered("MDT%ld", block)))
        return false;
    if (m_extraSize != 0) {
        const bool switchedIn = m_extraSwitchedIn;
        if (!holder.WriteBoolField(switchedIn, common::CNarrowString("VBA")) ||
            !holder.WriteBlobField(m_extraArea, m_extraSize, common::CNarrowString("VBDT")))
            return false;
    }
    return holder.WriteMarker(common::CStreamHolder::kChunkEnd, ChunkName());
}

bool CMemory::LoadData(common::CStreamHolder& holder, common::CNarrowString* /*errorText*/) {
    uint8_t version = 0xFF;
    if (!holder.ReadMarker(ChunkName(), common::CStreamHolder::kChunkBegin, nullptr) ||
        !holder.ReadUInt8Field(version, common::CNarrowString("VER")) || version != kStateVersion)
        return false;
    uint64_t size = 0;
    uint64_t limit = 0;
    uint64_t extra = 0;
    if (!holder.ReadUInt64Field(size, common::CNarrowString("MSZ")) ||
        !holder.ReadUInt64Field(limit, common::CNarrowString("MLM")) ||
        !holder.ReadUInt64Field(extra, common::CNarrowString("VBS")))
        return false;
    if (size > 0xFFFFFFFFull || extra > 0xFFFFFFFFull || (limit != 0 && limit >= size))
        return false;
    if (size != m_mainSize || limit != m_addressLimit || extra != m_extraSize) {
        // The layout is allocated before any data is read: a size far beyond
        // any machine's memory is damage, not a layout to reserve.
        if (size + extra > kMaxLoadedLayoutBytes)
            return false;
        if (!Allocate(static_cast<uint32_t>(size), static_cast<uint32_t>(limit), static_cast<uint32_t>(extra)))
            return false;
        // A layout the map would round differently is not the saved one.
        if (size != m_mainSize || extra != m_extraSize)
            return false;
    }
    for (uint32_t block = 0;; ++block) {
        bool present = false;
        if (!holder.ReadBoolField(present, Numbered("MDT%ld", block)))
            return false;
        if (!present)
            break;
        uint64_t range = 0;
        if (!holder.ReadUInt64Field(range, Numbered("MDTS%ld", block)))
            return false;
        const uint32_t first = static_cast<uint32_t>(range);
        const int32_t count = static_cast<int32_t>(range >> 32);
        if (first >= m_pageCount || count <= 0 || static_cast<uint64_t>(first) + count > m_pageCount)
            return false;
        for (uint32_t page = first; page < first + static_cast<uint32_t>(count); ++page) {
            if ((m_pages[page].flags & kStateMask) == kPageNotSaved)
                return false;
        }
        if (!holder.ReadBlobField(m_ramBase + static_cast<size_t>(first) * kPageSize,
                                  static_cast<int64_t>(count) * kPageSize, Numbered("MDTA%ld", block)))
            return false;
    }
    if (m_extraSize != 0) {
        bool switchedIn = false;
        if (!holder.ReadBoolField(switchedIn, common::CNarrowString("VBA")) ||
            !holder.ReadBlobField(m_extraArea, m_extraSize, common::CNarrowString("VBDT")))
            return false;
        // Through the switch, so that the size and the processor's words follow the flag.
        SwitchExtraArea(switchedIn);
    }
    return holder.ReadMarker(ChunkName(), common::CStreamHolder::kChunkEnd, nullptr);
}

} // namespace emu
