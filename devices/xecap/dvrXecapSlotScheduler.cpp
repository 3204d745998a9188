#include "dvrXecapSlotScheduler.h"

#include <algorithm>
#include <cmath>

#include "log/dvrLog.h"

void dvrXecapSlotScheduler::setup(int framesPerSecond, int camerasPerGroup) {
    slots_ = framesPerSecond % 31;
    if (slots_ <= 0)
        slots_ = 1;
    cameras_ = camerasPerGroup % 33;
    if (cameras_ <= 0)
        cameras_ = 1;
    logVerbose("SetupAttribute::Max %dFramerate, Max %dCAM \n", framesPerSecond, camerasPerGroup);
}

std::vector<int> dvrXecapSlotScheduler::schedule(const std::vector<int>& requests) const {
    std::vector<int> rates(static_cast<std::size_t>(cameras_), 0);
    for (std::size_t camera = 0; camera < rates.size() && camera < requests.size(); ++camera)
        rates[camera] = std::max(requests[camera], 0);
    if (std::any_of(rates.begin(), rates.end(), [this](int rate) { return rate > slots_; }))
        return std::vector<int>(static_cast<std::size_t>(slots_), 0);

    std::vector<int> order;
    for (int camera = 0; camera < cameras_; ++camera)
        if (rates[static_cast<std::size_t>(camera)] > 0)
            order.push_back(camera);
    std::stable_sort(order.begin(), order.end(), [&rates](int a, int b) {
        return rates[static_cast<std::size_t>(a)] > rates[static_cast<std::size_t>(b)];
    });

    std::vector<int> slots(static_cast<std::size_t>(slots_), emptySlot);
    for (int camera : order) {
        std::vector<int> free;
        for (int slot = 0; slot < slots_; ++slot)
            if (slots[static_cast<std::size_t>(slot)] == emptySlot)
                free.push_back(slot);
        if (free.empty())
            break;
        int rate = rates[static_cast<std::size_t>(camera)];
        double step = static_cast<double>(free.size()) / rate;
        for (int u = 1; u <= rate; ++u) {
            // The u-th share lands on the free slot nearest to u steps (1-based). When the rates
            // add up to more than the slots, the later camera gets what is left.
            int number = static_cast<int>(std::floor(u * step + 0.5));
            number = std::clamp(number, 1, static_cast<int>(free.size()));
            slots[static_cast<std::size_t>(free[static_cast<std::size_t>(number - 1)])] = camera;
        }
    }
    return slots;
}
