#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <stdexcept>

#include "apptests/soak/soak.h"
#include "testsupport/real_screens.h"

namespace soak {
namespace {

namespace fs = std::filesystem;

constexpr std::size_t ScreenBytes = 6912;

void WriteFile(const std::string& path, const std::vector<char>& bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    if (!out)
        throw std::runtime_error("cannot write " + path);
}

std::vector<char> ReadFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

}  // namespace

SoakFiles::SoakFiles() {
    std::string pattern = (fs::temp_directory_path() / "scrlab-soak-XXXXXX").string();
    if (!mkdtemp(pattern.data()))
        throw std::runtime_error("cannot make a temporary folder");
    folder_ = pattern;
    fs::create_directory(folder_ + "/my pics");
    const char* names[] = {"/title.scr",
                           "/my pics/\xc3\xbc"
                           "ber Bild \xd0\xaf.scr",
                           "/a.b.scr", "/plain"};
    const char* sources[] = {"screen01.scr", "screen05.scr", "screen09.scr", "screen12.scr"};
    for (int i = 0; i < 4; ++i) {
        screens_.push_back(folder_ + names[i]);
        WriteFile(screens_.back(), ReadFile(testsupport::RealScreenPath(sources[i])));
    }
    damaged_ = folder_ + "/damaged.scr";
    Random seeded(ScreenBytes);
    Damage(seeded);
    const std::size_t wrongSizes[] = {0, 1, ScreenBytes - 1, ScreenBytes + 1, 2 * ScreenBytes};
    for (std::size_t size : wrongSizes) {
        others_.push_back(folder_ + "/size " + std::to_string(size) + ".scr");
        WriteFile(others_.back(), std::vector<char>(size, '\x55'));
    }
    others_.push_back(folder_ + "/missing.scr");
    others_.push_back(folder_ + "/folder.scr");
    fs::create_directory(others_.back());
    others_.push_back(folder_);
}

SoakFiles::~SoakFiles() {
    std::error_code ignored;
    fs::remove_all(folder_, ignored);
}

void SoakFiles::Damage(Random& random) {
    std::vector<char> bytes(ScreenBytes);
    for (char& byte : bytes)
        byte = static_cast<char>(random());
    WriteFile(damaged_, bytes);
}

std::string SoakFiles::Pick(Random& random) {
    const std::size_t choice = random() % (screens_.size() + others_.size() + 2);
    if (choice < screens_.size())
        return screens_[choice];
    if (choice < screens_.size() + others_.size())
        return others_[choice - screens_.size()];
    if (random() % 4 == 0)
        Damage(random);
    return damaged_;
}

std::vector<std::string> SoakFiles::PickSeveral(Random& random) {
    std::vector<std::string> paths{Pick(random)};
    for (std::size_t more = random() % 3; more > 0; --more)
        paths.push_back(Pick(random));
    return paths;
}

bool SoakFiles::IsScreen(const std::string& path) const {
    std::error_code error;
    const bool candidate = path == damaged_ || std::find(screens_.begin(), screens_.end(), path) != screens_.end();
    return candidate && fs::file_size(path, error) == ScreenBytes;
}

long ResidentKilobytes() {
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line))
        if (line.rfind("VmRSS:", 0) == 0)
            return std::strtol(line.c_str() + 6, nullptr, 10);
    return -1;
}

}  // namespace soak
