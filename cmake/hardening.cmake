# SPDX-License-Identifier: MIT
# Release builds, and so the Debian package, get the hardening of a Debian
# package build (dpkg-buildflags with hardening=+all: -O2, stack protector,
# fortified libc calls, format-string checks, full RELRO with immediate
# binding, position-independent executables) and the stack-clash probes and
# control-flow protection that Debian 13 adds by default: as there, the
# control-flow protection is the architecture's own, -fcf-protection on x86
# (indirect-branch landing pads and shadow-stack marking) and
# -mbranch-protection=standard on arm64 (BTI landing pads and return-address
# signing); other architectures get the rest. The
# floating-point options set beside the warnings stay as they are; none of
# these flags changes rounding, which the geometry and camera rounding
# tests check bit for bit.
# TUBEFLIGHT_HARDEN=OFF gives the plain CMake Release build (-O3), which
# scripts/bench builds as well to compare frame costs.

option(TUBEFLIGHT_HARDEN "Harden Release builds as a Debian package build does" ON)

if(TUBEFLIGHT_HARDEN AND WIN32)
  # Windows (MinGW-w64): what its toolchain offers of the above, the stack
  # protector (libssp, linked in) and fortified C library calls, and the PE
  # flags for address-space layout randomisation with 64-bit addresses and
  # for data execution prevention. PE files have no RELRO, and MinGW's GCC
  # has neither stack-clash probes nor control-flow protection for Windows.
  string(REPLACE "-O3" "-O2" CMAKE_CXX_FLAGS_RELEASE "${CMAKE_CXX_FLAGS_RELEASE}")
  set(release "$<CONFIG:Release>")
  add_compile_options("$<${release}:-fstack-protector-strong;-Wformat;-Werror=format-security>")
  add_compile_definitions("$<${release}:_FORTIFY_SOURCE=2>")
  add_link_options("$<${release}:-fstack-protector-strong>"
    -Wl,--dynamicbase -Wl,--high-entropy-va -Wl,--nxcompat)
  unset(release)
elseif(TUBEFLIGHT_HARDEN)
  string(REPLACE "-O3" "-O2" CMAKE_CXX_FLAGS_RELEASE "${CMAKE_CXX_FLAGS_RELEASE}")
  include(CheckPIESupported)
  check_pie_supported(LANGUAGES CXX)
  set(CMAKE_POSITION_INDEPENDENT_CODE ON)
  if(CMAKE_SYSTEM_PROCESSOR MATCHES "^(x86_64|AMD64|amd64|i[3-6]86|x86)$")
    set(control_flow -fcf-protection)
  elseif(CMAKE_SYSTEM_PROCESSOR MATCHES "^(aarch64|arm64|ARM64)$")
    set(control_flow -mbranch-protection=standard)
  else()
    set(control_flow)
  endif()
  # The compiler must take every flag: a hardened build that quietly lacks
  # one is not what it says.
  include(CheckCXXCompilerFlag)
  set(protection -fstack-protector-strong -fstack-clash-protection ${control_flow})
  foreach(flag ${protection})
    string(MAKE_C_IDENTIFIER "TUBEFLIGHT_CXX_HAS${flag}" supported)
    check_cxx_compiler_flag(${flag} ${supported})
    if(NOT ${supported})
      message(FATAL_ERROR "the compiler does not take ${flag}; configure with "
                          "-DTUBEFLIGHT_HARDEN=OFF to build without hardening")
    endif()
  endforeach()
  set(release "$<CONFIG:Release>")
  add_compile_options(
    "$<${release}:${protection}>"
    "$<${release}:-Wformat;-Werror=format-security>")
  unset(control_flow)
  unset(protection)
  add_compile_definitions("$<${release}:_FORTIFY_SOURCE=2>")
  add_link_options("$<${release}:-Wl,-z,relro;-Wl,-z,now>")
  unset(release)
endif()
