#include "link/serialport.h"

#include <QMetaObject>

#include <atomic>
#include <chrono>
#include <functional>
#include <initializer_list>
#include <thread>
#include <windows.h>

// The Win32 communications calls on \\.\COMn: opened for this program alone, 9600 8N1 without
// flow control, DTR and RTS off, and reads that return at once with what has arrived. The
// handle is overlapped so that a watcher thread can wait for arriving bytes (EV_RXCHAR) while
// this thread reads and writes; the watcher only tells this thread, which does all the reading.
namespace {
// What this thread did on the line, for the watcher.
struct LineActivity {
    std::atomic<unsigned> reads{0};              // reads and discards
    std::atomic<long long> sentAtUs{-1'000'000}; // the last send, on the steady clock
};

long long nowUs() {
    return std::chrono::duration_cast<std::chrono::microseconds>(
               std::chrono::steady_clock::now().time_since_epoch())
        .count();
}
} // namespace

struct SerialBytePort::Line {
    HANDLE handle = INVALID_HANDLE_VALUE;
    HANDLE readDone = nullptr; // events of this thread's overlapped reads and writes
    HANDLE writeDone = nullptr;
    HANDLE stop = nullptr; // set: the watcher ends
    std::thread watcher;
    std::atomic<bool> told{false}; // an arrival is on its way to this thread
    LineActivity activity;
    bool isOpen() const { return handle != INVALID_HANDLE_VALUE; }
    void startWatcher(std::function<void()> arrived);
    void close();
};

