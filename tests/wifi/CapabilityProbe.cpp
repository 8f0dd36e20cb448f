// Prints whether this process may ask the kernel for scans, for the test
// that runs it as another user with and without the file capability.
#include "wifi/Capabilities.h"

#include <cstdio>

int main() {
    std::puts(marlow::wifi::holdsNetAdmin() ? "may scan" : "may not scan");
    return 0;
}
