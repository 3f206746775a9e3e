#pragma once

#include "data/history.h"
#include "link/linkengine.h"

#include <QObject>

#include <bitset>
#include <functional>
#include <optional>
#include <vector>

class ModuleContents;

// What one finished read, verify or store tells about the module.
struct TransferFacts {
    TransferKind transfer = TransferKind::Read;
    history::Outcome outcome = history::Outcome::Done;
    int capacity = 0; // routes of the configuration the transfer covered
    Image image{};    // read: the bytes that came; verify: the image compared; store: sent
    std::vector<LinkEngine::ByteDifference> differences; // verify
    std::vector<std::uint32_t> storeList;
    int writesDone = 0; // of storeList, in order
    bool writeInFlight = false;
    int doubtfulAddress = -1; // a store's read-back found it still wrong
    // What was known of the module before the transfer.
    std::bitset<image::kSize> knownBefore;
    Image bytesBefore{};
};

// The history entry of a transfer: kind, part and the bytes known after it; nothing for a
// read or verify that did not finish (the module is as it was and nothing new is known).
std::optional<history::Entry> historyEntry(const TransferFacts& facts);

// "Obsah modulu se nepodařilo uschovat do historie: …": a store that was to keep the module's
// contents first is not started.
QString backupFailedText(const history::WriteResult& result);

// Adds an entry to the history after every transfer `engine` runs. A history that cannot be
// written never fails the transfer: problem() says why, in one line, with the system's text.
class HistoryRecorder : public QObject {
    Q_OBJECT
public:
    HistoryRecorder(LinkEngine& engine, const ConfigStore& store, QString folder,
                    QObject* parent = nullptr);

    // The port as the user knows it, asked at each entry.
    void setPortName(std::function<QString()> name) { m_portName = std::move(name); }
    // What this run knows of the module; a store records its bytes on top of it.
    void setModuleContents(const ModuleContents* contents) { m_contents = contents; }
    // Makes the one-line summary each entry keeps (the words of it live above this layer).
    void setSummarizer(history::Summarizer summarize) { m_summarize = std::move(summarize); }
    // Where the descriptions of the store the entries keep come from: "screen" (the default)
    // or "file".
    void setDescriptionsFrom(const QString& from) { m_descriptionsFrom = from; }

    const QString& folder() const { return m_folder; }
    // Whether the entry of the last transfer was written; written() before any transfer.
    const history::WriteResult& lastWrite() const { return m_lastWrite; }

signals:
    void written();
    void problem(const QString& text, const QString& details);

private:
    void started();
    void finished(TransferKind transfer, bool ok);

    LinkEngine& m_engine;
    const ConfigStore& m_store;
    QString m_folder;
    std::function<QString()> m_portName;
    const ModuleContents* m_contents = nullptr;
    history::Summarizer m_summarize;
    QString m_descriptionsFrom = QStringLiteral("screen");
    QStringList m_descriptions; // of the store at the transfer's start; empty when all are
    history::WriteResult m_lastWrite;
    bool m_running = false; // a transfer this recorder saw start
    bool m_cancelled = false;
    TransferFacts m_facts;
};
