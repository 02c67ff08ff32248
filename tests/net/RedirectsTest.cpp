#include "Redirects.h"

#include <gtest/gtest.h>

namespace brisko::net {
namespace {

TEST(Redirects, FollowedOnlyToTheSameSchemeHostAndPortWithTheRequestUnchanged) {
    struct Case {
        const char* to;
        const char* method;
        long status;
        bool followed;
    };
    const char* from = "https://api.example.com:8443/api/integracao/empresa?x=1";
    const Case cases[] = {
        {"https://api.example.com:8443/other", "GET", 302, true},
        {"https://API.Example.COM:8443/other", "GET", 301, true},
        {"https://api.example.com:8443/other", "HEAD", 303, true},
        {"https://api.example.com:8443/abrir", "POST", 307, true},
        {"https://api.example.com:8443/abrir", "POST", 308, true},
        {"https://api.example.com:8443/abrir", "POST", 301, false},
        {"https://api.example.com:8443/abrir", "POST", 302, false},
        {"https://api.example.com:8443/abrir", "POST", 303, false},
        {"https://api.example.com:8443/abrir", "PUT", 302, false},
        {"https://api.example.com/other", "GET", 302, false},       // another port (443)
        {"https://api.example.com:8444/other", "GET", 307, false},  // another port
        {"https://evil.example.com:8443/other", "GET", 307, false}, // another host
        {"https://api.example.com.evil.example:8443/", "GET", 302, false},
        {"http://api.example.com:8443/other", "GET", 302, false}, // another scheme
        {"not an address", "GET", 302, false},
    };
    for (const Case& c : cases) {
        const std::string refusal = RedirectRefusal(from, c.to, c.method, c.status);
        EXPECT_EQ(refusal.empty(), c.followed)
            << c.method << " " << c.status << " to " << c.to << ": " << refusal;
    }
    // The scheme's own port written out is the same port.
    EXPECT_EQ(RedirectRefusal("https://h.example/a", "https://h.example:443/b", "GET", 302), "");
    EXPECT_EQ(RedirectRefusal("https://[::1]:9/a", "https://[::1]:9/b", "GET", 302), "");
}

TEST(Redirects, OnlyTheFiveRedirectStatusesCount) {
    for (const long status : {301L, 302L, 303L, 307L, 308L}) {
        EXPECT_TRUE(IsRedirectStatus(status)) << status;
    }
    for (const long status : {200L, 300L, 304L, 305L, 306L, 309L, 400L}) {
        EXPECT_FALSE(IsRedirectStatus(status)) << status;
    }
}

} // namespace
} // namespace brisko::net
