#include "link/serialport.h"

#include <windows.h>

// The Win32 communications calls on \\.\COMn: opened for this program alone, 9600 8N1 without
// flow control, DTR and RTS off, and reads that return at once with what has arrived (the
// engine's clock polls; nothing here waits).
struct SerialBytePort::Line {
    HANDLE handle = INVALID_HANDLE_VALUE;
    bool isOpen() const { return handle != INVALID_HANDLE_VALUE; }
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
    return SetCommTimeouts(h, &t) && PurgeComm(h, PURGE_RXCLEAR | PURGE_TXCLEAR);
}
} // namespace

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
                    0 /* no sharing */, nullptr, OPEN_EXISTING, 0, nullptr);
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
    return true;
}

void SerialBytePort::closeNow() {
    if (m_line->isOpen()) {
        CloseHandle(m_line->handle);
        m_line->handle = INVALID_HANDLE_VALUE;
    }
}

bool SerialBytePort::isOpen() const {
    return m_line->isOpen();
}

void SerialBytePort::send(const QByteArray& bytes) {
    if (!isOpen())
        return;
    DWORD written = 0;
    if (!WriteFile(m_line->handle, bytes.constData(), DWORD(bytes.size()), &written, nullptr) &&
        GetLastError() != ERROR_TIMEOUT)
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
}

QByteArray SerialBytePort::read(qint64 count) {
    if (!isOpen() || count <= 0)
        return QByteArray();
    QByteArray bytes(count, Qt::Uninitialized);
    DWORD got = 0;
    if (!ReadFile(m_line->handle, bytes.data(), DWORD(count), &got, nullptr)) {
        closeNow();
        return QByteArray();
    }
    bytes.resize(got);
    return bytes;
}
