// The frame drawer: decodes a stored video frame and shows it on the window as 320x240 pixels of
// 0x00RRGGBB. The game's own formats (8-bit run-length and uncompressed pictures of 320x240)
// are decoded here; every other format with libavcodec, converted by libswscale, which are
// loaded only when such a frame comes.
//
// The decoder keeps its picture from frame to frame, so a delta frame draws over the picture
// before it. It is opened again only when the format changes (size, depth or compression); a
// new colour table goes to the open decoder (as a palette packet to libavcodec). A frame that
// cannot be a picture (the zero bytes of a failed read) or that the decoder rejects leaves the
// picture on the window as it was. Some decoders give out a picture even from data they found
// damaged and only report the damage to the log; a picture whose decoding logged an error is
// not shown either. After the first frames of a format nothing is allocated here.
#include <algorithm>
#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <mutex>

#include "media/avi_riff.h"
#include "media/libav.h"
#include "media/media.h"
#include "platform/dib_picture.h"

namespace {

constexpr int32_t kBitmapHeaderBytes = 40;
constexpr int kPaletteColours = 256;
// The window's pixels carry no alpha. Colours without it make 8-bit pictures come out of the
// conversion as they are to be shown, with no pass to clear the fourth byte.
constexpr uint32_t kPaletteAlpha = 0;
constexpr int kMaxDimension = 4096;  // far beyond the game's 320x240; hostile sizes stop here

// The fields of a bitmap information header that decide the decoder.
struct FrameFormat {
  int32_t width = 0, height = 0;  // height > 0: rows stored bottom-up
  uint16_t bitCount = 0;
  uint32_t compression = 0;

  bool operator==(const FrameFormat&) const = default;
};

bool readFrameFormat(const uint8_t* format, int32_t formatSize, FrameFormat* out) {
  PictureFormat picture;
  if (formatSize < kBitmapHeaderBytes || !readPictureFormat(format, formatSize, &picture))
    return false;
  if (picture.width <= 0 || picture.width > kMaxDimension || picture.rows == 0 ||
      picture.rows > kMaxDimension)
    return false;
  out->width = picture.width;
  out->height = picture.topDown ? -int32_t(picture.rows) : int32_t(picture.rows);
  out->bitCount = picture.bitCount;
  out->compression = picture.compression;
  return true;
}

AVCodecID codecFor(uint32_t compression) {
  switch (compression) {
    case 0: return AV_CODEC_ID_RAWVIDEO;
    case 1:
    case 2: return AV_CODEC_ID_MSRLE;  // 8-bit and 4-bit run lengths
    case fourCc("CVID"):
    case fourCc("cvid"): return AV_CODEC_ID_CINEPAK;
    case fourCc("MSVC"):
    case fourCc("msvc"):
    case fourCc("CRAM"):
    case fourCc("cram"):
    case fourCc("WHAM"):
    case fourCc("wham"): return AV_CODEC_ID_MSVIDEO1;
    case fourCc("IV31"):
    case fourCc("IV32"): return AV_CODEC_ID_INDEO3;
    case fourCc("IV41"): return AV_CODEC_ID_INDEO4;
    case fourCc("IV50"): return AV_CODEC_ID_INDEO5;
    case fourCc("MJPG"): return AV_CODEC_ID_MJPEG;
  }
  return codecOfRiffTag(compression);
}

// The formats decoded here: what the game's files carry.
bool decodedHere(const FrameFormat& format) {
  return format.bitCount == 8 && format.width == kPictureWidth &&
         ((format.compression == kBitmapRle8 && format.height == kPictureHeight) ||
          (format.compression == kBitmapRgb &&
           (format.height == kPictureHeight || format.height == -kPictureHeight)));
}

// The colour table after the header as libavcodec's palette (0x00RRGGBB), missing colours black.
void readPalette(const uint8_t* format, int32_t formatSize, const FrameFormat& frameFormat,
                 uint32_t* palette) {
  uint32_t headerSize = std::min<uint32_t>(readLe32(format), uint32_t(formatSize));
  if (headerSize < uint32_t(kBitmapHeaderBytes)) headerSize = kBitmapHeaderBytes;
  uint32_t used = readLe32(format + 32);
  uint32_t colours = frameFormat.bitCount <= 8 ? 1u << frameFormat.bitCount : 0;
  if (used > 0 && used < colours) colours = used;
  uint32_t stored = (uint32_t(formatSize) - headerSize) / 4;
  for (uint32_t i = 0; i < kPaletteColours; ++i)
    palette[i] = i < colours && i < stored
                     ? kPaletteAlpha | (readLe32(format + headerSize + 4 * i) & 0xFFFFFFu)
                     : kPaletteAlpha;
}

// Zero bytes stand for a frame that could not be read; only uncompressed pictures can be zeros.
bool allZero(const uint8_t* bytes, int32_t size) {
  return bytes[0] == 0 && std::memcmp(bytes, bytes + 1, size_t(size) - 1) == 0;
}

// The decoder at work on this thread, and whether it has logged an error since it started.
thread_local const void* decodingContext = nullptr;
thread_local bool decodingFault = false;

// libav's messages go to the debug-print routine like all our diagnostics.
void logMessage(void* source, int level, const char* format, va_list args) {
  if (level <= AV_LOG_ERROR && source && source == decodingContext) decodingFault = true;
#ifdef QVK_DEBUG_PRINT
  if (level > AV_LOG_WARNING) return;
  char line[512];
  std::vsnprintf(line, sizeof line, format, args);
  line[strcspn(line, "\n")] = '\0';
  debugPrint("libav: %s", line);
#else
  (void)format;
  (void)args;
#endif
}

struct DecodingFrameDrawer final : FrameDrawer {
  std::mutex lock;
  FrameFormat format;
  uint32_t palette[kPaletteColours] = {};
  std::vector<uint32_t> pixels = std::vector<uint32_t>(size_t(kPictureWidth) * kPictureHeight);

