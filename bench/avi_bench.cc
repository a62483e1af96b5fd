// What one frame costs the player: read from the file into a cache slot, decode, convert to the
// window's pixels. MS-RLE (our writer's clips) and Cinepak (made by ffmpeg), against the
// ffmpeg program decoding the same files, per frame. Also counts the heap allocations made per
// frame: the player's frame loop must not allocate.
//
//   qvk_bench --benchmark_filter=Avi
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "avi_test_support.h"
#include "media/media.h"
#include "platform/platform.h"

// Every allocation of the process is counted (glibc's allocator does the work).
static std::atomic<long> allocations{0};

extern "C" {
void* __libc_malloc(size_t size);
void* __libc_calloc(size_t count, size_t size);
void* __libc_realloc(void* block, size_t size);
void* __libc_memalign(size_t alignment, size_t size);

void* malloc(size_t size) noexcept {
  allocations.fetch_add(1, std::memory_order_relaxed);
  return __libc_malloc(size);
}
void* calloc(size_t count, size_t size) noexcept {
  allocations.fetch_add(1, std::memory_order_relaxed);
  return __libc_calloc(count, size);
}
void* realloc(void* block, size_t size) noexcept {
  allocations.fetch_add(1, std::memory_order_relaxed);
  return __libc_realloc(block, size);
}
void* memalign(size_t alignment, size_t size) noexcept {
  allocations.fetch_add(1, std::memory_order_relaxed);
  return __libc_memalign(alignment, size);
}
void* aligned_alloc(size_t alignment, size_t size) noexcept {
  allocations.fetch_add(1, std::memory_order_relaxed);
  return __libc_memalign(alignment, size);
}
int posix_memalign(void** out, size_t alignment, size_t size) noexcept {
  allocations.fetch_add(1, std::memory_order_relaxed);
  void* block = __libc_memalign(alignment, size);
  if (!block) return ENOMEM;
  *out = block;
  return 0;
}
}

namespace {

// A window that takes the picture and shows nothing, as cheap as a real one's hand-over.
struct DiscardingWindow : Window {
  void showMessage(const char*, const char*, bool) override {}
  void showPicture(const uint32_t* pixels, int, int) override { benchmark::DoNotOptimize(pixels); }
  void invalidate() override {}
  void enterFullScreen() override {}
  void returnToWindowed() override {}
  void resetToWindowed() override {}
  void runOnWindowThread(void (*task)()) override { task(); }
};

struct BenchFiles {
  std::string directory;
  std::string rle, cinepak, hostile;  // empty when it could not be made
  int cinepakFrames = 0;

