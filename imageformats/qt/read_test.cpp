// Screens read through QImageReader, as any Qt program reads pictures, with
// the plugin of this build alone on the plugin path. Built against Qt 6 and
// against Qt 5.

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QBuffer>
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QImageReader>
#include <QProcess>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

constexpr int ScreenSize = 6912;

QByteArray ReadAll(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

bool Write(const QString& path, const QByteArray& bytes) {
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
}

QStringList RealScreens() {
    QDir folder(SCRLAB_TESTDATA_DIR);
    QStringList paths;
    for (const QString& name : folder.entryList({"*.scr"}, QDir::Files, QDir::Name))
        paths << folder.filePath(name);
    return paths;
}

// The picture scrtool draws of the screen at one pixel a screen pixel.
QImage ScrtoolPicture(const QString& screen, const QString& folder) {
    const QString png = folder + "/" + QFileInfo(screen).completeBaseName() + ".png";
    QProcess scrtool;
    scrtool.start(SCRTOOL_PROGRAM, {"png", screen, "--scale", "1", "-o", png});
    if (!scrtool.waitForFinished(60000) || scrtool.exitCode() != 0)
        return {};
    return QImage(png).convertToFormat(QImage::Format_RGB888);
}

TEST(ScreenImagePlugin, ReadsEveryRealScreenAsScrtoolDrawsIt) {
    QTemporaryDir folder;
    ASSERT_TRUE(folder.isValid());
    const QStringList screens = RealScreens();
    ASSERT_EQ(screens.size(), 11);
    for (const QString& screen : screens) {
        SCOPED_TRACE(screen.toStdString());
        const QImage expected = ScrtoolPicture(screen, folder.path());
        ASSERT_EQ(expected.size(), QSize(256, 192));
        QImageReader reader(screen);
        EXPECT_TRUE(reader.canRead());
        EXPECT_EQ(reader.format(), QByteArray("scr"));
        EXPECT_EQ(reader.size(), QSize(256, 192));
        const QImage picture = reader.read();
        ASSERT_FALSE(picture.isNull()) << reader.errorString().toStdString();
        EXPECT_TRUE(picture.convertToFormat(QImage::Format_RGB888) == expected);
    }
}

TEST(ScreenImagePlugin, GivesTheSizeAskedFor) {
    const QString screen = RealScreens().value(1);
    const QImage whole = QImageReader(screen).read();
    ASSERT_EQ(whole.size(), QSize(256, 192));

    QImageReader thumbnail(screen);
    thumbnail.setScaledSize(QSize(128, 96));
    EXPECT_EQ(thumbnail.read().size(), QSize(128, 96));

    // Enlarged, every screen pixel stays one sharp block.
    QImageReader enlarged(screen);
    enlarged.setScaledSize(QSize(512, 384));
    const QImage big = enlarged.read();
    ASSERT_EQ(big.size(), QSize(512, 384));
    int differing = 0;
    for (int y = 0; y < 384; ++y)
        for (int x = 0; x < 512; ++x)
            differing += big.pixel(x, y) != whole.pixel(x / 2, y / 2);
    EXPECT_EQ(differing, 0);
}

// A FIFO with a writer that has put a whole screen in and never closes: a
// reader that waits for its end hangs.
class HeldFifo {
public:
    explicit HeldFifo(const QString& path) {
        if (mkfifo(QFile::encodeName(path).constData(), 0600) != 0)
            return;
        descriptor_ = open(QFile::encodeName(path).constData(), O_RDWR | O_NONBLOCK);
        const QByteArray screen(ScreenSize, '\x55');
        if (descriptor_ >= 0 && write(descriptor_, screen.constData(), screen.size()) != screen.size()) {
            close(descriptor_);
            descriptor_ = -1;
        }
    }
    ~HeldFifo() {
        if (descriptor_ >= 0)
            close(descriptor_);
    }
    bool ready() const { return descriptor_ >= 0; }

private:
    int descriptor_ = -1;
};

TEST(ScreenImagePlugin, RefusesWhatIsNoScreenWithoutHanging) {
    QTemporaryDir folder;
    ASSERT_TRUE(folder.isValid());
    const QByteArray screen = ReadAll(RealScreens().value(0));
    ASSERT_EQ(screen.size(), ScreenSize);
    const QString dir = folder.path() + "/";
    ASSERT_TRUE(Write(dir + "program.scr", "MZ" + screen.mid(2)));
    ASSERT_TRUE(Write(dir + "short.scr", screen.left(ScreenSize - 1)));
    // A 6913th byte shows nothing (some tools save one); two more is no screen.
    ASSERT_TRUE(Write(dir + "long.scr", screen + QByteArray(2, '\0')));
    ASSERT_TRUE(Write(dir + "empty.scr", {}));
    ASSERT_TRUE(QDir().mkdir(dir + "folder.scr"));
    ASSERT_TRUE(QDir().mkdir(dir + "zero") && QFile::link("/dev/zero", dir + "zero/x.scr"));
    ASSERT_TRUE(QDir().mkdir(dir + "fifo"));
    HeldFifo fifo(dir + "fifo/x.scr");
    ASSERT_TRUE(fifo.ready());

    for (const char* name :
         {"program.scr", "short.scr", "long.scr", "empty.scr", "folder.scr", "zero/x.scr", "fifo/x.scr"}) {
        SCOPED_TRACE(name);
        for (const QByteArray& format : {QByteArray("scr"), QByteArray()}) {
            // Once the plugin has said no, Qt's own readers try the file by
            // its contents, and they read a pipe until it ends: that wait is
            // Qt's, whatever the pipe is named.
            if (format.isEmpty() && QString(name).startsWith("fifo"))
                continue;
            QImageReader reader(dir + name, format);
            EXPECT_FALSE(reader.canRead());
            EXPECT_TRUE(reader.read().isNull());
        }
    }
    // The same bytes whole are a screen.
    ASSERT_TRUE(Write(dir + "fine.scr", screen));
    EXPECT_FALSE(QImageReader(dir + "fine.scr").read().isNull());
}

// A device of any size that remembers how far into it anything was read.
class CountingDevice : public QIODevice {
public:
    explicit CountingDevice(qint64 size) : size_(size) { open(QIODevice::ReadOnly | QIODevice::Unbuffered); }
    qint64 size() const override { return size_; }
    qint64 furthestRead() const { return furthest_; }

protected:
    qint64 readData(char* data, qint64 most) override {
        const qint64 count = qMin(most, size_ - pos());
        std::fill(data, data + count, '\x0f');
        furthest_ = qMax(furthest_, pos() + count);
        return count;
    }
    qint64 writeData(const char*, qint64) override { return -1; }

private:
    qint64 size_;
    qint64 furthest_ = 0;
};

// No more than the largest file of the format is ever read, whatever size
// the device claims: the largest .scr is a Timex hi-colour + ULAplus picture.
TEST(ScreenImagePlugin, ReadsNoMoreThanTheLargestFileOfItsFormat) {
    constexpr qint64 LargestScr = 12352;
    for (const qint64 size : {qint64(ScreenSize), LargestScr, LargestScr + 1, qint64(1) << 32}) {
        SCOPED_TRACE(size);
        CountingDevice device(size);
        QImageReader reader(&device, "scr");
        const bool taken = size == ScreenSize || size == LargestScr;
        EXPECT_EQ(reader.canRead(), taken);
        EXPECT_EQ(reader.read().isNull(), !taken);
        EXPECT_LE(device.furthestRead(), LargestScr);
    }
    // Refused by its size unread; Qt's own readers then look at its start.
    CountingDevice mlt(qint64(1) << 32);
    EXPECT_TRUE(QImageReader(&mlt, "mlt").read().isNull());
    EXPECT_LE(mlt.furthestRead(), 12288);
}

// Random bytes of one file of each family, read by name as scrtool draws
// them at scale 1; a byte less or more, and the reader says no.
TEST(ScreenImagePlugin, ReadsEachFamilyAsScrtoolDrawsIt) {
    QTemporaryDir folder;
    ASSERT_TRUE(folder.isValid());
    const struct {
        const char* name;
        int size;
        QSize picture;
    } files[] = {{"ulaplus.scr", 6976, {256, 192}}, {"hires.scr", 12289, {512, 384}}, {"pair.img", 13824, {256, 192}},
                 {"colour.mlt", 12288, {256, 192}}, {"linear.mc", 12288, {256, 192}}, {"border.bsc", 11136, {384, 304}},
                 {"three.rgb", 18432, {256, 192}},  {"font.ch6", 2048, {256, 64}},    {"pairs.hrg", 24578, {512, 384}}};
    quint32 seed = 5;
    for (const auto& file : files) {
        SCOPED_TRACE(file.name);
        QByteArray bytes(file.size + 1, '\0');
        for (char& byte : bytes) {
            seed = seed * 1103515245u + 12345u;
            byte = static_cast<char>(seed >> 16);
        }
        const QString path = folder.path() + "/" + file.name;
        ASSERT_TRUE(Write(path, bytes.left(file.size)));
        const QImage expected = ScrtoolPicture(path, folder.path());
        ASSERT_EQ(expected.size(), file.picture);
        QImageReader reader(path);
        EXPECT_EQ(reader.size(), file.picture);
        const QImage picture = reader.read();
        ASSERT_FALSE(picture.isNull()) << reader.errorString().toStdString();
        EXPECT_TRUE(picture.convertToFormat(QImage::Format_RGB888) == expected);
        for (const int size : {file.size - 1, file.size + 1}) {
            if (size == 12288 && QString(file.name).endsWith(".scr"))
                continue;  // a Timex hi-colour screen
            ASSERT_TRUE(Write(path, bytes.left(size)));
            EXPECT_TRUE(QImageReader(path).read().isNull()) << size;
        }
    }
}

}  // namespace

int main(int argc, char** argv) {
    ::testing::InitGoogleTest(&argc, argv);
    QCoreApplication application(argc, argv);
    // This build's plugin alone, whatever is installed on the machine.
    QCoreApplication::setLibraryPaths({SCRLAB_PLUGIN_DIR});
    return RUN_ALL_TESTS();
}