namespace {
PortOpenError openErrorOf(DWORD code) {
    switch (code) {
    case ERROR_FILE_NOT_FOUND:
    case ERROR_PATH_NOT_FOUND:
    case ERROR_BAD_UNIT:
        return PortOpenError::DeviceNotFound;
    case ERROR_ACCESS_DENIED:
    case ERROR_SHARING_VIOLATION:
        return PortOpenError::Permission;
    case ERROR_INVALID_FUNCTION:
    case ERROR_NOT_SUPPORTED:
    case ERROR_INVALID_PARAMETER:
        return PortOpenError::UnsupportedOperation;
    default:
        return PortOpenError::Unknown;
    }
}

QString systemText(DWORD code) {
    wchar_t* text = nullptr;
    const DWORD n = FormatMessageW(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM |
                                       FORMAT_MESSAGE_IGNORE_INSERTS,
                                   nullptr, code, 0, reinterpret_cast<wchar_t*>(&text), 0, nullptr);
    QString s = n > 0 ? QString::fromWCharArray(text, int(n)).trimmed()
                      : QStringLiteral("error %1").arg(code);
    LocalFree(text);
    return s;
}

bool configure(HANDLE h) {
    DCB dcb{};
    dcb.DCBlength = sizeof dcb;
    if (!GetCommState(h, &dcb))
        return false;
    dcb.BaudRate = CBR_9600;
    dcb.ByteSize = 8;
    dcb.Parity = NOPARITY;
    dcb.StopBits = ONESTOPBIT;
    dcb.fBinary = TRUE;
    dcb.fParity = FALSE;
    dcb.fOutxCtsFlow = FALSE;
    dcb.fOutxDsrFlow = FALSE;
    dcb.fDtrControl = DTR_CONTROL_DISABLE;
    dcb.fRtsControl = RTS_CONTROL_DISABLE;
    dcb.fDsrSensitivity = FALSE;
    dcb.fOutX = FALSE;
    dcb.fInX = FALSE;
    dcb.fErrorChar = FALSE;
    dcb.fNull = FALSE;
    dcb.fAbortOnError = FALSE;
    if (!SetCommState(h, &dcb))
        return false;
    COMMTIMEOUTS t{};
    t.ReadIntervalTimeout = MAXDWORD; // return at once with what is there
    t.WriteTotalTimeoutConstant = 1000;
    return SetCommTimeouts(h, &t) && PurgeComm(h, PURGE_RXCLEAR | PURGE_TXCLEAR) &&
           SetCommMask(h, EV_RXCHAR);
}

// The end of an overlapped call that `started` (its return value): false when it failed.
bool finished(HANDLE h, OVERLAPPED& ov, BOOL started, DWORD& count) {
    if (!started && GetLastError() != ERROR_IO_PENDING)
        return false;
    return GetOverlappedResult(h, &ov, &count, TRUE) != FALSE;
}

// How one wait for EV_RXCHAR ended.
enum class Woke { Waited, AtOnce, CannotWait, Stopped };

Woke waitForBytes(HANDLE h, OVERLAPPED& ov, HANDLE stop) {
    DWORD mask = 0;
    DWORD count = 0;
    ResetEvent(ov.hEvent);
    if (WaitCommEvent(h, &mask, &ov))
        return Woke::AtOnce;
    if (GetLastError() != ERROR_IO_PENDING)
        return Woke::CannotWait;
    const HANDLE either[2] = {ov.hEvent, stop};
    DWORD woke = WaitForMultipleObjects(2, either, FALSE, 0);
    const bool atOnce = woke == WAIT_OBJECT_0;
    if (woke == WAIT_TIMEOUT)
        woke = WaitForMultipleObjects(2, either, FALSE, INFINITE);
    if (woke != WAIT_OBJECT_0) {
        CancelIoEx(h, &ov);
        GetOverlappedResult(h, &ov, &count, TRUE); // ov must outlive the wait
        return Woke::Stopped;
    }
    if (!GetOverlappedResult(h, &ov, &count, FALSE))
        return Woke::CannotWait;
    return atOnce || !(mask & EV_RXCHAR) ? Woke::AtOnce : Woke::Waited;
}

// Where the system cannot wait for bytes, how long until the queue is looked at again: every
// millisecond from a send until its reply may have come, at the link's tick otherwise. From the
// send, not from when the command is out: the engine times each arrival, and bytes seen only
// after the command's own wire time would make a line that delivers at once look like one at
// 9600 baud, on which the quickest replies then seem too early to be true.
DWORD nextLookMs(const LineActivity& activity) {
    const long long since = nowUs() - activity.sentAtUs;
    return since >= 0 && since < 250'000 ? 1 : 20;
}

// Runs on the watcher thread until `stop` is set or the line fails (unplugged: the engine's
// ticks find that out and reopen, with a new watcher). Where the system cannot wait for bytes
// (Wine on a pseudo-terminal ends every wait at once, having no modem lines to watch) the queue
// is looked at instead (nextLookMs). Wine also reports EV_RXCHAR at once while unread bytes
// wait: bytes found without a wait are news only when the queue has changed or was read
// meanwhile.
void watchArrivals(HANDLE h, HANDLE stop, const LineActivity& activity,
                   const std::function<void()>& arrived) {
    OVERLAPPED ov{};
    ov.hEvent = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    bool canWait = ov.hEvent != nullptr;
    DWORD toldQueue = 0;
    unsigned toldReads = activity.reads;
    for (;;) {
        const Woke woke = canWait ? waitForBytes(h, ov, stop) : Woke::CannotWait;
        if (woke == Woke::Stopped)
            break;
        canWait = canWait && woke != Woke::CannotWait;
        const unsigned readsNow = activity.reads;
        DWORD errors = 0;
        COMSTAT status{};
        if (!ClearCommError(h, &errors, &status))
            break;
        const DWORD queue = status.cbInQue;
        if (queue > 0 && (woke == Woke::Waited || queue != toldQueue || readsNow != toldReads))
            arrived();
        toldQueue = queue;
        toldReads = readsNow;
        if (WaitForSingleObject(stop, woke == Woke::Waited ? 0 : nextLookMs(activity)) !=
            WAIT_TIMEOUT)
            break;
    }
    if (ov.hEvent)
        CloseHandle(ov.hEvent);
}
} // namespace

