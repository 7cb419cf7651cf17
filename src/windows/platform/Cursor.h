#pragma once
// The mouse pointer is a state, not a stack: the hourglass is set before a window opens and reset
// by that window when it activates, possibly from another handler.
namespace pointer {
void hourglass();
void reset();
bool isHourglass();
}
