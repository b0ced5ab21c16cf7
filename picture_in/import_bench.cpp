// What importing costs next to decoding the same file alone, timed in the
// same run on this thread's processor time: each import benchmark reports
// its ratio to the decode as the counter x_decode.
#include <time.h>

#include <algorithm>
#include <array>

#include <benchmark/benchmark.h>
#include <jpeglib.h>
#include <png.h>

#include "picture_in/import.h"
#include "picture_in/mode_import.h"
#include "picture_in/test_pictures.h"
#include "testsupport/real_screens.h"

namespace {

using picture_in::testing::Bytes;

double ThreadSeconds() {
    timespec now{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
    return static_cast<double>(now.tv_sec) + static_cast<double>(now.tv_nsec) * 1e-9;
}

// The least libpng asks to hand over RGB pixels.
void DecodePngAlone(const Bytes& png, std::vector<std::uint8_t>& pixels) {
    png_image image{};
    image.version = PNG_IMAGE_VERSION;
    png_image_begin_read_from_memory(&image, png.data(), png.size());
    image.format = PNG_FORMAT_RGB;
    pixels.resize(PNG_IMAGE_SIZE(image));
    png_image_finish_read(&image, nullptr, pixels.data(), 0, nullptr);
}

// libjpeg at full size, RGB out, its default (fast integer) settings.
void DecodeJpegAlone(const Bytes& jpeg, std::vector<std::uint8_t>& pixels) {
    jpeg_decompress_struct info{};
    jpeg_error_mgr error{};
    info.err = jpeg_std_error(&error);
    jpeg_create_decompress(&info);
    jpeg_mem_src(&info, jpeg.data(), static_cast<unsigned long>(jpeg.size()));
    jpeg_read_header(&info, TRUE);
    info.out_color_space = JCS_RGB;
    jpeg_start_decompress(&info);
    pixels.resize(static_cast<std::size_t>(info.output_width) * info.output_height * 3);
    while (info.output_scanline < info.output_height) {
        JSAMPROW row = pixels.data() + static_cast<std::size_t>(info.output_scanline) * info.output_width * 3;
        jpeg_read_scanlines(&info, &row, 1);
    }
    jpeg_finish_decompress(&info);
    jpeg_destroy_decompress(&info);
}

template <typename Decode>
double MedianSeconds(Decode decode, int calls) {
    constexpr int Batches = 5;
    std::array<double, Batches> perCall{};
    for (double& seconds : perCall) {
        const double start = ThreadSeconds();
        for (int call = 0; call < calls; ++call)
            decode();
        seconds = (ThreadSeconds() - start) / calls;
    }
    std::nth_element(perCall.begin(), perCall.begin() + Batches / 2, perCall.end());
    return perCall[Batches / 2];
}

const render::Palette Window = render::WindowPalette;

void Import(benchmark::State& state, const Bytes& file, double decodeSeconds, picture_in::Dither dither) {
    picture_in::ImportOptions options;
    options.dither = dither;
    double spent = 0;
    for (auto _ : state) {
        const double start = ThreadSeconds();
        auto imported = picture_in::ImportPicture(file, options, std::span(&Window, 1));
        spent += ThreadSeconds() - start;
        benchmark::DoNotOptimize(imported);
    }
    state.counters["x_decode"] = spent / static_cast<double>(state.iterations()) / decodeSeconds;
}

Bytes ScreenPng() {
    const testsupport::ScreenBytes& screen = testsupport::RealScreenBytes("screen02");
    return picture_in::testing::PngOf(picture_in::testing::ScreenPicture(screen, Window),
                                      picture_in::testing::PngKind::Palette);
}

// A photograph fitted to 256 x 192 (or enlarged to 4000 x 3000), as a file.
picture_in::Picture Photo(int width, int height) {
    const Bytes jpeg = picture_in::testing::ReadFile(SCRLAB_PICTURES_DIR "/coffee.jpg");
    const picture_in::Picture small = *picture_in::Decode(jpeg, {});
    picture_in::Picture out{width, height, {}};
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            out.pixels.push_back(small.at(x * small.width / width, y * small.height / height));
    return out;
}

void BM_ImportScreenPng(benchmark::State& state) {
    static const Bytes png = ScreenPng();
    std::vector<std::uint8_t> pixels;
    const double decode = MedianSeconds([&] { DecodePngAlone(png, pixels); }, 50);
    Import(state, png, decode, static_cast<picture_in::Dither>(state.range(0)));
}
BENCHMARK(BM_ImportScreenPng)
    ->Arg(static_cast<int>(picture_in::Dither::Refined))
    ->Arg(static_cast<int>(picture_in::Dither::None));

void BM_ImportPhotoPng(benchmark::State& state) {
    static const Bytes png = picture_in::testing::PngOf(Photo(256, 192), picture_in::testing::PngKind::Rgb8);
    std::vector<std::uint8_t> pixels;
    const double decode = MedianSeconds([&] { DecodePngAlone(png, pixels); }, 50);
    Import(state, png, decode, static_cast<picture_in::Dither>(state.range(0)));
}
BENCHMARK(BM_ImportPhotoPng)
    ->Arg(static_cast<int>(picture_in::Dither::Refined))
    ->Arg(static_cast<int>(picture_in::Dither::None))
    ->Arg(static_cast<int>(picture_in::Dither::FloydSteinberg))
    ->Arg(static_cast<int>(picture_in::Dither::Bayer));

void BM_ImportJpeg4000x3000(benchmark::State& state) {
    static const Bytes jpeg = picture_in::testing::JpegOf(Photo(4000, 3000), 90);
    std::vector<std::uint8_t> pixels;
    const double decode = MedianSeconds([&] { DecodeJpegAlone(jpeg, pixels); }, 2);
    Import(state, jpeg, decode, picture_in::Dither::Refined);
}
BENCHMARK(BM_ImportJpeg4000x3000)->Unit(benchmark::kMillisecond);

// Each mode's import of a photograph of 256 x 192 against the classic
// screen's (refined, the default) in the same run: the counter x_classic.
void BM_ImportPhotoInMode(benchmark::State& state) {
    static const Bytes png = picture_in::testing::PngOf(Photo(256, 192), picture_in::testing::PngKind::Rgb8);
    // Both with the dither scrtool uses unless told otherwise.
    picture_in::ImportOptions refined;
    refined.dither = picture_in::Dither::Refined;
    static const double classic = MedianSeconds(
        [&] { benchmark::DoNotOptimize(picture_in::ImportPicture(png, refined, std::span(&Window, 1))); }, 10);
    picture_in::ModeImportOptions options;
    options.import = refined;
    options.file = static_cast<picture_in::ModeFile>(state.range(0));
    double spent = 0;
    for (auto _ : state) {
        const double start = ThreadSeconds();
        auto imported = picture_in::ImportInMode(png, options, std::span(&Window, 1));
        spent += ThreadSeconds() - start;
        benchmark::DoNotOptimize(imported);
    }
    state.counters["x_classic"] = spent / static_cast<double>(state.iterations()) / classic;
    state.counters["seconds"] = spent / static_cast<double>(state.iterations());
}
BENCHMARK(BM_ImportPhotoInMode)
    ->Unit(benchmark::kMillisecond)
    ->DenseRange(static_cast<int>(picture_in::ModeFile::UlaPlus), static_cast<int>(picture_in::ModeFile::Mg1));

}  // namespace

BENCHMARK_MAIN();
