#include "utils/audio/Outlet.h"

#include "core/Exception.h"
#include "platform/Sleep.h"
#include "sound/Buffer.h"

#include <algorithm>
#include <atomic>
#include <cmath>
#include <cstdio>
#include <exception>
#include <mutex>
#include <string>
#include <vector>

namespace Nimbrel::Utils::Audio {

// What the main thread and the feeder share. Each request is an atomic written by the main
// thread and taken (read and cleared in one step) by the feeder; the seek target is stored
// before its flag is raised and read after the flag is taken, so the feeder always seeks to
// a target at least as recent as the request it serves.
//
// The heard mirror is the one part behind a lock: the feeder writes the mono copy of each
// chunk and publishes the play cursor; ReadHeard copies from it on the main thread.
struct Outlet::Control {
    enum : uint8_t { RequestNone, RequestPlay, RequestStop };

    Stream* stream;
    Sound::Device* device;
    int chunkFrames;
    std::atomic<bool> stop{false};
    std::atomic<bool> finished{false};
    std::atomic<uint8_t> playRequest{RequestNone};
    std::atomic<bool> seekRequest{false};
    std::atomic<double> seekTarget{0.0};
    std::mutex errorLock;
    std::string error;

    int ringFrames = 0;
    std::mutex heardLock;
    std::vector<float> heard;  // ringFrames mono frames, laid out as the ring
    int heardCursor = 0;       // frame of the play cursor at the last poll
    int heardWrite = 0;        // frame the feeder writes next
    int64_t heardFrames = 0;   // frames the cursor has moved over
};

namespace outlet_detail {

constexpr int PollMilliseconds = 10;
// A bound on the work of one poll; the queue normally needs one or two chunks.
constexpr int MaxChunksPerPoll = 8;

// The feeder's side of an outlet: the ring's bookkeeping and one poll of the request loop.
class Feeder {
public:
    explicit Feeder(Outlet::Control& control)
        : control(control), stream(*control.stream), channels(stream.GetChannelCount()),
          chunkFrames(control.chunkFrames), chunkBytes(2 * channels * chunkFrames), frameBytes(2 * channels),
          samples(static_cast<size_t>(channels) * chunkFrames),
          pcm(static_cast<size_t>(channels) * chunkFrames), mono(static_cast<size_t>(chunkFrames)),
          buffer(control.device->CreateBuffer(Outlet::RingBytes, channels, 16, stream.GetSampleRate()))
    {
    }

    // Feeds until the stop flag is raised (false) or the stream has been played out (true).
    bool Run()
    {
        QueueStreamChunk();
        Publish();
        while (!control.stop.load()) {
            const uint8_t request = control.playRequest.exchange(Outlet::Control::RequestNone);
            if (request == Outlet::Control::RequestPlay)
                buffer->PlayLooping(0);
            else if (request == Outlet::Control::RequestStop)
                buffer->Stop();
            if (control.seekRequest.exchange(false)) {
                stream.SeekTime(control.seekTarget.load());
                ended = false;
            }
            if (ended && PlayedOut())
                break;
            TopUp();
            Publish();
            Sleep(PollMilliseconds);
        }
        buffer->Stop();
        Publish();
        return !control.stop.load();
    }

private:
    // Bytes between the play cursor and the write cursor.
    int Queued() { return Outlet::RingBytes - buffer->GetFreeSpace(); }

    // Queues chunks (silence once the stream has ended) until at least one chunk is queued.
    // Topping up only below one chunk keeps less than two queued, so more than that means
    // the play cursor has overtaken the write cursor (the feeder was held up for longer than
    // the queue lasts): the queue then restarts at the play cursor instead of leaving the
    // ring to loop over stale audio for a whole turn.
    void TopUp()
    {
        int queued = Queued();
        for (int i = 0; i < MaxChunksPerPoll && (queued < chunkBytes || queued >= 2 * chunkBytes); ++i) {
            if (queued >= 2 * chunkBytes) {
                writeCursor = buffer->GetPlayPosition();
                buffer->SetWriteCursor(writeCursor);
            }
            if (ended)
                QueueChunk(0);
            else
                QueueStreamChunk();
            queued = Queued();
        }
    }

