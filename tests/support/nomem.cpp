// SPDX-License-Identifier: MIT
// tubeflight_nomem: loaded with LD_PRELOAD, it makes the program's own large
// C++ allocations fail, as on a machine out of memory: operator new refuses
// a request of 64 KiB or more that comes from the main executable with
// std::bad_alloc. Requests from shared libraries pass untouched, because the
// OpenGL driver may itself be C++ (llvmpipe compiles with LLVM) and must
// keep working for the program to get as far as building its mesh.
// TUBEFLIGHT_NOMEM_LOG=path appends one line "refused size" per refusal.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <dlfcn.h>
#include <link.h>
#include <new>

namespace {

constexpr std::size_t REFUSED_FROM = 64 * 1024;

struct AddressQuery {
    std::uintptr_t address;
    bool in_main_program;
};

// The first object dl_iterate_phdr reports is the main program.
int check_main_program(dl_phdr_info* info, std::size_t, void* data) {
    auto* query = static_cast<AddressQuery*>(data);
    for (int i = 0; i < info->dlpi_phnum; ++i) {
        const ElfW(Phdr)& segment = info->dlpi_phdr[i];
        if (segment.p_type != PT_LOAD) {
            continue;
        }
        const std::uintptr_t begin = info->dlpi_addr + segment.p_vaddr;
        if (query->address >= begin && query->address < begin + segment.p_memsz) {
            query->in_main_program = true;
        }
    }
    return 1; // stop after the first object
}

bool refused(std::size_t size, const void* caller) {
    if (size < REFUSED_FROM) {
        return false;
    }
    AddressQuery query{reinterpret_cast<std::uintptr_t>(caller), false};
    dl_iterate_phdr(check_main_program, &query);
    if (!query.in_main_program) {
        return false;
    }
    if (const char* path = std::getenv("TUBEFLIGHT_NOMEM_LOG")) {
        if (std::FILE* log = std::fopen(path, "ae")) {
            std::fprintf(log, "refused %zu\n", size);
            std::fclose(log);
        }
    }
    return true;
}

} // namespace

// The program's arrays come from std::allocator, that is from this form. A
// program that allocated otherwise would not be refused, fly on, and so
// fail the test that expects it to stop: nothing passes unnoticed.
void* operator new(std::size_t size) {
    static const auto next = reinterpret_cast<void* (*)(std::size_t)>(dlsym(RTLD_NEXT, "_Znwm"));
    if (refused(size, __builtin_return_address(0))) {
        throw std::bad_alloc();
    }
    return next(size);
}
