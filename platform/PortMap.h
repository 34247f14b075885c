#pragma once
// Port numbers 1..4 to serial devices. The environment value VELMORA_COM1..4
// wins for one run; then a path stored under "Settings" as
// "Com1".."Com4" wins; otherwise the first of /dev/ttyUSB(n-1),
// /dev/ttyACM(n-1) and /dev/ttyS(n-1) that exists; otherwise
// /dev/ttyS(n-1).

#include <QString>

namespace platform {

QString devicePathFor(int port);

// The folder searched for the tty devices: /dev, or another one (tests); an
// empty path goes back to /dev.
void useDeviceFolder(const QString& folder);

} // namespace platform
