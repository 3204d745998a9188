#pragma once

#include "dvrNetwork.h"

// A connection the system opens itself: built closed, opened once by connect.
class dvrNetworkClient : public dvrNetwork {
public:
    dvrNetworkClient() = default;

    // Resolves host and port (low 16 bits) and connects to the first address that answers
    // within the time-out. 1, or -1 when nothing could be reached or the client was opened before.
    int connect(const dvrNetAddress& address);
};
