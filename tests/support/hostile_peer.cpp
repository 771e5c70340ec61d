// Peers that misbehave towards the tool, in a process of their own so that
// their sockets and buffers are not counted as the tool's. Every mode stops by
// itself within its deadline and ends by printing one line of results as
// "key=value" pairs; "ready" on a line of its own says a mode has done what
// must happen before the test goes on.
//
//   hostile_peer burst   HOST PORT COUNT          COUNT connections at once, each closed once it is up
//   hostile_peer silent  HOST PORT COUNT HOLD_MS  COUNT connections that send nothing, held HOLD_MS
//   hostile_peer garbage HOST PORT BYTES          BYTES of pseudo-random bytes, as fast as they go
//   hostile_peer trickle HOST PORT HEX GAP_MS     the bytes of HEX, one every GAP_MS
//   hostile_peer call    HOST PORT HEX WAIT_MS    connects, sends HEX, says "ready", waits for the tool to close
//   hostile_peer reset   HOST PORT HEX CUT        a device at HOST: takes one request, sends the first
//                                                 CUT bytes of HEX as its reply, then resets the connection

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/resource.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

constexpr int BurstDeadlineMs = 60000;
constexpr int WriteDeadlineMs = 20000;
constexpr int CloseWaitMs = 10000;
constexpr int AcceptDeadlineMs = 30000;
constexpr int PollSliceMs = 50;
constexpr int ChunkBytes = 16384;
constexpr int SpareDescriptors = 64;
constexpr int PreambleLength = 2;
constexpr int LengthOffset = 4;
constexpr int HexBase = 16;

long long msSince(Clock::time_point start)
{
    return std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - start).count();
}

[[noreturn]] void usage()
{
    std::fprintf(stderr, "usage: hostile_peer burst|silent|garbage|trickle|call|reset HOST PORT ...\n");
    std::exit(2);
}

sockaddr_in addressOf(const char *host, const char *port)
{
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(static_cast<uint16_t>(std::atoi(port)));
    if (inet_pton(AF_INET, host, &address.sin_addr) != 1)
        usage();
    return address;
}

std::string fromHex(const char *hex)
{
    std::string bytes;
    for (std::size_t k = 0; hex[k] && hex[k + 1]; k += 2)
        bytes += static_cast<char>(std::stoi(std::string(hex + k, 2), nullptr, HexBase));
    return bytes;
}

int newSocket(bool nonBlocking)
{
    const int fd = socket(AF_INET, SOCK_STREAM | (nonBlocking ? SOCK_NONBLOCK : 0), 0);
    if (fd < 0) {
        std::perror("socket");
        std::exit(1);
    }
    return fd;
}

int connectTo(const sockaddr_in &address)
{
    const int fd = newSocket(false);
    if (connect(fd, reinterpret_cast<const sockaddr *>(&address), sizeof address) != 0) {
        close(fd);
        return -1;
    }
    return fd;
}

// Waits for the tool to close the connection: "closed" (end of stream),
// "reset", or "open" when it is still open after waitMs.
const char *waitForClose(int fd, int waitMs)
{
    const Clock::time_point start = Clock::now();
    char buffer[ChunkBytes];
    while (msSince(start) < waitMs) {
        pollfd p{fd, POLLIN, 0};
        if (poll(&p, 1, PollSliceMs) <= 0)
            continue;
        const ssize_t got = recv(fd, buffer, sizeof buffer, 0);
        if (got == 0)
            return "closed";
        if (got < 0)
            return errno == ECONNRESET ? "reset" : "failed";
    }
    return "open";
}

// Sends bytes until all are out or the tool ends the connection.
std::size_t sendAll(int fd, const char *bytes, std::size_t size, const char *&ended)
{
    const Clock::time_point start = Clock::now();
    std::size_t sent = 0;
    ended = "done";
    while (sent < size && msSince(start) < WriteDeadlineMs) {
        pollfd p{fd, POLLOUT, 0};
        if (poll(&p, 1, PollSliceMs) <= 0)
            continue;
        const ssize_t wrote = send(fd, bytes + sent, size - sent, MSG_NOSIGNAL | MSG_DONTWAIT);
        if (wrote < 0 && (errno == EAGAIN || errno == EWOULDBLOCK))
            continue;
        if (wrote <= 0) {
            ended = errno == ECONNRESET ? "reset" : "closed";
            return sent;
        }
        sent += static_cast<std::size_t>(wrote);
    }
    if (sent < size)
        ended = "stalled";
    return sent;
}

