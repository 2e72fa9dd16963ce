// The evening job, for a timer or cron once the quote software has the day's data.
#include "app/evening_job.h"
#include "command.h"

namespace varneth::cli {

namespace {

int daily(Context& ctx) {
    app::EveningJob job(*ctx.session);
    if (!job.run()) return 1;
    const auto lines = job.summary();
    if (!lines) return 1;
    for (const auto& line : *lines) ctx.out << line.name << '\t' << line.value << '\n';
    return 0;
}

}  // namespace

std::vector<Command> dailyCommands() {
    // Each step takes the write lock for itself: a window open on the directory waits a step, not the job.
    return {{"daily", "", 0, 0, {}, true, daily, Command::Access::Files}};
}

}  // namespace varneth::cli
