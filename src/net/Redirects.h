#pragma once
// Which redirects a call may follow. A redirect is followed only to the scheme, host and port the
// request was addressed to, so that a key or credential meant for one service never reaches
// another, and only when the request goes on as it was sent.
#include <string>
#include <string_view>

namespace brisko::net {

// 301, 302, 303, 307 and 308: the statuses whose Location is followed or refused. Any other status
// is the response, Location or not.
bool IsRedirectStatus(long status);

// Why the redirect of a `method` request from `from` to `to` (absolute addresses), answered with
// `status`, is not followed; "" when it may be. It may when the scheme, host (without regard to
// case) and port stay the same, and the request keeps its method and body: a 307 or 308 keeps them;
// a 301, 302 or 303 would turn a request with a body into a GET without it, so only a GET or a HEAD
// follows those.
std::string RedirectRefusal(std::string_view from, std::string_view to, std::string_view method, long status);

} // namespace brisko::net
