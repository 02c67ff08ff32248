# Constants of the build: compiled in, no configuration file, no command-line option.
# The demo defaults point at the local simulators and trust their test CA.
set(BRISKO_DISPATCH_SIM_PORT 27801 CACHE STRING "Fixed port of the standalone dispatch simulator")
set(BRISKO_MARKETPLACE_SIM_PORT 27802 CACHE STRING "Fixed port of the standalone marketplace simulator")
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

# The program speaks https only. The simulators' test CA, whose private key lies in a build folder,
# may be trusted only by a build whose services are on this machine: a build for real services
# that kept it would trust whoever holds that folder.
set(_brisko_test_ca OFF)
if(BRISKO_CA_FILE STREQUAL BRISKO_TEST_CA_FILE OR BRISKO_CA_FILE MATCHES "(^|/)simulators/certs/[^/]+$")
  set(_brisko_test_ca ON)
endif()
foreach(_brisko_url_name IN ITEMS BRISKO_MARKETPLACE_API_URL BRISKO_DISPATCH_API_URL)
  set(_brisko_url "${${_brisko_url_name}}")
  if(NOT _brisko_url MATCHES "^https://([^]/:@[]+|\\[[0-9A-Fa-f:.]+\\])(:[0-9]+)?$")
    message(FATAL_ERROR "${_brisko_url_name} is \"${_brisko_url}\": the services are reached over https only, "
                        "as https://host[:port] without a trailing slash.")
  endif()
  string(TOLOWER "${CMAKE_MATCH_1}" _brisko_host)
  if(_brisko_test_ca AND NOT _brisko_host MATCHES "^(127\\.[0-9]+\\.[0-9]+\\.[0-9]+|\\[::1\\]|localhost)$")
    message(FATAL_ERROR "${_brisko_url_name} names ${_brisko_host}, but BRISKO_CA_FILE is still the simulators' "
                        "test CA (${BRISKO_CA_FILE}), whose private key lies in a build folder. Configure with "
                        "-DBRISKO_CA_FILE= to trust the system's CAs only (the release preset does), or name the "
                        "operator's own CA file.")
  endif()
endforeach()

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
