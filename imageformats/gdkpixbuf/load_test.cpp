// Screens read through GdkPixbuf as GTK programs read pictures: this build's
// loader in a loaders cache beside the system's loaders, and the screen file
// type in a file-type database of the build's own (the loader is chosen by
// type, as a screen has no signature).

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include <gdk-pixbuf/gdk-pixbuf.h>
#include <gtest/gtest.h>

namespace {

namespace fs = std::filesystem;
constexpr std::size_t ScreenSize = 6912;

struct Loaded {
    GdkPixbuf* pixbuf = nullptr;
    std::string error;
    Loaded() = default;
    Loaded(GdkPixbuf* p, GError* e) : pixbuf(p), error(e ? e->message : "") {
        if (e)
            g_error_free(e);
    }
    Loaded(Loaded&& other) noexcept : pixbuf(other.pixbuf), error(std::move(other.error)) { other.pixbuf = nullptr; }
    ~Loaded() {
        if (pixbuf)
            g_object_unref(pixbuf);
    }
};

Loaded Load(const std::string& path) {
    GError* error = nullptr;
    GdkPixbuf* pixbuf = gdk_pixbuf_new_from_file(path.c_str(), &error);
    return {pixbuf, error};
}

Loaded LoadAtSize(const std::string& path, int width, int height) {
    GError* error = nullptr;
    GdkPixbuf* pixbuf = gdk_pixbuf_new_from_file_at_size(path.c_str(), width, height, &error);
    return {pixbuf, error};
}

// The red, green and blue of every pixel, row by row; empty without a picture.
std::vector<guchar> Rgb(const GdkPixbuf* pixbuf) {
    std::vector<guchar> rgb;
    if (!pixbuf)
        return rgb;
    const int channels = gdk_pixbuf_get_n_channels(pixbuf);
    const int stride = gdk_pixbuf_get_rowstride(pixbuf);
    const guchar* pixels = gdk_pixbuf_read_pixels(pixbuf);
    for (int y = 0; y < gdk_pixbuf_get_height(pixbuf); ++y)
        for (int x = 0; x < gdk_pixbuf_get_width(pixbuf); ++x)
            rgb.insert(rgb.end(), pixels + y * stride + x * channels, pixels + y * stride + x * channels + 3);
    return rgb;
}

std::vector<std::string> RealScreens() {
    std::vector<std::string> paths;
    for (const auto& entry : fs::directory_iterator(SCRLAB_TESTDATA_DIR))
        if (entry.path().extension() == ".scr")
            paths.push_back(entry.path());
    std::sort(paths.begin(), paths.end());
    return paths;
}

std::string ReadAll(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
}

void Write(const std::string& path, const std::string& bytes) { std::ofstream(path, std::ios::binary) << bytes; }

class Folder {
public:
    Folder() {
        char pattern[] = "/tmp/pixbuf-loader-test-XXXXXX";
        path_ = mkdtemp(pattern) ? pattern : "";
    }
    ~Folder() {
        std::error_code ignored;
        fs::remove_all(path_, ignored);
    }
    std::string operator/(const std::string& name) const { return path_ + "/" + name; }

private:
    std::string path_;
};

TEST(ScreenPixbufLoader, ReadsEveryRealScreenAsScrtoolDrawsIt) {
    Folder folder;
    const std::vector<std::string> screens = RealScreens();
    ASSERT_EQ(screens.size(), 11u);
    for (const std::string& screen : screens) {
        SCOPED_TRACE(screen);
        const std::string png = folder / (fs::path(screen).stem().string() + ".png");
        const char* argv[] = {SCRTOOL_PROGRAM, "png", screen.c_str(), "--scale", "1", "-o", png.c_str(), nullptr};
        gint status = -1;
        ASSERT_TRUE(g_spawn_sync(nullptr, const_cast<gchar**>(argv), nullptr, G_SPAWN_DEFAULT, nullptr, nullptr,
                                 nullptr, nullptr, &status, nullptr));
        ASSERT_EQ(status, 0);
        const Loaded expected = Load(png);
        const Loaded picture = Load(screen);
        ASSERT_TRUE(picture.pixbuf) << picture.error;
        EXPECT_EQ(gdk_pixbuf_get_width(picture.pixbuf), 256);
        EXPECT_EQ(gdk_pixbuf_get_height(picture.pixbuf), 192);
        EXPECT_TRUE(Rgb(picture.pixbuf) == Rgb(expected.pixbuf));
    }
    // Read in pieces, as a thumbnailer asks for a smaller picture.
    const Loaded thumbnail = LoadAtSize(screens.front(), 128, 128);
    ASSERT_TRUE(thumbnail.pixbuf) << thumbnail.error;
    EXPECT_EQ(gdk_pixbuf_get_width(thumbnail.pixbuf), 128);
    EXPECT_EQ(gdk_pixbuf_get_height(thumbnail.pixbuf), 96);
}

// Random bytes of a multicolour and a border file, whole and in pieces
// (as a thumbnailer reads), as scrtool draws them; a byte more is refused.
// A .mlt and a Timex hi-colour .scr have one size: the name decides.
TEST(ScreenPixbufLoader, ReadsOtherModesByTheirNamesAsScrtoolDrawsThem) {
    Folder folder;
    std::uint32_t seed = 9;
    for (const auto& [name, size] : {std::pair{"colour.mlt", 12288}, std::pair{"stripes.bsc", 11136}}) {
        SCOPED_TRACE(name);
        std::string bytes(static_cast<std::size_t>(size), '\0');
        for (char& byte : bytes) {
            seed = seed * 1103515245u + 12345u;
            byte = static_cast<char>(seed >> 16);
        }
        const std::string path = folder / name;
        Write(path, bytes);
        const std::string png = folder / "expected.png";
        const char* argv[] = {SCRTOOL_PROGRAM, "png", path.c_str(), "--scale", "1", "-o", png.c_str(), nullptr};
        gint status = -1;
        ASSERT_TRUE(g_spawn_sync(nullptr, const_cast<gchar**>(argv), nullptr, G_SPAWN_DEFAULT, nullptr, nullptr,
                                 nullptr, nullptr, &status, nullptr));
        ASSERT_EQ(status, 0);
        const Loaded expected = Load(png);
        const Loaded whole = Load(path);
        ASSERT_TRUE(whole.pixbuf) << whole.error;
        EXPECT_TRUE(Rgb(whole.pixbuf) == Rgb(expected.pixbuf));
        const Loaded pieces =
            LoadAtSize(path, gdk_pixbuf_get_width(expected.pixbuf), gdk_pixbuf_get_height(expected.pixbuf));
        ASSERT_TRUE(pieces.pixbuf) << pieces.error;
        EXPECT_TRUE(Rgb(pieces.pixbuf) == Rgb(expected.pixbuf));
        Write(path, bytes + '\0');
        EXPECT_FALSE(Load(path).pixbuf);
    }
}

TEST(ScreenPixbufLoader, RefusesWhatIsNoScreenWithoutHanging) {
    Folder folder;
    const std::string screen = ReadAll(RealScreens().front());
    ASSERT_EQ(screen.size(), ScreenSize);
    Write(folder / "program.scr", "MZ" + screen.substr(2));
    Write(folder / "short.scr", screen.substr(1));
    // A 6913th byte shows nothing (some tools save one); two more is no screen.
    Write(folder / "long.scr", screen + std::string(2, '\0'));
    Write(folder / "empty.scr", "");
    fs::create_directory(folder / "folder.scr");
    fs::create_directory(folder / "zero");
    fs::create_symlink("/dev/zero", folder / "zero/x.scr");
    // A FIFO whose writer has put a whole screen in and never closes it.
    fs::create_directory(folder / "fifo");
    ASSERT_EQ(mkfifo((folder / "fifo/x.scr").c_str(), 0600), 0);
    const int writer = open((folder / "fifo/x.scr").c_str(), O_RDWR | O_NONBLOCK);
    ASSERT_GE(writer, 0);
    ASSERT_EQ(write(writer, screen.data(), screen.size()), static_cast<ssize_t>(screen.size()));

    for (const char* name :
         {"program.scr", "short.scr", "long.scr", "empty.scr", "folder.scr", "zero/x.scr", "fifo/x.scr"}) {
        SCOPED_TRACE(name);
        const Loaded whole = Load(folder / name);
        EXPECT_FALSE(whole.pixbuf);
        EXPECT_FALSE(whole.error.empty());
        // GdkPixbuf itself reads a pipe in pieces to its end before any
        // loader can say no; only whole-file loading can refuse it unread.
        if (std::string(name).starts_with("fifo"))
            continue;
        const Loaded pieces = LoadAtSize(folder / name, 128, 128);
        EXPECT_FALSE(pieces.pixbuf);
        EXPECT_FALSE(pieces.error.empty());
    }
    close(writer);
    Write(folder / "fine.scr", screen);
    EXPECT_TRUE(Load(folder / "fine.scr").pixbuf);
}

}  // namespace

int main(int argc, char** argv) {
    ::testing::InitGoogleTest(&argc, argv);
    // Before GdkPixbuf or GIO read either.
    setenv("GDK_PIXBUF_MODULE_FILE", SCRLAB_LOADERS_CACHE, 1);
    setenv("XDG_DATA_HOME", SCRLAB_XDG_DATA_HOME, 1);
    setenv("XDG_DATA_DIRS", "/usr/share", 1);
    return RUN_ALL_TESTS();
}