void raiseDescriptorLimit(int wanted)
{
    rlimit limit{};
    getrlimit(RLIMIT_NOFILE, &limit);
    const rlim_t needed = static_cast<rlim_t>(wanted + SpareDescriptors);
    if (limit.rlim_cur < needed) {
        limit.rlim_cur = limit.rlim_max == RLIM_INFINITY || limit.rlim_max >= needed ? needed : limit.rlim_max;
        setrlimit(RLIMIT_NOFILE, &limit);
    }
}

int burst(const sockaddr_in &address, int count)
{
    raiseDescriptorLimit(count);
    std::vector<pollfd> pending;
    int opened = 0, connected = 0, refused = 0, resets = 0, failed = 0;
    // A connection the system completed while the tool's queue of callers was
    // full is reset once the tool stops listening; that is a refusal too.
    const auto tally = [&](int error) {
        ++(error == 0 ? connected : error == ECONNREFUSED ? refused : error == ECONNRESET ? resets : failed);
    };
    const Clock::time_point start = Clock::now();
    for (int k = 0; k < count; ++k) {
        const int fd = newSocket(true);
        ++opened;
        if (connect(fd, reinterpret_cast<const sockaddr *>(&address), sizeof address) == 0) {
            tally(0);
            close(fd);
        } else if (errno == EINPROGRESS) {
            pending.push_back({fd, POLLOUT, 0});
        } else {
            tally(errno);
            close(fd);
        }
    }
    while (!pending.empty() && msSince(start) < BurstDeadlineMs) {
        if (poll(pending.data(), pending.size(), PollSliceMs) <= 0)
            continue;
        std::vector<pollfd> still;
        for (const pollfd &p : pending) {
            if (p.revents == 0) {
                still.push_back({p.fd, POLLOUT, 0});
                continue;
            }
            int error = 0;
            socklen_t length = sizeof error;
            getsockopt(p.fd, SOL_SOCKET, SO_ERROR, &error, &length);
            tally(error);
            close(p.fd);
        }
        pending.swap(still);
    }
    for (const pollfd &p : pending)
        close(p.fd);
    std::printf("opened=%d connected=%d refused=%d reset=%d failed=%d unresolved=%zu ms=%lld\n", opened, connected,
                refused, resets, failed, pending.size(), msSince(start));
    return 0;
}

int silent(const sockaddr_in &address, int count, int holdMs)
{
    raiseDescriptorLimit(count);
    std::vector<int> fds;
    int connected = 0;
    for (int k = 0; k < count; ++k) {
        const int fd = connectTo(address);
        if (fd >= 0) {
            ++connected;
            fds.push_back(fd);
        }
    }
    std::printf("ready\n");
    std::fflush(stdout);
    const Clock::time_point start = Clock::now();
    std::vector<bool> ended(fds.size(), false);
    int endedByTool = 0;
    long long lastEndMs = -1;
    char buffer[ChunkBytes];
    while (msSince(start) < holdMs && endedByTool < connected) {
        std::vector<pollfd> watch;
        for (std::size_t k = 0; k < fds.size(); ++k)
            watch.push_back({fds[k], static_cast<short>(ended[k] ? 0 : POLLIN), 0});
        if (poll(watch.data(), watch.size(), PollSliceMs) <= 0)
            continue;
        for (std::size_t k = 0; k < fds.size(); ++k) {
            if (ended[k] || watch[k].revents == 0)
                continue;
            if (recv(fds[k], buffer, sizeof buffer, 0) <= 0) {
                ended[k] = true;
                ++endedByTool;
                lastEndMs = msSince(start);
            }
        }
    }
    for (const int fd : fds)
        close(fd);
    std::printf("opened=%d connected=%d ended_by_tool=%d still_open=%d last_end_ms=%lld\n", count, connected,
                endedByTool, connected - endedByTool, lastEndMs);
    return 0;
}

int garbage(const sockaddr_in &address, std::size_t bytes)
{
    // The same bytes every run (xorshift from a fixed seed).
    std::string data(bytes, '\0');
    uint32_t state = 0x2545F491u;
    for (char &c : data) {
        state ^= state << 13;
        state ^= state >> 17;
        state ^= state << 5;
        c = static_cast<char>(state >> 24);
    }
    const int fd = connectTo(address);
    if (fd < 0) {
        std::printf("connected=0\n");
        return 0;
    }
    const Clock::time_point start = Clock::now();
    const char *ended = nullptr;
    const std::size_t sent = sendAll(fd, data.data(), data.size(), ended);
    const char *afterwards = std::strcmp(ended, "done") == 0 ? waitForClose(fd, CloseWaitMs) : ended;
    std::printf("connected=1 sent=%zu ended=%s ms=%lld\n", sent, afterwards, msSince(start));
    close(fd);
    return 0;
}