    void QueueStreamChunk()
    {
        const int frames = std::clamp(stream.ReadSamples(samples.data(), chunkFrames), 0, chunkFrames);
        QueueChunk(frames);
        if (frames < chunkFrames) {
            ended = true;
            endOfAudio = (writeCursor - chunkBytes + 2 * channels * frames + Outlet::RingBytes) % Outlet::RingBytes;
            leftToPlay = Remaining();
        }
    }

    // Converts the first `frames` frames of the work area, pads the chunk with silence and
    // appends it whole.
    void QueueChunk(int frames)
    {
        const size_t used = static_cast<size_t>(frames) * channels;
        ConvertToPCM16(samples.data(), pcm.data(), static_cast<int>(used));
        std::fill(pcm.begin() + static_cast<std::ptrdiff_t>(used), pcm.end(), int16_t(0));
        Mirror();
        buffer->Append(pcm.data(), chunkBytes);
        writeCursor = (writeCursor + chunkBytes) % Outlet::RingBytes;
    }

    // Copies the chunk about to be appended at the write cursor, mixed down to mono from the
    // 16-bit samples the device gets, into the heard mirror.
    void Mirror()
    {
        const float scale = 1.0f / (32767.0f * static_cast<float>(channels));
        for (int frame = 0; frame < chunkFrames; ++frame) {
            int sum = 0;
            for (int c = 0; c < channels; ++c)
                sum += pcm[static_cast<size_t>(frame) * channels + c];
            mono[frame] = static_cast<float>(sum) * scale;
        }
        const int ringFrames = control.ringFrames;
        int at = (writeCursor / frameBytes) % ringFrames;
        std::lock_guard<std::mutex> guard(control.heardLock);
        for (int done = 0; done < chunkFrames;) {
            const int run = std::min(chunkFrames - done, ringFrames - at);
            std::copy_n(mono.begin() + done, run, control.heard.begin() + at);
            done += run;
            at = (at + run) % ringFrames;
        }
        control.heardWrite = at;
    }

    // Publishes where the play cursor is now.
    void Publish()
    {
        const int ringFrames = control.ringFrames;
        const int cursor = (buffer->GetPlayPosition() / frameBytes) % ringFrames;
        std::lock_guard<std::mutex> guard(control.heardLock);
        control.heardFrames += (cursor - control.heardCursor + ringFrames) % ringFrames;
        control.heardCursor = cursor;
    }

    // Bytes from the play cursor forward to the end of the decoded audio.
    int Remaining()
    {
        return (endOfAudio - buffer->GetPlayPosition() + Outlet::RingBytes) % Outlet::RingBytes;
    }

    // True once the play cursor has reached or passed the end of the decoded audio: the
    // distance to it shrinks while audio is left and jumps up to nearly a whole ring after.
    bool PlayedOut()
    {
        const int remaining = Remaining();
        if (remaining == 0 || remaining > leftToPlay)
            return true;
        leftToPlay = remaining;
        return false;
    }

