# SPDX-License-Identifier: MIT
# Release builds get the hardening of a Debian package build with
# hardening=+all: -O2, stack protector, stack-clash probes, fortified libc
# calls, format-string checks, full RELRO with immediate binding and the
# architecture's control-flow protection (-fcf-protection on x86,
# -mbranch-protection=standard on arm64). Position-independent executables
# come from CMake. The Debian package itself is built by debhelper with
# build type None: its flags come from dpkg-buildflags (debian/rules), and
# none of these are added.
# The floating-point options set beside the warnings stay as they are; none
# of these flags changes rounding, which the geometry and camera rounding
# tests check bit for bit.
# TUBEFLIGHT_HARDEN=OFF gives the plain CMake Release build (-O3), which
# scripts/bench builds as well to compare frame costs.

option(TUBEFLIGHT_HARDEN "Harden Release builds as a Debian package build does" ON)
if(NOT TUBEFLIGHT_HARDEN)
  return()
endif()

string(REPLACE "-O3" "-O2" CMAKE_CXX_FLAGS_RELEASE "${CMAKE_CXX_FLAGS_RELEASE}")

if(WIN32)
  # Windows (MinGW-w64): what its toolchain offers of the above, the stack
  # protector (libssp, linked in) and fortified C library calls, and the PE
  # flags for address-space layout randomisation with 64-bit addresses and
  # for data execution prevention. PE files have no RELRO, and MinGW's GCC
  # has neither stack-clash probes nor control-flow protection for Windows.
  set(release "$<CONFIG:Release>")
  add_compile_options("$<${release}:-fstack-protector-strong;-Wformat;-Werror=format-security>")
  add_compile_definitions("$<${release}:_FORTIFY_SOURCE=2>")
  add_link_options("$<${release}:-fstack-protector-strong>"
    -Wl,--dynamicbase -Wl,--high-entropy-va -Wl,--nxcompat)
  unset(release)
  return()
endif()

include(CheckPIESupported)
check_pie_supported(LANGUAGES CXX)
set(CMAKE_POSITION_INDEPENDENT_CODE ON)

# The control-flow protection of the architecture, the stack protector and
# stack-clash probes, and the rest of Debian's set.
if(CMAKE_SYSTEM_PROCESSOR MATCHES "^(x86_64|AMD64|amd64|i[3-6]86|x86)$")
  set(tubeflight_branch_flags -fcf-protection)
elseif(CMAKE_SYSTEM_PROCESSOR MATCHES "^(aarch64|arm64|ARM64)$")
  set(tubeflight_branch_flags -mbranch-protection=standard)
else()
  set(tubeflight_branch_flags)
endif()
set(tubeflight_CPPFLAGS -D_FORTIFY_SOURCE=2)
set(tubeflight_CXXFLAGS -fstack-protector-strong -fstack-clash-protection ${tubeflight_branch_flags}
                        -Wformat -Werror=format-security)
set(tubeflight_LDFLAGS -Wl,-z,relro -Wl,-z,now)

# The compiler must take every protection flag: a hardened build that
# quietly lacks one is not what it says.
include(CheckCXXCompilerFlag)
foreach(flag ${tubeflight_CXXFLAGS})
  if(flag MATCHES "^-(fstack-|fcf-|mbranch-)")
    string(MAKE_C_IDENTIFIER "TUBEFLIGHT_CXX_HAS${flag}" supported)
    check_cxx_compiler_flag(${flag} ${supported})
    if(NOT ${supported})
      message(FATAL_ERROR "the compiler does not take ${flag}; configure with "
                          "-DTUBEFLIGHT_HARDEN=OFF to build without hardening")
    endif()
  endif()
endforeach()

set(release "$<CONFIG:Release>")
add_compile_options("$<${release}:${tubeflight_CPPFLAGS};${tubeflight_CXXFLAGS}>")
add_link_options("$<${release}:${tubeflight_LDFLAGS}>")
if(CMAKE_BUILD_TYPE STREQUAL "Release")
  message(STATUS "Release hardening: ${tubeflight_CPPFLAGS} ${tubeflight_CXXFLAGS} ${tubeflight_LDFLAGS}")
endif()
unset(release)
unset(tubeflight_branch_flags)
unset(tubeflight_CPPFLAGS)
unset(tubeflight_CXXFLAGS)
unset(tubeflight_LDFLAGS)
