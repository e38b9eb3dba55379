#include "emu/framework/CVideoMemory.h"

#include "common/CNarrowString.h"
#include "common/CStreamHolder.h"
#include "common/OsHelpers.h"
#include "emu/framework/CDeviceParameterList.h"
#include "emu/framework/CMemory.h"
#include "emu/host/CRenderer.h"

namespace emu {

namespace {

const char kChunkName[] = "_VIDP";
const char kWindowParameter[] = "MEMORY";
constexpr int32_t kMaxPageSizeKb = 0x7FFFFFFF / static_cast<int32_t>(CVideoMemory::kPageBytes);

} // namespace

CVideoMemory::CVideoMemory()
    : m_windowPresent(false), m_windowFirstPage(0), m_windowPageCount(0), m_windowBase(0), m_pageSize(0),
      m_addressMask(0xFFFFFFFFu), m_markLinesOnWrite(false), m_readHook(ReadHook), m_writeHook(WriteHook),
      m_pageMemory(nullptr), m_ownMemory(false), m_ownAllocationSize(0) {}

CVideoMemory::~CVideoMemory() {
    ReleaseMemory();
}

// --- Memory -------------------------------------------------------------------------

void CVideoMemory::ReleaseMemory() {
    if (m_ownMemory && m_pageMemory != nullptr)
        common::FreeVirtualMemory(m_pageMemory, static_cast<int64_t>(m_ownAllocationSize));
    m_pageMemory = nullptr;
    m_ownMemory = false;
    m_ownAllocationSize = 0;
}

bool CVideoMemory::AcquireMemory() {
    ReleaseMemory();
    if (m_pageSize <= 0)
        return true;
    if (m_memory != nullptr && m_memory->GetExtraArea() != nullptr) {
        // The memory map saves the extra area with its own state.
        if (static_cast<uint32_t>(m_pageSize) > m_memory->GetExtraAreaSize())
            return false;
        m_pageMemory = m_memory->GetExtraArea();
        return true;
    }
    const uint64_t bytes = static_cast<uint64_t>(m_pageSize) + kPageBytes;
    auto* block = static_cast<uint8_t*>(common::AllocateVirtualMemory(static_cast<int64_t>(bytes), false));
    if (block == nullptr)
        return false;
    common::ZeroMemory(block, static_cast<uint32_t>(m_pageSize));
    m_pageMemory = block;
    m_ownMemory = true;
    m_ownAllocationSize = bytes;
    return true;
}

// --- Device operations -----------------------------------------------------------------

bool CVideoMemory::Start(int32_t* value) {
    if (!CDevice::Start(value))
        return false;
    return AcquireMemory();
}

void CVideoMemory::Stop() {
    ReleaseMemory();
    CDevice::Stop();
}

bool CVideoMemory::Reset(uint32_t flags) {
    if (!CDevice::Reset(flags))
        return false;
    // A reallocated memory map has moved its extra area; a borrowed pointer
    // would point into freed memory.
    if ((flags & kResetMemoryChanged) != 0 && m_pageMemory != nullptr && !m_ownMemory)
        AcquireMemory();
    if ((flags & kResetParameters) != 0 && m_windowPresent)
        m_windowBase = m_windowFirstPage * kPageBytes;
    return true;
}

bool CVideoMemory::SaveData(common::CStreamHolder& holder) {
    if (!CDevice::SaveData(holder))
        return false;
    const bool withBytes = m_ownMemory && m_pageSize > 0;
    if (m_ownMemory) {
        if (m_pageSize < 0 || (m_pageSize > 0 && m_pageMemory == nullptr) ||
            (m_pageSize == 0 && m_pageMemory != nullptr))
            return false;
    }
    const common::CNarrowString chunk(kChunkName);
    const int32_t mask = static_cast<int32_t>(m_addressMask);
    return holder.WriteMarker(common::CStreamHolder::kChunkBegin, chunk) &&
           holder.WriteUInt8Field(kStateVersion, common::CNarrowString("VER")) &&
           holder.WriteInt32Field(m_pageSize, common::CNarrowString("MSZ")) &&
           holder.WriteInt32Field(mask, common::CNarrowString("MSK")) &&
           (!withBytes || holder.WriteBlobField(m_pageMemory, m_pageSize, common::CNarrowString("MEM"))) &&
           holder.WriteMarker(common::CStreamHolder::kChunkEnd, chunk);
}

bool CVideoMemory::LoadData(common::CStreamHolder& holder, common::CNarrowString* errorText) {
    if (!CDevice::LoadData(holder, errorText))
        return false;
    const common::CNarrowString chunk(kChunkName);
    uint8_t version = 0xFF;
    int32_t size = 0;
    int32_t mask = 0;
    if (!holder.ReadMarker(chunk, common::CStreamHolder::kChunkBegin, nullptr) ||
        !holder.ReadUInt8Field(version, common::CNarrowString("VER")) || version != kStateVersion ||
        !holder.ReadInt32Field(size, common::CNarrowString("MSZ")) ||
        !holder.ReadInt32Field(mask, common::CNarrowString("MSK")))
        return false;
    m_addressMask = static_cast<uint32_t>(mask);
    // A negative size is no page this device could have saved.
    if (size < 0)
        return false;
    // An own page's bytes follow in the state: a size beyond them is refused
    // before anything is allocated. A borrowed page is bounded by its area.
    const bool borrowed = m_memory != nullptr && m_memory->GetExtraArea() != nullptr;
    if (!borrowed && size > holder.GetBytesLeft())
        return false;
    if (size != m_pageSize && m_pageMemory != nullptr)
        ReleaseMemory();
    m_pageSize = size;
    if (m_pageSize > 0 && m_pageMemory == nullptr && !AcquireMemory())
        return false;
    if (m_ownMemory && m_pageSize > 0 && !holder.ReadBlobField(m_pageMemory, m_pageSize, common::CNarrowString("MEM")))
        return false;
    return holder.ReadMarker(chunk, common::CStreamHolder::kChunkEnd, nullptr);
}

// --- Byte access ------------------------------------------------------------------------

bool CVideoMemory::WriteByte(uint8_t* memory, uint32_t offset, uint8_t value) {
    memory[offset] = value;
    if (m_markLinesOnWrite)
        InvalidateLines();
    return true;
}

bool CVideoMemory::ReadByte(uint8_t* memory, uint32_t offset, uint8_t* value, uint8_t /*flag*/) {
    *value = memory[offset];
    return true;
}

int64_t CVideoMemory::PageOffset(uint32_t address) const {
    const uint32_t offset = (address - static_cast<uint32_t>(m_windowBase)) & m_addressMask;
    if (m_pageMemory == nullptr || m_pageSize <= 0 || offset >= static_cast<uint32_t>(m_pageSize))
        return -1;
    return offset;
}

bool CVideoMemory::WriteHook(void* context, uint32_t address, uint32_t size, uint8_t* value) {
    if (size != 1)
        return false;
    auto* page = static_cast<CVideoMemory*>(static_cast<CDevice*>(context));
    const int64_t offset = page->PageOffset(address);
    if (offset < 0)
        return true;
    return page->WriteByte(page->m_pageMemory, static_cast<uint32_t>(offset), *value);
}

bool CVideoMemory::ReadHook(void* context, uint32_t address, uint32_t size, uint8_t* value, uint8_t flag) {
    if (size != 1)
        return false;
    auto* page = static_cast<CVideoMemory*>(static_cast<CDevice*>(context));
    const int64_t offset = page->PageOffset(address);
    if (offset < 0) {
        *value = 0xFF;
        return true;
    }
    return page->ReadByte(page->m_pageMemory, static_cast<uint32_t>(offset), value, flag);
}

void CVideoMemory::InvalidateLines() {
    if (m_hostLink != nullptr)
        m_hostLink->InvalidateDrawnLines();
}

// --- Configuration ------------------------------------------------------------------------

bool CVideoMemory::SetPageSize(int32_t sizeKb, uint32_t mask) {
    if (m_started || sizeKb < 0 || sizeKb > kMaxPageSizeKb)
        return false;
    m_pageSize = sizeKb * static_cast<int32_t>(kPageBytes);
    m_addressMask = mask;
    return true;
}

bool CVideoMemory::SetMemoryWindow(int32_t firstPage, int32_t pageCount, bool present, uint8_t flag) {
    if (!m_parameters->Remove(kWindowParameter))
        return false;
    m_windowPresent = false;
    if (pageCount <= 0)
        return true;
    m_windowFirstPage = static_cast<uint64_t>(static_cast<int64_t>(firstPage));
    m_windowPageCount = static_cast<uint64_t>(static_cast<int64_t>(pageCount));
    m_windowPresent = present;
    return m_parameters->AddMemoryWindow(kWindowParameter, flag != 0, &m_windowPresent, &m_windowFirstPage,
                                         &m_windowPageCount, m_readHook, m_writeHook);
}

} // namespace emu
