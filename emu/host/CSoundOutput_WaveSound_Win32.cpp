// The waveOut sound output.
#include <windows.h>

#include <mmsystem.h>

#include <new>

#include "common/CScopedLock.h"
#include "emu/host/CSoundOutput_WaveSound.h"

namespace emu {

namespace {

constexpr int kCloseAttempts = 50;   // waveOutClose tries while blocks still play
constexpr DWORD kCloseSettleMs = 10; // lets a callback that is under way finish

inline HWAVEOUT AsDevice(void* device) {
    return static_cast<HWAVEOUT>(device);
}

void CALLBACK WaveOutProc(HWAVEOUT device, UINT message, DWORD_PTR instance, DWORD_PTR param1, DWORD_PTR param2) {
    CSoundOutput_WaveSound::WaveOutCallback(device, message, instance, param1, param2);
}

} // namespace

CSoundOutput_WaveSound::CSoundOutput_WaveSound()
    : m_volumeDevice(reinterpret_cast<void*>(static_cast<uintptr_t>(WAVE_MAPPER))) {}

CSoundOutput_WaveSound::~CSoundOutput_WaveSound() {
    CSoundOutput_WaveSound::Close();
}

CSoundOutput* CSoundOutput_WaveSound::CreateInstance() {
    CSoundOutput_WaveSound* output = new (std::nothrow) CSoundOutput_WaveSound();
    if (output != nullptr)
        output->SetWindowHandle(GetWindowHandle());
    return output;
}

void CSoundOutput_WaveSound::GiveVolumeBack() {
    m_volumeSaved = false;
    waveOutSetVolume(AsDevice(m_volumeDevice), VolumeToGiveBack(m_savedVolume, RememberedVolume().load()));
    m_savedVolume = 0;
}

bool CSoundOutput_WaveSound::Open(uint32_t samplesPerSecond, uint32_t bits, uint32_t blockCount) {
    const int32_t rate = static_cast<int32_t>(samplesPerSecond);
    const int32_t sampleBits = static_cast<int32_t>(bits);
    const int32_t count = static_cast<int32_t>(blockCount);
    if (m_device != nullptr || rate <= 0 || sampleBits <= 0 || count <= 0 || rate % count != 0)
        return false;
    m_ready.store(false);

    WAVEFORMATEX format = {};
    format.wFormatTag = WAVE_FORMAT_PCM;
    format.nChannels = 1;
    format.nSamplesPerSec = static_cast<DWORD>(rate);
    format.nBlockAlign = static_cast<WORD>(sampleBits / 8);
    format.nAvgBytesPerSec = format.nBlockAlign * format.nSamplesPerSec;
    format.wBitsPerSample = static_cast<WORD>(sampleBits);
    format.cbSize = 0;

    if (m_volumeSaved)
        GiveVolumeBack();
    m_volumeDevice = reinterpret_cast<void*>(static_cast<uintptr_t>(WAVE_MAPPER));
    HWAVEOUT device = nullptr;
    if (waveOutOpen(&device, WAVE_MAPPER, &format, reinterpret_cast<DWORD_PTR>(&WaveOutProc),
                    reinterpret_cast<DWORD_PTR>(this), CALLBACK_FUNCTION) != MMSYSERR_NOERROR) {
        if (m_volumeSaved)
            GiveVolumeBack();
        return false;
    }
    m_device = device;
    m_volumeDevice = device;
    // Muted until the first blocks have played (the callback gives it back).
    DWORD volume = 0;
    m_volumeSaved = waveOutGetVolume(device, &volume) == MMSYSERR_NOERROR;
    if (m_volumeSaved) {
        m_savedVolume = volume;
        if (volume != 0)
            RememberedVolume().store(volume);
        waveOutSetVolume(device, 0);
    }

    if (!CSoundOutput::Open(samplesPerSecond, bits, blockCount)) {
        Close();
        return false;
    }
    WAVEHDR* headers = new (std::nothrow) WAVEHDR[static_cast<size_t>(count)]();
    if (headers == nullptr) {
        Close();
        return false;
    }
    m_headers = headers;
    for (int32_t i = 0; i < count; ++i) {
        WAVEHDR& header = headers[i];
        header.lpData = reinterpret_cast<LPSTR>(BlockAt(i));
        header.dwBufferLength = static_cast<DWORD>(GetBlockLength());
        waveOutPrepareHeader(device, &header, sizeof(WAVEHDR));
        header.dwFlags |= WHDR_DONE;
    }
    m_ready.store(true);
    common::CScopedLock lock(&m_lock);
    m_open = true;
    return true;
}

bool CSoundOutput_WaveSound::WriteBlock(int32_t index) {
    if (!m_ready.load())
        return false;
    WAVEHDR* header = static_cast<WAVEHDR*>(m_headers) + index;
    return waveOutWrite(AsDevice(m_device), header, sizeof(WAVEHDR)) == MMSYSERR_NOERROR;
}

void CSoundOutput_WaveSound::WaveOutCallback(void* device, uint32_t message, uintptr_t instance, uintptr_t /*param1*/,
                                             uintptr_t /*param2*/) {
    if (device == nullptr || message != WOM_DONE || instance == 0)
        return;
    CSoundOutput_WaveSound* self = reinterpret_cast<CSoundOutput_WaveSound*>(instance);
    common::CScopedLock lock(&self->m_lock);
    if (!self->m_open)
        return;
    self->OnBlockDone();
    if (self->m_volumeSaved && self->GetCompletedBlocks() > static_cast<uint64_t>(self->GetBlockCount() / 8))
        self->GiveVolumeBack();
}

void CSoundOutput_WaveSound::Close() {
    {
        common::CScopedLock lock(&m_lock);
        m_open = false;
    }
    Sleep(kCloseSettleMs);
    m_ready.store(false);
    if (m_volumeSaved)
        GiveVolumeBack();
    WAVEHDR* headers = static_cast<WAVEHDR*>(m_headers);
    if (m_device != nullptr) {
        HWAVEOUT device = AsDevice(m_device);
        waveOutReset(device);
        // Reset returned every block; the headers are unprepared before
        // their memory goes.
        if (headers != nullptr) {
            for (int32_t i = 0; i < GetBlockCount(); ++i)
                waveOutUnprepareHeader(device, &headers[i], sizeof(WAVEHDR));
        }
        for (int attempt = 0; attempt < kCloseAttempts; ++attempt) {
            if (waveOutClose(device) != WAVERR_STILLPLAYING)
                break;
            Sleep(1);
        }
        m_device = nullptr;
    }
    delete[] headers;
    m_headers = nullptr;
    CSoundOutput::Close();
}

} // namespace emu
