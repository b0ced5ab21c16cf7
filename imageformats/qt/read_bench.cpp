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
#include <vector>

#include <QBuffer>
#include <QCoreApplication>
#include <QImage>
#include <QImageReader>
#include <QImageWriter>

#include <benchmark/benchmark.h>

#include "modes/picture_modes.h"
#include "testsupport/mode_files.h"

namespace {

// A file of the mode: real screens' bytes, signed where the format is.
QByteArray FileOf(const modes::PictureMode& mode) {
    std::vector<std::uint8_t> bytes = testsupport::RealBytesOfSize(mode.sizes.front());
    testsupport::PlantSignature(bytes, mode.name);
    return QByteArray(reinterpret_cast<const char*>(bytes.data()), static_cast<qsizetype>(bytes.size()));
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
    const QByteArray file = FileOf(mode);
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
