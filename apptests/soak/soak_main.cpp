// app_soak [--events N] [--seed S]: N pseudo-random user actions (default
// 100,000) against the real window and the real dispatch. The seed (also
// taken from SCRLAB_SOAK_SEED) is printed first, so a failing run can be
// replayed. Fails on a broken title status line, an impossible current file
// name, views that do not show the working screen, an unexpected undo screen,
// or, from 10,000 actions on, resident memory more than 5 % above its
// level after the first 1,000; the sanitizers fail it on any memory fault.
// Built with AddressSanitizer, the memory figures are only shown: freed memory
// then sits in the sanitizer's quarantine and its records grow, so resident
// memory no longer tells what the program holds.

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <random>
#include <regex>
#include <string>

#include "app/shell.h"
#include "apptests/soak/soak.h"
#include "screen/screen_layout.h"
#include "screen/screen_store.h"
#include "toolkit/controls/controls.h"
#include "toolkit/controls/requester_answers.h"
#include "toolkit/testing/synthetic_input.h"
#include "toolkit/windows/events.h"
#include "toolkit/windows/toolkit_start.h"
#include "toolkit/windows/windows.h"

namespace {

constexpr long WarmUpActions = 1000;
constexpr long MemoryCheckFrom = 10000;
constexpr double MemoryTolerance = 1.05;
#if defined(__SANITIZE_ADDRESS__)
constexpr bool MemoryFiguresAreOurs = false;
#else
constexpr bool MemoryFiguresAreOurs = true;
#endif

struct Options {
    long events = 100000;
    std::uint64_t seed = 0;
};

bool ReadOptions(int argc, char** argv, Options& options) {
    if (const char* seed = std::getenv("SCRLAB_SOAK_SEED"))
        options.seed = std::strtoull(seed, nullptr, 10);
    else
        options.seed = std::random_device()();
    for (int i = 1; i + 1 < argc; i += 2) {
        if (std::strcmp(argv[i], "--events") == 0)
            options.events = std::strtol(argv[i + 1], nullptr, 10);
        else if (std::strcmp(argv[i], "--seed") == 0)
            options.seed = std::strtoull(argv[i + 1], nullptr, 10);
        else
            return false;
    }
    return argc % 2 == 1 && options.events > 0;
}

// Dispatches every event the action raised, as the program's loop would, and
// lets the window system deliver what it holds without ever waiting for it.
void Pump(screen::ScreenStore& store, app::Session& session, soak::PictureWatch& watch, soak::Counts& counts) {
    for (;;) {
        if (toolkit::QueuedEventCount() == 0)
            toolkit::testing::WakeEventLoop();
        const std::int32_t kind = toolkit::WaitEvent();
        if (kind == toolkit::NoEventKind) {
            if (toolkit::QueuedEventCount() == 0)
                return;
            continue;
        }
        ++counts["events dispatched"];
        watch.BeforeDispatch(kind);
        if (app::DispatchEvent(store, session, kind) == toolkit::CloseWindowEvent)
            ++counts["loop ends (Quit or close box)"];
        watch.AfterDispatch();
    }
}

// The title is the start title or a status line, and names a loaded screen.
std::string Fault(const soak::SoakFiles& files, const app::Session& session) {
    static const std::regex status("x:([0-9]|[12][0-9]|3[01]) y:([0-9]|1[0-9]|2[0-3]) "
                                   "attribute:[01]{2}:[01]{3}:[01]{3} file:.*");
    const std::string title = toolkit::WindowCaption(app::MainWindow);
    if (title != "New window ( 0 )" && !std::regex_match(title, status))
        return "title \"" + title + "\"";
    const std::string& name = session.currentFileName;
    if (!name.empty() && !files.IsScreen(name))
        return "current file name \"" + name + "\" names no screen";
    return {};
}

toolkit::RequesterAnswer Answer(const toolkit::RequesterQuestion& question, soak::SoakFiles& files,
                                soak::Random& random, soak::Counts& counts) {
    toolkit::RequesterAnswer answer;
    if (question.kind == toolkit::RequesterKind::OpenFile) {
        answer.path = random() % 5 == 0 ? std::string() : files.Pick(random);
        ++counts[answer.path.empty() ? "requester cancelled" : "requester answered"];
    } else {
        ++counts["message: " + question.title + ": " + question.text];
        answer.button = toolkit::OkButton;
    }
    return answer;
}

int Soak(const Options& options) {
    soak::Random random(options.seed);
    soak::Counts counts;
    soak::SoakFiles files;
    toolkit::SetRequesterAnswerer(
        [&](const toolkit::RequesterQuestion& question) { return Answer(question, files, random, counts); });
    screen::ScreenStore store;
    app::Session session;
    if (!app::BuildMainWindow()) {
        std::fprintf(stderr, "soak: cannot open the main window\n");
        return 1;
    }
    toolkit::testing::QuietPlatformNotes();
    soak::Actions actions(random, files, counts);
    soak::PictureWatch watch(store, session);
    Pump(store, session, watch, counts);

    long warmMemory = 0;
    const auto start = std::chrono::steady_clock::now();
    for (long done = 1; done <= options.events; ++done) {
        const std::string loaded = session.currentFileName;
        toolkit::testing::ActivateWindow(app::MainWindow);
        actions.RunOne();
        Pump(store, session, watch, counts);
        if (session.currentFileName != loaded)
            ++counts["another file loaded"];
        std::string fault = Fault(files, session);
        if (fault.empty())
            fault = watch.Fault();
        if (!fault.empty()) {
            std::fprintf(stderr, "soak: after action %ld: %s (seed %llu)\n", done, fault.c_str(),
                         static_cast<unsigned long long>(options.seed));
            return 1;
        }
        if (done == std::min(WarmUpActions, options.events))
            warmMemory = soak::ResidentKilobytes();
        if (done % 10000 == 0) {
            std::printf("soak: %ld actions, resident %ld kB\n", done, soak::ResidentKilobytes());
            std::fflush(stdout);
        }
    }
    const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    const long endMemory = soak::ResidentKilobytes();

    for (const auto& [what, count] : counts)
        std::printf("  %-60s %ld\n", what.c_str(), count);
    std::printf("soak: %ld actions in %.1f s, %.0f per second\n", options.events, seconds, options.events / seconds);
    std::printf("soak: resident memory %ld kB after %ld actions, %ld kB after %ld (%+.1f %%)%s\n", warmMemory,
                std::min(WarmUpActions, options.events), endMemory, options.events,
                100.0 * (static_cast<double>(endMemory) / static_cast<double>(warmMemory) - 1),
                MemoryFiguresAreOurs ? "" : ", with the sanitizer's quarantine: not checked");
    toolkit::ClearEventQueue();
    toolkit::SetRequesterAnswerer({});
    if (counts.count("MISSING menu item")) {
        std::fprintf(stderr, "soak: a menu item was not found\n");
        return 1;
    }
    if (MemoryFiguresAreOurs && options.events >= MemoryCheckFrom &&
        endMemory > MemoryTolerance * static_cast<double>(warmMemory)) {
        std::fprintf(stderr, "soak: resident memory grew by more than 5 %%\n");
        return 1;
    }
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    Options options;
    if (!ReadOptions(argc, argv, options)) {
        std::fprintf(stderr, "usage: app_soak [--events N] [--seed S]\n");
        return 2;
    }
    std::printf("soak: seed %llu, %ld actions (replay with --seed %llu)\n",
                static_cast<unsigned long long>(options.seed), options.events,
                static_cast<unsigned long long>(options.seed));
    std::fflush(stdout);
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    if (!toolkit::StartToolkit()) {
        std::fprintf(stderr, "soak: %s\n", toolkit::ToolkitStartError().c_str());
        return 1;
    }
    int status = Soak(options);
    toolkit::ShutdownToolkit();
    return status;
}