int trickle(const sockaddr_in &address, const std::string &bytes, int gapMs)
{
    const int fd = connectTo(address);
    if (fd < 0) {
        std::printf("connected=0\n");
        return 0;
    }
    const Clock::time_point start = Clock::now();
    std::size_t sent = 0;
    const char *ended = "done";
    for (; sent < bytes.size(); ++sent) {
        if (sent > 0) {
            // The gap, cut short when the tool closes the connection meanwhile.
            const char *state = waitForClose(fd, gapMs);
            if (std::strcmp(state, "open") != 0) {
                ended = state;
                break;
            }
        }
        if (send(fd, &bytes[sent], 1, MSG_NOSIGNAL) != 1) {
            ended = errno == ECONNRESET ? "reset" : "closed";
            break;
        }
    }
    if (std::strcmp(ended, "done") == 0)
        ended = waitForClose(fd, CloseWaitMs);
    std::printf("connected=1 sent=%zu of=%zu ended=%s ms=%lld\n", sent, bytes.size(), ended, msSince(start));
    close(fd);
    return 0;
}

int call(const sockaddr_in &address, const std::string &bytes, int waitMs)
{
    const int fd = connectTo(address);
    if (fd < 0) {
        std::printf("ready\nconnected=0\n");
        return 0;
    }
    const bool sent = send(fd, bytes.data(), bytes.size(), MSG_NOSIGNAL) == static_cast<ssize_t>(bytes.size());
    std::printf("ready\n");
    std::fflush(stdout);
    std::printf("connected=1 sent=%d ended=%s\n", sent ? 1 : 0, waitForClose(fd, waitMs));
    close(fd);
    return 0;
}

int reset(const sockaddr_in &address, const std::string &reply, std::size_t cut)
{
    const int server = newSocket(false);
    const int yes = 1;
    setsockopt(server, SOL_SOCKET, SO_REUSEADDR, &yes, sizeof yes);
    if (bind(server, reinterpret_cast<const sockaddr *>(&address), sizeof address) != 0 || listen(server, 1) != 0) {
        std::perror("listen");
        return 1;
    }
    std::printf("ready\n");
    std::fflush(stdout);
    pollfd p{server, POLLIN, 0};
    if (poll(&p, 1, AcceptDeadlineMs) <= 0) {
        std::printf("accepted=0\n");
        return 0;
    }
    const int fd = accept(server, nullptr, nullptr);
    close(server);
    // The request: the preamble and as many bytes as its length byte says.
    std::string request;
    const Clock::time_point start = Clock::now();
    char buffer[ChunkBytes];
    while (msSince(start) < AcceptDeadlineMs) {
        if (request.size() > std::size_t(LengthOffset)
            && request.size() >= std::size_t(PreambleLength + static_cast<unsigned char>(request[LengthOffset])))
            break;
        pollfd r{fd, POLLIN, 0};
        if (poll(&r, 1, PollSliceMs) <= 0)
            continue;
        const ssize_t got = recv(fd, buffer, sizeof buffer, 0);
        if (got <= 0)
            break;
        request.append(buffer, static_cast<std::size_t>(got));
    }
    const std::size_t sent = std::max<ssize_t>(send(fd, reply.data(), std::min(cut, reply.size()), MSG_NOSIGNAL), 0);
    // Closing with a zero linger time resets the connection instead of ending it.
    const linger abrupt{1, 0};
    setsockopt(fd, SOL_SOCKET, SO_LINGER, &abrupt, sizeof abrupt);
    close(fd);
    std::printf("accepted=1 request_bytes=%zu sent=%zu ended=reset\n", request.size(), sent);
    return 0;
}

} // namespace

int main(int argc, char **argv)
{
    if (argc < 5)
        usage();
    const std::string mode = argv[1];
    const sockaddr_in address = addressOf(argv[2], argv[3]);
    setvbuf(stdout, nullptr, _IOLBF, 0);
    if (mode == "burst")
        return burst(address, std::atoi(argv[4]));
    if (mode == "silent" && argc == 6)
        return silent(address, std::atoi(argv[4]), std::atoi(argv[5]));
    if (mode == "garbage")
        return garbage(address, std::strtoul(argv[4], nullptr, 10));
    if (mode == "trickle" && argc == 6)
        return trickle(address, fromHex(argv[4]), std::atoi(argv[5]));
    if (mode == "call" && argc == 6)
        return call(address, fromHex(argv[4]), std::atoi(argv[5]));
    if (mode == "reset" && argc == 6)
        return reset(address, fromHex(argv[4]), std::strtoul(argv[5], nullptr, 10));
    usage();
}
