// The decoding of a drag's URL list into the dropped file list, byte for byte.

#include <QMimeData>
#include <QUrl>

#include <gtest/gtest.h>

#include "toolkit/drop/drop.h"
#include "toolkit/drop/drop_target_qt.h"
#include "toolkit/drop/dropped_files.h"

namespace toolkit {
namespace {

TEST(DroppedFiles, LocalFilesComeInDraggedOrderJoinedByLineFeeds) {
    EXPECT_EQ(DroppedFilesOfUriList("file:///pics/first%20one.scr\r\n"
                                    "# a comment line\r\n"
                                    "http://example.org/not-a-file.scr\r\n"
                                    "file:///pics/b%C3%BCld.scr\r\n"),
              "/pics/first one.scr\n/pics/b\xc3\xbcld.scr");
    EXPECT_EQ(DroppedFilesOfUriList("file:///only.scr"), "/only.scr");
    EXPECT_EQ(DroppedFilesOfUriList(""), "");
    EXPECT_EQ(DroppedFilesOfUriList("http://example.org/a.scr\r\n"), "");
}

TEST(DroppedFiles, ABlockIsReadUpToItsEndMarkAndNeverPastItsSize) {
    const std::uint8_t block[] = {'/', 'a', 0, '/', 'b', 'c', 0, 0, '/', 'x', 0};
    EXPECT_EQ(FileListOfBlock(block, sizeof block), "/a\n/bc");
    // A block cut short has no end mark: the last name ends with the block.
    EXPECT_EQ(FileListOfBlock(block, 5), "/a\n/b");
    EXPECT_EQ(FileListOfBlock(block, 0), "");
}

// A file URL may carry a zero byte or a line feed in its name. Copied as they
// were, "/a%00/etc/passwd" listed "/a" and "/etc/passwd" as two names and
// "/pics%0A/other.scr" began the list with "/pics": the first name, the one
// loaded, was a file nobody dragged.
TEST(DroppedFiles, NamesWithZeroBytesOrLineFeedsAreLeftOutInsteadOfSplit) {
    EXPECT_EQ(DroppedFilesOfUriList("file:///a%00/etc/passwd\r\nfile:///pics/title.scr\r\n"), "/pics/title.scr");
    EXPECT_EQ(DroppedFilesOfUriList("file:///pics%0A/other.scr\r\nfile:///pics/title.scr\r\n"), "/pics/title.scr");
    // With nothing else dragged there is no file to offer, so no drop.
    QMimeData data;
    data.setUrls({QUrl("file:///pics%0A/other.scr")});
    EXPECT_FALSE(DragOffersFormat(&data, FilesDropFormat));
    EXPECT_EQ(DroppedFilesOfUriList("file:///a%00b\r\n"), "");
}

}  // namespace
}  // namespace toolkit
