// The DirectSound sound output.
#include <windows.h>

#include <mmsystem.h>

#include <dsound.h>

#include <cstring>
#include <new>

#include "emu/host/CSoundOutput_DirectSound.h"

namespace emu {

namespace {

constexpr DWORD kPrimaryFlags = DSBCAPS_PRIMARYBUFFER | DSBCAPS_STICKYFOCUS;
constexpr DWORD kSecondaryFlags = DSBCAPS_GETCURRENTPOSITION2 | DSBCAPS_STICKYFOCUS;

HRESULT CreateBuffer(IDirectSound* directSound, DWORD flags, DWORD bytes, WAVEFORMATEX* format,
                     IDirectSoundBuffer** buffer) {
    // The short (20-byte) description: no 3D algorithm.
    DSBUFFERDESC1 description = {};
    description.dwSize = sizeof(DSBUFFERDESC1);
    description.dwFlags = flags;
    description.dwBufferBytes = bytes;
    description.lpwfxFormat = format;
    return directSound->CreateSoundBuffer(reinterpret_cast<LPCDSBUFFERDESC>(&description), buffer, nullptr);
}

} // namespace

CSoundOutput_DirectSound::CSoundOutput_DirectSound() = default;

CSoundOutput_DirectSound::~CSoundOutput_DirectSound() {
    CSoundOutput_DirectSound::Close();
}

CSoundOutput* CSoundOutput_DirectSound::CreateInstance() {
    CSoundOutput_DirectSound* output = new (std::nothrow) CSoundOutput_DirectSound();
    if (output != nullptr)
        output->SetWindowHandle(GetWindowHandle());
    return output;
}

bool CSoundOutput_DirectSound::Open(uint32_t samplesPerSecond, uint32_t bits, uint32_t blockCount) {
    if (m_directSound != nullptr || GetWindowHandle() == nullptr)
        return false;
    m_open.store(false);
    const int32_t rate = static_cast<int32_t>(samplesPerSecond);
    const int32_t sampleBits = static_cast<int32_t>(bits);
    const int32_t count = static_cast<int32_t>(blockCount);
    if (rate < 1 || sampleBits < 1 || count <= 0 || rate % count != 0)
        return false;
    if (FAILED(DirectSoundCreate(nullptr, &m_directSound, nullptr))) {
        m_directSound = nullptr;
        return false;
    }

    bool opened = false;
    do {
        if (FAILED(m_directSound->SetCooperativeLevel(static_cast<HWND>(GetWindowHandle()), DSSCL_PRIORITY)))
            break;
        if (FAILED(CreateBuffer(m_directSound, kPrimaryFlags, 0, nullptr, &m_primary))) {
            m_primary = nullptr;
            break;
        }
        WAVEFORMATEX format = {};
        format.wFormatTag = WAVE_FORMAT_PCM;
        format.nChannels = 1;
        format.nSamplesPerSec = static_cast<DWORD>(rate);
        format.nBlockAlign = static_cast<WORD>(sampleBits / 8);
        format.nAvgBytesPerSec = format.nBlockAlign * format.nSamplesPerSec;
        format.wBitsPerSample = static_cast<WORD>(sampleBits);
        format.cbSize = 0;
        if (FAILED(m_primary->SetFormat(&format)))
            break;
        if (!CSoundOutput::Open(samplesPerSecond, bits, blockCount))
            break;
        const DWORD bytes = static_cast<DWORD>(GetBlockLength()) * static_cast<DWORD>(count);
        if (FAILED(CreateBuffer(m_directSound, kSecondaryFlags, bytes, &format, &m_secondary))) {
            m_secondary = nullptr;
            break;
        }
        m_open.store(true);
        SetCounting(false);
        m_busy.store(false);
        m_cursor = -1;
        opened = SUCCEEDED(m_secondary->Play(0, 0, DSBPLAY_LOOPING));
    } while (false);
    if (!opened) {
        Close();
        return false;
    }
    return true;
}

void CSoundOutput_DirectSound::CopyToSlot(int32_t index, int32_t slot) {
    const DWORD length = static_cast<DWORD>(GetBlockLength());
    const DWORD position = static_cast<DWORD>(slot) * length;
    DWORD status = 0;
    if (SUCCEEDED(m_secondary->GetStatus(&status)) && (status & DSBSTATUS_PLAYING) == 0)
        m_secondary->Play(0, 0, DSBPLAY_LOOPING);
    void* first = nullptr;
    void* second = nullptr;
    DWORD firstBytes = 0;
    DWORD secondBytes = 0;
    HRESULT result = m_secondary->Lock(position, length, &first, &firstBytes, &second, &secondBytes, 0);
    if (result == DSERR_BUFFERLOST) {
        m_secondary->Restore();
        m_secondary->Play(0, 0, DSBPLAY_LOOPING);
        result = m_secondary->Lock(position, length, &first, &firstBytes, &second, &secondBytes, 0);
    }
    if (FAILED(result))
        return; // the slot keeps what it had
    const uint8_t* block = GetBlock(index);
    const DWORD head = firstBytes < length ? firstBytes : length;
    std::memcpy(first, block, head);
    if (second != nullptr && head < length) {
        const DWORD rest = length - head;
        std::memcpy(second, block + head, secondBytes < rest ? secondBytes : rest);
    }
    m_secondary->Unlock(first, firstBytes, second, secondBytes);
}

bool CSoundOutput_DirectSound::WriteBlock(int32_t index) {
    if (m_busy.exchange(true))
        return false;
    if (!m_open.load() || m_secondary == nullptr) {
        m_busy.store(false);
        return false;
    }
    DWORD play = 0;
    DWORD write = 0;
    if (FAILED(m_secondary->GetCurrentPosition(&play, &write)) || !m_open.load()) {
        m_busy.store(false);
        return false;
    }
    int32_t slots[kMaxPlannedSlots];
    const int32_t count = PlanSlots(play, write, GetBlockLength(), GetBlockCount(), &m_cursor, slots);
    for (int32_t i = 0; i < count; ++i) {
        if (!m_open.load()) {
            m_busy.store(false);
            return false;
        }
        CopyToSlot(index, slots[i]);
    }
    m_busy.store(false);
    return true;
}

void CSoundOutput_DirectSound::Silence() {
    if (!m_open.load() || m_busy.exchange(true))
        return;
    if (m_secondary != nullptr)
        m_secondary->Stop();
    m_busy.store(false);
}

void CSoundOutput_DirectSound::Close() {
    m_open.store(false);
    if (m_secondary != nullptr) {
        m_secondary->Stop();
        m_secondary->Release();
        m_secondary = nullptr;
    }
    if (m_primary != nullptr) {
        m_primary->Release();
        m_primary = nullptr;
    }
    if (m_directSound != nullptr) {
        m_directSound->Release();
        m_directSound = nullptr;
    }
    CSoundOutput::Close();
}

} // namespace emu
