#include "link/byteport.h"

void ReceiveBuffer::receiveStep(BytePort& port) {
    if (!port.isOpen())
        return;
    const qint64 waiting = port.bytesWaiting();
    if (waiting > kQueueLimit) {
        port.discardInput();
        m_bytes.clear();
        return;
    }
    if (waiting <= 0)
        return;
    if (m_bytes.size() > kBufferLimit)
        m_bytes.clear();
    m_bytes.append(port.read(waiting));
}
