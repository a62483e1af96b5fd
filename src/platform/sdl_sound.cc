// The real sound device on SDL2 audio. SDL plays the game's own format, 22050 Hz 8-bit unsigned
// stereo, and converts it for the hardware; every buffer is in that format, so a buffer's bytes
// are output bytes one for one and the mixer needs no resampling. The audio callback mixes the
// looping stream buffer and the one-shot effect buffers, 46 ms at a time. A buffer's play cursor
// is where the sound being heard has got to: it moves on with time from where the callback's
// block began, never past the bytes the callback has taken (play_position.h). The game thread
// sleeps until the cursor reaches the next wake point (timeToNextWakeUs), counting on the
// callback to come on time; the callback wakes it when it could not: the first block after a
// start, and a block that comes late.
//
// One lock per device guards the buffers' state and the list of buffers. The callback reads
// sound bytes under it, and lock and unlock take it too, so a refill written between the two
// is seen whole by the next callback. A chunk is refilled only after the cursor has left it, so
// the callback never plays half-written sound.
//
// What calls the mixer is the device's output (sound_output.h): SDL's audio device while there
// is one, else the output's own clock, in silence.
#include <SDL.h>
#include <dlfcn.h>

#include <algorithm>
#include <chrono>
#include <climits>
#include <cmath>
#include <cstdarg>
#include <cstdio>
#include <cstring>

#include "platform/game_wake.h"
#include "platform/headless.h"
#include "platform/play_position.h"
#include "platform/sound_output.h"
#include "platform/sound_regions.h"

namespace {

constexpr int kOutputRate = 22050;
constexpr int kOutputChannels = 2;
// 46 ms: the blocks in which the callback takes the sound. Each is a wake-up of SDL's audio
// thread, so fewer of them cost less; the play cursor moves between them with time. A block
// stays shorter than a frame's sound, so a late callback holds the cursor inside a frame at most.
constexpr int kCallbackSamples = 1024;
constexpr uint32_t kMixBlock = 1024;  // output bytes mixed per pass over the buffers
constexpr int32_t kUnityGain = 1 << 16;
static_assert(kCallbackSamples * kOutputChannels < kSoundBytesPerFrame);
// Without SDL's device the output's own clock takes blocks of the same size.
static_assert(kCallbackSamples * kOutputChannels == kOutputBlockBytes);

struct SdlSoundDevice;

struct SdlSoundBuffer : SoundBuffer {
  bool lock(uint32_t offset, uint32_t bytes, uint8_t** region1, uint32_t* length1,
            uint8_t** region2, uint32_t* length2) override;
  bool unlock(uint8_t* region1, uint32_t length1, uint8_t* region2, uint32_t length2) override;
  bool play(bool looping) override;
  bool stop() override;
  bool getCurrentPosition(uint32_t* playCursor) override;
  bool setCurrentPosition(uint32_t position) override;
  bool setVolume(int32_t hundredthsOfDecibel) override;
  void wakeGameEvery(uint32_t bytes) override;
  int64_t timeToNextWakeUs() override;
  void release() override;

  // Where the heard position stands (the cursor less what the callback has taken and not yet
  // played): at origin, moved on by position since the last stop, play or new position.
  uint32_t heardPosition(int64_t now);
  void restartPosition();

  SdlSoundDevice* device = nullptr;
  std::vector<uint8_t> bytes;
  uint32_t cursor = 0;  // the byte the callback takes next
  uint32_t origin = 0;  // the cursor at the last stop, play or new position
  PlayPosition position;
  bool playing = false;
  bool looping = false;
  int32_t gain = kUnityGain;  // 16.16 fixed point
  uint32_t wakeInterval = 0;
  bool wakeOnNextBlock = false;  // the game thread could not time its sleep: the callback wakes it
  uint32_t lastRead = 0;         // the cursor as getCurrentPosition last told it
};

struct SdlSoundDevice : SoundDevice {
  ~SdlSoundDevice() override;
  SoundBuffer* createBuffer(const WaveFormat& format, uint32_t bytes) override;
  bool silent() override { return output && soundOutputSilent(*output); }

  std::mutex lock;
  std::vector<SdlSoundBuffer*> buffers;
  int64_t (*clock)() = nullptr;  // nanoseconds, monotonic
  // What calls the mixer: nullptr for a mixer that mixes only when mixSdlSound is called.
  SoundOutput* output = nullptr;
  bool ownsOutput = false;  // the real device's: its thread and SDL's audio device
};

// SDL's audio device as the output of a sound device.
struct SdlAudioBackend : AudioBackend {
  ~SdlAudioBackend() override {
    if (audioInitialized) SDL_QuitSubSystem(SDL_INIT_AUDIO);
  }
  bool open() override;
  bool lost() override;
  void close() override;

