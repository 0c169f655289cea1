#pragma once

// How many frames a page tree may still open. Frame sets whose frames load
// frame sets (themselves, say) would otherwise grow without end: the tree
// holds at most maxFrames frames with pages and nests them at most maxDepth
// deep. Where the cap is reached one empty frame stands in for the rest,
// and every frame after it is left out.
class TFrameBudget {
public:
    static constexpr int maxFrames = 64;
    static constexpr int maxDepth = 8;

    explicit TFrameBudget(int frames = maxFrames) : m_left(frames) {}

    // A frame with a page; false once the cap is reached (the frame then
    // stays empty when it is the first past the cap, see takeEmpty).
    bool take();
    // The frame past the cap that stays empty; false for every later one,
    // which is left out.
    bool takeEmpty();
    // A frame taken that turned out to be a frame set.
    void giveBack() { ++m_left; }
    // True once the empty frame is placed: later frames are left out.
    bool closed() const { return m_closed; }
    // Whether any frame was emptied or left out.
    bool capped() const { return m_capped; }
    void markCapped() { m_capped = true; }

private:
    int m_left;
    bool m_closed = false;
    bool m_capped = false;
};
