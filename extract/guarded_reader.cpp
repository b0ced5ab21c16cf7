#include "extract/guarded_reader.h"

#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstring>

namespace extract {
namespace {

constexpr auto ReaderTimeLimit = std::chrono::seconds(10);

// The child's answer, as one stream: each text as its length and bytes.
class Message {
public:
    void putNumber(std::uint64_t value) { put(&value, sizeof value); }
    void putText(const std::string& text) {
        putNumber(text.size());
        put(text.data(), text.size());
    }
    void put(const void* data, std::size_t size) {
        const auto* bytes = static_cast<const std::uint8_t*>(data);
        bytes_.insert(bytes_.end(), bytes, bytes + size);
    }
    const std::vector<std::uint8_t>& bytes() const { return bytes_; }

private:
    std::vector<std::uint8_t> bytes_;
};

class Reply {
public:
    explicit Reply(const std::vector<std::uint8_t>& bytes) : bytes_(bytes) {}
    bool take(void* out, std::size_t size) {
        if (bytes_.size() - at_ < size)
            return false;
        std::memcpy(out, bytes_.data() + at_, size);
        at_ += size;
        return true;
    }
    bool takeNumber(std::uint64_t& value) { return take(&value, sizeof value); }
    bool takeText(std::string& text) {
        std::uint64_t size = 0;
        if (!takeNumber(size) || size > bytes_.size() - at_)
            return false;
        text.assign(reinterpret_cast<const char*>(bytes_.data() + at_), size);
        at_ += size;
        return true;
    }
    bool done() const { return at_ == bytes_.size(); }

private:
    const std::vector<std::uint8_t>& bytes_;
    std::size_t at_ = 0;
};

Message encode(const Contents& contents) {
    Message message;
    message.putText(contents.error);
    message.putNumber(contents.found.size());
    for (const Found& found : contents.found) {
        message.putNumber(static_cast<std::uint64_t>(static_cast<std::int64_t>(found.block)));
        message.putText(found.kind);
        message.putText(found.name);
        message.putNumber(found.length);
        message.putNumber(found.isScreen ? 1 : 0);
        message.put(found.screen.data(), found.screen.size());
    }
    return message;
}

bool decode(const std::vector<std::uint8_t>& bytes, Contents& contents) {
    Reply reply(bytes);
    std::uint64_t count = 0;
    if (!reply.takeText(contents.error) || !reply.takeNumber(count))
        return false;
    for (std::uint64_t i = 0; i < count; ++i) {
        Found found;
        std::uint64_t block = 0, length = 0, isScreen = 0;
        if (!reply.takeNumber(block) || !reply.takeText(found.kind) || !reply.takeText(found.name) ||
            !reply.takeNumber(length) || !reply.takeNumber(isScreen) ||
            !reply.take(found.screen.data(), found.screen.size()))
            return false;
        found.block = static_cast<int>(static_cast<std::int64_t>(block));
        found.length = length;
        found.isScreen = isScreen != 0;
        contents.found.push_back(std::move(found));
    }
    return reply.done();
}

bool writeAll(int fd, const std::vector<std::uint8_t>& bytes) {
    for (std::size_t at = 0; at < bytes.size();) {
        const ssize_t written = ::write(fd, bytes.data() + at, bytes.size() - at);
        if (written < 0 && errno == EINTR)
            continue;
        if (written <= 0)
            return false;
        at += static_cast<std::size_t>(written);
    }
    return true;
}

// Everything the child writes until it closes the pipe, or false at the time limit.
bool readAll(int fd, std::vector<std::uint8_t>& bytes) {
    const auto deadline = std::chrono::steady_clock::now() + ReaderTimeLimit;
    std::uint8_t chunk[65536];
    for (;;) {
        const auto left =
            std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now());
        if (left.count() <= 0)
            return false;
        pollfd waiting{fd, POLLIN, 0};
        const int ready = ::poll(&waiting, 1, static_cast<int>(left.count()));
        if (ready < 0 && errno == EINTR)
            continue;
        if (ready <= 0)
            return false;
        const ssize_t got = ::read(fd, chunk, sizeof chunk);
        if (got < 0 && errno == EINTR)
            continue;
        if (got <= 0)
            return got == 0;
        bytes.insert(bytes.end(), chunk, chunk + got);
    }
}

}  // namespace

Contents findScreensGuarded(std::span<const std::uint8_t> file, const std::string& fileName) {
    int pipeEnds[2];
    if (::pipe(pipeEnds) != 0)
        return {{}, std::string("cannot start the reader: ") + std::strerror(errno)};
    const pid_t child = ::fork();
    if (child < 0) {
        ::close(pipeEnds[0]);
        ::close(pipeEnds[1]);
        return {{}, std::string("cannot start the reader: ") + std::strerror(errno)};
    }
    if (child == 0) {
        ::close(pipeEnds[0]);
        const bool sent = writeAll(pipeEnds[1], encode(findScreens(file, fileName)).bytes());
        ::_exit(sent ? 0 : 1);
    }
    ::close(pipeEnds[1]);
    std::vector<std::uint8_t> reply;
    const bool finished = readAll(pipeEnds[0], reply);
    ::close(pipeEnds[0]);
    if (!finished)
        ::kill(child, SIGKILL);
    int status = 0;
    while (::waitpid(child, &status, 0) < 0 && errno == EINTR) {
    }
    Contents contents;
    if (!finished)
        return {{}, "libspectrum took too long reading the file"};
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0 || !decode(reply, contents))
        return {{}, "libspectrum failed reading the file (a damaged file)"};
    return contents;
}

}  // namespace extract
