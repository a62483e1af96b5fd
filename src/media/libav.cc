// Loading libavcodec, libswscale and libavutil (and libavformat's table of AVI codes) when they
// are first needed, by the major versions the program was built against.
#include "media/libav.h"

#include <dlfcn.h>

#include <mutex>

#include "platform/platform.h"

namespace {

template <typename Function>
bool load(void* library, const char* name, Function* function) {
  *function = library ? reinterpret_cast<Function>(dlsym(library, name)) : nullptr;
  return *function != nullptr;
}

void* openLibrary(const char* soname) {
  void* library = dlopen(soname, RTLD_NOW | RTLD_LOCAL);
  if (!library) debugPrint("%s", dlerror());
  return library;
}

bool loadAll(LibAv& av) {
  void* codec = openLibrary("libavcodec.so." AV_STRINGIFY(LIBAVCODEC_VERSION_MAJOR));
  void* util = openLibrary("libavutil.so." AV_STRINGIFY(LIBAVUTIL_VERSION_MAJOR));
  void* scale = openLibrary("libswscale.so." AV_STRINGIFY(LIBSWSCALE_VERSION_MAJOR));
  return load(codec, "avcodec_find_decoder", &av.avcodec_find_decoder) &&
         load(codec, "avcodec_alloc_context3", &av.avcodec_alloc_context3) &&
         load(codec, "avcodec_open2", &av.avcodec_open2) &&
         load(codec, "avcodec_free_context", &av.avcodec_free_context) &&
         load(codec, "avcodec_send_packet", &av.avcodec_send_packet) &&
         load(codec, "avcodec_receive_frame", &av.avcodec_receive_frame) &&
         load(codec, "av_packet_alloc", &av.av_packet_alloc) &&
         load(codec, "av_packet_free", &av.av_packet_free) &&
         load(codec, "av_packet_new_side_data", &av.av_packet_new_side_data) &&
         load(codec, "av_packet_free_side_data", &av.av_packet_free_side_data) &&
         load(util, "av_frame_alloc", &av.av_frame_alloc) &&
         load(util, "av_frame_free", &av.av_frame_free) &&
         load(util, "av_frame_unref", &av.av_frame_unref) &&
         load(util, "av_frame_move_ref", &av.av_frame_move_ref) &&
         load(util, "av_buffer_alloc", &av.av_buffer_alloc) &&
         load(util, "av_buffer_unref", &av.av_buffer_unref) &&
         load(util, "av_buffer_is_writable", &av.av_buffer_is_writable) &&
         load(util, "av_mallocz", &av.av_mallocz) &&
         load(util, "av_log_set_callback", &av.av_log_set_callback) &&
         load(scale, "sws_getContext", &av.sws_getContext) &&
         load(scale, "sws_scale", &av.sws_scale) &&
         load(scale, "sws_freeContext", &av.sws_freeContext);
}

}  // namespace

const LibAv* libAv() {
  static LibAv av;
  static bool loaded = false;
  static std::once_flag once;
  std::call_once(once, [] { loaded = loadAll(av); });
  return loaded ? &av : nullptr;
}

AVCodecID codecOfRiffTag(uint32_t fourCc) {
  using RiffTags = decltype(&::avformat_get_riff_video_tags);
  using CodecOfTag = decltype(&::av_codec_get_id);
  static RiffTags riffTags = nullptr;
  static CodecOfTag codecOfTag = nullptr;
  static std::once_flag once;
  std::call_once(once, [] {
    void* format = openLibrary("libavformat.so." AV_STRINGIFY(LIBAVFORMAT_VERSION_MAJOR));
    if (!load(format, "avformat_get_riff_video_tags", &riffTags) ||
        !load(format, "av_codec_get_id", &codecOfTag))
      riffTags = nullptr;
  });
  if (!riffTags) return AV_CODEC_ID_NONE;
  const AVCodecTag* const tables[] = {riffTags(), nullptr};
  return codecOfTag(tables, fourCc);
}
