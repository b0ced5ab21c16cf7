#include "scrtool/commands.h"

#include <cstdio>
#include <filesystem>
#include <iostream>
#include <malloc.h>

#include "files/file_names.h"
#include "files/screen_files.h"
#include "scrtool/export_commands.h"
#include "scrtool/help.h"
#include "scrtool/import_command.h"
#include "scrtool/interrupts.h"
#include "scrtool/mode_facts.h"
#include "scrtool/mode_input.h"
#include "modes/picture_modes.h"
#include "scrtool/output_writes.h"
#include "scrtool/picture.h"
#include "scrtool/run_plan.h"
#include "scrtool/screen_facts.h"
#include "scrtool/screen_io.h"
#include "scrtool/transforms.h"

namespace scrtool {
namespace {

using files::AttributeFileSize;
using files::BitmapFileSize;
using screen::AttributeStart;

constexpr char PngSuffix[] = ".png";
constexpr char ScreenSuffix[] = ".scr";

// What one run carries from file to file.
struct RunContext {
    // The folders of the screens written so far whose renames are not yet on
    // disk. One sync per folder at the end of the run rather than one per
    // file: on a batch of small screens the folder syncs would cost more than
    // the files themselves.
    files::PendingFolderSyncs folders;
};

// A file replaced in full or not at all, even when the user interrupts. A
// stream (standard output, a pipe, a terminal) is not replaced but written,
// and an interrupt may end the program while it waits for a reader.
bool Write(RunContext& run, const std::string& name, std::span<const std::uint8_t> bytes,
           Durability durability = Durability::Synced) {
    const std::string cause = WriteResult(name, bytes, durability, run.folders);
    if (!cause.empty())
        Report(OutputName(name), cause);
    return cause.empty();
}

bool Transform(RunContext& run, const Invocation& inv, const std::string& input) {
    ScreenRead read = ReadScreen(input);
    if (!read.error.empty()) {
        Report(InputName(input), read.error);
        return false;
    }
    ApplyTransform(inv, read.screen);
    return Write(run, inv.inPlace ? input : *inv.output, read.screen);
}

bool Split(RunContext& run, const std::string& input) {
    const ScreenRead read = ReadScreen(input);
    if (!read.error.empty()) {
        Report(InputName(input), read.error);
        return false;
    }
    const std::string base = files::SplitBaseName(input);
    for (const char* suffix : {files::BitmapFileSuffix, files::AttributeFileSuffix}) {
        if (WouldReplace(base + suffix, input)) {
            Report(InputName(input), "split would write over this file itself; rename it first");
            return false;
        }
    }
    // As the window does: the attribute file is written even when the bitmap file fails.
    const bool bitmap = Write(run, base + files::BitmapFileSuffix, std::span(read.screen).first(BitmapFileSize));
    const bool attributes = Write(run, base + files::AttributeFileSuffix,
                                  std::span(read.screen).subspan(AttributeStart, AttributeFileSize));
    return bitmap && attributes;
}

bool Join(RunContext& run, const Invocation& inv) {
    const ReadResult bitmap = ReadExactly(inv.inputs[0], BitmapFileSize, {"not a bitmap file", "a bitmap file is"});
    if (!bitmap.error.empty())
        Report(InputName(inv.inputs[0]), bitmap.error);
    const ReadResult attributes =
        ReadExactly(inv.inputs[1], AttributeFileSize, {"not an attribute file", "an attribute file is"});
    if (!attributes.error.empty())
        Report(InputName(inv.inputs[1]), attributes.error);
    if (!bitmap.error.empty() || !attributes.error.empty())
        return false;
    Bytes joined = bitmap.bytes;
    joined.insert(joined.end(), attributes.bytes.begin(), attributes.bytes.end());
    return Write(run, *inv.output, joined);
}

// Where a picture of a screen, or a screen of a picture, goes: -o, else the
// input's name with the suffix, in --out-dir when given.
std::string OutputFor(const Invocation& inv, const std::string& input, const char* suffix) {
    if (inv.output)
        return *inv.output;
    const std::string base = files::SplitBaseName(input) + suffix;
    if (!inv.outDir)
        return base;
    return (std::filesystem::path(*inv.outDir) / std::filesystem::path(base).filename()).string();
}

bool Png(RunContext& run, const Invocation& inv, const std::string& input) {
    const PictureRead read = ReadPictureFile(input);
    if (!read.error.empty()) {
        Report(InputName(input), read.error);
        return false;
    }
    const std::string output = OutputFor(inv, input, PngSuffix);
    if (!inv.output && WouldReplace(output, input)) {
        Report(InputName(input), "the picture would write over this file itself; name the picture with -o");
        return false;
    }
    const PngLook look{inv.view,  inv.scale, inv.grid ? Grid::On : Grid::Off, inv.palette->levels,
                       inv.flash, inv.frames};
    const auto png = PngOf(*read.file.mode, read.file.bytes, look);
    if (!png) {
        Report(InputName(input), png.error().Message());
        return false;
    }
    return Write(run, output, *png, Durability::Atomic);
}

bool Import(RunContext& run, const Invocation& inv, const std::string& input) {
    const ReadResult read = ReadPicture(input);
    if (!read.error.empty()) {
        Report(InputName(input), read.error);
        return false;
    }
    const std::string output = OutputFor(inv, input, std::string(ImportSuffix(inv)).c_str());
    if (!inv.output && WouldReplace(output, input)) {
        Report(InputName(input), "the screen would write over this file itself; name the screen with -o");
        return false;
    }
    const ModeChoice mode = ImportModeFor(inv, output);
    const ModeWrite written = ImportInto(*mode.mode, read.bytes, ImportOptionsOf(inv), inv.flicker, PaletteLevels());
    if (!written.bytes) {
        Report(InputName(input), written.cause);
        return false;
    }
    return Write(run, output, *written.bytes);
}

bool Thumbnail(RunContext& run, const Invocation& inv) {
    const PictureRead read = ReadPictureFile(inv.inputs[0]);
    if (!read.error.empty()) {
        Report(InputName(inv.inputs[0]), read.error);
        return false;
    }
    const auto png = ThumbnailOf(*read.file.mode, read.file.bytes, inv.thumbnailSize);
    if (!png) {
        Report(InputName(inv.inputs[0]), png.error().Message());
        return false;
    }
    return Write(run, *inv.output, *png, Durability::Atomic);
}

bool Info(const Invocation& inv, const std::string& input, bool& firstJson) {
    const PictureRead read = ReadPictureFile(input);
    if (!read.error.empty()) {
        Report(InputName(input), read.error);
        return false;
    }
    std::string text;
    if (read.file.mode == &modes::ClassicMode()) {
        const ScreenFacts facts = ExamineScreen(ClassicScreen(read.file));
        text = inv.json ? InfoJson(InputName(input), facts) : InfoText(InputName(input), facts);
    } else {
        const base::Result<ModeFacts> facts = ExamineMode(read.file);
        if (!facts) {
            Report(InputName(input), facts.error().Message());
            return false;
        }
        text = inv.json ? ModeInfoJson(InputName(input), *facts) : ModeInfoText(InputName(input), *facts);
    }
    std::cout << (inv.json ? (firstJson ? "[\n" : ",\n") : "") << text;
    firstJson = firstJson && !inv.json;
    return true;
}

constexpr std::size_t CellsListed = 40;

// Other modes decode, so not-blank holds for them as for screens; the other
// conditions are about a classic screen's attributes and are not met.
bool CheckOtherMode(const Invocation& inv, const std::string& input, const PictureFile& file) {
    if (const auto decoded = file.mode->decode(file.bytes, screen::FlashPhase::First); !decoded) {
        Report(InputName(input), decoded.error().Message());
        return false;
    }
    bool met = true;
    for (const Condition condition : inv.conditions) {
        const bool blank = std::all_of(file.bytes.begin(), file.bytes.end(), [](std::uint8_t b) { return b == 0; });
        if (condition == Condition::NotBlank ? !blank : false)
            continue;
        met = false;
        Report(InputName(input), std::string(ConditionName(condition)) + " failed: " +
                                     (condition == Condition::NotBlank ? std::string("every byte is zero")
                                                                       : "checked on classic screens only, this is " +
                                                                             std::string(file.mode->name)));
    }
    return met;
}

std::string Breach(Condition condition, const ScreenFacts& facts) {
    const std::vector<Cell> cells = CellsBreaking(facts, condition);
    const std::string count = std::to_string(cells.size());
    switch (condition) {
    case Condition::NoInvisiblePixels:
        return count + " cells with ink = paper hide set pixels: " + CellList(cells, CellsListed);
    case Condition::NoFlash: return count + " cells with FLASH: " + CellList(cells, CellsListed);
    case Condition::NoBright: return count + " cells with BRIGHT: " + CellList(cells, CellsListed);
    case Condition::Optimized: return count + " cells Optimize would change: " + CellList(cells, CellsListed);
    case Condition::NotBlank: return "every byte is zero";
    }
    return {};
}

bool Check(const Invocation& inv, const std::string& input) {
    const PictureRead read = ReadPictureFile(input);
    if (!read.error.empty()) {
        Report(InputName(input), read.error);
        return false;
    }
    if (read.file.mode != &modes::ClassicMode())
        return CheckOtherMode(inv, input, read.file);
    const ScreenFacts facts = ExamineScreen(ClassicScreen(read.file));
    bool met = true;
    for (const Condition condition : inv.conditions) {
        if (Meets(facts, condition))
            continue;
        met = false;
        Report(InputName(input), std::string(ConditionName(condition)) + " failed: " + Breach(condition, facts));
    }
    return met;
}

}  // namespace

void Report(const std::string& what, const std::string& cause) {
    std::cout.flush();
    std::fprintf(stderr, "scrtool: %s: %s\n", what.c_str(), cause.c_str());
}

void KeepMemoryBetweenFiles() {
#ifdef M_TRIM_THRESHOLD
    // A picture takes about half a megabyte (the drawing, its packed rows,
    // zlib's tables) and frees it all. By default the C library returns that
    // to the system after each file and maps it again for the next; the
    // fresh pages cost about a third of png's time per file.
    mallopt(M_TRIM_THRESHOLD, 16 << 20);
    mallopt(M_MMAP_THRESHOLD, 16 << 20);
#endif
}

// The files an input of the run would write.
std::vector<std::string> OutputsOf(const Invocation& inv, const std::string& input) {
    if (IsTransform(*inv.command))
        return {inv.inPlace ? input : *inv.output};
    if (inv.command->action == Action::Split) {
        const std::string base = files::SplitBaseName(input);
        return {base + files::BitmapFileSuffix, base + files::AttributeFileSuffix};
    }
    if (inv.command->action == Action::Png)
        return {OutputFor(inv, input, PngSuffix)};
    if (inv.command->action == Action::Import)
        return {OutputFor(inv, input, std::string(ImportSuffix(inv)).c_str())};
    if (inv.command->action == Action::Export)
        return {ExportOutput(inv, input)};
    if (inv.command->action == Action::Extract && !inv.list)
        return {ExtractOutputs(inv, input)};
    return {};
}

int Run(const Invocation& inv) {
    const Action action = inv.command->action;
    const bool writesPerInput = IsTransform(*inv.command) || action == Action::Split || action == Action::Png ||
                                action == Action::Import || action == Action::Export || action == Action::Extract;
    RunPlan plan{inv.inputs, {}};
    if (writesPerInput)
        plan = PlanRun(inv.inputs, [&](const std::string& input) { return OutputsOf(inv, input); });
    if (!plan.refusal.empty()) {
        std::fprintf(stderr, "scrtool: %s\n", plan.refusal.c_str());
        return UsageError;
    }
    RunContext run;
    const InterruptSyncs interrupts(run.folders);
    bool allDone = true;
    bool firstJson = true;
    switch (action) {
    case Action::Help: std::cout << HelpText(inv.topic); return AllDone;
    case Action::Version: std::cout << VersionText(); return AllDone;
    case Action::Join: allDone = Join(run, inv); break;
    case Action::Thumbnail: allDone = Thumbnail(run, inv); break;
    default: {
        const WriteFile writeFile = [&run](const std::string& name, std::span<const std::uint8_t> bytes,
                                           Durability durability) { return Write(run, name, bytes, durability); };
        ExtractNames extractNames(action == Action::Extract ? plan.inputs : std::vector<std::string>{});
        for (const std::string& input : plan.inputs) {
            bool done = true;
            if (IsTransform(*inv.command))
                done = Transform(run, inv, input);
            else if (action == Action::Split)
                done = Split(run, input);
            else if (action == Action::Png)
                done = Png(run, inv, input);
            else if (action == Action::Import)
                done = Import(run, inv, input);
            else if (action == Action::Info)
                done = Info(inv, input, firstJson);
            else if (action == Action::Check)
                done = Check(inv, input);
            else if (action == Action::Export)
                done = ExportScreen(inv, input, writeFile);
            else if (action == Action::Extract)
                done = ExtractScreens(inv, input, writeFile, extractNames);
            allDone = allDone && done;
        }
    }
    }
    // Before the status says the files are saved (and, should something
    // throw, in the destructor); an interrupt waits for it, as for a file.
    {
        InterruptGuard guard;
        run.folders.SyncAll();
    }
    if (inv.json)
        std::cout << (firstJson ? "[]\n" : "\n]\n");
    if (!std::cout.flush()) {
        Report("standard output", "cannot write");
        allDone = false;
    }
    return allDone ? AllDone : SomeFailed;
}

}  // namespace scrtool
