#pragma once

#include "link/byteport.h"

#include <QList>

// An in-memory serial line: tests queue what the module "sent" and read back what was written.
class MemoryPort : public BytePort {
public:
    bool openResult = true;
    bool opened = false;
    QList<int> openedNumbers;
    QByteArray incoming; // waiting to be received
    QByteArray written;
    int discards = 0;

    bool open(int portNumber) override {
        openedNumbers << portNumber;
        opened = openResult;
        return opened;
    }
    void close() override { opened = false; }
    bool isOpen() const override { return opened; }
    void send(const QByteArray& bytes) override {
        if (opened)
            written += bytes;
    }
    qint64 bytesWaiting() override { return incoming.size(); }
    void discardInput() override {
        ++discards;
        incoming.clear();
    }
    QByteArray read(qint64 count) override {
        const QByteArray out = incoming.left(count);
        incoming.remove(0, out.size());
        return out;
    }
};
