#include "dvrNetAddress.h"

dvrNetAddress::dvrNetAddress(std::string_view host, int port) : port_(port) { setHost(host); }

void dvrNetAddress::setHost(std::string_view host) { host_.assign(host.substr(0, maximumHostLength)); }
