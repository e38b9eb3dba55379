#include "emu/chips/CTimer_I8253.h"

#include "common/CNarrowString.h"
#include "common/CWideString.h"
#include "emu/framework/CDeviceParameterList.h"
#include "emu/framework/COptionTree.h"

namespace emu {

namespace {

constexpr int32_t kTextSelectAll = 78;
constexpr int32_t kTextClearAll = 79;
// Read-back: the channel select bits of channels 0, 1 and 2.
constexpr uint8_t kReadBackChannel[CTimer_I8253::kChannels] = {0x02, 0x04, 0x08};

} // namespace

CTimer_I8253::CTimer_I8253() {
    SetName("PIT I8253");
    SetShortName("PIT");
    common::CNarrowString name;
    for (int n = 0; n < kChannels; ++n) {
        CTimerChannel_I8253* channel = new CTimerChannel_I8253();
        m_channels[n] = channel;
        name.Format("PIT Channel %ld", static_cast<long>(n));
        AddChild(channel, name.GetNarrow(), GetShortName());
        channel->SetChannelIndex(n);
        channel->Update();
        channel->WriteGate(true);
        channel->SetSoundEnabled(true, 1, 0);
    }
}

CTimer_I8253::~CTimer_I8253() = default;

bool CTimer_I8253::Start(int32_t* value) {
    if (!CDevice::Start(value))
        return false;
    if (value != nullptr && *value < CTimerChannel_I8253::kMinimumRate)
        *value = CTimerChannel_I8253::kMinimumRate;
    return true;
}

void CTimer_I8253::WriteMode(uint8_t controlWord) {
    const int select = controlWord >> 6;
    if (select < kChannels) {
        m_channels[select]->WriteMode(controlWord);
        return;
    }
    for (int n = 0; n < kChannels; ++n) {
        if ((controlWord & kReadBackChannel[n]) != 0)
            m_channels[n]->WriteMode(controlWord);
    }
}

bool CTimer_I8253::ConnectModePort(int32_t port) {
    if (!m_parameters->Remove("MODE"))
        return false;
    if (port < 0)
        return true;
    return m_parameters->AddPorts2("MODE", true, true, static_cast<uint64_t>(port), 1, OnModeRead, OnModeWrite);
}

void CTimer_I8253::SetClockFrequency(uint32_t hz) {
    for (CTimerChannel_I8253* channel : m_channels)
        channel->SetClockFrequency(hz);
}

bool CTimer_I8253::OnModeRead(void* /*context*/, uint32_t /*port*/, uint32_t size, uint8_t* value, uint8_t /*flag*/) {
    if (size != 1)
        return false;
    *value = 0;
    return true;
}

bool CTimer_I8253::OnModeWrite(void* context, uint32_t /*port*/, uint32_t size, uint8_t* value) {
    if (size != 1)
        return false;
    static_cast<CTimer_I8253*>(static_cast<CDevice*>(context))->WriteMode(*value);
    return true;
}

void CTimer_I8253::BuildMenu(COptionTree* menu, int32_t kind) {
    CDevice::BuildMenu(menu, kind);
    if (kind != kMenuDebug || menu == nullptr)
        return;
    menu->CreateUnnamedChild();
    common::COptionNode* traceAll = menu->CreateChild(common::CWideString("Trace All"));
    common::COptionNode* breakAll = menu->CreateChild(common::CWideString("Break On All"));
    menu->CreateUnnamedChild();
    common::COptionNode* selectAll = menu->CreateChildById(kTextSelectAll);
    common::COptionNode* clearAll = menu->CreateChildById(kTextClearAll);
    for (CTimerChannel_I8253* channel : m_channels) {
        channel->AddTraceAllActions(traceAll);
        channel->AddBreakAllActions(breakAll);
        channel->AddClearAllActions(clearAll);
    }
    if (selectAll != nullptr && traceAll != nullptr && breakAll != nullptr) {
        selectAll->AddActionActivate(traceAll);
        selectAll->AddActionActivate(breakAll);
    }
}

} // namespace emu
