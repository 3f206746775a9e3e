#include "link/transferprogress.h"

#include <algorithm>

void TransferProgress::start(Kind kind, int position, int end) {
    m_kind = kind;
    m_position = position;
    m_end = end;
    restartAttempts();
    m_differences.clear();
}

void TransferProgress::startRead(const Image& image, int end) {
    start(Kind::Read, 1, end);
    m_staged = image;
}

void TransferProgress::startVerify(int end) {
    start(Kind::Verify, 1, end);
}

void TransferProgress::startStore(std::vector<std::uint32_t> addresses) {
    start(Kind::Store, 0, static_cast<int>(addresses.size()) - 1);
    m_addresses = std::move(addresses);
}

int TransferProgress::address() const {
    if (m_kind != Kind::Store) {
        const bool inside = m_position >= 1 && m_position <= m_end && m_end < image::kSize;
        return inside ? m_position : -1;
    }
    const auto count = static_cast<int>(m_addresses.size());
    if (m_position < 0 || m_position >= count || m_end >= count)
        return -1;
    const std::uint32_t a = m_addresses[static_cast<std::size_t>(m_position)];
    return a < static_cast<std::uint32_t>(image::kSize) ? static_cast<int>(a) : -1;
}

int TransferProgress::accept(std::uint8_t value, const Image& image) {
    const auto at = static_cast<std::size_t>(m_position);
    if (m_kind == Kind::Read)
        m_staged[at] = value;
    else if (m_kind == Kind::Verify && image[at] != value)
        m_differences.push_back({m_position, image[at], value});
    return advance();
}

int TransferProgress::advance() {
    const int done = percent(m_position, m_end);
    restartAttempts();
    ++m_position;
    return done;
}

void TransferProgress::restartAttempts() {
    m_retries = 0;
    m_sent = 0;
    m_waiting = -1;
}

TransferProgress::Verdict TransferProgress::replied(std::uint8_t value) {
    if (!irregular() || m_kind == Kind::Store || m_waiting == value)
        return Verdict::Take;
    const bool disagrees = m_waiting >= 0;
    m_waiting = value;
    if (disagrees && !retry())
        return Verdict::Fail;
    return Verdict::AskAgain;
}

void TransferProgress::commit(Image& image) const {
    std::copy(m_staged.begin() + 1, m_staged.begin() + m_end + 1, image.begin() + 1);
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
