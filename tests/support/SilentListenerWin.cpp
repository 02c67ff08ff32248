#include "SilentListener.h"

#include <winsock2.h>

namespace brisko::test {

SilentListener::SilentListener() {
    WSADATA data;
    WSAStartup(MAKEWORD(2, 2), &data); // counted: the destructor's cleanup balances it
    const SOCKET listener = ::socket(AF_INET, SOCK_STREAM, 0);
    socket_ = static_cast<std::uintptr_t>(listener);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    int length = sizeof(address);
    if (::bind(listener, reinterpret_cast<sockaddr*>(&address), length) == 0 && ::listen(listener, 16) == 0 &&
        ::getsockname(listener, reinterpret_cast<sockaddr*>(&address), &length) == 0) {
        port_ = ntohs(address.sin_port);
    }
}

SilentListener::~SilentListener() {
    ::closesocket(static_cast<SOCKET>(socket_));
    WSACleanup();
}

} // namespace brisko::test
