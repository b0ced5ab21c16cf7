#include "scrtool/commands.h"

#include <cstdio>
#include <iostream>
#include <malloc.h>

#include "scrtool/interrupts.h"
#include "scrtool/run_context.h"
#include "scrtool/run_plan.h"

namespace scrtool {

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

int Run(const Invocation& inv) {
    const CommandSpec& command = *inv.command;
    RunPlan plan{inv.inputs, {}};
    if (command.writes)
        plan = PlanRun(inv.inputs, [&](const std::string& input) { return command.writes(inv, input); });
    if (!plan.refusal.empty()) {
        std::fprintf(stderr, "scrtool: %s\n", plan.refusal.c_str());
        return UsageError;
    }
    RunContext run;
    const InterruptSyncs interrupts(run.folders);
    bool allDone = true;
    if (command.start)
        command.start(run, inv, plan.inputs);
    if (command.wholeRun)
        allDone = command.run(run, inv, {});
    else
        for (const std::string& input : plan.inputs)
            allDone = command.run(run, inv, input) && allDone;
    if (command.finish)
        command.finish(run, inv);
    // Before the status says the files are saved; an interrupt waits for it,
    // as for a file.
    {
        InterruptGuard guard;
        run.folders.SyncAll();
    }
    if (!std::cout.flush()) {
        Report("standard output", "cannot write");
        allDone = false;
    }
    return allDone ? AllDone : SomeFailed;
}

}  // namespace scrtool
