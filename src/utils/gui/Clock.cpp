#include "utils/gui/Clock.h"

#include "platform/Clock.h"

namespace Nimbrel::Utils::GUI {

namespace {
TimeSource clockSource = nullptr;
}

double Now()
{
    return clockSource ? clockSource() : GetSeconds();
}

void SetTimeSource(TimeSource source)
{
    clockSource = source;
}

}  // namespace Nimbrel::Utils::GUI
