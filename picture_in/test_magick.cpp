#include "picture_in/test_magick.h"

#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <stdexcept>

namespace picture_in::testing {
namespace {

namespace fs = std::filesystem;

// A fresh folder, removed with everything in it when this goes.
class ScratchFolder {
public:
    ScratchFolder() {
        std::string name = (fs::temp_directory_path() / "scrlab-magick-XXXXXX").string();
        if (!mkdtemp(name.data()))
            throw std::runtime_error("cannot make a scratch folder");
        path_ = name;
    }
    ~ScratchFolder() {
        std::error_code ignored;
        fs::remove_all(path_, ignored);
    }
    ScratchFolder(const ScratchFolder&) = delete;
    ScratchFolder& operator=(const ScratchFolder&) = delete;
    fs::path operator/(const std::string& name) const { return path_ / name; }

private:
    fs::path path_;
};

void Write(const fs::path& path, const Bytes& bytes) {
    std::ofstream out(path, std::ios::binary);
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    if (!out)
        throw std::runtime_error("cannot write " + path.string());
}

Bytes Read(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in)
        throw std::runtime_error("cannot read " + path.string());
    return Bytes{std::istreambuf_iterator<char>(in), {}};
}

void Convert(std::vector<std::string> arguments) {
    arguments.insert(arguments.begin(), "/usr/bin/convert");
    std::vector<char*> argv;
    for (std::string& argument : arguments)
        argv.push_back(argument.data());
    argv.push_back(nullptr);
    const pid_t child = fork();
    if (child == 0) {
        execv(argv[0], argv.data());
        _exit(127);
    }
    int status = 0;
    if (child < 0 || waitpid(child, &status, 0) != child || !WIFEXITED(status) || WEXITSTATUS(status) != 0)
        throw std::runtime_error("/usr/bin/convert failed (is imagemagick installed?)");
}

}  // namespace

Bytes Magick(const Bytes& input, const std::string& inputFormat, const std::vector<std::string>& options,
             const std::string& outputFormat) {
    const ScratchFolder folder;
    Write(folder / "in", input);
    std::vector<std::string> arguments{inputFormat + ":" + (folder / "in").string()};
    arguments.insert(arguments.end(), options.begin(), options.end());
    arguments.push_back(outputFormat + ":" + (folder / "out").string());
    Convert(arguments);
    return Read(folder / "out");
}

Picture MagickPixels(const Bytes& file, int width, int height) {
    const ScratchFolder folder;
    Write(folder / "in", file);
    // Its samples at 16 bits, rounded here: its own reduction to 8 bits is
    // one off now and then (a 16-bit PGM's 5059 gives 19, not 19.68's 20).
    Convert({(folder / "in").string(), "-depth", "16", "-endian", "LSB", "rgb:" + (folder / "out").string()});
    const Bytes samples = Read(folder / "out");
    if (samples.size() != static_cast<std::size_t>(width) * height * 6)
        throw std::runtime_error("ImageMagick read a picture of another size");
    auto sample = [&](std::size_t i) {
        const unsigned wide = samples[2 * i] | samples[2 * i + 1] << 8;
        return static_cast<std::uint8_t>((wide * 255 + 32767) / 65535);
    };
    Picture picture{width, height, {}};
    for (std::size_t i = 0; i < samples.size() / 2; i += 3)
        picture.pixels.push_back(Rgb{sample(i), sample(i + 1), sample(i + 2)});
    return picture;
}

Bytes PpmOf(const Picture& picture) {
    const std::string header =
        "P6\n" + std::to_string(picture.width) + " " + std::to_string(picture.height) + "\n255\n";
    Bytes out(header.begin(), header.end());
    for (const Rgb c : picture.pixels)
        out.insert(out.end(), {c.red, c.green, c.blue});
    return out;
}

Bytes Ppm16Of(int width, int height, const std::vector<std::uint16_t>& samples) {
    const std::string header = "P6\n" + std::to_string(width) + " " + std::to_string(height) + "\n65535\n";
    Bytes out(header.begin(), header.end());
    for (const std::uint16_t s : samples)
        out.insert(out.end(), {static_cast<std::uint8_t>(s >> 8), static_cast<std::uint8_t>(s & 0xFF)});
    return out;
}

}  // namespace picture_in::testing
