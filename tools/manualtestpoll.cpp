#include "tools/manualtestpoll.h"

namespace tools {

PollSwitch switchPoll(const ManualTestConfig& config, LinkEngine& engine) {
    if (engine.isIdle()) {
        const bool started = config.unit == TestedUnit::Main ? engine.startStatusPoll()
                                                             : engine.startExpansionStatusPoll();
        return started ? PollSwitch::Started : PollSwitch::Unchanged;
    }
    return stopPoll(config, engine) ? PollSwitch::Stopped : PollSwitch::Unchanged;
}

bool stopPoll(const ManualTestConfig& config, LinkEngine& engine) {
    return config.unit == TestedUnit::Main ? engine.stopStatusPoll()
                                           : engine.stopExpansionStatusPoll();
}

} // namespace tools
