#include "link/winserialport.h"

#include <QWinEventNotifier>

#include <windows.h>

#include <utility>

namespace {

constexpr DWORD kReadChunk = 4096;
// A byte takes about a millisecond at 9600 baud: a read ends once the line has been silent for
// one byte time.
constexpr DWORD kReadGapMs = 1;
constexpr ULONGLONG kCloseMarginMs = 200;

// The system's sentence for an error code, in the system's language, without its full stop (the
// link's messages put the reason inside a sentence of their own).
QString systemText(DWORD code) {
    wchar_t *text = nullptr;
    const DWORD length = FormatMessageW(
        FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
        nullptr, code, 0, reinterpret_cast<LPWSTR>(&text), 0, nullptr);
    QString message = length ? QString::fromWCharArray(text, int(length)).trimmed()
                             : QStringLiteral("erreur système %1").arg(code);
    LocalFree(text);
    if (message.endsWith(u'.')) message.chop(1);
    return message;
}

WinSerialPort::SerialPortError openError(DWORD code) {
    switch (code) {
    case ERROR_FILE_NOT_FOUND:
    case ERROR_PATH_NOT_FOUND:
    case ERROR_INVALID_NAME:
        return WinSerialPort::DeviceNotFoundError;
    case ERROR_ACCESS_DENIED: // also a port another program has open
    case ERROR_SHARING_VIOLATION:
        return WinSerialPort::PermissionError;
    default:
        return WinSerialPort::UnknownError;
    }
}

// The byte format and timings of the board link. A read waits for its first byte without a
// limit, then returns at the first gap between bytes (the read interval), so that what came is
// delivered while the line is still busy. Wine reads the documented "return at once" setting
// (interval and multiplier MAXDWORD) as a wait for the whole buffer.
bool configure(HANDLE handle, qint32 baudRate) {
    DCB dcb{};
    dcb.DCBlength = sizeof dcb;
    if (!GetCommState(handle, &dcb)) return false;
    dcb.BaudRate = DWORD(baudRate);
    dcb.ByteSize = 8;
    dcb.Parity = NOPARITY;
    dcb.StopBits = ONESTOPBIT;
    dcb.fBinary = TRUE;
    dcb.fParity = FALSE;
    dcb.fOutxCtsFlow = FALSE;
    dcb.fOutxDsrFlow = FALSE;
    dcb.fDtrControl = DTR_CONTROL_DISABLE;
    dcb.fDsrSensitivity = FALSE;
    dcb.fTXContinueOnXoff = TRUE;
    dcb.fOutX = FALSE;
    dcb.fInX = FALSE;
    dcb.fErrorChar = FALSE;
    dcb.fNull = FALSE; // NUL bytes are board data
    dcb.fRtsControl = RTS_CONTROL_ENABLE;
    dcb.fAbortOnError = FALSE;
    COMMTIMEOUTS timeouts{};
    timeouts.ReadIntervalTimeout = kReadGapMs;
    timeouts.ReadTotalTimeoutMultiplier = 0;
    timeouts.ReadTotalTimeoutConstant = 0;
    return SetCommState(handle, &dcb) && SetCommTimeouts(handle, &timeouts);
}

// An overlapped read or write was handed to the system: done at once, or under way.
bool started(BOOL done) {
    return done || GetLastError() == ERROR_IO_PENDING;
}

// The end of the operation whose event fired: 0 and the bytes it moved in *count, or the system's
// error (ERROR_IO_INCOMPLETE for an event that fired early).
DWORD result(HANDLE handle, OVERLAPPED &overlapped, DWORD *count) {
    ResetEvent(overlapped.hEvent);
    *count = 0;
    return GetOverlappedResult(handle, &overlapped, count, FALSE) ? 0 : GetLastError();
}

} // namespace