  // The game's formats: the picture's colour indices, rows in stored order, kept from frame to
  // frame; a frame is decoded into a copy, so a damaged one changes nothing.
  bool native = false;
  std::vector<uint8_t> indices, decoding;

  // Other formats: libavcodec's decoder and libswscale's conversion.
  const LibAv* av = nullptr;
  AVCodecContext* context = nullptr;
  AVPacket* packet = nullptr;
  AVFrame* frame = nullptr;     // the picture to show
  AVFrame* received = nullptr;  // each picture as it comes out of the decoder
  SwsContext* scaler = nullptr;
  int scalerWidth = 0, scalerHeight = 0, scalerFormat = -1;  // what scaler converts from
  AVBufferRef* packetBuffer = nullptr;  // our copy of the frame, with libavcodec's zero padding
  bool paletteDue = false;

  ~DecodingFrameDrawer() override {
    closeDecoder();
    if (!av) return;
    av->av_packet_free(&packet);
    av->av_frame_free(&frame);
    av->av_frame_free(&received);
    av->sws_freeContext(scaler);
    av->av_buffer_unref(&packetBuffer);
  }

  bool decoderOpen() const { return native || context; }

  void closeDecoder() {
    native = false;
    if (av) av->avcodec_free_context(&context);
  }

  void openDecoder(const FrameFormat& newFormat, const uint8_t* formatBytes, int32_t formatSize) {
    closeDecoder();
    format = newFormat;
    readPalette(formatBytes, formatSize, format, palette);
    if (decodedHere(format)) {
      native = true;
      indices.assign(size_t(kPictureWidth) * kPictureHeight, 0);
      return;
    }
    if (!av && !(av = libAv())) return;
    static std::once_flag logRouted;
    std::call_once(logRouted, [this] { av->av_log_set_callback(logMessage); });
    const AVCodec* codec = av->avcodec_find_decoder(codecFor(format.compression));
    if (!codec) return;
    context = av->avcodec_alloc_context3(codec);
    if (!context) return;
    context->width = format.width;
    context->height = format.height < 0 ? -format.height : format.height;
    context->bits_per_coded_sample = format.bitCount;
    context->codec_tag = format.compression;
    context->thread_count = 1;  // every frame comes out of the call that decodes it
    // Uncompressed rows are stored bottom-up unless the height says otherwise.
    if (codec->id == AV_CODEC_ID_RAWVIDEO && format.height > 0) {
      static const char kBottomUp[] = "BottomUp";
      context->extradata = static_cast<uint8_t*>(av->av_mallocz(sizeof kBottomUp + 64));
      if (context->extradata) {
        std::memcpy(context->extradata, kBottomUp, sizeof kBottomUp);
        context->extradata_size = sizeof kBottomUp;
      }
    }
    if (av->avcodec_open2(context, codec, nullptr) < 0) {
      closeDecoder();
      return;
    }
    paletteDue = format.bitCount <= 8;
  }

