// The DirectSound output's slot placement; plain C++, built everywhere.
#include "emu/host/CSoundOutput_DirectSound.h"

namespace emu {

namespace {

constexpr int32_t kFirstLead = 6;     // the first block goes this many slots past the play block
constexpr int32_t kMaxSteadyLead = 9; // up to here the cursor stays where it is
constexpr int32_t kMaxCloseLead = 15; // up to here it moves back by kStepBack
constexpr int32_t kStepBack = 2;
constexpr int32_t kLastDistance = 5; // a catching-up call fills slots up to here

inline int32_t Wrap(int32_t value, int32_t count) {
    while (value < 0)
        value += count;
    while (value >= count)
        value -= count;
    return value;
}

} // namespace

int32_t CSoundOutput_DirectSound::PlanSlots(uint32_t playPosition, uint32_t writePosition, int32_t blockLength,
                                            int32_t blockCount, int32_t* cursor, int32_t slots[kMaxPlannedSlots]) {
    if (blockLength <= 0 || blockCount <= 0)
        return 0;
    const int32_t length = blockLength;
    const int32_t playBlock = Wrap(static_cast<int32_t>(playPosition / static_cast<uint32_t>(length)), blockCount);
    // Blocks from the play cursor's block to the write cursor's: nearer slots
    // may already be on their way to the device.
    const int32_t gap =
        Wrap(static_cast<int32_t>(writePosition / static_cast<uint32_t>(length)) - playBlock, blockCount);
    int32_t slot = *cursor == -1 ? Wrap(playBlock + kFirstLead, blockCount) : Wrap(*cursor, blockCount);
    const int32_t ahead = Wrap(slot - playBlock, blockCount);

    int32_t next;
    if (ahead <= kMaxSteadyLead) {
        next = -ahead;
    } else if (ahead <= kMaxCloseLead) {
        slot = Wrap(slot - kStepBack, blockCount);
        next = kStepBack - ahead;
    } else {
        slot = playBlock;
        next = 0;
    }
    int32_t count = 0;
    do {
        const int32_t distance = next < 0 ? -next : next;
        if (distance >= gap && count < kMaxPlannedSlots)
            slots[count++] = slot;
        next = distance + 1;
        slot = slot + 1 >= blockCount ? 0 : slot + 1;
    } while (next <= kLastDistance);
    *cursor = slot;
    return count;
}

} // namespace emu
