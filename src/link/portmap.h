#pragma once

#include <QString>

class Profile;

// The window offers the ports "COM1" to "COM12". On Windows those are the system's own names; on
// other systems the settings file maps each of them to a device in section [ports] (for example
// "COM1=/dev/ttyUSB0"), and an unmapped COMn is the n-th standard serial line, /dev/ttyS<n-1>.
QString deviceForPort(int number, const Profile &profile);