  // The stored rows are turned the right way up and coloured through the colour table.
  void drawHere(const uint8_t* bytes, int32_t size) {
    if (format.compression != kBitmapRgb && allZero(bytes, size)) return;
    decoding = indices;
    if (!decodeDibIndices(bytes, size_t(size), format.compression, kPictureWidth, kPictureHeight,
                          decoding.data()))
      return;
    indices.swap(decoding);
    for (int y = 0; y < kPictureHeight; ++y) {
      int stored = format.height > 0 ? kPictureHeight - 1 - y : y;
      const uint8_t* source = &indices[size_t(stored) * kPictureWidth];
      uint32_t* row = &pixels[size_t(y) * kPictureWidth];
      for (int x = 0; x < kPictureWidth; ++x) row[x] = palette[source[x]];
    }
    if (platform.window) platform.window->showPicture(pixels.data(), kPictureWidth, kPictureHeight);
  }

  // Keeps the frame in our own buffer, which libavcodec reads through a packet that refers to
  // it without copying. A decoder that still holds the last one (an uncompressed picture is
  // the packet itself) keeps it, and the frame goes into a new buffer.
  bool preparePacket(const uint8_t* bytes, int32_t size) {
    if (!packet && !(packet = av->av_packet_alloc())) return false;
    if (!frame && !(frame = av->av_frame_alloc())) return false;
    if (!received && !(received = av->av_frame_alloc())) return false;
    size_t needed = size_t(size) + AV_INPUT_BUFFER_PADDING_SIZE;
    if (!packetBuffer || packetBuffer->size < needed || !av->av_buffer_is_writable(packetBuffer)) {
      av->av_buffer_unref(&packetBuffer);
      packetBuffer =
          av->av_buffer_alloc(std::max<size_t>(needed, kSlotBytes + AV_INPUT_BUFFER_PADDING_SIZE));
      if (!packetBuffer) return false;
    }
    std::memcpy(packetBuffer->data, bytes, size_t(size));
    std::memset(packetBuffer->data + size, 0, AV_INPUT_BUFFER_PADDING_SIZE);
    packet->buf = packetBuffer;
    packet->data = packetBuffer->data;
    packet->size = size;
    if (paletteDue) {
      uint8_t* side = av->av_packet_new_side_data(packet, AV_PKT_DATA_PALETTE, AVPALETTE_SIZE);
      if (side) std::memcpy(side, palette, AVPALETTE_SIZE);
      paletteDue = false;
    }
    return true;
  }

  // Decodes the packet; true when it gave a whole picture, the newest of them in frame.
  bool decodePacket() {
    decodingContext = context;
    decodingFault = false;
    int sent = av->avcodec_send_packet(context, packet);
    av->av_packet_free_side_data(packet);
    packet->buf = nullptr;  // the buffer stays ours
    bool got = false;
    while (sent >= 0 && av->avcodec_receive_frame(context, received) == 0) {
      bool damaged = (received->flags & AV_FRAME_FLAG_CORRUPT) ||
                     received->decode_error_flags != 0 || decodingFault;
      if (damaged) {
        av->av_frame_unref(received);
        continue;
      }
      av->av_frame_unref(frame);
      av->av_frame_move_ref(frame, received);
      got = true;
    }
    decodingContext = nullptr;
    return got;
  }

