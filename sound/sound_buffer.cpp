#include "sound/sound_buffer.h"

namespace kv {

namespace {

// A whole sound larger than this is refused (about 25 minutes of 44.1 kHz stereo).
constexpr std::uint32_t kMaxStaticBytes = 256u * 1024 * 1024;

}  // namespace

SoundBuffer::~SoundBuffer() { Release(); }

bool SoundBuffer::CreatePrimary(std::uint32_t rate, backend::AudioDevice& device) {
    if (!device.SetPrimaryFormat(rate)) return false;
    device_ = &device;
    frequency_ = rate;
    volume_ = 0;
    pan_ = 0;
    return true;
}

void SoundBuffer::ReadBackControls() {
    frequency_ = buffer_->Frequency();
    volume_ = buffer_->Volume();
    pan_ = buffer_->Pan();
}

bool SoundBuffer::CreateStatic(const backend::PcmFormat& format, std::uint32_t pcmBytes, const Fill& fill,
                               backend::AudioDevice& device) {
    if (!IsEmpty()) Release();
    // The format is checked before anything divides by it; the size is whole frames.
    if (!backend::IsPlayablePcm(format) || pcmBytes > kMaxStaticBytes) return false;
    pcmBytes -= pcmBytes % format.blockAlign;
    lengthMs_ = static_cast<std::uint32_t>(static_cast<std::uint64_t>(pcmBytes) * 1000 / format.samplesPerSecond /
                                           (format.bitsPerSample / 8u) / format.channels);
    device_ = &device;
    buffer_ = device.CreateBuffer(format, pcmBytes);
    if (!buffer_) return false;
    ReadBackControls();
    backend::LockedRegion region;
    if (!buffer_->Lock(0, pcmBytes, region)) return false;
    bool filled = fill(region.first, region.firstBytes);
    if (filled && region.secondBytes) filled = fill(region.second, region.secondBytes);
    if (!buffer_->Unlock(region) || !filled) return false;
    streaming_ = false;
    return true;
}

bool SoundBuffer::LoadWavMemory(const std::uint8_t* image, std::int64_t offset, std::int64_t size,
                                backend::AudioDevice& device) {
    Release();
    WavReader source;
    if (!source.OpenMemory(image, offset, size) || !source.SeekData()) return false;
    return CreateStatic(source.Format(), source.DataBytes(),
                        [&](std::uint8_t* bytes, std::uint32_t count) { return source.Read(count, bytes); }, device);
}

bool SoundBuffer::LoadOggMemory(std::vector<std::uint8_t> image, backend::AudioDevice& device) {
    Release();
    OggDecoder source;
    if (!source.OpenImage(std::move(image))) return false;
    return CreateStatic(source.Format(), source.TotalBytes(),
                        [&](std::uint8_t* bytes, std::uint32_t count) { return source.DecodeAll(bytes, count); },
                        device);
}

bool SoundBuffer::Play(bool loop) { return buffer_ ? buffer_->Play(loop) : true; }

bool SoundBuffer::Stop() { return buffer_ ? buffer_->Stop() : false; }

std::uint32_t SoundBuffer::GetStatus() const { return buffer_ ? buffer_->Status() : 0; }

bool SoundBuffer::PlaysLoop() const {
    const std::uint32_t status = GetStatus();
    if ((status & backend::kStatusPlaying) == 0) return false;
    return streaming_ ? loop_ : (status & backend::kStatusLooping) != 0;
}

bool SoundBuffer::SetFrequency(std::uint32_t hz) {
    if (!buffer_ || !buffer_->SetFrequency(hz)) return false;
    frequency_ = hz;
    return true;
}

bool SoundBuffer::SetVolume(std::int32_t hundredthsDb) {
    if (!buffer_ || !buffer_->SetVolume(hundredthsDb)) return false;
    volume_ = hundredthsDb;
    return true;
}

bool SoundBuffer::SetPan(std::int32_t hundredthsDb) {
    if (!buffer_ || !buffer_->SetPan(hundredthsDb)) return false;
    pan_ = hundredthsDb;
    return true;
}

void SoundBuffer::Release() {
    if (buffer_ && (buffer_->Status() & backend::kStatusPlaying)) buffer_->Stop();
    EndThread();
    events_ = {};
    wavSource_.reset();
    oggSource_.reset();
    buffer_.reset();
    packFile_.reset();
    frequency_ = 0;
    volume_ = 0;
    pan_ = 0;
    streaming_ = false;
    loop_ = true;
    streamBytes_ = 0;
    halfBytes_ = 0;
    nextHalf_ = 1;
    lengthMs_ = 0;
}

}  // namespace kv
