#include "Emulation.h"

#ifdef _WIN32
#include <windows.h>
#endif

namespace brisko::test {

bool SystemTrustStoreRefusesUnknownCas() {
#ifdef _WIN32
    // Wine's own ntdll exports its version; Windows' does not.
    const HMODULE ntdll = GetModuleHandleW(L"ntdll.dll");
    return ntdll == nullptr || GetProcAddress(ntdll, "wine_get_version") == nullptr;
#else
    return true;
#endif
}

} // namespace brisko::test
