#pragma once

// The busy flag with its hourglass cursor. On: the wait cursor for the whole
// application; off: pending events are processed first, then the cursor is
// restored. While the flag is on the command dispatcher ignores commands.
namespace busy {

void setBusy(bool on);
bool isBusy();

// The hourglass alone, for work that must not stop commands (building a
// screen replays its switches' commands): shown while the object lives.
class Hourglass {
public:
    Hourglass();
    ~Hourglass();
    Hourglass(const Hourglass&) = delete;
    Hourglass& operator=(const Hourglass&) = delete;

private:
    bool m_shown = false;
};

} // namespace busy