  SdlSoundDevice* device = nullptr;
  SDL_AudioDeviceID audio = 0;
  bool audioInitialized = false;
};

bool isGameFormat(const WaveFormat& format) {
  return format.formatTag == 1 && format.channels == kOutputChannels &&
         format.samplesPerSec == kOutputRate && format.bitsPerSample == 8 &&
         format.blockAlign == kOutputChannels && format.avgBytesPerSec == kOutputRate * 2;
}

// Adds count bytes of buffer, from its cursor on, to the deviations in sum, and moves the
// cursor on. A one-shot buffer that reaches its end stops and goes back to its start.
void mixBuffer(SdlSoundBuffer& buffer, int32_t* sum, uint32_t count) {
  const uint8_t* bytes = buffer.bytes.data();
  uint32_t size = static_cast<uint32_t>(buffer.bytes.size());
  int32_t gain = buffer.gain;
  while (count > 0) {
    uint32_t run = std::min(count, size - buffer.cursor);
    const uint8_t* source = bytes + buffer.cursor;
    if (gain == kUnityGain) {
      for (uint32_t i = 0; i < run; ++i) sum[i] += source[i] - kSilence;
    } else {
      for (uint32_t i = 0; i < run; ++i) sum[i] += ((source[i] - kSilence) * gain + 32768) >> 16;
    }
    sum += run;
    count -= run;
    buffer.cursor += run;
    if (buffer.cursor == size) {
      buffer.cursor = 0;
      if (!buffer.looping) {
        buffer.playing = false;
        buffer.restartPosition();
        return;
      }
    }
  }
}

// The heard positions of the buffers that play move on from the block's start from now on.
// True when the game thread must be woken: it could not time its sleep by a buffer (the first
// block after a start, a block that came late).
bool mixLocked(SdlSoundDevice& device, uint8_t* out, uint32_t bytes) {
  int64_t now = device.clock();
  bool wake = false;
  for (SdlSoundBuffer* buffer : device.buffers) {
    if (!buffer->playing) continue;
    wake = wake || buffer->wakeOnNextBlock;
    buffer->wakeOnNextBlock = false;
    takePlayBytes(buffer->position, bytes, now);
  }
  int32_t sum[kMixBlock];
  while (bytes > 0) {
    uint32_t count = std::min(bytes, kMixBlock);
    std::fill(sum, sum + count, 0);
    for (SdlSoundBuffer* buffer : device.buffers)
      if (buffer->playing) mixBuffer(*buffer, sum, count);
    for (uint32_t i = 0; i < count; ++i)
      out[i] = static_cast<uint8_t>(std::clamp(kSilence + sum[i], 0, 255));
    out += count;
    bytes -= count;
  }
  return wake;
}

// ALSA tells every error of its own on standard error, eight lines when the machine has no
// sound card, and again at every later try. SDL loads the library when it tries ALSA; the same
// library, looked up here, takes a handler that passes them to the debug print: the sound
// output says in one line that the sound is off.
void alsaError(const char* file, int line, const char* function, int, const char* format, ...) {
  char text[256];
  va_list arguments;
  va_start(arguments, format);
  std::vsnprintf(text, sizeof text, format, arguments);
  va_end(arguments);
  debugPrint("ALSA %s:%d (%s): %s", file, line, function, text);
}

void quietAlsa() {
  using ErrorHandler = void (*)(const char*, int, const char*, int, const char*, ...);
  // Only a library that SDL has loaded already; it stays loaded while SDL's audio is up.
  void* alsa = dlopen("libasound.so.2", RTLD_NOW | RTLD_NOLOAD);
  if (!alsa) return;
  if (void* setHandler = dlsym(alsa, "snd_lib_error_set_handler"))
    reinterpret_cast<int (*)(ErrorHandler)>(setHandler)(alsaError);
  dlclose(alsa);  // the reference taken here; SDL keeps its own
}

void audioCallback(void* device, Uint8* stream, int length) {
  mixSdlSound(static_cast<SdlSoundDevice*>(device), stream, static_cast<uint32_t>(length));
}

bool SdlAudioBackend::open() {
  if (!audioInitialized && SDL_InitSubSystem(SDL_INIT_AUDIO) != 0) {
    debugPrint("no audio: %s", SDL_GetError());
    return false;
  }
  audioInitialized = true;
  quietAlsa();
  SDL_AudioSpec wanted{};
  wanted.freq = kOutputRate;
  wanted.format = AUDIO_U8;
  wanted.channels = kOutputChannels;
  wanted.samples = kCallbackSamples;
  wanted.callback = audioCallback;
  wanted.userdata = device;
  SDL_AudioSpec obtained{};
  // No changes allowed: SDL converts our format for the hardware.
  audio = SDL_OpenAudioDevice(nullptr, 0, &wanted, &obtained, 0);
  if (audio == 0) {
    debugPrint("no audio device: %s", SDL_GetError());
    return false;
  }
  SDL_PauseAudioDevice(audio, 0);
  return true;
}

// SDL goes on calling the callback of a device it has lost, but nothing is heard.
bool SdlAudioBackend::lost() {
  return audio != 0 && SDL_GetAudioDeviceStatus(audio) == SDL_AUDIO_STOPPED;
}

void SdlAudioBackend::close() {
  if (audio != 0) SDL_CloseAudioDevice(audio);
  audio = 0;
}

// After a play, a stop, a release or a one-shot buffer's end (never under the buffers' lock):
// the output is wanted while a buffer plays.
void updateOutput(SdlSoundDevice& device) {
  if (!device.output) return;
  bool playing = false;
  {
    std::lock_guard<std::mutex> hold(device.lock);
    for (SdlSoundBuffer* buffer : device.buffers) playing = playing || buffer->playing;
  }
  noteOutputWanted(*device.output, playing, device.clock());
}

SdlSoundDevice::~SdlSoundDevice() {
  if (ownsOutput) {
    stopSoundOutput(*output);  // the callback has finished for good
    AudioBackend* backend = output->backend;
    delete output;
    delete backend;
  }
  for (SdlSoundBuffer* buffer : buffers) delete buffer;
}

SoundBuffer* SdlSoundDevice::createBuffer(const WaveFormat& format, uint32_t bytes) {
  if (!isGameFormat(format) || bytes == 0) return nullptr;
  auto* buffer = new SdlSoundBuffer;
  buffer->device = this;
  buffer->bytes.assign(bytes, kSilence);
  std::lock_guard<std::mutex> hold(lock);
  buffers.push_back(buffer);
  return buffer;
}

bool SdlSoundBuffer::lock(uint32_t offset, uint32_t count, uint8_t** region1, uint32_t* length1,
                          uint8_t** region2, uint32_t* length2) {
  std::lock_guard<std::mutex> hold(device->lock);
  return lockRegions(bytes.data(), uint32_t(bytes.size()), offset, count, region1, length1, region2,
                     length2);
}

bool SdlSoundBuffer::unlock(uint8_t* region1, uint32_t length1, uint8_t* region2,
                            uint32_t length2) {
  // Taking the lock publishes what was written to the callback.
  std::lock_guard<std::mutex> hold(device->lock);
  return regionsInside(bytes.data(), uint32_t(bytes.size()), region1, length1, region2, length2);
}

// The heard position stands at the cursor (what was taken is heard) until the next block.
void SdlSoundBuffer::restartPosition() {
  origin = cursor;
  resetPlayPosition(position);
}

uint32_t SdlSoundBuffer::heardPosition(int64_t now) {
  uint64_t heard = origin + readPlayPosition(position, now);
  return static_cast<uint32_t>(heard % bytes.size());
}

bool SdlSoundBuffer::play(bool loop) {
  {
    std::lock_guard<std::mutex> hold(device->lock);
    if (!playing) restartPosition();
    playing = true;
    looping = loop;
  }
  updateOutput(*device);
  return true;
}

bool SdlSoundBuffer::stop() {
  {
    std::lock_guard<std::mutex> hold(device->lock);
    playing = false;
    restartPosition();
  }
  updateOutput(*device);
  return true;
}

bool SdlSoundBuffer::getCurrentPosition(uint32_t* playCursor) {
  std::lock_guard<std::mutex> hold(device->lock);
  *playCursor = heardPosition(device->clock());
  lastRead = *playCursor;
  return true;
}

bool SdlSoundBuffer::setCurrentPosition(uint32_t newPosition) {
  std::lock_guard<std::mutex> hold(device->lock);
  if (newPosition >= bytes.size()) return false;
  cursor = newPosition;
  restartPosition();
  return true;
}

bool SdlSoundBuffer::setVolume(int32_t hundredthsOfDecibel) {
  if (hundredthsOfDecibel > 0 || hundredthsOfDecibel < kSilentVolume) return false;
  int32_t newGain = 0;
  if (hundredthsOfDecibel > kSilentVolume) {
    double factor = std::pow(10.0, hundredthsOfDecibel / 2000.0);
    newGain = static_cast<int32_t>(std::lround(factor * kUnityGain));
  }
  std::lock_guard<std::mutex> hold(device->lock);
  gain = newGain;
  return true;
}

void SdlSoundBuffer::wakeGameEvery(uint32_t interval) {
  std::lock_guard<std::mutex> hold(device->lock);
  wakeInterval = interval;
}

int64_t SdlSoundBuffer::timeToNextWakeUs() {
  std::lock_guard<std::mutex> hold(device->lock);
  if (!playing || wakeInterval == 0) return -1;
  int64_t now = device->clock();
  uint32_t heard = heardPosition(now);
  uint32_t size = static_cast<uint32_t>(bytes.size());
  // The buffer's start, where the cursor wraps, is a wake point too.
  uint32_t next = std::min(size, (lastRead / wakeInterval + 1) * wakeInterval);
  if (heard >= next || heard < lastRead) {
    // The cursor has reached a wake point since the game thread last read it: a frame it has
    // not seen. It wakes at once, once.
    lastRead = heard;
    wakeOnNextBlock = false;
    return 0;
  }
  int64_t wait = timeUntilPlayPosition(position, position.reported + (next - heard), now);
  wakeOnNextBlock = wait < 0;
  return wait < 0 ? -1 : (wait + 999) / 1000;
}

void SdlSoundBuffer::release() {
  SdlSoundDevice* owner = device;
  {
    std::lock_guard<std::mutex> hold(owner->lock);
    std::erase(owner->buffers, this);
  }
  delete this;
  updateOutput(*owner);
}

}  // namespace

