#include "link/transferprogress.h"

#include <algorithm>

void TransferProgress::start(TransferKind kind, int position, int end) {
    m_kind = kind;
    m_capacityOnly = false;
    m_pass = Pass::Main;
    m_position = position;
    m_end = end;
    restartAttempts();
    m_differences.clear();
    m_mismatches.clear();
    m_round = 0;
    m_blockStart = position;
    m_blockLimit = position + kBlockLength;
    m_blockTries = 1;
    m_cautiousRedos = 0;
    m_differencesMark = 0;
    m_mismatchesMark = 0;
    m_passBase = 0;
    m_answers.clear();
}

void TransferProgress::startRead(const Image& image, int end) {
    start(TransferKind::Read, 1, end);
    m_image = image;
}

void TransferProgress::startVerify(int end) {
    start(TransferKind::Verify, 1, end);
}

void TransferProgress::startStore(std::vector<std::uint32_t> addresses, const Image& image,
                                  bool readBack) {
    start(TransferKind::Store, 0, static_cast<int>(addresses.size()) - 1);
    m_image = image;
    m_readBack = readBack;
    m_storeList = addresses;
    m_addresses = std::move(addresses);
}

void TransferProgress::startCapacity() {
    start(TransferKind::Store, 1, 0);
    m_capacityOnly = true;
}

void TransferProgress::setEnd(int end) {
    m_end = end;
}

int TransferProgress::entryAddress(int position) const {
    if (m_kind != TransferKind::Store) {
        const bool inside = position >= 1 && position <= m_end && m_end < image::kSize;
        return inside ? position : -1;
    }
    const auto count = static_cast<int>(m_addresses.size());
    if (position < 0 || position >= count || m_end >= count)
        return -1;
    const std::uint32_t a = m_addresses[static_cast<std::size_t>(position)];
    return a < static_cast<std::uint32_t>(image::kSize) ? static_cast<int>(a) : -1;
}

int TransferProgress::address() const {
    return entryAddress(m_position);
}

std::uint8_t TransferProgress::valueToWrite() const {
    const int a = address();
    return a < 0 ? 0 : m_image[static_cast<std::size_t>(a)];
}

int TransferProgress::accept(std::uint8_t value, const Image& image) {
    const auto at = static_cast<std::size_t>(std::max(0, address()));
    if (m_kind == TransferKind::Read)
        m_image[at] = value;
    else if (m_kind == TransferKind::Verify && image[at] != value)
        m_differences.push_back({static_cast<int>(at), image[at], value});
    else if (m_kind == TransferKind::Store && m_image[at] != value)
        m_mismatches.push_back({static_cast<int>(at), m_image[at], value});
    return advance();
}

int TransferProgress::advance() {
    const int done = percentDone();
    restartAttempts();
    ++m_position;
    return done;
}

int TransferProgress::total() const {
    if (m_kind != TransferKind::Store)
        return m_end;
    const int n = static_cast<int>(m_storeList.size());
    return (m_readBack ? 2 * n : n) - 1;
}

int TransferProgress::percentDone() const {
    const int t = total();
    return percent(std::min(m_passBase + m_position, t), t);
}

void TransferProgress::restartAttempts() {
    m_retries = 0;
    m_sent = 0;
}

bool TransferProgress::capacityAnswer(int count) {
    if (std::find(m_answers.begin(), m_answers.end(), count) != m_answers.end())
        return true;
    m_answers.push_back(count);
    return false;
}

void TransferProgress::blockConfirmed() {
    m_blockStart = m_position;
    m_blockLimit = m_position + kBlockLength;
    m_blockTries = 1;
    m_cautiousRedos = 0;
    m_differencesMark = m_differences.size();
    m_mismatchesMark = m_mismatches.size();
}

bool TransferProgress::redoBlock(bool cautious) {
    m_blockLimit = std::max(m_blockStart + 1, std::min(m_blockLimit, m_position + 1));
    m_position = m_blockStart;
    m_differences.resize(m_differencesMark);
    m_mismatches.resize(m_mismatchesMark);
    restartAttempts();
    if (cautious)
        return ++m_cautiousRedos <= kCautiousRedos;
    return ++m_blockTries <= kBlockAttempts;
}

int TransferProgress::blockFirstAddress() const {
    return entryAddress(m_blockStart);
}

int TransferProgress::blockLastAddress() const {
    const int last = std::min(m_blockLimit - 1, m_end);
    return entryAddress(std::max(last, m_blockStart));
}

void TransferProgress::startPass(Pass pass, std::vector<std::uint32_t> list) {
    m_pass = pass;
    m_addresses = std::move(list);
    m_position = 0;
    m_end = static_cast<int>(m_addresses.size()) - 1;
    m_blockStart = 0;
    m_blockLimit = kBlockLength;
    m_blockTries = 1;
    m_cautiousRedos = 0;
    m_mismatchesMark = 0;
    restartAttempts();
}

bool TransferProgress::nextPass() {
    if (m_kind != TransferKind::Store || !m_readBack)
        return false;
    if (m_pass != Pass::ReadBack) {
        // Written: read the same entries back.
        m_passBase += m_end + 1;
        std::vector<std::uint32_t> list = std::move(m_addresses);
        m_mismatches.clear();
        startPass(Pass::ReadBack, std::move(list));
        return true;
    }
    if (m_mismatches.empty())
        return false;
    ++m_round;
    if (m_round >= kAttempts)
        return false; // the store has failed: mismatches() names the bytes
    std::vector<std::uint32_t> again;
    for (const Difference& d : m_mismatches)
        again.push_back(static_cast<std::uint32_t>(d.address));
    m_passBase = std::max(0, total() + 1 - 2 * static_cast<int>(again.size()));
    startPass(Pass::Rewrite, std::move(again));
    return true;
}

int TransferProgress::percent(int position, int end) {
    if (end <= 0)
        return 100;
    // Exact integer arithmetic: a floating-point quotient could land a hair off an exact half.
    const long long num = 100LL * position;
    long long q = num / end;
    const long long twiceRest = 2 * (num % end);
    if (twiceRest > end || (twiceRest == end && (q & 1)))
        ++q;
    return static_cast<int>(q);
}
