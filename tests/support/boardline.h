#pragma once

#include <QtGlobal> // QSKIP comes with the test's own <QTest>

// A case that needs a serial line of its own (a pseudo-terminal, the board simulator on one)
// starts with NEEDS_BOARD_LINE(). The Windows test programs, which run under Wine, have neither:
// there such a case is skipped with the reason, and the Windows checks play the board through
// the simulator on a COM port instead.
#ifdef Q_OS_WIN
#define NEEDS_BOARD_LINE()                                                                         \
    QSKIP("needs a pseudo-terminal and the board simulator (the Linux build runs this case)")
#else
#define NEEDS_BOARD_LINE()                                                                         \
    do {                                                                                           \
    } while (false)
#endif
