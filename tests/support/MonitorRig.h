#pragma once

#include "app/AppState.h"
#include "input/InputMonitor.h"
#include "support/AppStateFixture.h"
#include "support/FakeEventSource.h"
#include "support/LogRecorder.h"

namespace thrumwise::test {

// An input monitor on a fake source, with its application state and log.
// Members end in reverse: the monitor before its source.
struct MonitorRig {
    FakeEventSource source;
    AppStateFixture app;
    AppState& state = app.state();
    LogRecorder log;
    InputMonitor monitor{source, state, log.logger()};
};

}  // namespace thrumwise::test
