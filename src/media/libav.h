// libavcodec, libswscale and libavutil as the frame drawer uses them, loaded when a frame first
// needs them. The game's own formats are decoded without them, and they bring a hundred
// libraries with them (every codec's), so a program that never meets another format never
// loads them. The functions keep their libraries' names.
#pragma once

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libavutil/log.h>
#include <libavutil/mem.h>
#include <libswscale/swscale.h>
}

struct LibAv {
  decltype(&::avcodec_find_decoder) avcodec_find_decoder = nullptr;
  decltype(&::avcodec_alloc_context3) avcodec_alloc_context3 = nullptr;
  decltype(&::avcodec_open2) avcodec_open2 = nullptr;
  decltype(&::avcodec_free_context) avcodec_free_context = nullptr;
  decltype(&::avcodec_send_packet) avcodec_send_packet = nullptr;
  decltype(&::avcodec_receive_frame) avcodec_receive_frame = nullptr;
  decltype(&::av_packet_alloc) av_packet_alloc = nullptr;
  decltype(&::av_packet_free) av_packet_free = nullptr;
  decltype(&::av_packet_new_side_data) av_packet_new_side_data = nullptr;
  decltype(&::av_packet_free_side_data) av_packet_free_side_data = nullptr;

  decltype(&::av_frame_alloc) av_frame_alloc = nullptr;
  decltype(&::av_frame_free) av_frame_free = nullptr;
  decltype(&::av_frame_unref) av_frame_unref = nullptr;
  decltype(&::av_frame_move_ref) av_frame_move_ref = nullptr;
  decltype(&::av_buffer_alloc) av_buffer_alloc = nullptr;
  decltype(&::av_buffer_unref) av_buffer_unref = nullptr;
  decltype(&::av_buffer_is_writable) av_buffer_is_writable = nullptr;
  decltype(&::av_mallocz) av_mallocz = nullptr;
  decltype(&::av_log_set_callback) av_log_set_callback = nullptr;

  decltype(&::sws_getContext) sws_getContext = nullptr;
  decltype(&::sws_scale) sws_scale = nullptr;
  decltype(&::sws_freeContext) sws_freeContext = nullptr;
};

// The libraries, loaded on the first call (any thread); nullptr when they cannot be loaded, and
// then every decoding through them is off.
const LibAv* libAv();

// The codec of a video four-character code in libavformat's table of AVI codes (loaded on the
// first call, apart: it brings the network libraries with it); AV_CODEC_ID_NONE when unknown.
AVCodecID codecOfRiffTag(uint32_t fourCc);
