#include "emu/framework/CPorts.h"

#include <new>

#include "common/CNarrowString.h"
#include "common/CStreamHolder.h"
#include "common/LittleEndian.h"

namespace emu {

namespace {

constexpr uint8_t kStateVersion = 0;
constexpr uint32_t kDefaultMask = 0xFFFF;

const common::CNarrowString& ChunkName() {
    static const common::CNarrowString s_name("_PORTS");
    return s_name;
}

} // namespace

CPorts::CPorts()
    : m_defaultInput(kDefaultInput), m_fallbackContext(nullptr), m_fallbackInput(nullptr),
      m_fallbackStatusInput(nullptr), m_fallbackOutputContext(nullptr), m_fallbackOutput(nullptr),
      m_portMask(kDefaultMask), m_byteMask(kDefaultMask), m_wordMask(kDefaultMask), m_dwordMask(kDefaultMask) {
    SetName("_PORT");
    for (uint32_t i = 0; i < kPages; ++i) {
        m_inputPages[i] = nullptr;
        m_outputPages[i] = nullptr;
    }
}

CPorts::~CPorts() {
    ReleasePages();
}

void CPorts::ReleasePages() {
    m_defaultInput = kDefaultInput;
    SetFallbackInput(nullptr, nullptr, nullptr);
    SetFallbackOutput(nullptr, nullptr);
    for (uint32_t i = 0; i < kPages; ++i) {
        delete[] m_inputPages[i];
        delete[] m_outputPages[i];
        m_inputPages[i] = nullptr;
        m_outputPages[i] = nullptr;
    }
}

bool CPorts::Start(int32_t* /*value*/) {
    ReleasePages();
    SetMasks(kDefaultMask, kDefaultMask, kDefaultMask, kDefaultMask);
    return true;
}

void CPorts::Stop() {
    ReleasePages();
}

void CPorts::SetFallbackInput(void* context, InputHandler handler, InputHandlerWithStatus statusHandler) {
    m_fallbackContext = context;
    m_fallbackInput = handler;
    m_fallbackStatusInput = statusHandler;
}

void CPorts::SetFallbackOutput(void* context, OutputHandler handler) {
    m_fallbackOutputContext = context;
    m_fallbackOutput = handler;
}

void CPorts::SetMasks(uint32_t portMask, uint32_t byteMask, uint32_t wordMask, uint32_t dwordMask) {
    m_portMask = portMask;
    m_byteMask = byteMask;
    m_wordMask = wordMask;
    m_dwordMask = dwordMask;
}

// ---------------------------------------------------------------------------
// Registrations

CPorts::CInputEntry* CPorts::MakeInput(uint32_t port) {
    CInputEntry*& page = m_inputPages[port >> 8];
    if (page == nullptr)
        page = new (std::nothrow) CInputEntry[256]();
    return page != nullptr ? page + (port & 0xFF) : nullptr;
}

bool CPorts::SetInputHandler(uint32_t port, void* context, InputHandler handler) {
    if (port > kLastPort)
        return false;
    if (handler == nullptr)
        return true;
    CInputEntry* entry = MakeInput(port);
    if (entry == nullptr)
        return false;
    *entry = {context, handler, nullptr};
    return true;
}

bool CPorts::SetInputHandlerWithStatus(uint32_t port, void* context, InputHandlerWithStatus handler) {
    if (port > kLastPort)
        return false;
    if (handler == nullptr)
        return true;
    CInputEntry* entry = MakeInput(port);
    if (entry == nullptr)
        return false;
    *entry = {context, nullptr, handler};
    return true;
}

bool CPorts::SetOutputHandler(uint32_t port, void* context, OutputHandler handler) {
    if (port > kLastPort)
        return false;
    if (handler == nullptr)
        return true;
    COutputEntry*& page = m_outputPages[port >> 8];
    if (page == nullptr)
        page = new (std::nothrow) COutputEntry[256]();
    if (page == nullptr)
        return false;
    page[port & 0xFF] = {context, handler};
    return true;
}

bool CPorts::RemoveInputHandler(uint32_t port) {
    if (port > kLastPort)
        return false;
    if (CInputEntry* entry = FindInput(port))
        *entry = {nullptr, nullptr, nullptr};
    return true;
}

bool CPorts::RemoveOutputHandler(uint32_t port) {
    if (port > kLastPort)
        return false;
    if (COutputEntry* entry = FindOutput(port))
        *entry = {nullptr, nullptr};
    return true;
}

// ---------------------------------------------------------------------------
// Accesses

// The port's own handler, then the fallback; true when one filled the value.
bool CPorts::Input(uint32_t port, uint32_t size, uint32_t sizeMask, uint8_t* value, uint8_t flag, uint8_t* status) {
    if (const CInputEntry* entry = FindInput(port & m_portMask & sizeMask)) {
        if (entry->handler != nullptr) {
            if (entry->handler(entry->context, port, size, value, flag))
                return true;
        } else if (entry->statusHandler != nullptr) {
            if (entry->statusHandler(entry->context, port, size, value, flag, status))
                return true;
        }
    }
    if (m_fallbackInput != nullptr)
        return m_fallbackInput(m_fallbackContext, port, size, value, flag);
    if (m_fallbackStatusInput != nullptr)
        return m_fallbackStatusInput(m_fallbackContext, port, size, value, flag, status);
    return false;
}

bool CPorts::Output(uint32_t port, uint32_t size, uint32_t sizeMask, uint8_t* value) {
    if (const COutputEntry* entry = FindOutput(port & m_portMask & sizeMask)) {
        if (entry->handler != nullptr && entry->handler(entry->context, port, size, value))
            return true;
    }
    if (m_fallbackOutput != nullptr)
        return m_fallbackOutput(m_fallbackOutputContext, port, size, value);
    return false;
}

uint8_t CPorts::InputByte(uint32_t port, uint8_t flag, uint8_t* status) {
    uint8_t ignored = 0;
    if (status == nullptr)
        status = &ignored;
    *status = 0;
    uint8_t value = m_defaultInput;
    if (Input(port, 1, m_byteMask, &value, flag, status))
        return value;
    return m_defaultInput;
}

uint16_t CPorts::InputWord(uint32_t port, uint8_t flag, uint8_t* status) {
    uint8_t ignored = 0;
    if (status == nullptr)
        status = &ignored;
    *status = 0;
    uint8_t value[2] = {m_defaultInput, m_defaultInput};
    if (Input(port, 2, m_wordMask, value, flag, status))
        return common::LoadLittle<uint16_t>(value);
    const uint32_t low = InputByte(port, flag, status);
    return static_cast<uint16_t>(low | static_cast<uint32_t>(InputByte(port + 1, flag, status)) << 8);
}

uint32_t CPorts::InputDword(uint32_t port, uint8_t flag, uint8_t* status) {
    uint8_t ignored = 0;
    if (status == nullptr)
        status = &ignored;
    *status = 0;
    uint8_t value[4] = {m_defaultInput, m_defaultInput, m_defaultInput, m_defaultInput};
    if (Input(port, 4, m_dwordMask, value, flag, status))
        return common::LoadLittle<uint32_t>(value);
    const uint32_t low = InputWord(port, flag, status);
    return low | static_cast<uint32_t>(InputWord(port + 2, flag, status)) << 16;
}

void CPorts::OutputByte(uint32_t port, uint8_t value) {
    Output(port, 1, m_byteMask, &value);
}

void CPorts::OutputWord(uint32_t port, uint16_t data) {
    uint8_t value[2];
    common::StoreLittle<uint16_t>(value, data);
    if (Output(port, 2, m_wordMask, value))
        return;
    OutputByte(port, value[0]);
    OutputByte(port + 1, value[1]);
}

void CPorts::OutputDword(uint32_t port, uint32_t data) {
    uint8_t value[4];
    common::StoreLittle<uint32_t>(value, data);
    if (Output(port, 4, m_dwordMask, value))
        return;
    OutputWord(port, static_cast<uint16_t>(data));
    OutputWord(port + 2, static_cast<uint16_t>(data >> 16));
}

// ---------------------------------------------------------------------------
// State: only the version; registrations are rebuilt at every start.

bool CPorts::SaveData(common::CStreamHolder& holder) {
    const uint8_t version = kStateVersion;
    return holder.WriteMarker(common::CStreamHolder::kChunkBegin, ChunkName()) &&
           holder.WriteUInt8Field(version, common::CNarrowString("VER")) &&
           holder.WriteMarker(common::CStreamHolder::kChunkEnd, ChunkName());
}

bool CPorts::LoadData(common::CStreamHolder& holder, common::CNarrowString* /*errorText*/) {
    uint8_t version = 0xFF;
    return holder.ReadMarker(ChunkName(), common::CStreamHolder::kChunkBegin, nullptr) &&
           holder.ReadUInt8Field(version, common::CNarrowString("VER")) && version == kStateVersion &&
           holder.ReadMarker(ChunkName(), common::CStreamHolder::kChunkEnd, nullptr);
}

} // namespace emu
