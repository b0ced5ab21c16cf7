// A Qt program reading a picture file of each mode through our plugin,
// against reading a PNG of the same picture, in one run: what a file
// manager or viewer pays to show one of our files, as a multiple of what it
// pays for the PNG it would otherwise have. Both are read from memory
// through QImageReader, so the file system is not measured. The files are
// real screens' bytes one after another, cut to each mode's size, with
// the signature of the formats that have one.

#include <chrono>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include <QBuffer>
#include <QCoreApplication>
#include <QImage>
#include <QImageReader>
#include <QImageWriter>

#include <benchmark/benchmark.h>

#include "modes/picture_modes.h"
#include "testsupport/real_screens.h"

namespace {

QByteArray RealBytes(std::uint64_t size) {
    QByteArray bytes;
    while (static_cast<std::uint64_t>(bytes.size()) < size)
        for (const auto& real : testsupport::RealScreens())
            bytes.append(reinterpret_cast<const char*>(real.bytes.data()), static_cast<qsizetype>(real.bytes.size()));
    bytes.truncate(static_cast<qsizetype>(size));
    return bytes;
}

// The signature the rows that have one check, over the file's first bytes.
void Sign(QByteArray& bytes, std::string_view mode) {
    QByteArray signature;
    if (mode.starts_with("mg"))
        signature = QByteArray("MGH\x01") + char(mode[2] - '0');
    else if (mode == "hlr")
        signature = QByteArray("\x76\xAF\xD3\xFE\x21\x00\x58", 7);
    else if (mode == "zxs") {
        signature = QByteArray("ZX_SSCII\x94\x09\x00\x00", 12);
        // Its 768 character codes name one of its 112 glyphs each.
        for (int at = 908; at < 908 + 768; ++at)
            bytes[at] = static_cast<char>(static_cast<unsigned char>(bytes[at]) % 112);
    }
    bytes.replace(0, signature.size(), signature);
}

QImage Read(const QByteArray& bytes, const QByteArray& format) {
    QBuffer buffer;
    buffer.setData(bytes);
    buffer.open(QIODevice::ReadOnly);
    QImageReader reader(&buffer, format);
    return reader.read();
}

QByteArray PngOf(const QImage& image) {
    QBuffer buffer;
    buffer.open(QIODevice::WriteOnly);
    QImageWriter writer(&buffer, "png");
    writer.write(image);
    return buffer.data();
}

// Seconds per read of `bytes` as `format`, over the benchmark's iterations.
double ReadSeconds(benchmark::State& state, const QByteArray& bytes, const QByteArray& format) {
    const auto start = std::chrono::steady_clock::now();
    for (auto _ : state) {
        QImage image = Read(bytes, format);
        if (image.isNull())
            state.SkipWithError("the read failed");
        benchmark::DoNotOptimize(image);
    }
    const std::chrono::duration<double> spent = std::chrono::steady_clock::now() - start;
    return spent.count() / static_cast<double>(state.iterations());
}

// The mode's file read through our plugin, and the ratio to reading the PNG
// of its picture, timed right after it so that both see the machine alike.
void BM_ReadMode(benchmark::State& state) {
    const modes::PictureMode& mode = modes::PictureModes()[static_cast<std::size_t>(state.range(0))];
    const QByteArray extension =
        QByteArray(mode.extensions.front().data(), static_cast<qsizetype>(mode.extensions.front().size()));
    QByteArray file = RealBytes(mode.sizes.front());
    Sign(file, mode.name);
    const QImage picture = Read(file, extension);
    if (picture.isNull()) {
        state.SkipWithError("the plugin does not read the file");
        return;
    }
    state.SetLabel(std::string(mode.name));
    const double ours = ReadSeconds(state, file, extension);
    const QByteArray png = PngOf(picture);
    constexpr int PngReads = 200;
    const auto start = std::chrono::steady_clock::now();
    for (int i = 0; i < PngReads; ++i) {
        QImage image = Read(png, "png");
        benchmark::DoNotOptimize(image);
    }
    const std::chrono::duration<double> spent = std::chrono::steady_clock::now() - start;
    state.counters["us/read"] = ours * 1e6;
    state.counters["x png"] = ours / (spent.count() / PngReads);
}

// Every row of fixed sizes.
void EveryMode(benchmark::internal::Benchmark* bench) {
    const auto rows = modes::PictureModes();
    for (std::size_t i = 0; i < rows.size(); ++i)
        if (!rows[i].sizes.empty())
            bench->Arg(static_cast<int>(i));
}
BENCHMARK(BM_ReadMode)->Apply(EveryMode)->Unit(benchmark::kMicrosecond);

}  // namespace

int main(int argc, char** argv) {
    QCoreApplication::addLibraryPath(SCRLAB_PLUGIN_DIR);
    QCoreApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
