#include "emu/framework/CBus.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <iterator>
#include <vector>

#include "common/CNarrowString.h"
#include "common/CStreamHolder.h"
#include "common/LittleEndian.h"
#include "emu/framework/CObjectContainer.h"
#include "emu/host/CSoundOutput.h"

namespace emu {

namespace {

const char kChunkName[] = "_EVT";
const uint8_t kChunkVersion = 0;
const int kEventRecordSize = 40;
const uint32_t kNoStartMarker = 0x100;
const int32_t kRates[] = {4900, 11050, 14700, 22050, 44100};

// round(a / b), halves away from zero.
int32_t RoundQuotient(int32_t a, int32_t b) {
    return static_cast<int32_t>(std::lround(static_cast<double>(a) / b));
}

struct CName : common::CNarrowString {
    explicit CName(const char* text) : common::CNarrowString(text) {}
};

bool SameText(const char* a, const char* b) {
    return std::strcmp(a != nullptr ? a : "", b != nullptr ? b : "") == 0;
}

} // namespace

CBus::CBus()
    : m_firstEvent(nullptr), m_lastEvent(nullptr), m_freeEvents(nullptr), m_rate(0), m_tickCounter(0),
      m_soundPaused(false), m_prototype(nullptr), m_registering(false) {
    SetName("_BUS");
}

CBus::~CBus() {
    FreeNodes();
}

// --- Periodic events ------------------------------------------------------------------

bool CBus::AddEvent(int32_t frequency, PeriodicCallback callback, CObject* user, const char* name, uint32_t data0,
                    uint32_t data1, bool startNow) {
    CPeriodicEvent* node = TakeFreeNode();
    node->m_kind = kKindPeriodic;
    node->m_requestedFrequency = frequency > 0 ? frequency : kRequestEveryTick;
    node->m_user = user;
    node->m_callback = callback;
    node->m_name = name;
    node->m_data[0] = data0;
    node->m_data[1] = data1;
    node->m_fireCount = 0;
    node->m_startMarker = startNow && m_tickCounter == 0 ? nullptr : this;
    node->m_effectiveFrequency = node->m_divider = node->m_countdown = 0;
    if (m_rate > 0) {
        const int32_t effective = node->m_requestedFrequency < m_rate ? node->m_requestedFrequency : m_rate;
        node->m_divider = m_rate / effective;
        node->m_countdown = startNow ? 0 : node->m_divider;
        node->m_effectiveFrequency = RoundQuotient(m_rate, node->m_divider);
    }
    Append(node);
    if (!m_registering)
        return true;
    if (name == nullptr || callback == nullptr)
        return false;
    if (user == nullptr)
        return true;
    return RegisterCallback(name, CEvent{user, kCallbackBusEvent, reinterpret_cast<AnyFunction>(callback)});
}

bool CBus::AddSoundStream(uint32_t rate, uint32_t bits, SoundProducer producer, CObject* producerUser, const char* name,
                          uint32_t data0, uint32_t data1) {
    if (m_prototype == nullptr)
        return false;
    CSoundOutput* output = m_prototype->CreateInstance();
    if (output == nullptr)
        return false;
    if (!output->Open(rate, bits, kSoundBlocksPerSecond)) {
        // No working device (a server, a machine without sound card): the
        // machine runs on without sound and the caller tells the user.
        m_failedSoundOutput = m_prototype->GetName();
        delete output;
        output = new CSoundOutput();
        if (!output->Open(rate, bits, kSoundBlocksPerSecond)) {
            delete output;
            return false;
        }
    }
    CPeriodicEvent* node = TakeFreeNode();
    node->m_kind = kKindSoundStream;
    node->m_output = output;
    node->m_producer = producer;
    node->m_producerUser = producerUser;
    node->m_name = name;
    node->m_data[0] = data0;
    node->m_data[1] = data1;
    node->m_streamRate = rate;
    node->m_streamBits = bits;
    node->m_requestedFrequency = kSoundBlocksPerSecond;
    node->m_user = nullptr; // the pump works on the node itself
    node->m_callback = nullptr;
    node->m_fireCount = 0;
    node->m_startMarker = m_tickCounter != 0 ? this : nullptr;
    node->m_divider = node->m_countdown = 0;
    if (m_rate > kSoundBlocksPerSecond) {
        node->m_divider = m_rate / kSoundBlocksPerSecond;
        node->m_effectiveFrequency = RoundQuotient(m_rate, node->m_divider);
    } else {
        node->m_effectiveFrequency = m_rate;
        if (m_rate > 0)
            node->m_divider = 1;
    }
    Append(node);
    if (!m_registering)
        return true;
    if (name == nullptr || producer == nullptr)
        return false;
    if (producerUser == nullptr)
        return true;
    return RegisterCallback(name,
                            CEvent{producerUser, kCallbackSoundProducer, reinterpret_cast<AnyFunction>(producer)});
}

void CBus::Retime(CPeriodicEvent* node) {
    if (m_rate <= 0) {
        node->m_divider = node->m_countdown = node->m_effectiveFrequency = 0;
        return;
    }
    const int32_t effective = node->m_requestedFrequency < m_rate ? node->m_requestedFrequency : m_rate;
    node->m_divider = effective > 0 ? m_rate / effective : 1;
    node->m_countdown = node->m_startMarker != nullptr ? node->m_divider : 0;
    node->m_effectiveFrequency = RoundQuotient(m_rate, node->m_divider);
}

int32_t CBus::SetRate(int32_t rate, CProcessorInterface* processor) {
    m_tickCounter = 0;
    int32_t snapped = kRates[4];
    for (int32_t candidate : kRates) {
        if (candidate >= rate) {
            snapped = candidate;
            break;
        }
    }
    m_rate = snapped;
    for (CPeriodicEvent* node = m_firstEvent; node != nullptr; node = node->m_next) {
        if (node->m_kind == kKindPeriodic || node->m_kind == kKindSoundStream)
            Retime(node);
    }
    if (processor == nullptr)
        return m_rate / kSoundBlocksPerSecond;
    // One tick event per bus: a rate set again replaces the earlier one.
    processor->RemoveEvents(OnBusFreqEvent, this);
    processor->AddEvent(-GetTickPeriod(processor->GetFrequency()), OnBusFreqEvent, this, kBusFreqEventName, 0, 0);
    return 1;
}

int32_t CBus::GetTickPeriod(int32_t processorFrequency) const {
    return m_rate > 0 ? RoundQuotient(processorFrequency, m_rate) : 0;
}

void CBus::Tick() {
    CPeriodicEvent* node = m_firstEvent;
    while (node != nullptr) {
        CPeriodicEvent* next = node->m_next;
        if (m_tickCounter == 0) {
            if (node->m_startMarker != nullptr) {
                node = next;
                continue;
            }
            node->m_startMarker = this;
        }
        bool keep = false;
        if (node->m_kind == kKindPeriodic || node->m_kind == kKindSoundStream) {
            if (--node->m_countdown >= 1) {
                node = next;
                continue;
            }
            keep =
                node->m_kind == kKindSoundStream
                    ? OnSoundStreamEvent(node)
                    : node->m_callback != nullptr && node->m_callback(node->m_user, &node->m_fireCount, node->m_data);
            ++node->m_fireCount;
            if (keep)
                node->m_countdown = node->m_divider;
        }
        // Read after the call: the callback may have appended events.
        next = node->m_next;
        if (!keep)
            Release(node);
        node = next;
    }
    ++m_tickCounter;
}

bool CBus::OnBusFreqEvent(CObject* user, int32_t* /*period*/, uint32_t* /*data*/, CProcessorInterface* /*processor*/) {
    if (user != nullptr)
        static_cast<CBus*>(user)->Tick();
    return true;
}

bool CBus::OnSoundStreamEvent(CPeriodicEvent* stream) {
    if (stream->m_output == nullptr || stream->m_producer == nullptr)
        return false;
    uint32_t count = 0;
    int32_t low = 0;
    int32_t high = 0;
    int32_t* samples = stream->m_output->NextStagingBuffer(&count, &low, &high);
    if (samples == nullptr || static_cast<int32_t>(count) <= 0)
        return false;
    if (!stream->m_producer(stream->m_producerUser, samples, count, low, high, stream->m_effectiveFrequency,
                            stream->m_data))
        return false;
    if (!m_soundPaused)
        stream->m_output->QueueStagingBuffer();
    return true;
}

void CBus::SetSoundPaused(bool paused) {
    if (paused == m_soundPaused)
        return;
    m_soundPaused = paused;
    if (!paused)
        return;
    for (CPeriodicEvent* node = m_firstEvent; node != nullptr; node = node->m_next) {
        if (node->m_kind == kKindSoundStream && node->m_output != nullptr)
            node->m_output->Silence();
    }
}

int32_t CBus::GetEventCount() const {
    int32_t count = 0;
    for (const CPeriodicEvent* node = m_firstEvent; node != nullptr; node = node->m_next)
        ++count;
    return count;
}

// --- Life cycle ------------------------------------------------------------------------

bool CBus::Start(int32_t* /*value*/) {
    m_tickCounter = 0;
    m_soundPaused = false;
    RegisterCallback(kBusFreqEventName, CEvent{this, kCallbackCpuEvent, reinterpret_cast<AnyFunction>(OnBusFreqEvent)});
    return true;
}

void CBus::Stop() {
    FreeNodes();
    m_rate = 0;
    m_tickCounter = 0;
}

CBus::CPeriodicEvent* CBus::TakeFreeNode() {
    CPeriodicEvent* node = m_freeEvents;
    if (node == nullptr)
        return new CPeriodicEvent();
    m_freeEvents = node->m_next;
    *node = CPeriodicEvent();
    return node;
}

void CBus::Append(CPeriodicEvent* node) {
    node->m_next = nullptr;
    node->m_previous = m_lastEvent;
    if (m_lastEvent != nullptr)
        m_lastEvent->m_next = node;
    else
        m_firstEvent = node;
    m_lastEvent = node;
}

void CBus::Release(CPeriodicEvent* node) {
    if (node->m_previous != nullptr)
        node->m_previous->m_next = node->m_next;
    else
        m_firstEvent = node->m_next;
    if (node->m_next != nullptr)
        node->m_next->m_previous = node->m_previous;
    else
        m_lastEvent = node->m_previous;
    delete node->m_output;
    node->m_output = nullptr;
    node->m_previous = nullptr;
    node->m_next = m_freeEvents;
    m_freeEvents = node;
}

void CBus::ReleaseAll() {
    while (m_firstEvent != nullptr)
        Release(m_firstEvent);
}

void CBus::FreeNodes() {
    ReleaseAll();
    while (m_freeEvents != nullptr) {
        CPeriodicEvent* next = m_freeEvents->m_next;
        delete m_freeEvents;
        m_freeEvents = next;
    }
    m_lastEvent = nullptr;
}

// --- Registry ------------------------------------------------------------------------------

void CBus::BuildObjectName(const CObject* object, common::CString& out) {
    out.Clear();
    if (object == nullptr)
        return;
    out.AssignNarrowString(object->GetNameString());
    for (const CObjectContainer* ancestor = object->GetParent(); ancestor != nullptr;
         ancestor = ancestor->GetParent()) {
        if (ancestor->GetParent() != nullptr)
            CObjectContainer::FormatChildName(out, ancestor->GetName());
    }
}

bool CBus::RegisterCallback(const char* name, const CEvent& entry) {
    const char* targetName = entry.m_target != nullptr ? entry.m_target->GetName() : "";
    const int count = m_registry.GetCount();
    for (int i = 0; i < count; ++i) {
        common::CValueList<CEvent>::CItem* item = m_registry.GetItemAt(i);
        const CEvent& known = item->m_value;
        if (known.m_target == nullptr)
            return false;
        if (!SameText(known.m_target->GetName(), targetName))
            continue;
        // One object name stands for one object in a saved state.
        if (known.m_target != entry.m_target)
            return false;
        if (!SameText(item->m_name->GetNarrow(), name))
            continue;
        return known.m_kind == entry.m_kind && known.m_function == entry.m_function;
    }
    m_registry.AddItem(common::CNarrowString(name != nullptr ? name : ""), entry);
    return true;
}

bool CBus::RegisterBusEventCallback(const char* name, PeriodicCallback callback, CObject* target) {
    if (name == nullptr || callback == nullptr || target == nullptr)
        return false;
    return RegisterCallback(name, CEvent{target, kCallbackBusEvent, reinterpret_cast<AnyFunction>(callback)});
}

bool CBus::RegisterSoundCallback(const char* name, SoundProducer producer, CObject* target) {
    if (name == nullptr || producer == nullptr || target == nullptr)
        return false;
    return RegisterCallback(name, CEvent{target, kCallbackSoundProducer, reinterpret_cast<AnyFunction>(producer)});
}

bool CBus::RegisterCpuEventCallback(const char* name, CProcessorInterface::EventCallback callback, CObject* target) {
    if (name == nullptr || callback == nullptr || target == nullptr)
        return false;
    return RegisterCallback(name, CEvent{target, kCallbackCpuEvent, reinterpret_cast<AnyFunction>(callback)});
}

bool CBus::FindCallback(const char* owner, const char* name, CEvent* entry, const char** registryName) {
    common::CNarrowString targetName;
    const int count = m_registry.GetCount();
    for (int i = 0; i < count; ++i) {
        common::CValueList<CEvent>::CItem* item = m_registry.GetItemAt(i);
        if (!SameText(item->m_name->GetNarrow(), name))
            continue;
        BuildObjectName(item->m_value.m_target, targetName);
        if (!SameText(targetName.GetNarrow(), owner))
            continue;
        if (entry != nullptr)
            *entry = item->m_value;
        if (registryName != nullptr)
            *registryName = item->m_name->GetNarrow();
        return true;
    }
    return false;
}

bool CBus::FindCpuEventCallback(const char* owner, const char* name, CEvent* entry, const char** registryName) {
    CEvent found = {};
    const char* foundName = nullptr;
    if (!FindCallback(owner, name, &found, &foundName) || found.m_kind != kCallbackCpuEvent)
        return false;
    if (entry != nullptr)
        *entry = found;
    if (registryName != nullptr)
        *registryName = foundName;
    return true;
}

// --- State ----------------------------------------------------------------------------------

bool CBus::SaveData(common::CStreamHolder& holder) {
    const CName chunk(kChunkName);
    const uint32_t count = static_cast<uint32_t>(GetEventCount());
    if (!holder.WriteMarker(common::CStreamHolder::kChunkBegin, chunk) ||
        !holder.WriteUInt8Field(kChunkVersion, CName("VER")) || !holder.WriteInt32Field(m_rate, CName("CRFRQ")) ||
        !holder.WriteInt32Field(static_cast<int32_t>(m_tickCounter), CName("CNFRQ")) ||
        !holder.WriteUInt32Field(count, CName("CNEVT")))
        return false;
    common::CNarrowString fieldName;
    common::CNarrowString owner;
    common::CNarrowString name;
    long index = 0;
    for (const CPeriodicEvent* node = m_firstEvent; node != nullptr; node = node->m_next, ++index) {
        if (node->m_kind != kKindPeriodic && node->m_kind != kKindSoundStream)
            return false;
        const bool stream = node->m_kind == kKindSoundStream;
        uint8_t record[kEventRecordSize];
        common::StoreLittle<uint32_t>(record + 0, node->m_kind + (node->m_startMarker == nullptr ? kNoStartMarker : 0));
        common::StoreLittle<uint32_t>(record + 4, static_cast<uint32_t>(node->m_effectiveFrequency));
        common::StoreLittle<uint32_t>(record + 8, static_cast<uint32_t>(node->m_divider));
        common::StoreLittle<uint32_t>(record + 12, static_cast<uint32_t>(node->m_countdown));
        common::StoreLittle<uint32_t>(record + 16, static_cast<uint32_t>(node->m_requestedFrequency));
        common::StoreLittle<uint32_t>(record + 20,
                                      stream ? (node->m_streamBits << 24) | (node->m_streamRate & 0xFFFFFF) : 0);
        common::StoreLittle<uint32_t>(record + 24, static_cast<uint32_t>(node->m_fireCount));
        common::StoreLittle<uint32_t>(record + 28, static_cast<uint32_t>(node->m_fireCount >> 32));
        common::StoreLittle<uint32_t>(record + 32, node->m_data[0]);
        common::StoreLittle<uint32_t>(record + 36, node->m_data[1]);

        BuildObjectName(stream ? node->m_producerUser : node->m_user, owner);
        name.AssignNarrow(node->m_name != nullptr ? node->m_name : "");
        fieldName.Format("DVEVT%ld", index);
        if (!holder.WriteStringField(owner, fieldName))
            return false;
        fieldName.Format("NMEVT%ld", index);
        if (!holder.WriteStringField(name, fieldName))
            return false;
        fieldName.Format("DTEVT%ld", index);
        if (!holder.WriteBlobField(record, kEventRecordSize, fieldName))
            return false;
    }
    return holder.WriteMarker(common::CStreamHolder::kChunkEnd, chunk);
}

bool CBus::LoadData(common::CStreamHolder& holder, common::CNarrowString* /*errorText*/) {
    // The frequencies the devices asked for: a loaded event of the same
    // device and callback asks for no other.
    struct CRequest {
        PeriodicCallback callback;
        CObject* user;
        int32_t frequency;
    };
    std::vector<CRequest> requests;
    for (const CPeriodicEvent* node = m_firstEvent; node != nullptr; node = node->m_next) {
        if (node->m_kind == kKindPeriodic)
            requests.push_back({node->m_callback, node->m_user, node->m_requestedFrequency});
    }
    ReleaseAll();
    const CName chunk(kChunkName);
    uint8_t version = 0xFF;
    int32_t tickCounter = 0;
    uint32_t count = 0;
    if (!holder.ReadMarker(chunk, common::CStreamHolder::kChunkBegin, nullptr) ||
        !holder.ReadUInt8Field(version, CName("VER")) || version != kChunkVersion ||
        !holder.ReadInt32Field(m_rate, CName("CRFRQ")) || !holder.ReadInt32Field(tickCounter, CName("CNFRQ")))
        return false;
    // Only the rates that SetRate chooses, or none yet: every divider and the
    // tick period follow from it.
    if (m_rate != 0 && std::find(std::begin(kRates), std::end(kRates), m_rate) == std::end(kRates))
        return false;
    m_tickCounter = static_cast<uint32_t>(tickCounter);
    if (!holder.ReadUInt32Field(count, CName("CNEVT")))
        return false;
    common::CNarrowString fieldName;
    common::CNarrowString owner;
    common::CNarrowString name;
    for (uint32_t i = 0; i < count; ++i) {
        const long index = static_cast<long>(i);
        fieldName.Format("DVEVT%ld", index);
        if (!holder.ReadStringField(owner, fieldName) || owner.IsEmpty())
            return false;
        fieldName.Format("NMEVT%ld", index);
        if (!holder.ReadStringField(name, fieldName))
            return false;
        CEvent entry = {};
        const char* registryName = nullptr;
        if (!FindCallback(owner.GetNarrow(), name.GetNarrow(), &entry, &registryName))
            return false;
        uint8_t record[kEventRecordSize];
        fieldName.Format("DTEVT%ld", index);
        if (!holder.ReadBlobField(record, kEventRecordSize, fieldName))
            return false;
        const uint32_t kindWord = common::LoadLittle<uint32_t>(record + 0);
        const uint32_t kind = kindWord & ~kNoStartMarker;
        const bool noStartMarker = (kindWord & kNoStartMarker) != 0;
        const uint32_t data0 = common::LoadLittle<uint32_t>(record + 32);
        const uint32_t data1 = common::LoadLittle<uint32_t>(record + 36);
        const int32_t requested = static_cast<int32_t>(common::LoadLittle<uint32_t>(record + 16));
        bool added = false;
        if (kind == kKindPeriodic && entry.m_kind == kCallbackBusEvent) {
            // Only an event that has not yet seen a tick can lack its marker.
            if (noStartMarker && m_tickCounter != 0)
                return false;
            const auto callback = reinterpret_cast<PeriodicCallback>(entry.m_function);
            for (const CRequest& request : requests) {
                if (request.callback == callback && request.user == entry.m_target && request.frequency != requested)
                    return false;
            }
            added = AddEvent(requested, callback, entry.m_target, registryName, data0, data1, noStartMarker);
        } else if (kind == kKindSoundStream && entry.m_kind == kCallbackSoundProducer) {
            const uint32_t streamWord = common::LoadLittle<uint32_t>(record + 20);
            added = AddSoundStream(streamWord & 0xFFFFFF, streamWord >> 24,
                                   reinterpret_cast<SoundProducer>(entry.m_function), entry.m_target, registryName,
                                   data0, data1);
        }
        if (!added)
            return false;
        CPeriodicEvent* node = m_lastEvent;
        // The divider and frequency are those the rate gives the request, and
        // the countdown never exceeds the divider: a longer one would keep the
        // event's device silent for as many ticks.
        const int32_t countdown = static_cast<int32_t>(common::LoadLittle<uint32_t>(record + 12));
        if (static_cast<int32_t>(common::LoadLittle<uint32_t>(record + 4)) != node->m_effectiveFrequency ||
            static_cast<int32_t>(common::LoadLittle<uint32_t>(record + 8)) != node->m_divider || countdown < 0 ||
            countdown > node->m_divider)
            return false;
        node->m_kind = kind;
        node->m_countdown = countdown;
        node->m_requestedFrequency = requested;
        node->m_fireCount = static_cast<uint64_t>(common::LoadLittle<uint32_t>(record + 24)) |
                            static_cast<uint64_t>(common::LoadLittle<uint32_t>(record + 28)) << 32;
        node->m_data[0] = data0;
        node->m_data[1] = data1;
    }
    return holder.ReadMarker(chunk, common::CStreamHolder::kChunkEnd, nullptr);
}

} // namespace emu