struct WinSerialPort::Io : QObject {
    explicit Io(HANDLE handle, QObject *parent) : QObject(parent), handle(handle) {
        readOverlapped.hEvent = CreateEventW(nullptr, TRUE, FALSE, nullptr);
        writeOverlapped.hEvent = CreateEventW(nullptr, TRUE, FALSE, nullptr);
        readNotifier = new QWinEventNotifier(readOverlapped.hEvent, this);
        writeNotifier = new QWinEventNotifier(writeOverlapped.hEvent, this);
    }
    ~Io() override {
        delete readNotifier;
        delete writeNotifier;
        CloseHandle(readOverlapped.hEvent);
        CloseHandle(writeOverlapped.hEvent);
    }
    bool ready() const { return readOverlapped.hEvent && writeOverlapped.hEvent; }
    // Hands the first waiting bytes to the system; false when it refused them.
    bool sendNext(QList<QByteArray> &waiting) {
        inFlight = waiting.takeFirst();
        writing = started(WriteFile(handle, inFlight.constData(), DWORD(inFlight.size()), nullptr,
                                    &writeOverlapped));
        if (!writing) inFlight.clear();
        return writing;
    }
    // The write under way has ended having sent `count` bytes: what it did not send goes first.
    void sent(DWORD count, QList<QByteArray> &waiting) {
        writing = false;
        if (count < DWORD(inFlight.size())) waiting.prepend(inFlight.mid(qsizetype(count)));
        inFlight.clear();
    }

    HANDLE handle;
    OVERLAPPED readOverlapped{};
    OVERLAPPED writeOverlapped{};
    QWinEventNotifier *readNotifier;
    QWinEventNotifier *writeNotifier;
    bool reading = false;
    bool writing = false;
    QByteArray readChunk = QByteArray(kReadChunk, Qt::Uninitialized);
    QByteArray inFlight;
};

WinSerialPort::WinSerialPort(QObject *parent) : QObject(parent) {
}

WinSerialPort::~WinSerialPort() {
    close();
}

bool WinSerialPort::isOpen() const {
    return m_io != nullptr;
}

void WinSerialPort::fail(SerialPortError error, unsigned long systemError) {
    m_errorString = systemText(systemError);
    emit errorOccurred(error);
}

bool WinSerialPort::open(QIODevice::OpenMode) {
    if (isOpen()) {
        m_errorString = QStringLiteral("port déjà ouvert");
        emit errorOccurred(OpenError);
        return false;
    }
    const QString device =
        m_name.startsWith(QLatin1String("\\\\.\\")) ? m_name : QStringLiteral("\\\\.\\") + m_name;
    const HANDLE handle =
        CreateFileW(reinterpret_cast<LPCWSTR>(device.utf16()), GENERIC_READ | GENERIC_WRITE, 0,
                    nullptr, OPEN_EXISTING, FILE_FLAG_OVERLAPPED, nullptr);
    if (handle == INVALID_HANDLE_VALUE) {
        const DWORD code = GetLastError();
        fail(openError(code), code);
        return false;
    }
    if (!configure(handle, m_baudRate)) {
        const DWORD code = GetLastError();
        CloseHandle(handle);
        fail(UnknownError, code);
        return false;
    }
    Io *io = new Io(handle, this);
    if (!io->ready()) {
        const DWORD code = GetLastError();
        CloseHandle(handle);
        delete io;
        fail(ResourceError, code);
        return false;
    }
    m_io = io;
    // An activation that comes from the I/O of a port since closed finds another m_io.
    connect(io->readNotifier, &QWinEventNotifier::activated, this, [this, io] {
        if (m_io == io) readDone();
    });
    connect(io->writeNotifier, &QWinEventNotifier::activated, this, [this, io] {
        if (m_io == io) writeDone();
    });
    startRead();
    return isOpen();
}

void WinSerialPort::startRead() {
    Io &io = *m_io;
    // Either way the event says when it is done.
    io.reading =
        started(ReadFile(io.handle, io.readChunk.data(), kReadChunk, nullptr, &io.readOverlapped));
    if (!io.reading) fail(ResourceError, GetLastError());
}

void WinSerialPort::readDone() {
    Io &io = *m_io;
    DWORD count = 0;
    const DWORD code = result(io.handle, io.readOverlapped, &count);
    if (code == ERROR_IO_INCOMPLETE) return;
    io.reading = false;
    // The device went away (or stopped answering): the transport hears it as a lost port.
    if (code != 0 && code != ERROR_OPERATION_ABORTED) {
        fail(ResourceError, code);
        return;
    }
    if (count > 0) m_received.append(io.readChunk.constData(), qsizetype(count));
    startRead();
    if (count > 0 && isOpen()) emit readyRead();
}

