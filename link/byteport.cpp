#include "link/byteport.h"

qint64 ReceiveBuffer::receiveStep(BytePort& port) {
    if (!port.isOpen())
        return 0;
    const qint64 waiting = port.bytesWaiting();
    if (waiting > kQueueLimit) {
        port.discardInput();
        m_bytes.clear();
        return waiting;
    }
    if (waiting <= 0)
        return 0;
    if (m_bytes.size() > kBufferLimit)
        m_bytes.clear();
    m_bytes.append(port.read(waiting));
    return waiting;
}
