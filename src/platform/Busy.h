#pragma once

// The busy flag with its hourglass cursor. On: the wait cursor for the whole
// application; off: pending events are processed first, then the cursor is
// restored. While the flag is on the command dispatcher ignores commands.
namespace busy {

void setBusy(bool on);
bool isBusy();

} // namespace busy
