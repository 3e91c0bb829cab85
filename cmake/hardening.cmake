# SPDX-License-Identifier: MIT
# Release builds, and so the Debian package, get the hardening of a Debian
# package build: the flags that dpkg-buildflags gives with hardening=+all
# for the release and the architecture built for (-O2, stack protector,
# fortified libc calls, format-string checks, full RELRO with immediate
# binding, and from Debian 13 on the stack-clash probes and the
# architecture's control-flow protection, -fcf-protection on x86 and
# -mbranch-protection=standard on arm64). Position-independent executables
# come from CMake. A dpkg-buildflags that predates the stack-clash or the
# branch feature (Debian 12's) gets those flags from the list below, so
# that every release builds the same protection. Where there is no
# dpkg-buildflags, or the build is for another system (a MinGW cross build,
# say), the list below stands for all of it.
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

# The hand-kept list: the control-flow protection of the architecture, the
# stack protector and stack-clash probes, and the rest of Debian's set.
if(CMAKE_SYSTEM_PROCESSOR MATCHES "^(x86_64|AMD64|amd64|i[3-6]86|x86)$")
  set(tubeflight_branch_flags -fcf-protection)
elseif(CMAKE_SYSTEM_PROCESSOR MATCHES "^(aarch64|arm64|ARM64)$")
  set(tubeflight_branch_flags -mbranch-protection=standard)
else()
  set(tubeflight_branch_flags)
endif()
set(tubeflight_stackclash_flags -fstack-clash-protection)

find_program(TUBEFLIGHT_DPKG_BUILDFLAGS dpkg-buildflags)
mark_as_advanced(TUBEFLIGHT_DPKG_BUILDFLAGS)
if(TUBEFLIGHT_DPKG_BUILDFLAGS AND (NOT CMAKE_CROSSCOMPILING OR CMAKE_SYSTEM_NAME STREQUAL "Linux"))
  set(query env LC_ALL=C DEB_BUILD_MAINT_OPTIONS=hardening=+all)
  # A cross build asks for the flags of the architecture built for.
  if(CMAKE_CROSSCOMPILING)
    execute_process(COMMAND env LC_ALL=C dpkg-architecture -t${CMAKE_LIBRARY_ARCHITECTURE} -qDEB_HOST_ARCH
                    OUTPUT_VARIABLE host_arch OUTPUT_STRIP_TRAILING_WHITESPACE ERROR_QUIET
                    RESULT_VARIABLE failed)
    if(failed OR NOT host_arch)
      message(FATAL_ERROR "dpkg-architecture knows no Debian architecture for '${CMAKE_LIBRARY_ARCHITECTURE}'")
    endif()
    list(APPEND query DEB_HOST_ARCH=${host_arch})
  endif()
  # -ffile-prefix-map names the folder it is asked from: the source tree.
  foreach(variable CPPFLAGS CXXFLAGS LDFLAGS)
    execute_process(COMMAND ${query} ${TUBEFLIGHT_DPKG_BUILDFLAGS} --get ${variable}
                    WORKING_DIRECTORY ${PROJECT_SOURCE_DIR}
                    OUTPUT_VARIABLE flags OUTPUT_STRIP_TRAILING_WHITESPACE RESULT_VARIABLE failed)
    if(failed)
      message(FATAL_ERROR "dpkg-buildflags --get ${variable} failed")
    endif()
    separate_arguments(tubeflight_${variable} UNIX_COMMAND "${flags}")
  endforeach()
  execute_process(COMMAND ${query} ${TUBEFLIGHT_DPKG_BUILDFLAGS} --query-features hardening
                  WORKING_DIRECTORY ${PROJECT_SOURCE_DIR}
                  OUTPUT_VARIABLE features RESULT_VARIABLE failed)
  if(failed)
    message(FATAL_ERROR "dpkg-buildflags --query-features hardening failed")
  endif()
  foreach(feature stackclash branch)
    if(NOT features MATCHES "(^|\n)Feature: ${feature}\n")
      list(APPEND tubeflight_CXXFLAGS ${tubeflight_${feature}_flags})
    endif()
  endforeach()
  unset(features)
  unset(flags)
  unset(host_arch)
  unset(query)
else()
  set(tubeflight_CPPFLAGS -D_FORTIFY_SOURCE=2)
  set(tubeflight_CXXFLAGS -fstack-protector-strong ${tubeflight_stackclash_flags} ${tubeflight_branch_flags}
                          -Wformat -Werror=format-security)
  set(tubeflight_LDFLAGS -Wl,-z,relro -Wl,-z,now)
endif()

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
message(STATUS "Release hardening: ${tubeflight_CPPFLAGS} ${tubeflight_CXXFLAGS} ${tubeflight_LDFLAGS}")
unset(release)
unset(tubeflight_branch_flags)
unset(tubeflight_stackclash_flags)
unset(tubeflight_CPPFLAGS)
unset(tubeflight_CXXFLAGS)
unset(tubeflight_LDFLAGS)
