// Network cameras: JPEG decoding with libjpeg-turbo (with libavcodec's MJPEG decoder as the
// yardstick) and the CPU cost of polling one camera over HTTP on the loopback.
#include <benchmark/benchmark.h>

#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

#include <chrono>
#include <cstring>
#include <thread>
#include <vector>

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavutil/log.h>
#include <libswscale/swscale.h>
}

#include "dvrTestHttpServer.h"
#include "dvrTestJpeg.h"
#include "image/dvrImage.h"
#include "network/dvrBoard_http.h"
#include "network/dvrCamera_network.h"
#include "network/dvrJpegDecoder.h"
#include "settings/dvrSettingSet.h"

namespace {

double cpuSeconds(clockid_t clock) {
    timespec now{};
    clock_gettime(clock, &now);
    return static_cast<double>(now.tv_sec) + static_cast<double>(now.tv_nsec) / 1e9;
}

void BM_JpegDecode_TurboJpeg(benchmark::State& state) {
    int width = static_cast<int>(state.range(0));
    int height = static_cast<int>(state.range(1));
    std::vector<std::uint8_t> jpeg = dvrTestJpeg::make(width, height, 1, 85);
    dvrJpegDecoder decoder;
    dvrRgbPicture picture;
    for (auto _ : state)
        if (decoder.decode(jpeg.data(), jpeg.size(), picture) != dvrJpegDecoder::Result::decoded)
            state.SkipWithError("decode failed");
    state.SetItemsProcessed(state.iterations());
    state.counters["jpeg_bytes"] = static_cast<double>(jpeg.size());
}
BENCHMARK(BM_JpegDecode_TurboJpeg)->Args({640, 480})->Args({1920, 1080})->Unit(benchmark::kMillisecond);

// The same pictures through libavcodec's MJPEG decoder and libswscale to RGB.
void BM_JpegDecode_Libavcodec(benchmark::State& state) {
    int width = static_cast<int>(state.range(0));
    int height = static_cast<int>(state.range(1));
    std::vector<std::uint8_t> jpeg = dvrTestJpeg::make(width, height, 1, 85);
    const AVCodec* codec = avcodec_find_decoder(AV_CODEC_ID_MJPEG);
    AVCodecContext* context = avcodec_alloc_context3(codec);
    // One thread, as the TurboJPEG decoder uses.
    context->thread_count = 1;
    av_log_set_level(AV_LOG_ERROR);
    avcodec_open2(context, codec, nullptr);
    AVPacket* packet = av_packet_alloc();
    AVFrame* frame = av_frame_alloc();
    std::vector<std::uint8_t> rgb(static_cast<std::size_t>(width) * static_cast<std::size_t>(height) * 3);
    SwsContext* scaler = nullptr;
    for (auto _ : state) {
        packet->data = jpeg.data();
        packet->size = static_cast<int>(jpeg.size());
        if (avcodec_send_packet(context, packet) != 0 || avcodec_receive_frame(context, frame) != 0) {
            state.SkipWithError("decode failed");
            break;
        }
        scaler = sws_getCachedContext(scaler, width, height, static_cast<AVPixelFormat>(frame->format), width, height,
                                      AV_PIX_FMT_RGB24, SWS_BILINEAR, nullptr, nullptr, nullptr);
        std::uint8_t* planes[1] = {rgb.data()};
        int strides[1] = {width * 3};
        sws_scale(scaler, frame->data, frame->linesize, 0, height, planes, strides);
    }
    state.SetItemsProcessed(state.iterations());
    sws_freeContext(scaler);
    av_frame_free(&frame);
    av_packet_free(&packet);
    avcodec_free_context(&context);
}
BENCHMARK(BM_JpegDecode_Libavcodec)->Args({640, 480})->Args({1920, 1080})->Unit(benchmark::kMillisecond);

// A camera set up to poll a server on 127.0.0.1 at 25 frames a second.
void configure(dvrCamera_network& camera, int port, int resolution) {
    dvrSettingSet* s = camera.getSettings();
    s->setInt("ctype", 600000);
    s->setText("host", "127.0.0.1");
    s->setText("port", std::to_string(port));
    s->setInt("enable", 1);
    s->setInt("resolution", resolution);
    s->setInt("framerate", 25);
    s->setInt("codec", -1);
}

// One poll: HTTP GET of a 640 x 480 picture, decode, copy into the image. The CPU time is the
// polling thread's own (libcurl runs on it); the server's work is not counted.
void BM_PollOnePicture(benchmark::State& state) {
    dvrTestHttpServer server;
    server.setFrames({dvrTestJpeg::make(640, 480, 0), dvrTestJpeg::make(640, 480, 1)});
    dvrBoard_http board;
    board.open();
    dvrCamera_network camera(&board);
    camera.attach(0);
    configure(camera, server.port(), 1);
    camera.init();
    double cpuBefore = cpuSeconds(CLOCK_THREAD_CPUTIME_ID);
    for (auto _ : state)
        if (!camera.waitForFrame(0) || !camera.grab())
            state.SkipWithError("poll failed");
    double cpuPerPoll = (cpuSeconds(CLOCK_THREAD_CPUTIME_ID) - cpuBefore) / static_cast<double>(state.iterations());
    state.SetItemsProcessed(state.iterations());
    // Share of one core that 25 polls a second take.
    state.counters["core_percent_at_25fps"] = cpuPerPoll * 25.0 * 100.0;
}
BENCHMARK(BM_PollOnePicture)->Unit(benchmark::kMillisecond)->UseRealTime();

// The whole capture thread polling one camera at "framerate" 25 (fetch, decode, copy, motion
// detection; no compression) for three seconds. The server runs in a child process, so the
// process CPU time measured here is the recorder's alone.
void BM_CaptureThreadAt25fps(benchmark::State& state) {
    int ports[2];
    if (pipe(ports) != 0) {
        state.SkipWithError("no pipe");
        return;
    }
    pid_t child = fork();
    if (child == 0) {
        close(ports[0]);
        {
            dvrTestHttpServer server;
            server.setFrames({dvrTestJpeg::make(640, 480, 0), dvrTestJpeg::make(640, 480, 1)});
            int port = server.port();
            [[maybe_unused]] ssize_t written = write(ports[1], &port, sizeof port);
            // Serves until the parent ends it.
            std::this_thread::sleep_for(std::chrono::hours(1));
        }
        _exit(0);
    }
    close(ports[1]);
    int port = 0;
    if (read(ports[0], &port, sizeof port) != sizeof port) {
        state.SkipWithError("no server");
        return;
    }
    dvrBoard_http board;
    board.open();
    dvrCamera_network camera(&board);
    camera.attach(0);
    configure(camera, port, 1);
    camera.init();
    for (auto _ : state) {
        double cpuBefore = cpuSeconds(CLOCK_PROCESS_CPUTIME_ID);
        std::int64_t grabbedBefore = camera.statistics().framesGrabbed();
        camera.start();
        std::this_thread::sleep_for(std::chrono::seconds(3));
        camera.stop();
        double cpu = cpuSeconds(CLOCK_PROCESS_CPUTIME_ID) - cpuBefore;
        double frames = static_cast<double>(camera.statistics().framesGrabbed() - grabbedBefore);
        state.counters["frames_per_second"] = frames / 3.0;
        state.counters["core_percent"] = cpu / 3.0 * 100.0;
    }
    kill(child, SIGTERM);
    waitpid(child, nullptr, 0);
    close(ports[0]);
}
BENCHMARK(BM_CaptureThreadAt25fps)->Iterations(1)->Unit(benchmark::kSecond)->UseRealTime();

} // namespace
