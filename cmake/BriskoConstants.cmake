# Constants of the build: compiled in, no configuration file, no command-line option.
# The demo defaults point at the local simulators and trust their test CA.
set(BRISKO_DISPATCH_SIM_PORT 47801 CACHE STRING "Fixed port of the standalone dispatch simulator")
set(BRISKO_MARKETPLACE_SIM_PORT 47802 CACHE STRING "Fixed port of the standalone marketplace simulator")
set(BRISKO_TEST_CA_FILE "${CMAKE_BINARY_DIR}/simulators/certs/ca.pem")

set(BRISKO_MARKETPLACE_API_URL "https://127.0.0.1:${BRISKO_MARKETPLACE_SIM_PORT}" CACHE STRING "https://host[:port] of the marketplace API")
set(BRISKO_MARKETPLACE_PORTAL_URL "https://127.0.0.1:${BRISKO_MARKETPLACE_SIM_PORT}" CACHE STRING "Base of the restaurant portal (/pedidos)")
set(BRISKO_MARKETPLACE_CONTACT_EMAIL "demo@brisko-derer.dev" CACHE STRING "Aiq-User-Agent value (21 characters)")
set(BRISKO_MARKETPLACE_CLIENT_USER "brisko-derer01" CACHE STRING "Integrator Basic user")
set(BRISKO_MARKETPLACE_CLIENT_KEY "Dm0KeyBr1skoDerereveVilamar2026x" CACHE STRING "Integrator Basic key")
set(BRISKO_DISPATCH_API_URL "https://127.0.0.1:${BRISKO_DISPATCH_SIM_PORT}" CACHE STRING "https://host[:port] of the dispatch platform API")
set(BRISKO_DISPATCH_WEB_URL "https://127.0.0.1:${BRISKO_DISPATCH_SIM_PORT}" CACHE STRING "Base of the order-management page")
set(BRISKO_DISPATCH_API_KEY "bd_demoKey0123456789ABCDEFabcdef" CACHE STRING "Dispatch platform API key (32 characters)")
set(BRISKO_CA_FILE "${BRISKO_TEST_CA_FILE}" CACHE STRING "Extra CA file trusted besides the system's (empty: none)")

configure_file(${CMAKE_CURRENT_LIST_DIR}/BuildConstants.h.in ${CMAKE_BINARY_DIR}/generated/BuildConstants.h @ONLY)
add_library(brisko_constants INTERFACE)
target_include_directories(brisko_constants INTERFACE ${CMAKE_BINARY_DIR}/generated)

# A build whose services are the local simulators (the demo defaults) can run the real program
# against them in tests.
if(BRISKO_DISPATCH_API_URL STREQUAL "https://127.0.0.1:${BRISKO_DISPATCH_SIM_PORT}"
   AND BRISKO_MARKETPLACE_API_URL STREQUAL "https://127.0.0.1:${BRISKO_MARKETPLACE_SIM_PORT}"
   AND BRISKO_CA_FILE STREQUAL BRISKO_TEST_CA_FILE)
  set(BRISKO_BUILT_FOR_SIMULATORS ON)
else()
  set(BRISKO_BUILT_FOR_SIMULATORS OFF)
endif()