  ~BenchFiles() {
    for (const std::string& path : {rle, cinepak, hostile})
      if (!path.empty()) std::remove(path.c_str());
    rmdir(directory.c_str());
  }
};

// Pictures like the sample game's: bands of colour, a box moving over them, a block of fine
// detail, a key frame every second.
std::string writeRleClip(const std::string& path) {
  AviClip clip;
  clip.keyFrameInterval = kFramesPerSecond;
  for (uint32_t i = 0; i < 256; ++i) clip.palette[i] = (i * 0x030507u) & 0xFFFFFFu;
  for (int f = 0; f < 48; ++f) {
    std::vector<uint8_t> picture(size_t(kPictureWidth) * kPictureHeight);
    for (int y = 0; y < kPictureHeight; ++y)
      for (int x = 0; x < kPictureWidth; ++x) {
        uint8_t colour = uint8_t(16 + y / 4);
        if (x >= 10 + 5 * f && x < 70 + 5 * f && y >= 80 && y < 160) colour = 200;
        if (x >= 220 && x < 300 && y >= 20 && y < 70) colour = uint8_t((x * 7 + y * 13 + f) % 64);
        picture[size_t(y) * kPictureWidth + size_t(x)] = colour;
      }
    clip.frames.push_back(std::move(picture));
  }
  clip.sound.assign(size_t(clip.frames.size()) * kSoundBytesPerFrame, 0x80);
  return writeAviFile(path.c_str(), clip) ? path : std::string();
}

const BenchFiles& benchFiles() {
  static BenchFiles files = [] {
    BenchFiles made;
    char pattern[] = "/tmp/qvk-bench-XXXXXX";
    if (!mkdtemp(pattern)) std::abort();
    made.directory = pattern;
    made.rle = writeRleClip(made.directory + "/rle.avi");
    std::string cinepak = made.directory + "/cinepak.avi";
    made.cinepakFrames = 36;
    std::string command =
        "ffmpeg -v error -y -f lavfi -i testsrc=size=320x240:rate=12:duration=3 -f lavfi -i "
        "sine=sample_rate=22050:duration=3 -c:v cinepak -c:a pcm_u8 -ac 2 -ar 22050 '" +
        cinepak + "'";
    if (std::system(command.c_str()) == 0) made.cinepak = cinepak;
    std::string hostile = made.directory + "/hostile.avi";
    if (writeHostileOpenDmlAvi(hostile, {std::string(300, '\1')}, 200000, 52u << 20, 46u << 20))
      made.hostile = hostile;
    return made;
  }();
  return files;
}

const std::string& fileFor(int kind) {
  return kind == 0 ? benchFiles().rle : benchFiles().cinepak;
}

// One frame as the player handles it: read into a cache slot, decode, convert, hand over.
void BM_AviFrameReadDecodeShow(benchmark::State& state) {
  const std::string& path = fileFor(int(state.range(0)));
  std::unique_ptr<MediaFile> file(path.empty() ? nullptr : openAviFile(path.c_str()));
  if (!file) {
    state.SkipWithError("no test file (is ffmpeg installed?)");
    return;
  }
  DiscardingWindow window;
  platform.window = &window;
  std::unique_ptr<FrameDrawer> drawer(makeDecodingFrameDrawer());
  uint8_t format[kVideoFormatSize];
  int32_t formatSize = 0;
  file->readVideoFormat(format, kVideoFormatSize, &formatSize);
  std::vector<uint8_t> slot(kSlotBytes);
  int32_t frames = file->frameCount(), n = 0;
  int64_t bytes = 0;
  auto drawNext = [&] {
    int32_t size = 0;
    if (file->readVideoFrame(n, slot.data(), kSlotBytes, &size))
      drawer->drawFrame(format, formatSize, slot.data(), size);
    bytes += size;
    n = (n + 1) % frames;
  };
  for (int32_t i = 0; i < 2 * frames; ++i) drawNext();  // warm-up: every frame size once
  bytes = 0;
  long allocationsBefore = allocations.load();
  for (auto _ : state) drawNext();
  double perFrame = double(allocations.load() - allocationsBefore) / double(state.iterations());
  state.counters["allocs/frame"] = perFrame;
  state.counters["bytes/frame"] = double(bytes) / double(state.iterations());
  platform.window = nullptr;
}
BENCHMARK(BM_AviFrameReadDecodeShow)
    ->Arg(0)
    ->Arg(1)
    ->ArgName("cinepak")
    ->Unit(benchmark::kMicrosecond);

// Only the read: what the pump's slot reload costs.
void BM_AviFrameRead(benchmark::State& state) {
  std::unique_ptr<MediaFile> file(openAviFile(fileFor(0).c_str()));
  if (!file) {
    state.SkipWithError("no test file");
    return;
  }
  std::vector<uint8_t> slot(kSlotBytes);
  int32_t frames = file->frameCount(), n = 0, size = 0;
  long allocationsBefore = allocations.load();
  for (auto _ : state) {
    file->readVideoFrame(n, slot.data(), kSlotBytes, &size);
    n = (n + 1) % frames;
  }
  state.counters["allocs/frame"] =
      double(allocations.load() - allocationsBefore) / double(state.iterations());
}
BENCHMARK(BM_AviFrameRead)->Unit(benchmark::kMicrosecond);

// Opening a file: a scene of the sample game's kind, and a 100 MB file whose OpenDML super index
// names two standard indexes in turn 200000 times, a small one and one of 46 MiB, with 52 MiB of
// empty chunks between them for the walk over its movie list. Opening costs about one read of
// the file however hostile its index.
void BM_AviOpen(benchmark::State& state) {
  const std::string& path = state.range(0) ? benchFiles().hostile : fileFor(0);
  uint64_t reads = 0, bytes = 0;
  for (auto _ : state) {
    std::unique_ptr<MediaFile> file(path.empty() ? nullptr : openAviFile(path.c_str()));
    AviFileFacts facts;
    if (!file || !describeAviFile(file.get(), &facts)) {
      state.SkipWithError("no test file");
      return;
    }
    reads = facts.openReads;
    bytes = facts.openBytesRead;
  }
  state.counters["reads"] = double(reads);
  state.counters["MB read"] = double(bytes) / 1e6;
}
BENCHMARK(BM_AviOpen)->Arg(0)->Arg(1)->ArgName("hostile")->Unit(benchmark::kMillisecond);

// The ffmpeg program on the same file: its own decoding time ("rtime" of -benchmark, without
// its start-up) per frame; with range(1), converting to 32-bit pixels as we do.
void BM_FfmpegProgramPerFrame(benchmark::State& state) {
  const std::string& path = fileFor(int(state.range(0)));
  if (path.empty()) {
    state.SkipWithError("no test file (is ffmpeg installed?)");
    return;
  }
  // The file ten times over, so that the millisecond clock of -benchmark tells enough.
  int frames = 10 * (state.range(0) == 0 ? 48 : benchFiles().cinepakFrames);
  std::string command = "ffmpeg -nostdin -hide_banner -nostats -benchmark -stream_loop 9 -i '" +
                        path + "' -map 0:v:0 " + (state.range(1) ? "-pix_fmt bgr0 " : "") +
                        "-f null - 2>&1";
  double cpuSeconds = 0;
  for (auto _ : state) {
    FILE* pipe = popen(command.c_str(), "r");
    char line[512];
    double seconds = 0;
    while (pipe && std::fgets(line, sizeof line, pipe)) {
      const char* rtime = std::strstr(line, "rtime=");
      const char* utime = std::strstr(line, "utime=");
      const char* stime = std::strstr(line, "stime=");
      if (rtime) seconds = std::atof(rtime + 6);
      if (utime && stime) cpuSeconds += std::atof(utime + 6) + std::atof(stime + 6);
    }
    if (pipe) pclose(pipe);
    state.SetIterationTime(seconds / frames);
  }
  // Processor time of all of ffmpeg's threads, beside the wall-clock time above.
  state.counters["cpu_us/frame"] = cpuSeconds * 1e6 / frames / double(state.iterations());
}
BENCHMARK(BM_FfmpegProgramPerFrame)
    ->Args({0, 0})
    ->Args({0, 1})
    ->Args({1, 0})
    ->Args({1, 1})
    ->ArgNames({"cinepak", "convert"})
    ->UseManualTime()
    ->Iterations(5)
    ->Unit(benchmark::kMicrosecond);

}  // namespace
