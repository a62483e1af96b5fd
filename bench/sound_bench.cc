// The SDL2 device's mixer: what one second of sound costs the audio callback, with the looping
// stream buffer and both beeps playing all the way through.
#include <benchmark/benchmark.h>

#include <memory>
#include <vector>

#include "platform/headless.h"

namespace {

constexpr uint32_t kSecond = 44100;  // bytes of sound

SoundBuffer* makeBuffer(SoundDevice* device, uint32_t bytes, uint8_t seed) {
  SoundBuffer* buffer = device->createBuffer(WaveFormat{}, bytes);
  uint8_t *region1, *region2;
  uint32_t length1, length2;
  buffer->lock(0, bytes, &region1, &length1, &region2, &length2);
  for (uint32_t i = 0; i < length1; ++i) region1[i] = static_cast<uint8_t>(i * seed + i / 7);
  buffer->unlock(region1, length1, region2, length2);
  return buffer;
}

// block: the bytes mixed per call, as the audio callback asks for them (1024 on the real
// device), or the whole second in one call.
void mixOneSecond(benchmark::State& state) {
  const uint32_t block = static_cast<uint32_t>(state.range(0));
  std::unique_ptr<SoundDevice> device(createSdlMixerDevice());
  SoundBuffer* stream = makeBuffer(device.get(), kSecond, 3);
  // Effects a second long, so that both play through the whole second measured.
  SoundBuffer* goodBeep = makeBuffer(device.get(), kSecond, 5);
  SoundBuffer* badBeep = makeBuffer(device.get(), kSecond, 11);
  stream->setVolume(-1);
  stream->play(true);
  std::vector<uint8_t> out(kSecond);
  for (auto _ : state) {
    goodBeep->play(false);
    badBeep->play(false);
    for (uint32_t done = 0; done < kSecond; done += block) {
      mixSdlSound(device.get(), out.data() + done, std::min(block, kSecond - done));
    }
    benchmark::DoNotOptimize(out.data());
    benchmark::ClobberMemory();
  }
  state.SetBytesProcessed(int64_t(state.iterations()) * kSecond);
  state.SetLabel("per second of sound");
}
BENCHMARK(mixOneSecond)->Arg(44100)->Arg(1024)->Unit(benchmark::kMicrosecond);

}  // namespace