void mixSdlSound(SoundDevice* device, uint8_t* out, uint32_t bytes) {
  auto* sdl = static_cast<SdlSoundDevice*>(device);
  bool wake = false, playing = false;
  {
    std::lock_guard<std::mutex> hold(sdl->lock);
    wake = mixLocked(*sdl, out, bytes);
    for (SdlSoundBuffer* buffer : sdl->buffers) playing = playing || buffer->playing;
  }
  // Outside the device's lock: the game thread may be waiting for it to read the cursor.
  if (wake) wakeGame();
  // A one-shot buffer that has ended was the last to play.
  if (!playing && sdl->output) noteOutputWanted(*sdl->output, false, sdl->clock());
}

int64_t sdlSoundHeardUntil(SoundDevice* device) {
  auto* sdl = static_cast<SdlSoundDevice*>(device);
  std::lock_guard<std::mutex> hold(sdl->lock);
  int64_t until = INT64_MIN;
  for (SdlSoundBuffer* buffer : sdl->buffers)
    if (buffer->playing) until = std::max(until, timeTakenIsHeard(buffer->position));
  return until;
}

static int64_t steadyClockNs() {
  return std::chrono::duration_cast<std::chrono::nanoseconds>(
             std::chrono::steady_clock::now().time_since_epoch())
      .count();
}

SoundDevice* createSdlMixerDevice(int64_t (*clock)(), SoundOutput* output) {
  auto* device = new SdlSoundDevice;
  device->clock = clock ? clock : steadyClockNs;
  device->output = output;
  if (output) output->device = device;
  return device;
}

static void reportSound(const char* line) {
  std::fprintf(stderr, "%s\n", line);
  if (platform.soundSilenceChanged) platform.soundSilenceChanged();
}

SoundDevice* createSdlSoundDevice() {
  auto* device = new SdlSoundDevice;
  device->clock = steadyClockNs;
  auto* backend = new SdlAudioBackend;
  backend->device = device;
  // SDL's audio starts on the thread that makes the device; the output's thread starts it only
  // when there was none then.
  backend->audioInitialized = SDL_InitSubSystem(SDL_INIT_AUDIO) == 0;
  device->output = new SoundOutput;
  device->output->device = device;
  device->output->backend = backend;
  device->output->report = reportSound;
  device->ownsOutput = true;
  startSoundOutput(*device->output, steadyClockNs);
  return device;
}
