// Random screens under random runs of every picture operation, run as the
// window runs them: each row of the catalogue and the byte operations around
// the undo copy, clicks without one. The first 6912 bytes are the screen; the
// bytes after them choose the operations and their arguments. After each step
// the laws of that operation are checked against a copy taken before it, and
// the undo screen against a snapshot kept here.

#include <array>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "screen/operations.h"
#include "screen/screen_layout.h"
#include "screen/screen_store.h"
#include "testsupport/pixel_oracle.h"

namespace {

using Screen = std::array<std::uint8_t, screen::ScreenSize>;

using screen::OperationId;

// A step is a row of the catalogue (its place), or one of these.
constexpr std::uint8_t Rows = screen::ScreenOperations.size();
enum Step : std::uint8_t { Click = Rows, Go, Undo, StepCount };
constexpr std::uint8_t RowStep(OperationId id) { return static_cast<std::uint8_t>(id); }

[[noreturn]] void Fail(const char* law, int step) {
    std::fprintf(stderr, "law broken at step %d: %s\n", step, law);
    std::abort();
}

int AttributeOfByte(int offset) {
    const int y = ((offset >> 11) << 6) | (((offset >> 5) & 7) << 3) | ((offset >> 8) & 7);
    return 6144 + (y >> 3) * 32 + (offset & 31);
}

// Whether the colour view shows every pixel alike, eight pixels at a time: a
// pixel shows its cell's ink where its bit is set and its paper where not,
// with the cell's BRIGHT and FLASH.
bool SameColours(const std::uint8_t* a, const std::uint8_t* b) {
    for (int offset = 0; offset < 6144; ++offset) {
        const std::uint8_t attrA = a[AttributeOfByte(offset)];
        const std::uint8_t attrB = b[AttributeOfByte(offset)];
        const int inkA = attrA & 7, paperA = (attrA >> 3) & 7, inkB = attrB & 7, paperB = (attrB >> 3) & 7;
        const unsigned bitsA = a[offset], bitsB = b[offset];
        const unsigned same =
            (bitsA & bitsB & (inkA == inkB ? 0xFFu : 0)) | (bitsA & ~bitsB & (inkA == paperB ? 0xFFu : 0)) |
            (~bitsA & bitsB & (paperA == inkB ? 0xFFu : 0)) | (~bitsA & ~bitsB & (paperA == paperB ? 0xFFu : 0));
        if ((same & 0xFF) != 0xFF || (attrA & 0xC0) != (attrB & 0xC0))
            return false;
    }
    return true;
}

std::uint8_t Reversed(std::uint8_t byte) {
    std::uint8_t reversed = 0;
    for (int bit = 0; bit < 8; ++bit)
        reversed = static_cast<std::uint8_t>(reversed | (((byte >> bit) & 1) << (7 - bit)));
    return reversed;
}

bool SameRange(const std::uint8_t* a, const std::uint8_t* b, int from, int to) {
    return std::memcmp(a + from, b + from, static_cast<std::size_t>(to - from)) == 0;
}

void Load(screen::ScreenStore& store, const Screen& picture) {
    std::memcpy(store.Working(), picture.data(), picture.size());
    screen::TakeUndoCopy(store);
}

// The row run twice on a copy of `before`.
Screen AppliedTwice(const Screen& before, OperationId id) {
    Screen after = before;
    Screen scratch{};
    screen::OperationRow(id).apply(after, scratch);
    screen::OperationRow(id).apply(after, scratch);
    return after;
}

// Reads the steps from the end of the input.
class Program {
public:
    Program(const std::uint8_t* data, std::size_t size) : data_(data), size_(size) {}
    bool empty() const { return size_ == 0; }
    std::uint8_t byte() { return size_ ? data_[--size_] : 0; }
    int integer() {
        std::uint32_t value = 0;
        for (int i = 0; i < 4; ++i)
            value = value << 8 | byte();
        return static_cast<int>(value);
    }
    // A short column or row now and then, else any value at all.
    int coordinate() { return byte() & 1 ? static_cast<int>(byte()) - 64 : integer(); }
    std::string text() {
        std::string text;
        for (std::uint8_t length = byte() % 12; length > 0 && size_; --length)
            text.push_back(static_cast<char>(byte()));
        return text;
    }

private:
    const std::uint8_t* data_;
    std::size_t size_;
};

void CheckClick(const Screen& before, const std::uint8_t* after, int column, int row, bool right, int step) {
    const bool inGrid = column >= 0 && column < 32 && row >= 0 && row < 24;
    for (int r = 0; r < 24; ++r) {
        for (int c = 0; c < 32; ++c) {
            const bool inverted = inGrid && r == row && c >= column && (right || c == column);
            for (int i = 0; i < 8; ++i) {
                const int offset = testsupport::PixelOffset(c * 8, r * 8 + i);
                const std::uint8_t expected = inverted ? static_cast<std::uint8_t>(~before[offset]) : before[offset];
                if (after[offset] != expected)
                    Fail("a click inverts exactly its cells", step);
            }
        }
    }
    if (!SameColours(before.data(), after))
        Fail("a click keeps every pixel's colour", step);
}

// The laws each row of the catalogue must keep; a row without laws here is
// still checked for its undo copy.
void CheckRow(OperationId id, const Screen& before, const std::uint8_t* now, int step) {
    switch (id) {
    case OperationId::Optimize:
        if (!SameColours(before.data(), now))
            Fail("Optimize keeps every pixel's colour", step);
        for (int row = 0; row < 24; ++row)
            if (now[6144 + row * 32] != before[6144 + row * 32])
                Fail("Optimize leaves column 0 alone", step);
        break;
    case OperationId::Invert:
        if (!SameColours(before.data(), now))
            Fail("Invert keeps every pixel's colour", step);
        if (AppliedTwice(before, id) != before)
            Fail("Invert twice is the identity", step);
        break;
    case OperationId::Mirror:
        // Pixel x of a line goes to 255 - x, and a cell's attribute with it.
        for (int offset = 0; offset < 6144; ++offset)
            if (now[offset] != Reversed(before[offset ^ 31]))
                Fail("Mirror moves pixel x to 255 - x", step);
        for (int offset = 6144; offset < 6912; ++offset)
            if (now[offset] != before[offset ^ 31])
                Fail("Mirror moves the attribute of column c to 31 - c", step);
        if (AppliedTwice(before, id) != before)
            Fail("Mirror twice is the identity", step);
        break;
    case OperationId::Contour:
        if (!SameRange(before.data(), now, 6144, 6912))
            Fail("Find contour keeps the attribute area", step);
        for (int offset = 0; offset < 6144; ++offset)
            if (before[offset] & now[offset])
                Fail("Find contour clears every pixel that was set", step);
        break;
    case OperationId::Mask:
        if (!SameRange(before.data(), now, 6144, 6912))
            Fail("Create Mask keeps the attribute area", step);
        for (int offset = 0; offset < 6144; ++offset)
            if (before[offset] & ~now[offset])
                Fail("Create Mask keeps every pixel that was set", step);
        break;
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    Screen picture{};
    std::memcpy(picture.data(), data, std::min(size, picture.size()));
    static screen::ScreenStore store;
    Load(store, picture);
    Screen undoModel = picture;  // what the undo screen must hold

    // A bare screen still gets every operation once.
    static const std::uint8_t everyStep[] = {Undo,
                                             Go,
                                             3,
                                             2,
                                             1,
                                             Click,
                                             0,
                                             1,
                                             Click,
                                             5,
                                             1,
                                             3,
                                             1,
                                             0,
                                             RowStep(OperationId::Mask),
                                             RowStep(OperationId::Contour),
                                             RowStep(OperationId::Mirror),
                                             RowStep(OperationId::Invert),
                                             RowStep(OperationId::Optimize)};
    Program program = size > picture.size() ? Program(data + picture.size(), size - picture.size())
                                            : Program(everyStep, sizeof everyStep);
    for (int step = 0; !program.empty() && step < 24; ++step) {
        Screen before;
        std::memcpy(before.data(), store.Working(), before.size());
        bool snapshot = true;
        const std::uint8_t* now = store.Working();
        const std::uint8_t chosen = program.byte() % StepCount;
        switch (chosen) {
        default: {
            const screen::ScreenOperation& row = screen::ScreenOperations[chosen];
            screen::ChangeWithUndo(store, row.apply);
            CheckRow(static_cast<OperationId>(chosen), before, now, step);
            break;
        }
        case Click: {
            const bool right = program.byte() & 1;
            const int column = program.coordinate();
            const int row = program.coordinate();
            screen::InvertCellsByClick(screen::WorkingScreen(store), column, row,
                                       right ? screen::MouseButton::Right : screen::MouseButton::Left);
            CheckClick(before, now, column, row, right, step);
            snapshot = false;
            break;
        }
        case Go: {
            const int index = program.byte() & 0x80 ? program.integer() : program.byte() % 9;
            const std::string b1 = program.text();
            const std::string b2 = program.text();
            screen::ChangeWithUndo(store, [&](screen::ScreenSpan working, screen::ScreenSpan) {
                screen::ApplyByteOperation(working, index, b1, b2);
            });
            if (!SameRange(before.data(), now, 0, 6144))
                Fail("byte operations keep the bitmap area", step);
            if ((index < 1 || index > 7) && !SameRange(before.data(), now, 6144, 6912))
                Fail("an index without an operation changes nothing", step);
            break;
        }
        case Undo:
            screen::RestoreUndoCopy(store);
            if (!SameRange(undoModel.data(), now, 0, 6912))
                Fail("Undo returns the last snapshot", step);
            snapshot = false;
            break;
        }
        if (snapshot)
            undoModel = before;
        if (!SameRange(undoModel.data(), store.Undo(), 0, 6912))
            Fail("the undo screen holds the screen as it was before the last operation that takes one", step);
    }
    return 0;
}
