#pragma once

#include <span>

// The network camera models offered by "ctype". A value's hundred-thousands digit selects the
// URL family; the rest selects the model within the family.
class dvrNetworkCameraModels {
public:
    enum Family { genericUrl = 0, axis = 1, panasonic = 2, vivotek = 3, mobotix = 4, pixord = 5, sony = 6, mirdal = 7 };

    struct Model {
        const char* label;
        int value;
    };

    // In the order the choice offers them.
    static std::span<const Model> all();
    // The family of a "ctype" value; -1 for values outside every family.
    static int familyOf(int value);
};
