#include "app/KeyboardSourceSwitch.h"

namespace quillo {

void KeyboardSourceSwitch::setSink(Sink sink)
{
    sink_ = sink;
    current_->setSink(std::move(sink));
}

void KeyboardSourceSwitch::switchTo(KeyboardSource &next)
{
    if (&next == current_)
        return;
    current_->setSink({});
    current_ = &next;
    current_->setSink(sink_);
}

} // namespace quillo
