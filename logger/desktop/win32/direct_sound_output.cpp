#include "logger/desktop/win32/direct_sound_output.h"

// clang-format off
#include <windows.h>
#include <mmsystem.h>
#include <dsound.h>
// clang-format on

#include <cstring>

namespace kelvinor {

DirectSoundOutput::~DirectSoundOutput() {
    close();
}

bool DirectSoundOutput::open() {
    close();
    library_ = LoadLibraryW(L"dsound.dll");
    if (library_ == nullptr) return false;
    using Create = HRESULT(WINAPI*)(LPCGUID, LPDIRECTSOUND*, LPUNKNOWN);
    const auto create = reinterpret_cast<Create>(
        reinterpret_cast<void*>(GetProcAddress(library_, "DirectSoundCreate")));
    if (create == nullptr || FAILED(create(nullptr, &device_, nullptr)) || device_ == nullptr ||
        FAILED(device_->SetCooperativeLevel(GetDesktopWindow(), DSSCL_PRIORITY))) {
        close();
        return false;
    }
    return true;
}

bool DirectSoundOutput::loadCue(int cue, const WaveFormat& format,
                                std::span<const std::uint8_t> samples) {
    if (device_ == nullptr || samples.empty()) return false;
    WAVEFORMATEX wave{};
    wave.wFormatTag = format.formatTag;
    wave.nChannels = format.channels;
    wave.nSamplesPerSec = format.samplesPerSecond;
    wave.nAvgBytesPerSec = format.averageBytesPerSecond;
    wave.nBlockAlign = format.blockAlign;
    wave.wBitsPerSample = format.bitsPerSample;
    DSBUFFERDESC description{};
    description.dwSize = sizeof(description);
    // A static buffer that stays audible while another program has the focus.
    description.dwFlags = DSBCAPS_STATIC | DSBCAPS_GLOBALFOCUS;
    description.dwBufferBytes = static_cast<DWORD>(samples.size());
    description.lpwfxFormat = &wave;
    IDirectSoundBuffer* buffer = nullptr;
    if (FAILED(device_->CreateSoundBuffer(&description, &buffer, nullptr)) || buffer == nullptr)
        return false;
    void* first = nullptr;
    void* second = nullptr;
    DWORD firstBytes = 0, secondBytes = 0;
    if (FAILED(buffer->Lock(0, description.dwBufferBytes, &first, &firstBytes, &second,
                            &secondBytes, 0))) {
        buffer->Release();
        return false;
    }
    std::memcpy(first, samples.data(), firstBytes);
    if (second != nullptr) std::memcpy(second, samples.data() + firstBytes, secondBytes);
    buffer->Unlock(first, firstBytes, second, secondBytes);
    if (const auto old = cues_.find(cue); old != cues_.end()) old->second->Release();
    cues_[cue] = buffer;
    return true;
}

void DirectSoundOutput::play(int cue) {
    const auto found = cues_.find(cue);
    if (found == cues_.end()) return;
    // A cue that still plays starts again from its beginning.
    found->second->Stop();
    found->second->SetCurrentPosition(0);
    found->second->Play(0, 0, 0);
}

bool DirectSoundOutput::playing(int cue) const {
    const auto found = cues_.find(cue);
    DWORD status = 0;
    return found != cues_.end() && SUCCEEDED(found->second->GetStatus(&status)) &&
           (status & DSBSTATUS_PLAYING) != 0;
}

void DirectSoundOutput::close() {
    for (auto& [cue, buffer] : cues_) buffer->Release();
    cues_.clear();
    if (device_ != nullptr) device_->Release();
    device_ = nullptr;
    if (library_ != nullptr) FreeLibrary(library_);
    library_ = nullptr;
}

}  // namespace kelvinor
