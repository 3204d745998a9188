#pragma once

// The card's picture sizes by resolution index (1-12; 0 is no picture), for PAL and NTSC.
class dvrXecapResolutions {
public:
    static constexpr int count = 13;
    // The index the board falls back to when the bandwidth budget is used up.
    static constexpr int fallback = 8;

    struct Size {
        int width = 0;
        int height = 0;
    };

    // 0 x 0 for an index outside 1-12.
    static Size size(int index, bool pal);
    // Bandwidth weight: 4 for full frames (1-3), 2 for full-width fields (4-6), 1 for the rest
    // (7-12), 0 for none.
    static int weight(int index);
};
