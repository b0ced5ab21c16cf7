#include "extract/guarded_reader.h"

#include <cstring>

#include "extract/child_process.h"
#include "screen/screen_layout.h"

namespace extract {
namespace {

// Per block, the most an answer holds besides the screen's bytes: five
// numbers and two short texts with their lengths.
constexpr std::size_t BlockAnswer = 256;
// A snapshot's screens and a tape's packed loading screens are unpacked, so
// they may be longer than the file.
constexpr std::size_t SnapshotScreens = 2 * 16384;
constexpr std::size_t PackedScreens = MaxPackedScreens * screen::ScreenSize;

// The child's answer, as one stream: each text as its length and bytes.
class Message {
public:
    void PutNumber(std::uint64_t value) { Put(&value, sizeof value); }
    void PutText(const std::string& text) { PutBytes(text.data(), text.size()); }
    void PutBytes(const void* data, std::size_t size) {
        PutNumber(size);
        Put(data, size);
    }
    std::vector<std::uint8_t> Take() { return std::move(bytes_); }

private:
    void Put(const void* data, std::size_t size) {
        const auto* bytes = static_cast<const std::uint8_t*>(data);
        bytes_.insert(bytes_.end(), bytes, bytes + size);
    }
    std::vector<std::uint8_t> bytes_;
};

class Reply {
public:
    explicit Reply(const std::vector<std::uint8_t>& bytes) : bytes_(bytes) {}
    bool TakeNumber(std::uint64_t& value) { return Take(&value, sizeof value); }
    template <typename Container>
    bool TakeBytes(Container& out) {
        std::uint64_t size = 0;
        if (!TakeNumber(size) || size > bytes_.size() - at_)
            return false;
        out.assign(bytes_.data() + at_, bytes_.data() + at_ + size);
        at_ += size;
        return true;
    }
    bool Done() const { return at_ == bytes_.size(); }

private:
    bool Take(void* out, std::size_t size) {
        if (bytes_.size() - at_ < size)
            return false;
        std::memcpy(out, bytes_.data() + at_, size);
        at_ += size;
        return true;
    }
    const std::vector<std::uint8_t>& bytes_;
    std::size_t at_ = 0;
};

std::vector<std::uint8_t> Encode(const Contents& contents) {
    Message message;
    message.PutText(contents.error);
    message.PutNumber(contents.found.size());
    for (const Found& found : contents.found) {
        message.PutNumber(static_cast<std::uint64_t>(static_cast<std::int64_t>(found.block)));
        message.PutText(found.kind);
        message.PutText(found.name);
        message.PutNumber(found.length);
        message.PutNumber(found.isScreen ? 1 : 0);
        message.PutBytes(found.screen.data(), found.screen.size());
        message.PutText(found.mode);
    }
    return message.Take();
}

bool Decode(const std::vector<std::uint8_t>& bytes, Contents& contents) {
    Reply reply(bytes);
    std::uint64_t count = 0;
    if (!reply.TakeBytes(contents.error) || !reply.TakeNumber(count) || count > MaxDataBlocks)
        return false;
    for (std::uint64_t i = 0; i < count; ++i) {
        Found found;
        std::uint64_t block = 0, length = 0, isScreen = 0;
        if (!reply.TakeNumber(block) || !reply.TakeBytes(found.kind) || !reply.TakeBytes(found.name) ||
            !reply.TakeNumber(length) || !reply.TakeNumber(isScreen) || !reply.TakeBytes(found.screen) ||
            !reply.TakeBytes(found.mode))
            return false;
        found.block = static_cast<int>(static_cast<std::int64_t>(block));
        found.length = length;
        found.isScreen = isScreen != 0;
        contents.found.push_back(std::move(found));
    }
    return reply.Done();
}

}  // namespace

Contents FindScreensGuarded(std::span<const std::uint8_t> file, const std::string& fileName) {
    ChildLimits limits;
    limits.reply = file.size() + MaxDataBlocks * BlockAnswer + SnapshotScreens + PackedScreens;
    const ChildOutcome outcome = RunInChild([&] { return Encode(FindScreens(file, fileName)); }, limits);
    Contents contents;
    switch (outcome.end) {
    case ChildEnd::Answered:
        if (Decode(outcome.reply, contents))
            return contents;
        break;
    case ChildEnd::TooLong: return {{}, "libspectrum took too long reading the file"};
    case ChildEnd::TooLarge: return {{}, "libspectrum gave back more than the file holds"};
    case ChildEnd::Failed: break;
    }
    return {{}, "libspectrum failed reading the file (a damaged file)"};
}

}  // namespace extract
