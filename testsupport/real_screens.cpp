#include "testsupport/real_screens.h"

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <stdexcept>

namespace testsupport {
namespace {

std::vector<RealScreen> LoadRealScreens() {
    std::vector<RealScreen> screens;
    for (const auto& entry : std::filesystem::directory_iterator(SCRLAB_TESTDATA_DIR)) {
        if (entry.path().extension() != ".scr")
            continue;
        std::ifstream in(entry.path(), std::ios::binary);
        const std::vector<char> bytes{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
        if (bytes.size() != ScreenFileBytes)
            throw std::runtime_error("not a 6912-byte test screen: " + entry.path().string());
        RealScreen screen{entry.path().stem().string(), entry.path().string(), {}};
        std::copy(bytes.begin(), bytes.end(), screen.bytes.begin());
        screens.push_back(std::move(screen));
    }
    std::sort(screens.begin(), screens.end(), [](const RealScreen& a, const RealScreen& b) { return a.name < b.name; });
    if (screens.size() < 10)
        throw std::runtime_error("the test screens are missing from " SCRLAB_TESTDATA_DIR);
    return screens;
}

}  // namespace

const std::vector<RealScreen>& RealScreens() {
    static const std::vector<RealScreen> screens = LoadRealScreens();
    return screens;
}

std::vector<std::string> RealScreenNames() {
    std::vector<std::string> names;
    for (const RealScreen& screen : RealScreens())
        names.push_back(screen.name);
    return names;
}

const RealScreen& RealScreenNamed(const std::string& name) {
    const std::string stem = name.ends_with(".scr") ? name.substr(0, name.size() - 4) : name;
    for (const RealScreen& screen : RealScreens())
        if (screen.name == stem)
            return screen;
    throw std::out_of_range("no test screen " + name);
}

const ScreenBytes& RealScreenBytes(const std::string& name) { return RealScreenNamed(name).bytes; }

const std::string& RealScreenPath(const std::string& name) { return RealScreenNamed(name).path; }

}  // namespace testsupport
