#include "tools/manualpoll.h"

namespace tools {

PollSwitch switchPoll(const ManualConfig& config, LinkEngine& engine) {
    if (engine.isIdle()) {
        const bool started = config.unit == TestedUnit::Main ? engine.startStatusPoll()
                                                             : engine.startExpansionStatusPoll();
        return started ? PollSwitch::Started : PollSwitch::Unchanged;
    }
    return stopPoll(config, engine) ? PollSwitch::Stopped : PollSwitch::Unchanged;
}

bool stopPoll(const ManualConfig& config, LinkEngine& engine) {
    return config.unit == TestedUnit::Main ? engine.stopStatusPoll()
                                           : engine.stopExpansionStatusPoll();
}

} // namespace tools
