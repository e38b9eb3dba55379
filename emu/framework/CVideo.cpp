#include "emu/framework/CVideo.h"

#include <cmath>

#include "common/CNarrowString.h"
#include "common/CStreamHolder.h"
#include "common/LittleEndian.h"
#include "common/OsHelpers.h"
#include "emu/framework/CBus.h"
#include "emu/framework/CMachineInterface.h"
#include "emu/framework/CProcessorInterface.h"
#include "emu/host/CRenderer.h"

namespace emu {

namespace {

const char kChunkName[] = "_VIDD";
const char kHiRenderEventName[] = "_HiRenderEvent0";
const char kLoRenderEventName[] = "_LoRenderEvent0";
const char kFrRenderEventName[] = "_FrRenderEvent0";

// Frame events come four times a frame.
constexpr int32_t kFramePhases = 4;

// "VPAR" bits 0 to 8 name the parameters; anything above is no state of ours.
constexpr int32_t kParameterMask = (1 << CVideo::kDisplayParameterCount) - 1;
const char* const kParameterNames[CVideo::kDisplayParameterCount] = {"VMOD", "COLC", "ROWC", "COLS", "ROWS",
                                                                     "CHRW", "CHRH", "PIXS", "LINS"};

// Factors of the fixed ratios "4.0/3" .. "4.9/3".
const float kFixedAspectFactors[CVideo::kAspectCount] = {4.0f / 3.0f, 4.3f / 3.0f, 4.5f / 3.0f, 4.7f / 3.0f,
                                                         4.9f / 3.0f};

common::CNarrowString Name(const char* text) {
    return common::CNarrowString(text);
}

} // namespace

CVideo::CVideo()
    : m_renderMode(kRenderScanline), m_aspectIndex(0), m_pages{this, nullptr}, m_currentPage(-1),
      m_currentPageMemory(nullptr), m_displayEnabled(false), m_graphicsMode(false), m_displayParameters{},
      m_renderModePointer(&m_renderMode), m_aspectIndexPointer(&m_aspectIndex), m_timingIndex(-1), m_linesPerFrame(0),
      m_framesPerSecond(0), m_renderGeneration(0), m_scanLine(0), m_screenWidth(0), m_screenHeight(0),
      m_aspectFactor(0.0f), m_automaticAspectFactor(0.0f), m_fontMinSize(-1), m_fontMaxSize(-1) {
    for (int32_t& parameter : m_displayParameters)
        parameter = -1;
    m_font.Create(0, -1);
    int32_t width = 0;
    int32_t height = 0;
    common::GetScreenSize(&width, &height);
    m_automaticAspectFactor = ComputeAutomaticAspectFactor(width, height);
    m_aspectFactor = m_automaticAspectFactor;
}

CVideo::~CVideo() {
    m_font.Release();
}

// --- Aspect --------------------------------------------------------------------------------

float CVideo::ComputeAutomaticAspectFactor(int32_t screenWidth, int32_t screenHeight) {
    float factor = 4.25f / 3.0f;
    if (screenWidth > 320 && screenHeight > 200) {
        const double ratio = static_cast<double>(screenWidth) / static_cast<double>(screenHeight);
        factor = static_cast<float>(std::sqrt(ratio / 1.6) * factor);
        const float lowest = 4.0f / 3.0f;
        const float highest = 5.0f / 3.0f;
        if (factor < lowest)
            factor = lowest;
        if (factor > highest)
            factor = highest;
    }
    return factor;
}

float CVideo::GetAspectFactorFor(int32_t aspectIndex) const {
    if (aspectIndex < 1 || aspectIndex > kAspectCount)
        return m_automaticAspectFactor;
    return kFixedAspectFactors[aspectIndex - 1];
}

void CVideo::SetSettingPointers(int32_t* renderMode, int32_t* aspectIndex) {
    m_renderModePointer = renderMode != nullptr ? renderMode : &m_renderMode;
    m_aspectIndexPointer = aspectIndex != nullptr ? aspectIndex : &m_aspectIndex;
}

// --- Device operations -------------------------------------------------------------------

bool CVideo::Start(int32_t* value) {
    if (!CVideoMemory::Start(value))
        return false;
    m_timingIndex = -1;
    m_linesPerFrame = 0;
    m_framesPerSecond = 0;
    m_screenWidth = 0;
    m_screenHeight = 0;
    m_scanLine = 0;
    m_renderGeneration = 0;
    m_currentPage = -1;
    m_currentPageMemory = nullptr;
    if (m_pages[0] != nullptr) {
        m_currentPage = 0;
        m_currentPageMemory = m_pages[0]->GetPageMemory();
        m_pages[0]->SetMarkLinesOnWrite(true);
        InvalidateLines();
    }
    m_displayEnabled = true;
    m_graphicsMode = false;
    m_aspectFactor = GetAspectFactorFor(*m_aspectIndexPointer);
    for (int32_t& parameter : m_displayParameters)
        parameter = -1;
    // Saved render events find their callbacks again by these names.
    if (m_bus == nullptr)
        return false;
    return m_bus->RegisterCpuEventCallback(kHiRenderEventName, OnHiRenderEvent, this) &&
           m_bus->RegisterBusEventCallback(kLoRenderEventName, OnLoRenderEvent, this) &&
           m_bus->RegisterBusEventCallback(kFrRenderEventName, OnFrRenderEvent, this);
}

void CVideo::Stop() {
    m_currentPageMemory = nullptr;
    CVideoMemory::Stop();
}

bool CVideo::Reset(uint32_t flags) {
    if (!CVideoMemory::Reset(flags))
        return false;
    // The pages may have moved their memory (a reallocated memory map, a loaded state).
    if (m_currentPage >= 0 && m_currentPage < kPageCount && m_pages[m_currentPage] != nullptr && m_started)
        m_currentPageMemory = m_pages[m_currentPage]->GetPageMemory();
    if ((flags & kResetParameters) != 0)
        InvalidateLines();
    return true;
}

// --- State -------------------------------------------------------------------------------------

bool CVideo::SaveData(common::CStreamHolder& holder) {
    if (!CVideoMemory::SaveData(holder))
        return false;
    const common::CNarrowString chunk(kChunkName);
    const uint8_t page = static_cast<uint8_t>(m_currentPage & 0xFF);
    const int64_t generation = static_cast<int64_t>(m_renderGeneration);
    uint8_t aspectBytes[8];
    common::StoreLittleDouble(aspectBytes, m_aspectFactor);
    int32_t presence = 0;
    for (int32_t i = 0; i < kDisplayParameterCount; ++i)
        if (m_displayParameters[i] >= 0)
            presence |= 1 << i;
    const int32_t fontSize = GetFontSize();

    if (!holder.WriteMarker(common::CStreamHolder::kChunkBegin, chunk) ||
        !holder.WriteUInt8Field(kVideoStateVersion, Name("VER")) || !holder.WriteUInt8Field(page, Name("PID")) ||
        !holder.WriteInt32Field(m_screenWidth, Name("SCSW")) || !holder.WriteInt32Field(m_screenHeight, Name("SCSH")) ||
        !holder.WriteInt32Field(m_scanLine, Name("SCLN")) || !holder.WriteInt64Field(generation, Name("RNDT")) ||
        !holder.WriteBlobField(aspectBytes, sizeof(aspectBytes), Name("APCT")) ||
        !holder.WriteBoolField(m_displayEnabled, Name("ENBL")) ||
        !holder.WriteBoolField(m_graphicsMode, Name("GMOD")) || !holder.WriteInt32Field(presence, Name("VPAR")))
        return false;
    for (int32_t i = 0; i < kDisplayParameterCount; ++i)
        if ((presence & (1 << i)) != 0 && !holder.WriteInt32Field(m_displayParameters[i], Name(kParameterNames[i])))
            return false;
    if (!holder.WriteInt32Field(m_timingIndex, Name("TMOD")))
        return false;
    if (m_timingIndex == 0 && (!holder.WriteInt32Field(m_linesPerFrame, Name("T0SC")) ||
                               !holder.WriteInt32Field(m_framesPerSecond, Name("T0FR"))))
        return false;
    if (!holder.WriteInt32Field(fontSize, Name("FSIZ")))
        return false;
    if (fontSize > 0 && !holder.WriteBlobField(m_font.GetBuffer(), fontSize, Name("FDAT")))
        return false;
    return holder.WriteMarker(common::CStreamHolder::kChunkEnd, chunk);
}

bool CVideo::LoadData(common::CStreamHolder& holder, common::CNarrowString* errorText) {
    if (!CVideoMemory::LoadData(holder, errorText))
        return false;
    const common::CNarrowString chunk(kChunkName);
    uint8_t version = 0xFF;
    uint8_t page = 0xFF;
    if (!holder.ReadMarker(chunk, common::CStreamHolder::kChunkBegin, nullptr) ||
        !holder.ReadUInt8Field(version, Name("VER")) || version != kVideoStateVersion ||
        !holder.ReadUInt8Field(page, Name("PID")) || page >= kPageCount || m_pages[page] == nullptr)
        return false;

    // Each value is taken once it has been read and checked.
    int32_t number = 0;
    if (!holder.ReadInt32Field(number, Name("SCSW")) || number < 0)
        return false;
    m_screenWidth = number;
    if (!holder.ReadInt32Field(number, Name("SCSH")) || number < 0)
        return false;
    m_screenHeight = number;
    if (!holder.ReadInt32Field(number, Name("SCLN")) || number < 0)
        return false;
    m_scanLine = number;
    int64_t generation = 0;
    if (!holder.ReadInt64Field(generation, Name("RNDT")))
        return false;
    m_renderGeneration = static_cast<uint64_t>(generation);
    uint8_t aspectBytes[8] = {};
    if (!holder.ReadBlobField(aspectBytes, sizeof(aspectBytes), Name("APCT")))
        return false;
    const double aspect = common::LoadLittleDouble(aspectBytes);
    if (!(aspect > 0.0) || !std::isfinite(aspect))
        return false;
    // A fixed ratio chosen in the settings wins over the saved factor.
    if (*m_aspectIndexPointer == 0)
        m_aspectFactor = static_cast<float>(aspect);
    if (!holder.ReadBoolField(m_displayEnabled, Name("ENBL")) || !holder.ReadBoolField(m_graphicsMode, Name("GMOD")))
        return false;
    int32_t presence = 0;
    if (!holder.ReadInt32Field(presence, Name("VPAR")) || (presence & ~kParameterMask) != 0)
        return false;
    for (int32_t i = 0; i < kDisplayParameterCount; ++i) {
        if ((presence & (1 << i)) == 0) {
            m_displayParameters[i] = -1;
            continue;
        }
        if (!holder.ReadInt32Field(number, Name(kParameterNames[i])) || number < 0)
            return false;
        m_displayParameters[i] = number;
    }
    if (!holder.ReadInt32Field(m_timingIndex, Name("TMOD")))
        return false;
    if (m_timingIndex == 0) {
        if (!holder.ReadInt32Field(number, Name("T0SC")) || number < 0)
            return false;
        m_linesPerFrame = number;
        if (!holder.ReadInt32Field(number, Name("T0FR")) || number < 0)
            return false;
        m_framesPerSecond = number;
    }
    // The font's bytes follow: a size beyond them or beyond the font store's
    // bound is no font this device saved, and must not be allocated.
    if (!holder.ReadInt32Field(number, Name("FSIZ")) || number < 0 || number > holder.GetBytesLeft() ||
        (m_fontMaxSize >= 0 && number > m_fontMaxSize))
        return false;
    if (number > 0) {
        if (GetFontSize() != number && !m_font.SetSize(number))
            return false;
        if (!holder.ReadBlobField(m_font.GetBuffer(), number, Name("FDAT")))
            return false;
    }
    if (!holder.ReadMarker(chunk, common::CStreamHolder::kChunkEnd, nullptr))
        return false;

    m_currentPage = page;
    m_currentPageMemory = m_pages[page]->GetPageMemory();
    m_pages[page]->SetMarkLinesOnWrite(true);
    InvalidateLines();
    return true;
}

// --- Operations for the derived display ------------------------------------------------------

bool CVideo::RenderLine(int32_t /*line*/, int32_t /*reserved*/, int32_t /*width*/, uint32_t* /*row*/, bool /*force*/) {
    return false;
}

bool CVideo::EnsureSurfaceSize() {
    if (m_hostLink == nullptr || m_hostLink->IsSize(m_screenWidth, m_screenHeight))
        return false;
    return m_hostLink->SetSize(m_screenWidth, m_screenHeight, false);
}

void CVideo::OnFramePhase(int32_t /*phase*/, int32_t /*count*/) {}

void CVideo::WritePageByte(uint32_t address, uint8_t value) {
    const int64_t offset = PageOffset(address);
    if (offset >= 0)
        WriteByte(m_pageMemory, static_cast<uint32_t>(offset), value);
}

uint8_t CVideo::ReadPageByte(uint32_t address, uint8_t flag) {
    uint8_t value = 0xFF;
    const int64_t offset = PageOffset(address);
    if (offset >= 0)
        ReadByte(m_pageMemory, static_cast<uint32_t>(offset), &value, flag);
    return value;
}

bool CVideo::GetScreenGeometry(int32_t* mode, int32_t* width, int32_t* height, int32_t* columns, int32_t* rows,
                               int32_t* colours, int32_t* reserved) {
    const int32_t bits = m_displayParameters[kPIXS];
    if (mode != nullptr)
        *mode = m_displayParameters[kVMOD];
    if (width != nullptr)
        *width = m_screenWidth;
    if (height != nullptr)
        *height = m_screenHeight;
    if (columns != nullptr)
        *columns = m_displayParameters[kCOLC];
    if (rows != nullptr)
        *rows = m_displayParameters[kROWC];
    if (colours != nullptr)
        *colours = bits >= 0 && bits <= 30 ? 1 << bits : 0;
    if (reserved != nullptr)
        *reserved = 0;
    return m_started;
}

bool CVideo::IsTextMode() {
    return !m_graphicsMode;
}

// --- Timing and render events -------------------------------------------------------------------

bool CVideo::SetTiming(int32_t width, int32_t height, int32_t linesPerFrame, int32_t framesPerSecond, int32_t kind) {
    if (linesPerFrame < 0)
        linesPerFrame = m_linesPerFrame;
    if (framesPerSecond < 0)
        framesPerSecond = m_framesPerSecond;
    if (width < 0 || height < 0 || linesPerFrame < 0 || framesPerSecond < 0)
        return false;
    m_screenWidth = width;
    m_screenHeight = height;
    if (m_timingIndex == 0 && linesPerFrame == m_linesPerFrame && framesPerSecond == m_framesPerSecond)
        return true;

    const uint64_t tag = m_renderGeneration + 1;
    const uint32_t tagLow = static_cast<uint32_t>(tag);
    const uint32_t tagHigh = static_cast<uint32_t>(tag >> 32);
    const int64_t frameRate = static_cast<int64_t>(kFramePhases) * framesPerSecond;
    const int64_t lineRate = static_cast<int64_t>(linesPerFrame) * framesPerSecond;
    // A rate of 0 would ask the bus for an event at every tick; none is installed.
    bool added = true;
    switch (kind) {
    case kTimingFrameEvent:
        if (frameRate > 0x7FFFFFFF)
            return false;
        if (frameRate > 0)
            added = m_bus != nullptr && m_bus->AddEvent(static_cast<int32_t>(frameRate), OnFrRenderEvent, this,
                                                        kFrRenderEventName, tagLow, tagHigh, false);
        break;
    case kTimingBusLineEvent:
        if (lineRate > 0x7FFFFFFF)
            return false;
        if (lineRate > 0)
            added = m_bus != nullptr && m_bus->AddEvent(static_cast<int32_t>(lineRate), OnLoRenderEvent, this,
                                                        kLoRenderEventName, tagLow, tagHigh, false);
        break;
    case kTimingCpuLineEvent: {
        if (lineRate == 0)
            break;
        CProcessorInterface* processor = m_machine != nullptr ? m_machine->GetMainProcessor() : nullptr;
        if (processor == nullptr)
            return false;
        const double period =
            std::floor(static_cast<double>(processor->GetClockFrequency()) / static_cast<double>(lineRate) + 0.5);
        added = processor->AddEvent(static_cast<int32_t>(period), OnHiRenderEvent, this, kHiRenderEventName, tagLow,
                                    tagHigh);
        break;
    }
    default:
        return false;
    }
    if (!added)
        return false;
    m_renderGeneration = tag;
    m_linesPerFrame = linesPerFrame;
    m_framesPerSecond = framesPerSecond;
    m_timingIndex = 0;
    return true;
}

bool CVideo::IsCurrentTag(const uint32_t* data) const {
    const uint64_t tag = static_cast<uint64_t>(data[0]) | (static_cast<uint64_t>(data[1]) << 32);
    return tag == m_renderGeneration;
}

bool CVideo::OnHiRenderEvent(CObject* user, int32_t* /*period*/, uint32_t* data, CProcessorInterface* /*processor*/) {
    auto* video = static_cast<CVideo*>(user);
    if (video == nullptr || !video->IsCurrentTag(data))
        return false;
    return video->RunLineEvent();
}

bool CVideo::OnLoRenderEvent(CObject* user, uint64_t* /*fireCount*/, uint32_t* data) {
    auto* video = static_cast<CVideo*>(user);
    if (video == nullptr || !video->IsCurrentTag(data))
        return false;
    return video->RunLineEvent();
}

bool CVideo::OnFrRenderEvent(CObject* user, uint64_t* fireCount, uint32_t* data) {
    auto* video = static_cast<CVideo*>(user);
    if (video == nullptr || !video->IsCurrentTag(data))
        return false;
    const int32_t phase = static_cast<int32_t>(*fireCount & 0xFF) & (kFramePhases - 1);
    video->OnFramePhase(phase, kFramePhases);
    if (phase == 0)
        video->EndRenderedFrame();
    return true;
}

bool CVideo::RunLineEvent() {
    CRenderer* renderer = m_hostLink;
    const int32_t line = m_scanLine;
    if (*m_renderModePointer == kRenderScanline) {
        uint32_t* row = nullptr;
        if (renderer != nullptr && line >= 0 && line < renderer->GetHeight() && !renderer->IsLineDrawn(line) &&
            m_screenWidth == renderer->GetWidth())
            row = renderer->GetRow(line);
        if (row != nullptr) {
            RenderLine(line, 0, m_screenWidth, row, false);
            renderer->MarkLineDrawn(line);
        } else {
            RenderLine(line, 0, 0, nullptr, false);
        }
    }
    if (++m_scanLine < m_linesPerFrame)
        return true;
    m_scanLine = 0;
    if (*m_renderModePointer != kRenderFrame) {
        EnsureSurfaceSize();
        if (renderer != nullptr)
            renderer->EndFrame(true, m_aspectFactor);
        return true;
    }
    EndRenderedFrame();
    return true;
}

void CVideo::EndRenderedFrame() {
    const bool drew = RenderStep();
    for (int32_t line = m_screenHeight; line < m_linesPerFrame; ++line)
        RenderLine(line, 0, 0, nullptr, false);
    if (drew && m_hostLink != nullptr)
        m_hostLink->EndFrame(true, m_aspectFactor);
}

// --- Drawing -----------------------------------------------------------------------------------

bool CVideo::RenderStep() {
    return Redraw(false);
}

bool CVideo::Redraw(bool force) {
    CRenderer* renderer = m_hostLink;
    if (renderer == nullptr)
        return false;
    bool changed = EnsureSurfaceSize();
    if (!renderer->IsSize(m_screenWidth, m_screenHeight))
        return false;
    if (force)
        InvalidateLines();
    return DrawLines(changed, force);
}

bool CVideo::DrawLines(bool changed, bool force) {
    CRenderer* renderer = m_hostLink;
    const int32_t surfaceHeight = renderer->GetHeight();
    for (int32_t line = 0; line < m_screenHeight; ++line) {
        uint32_t* row = line < surfaceHeight && !renderer->IsLineDrawn(line) ? renderer->GetRow(line) : nullptr;
        if (row != nullptr) {
            if (RenderLine(line, 0, m_screenWidth, row, force))
                changed = true;
            renderer->MarkLineDrawn(line);
        } else if (!force) {
            RenderLine(line, 0, 0, nullptr, false);
        }
    }
    return changed;
}

void CVideo::MarkLineDrawn(int32_t line) {
    if (m_hostLink != nullptr)
        m_hostLink->MarkLineDrawn(line);
}

// --- Pages ---------------------------------------------------------------------------------------

CVideoMemory* CVideo::GetPage(int32_t index) const {
    return index >= 0 && index < kPageCount ? m_pages[index] : nullptr;
}

int32_t CVideo::CreatePage(CVideoMemory* page, const char* name, const char* shortName) {
    if (m_started || m_pages[1] != nullptr)
        return -1;
    const long index = 1;
    common::CNarrowString defaultName;
    common::CNarrowString defaultShortName;
    if (name == nullptr) {
        defaultName.Format("%s Page %ld", GetName(), index);
        name = defaultName.GetNarrow();
    }
    if (shortName == nullptr) {
        const char* base = m_shortName.IsEmpty() ? GetName() : GetShortName();
        defaultShortName.Format("%s_PAGE%ld", base, index);
        shortName = defaultShortName.GetNarrow();
    }
    const bool created = page == nullptr;
    if (created)
        page = new CVideoMemory();
    if (!AddChild(page, name, shortName)) {
        if (created)
            delete page;
        return -1;
    }
    m_pages[1] = page;
    return 1;
}

bool CVideo::SetPageMemoryWindow(int32_t index, int32_t firstPage, int32_t pageCount, bool present, uint8_t flag) {
    if (m_started || index < 0 || index >= kPageCount)
        return false;
    if (m_pages[index] == nullptr && CreatePage(nullptr, nullptr, nullptr) < 0)
        return false;
    return m_pages[index]->SetMemoryWindow(firstPage, pageCount, present, flag);
}

bool CVideo::SetPageSizeAt(int32_t index, int32_t sizeKb, uint32_t mask) {
    if (m_started || index < 0 || index >= kPageCount)
        return false;
    if (m_pages[index] == nullptr && CreatePage(nullptr, nullptr, nullptr) < 0)
        return false;
    return m_pages[index]->SetPageSize(sizeKb, mask);
}

} // namespace emu
