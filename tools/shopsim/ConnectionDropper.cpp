#include "ConnectionDropper.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <charconv>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

namespace kanvio::shopsim {
namespace {

struct Endpoint {
  std::string address;
  int port = -1;
};

std::optional<Endpoint> ToEndpoint(const sockaddr_storage& storage) {
  char text[INET6_ADDRSTRLEN] = {};
  if (storage.ss_family == AF_INET) {
    const auto& in = reinterpret_cast<const sockaddr_in&>(storage);
    if (!inet_ntop(AF_INET, &in.sin_addr, text, sizeof text)) return std::nullopt;
    return Endpoint{text, ntohs(in.sin_port)};
  }
  if (storage.ss_family == AF_INET6) {
    const auto& in6 = reinterpret_cast<const sockaddr_in6&>(storage);
    if (!inet_ntop(AF_INET6, &in6.sin6_addr, text, sizeof text)) return std::nullopt;
    return Endpoint{text, ntohs(in6.sin6_port)};
  }
  return std::nullopt;
}

template <typename GetName>
std::optional<Endpoint> NameOf(int fd, GetName get_name) {
  sockaddr_storage storage{};
  socklen_t length = sizeof storage;
  if (get_name(fd, reinterpret_cast<sockaddr*>(&storage), &length) != 0) return std::nullopt;
  return ToEndpoint(storage);
}

bool Matches(const std::optional<Endpoint>& endpoint, const std::string& address, int port) {
  return endpoint && endpoint->port == port && endpoint->address == address;
}

std::vector<int> OpenDescriptors() {
  std::vector<int> fds;
  std::error_code error;
  for (const auto& entry : std::filesystem::directory_iterator("/proc/self/fd", error)) {
    const std::string name = entry.path().filename().string();
    int fd = -1;
    if (std::from_chars(name.data(), name.data() + name.size(), fd).ec == std::errc()) fds.push_back(fd);
  }
  return fds;
}

}  // namespace

bool ConnectionDropper::Drop(const httplib::Request& request) {
  for (int fd : OpenDescriptors()) {
    if (!Matches(NameOf(fd, ::getsockname), request.local_addr, request.local_port)) continue;
    if (!Matches(NameOf(fd, ::getpeername), request.remote_addr, request.remote_port)) continue;
    const int null_fd = ::open("/dev/null", O_RDWR | O_CLOEXEC);
    if (null_fd < 0) return false;
    const bool replaced = ::dup3(null_fd, fd, O_CLOEXEC) == fd;
    ::close(null_fd);
    return replaced;
  }
  return false;
}

}  // namespace kanvio::shopsim