void SerialBytePort::Line::startWatcher(std::function<void()> arrived) {
    readDone = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    writeDone = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    stop = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    if (stop) // without a watcher the ticks still take the bytes
        watcher = std::thread(watchArrivals, handle, stop, std::cref(activity), std::move(arrived));
}

void SerialBytePort::Line::close() {
    if (watcher.joinable()) {
        SetEvent(stop);
        watcher.join();
    }
    for (HANDLE* h : {&readDone, &writeDone, &stop})
        if (*h) {
            CloseHandle(*h);
            *h = nullptr;
        }
    if (isOpen()) {
        CloseHandle(handle);
        handle = INVALID_HANDLE_VALUE;
    }
}

SerialBytePort::SerialBytePort(QString settingsPath, QObject* parent)
    : QObject(parent), m_line(std::make_unique<Line>()), m_settingsPath(std::move(settingsPath)) {}

SerialBytePort::~SerialBytePort() {
    close();
}

bool SerialBytePort::openNow(const QString& device) {
    closeNow();
    // COM10 and above are reachable only through the device namespace; the lower ones too.
    const QString path =
        device.startsWith(QLatin1String("\\\\.\\")) ? device : QStringLiteral("\\\\.\\") + device;
    HANDLE h =
        CreateFileW(reinterpret_cast<const wchar_t*>(path.utf16()), GENERIC_READ | GENERIC_WRITE,
                    0 /* no sharing */, nullptr, OPEN_EXISTING, FILE_FLAG_OVERLAPPED, nullptr);
    if (h == INVALID_HANDLE_VALUE) {
        const DWORD code = GetLastError();
        return refuse(device, openErrorOf(code), systemText(code));
    }
    if (!configure(h)) {
        const DWORD code = GetLastError();
        CloseHandle(h);
        return refuse(device, PortOpenError::UnsupportedOperation, systemText(code));
    }
    m_line->handle = h;
    m_openError.clear();
    // One queued call at a time however fast the bytes come: the engine reads all there is.
    m_line->startWatcher([this] {
        if (!m_line->told.exchange(true))
            QMetaObject::invokeMethod(
                this,
                [this] {
                    m_line->told = false;
                    notifyArrival();
                },
                Qt::QueuedConnection);
    });
    return true;
}

void SerialBytePort::closeNow() {
    m_line->close();
}

bool SerialBytePort::isOpen() const {
    return m_line->isOpen();
}

void SerialBytePort::send(const QByteArray& bytes) {
    if (!isOpen())
        return;
    m_line->activity.sentAtUs = nowUs();
    OVERLAPPED ov{};
    ov.hEvent = m_line->writeDone;
    DWORD written = 0;
    const BOOL started =
        WriteFile(m_line->handle, bytes.constData(), DWORD(bytes.size()), &written, &ov);
    if (!finished(m_line->handle, ov, started, written) && GetLastError() != ERROR_TIMEOUT)
        closeNow(); // unplugged: the port stays wanted, reopenIfLost() brings it back
}

qint64 SerialBytePort::bytesWaiting() {
    if (!isOpen())
        return 0;
    DWORD errors = 0;
    COMSTAT status{};
    if (!ClearCommError(m_line->handle, &errors, &status)) {
        closeNow();
        return 0;
    }
    return status.cbInQue;
}

void SerialBytePort::discardInput() {
    if (isOpen())
        PurgeComm(m_line->handle, PURGE_RXCLEAR);
    ++m_line->activity.reads;
}

QByteArray SerialBytePort::read(qint64 count) {
    if (!isOpen() || count <= 0)
        return QByteArray();
    QByteArray bytes(count, Qt::Uninitialized);
    OVERLAPPED ov{};
    ov.hEvent = m_line->readDone;
    DWORD got = 0;
    const BOOL started = ReadFile(m_line->handle, bytes.data(), DWORD(count), &got, &ov);
    const bool done = finished(m_line->handle, ov, started, got);
    ++m_line->activity.reads;
    if (!done) {
        closeNow();
        return QByteArray();
    }
    bytes.resize(got);
    return bytes;
}