    Outlet::Control& control;
    Stream& stream;
    const int channels;
    const int chunkFrames;
    const int chunkBytes;
    const int frameBytes;
    std::vector<float> samples;
    std::vector<int16_t> pcm;
    std::vector<float> mono;
    Managed<Sound::Buffer> buffer;
    int writeCursor = 0;
    bool ended = false;
    int endOfAudio = 0;
    int leftToPlay = 0;
};

void Fail(Outlet::Control& control, const char* message)
{
    {
        std::lock_guard<std::mutex> guard(control.errorLock);
        control.error = message;
    }
    control.finished.store(true);
    std::fprintf(stderr, "Audio outlet stopped: %s\n", message);
}

void FeederProcedure(void* argument)
{
    auto& control = *static_cast<Outlet::Control*>(argument);
    try {
        bool playedOut;
        {
            Feeder feeder(control);
            playedOut = feeder.Run();
        }
        // Finished only now that the buffer is stopped and released.
        if (playedOut)
            control.finished.store(true);
    } catch (const Exception& error) {
        Fail(control, error.GetMessage().CStr());
    } catch (const std::exception& error) {
        Fail(control, error.what());
    } catch (...) {
        Fail(control, "Unknown error");
    }
}

}  // namespace outlet_detail

void ConvertToPCM16(const float* samples, int16_t* pcm, int count)
{
    for (int i = 0; i < count; ++i) {
        const float value = std::isnan(samples[i]) ? 0.0f : std::clamp(samples[i], -1.0f, 1.0f);
        pcm[i] = static_cast<int16_t>(value * 32767.0f);
    }
}

Outlet::Outlet(Stream* stream, Sound::Device* device, int chunkFrames)
{
    if (!stream || !device)
        throw Exception("Audio::Outlet: A stream and a sound device are needed");
    const int64_t chunkBytes = static_cast<int64_t>(chunkFrames) * stream->GetChannelCount() * 2;
    if (chunkFrames <= 0 || chunkBytes <= 0 || 2 * chunkBytes > RingBytes)
        throw Exception(String::Format("Audio::Outlet: A chunk of %d frames does not fit the sound buffer", chunkFrames));
    try {
        duration = stream->GetDuration();
        hasDuration = true;
    } catch (const Exception& error) {
        durationError = error.GetMessage();
    }

    sampleRate = stream->GetSampleRate();

    control = std::make_unique<Control>();
    control->ringFrames = static_cast<int>(RingBytes / (2 * stream->GetChannelCount()));
    control->heard.assign(static_cast<size_t>(control->ringFrames), 0.0f);
    control->stream = stream;
    control->device = device;
    control->chunkFrames = chunkFrames;
    feeder.Set(Thread::Create(&outlet_detail::FeederProcedure, control.get()));
    if (!feeder->Start())
        throw Exception("Unable to start audio outlet");
}

Outlet::~Outlet()
{
    control->stop.store(true);
    // Waiting without limit can only fail for a thread that never started, which the
    // constructor rules out; releasing the thread joins it in any case, so the control
    // record is never freed under a running feeder.
    feeder->Wait(-1);
    feeder.Set(nullptr);
}

void Outlet::Play()
{
    control->playRequest.store(Control::RequestPlay);
}

void Outlet::Stop()
{
    control->playRequest.store(Control::RequestStop);
}

void Outlet::Seek(double seconds)
{
    control->seekTarget.store(seconds);
    control->seekRequest.store(true);
}

bool Outlet::IsFinished() const
{
    return control->finished.load();
}

double Outlet::GetDuration() const
{
    if (!hasDuration)
        throw Exception(durationError);
    return duration;
}

int64_t Outlet::GetHeardFrames() const
{
    std::lock_guard<std::mutex> guard(control->heardLock);
    return control->heardFrames;
}

void Outlet::ReadHeard(float* mono, int frames) const
{
    if (frames < 0 || (frames > 0 && !mono))
        throw Exception(String::Format("Audio::Outlet::ReadHeard: %d frames can not be read", frames));
    const int ringFrames = control->ringFrames;
    std::lock_guard<std::mutex> guard(control->heardLock);
    // What lies behind the cursor and has not been overwritten by audio queued ahead of it.
    const int ahead = (control->heardWrite - control->heardCursor + ringFrames) % ringFrames;
    const int64_t kept = std::min<int64_t>(control->heardFrames, ringFrames - ahead);
    const int silent = static_cast<int>(std::max<int64_t>(0, frames - kept));
    std::fill_n(mono, silent, 0.0f);
    int at = ((control->heardCursor - (frames - silent)) % ringFrames + ringFrames) % ringFrames;
    for (int done = silent; done < frames;) {
        const int run = std::min(frames - done, ringFrames - at);
        std::copy_n(control->heard.begin() + at, run, mono + done);
        done += run;
        at = (at + run) % ringFrames;
    }
}

String Outlet::GetError() const
{
    std::lock_guard<std::mutex> guard(control->errorLock);
    return String(control->error.c_str());
}

}  // namespace Nimbrel::Utils::Audio