qint64 WinSerialPort::write(const QByteArray &bytes) {
    if (!isOpen()) return -1;
    if (bytes.isEmpty()) return 0;
    m_waiting.append(bytes);
    if (!m_io->writing) startWrite();
    return bytes.size();
}

void WinSerialPort::startWrite() {
    if (!m_waiting.isEmpty() && !m_io->sendNext(m_waiting)) fail(ResourceError, GetLastError());
}

void WinSerialPort::writeDone() {
    Io &io = *m_io;
    DWORD count = 0;
    const DWORD code = result(io.handle, io.writeOverlapped, &count);
    if (code == ERROR_IO_INCOMPLETE) return;
    if (code == ERROR_OPERATION_ABORTED) {
        // Cancelled by clear(): what was written since goes next.
        io.writing = false;
        io.inFlight.clear();
        startWrite();
        return;
    }
    if (code != 0) {
        io.writing = false;
        io.inFlight.clear();
        fail(ResourceError, code);
        return;
    }
    io.sent(count, m_waiting);
    startWrite();
    if (count > 0) emit bytesWritten(qint64(count));
}

qint64 WinSerialPort::bytesToWrite() const {
    if (!m_io) return 0;
    qint64 bytes = m_io->inFlight.size();
    for (const QByteArray &part : m_waiting)
        bytes += part.size();
    return bytes;
}

bool WinSerialPort::clear(Direction direction) {
    if (!m_io) return false;
    DWORD flags = 0;
    if (direction & Output) {
        m_waiting.clear();
        // The write under way keeps its buffer until the system says that it has ended.
        flags |= PURGE_TXABORT | PURGE_TXCLEAR;
    }
    if (direction & Input) {
        m_received.clear();
        flags |= PURGE_RXCLEAR; // the read under way stays pending
    }
    return PurgeComm(m_io->handle, flags) != FALSE;
}

bool WinSerialPort::setDataTerminalReady(bool on) {
    // Some adapters (and a pseudo-terminal under Wine) have no modem lines: the caller goes on.
    return isOpen() && EscapeCommFunction(m_io->handle, on ? SETDTR : CLRDTR);
}

QByteArray WinSerialPort::readAll() {
    return std::exchange(m_received, {});
}

void WinSerialPort::close() {
    if (!m_io) return;
    Io *io = std::exchange(m_io, nullptr);
    io->readNotifier->setEnabled(false);
    io->writeNotifier->setEnabled(false);
    // What was written is sent, as a serial line sends its buffer when it closes: the writes
    // under way are given the time their bytes take at the line's rate (ten bits a byte) and a
    // margin, then whatever is left is cancelled.
    qint64 bytes = io->inFlight.size();
    for (const QByteArray &part : std::as_const(m_waiting))
        bytes += part.size();
    const ULONGLONG deadline =
        GetTickCount64() + kCloseMarginMs + ULONGLONG(bytes) * 10000 / ULONGLONG(m_baudRate);
    while (io->writing) {
        const ULONGLONG now = GetTickCount64();
        if (now >= deadline ||
            WaitForSingleObject(io->writeOverlapped.hEvent, DWORD(deadline - now)) != WAIT_OBJECT_0)
            break;
        DWORD count = 0;
        if (result(io->handle, io->writeOverlapped, &count) != 0) {
            io->writing = false;
            break;
        }
        io->sent(count, m_waiting);
        if (m_waiting.isEmpty() || !io->sendNext(m_waiting)) break;
    }
    m_waiting.clear();
    CancelIo(io->handle);
    DWORD ignored = 0;
    // The system writes into the buffers until a cancelled operation has ended.
    if (io->reading) GetOverlappedResult(io->handle, &io->readOverlapped, &ignored, TRUE);
    if (io->writing) GetOverlappedResult(io->handle, &io->writeOverlapped, &ignored, TRUE);
    CloseHandle(io->handle);
    // Its notifiers may be the ones that called here.
    io->deleteLater();
}
