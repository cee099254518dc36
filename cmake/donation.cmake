# The donation button on the Settings screen. Nobody's page is built in: a build that
# should show the button names the payment service and the page, e.g.
#   cmake -B build -DTARVION_DONATE_SERVICE="Ko-fi" -DTARVION_DONATE_URL="https://ko-fi.com/..."
# With the service or the address empty (the default) the button is not drawn.
set(TARVION_DONATE_SERVICE "" CACHE STRING "Payment service named on the donation button (empty: no button)")
set(TARVION_DONATE_HANDLE "" CACHE STRING "Handle at that service, shown in parentheses after its name (optional)")
set(TARVION_DONATE_URL "" CACHE STRING "Address of the donation page the button opens (empty: no button)")

if(TARVION_DONATE_SERVICE STREQUAL "" AND NOT TARVION_DONATE_URL STREQUAL "")
  message(FATAL_ERROR "TARVION_DONATE_URL is set but TARVION_DONATE_SERVICE is empty: set both or neither")
endif()
if(NOT TARVION_DONATE_SERVICE STREQUAL "" AND TARVION_DONATE_URL STREQUAL "")
  message(FATAL_ERROR "TARVION_DONATE_SERVICE is set but TARVION_DONATE_URL is empty: set both or neither")
endif()
if(NOT TARVION_DONATE_URL STREQUAL "" AND NOT TARVION_DONATE_URL MATCHES "^https?://[^ ]+$")
  message(FATAL_ERROR "TARVION_DONATE_URL must be a web address starting with https:// or http://")
endif()

# As C++ string literals.
foreach(option SERVICE HANDLE URL)
  string(REPLACE "\\" "\\\\" escaped "${TARVION_DONATE_${option}}")
  string(REPLACE "\"" "\\\"" escaped "${escaped}")
  set(TARVION_DONATE_${option}_LITERAL "\"${escaped}\"")
endforeach()
file(CONFIGURE OUTPUT "${CMAKE_BINARY_DIR}/generated/tarvion_build_options.h" CONTENT [[
#pragma once
// Written by CMake from the build options (cmake/donation.cmake); do not edit.
inline constexpr const char kDonateServiceOption[] = @TARVION_DONATE_SERVICE_LITERAL@;
inline constexpr const char kDonateHandleOption[] = @TARVION_DONATE_HANDLE_LITERAL@;
inline constexpr const char kDonateUrlOption[] = @TARVION_DONATE_URL_LITERAL@;
]] @ONLY)
tarvion_unit_generated(tarvion_profile tarvion_build_options.h)
target_include_directories(tarvion_profile PRIVATE "${CMAKE_BINARY_DIR}/generated")
