// What differs when the Windows build's tests run under wine rather than on Windows.
#pragma once

namespace brisko::test {

// Windows verifies a server without the build's CA file against its certificate store; wine's
// Schannel accepts any chain then. Checks of that refusal hold only where this is true.
bool SystemTrustStoreRefusesUnknownCas();

} // namespace brisko::test