  void showFrame() {
    // libswscale's own cache never matches a 32-bit target, so the context is kept here and
    // made again only when the decoder's pictures change.
    if (!scaler || frame->width != scalerWidth || frame->height != scalerHeight ||
        frame->format != scalerFormat) {
      av->sws_freeContext(scaler);
      scaler = av->sws_getContext(frame->width, frame->height, AVPixelFormat(frame->format),
                                  kPictureWidth, kPictureHeight, AV_PIX_FMT_0RGB32, SWS_BICUBIC,
                                  nullptr, nullptr, nullptr);
      scalerWidth = frame->width;
      scalerHeight = frame->height;
      scalerFormat = frame->format;
    }
    if (!scaler) return;
    uint8_t* planes[4] = {reinterpret_cast<uint8_t*>(pixels.data()), nullptr, nullptr, nullptr};
    int strides[4] = {kPictureWidth * 4, 0, 0, 0};
    int rows =
        av->sws_scale(scaler, frame->data, frame->linesize, 0, frame->height, planes, strides);
    if (rows <= 0) return;
    // Other pictures come out with an opaque alpha byte, which the window's pixels do not have.
    if (frame->format != AV_PIX_FMT_PAL8)
      for (uint32_t& pixel : pixels) pixel &= 0xFFFFFFu;
    if (platform.window) platform.window->showPicture(pixels.data(), kPictureWidth, kPictureHeight);
  }

  void drawFrame(const uint8_t* formatBytes, int32_t formatSize, const uint8_t* bytes,
                 int32_t size) override {
    std::lock_guard<std::mutex> hold(lock);
    FrameFormat newFormat;
    if (!readFrameFormat(formatBytes, formatSize, &newFormat) || !bytes || size <= 0) return;
    if (!decoderOpen() || !(newFormat == format)) {
      openDecoder(newFormat, formatBytes, formatSize);
    } else if (format.bitCount <= 8) {
      uint32_t newPalette[kPaletteColours];
      readPalette(formatBytes, formatSize, format, newPalette);
      if (std::memcmp(newPalette, palette, sizeof palette) != 0) {
        std::memcpy(palette, newPalette, sizeof palette);
        paletteDue = true;
      }
    }
    if (native) {
      drawHere(bytes, size);
      return;
    }
    if (!context) return;
    if (context->codec_id != AV_CODEC_ID_RAWVIDEO && allZero(bytes, size)) return;
    if (!preparePacket(bytes, size)) return;
    if (decodePacket()) showFrame();
    av->av_frame_unref(frame);
  }
};

}  // namespace

bool readPictureFormat(const uint8_t* format, int32_t formatSize, PictureFormat* picture) {
  constexpr int32_t kThroughCompression = 20, kThroughColoursUsed = 36;
  *picture = PictureFormat{};
  if (!format || formatSize < kThroughCompression) return false;
  picture->width = int32_t(readLe32(format + 4));
  uint32_t height = readLe32(format + 8);
  picture->topDown = int32_t(height) < 0;
  picture->rows = picture->topDown ? 0u - height : height;
  picture->bitCount = readLe16(format + 14);
  picture->compression = readLe32(format + 16);
  if (formatSize >= kThroughColoursUsed) picture->coloursUsed = readLe32(format + 32);
  return true;
}

FrameDrawer* decodingFrameDrawer() {
  static DecodingFrameDrawer drawer;
  return &drawer;
}

FrameDrawer* makeDecodingFrameDrawer() {
  return new DecodingFrameDrawer;
}

const char* decoderNameForFormat(const uint8_t* format, int32_t formatSize) {
  FrameFormat frameFormat;
  const LibAv* av = libAv();
  if (!av || !readFrameFormat(format, formatSize, &frameFormat)) return nullptr;
  const AVCodec* codec = av->avcodec_find_decoder(codecFor(frameFormat.compression));
  return codec ? codec->name : nullptr;
}
