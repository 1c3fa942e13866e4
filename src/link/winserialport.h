#pragma once

#include <QByteArray>
#include <QIODevice>
#include <QList>
#include <QObject>
#include <QString>

// A serial port through the Win32 communications API, with the part of QSerialPort's interface
// that SerialTransport uses, so that the link behaves on Windows as it does elsewhere. Reads and
// writes are overlapped: the system signals their end to the event loop (QWinEventNotifier), so
// nothing waits and nothing spins. A read is always pending while the port is open and completes
// as soon as a byte has arrived; each write() is handed to the system at once and, while one is
// under way, the next ones queue in order behind it.
class WinSerialPort final : public QObject {
    Q_OBJECT
public:
    // The names QSerialPort gives them, as SerialTransport tells them apart.
    enum SerialPortError {
        NoError,
        DeviceNotFoundError,
        PermissionError,
        OpenError,
        WriteError,
        ReadError,
        ResourceError,
        UnsupportedOperationError,
        UnknownError,
        TimeoutError,
        NotOpenError
    };
    Q_ENUM(SerialPortError)
    enum DataBits { Data8 = 8 };
    enum Parity { NoParity };
    enum StopBits { OneStop = 1 };
    enum FlowControl { NoFlowControl };
    enum Direction { Input = 1, Output = 2, AllDirections = Input | Output };

    explicit WinSerialPort(QObject *parent = nullptr);
    ~WinSerialPort() override;

    // "COM3", or a whole device name ("\\.\COM17"); COM10 and above need the whole form, which
    // open() gives any short name.
    void setPortName(const QString &name) { m_name = name; }
    QString portName() const { return m_name; }
    void setBaudRate(qint32 rate) { m_baudRate = rate; }
    qint32 baudRate() const { return m_baudRate; }
    void setDataBits(DataBits) {}
    DataBits dataBits() const { return Data8; }
    void setParity(Parity) {}
    Parity parity() const { return NoParity; }
    void setStopBits(StopBits) {}
    StopBits stopBits() const { return OneStop; }
    void setFlowControl(FlowControl) {}
    FlowControl flowControl() const { return NoFlowControl; }
    // What arrives is always kept whole until read.
    void setReadBufferSize(qint64) {}

    // 8 data bits, no parity, one stop bit, no flow control, binary (every byte kept, NUL
    // included), DTR off.
    bool open(QIODevice::OpenMode mode);
    bool isOpen() const;
    // Lets the writes under way end (for at most the time their bytes take on the line), then
    // cancels what is left and closes.
    void close();
    bool setDataTerminalReady(bool on);
    qint64 write(const QByteArray &bytes);
    // Every write is already with the system; waiting for the line would block the window.
    bool flush() { return isOpen(); }
    // The bytes written whose write the system has not completed yet.
    qint64 bytesToWrite() const;
    // Drops what waits: for Output the bytes queued behind the write under way and what the system
    // has not sent of that write (it ends as cancelled); for Input what arrived and was not read.
    bool clear(Direction direction = AllDirections);
    QByteArray readAll();

    QString errorString() const { return m_errorString; }
    void clearError() { m_errorString.clear(); }

signals:
    void readyRead();
    // A write of the system has completed, having sent `bytes`.
    void bytesWritten(qint64 bytes);
    void errorOccurred(WinSerialPort::SerialPortError error);

private:
    struct Io; // the system's handle and the state of its overlapped reads and writes

    void fail(SerialPortError error, unsigned long systemError);
    void startRead();
    void readDone();
    void startWrite();
    void writeDone();
    void release();

    QString m_name;
    qint32 m_baudRate = 9600;
    Io *m_io = nullptr;          // while open
    QByteArray m_received;       // what arrived and was not read yet
    QList<QByteArray> m_waiting; // what waits for the write under way, in order
    QString m_errorString;
};
