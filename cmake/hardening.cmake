# SPDX-License-Identifier: MIT
# Release builds, and so the Debian package, get the hardening of a Debian
# package build (dpkg-buildflags with hardening=+all: -O2, stack protector,
# fortified libc calls, format-string checks, full RELRO with immediate
# binding, position-independent executables) and the stack-clash probes and
# control-flow protection that later Debian releases add by default. The
# floating-point options set beside the warnings stay as they are; none of
# these flags changes rounding, which the geometry and camera rounding
# tests check bit for bit.
# TUBEFLIGHT_HARDEN=OFF gives the plain CMake Release build (-O3), which
# scripts/bench builds as well to compare frame costs.

option(TUBEFLIGHT_HARDEN "Harden Release builds as a Debian package build does" ON)

if(TUBEFLIGHT_HARDEN)
  string(REPLACE "-O3" "-O2" CMAKE_CXX_FLAGS_RELEASE "${CMAKE_CXX_FLAGS_RELEASE}")
  include(CheckPIESupported)
  check_pie_supported(LANGUAGES CXX)
  set(CMAKE_POSITION_INDEPENDENT_CODE ON)
  set(release "$<CONFIG:Release>")
  add_compile_options(
    "$<${release}:-fstack-protector-strong;-fstack-clash-protection;-fcf-protection>"
    "$<${release}:-Wformat;-Werror=format-security>")
  add_compile_definitions("$<${release}:_FORTIFY_SOURCE=2>")
  add_link_options("$<${release}:-Wl,-z,relro;-Wl,-z,now>")
  unset(release)
endif()
