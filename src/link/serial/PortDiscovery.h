// Finding the analyzer board's port: the active driver entry of the serial
// adapter, else the first serial port.
#pragma once

#include "DriverRegistry.h"

#include <string>

namespace marlow {

inline constexpr const char* DefaultPortName = "COM1:";
inline constexpr const char* ActiveDriverPrefix = "Drivers\\Active\\";

// "Drivers\Active\NN", the number with two digits at least.
std::string activeDriverKey(int number);

// The "Name" of the first key whose "PnpId" starts with "Quatech" (keys 0 to
// 50), else with "Socket" (keys 0 to 40), else "COM1:".
std::string discoverPort(const DriverRegistry& registry);

// The device to open for a port name: "COMn:" is /dev/ttyS(n-1); any other
// name is a path already.
std::string devicePathForPort(const std::string& portName);

} // namespace marlow
