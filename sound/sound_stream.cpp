// The streamed form of SoundBuffer: a buffer of two one-second halves, refilled by a feeder
// thread from a WAV or Ogg Vorbis source on the device's notifications.

#include <limits>

#include "backend/hub.h"
#include "sound/sound_buffer.h"

namespace kv {

namespace {

// The feeder wakes this often without a notification, to see whether it should end.
constexpr std::uint32_t kFeederWaitMs = 1000;
constexpr std::uint32_t kNoStopPoint = std::numeric_limits<std::uint32_t>::max();

}  // namespace

bool SoundBuffer::CreateStreamBuffer(const backend::PcmFormat& format, backend::AudioDevice& device) {
    if (!backend::IsPlayablePcm(format)) return false;
    device_ = &device;
    streamBytes_ = 2 * format.averageBytesPerSecond;
    buffer_ = device.CreateBuffer(format, streamBytes_);
    if (!buffer_) return false;
    ReadBackControls();
    halfBytes_ = streamBytes_ / 2;
    streaming_ = true;
    return ArmNotifications();
}

bool SoundBuffer::ArmNotifications() {
    for (backend::AudioEventPtr& event : events_) event = device_->CreateEvent();
    return buffer_->SetNotificationPositions(
        {{0, events_[0]}, {halfBytes_, events_[1]}, {backend::kNotifyAtStop, events_[2]}});
}

bool SoundBuffer::OpenWavStreamFile(std::string_view path, backend::AudioDevice& device) {
    Release();
    wavSource_ = std::make_unique<WavReader>();
    if (!wavSource_->OpenFile(path) || !wavSource_->SeekData()) return false;
    return CreateStreamBuffer(wavSource_->Format(), device);
}

bool SoundBuffer::OpenWavStreamPack(std::string_view dataPath, std::int64_t offset, backend::AudioDevice& device) {
    Release();
    packFile_ = backend::Get().Files().OpenFile(dataPath, backend::FileMode::Read);
    if (!packFile_) return false;
    wavSource_ = std::make_unique<WavReader>();
    if (!wavSource_->OpenHandle(*packFile_, offset) || !wavSource_->SeekData()) return false;
    return CreateStreamBuffer(wavSource_->Format(), device);
}

bool SoundBuffer::OpenOggStreamFile(std::string_view path, backend::AudioDevice& device) {
    Release();
    oggSource_ = std::make_unique<OggDecoder>();
    if (!oggSource_->OpenFile(path)) return false;
    return CreateStreamBuffer(oggSource_->Format(), device);
}

bool SoundBuffer::SourceEnded() const {
    return wavSource_ ? wavSource_->End() : (oggSource_ && oggSource_->End());
}

void SoundBuffer::FillHalf(std::uint32_t half) {
    const std::uint32_t start = halfBytes_ * half;
    backend::LockedRegion region;
    if (!buffer_->Lock(start, halfBytes_, region)) return;
    // A half is never split by the buffer's end, so the first piece is all of it.
    std::uint32_t endPosition = 0;
    if (wavSource_) {
        wavSource_->StreamRead(region.firstBytes, region.first);
        endPosition = wavSource_->EndPosition();
    } else {
        oggSource_->StreamFill(region.first, region.firstBytes);
        endPosition = oggSource_->EndPosition();
    }
    buffer_->Unlock(region);
    if (!loop_ && SourceEnded()) buffer_->StopAt(start + endPosition);
}

bool SoundBuffer::StartStream(bool noPrefill, bool loop) {
    if (!streaming_ || !buffer_) return false;
    if (thread_) {
        // Started before: the old feeder ends, and the source goes back to its beginning with
        // fresh events (the old ones may hold signals meant for the old feeder).
        buffer_->Stop();
        EndThread();
        const bool rewound = wavSource_ ? wavSource_->SeekData() : oggSource_->Rewind();
        if (!rewound || !ArmNotifications()) return false;
    }
    quitThread_ = false;
    loop_ = loop;
    if (oggSource_) oggSource_->SetLoop(loop);
    thread_ = device_->CreateFeederThread([this] { StreamThread(); });
    if (!thread_) return false;
    buffer_->StopAt(kNoStopPoint);
    if (!noPrefill) FillHalf(0);
    nextHalf_ = 1;
    if (!buffer_->SetPosition(0) || !buffer_->Play(true)) return false;
    thread_->Resume();
    return true;
}

void SoundBuffer::StreamThread() {
    bool expectStart = true;
    const std::uint32_t half = streamBytes_ / 2;
    for (;;) {
        const int which = device_->WaitForEvents(events_, kFeederWaitMs);
        if (quitThread_) return;
        if (which < 0) continue;
        if (which == 2) return;  // the buffer stopped
        std::uint32_t play = 0;
        std::uint32_t write = 0;
        buffer_->GetPositions(play, write);
        // Act on a half only once, and only while the other half is the one playing.
        if (which == 0) {
            if (write > half || !expectStart) continue;
            expectStart = false;
        } else {
            if (write <= half || expectStart) continue;
            expectStart = true;
        }
        // The half with the end of a stream that does not loop is playing: the device stops
        // behind its last sample; nothing more to fill.
        if (!loop_ && SourceEnded()) continue;
        FillHalf(nextHalf_);
        nextHalf_ = (nextHalf_ - 1) & 1;
    }
}

void SoundBuffer::EndThread() {
    if (!thread_) return;
    // The stop notification normally ends it; a thread never resumed is cancelled by Join.
    quitThread_ = true;
    if (events_[2]) device_->SignalEvent(events_[2]);
    thread_->Join();
    thread_.reset();
}

}  // namespace kv
