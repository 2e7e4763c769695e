// kst has no progress bar for the codec's positions; its stop question is the signal flag.
#pragma once

#include "locked_format.h"
#include "platform.h"

namespace kst {

class InterruptProgress : public lockedfile::ProgressSink {
public:
    void SetRange() override {}
    void SetPos(int) override {}
    bool StopRequested() override { return InterruptRequested(); }
};

}  // namespace kst
